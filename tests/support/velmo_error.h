// EXPECT_VELMO_ERROR(statement, number, source): the statement raises velmo::Error with that number
// and source (an empty source is not checked).
#pragma once

#include <gtest/gtest.h>

#include "automation/error.h"

#define EXPECT_VELMO_ERROR(statement, expected_number, expected_source)                              \
    do {                                                                                           \
        bool velmo_raised_ = false;                                                                \
        try {                                                                                      \
            statement;                                                                             \
        } catch (const ::velmo::Error& velmo_error_) {                                             \
            velmo_raised_ = true;                                                                  \
            EXPECT_EQ(velmo_error_.number(), (expected_number)) << velmo_error_.to_text();          \
            if (std::string_view(expected_source).size()) {                                        \
                EXPECT_EQ(velmo_error_.source(), std::string(expected_source)) << velmo_error_.to_text(); \
            }                                                                                      \
        }                                                                                          \
        EXPECT_TRUE(velmo_raised_) << "expected error " << (expected_number) << " from: " #statement; \
    } while (0)
