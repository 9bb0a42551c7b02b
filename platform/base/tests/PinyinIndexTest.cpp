#include "platform/base/PinyinIndex.h"

#include <string>

#include <gtest/gtest.h>

#include "platform/base/Collate.h"

namespace {

// The bucket a character falls in: the last whose boundary it collates at or after.
char BucketOf(const char* ch) {
    char letter = '?';
    for (const PinyinLetterBucket& bucket : GetPinyinLetterBuckets())
        if (GbkCollate(ch, bucket.boundary) >= 0)
            letter = bucket.letter != 0 ? bucket.letter : '-';
    return letter;
}

TEST(PinyinIndex, BucketsComeInLetterAndCollationOrder) {
    const std::vector<PinyinLetterBucket>& buckets = GetPinyinLetterBuckets();
    ASSERT_GE(buckets.size(), 24u);
    EXPECT_EQ(buckets.back().letter, 0); // the characters without a reading come last
    for (size_t i = 0; i + 1 < buckets.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_GE(buckets[i].letter, 'A');
        EXPECT_LE(buckets[i].letter, 'Z');
        if (i + 2 < buckets.size()) {
            EXPECT_LT(buckets[i].letter, buckets[i + 1].letter);
        }
        EXPECT_EQ(buckets[i].boundary.GetLength(), 2);
        EXPECT_LT(GbkCollate(buckets[i].boundary, buckets[i + 1].boundary), 0);
    }
}

TEST(PinyinIndex, CharactersFallUnderTheirInitial) {
    // One character of each initial, GBK-only ones among them, and characters whose reading
    // differs between collations (吖 is read ya).
    const struct {
        const char* ch;
        char letter;
    } rows[] = {
        {"阿", 'A'}, {"八", 'B'}, {"擦", 'C'}, {"咑", 'D'}, {"鹅", 'E'}, {"发", 'F'},
        {"旮", 'G'}, {"铪", 'H'}, {"讥", 'J'}, {"咔", 'K'}, {"垃", 'L'}, {"呣", 'M'},
        {"拏", 'N'}, {"噢", 'O'}, {"啪", 'P'}, {"七", 'Q'}, {"呥", 'R'}, {"仨", 'S'},
        {"他", 'T'}, {"哇", 'W'}, {"夕", 'X'}, {"丫", 'Y'}, {"吖", 'Y'}, {"匝", 'Z'},
        {"座", 'Z'}, {"，", '?'}, {"α", '-'},  {"Ａ", '-'}, {"ㄅ", '-'},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.ch);
        EXPECT_EQ(BucketOf(row.ch), row.letter);
    }
}

TEST(PinyinIndex, Gb2312CodeNamesACharacterOfItsBucket) {
    for (const PinyinLetterBucket& bucket : GetPinyinLetterBuckets()) {
        if (bucket.letter == 0 || bucket.gb2312Code == 0)
            continue;
        SCOPED_TRACE(bucket.letter);
        const char ch[3] = {static_cast<char>(bucket.gb2312Code / 100 + 0xA0),
                            static_cast<char>(bucket.gb2312Code % 100 + 0xA0), 0};
        EXPECT_EQ(BucketOf(ch), bucket.letter);
    }
}

} // namespace
