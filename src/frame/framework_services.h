// The library's calls out to the framework services component (module basKxsvCommonA), and the
// report-and-continue error mode built on them.
#pragma once

#include <string>

#include "automation/error.h"

namespace velmo::frame {

// Hands a failure to the error-handler service. It traps nothing: when the service cannot be
// created or fails, that error leaves this function and reaches the public member's caller.
void ErrorHandlerMessageKx_Pro(const Error& error, const std::string& location);

// Shows the framework's About box for this library, reporting each failing step and going on.
void AppAboutKxsv_Pro();

// Report-and-continue: runs one statement; its failure is reported under `location` and the
// caller goes on with the next statement.
template<typename Statement>
void report(const std::string& location, Statement&& statement)
{
    bool failed = false;
    Error pending(0);
    try {
        statement();
    } catch (const Error& error) {
        failed = true;
        pending = error;
    } catch (const std::exception& e) {
        failed = true;
        pending = Error(err::OutOfMemory, "Velmo10", e.what());
    }
    // Outside the handler, so a failing report is an ordinary error of the caller.
    if (failed)
        ErrorHandlerMessageKx_Pro(pending, location);
}

}  // namespace velmo::frame
