#include "core/HanziString.h"

#include <cctype>
#include <memory>
#include <string>

#include <gtest/gtest.h>
#include <unicode/translit.h>

#include "platform/base/Collate.h"
#include "platform/base/Gbk.h"

namespace {

TEST(HanziChars, CountAndLocateDoubleByteCharacters) {
    struct Row {
        const char* text;
        int firstDoubleByte;
        int chars;
    };
    const Row rows[] = {
        {"", -1, 0},     {"abc", -1, 3},  {"张三", 0, 2},
        {"ab张c", 2, 4}, {"a\xB0", 1, 2}, // a lead byte at the very end is one character
        {"\x80x", 0, 1},                  // any byte with bit 7 set leads, whatever follows
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(FindFirstDoubleByteChar(row.text), row.firstDoubleByte);
        EXPECT_EQ(CountDoubleByteAwareChars(row.text), row.chars);
    }
}

TEST(HanziChars, CharToByteOffsetStepsOverWholeCharacters) {
    const CString text = "a张b三"; // bytes: a(0) 张(1,2) b(3) 三(4,5)
    struct Row {
        int chars, start, offset;
    };
    const Row rows[] = {
        {0, 0, 0}, {1, 0, 1},  {2, 0, 3}, {3, 0, 4},  {4, 0, 6},  {5, 0, -1},
        {1, 1, 3}, {2, -5, 3}, {0, 6, 6}, {1, 6, -1}, {0, 7, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.chars << " from " << row.start);
        EXPECT_EQ(CharToByteOffset(text, row.chars, row.start), row.offset);
    }
}

TEST(HanziChars, MidByCharsNeverSplitsACharacter) {
    const CString text = "a张b三";
    EXPECT_EQ(MidByChars(text, 0, 2), CString("a张"));
    EXPECT_EQ(MidByChars(text, 1, 2), CString("张b"));
    EXPECT_EQ(MidByChars(text, 1, 99), CString("张b三"));
    EXPECT_EQ(MidByChars(text, 6, 1), CString(""));
    EXPECT_EQ(MidByChars(text, 0, 0), CString(""));
    // A long message cut into parts of 3 characters loses and splits nothing.
    const CString message = "短信abc测试，完!";
    CString joined;
    int parts = 0;
    for (int pos = 0; pos >= 0 && pos < message.GetLength(); ++parts) {
        CString part = MidByChars(message, pos, 3);
        EXPECT_EQ(CountDoubleByteAwareChars(part), parts < 3 ? 3 : 1);
        joined += part;
        pos = CharToByteOffset(message, 3, pos);
    }
    EXPECT_EQ(joined, message);
    EXPECT_EQ(parts, 4);
}

TEST(HanziChars, InsertBetweenChars) {
    EXPECT_EQ(InsertBetweenChars("张三a", " "), CString("张 三 a"));
    EXPECT_EQ(InsertBetweenChars("x", "-"), CString("x"));
    EXPECT_EQ(InsertBetweenChars("", "-"), CString(""));
    EXPECT_EQ(InsertBetweenChars("a\xB0", "|"), CString("a|\xB0"));
}

char InitialOf(const char* gbkChar) {
    char letter = '*';
    EXPECT_TRUE(
        GetPinyinInitial(static_cast<BYTE>(gbkChar[0]), static_cast<BYTE>(gbkChar[1]), letter));
    return letter;
}

TEST(PinyinInitials, NamesGiveTheirInitialsAndOtherBytesPassThrough) {
    struct Row {
        const char* text;
        const char* initials;
    };
    const Row rows[] = {
        {"张三", "ZS"}, {"abc", "abc"},    {"李a", "La"}, {"欧阳修", "OYX"},  {"吖", "Y"},
        {"座", "Z"},    {"A1 王", "A1 W"}, {"", ""},      {"x\xD5", "x\xD5"}, // a lead byte without
                                                                              // its second byte
                                                                              // stays as it is
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        CString initials;
        CHanziString(row.text).GetPinyinInitials(initials);
        EXPECT_EQ(initials, CString(row.initials));
    }
}

TEST(PinyinInitials, CharactersOutsideTheLetters) {
    // Punctuation sorts before every letter; Greek after the last one.
    EXPECT_EQ(InitialOf("，"), '?');
    EXPECT_EQ(InitialOf("　"), '?');
    EXPECT_EQ(InitialOf("α"), '-');
    char letter = '*';
    EXPECT_FALSE(GetPinyinInitial('a', 'b', letter));
    EXPECT_EQ(letter, '*');
}

TEST(PinyinInitials, TableFollowsTheCollation) {
    const std::vector<PinyinBoundaryRow>& rows = PinyinBoundaryTable();
    ASSERT_GE(rows.size(), 24u);
    EXPECT_EQ(rows.back().letter, 0);
    EXPECT_EQ(rows[rows.size() - 2].letter, '-');
    std::string letters;
    for (size_t i = 0; i + 2 < rows.size(); ++i)
        letters += rows[i].letter;
    EXPECT_EQ(letters, "ABCDEFGHJKLMNOPQRSTWXYZ");
    for (size_t i = 0; i + 2 < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].letter);
        EXPECT_LT(GbkCollate(rows[i].boundary, rows[i + 1].boundary), 0);
        EXPECT_EQ(InitialOf(rows[i].boundary), rows[i].letter);
    }
}

