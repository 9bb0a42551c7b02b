#include "platform/base/Gbk.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Narrow literals in this file are GBK; UTF-8 expectations are written as u8 literals.
std::string U8(const char8_t* s) {
    return std::string(reinterpret_cast<const char*>(s));
}

std::string Bytes(const CString& s) {
    return std::string(s.GetString(), s.GetLength());
}

struct RoundTrip {
    const char* gbk;
    const char8_t* utf8;
    const char16_t* utf16;
};

TEST(GbkConvert, RoundTripsThroughUtf8AndUtf16) {
    const RoundTrip cases[] = {
        {"", u8"", u""},
        {"plain ASCII\r\n", u8"plain ASCII\r\n", u"plain ASCII\r\n"},
        {"张三", u8"张三", u"张三"},
        {"C:\\癨\\碼癆", u8"C:\\癨\\碼癆", u"C:\\癨\\碼癆"}, // trail bytes 5C, 61, 41
        {"\x80", u8"€", u"€"},                               // the euro sign of code page 936
        {"通讯录 Address 1号", u8"通讯录 Address 1号", u"通讯录 Address 1号"},
        {"ａｂ１【】", u8"ａｂ１【】", u"ａｂ１【】"},
    };
    for (const auto& c : cases) {
        std::string gbk = c.gbk;
        EXPECT_EQ(GbkToUtf8(gbk), U8(c.utf8)) << gbk;
        EXPECT_EQ(GbkToUtf16(gbk), std::u16string(c.utf16)) << gbk;
        EXPECT_EQ(Bytes(Utf8ToGbk(U8(c.utf8))), gbk);
        EXPECT_EQ(Bytes(Utf16ToGbk(c.utf16)), gbk);
    }
}

TEST(GbkConvert, LongTextCrossesTheInternalBufferIntact) {
    std::string gbk, utf8;
    for (int i = 0; i < 3000; ++i) {
        gbk += i % 7 ? "张" : "a";
        utf8 += i % 7 ? U8(u8"张") : "a";
    }
    EXPECT_EQ(GbkToUtf8(gbk), utf8);
    EXPECT_EQ(Bytes(Utf8ToGbk(utf8)), gbk);
    EXPECT_EQ(Bytes(Utf16ToGbk(GbkToUtf16(gbk))), gbk);
}

struct BrokenGbk {
    std::string gbk;
    std::string utf8;
};

TEST(GbkConvert, BrokenGbkReplacesEachBadByteAndKeepsTheRest) {
    const BrokenGbk cases[] = {
        {"ab\xB0", U8(u8"ab\uFFFD")},         // lead byte cut off at the end
        {"\xB0\nline", U8(u8"\uFFFD\nline")}, // a line end is no trail byte
        {"\xB0\x7F张", U8(u8"\uFFFD\x7F张")}, // 0x7F is never a trail byte
        {"a\xFF"
         "b",
         U8(u8"a\uFFFDb")},                               // 0xFF starts nothing
        {"\xB0\xB0\xB0", U8(u8"鞍\uFFFD")},               // B0 is also a trail byte
        {std::string("x\0y", 3), std::string("x\0y", 3)}, // an embedded NUL is kept
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GbkToUtf8(c.gbk), c.utf8);
        // UTF-16 has the same replacements, one unit per bad byte.
        EXPECT_EQ(Bytes(Utf16ToGbk(GbkToUtf16(c.gbk))), Bytes(Utf8ToGbk(c.utf8)));
    }
    EXPECT_EQ(GbkToUtf16(std::string("ab\xB0")), std::u16string(u"ab\uFFFD"));
}

struct NoGbkForm {
    std::string utf8;
    std::string gbk;
};

