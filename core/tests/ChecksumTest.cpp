// The access-password checksum (a stored format) and the password scrambler.
#include <gtest/gtest.h>

#include <string>

#include "core/Checksum.h"

TEST(Checksum, SumOfBytesTimesIndex) {
    const struct {
        std::string text;
        DWORD sum;
    } cases[] = {
        {"", 0},
        {"a", 0}, // any one byte sits at index 0
        {"ab", 98},
        {"abc", 98 + 2 * 99},
        {"\xFF\xFF", 255}, // bytes count unsigned
        {"张三", 0xC5 + 2 * 0xC8 + 3 * 0xFD},
        // 10000 bytes of 0xFF: 255 * (0 + 1 + ... + 9999) wraps past 32 bits.
        {std::string(10000, '\xFF'), 4158790408u},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CalcStringChecksum(c.text.c_str()), c.sum) << c.text.size();
    EXPECT_EQ(CalcStringChecksum(nullptr), 0u);
}

TEST(Checksum, ScrambleRotatesEachByteByItsIndex) {
    // 'A' = 0100 0001: index 0 turns by 2 bits, index 1 by 3, index 5 by 2 again.
    CString left("AAAAAA");
    ScrambleString(left, TRUE);
    EXPECT_STREQ(left, "\x05\x0A\x14\x28\x50\x05");
    CString right("AA");
    ScrambleString(right, FALSE);
    EXPECT_STREQ(right, "\x50\x28");

    // Every byte value at every rotation comes back.
    std::string all;
    for (int i = 1; i < 256; ++i)
        all += static_cast<char>(i);
    for (BOOL first : {TRUE, FALSE}) {
        CString text(all.c_str());
        ScrambleString(text, first);
        EXPECT_NE(std::string(text.GetString()), all);
        EXPECT_EQ(text.GetLength(), 255); // no byte becomes 0
        ScrambleString(text, !first);
        EXPECT_EQ(std::string(text.GetString()), all);
    }
}
