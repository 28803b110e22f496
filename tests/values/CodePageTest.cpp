#include <gtest/gtest.h>

#include "values/CodePage.h"

namespace {

TEST(CodePage, WindowsSpecificBytesBecomeTheirCharacters) {
    EXPECT_EQ(Windows1252ToUtf8("caf\xE9 \x80 \x93x\x94"), "café € “x”");
    EXPECT_EQ(Utf8ToWindows1252("café € “x”"), "caf\xE9 \x80 \x93x\x94");
}

TEST(CodePage, EveryByteStringSurvivesARoundTrip) {
    std::string everyByte;
    for (int i = 0; i < 256; ++i) everyByte += static_cast<char>(i);
    EXPECT_EQ(Utf8ToWindows1252(Windows1252ToUtf8(everyByte)), everyByte);
}

TEST(CodePage, CharactersOutsideTheSetAndMalformedInputBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToWindows1252("a\xE2\x82\xAC\xE4\xB8\xAD"
                                "b"),
              "a\x80?b");                                   // € kept, 中 lost
    EXPECT_EQ(Utf8ToWindows1252("\xF0\x9F\x98\x80"), "?");  // one character, one mark
    EXPECT_EQ(Utf8ToWindows1252("x\xFFy"), "x?y");
    EXPECT_EQ(Utf16ToWindows1252(u"\u0100"), "?");
}

}  // namespace
