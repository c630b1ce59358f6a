#include "components/quilshow/show/short_string.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

using namespace Quil;

namespace {

TEST(ShortStringTest, TextSurvivesEitherSideOfTheInlineLimit)
{
    static_assert(sizeof(ShortString) == 16);
    EXPECT_TRUE(ShortString().empty());
    EXPECT_STREQ("", ShortString().c_str());

    // 14 characters are held in place, 15 on the heap; a NUL inside is kept.
    for (const std::string& text :
         {std::string(14, 'a'), std::string(15, 'b'), std::string("x\0y", 3), std::string(300, 'c')}) {
        ShortString string(text);
        EXPECT_EQ(text, std::string(string));
        EXPECT_EQ(text.size(), string.size());
        EXPECT_EQ('\0', string.c_str()[text.size()]);

        ShortString copy(string);
        ShortString moved(std::move(string));
        EXPECT_TRUE(string.empty());
        EXPECT_TRUE(copy == moved && moved == text);
        // Assignments between every pair of forms release what they replace.
        ShortString other("short");
        other = copy;
        EXPECT_EQ(text, std::string(other));
        const ShortString& alias = other;
        other = alias;
        copy = "short";
        EXPECT_EQ("short", std::string(copy));
        moved = std::move(copy);
        EXPECT_TRUE(moved == "short" && copy.empty());
        string = std::string(text);
        EXPECT_EQ(text, std::string(string));
    }
}

}  // namespace
