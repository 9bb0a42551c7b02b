#include "sms/SmsCounter.h"

#include <gtest/gtest.h>

namespace {

TEST(SmsCounter, AMobileTextCountsCharactersAndPicksItsCodingAndPartSize) {
    // A Latin letter, a Chinese character and a Latin letter: three characters, Chinese parts.
    SSmsCount c = CountSms("a中b", 0, 1, SmsLimitOnePart, 1, 70, 160);
    EXPECT_FLOAT_EQ(3, c.fCurrent);
    EXPECT_EQ(0, c.nCoding);
    EXPECT_EQ(70, c.nPartSize);
    EXPECT_EQ(70, c.nAllowed);
    EXPECT_EQ(1, c.nParts);

    c = CountSms("hello", 0, 0, SmsLimitOnePart, 1, 70, 160);
    EXPECT_EQ(1, c.nCoding);
    EXPECT_EQ(160, c.nAllowed);
}

TEST(SmsCounter, LimitsAndPartsAtTheirBoundaries) {
    const struct {
        int length, limit, messages, allowed, parts;
        bool tooLong;
    } rows[] = {
        {70, SmsLimitOnePart, 1, 70, 1, false},  {71, SmsLimitOnePart, 1, 70, 2, true},
        {140, SmsLimitParts, 2, 140, 2, false},  {141, SmsLimitParts, 2, 140, 3, true},
        {141, SmsLimitParts, 0, 70, 3, true},    {5000, SmsLimitNone, 1, -2, 72, false},
        {0, SmsLimitOnePart, 1, 160, 0, false}, // no Chinese character: English parts
    };
    for (const auto& r : rows) {
        CString text;
        for (int i = 0; i < r.length; ++i)
            text += "字";
        SSmsCount c = CountSms(text, 0, 0, r.limit, r.messages, 70, 160);
        EXPECT_EQ(r.allowed, c.nAllowed) << r.length << " " << r.limit;
        EXPECT_EQ(r.parts, c.nParts) << r.length;
        EXPECT_EQ(r.tooLong, (bool)c.IsTooLong(r.messages)) << r.length << " " << r.limit;
    }
}

TEST(SmsCounter, AnInstantMessageCountsBytesByItsChosenCoding) {
    SSmsCount c = CountSms("中文ab", 1, 0, SmsLimitOnePart, 1, 70, 160);
    EXPECT_EQ(6, c.nLength);
    EXPECT_FLOAT_EQ(3, c.fCurrent);
    EXPECT_EQ(35, c.nAllowed) << "the Chinese part size counted in halves";
    EXPECT_EQ(0, c.nCoding) << "kept as chosen";
    c = CountSms("中文ab", 1, 1, SmsLimitOnePart, 1, 70, 160);
    EXPECT_FLOAT_EQ(6, c.fCurrent);
    EXPECT_EQ(70, c.nAllowed);
    EXPECT_EQ(1, c.nCoding);
}

} // namespace