// The table read by GetPinyinInitial is filled from collation keys; it must give what collating
// the character against the boundary rows gives, for every pair of bytes a text can hold
// (including lead bytes before invalid trail bytes and before the end of the text).
TEST(PinyinInitials, TableAgreesWithTheCollationOverTheWholeCodeSpace) {
    int mismatches = 0;
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
        for (int trail = 0; trail <= 0xFF; ++trail) {
            char fast = '*', slow = '*';
            ASSERT_TRUE(GetPinyinInitial(static_cast<BYTE>(lead), static_cast<BYTE>(trail), fast));
            ASSERT_TRUE(GetPinyinInitialByCollation(static_cast<BYTE>(lead),
                                                    static_cast<BYTE>(trail), slow));
            if (fast != slow && ++mismatches <= 10)
                ADD_FAILURE() << std::hex << "lead " << lead << " trail " << trail << ": table "
                              << fast << ", collation " << slow;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

// Characters whose readings are known from dictionaries, not from the collation the table is
// built from: the first and last character of each letter in GB2312's first level, characters
// with two readings (the common one counts), rare characters of the second level, and characters
// that only GBK has (traditional forms and the extension areas).
TEST(PinyinInitials, KnownReadingsGiveTheirInitials) {
    struct Row {
        const char* chars;
        char letter;
    };
    const Row rows[] = {
        // first and last of each letter
        {"啊澳", 'A'}, {"芭簿", 'B'}, {"擦错", 'C'}, {"搭", 'D'}, {"蛾贰", 'E'},
        {"发", 'F'}, {"噶过", 'G'}, {"哈", 'H'}, {"击峻", 'J'}, {"喀廓", 'K'},
        {"垃", 'L'}, {"妈穆", 'M'}, {"拿诺", 'N'}, {"哦沤", 'O'}, {"啪瀑", 'P'},
        {"期群", 'Q'}, {"然弱", 'R'}, {"撒所", 'S'}, {"塌唾", 'T'}, {"挖务", 'W'},
        {"昔逊", 'X'}, {"压孕", 'Y'}, {"匝座", 'Z'},
        // two readings, the common one first: xíng/háng, lè/yuè, dān/shàn, zhòng/chóng,
        // dōu/dū, hái/huán, huì/kuài, de/dì
        {"行", 'X'}, {"乐", 'L'}, {"单", 'D'}, {"重", 'Z'}, {"都", 'D'}, {"还", 'H'},
        {"会", 'H'}, {"地", 'D'},
        // rare characters of the second level
        {"丌", 'J'}, {"亍", 'C'}, {"乂", 'Y'}, {"爨", 'C'}, {"齉", 'N'}, {"鼗", 'T'},
        {"黹", 'Z'}, {"鼹", 'Y'},
        // only in GBK: traditional forms and the extension areas
        {"國", 'G'}, {"學", 'X'}, {"龍", 'L'}, {"劉", 'L'}, {"東", 'D'}, {"陳", 'C'},
        {"張", 'Z'}, {"黃", 'H'}, {"趙", 'Z'}, {"鄭", 'Z'}, {"謝", 'X'}, {"歐", 'O'},
        {"錢", 'Q'}, {"羅", 'L'}, {"丂", 'K'}, {"丟", 'D'}, {"両", 'L'}, {"龘", 'D'},
    };
    for (const Row& row : rows) {
        for (const char* p = row.chars; *p != 0; p += 2) {
            const char ch[3] = {p[0], p[1], 0};
            EXPECT_EQ(InitialOf(ch), row.letter) << GbkToUtf8(ch, 2);
        }
    }
}

// Every character of GB2312 (levels 1 and 2) gets the initial of its reading. The readings come
// from ICU's Han to Latin transliteration, which is independent of the collation tables.
TEST(PinyinInitials, EveryGb2312CharacterGetsTheInitialOfItsReading) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Transliterator> toLatin(
        icu::Transliterator::createInstance("Han-Latin; Latin-ASCII", UTRANS_FORWARD, status));
    ASSERT_TRUE(U_SUCCESS(status));
    int checked = 0;
    std::string wrong;
    for (int lead = 0xB0; lead <= 0xF7; ++lead) {
        for (int trail = 0xA1; trail <= 0xFE; ++trail) {
            if (lead == 0xD7 && trail > 0xF9)
                continue; // the five unused places at the end of level 1
            const char ch[3] = {static_cast<char>(lead), static_cast<char>(trail), 0};
            std::u16string wide = GbkToUtf16(ch, 2);
            ASSERT_EQ(wide.size(), 1u);
            icu::UnicodeString reading(wide.data(), 1);
            toLatin->transliterate(reading);
            std::string latin;
            reading.toUTF8String(latin);
            ASSERT_FALSE(latin.empty());
            char expected = static_cast<char>(std::toupper(static_cast<unsigned char>(latin[0])));
            if (InitialOf(ch) != expected)
                wrong += GbkToUtf8(ch, 2) + "(" + latin + ") ";
            ++checked;
        }
    }
    EXPECT_EQ(checked, 6763);
    EXPECT_EQ(wrong, "");
}

TEST(FilePathNameString, NameAndTitle) {
    struct Row {
        const char* path;
        const char* name;
        const char* title;
    };
    const Row rows[] = {
        {"C:\\data\\a.b.c", "a.b.c", "a.b"},
        {"dir/sub/file.txt", "file.txt", "file"},
        {"noslash", "noslash", "noslash"},
        {"C:\\folder.d\\plain", "plain", "plain"},
        {"C:\\dir\\", "", ""},
        // 誠 ends in the byte of "\": it is no separator there.
        {"C:\\誠.txt", "誠.txt", "誠"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        CFilePathNameString path(row.path);
        EXPECT_EQ(path.GetFileName(), CString(row.name));
        EXPECT_EQ(path.GetFileTitle(), CString(row.title));
    }
}

} // namespace
