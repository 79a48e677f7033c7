// MemoryDisplayTest: a test on a fresh in-memory display of the given options, made before each
// test; the default display replaces it afterwards, so no window or timer outlives the test.
#pragma once

#include <gtest/gtest.h>

#include <utility>

#include "platform/display.h"

namespace velmo::testing {

class MemoryDisplayTest : public ::testing::Test {
protected:
    explicit MemoryDisplayTest(platform::DisplayOptions options = {})
        : options_(std::move(options))
    {
    }
    void SetUp() override { platform::reset_display(options_); }
    void TearDown() override { platform::reset_display(); }

private:
    platform::DisplayOptions options_;
};

}  // namespace velmo::testing
