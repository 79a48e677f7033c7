// Two of the three error modes of a member; the third, report-and-continue, needs the framework's
// error-handler service and lives with the library frame.
//   unguarded:      write the statement; the first error leaves the member.
//   skip-on-error:  skip([&] { statement; }) - a failing statement is skipped, the next one runs.
#pragma once

#include <new>
#include <stdexcept>

#include "automation/error.h"

namespace velmo {

// Runs one statement; an error it raises is swallowed. Returns whether it completed. Errors are
// what a statement meets at run time: automation errors, memory running out, a failing system call.
// A logic error is a fault in velmo itself and is never hidden.
template<typename Statement>
bool skip(Statement&& statement)
{
    try {
        statement();
        return true;
    } catch (const Error&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::runtime_error&) {
        return false;
    }
}

}  // namespace velmo
