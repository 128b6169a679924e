#include <gtest/gtest.h>

#include "platform/StringTable.h"

namespace {

// Callers print the text as it is: never a null pointer.
TEST(StringTable, UnknownNumberGivesEmptyText) {
    EXPECT_STREQ(GetStringResource(111), "");
    EXPECT_STREQ(GetStringResource(-1), "");
    EXPECT_STREQ(GetStringResource(1019), "");
}

} // namespace
