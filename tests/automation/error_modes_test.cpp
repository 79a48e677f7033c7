#include <cerrno>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <system_error>

#include <gtest/gtest.h>

#include "automation/error_modes.h"

namespace {

// skip swallows what a statement meets at run time and lets a fault in velmo itself through.
TEST(ErrorModesTest, SkipSwallowsRunTimeErrorsOnly)
{
    struct Case {
        std::string raised;
        std::function<void()> statement;
        bool swallowed;
        bool completed;
    };
    const Case cases[] = {
        { "nothing", [] {}, true, true },
        { "automation error", [] { velmo::raise(velmo::err::Overflow); }, true, false },
        { "out of memory", [] { throw std::bad_alloc(); }, true, false },
        { "system call", [] { throw std::system_error(EIO, std::generic_category()); }, true, false },
        { "logic error", [] { throw std::logic_error("fault"); }, false, false },
        { "out of range", [] { throw std::out_of_range("fault"); }, false, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.raised);
        bool completed = false;
        bool escaped = false;
        try {
            completed = velmo::skip(c.statement);
        } catch (const std::logic_error&) {
            escaped = true;
        }
        EXPECT_EQ(escaped, !c.swallowed);
        EXPECT_EQ(completed, c.completed);
    }
}

}  // namespace