TEST(GbkConvert, TextWithoutGbkFormBecomesQuestionMarks) {
    const NoGbkForm cases[] = {
        {U8(u8"a😀b"), "a?b"}, // outside the BMP: one mark per character
        {U8(u8"张😀😀三"), "张??三"},
        {U8(u8"한국"), "??"},         // Hangul syllables are not in GBK
        {"\xC3(", "?("},              // a sequence cut short
        {"\xC0\xAF", "??"},           // overlong form of '/'
        {"\xED\xA0\x80z", "???z"},    // an encoded surrogate
        {"\xF4\x90\x80\x80", "????"}, // above U+10FFFF
        {"ok\xE5\xBC", "ok??"},       // truncated at the end
    };
    for (const auto& c : cases)
        EXPECT_EQ(Bytes(Utf8ToGbk(c.utf8)), c.gbk) << c.utf8;

    EXPECT_EQ(Bytes(Utf16ToGbk(u"a\U0001F600b")), "a?b");
    EXPECT_EQ(Bytes(Utf16ToGbk(std::u16string(u"x") + char16_t(0xD800) + u"y")), "x?y");
    EXPECT_EQ(Bytes(Utf16ToGbk(std::u16string(1, char16_t(0xDC00)))), "?");
}

TEST(GbkChars, SizesAndFittingRespectCharacterBoundaries) {
    EXPECT_EQ(GbkCharSize("张", 2), 2);
    EXPECT_EQ(GbkCharSize("张", 1), 1);
    EXPECT_EQ(GbkCharSize("\xB0\x5C", 2), 2);
    EXPECT_EQ(GbkCharSize("\xB0\x7F", 2), 1);
    EXPECT_EQ(GbkCharSize("\x80\x40", 2), 1);
    EXPECT_EQ(GbkCharSize("a\x40", 2), 1);

    struct {
        const char* text;
        size_t max;
        size_t fit;
    } cases[] = {
        {"ab张三", 3, 2}, {"ab张三", 4, 4}, {"ab张三", 5, 4}, {"ab张三", 99, 6},
        {"张三", 1, 0},   {"a\xB0", 2, 2},  {"", 5, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GbkFitLength(c.text, std::strlen(c.text), c.max), c.fit)
            << c.text << " in " << c.max;
}

} // namespace

// Text made only of what the other side cannot show once took time with the square of its
// length; a 5 MB note of it would keep a book from opening for most of a minute.
TEST(GbkConvert, LongTextOfUnshowableCharactersConvertsWhole) {
    const size_t count = 2'500'000; // 5 MB of UTF-16
    std::u16string thai(count, char16_t(0x0E01));
    CString gbk = Utf16ToGbk(thai);
    ASSERT_EQ(static_cast<size_t>(gbk.GetLength()), count);
    EXPECT_EQ(Bytes(gbk), std::string(count, '?'));

    std::string badBytes(5'000'000, '\xFF');
    badBytes += "张";
    std::u16string wide = GbkToUtf16(badBytes);
    ASSERT_EQ(wide.size(), badBytes.size() - 1);
    EXPECT_EQ(wide.back(), u'张');
    EXPECT_EQ(wide.front(), u'\uFFFD');
}

// The in-place search must find exactly what folding copies of both texts and searching them with
// CString::Find finds: the same boundaries, the same folding of single-byte characters only.
TEST(GbkChars, FindNoCaseAgreesWithFindingInFoldedCopies) {
    const std::string longPiece(70, 'b');
    const std::string texts[] = {
        "Hello World",  "hello 张三 WORLD", "癆",      "x癮a",     "a\xB0",         "\xB0",
        "\x81\x61\x41", "张张三三",         "",        "BBB",      "a" + longPiece, "ab张\xB0",
        "三a三A",       "\x81\x7F" "a",
    };
    const std::string pieces[] = {"",   "world", "O",  "a",      "A",  "张三",     "三",
                                  "\xB0", "\x61", "三A", longPiece, "\xD5\xC5", "\x7F" "A"};
    for (const std::string& text : texts) {
        for (const std::string& piece : pieces) {
            for (int start = -1; start <= static_cast<int>(text.size()) + 1; ++start) {
                CString foldedText(text.c_str()), foldedPiece(piece.c_str());
                foldedText.MakeUpper();
                foldedPiece.MakeUpper();
                EXPECT_EQ(GbkFindNoCase(text.c_str(), static_cast<int>(text.size()), piece.c_str(),
                                        start),
                          foldedText.Find(foldedPiece, start < 0 ? 0 : start))
                    << "text \"" << text << "\" piece \"" << piece << "\" from " << start;
            }
        }
    }
}
