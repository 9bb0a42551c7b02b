#include "platform/base/Collate.h"

#include "platform/base/CString.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Every adjacent pair of the list must be in order, and the order must hold both ways round.
void ExpectAscending(const std::vector<const char*>& list,
                     int (*compare)(const char*, const char*)) {
    for (size_t i = 0; i + 1 < list.size(); ++i) {
        EXPECT_LT(compare(list[i], list[i + 1]), 0) << i << ": " << list[i] << " < " << list[i + 1];
        EXPECT_GT(compare(list[i + 1], list[i]), 0) << i << ": " << list[i + 1] << " > " << list[i];
    }
}

// Surnames and names as a Chinese dictionary orders them: by pinyin, then by tone.
const std::vector<const char*> kNamesInDictionaryOrder = {
    "阿",     "阿强", "白雪", "蔡明", "陈红", "陈静", "丁一",   "范冰", "高峰", "何平",
    "江涛",   "孔亮", "李娜", "李四", "马云", "倪萍", "欧阳修", "潘石", "钱伟", "任盈",
    "孙悟空", "唐僧", "王五", "徐静", "杨柳", "张三", "赵六",   "周杰",
};

TEST(Collate, OrdersChineseNamesByPinyinThenTone) {
    ExpectAscending(kNamesInDictionaryOrder, GbkCollate);
    // Same syllable, four tones: ma1 ma2 ma3 ma4 and ba1 ba2 ba3 ba4.
    ExpectAscending({"妈", "麻", "马", "骂"}, GbkCollate);
    ExpectAscending({"八", "拔", "把", "爸"}, GbkCollate);
    // A name sorts before the longer names it begins.
    ExpectAscending({"李", "李娜", "李娜娜", "李四"}, GbkCollate);

    std::vector<CString> shuffled(kNamesInDictionaryOrder.rbegin(), kNamesInDictionaryOrder.rend());
    std::rotate(shuffled.begin(), shuffled.begin() + 11, shuffled.end());
    std::sort(shuffled.begin(), shuffled.end(),
              [](const CString& a, const CString& b) { return a.Collate(b) < 0; });
    for (size_t i = 0; i < shuffled.size(); ++i)
        EXPECT_STREQ(shuffled[i], kNamesInDictionaryOrder[i]);
}

TEST(Collate, MixedTextFollowsTheChineseCollator) {
    // Punctuation, then digits, then Chinese, then Latin letters with lower case first; not the
    // byte order, which would put every Chinese name last.
    ExpectAscending(
        {"", "-a", "123", "1号", "阿", "张三", "Ａ", "a张", "abc", "ABC", "b", "zhang", "Zoe"},
        GbkCollate);
    EXPECT_EQ(GbkCollate("张三", "张三"), 0);
    EXPECT_EQ(GbkCollate(nullptr, ""), 0);
    EXPECT_LT(GbkCollate(nullptr, "a"), 0);
}

TEST(Collate, NoCaseVariantIgnoresOnlyCase) {
    EXPECT_NE(GbkCollate("abc", "ABC"), 0);
    EXPECT_EQ(GbkCollateNoCase("abc", "ABC"), 0);
    EXPECT_EQ(GbkCollateNoCase("Li李", "lI李"), 0);
    EXPECT_LT(GbkCollateNoCase("B", "c"), 0);
    EXPECT_NE(GbkCollateNoCase("李", "里"), 0);
    EXPECT_LT(GbkCollateNoCase("妈", "马"), 0); // tones are not case
    EXPECT_EQ(CString("Zhang").CollateNoCase("zhang"), 0);
    EXPECT_GT(CString("Zhang").Collate("zhang"), 0);
}

TEST(Collate, KeysSortAsTheComparisonDoes) {
    std::vector<const char*> names = kNamesInDictionaryOrder;
    names.insert(names.end(), {"abc", "ABC", "123", "Zoe", "-a"});
    for (size_t i = 0; i < names.size(); ++i) {
        for (size_t j = 0; j < names.size(); ++j) {
            int byKey = GbkCollationKey(names[i]).compare(GbkCollationKey(names[j]));
            int byCompare = GbkCollate(names[i], names[j]);
            EXPECT_EQ((byKey > 0) - (byKey < 0), byCompare) << names[i] << " vs " << names[j];
        }
    }
    EXPECT_EQ(GbkCollationKey(nullptr), GbkCollationKey(""));
}

} // namespace
