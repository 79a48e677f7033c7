// Two of the three error modes of a member; the third, report-and-continue, needs the framework's
// error-handler service and lives with the library frame.
//   unguarded:      write the statement; the first error leaves the member.
//   skip-on-error:  skip([&] { statement; }) - a failing statement is skipped, the next one runs.
#pragma once

#include <exception>

#include "automation/error.h"

namespace velmo {

// Runs one statement; an error it raises is swallowed. Returns whether it completed.
template<typename Statement>
bool skip(Statement&& statement)
{
    try {
        statement();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace velmo
