#include <gtest/gtest.h>

#include <set>
#include <string>

#include "links/SmsWordLists.h"

namespace {

TEST(SmsWordLists, ListsHoldDistinctRealWords) {
    for (int list = 1; list <= kSmsWordListCount; ++list) {
        int count = 0;
        const char* const* words = GetSmsWordList(list, count);
        ASSERT_GT(count, 0) << list;
        std::set<std::string> seen;
        for (int i = 0; i < count; ++i) {
            EXPECT_GE(std::string(words[i]).size(), 2u) << list << ": " << i;
            EXPECT_TRUE(seen.insert(words[i]).second) << list << ": " << words[i];
        }
    }
    int none = 5;
    EXPECT_EQ(nullptr, GetSmsWordList(4, none));
    EXPECT_EQ(0, none);
}

TEST(SmsWordLists, FirstListWithAMatchWinsAndItsWordIsReported) {
    struct Case {
        const char* content;
        int list;
        const char* found;
    };
    const Case cases[] = {
        {"明天下午三点开会", 0, ""},
        {"Visit our CASINO tonight", 1, "casino"}, // English matched without regard to case
        {"请转发给十个朋友", 2, "转发给"},
        {"中国移动提醒您：话费不足", 3, "中国移动"},
        {"中国移动提醒您：您已中奖", 1, "您已中奖"}, // list 1 is searched first
        {"拨打10086查询", 3, "10086"},
        // The bytes of a word after the lead byte of a Chinese character are not the word.
        {"\xb0"
         "casino",
         0, ""},
        {"\xb0"
         "c"
         "CASINO",
         1, "casino"},
    };
    for (const Case& c : cases) {
        CString found("x:");
        EXPECT_EQ(c.list, FindFilteredWord(c.content, found)) << c.content;
        EXPECT_STREQ((std::string("x:") + c.found).c_str(), found) << c.content;
    }
}

} // namespace
