// The size box's texts both ways and the face name's cut.
#include <gtest/gtest.h>

#include "notes/FormatRules.h"

TEST(FormatRulesTest, SizesShowAsWholeOrHalfPoints) {
    struct Case {
        long twips;
        const char* text;
    } cases[] = {{240, "12"}, {210, "10.5"}, {200, "10"}, {205, "10.5"}, {204, "10"},
                 {10, "0.5"}, {0, "0"},      {-1, ""},    {32760, "1638"}};
    for (const Case& c : cases)
        EXPECT_EQ(FormatSizeText(c.twips), c.text) << c.twips;
}

TEST(FormatRulesTest, SizeTextsReadBack) {
    struct Case {
        const char* text;
        int twips;
        bool inRange;
    } cases[] = {
        {"12", 240, true},        {" 10.5\t", 210, true}, {"0.5", 10, false},
        {"", SizeTextEmpty, false}, {"  ", SizeTextEmpty, false},
        {"abc", SizeTextInvalid, false}, {"12pt", SizeTextInvalid, false},
        {"1.2.3", SizeTextInvalid, false}, {"-3", 0, false}, {"1638", 32760, true},
        {"1639", 32780, false}, {"1", 20, true}, {".", SizeTextInvalid, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseSizeText(c.text), c.twips) << c.text;
        EXPECT_EQ(IsSizeInRange(ParseSizeText(c.text)), c.inRange) << c.text;
    }
}

TEST(FormatRulesTest, FaceNamesAreCutAtAWholeCharacter) {
    // 15 Chinese characters and one more: 32 bytes; the cut keeps 15 characters, 30 bytes.
    CString longName = "微软雅黑微软雅黑微软雅黑微软雅黑";
    ASSERT_EQ(longName.GetLength(), 32);
    EXPECT_EQ(CutFaceName(longName), "微软雅黑微软雅黑微软雅黑微软雅");
    EXPECT_EQ(CutFaceName("A微软雅黑微软雅黑微软雅黑微软雅黑"), "A微软雅黑微软雅黑微软雅黑微软雅");
    EXPECT_EQ(CutFaceName("DejaVu Sans"), "DejaVu Sans");
    EXPECT_EQ(CutFaceName(CString('x', 40)).GetLength(), 31);
}
