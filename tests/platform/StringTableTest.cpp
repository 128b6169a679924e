#include <gtest/gtest.h>

#include "platform/StringTable.h"

namespace {

// Users know these texts as they are, misspellings, doubled blanks and all.
TEST(StringTable, KeepsTextsWordForWord) {
    EXPECT_STREQ(GetStringResource(108), "No more lights are available.");
    EXPECT_STREQ(GetStringResource(113), "Not a valid Quake2 Pak file.");
    EXPECT_STREQ(GetStringResource(115), "%1 is not compatable with this version of TAV.");
    EXPECT_STREQ(GetStringResource(106), "An error occured while processing the bitmap.");
    EXPECT_STREQ(GetStringResource(114), "You must run this program with more than 256 colors.  "
                                         "Please change the display setting and try again.");
    EXPECT_STREQ(GetStringResource(107), "Could not load/find the default palette (quake2.pal). "
                                         "\nUsing the default Quake2 palette.");
    EXPECT_STREQ(GetStringResource(1026), "Not a valid Quake 2 sprite.");
    EXPECT_STREQ(GetStringResource(1017), "Prevents the desktop's resolution from being changed.");
}

TEST(StringTable, UnknownNumberGivesEmptyText) {
    EXPECT_STREQ(GetStringResource(111), "");
    EXPECT_STREQ(GetStringResource(-1), "");
    EXPECT_STREQ(GetStringResource(1019), "");
}

} // namespace
