#include <gtest/gtest.h>

#include "values/ObjCmp.h"

TEST(ConstantCompare, IgnoreTheirArguments) {
    TObject object;
    EXPECT_EQ(CompareEqual(nullptr, &object), crEqual);
    EXPECT_EQ(CompareLess(&object, nullptr), crLess);
    EXPECT_EQ(CompareGreater(nullptr, nullptr), crGreater);
}

TEST(NameCollation, FollowsTheLocaleNotByteOrder) {
    EXPECT_EQ(CompareNames("a", "B"), crLess);
    EXPECT_EQ(CompareNames("B", "a"), crGreater);
    EXPECT_EQ(CompareNames("TGraphNode", "TGraphNode"), crEqual);
    // Windows-1252 bytes: e-acute sorts between e and f, not after z.
    EXPECT_EQ(CompareNames("e", "\xE9"), crLess);
    EXPECT_EQ(CompareNames("\xE9", "f"), crLess);
}

TEST(NameCollation, CaseBlindVariantIgnoresOnlyCase) {
    EXPECT_EQ(CompareNamesNoCase("abc", "ABC"), crEqual);
    EXPECT_NE(CompareNames("abc", "ABC"), crEqual);
    // Y-diaeresis is 0x9F in capitals and 0xFF in small letters only in Windows-1252.
    EXPECT_EQ(CompareNamesNoCase("\x9F", "\xFF"), crEqual);
    EXPECT_EQ(CompareNamesNoCase("e", "\xC9"), crLess);  // accents still count
}
