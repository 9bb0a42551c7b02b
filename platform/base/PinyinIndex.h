// The letter buckets of the Chinese pinyin collation: which GBK character opens the run of
// characters that sort under each initial letter. Pinyin initials are read off this table by
// walking it with the same collation, so the letters always agree with the name order users see.
#pragma once

#include <vector>

#include "platform/base/CString.h"

struct PinyinLetterBucket {
    // 'A' to 'Z'; 0 for the bucket after the last letter: everything that sorts after the last
    // Chinese character with a reading (Latin, Greek and Cyrillic letters, Bopomofo, user-defined
    // characters, Chinese characters without a reading).
    char letter;
    // The double-byte GBK character that sorts first in the bucket.
    CString boundary;
    // Area-position code (area * 100 + position) of the GB2312 character that sorts first in the
    // bucket; 0 when the bucket holds no GB2312 character, and always 0 after the last letter.
    int gb2312Code;
};

// The buckets that hold at least one double-byte GBK character, in collation order. Characters
// that sort before the first bucket (punctuation, digits, symbols) belong to none. Built once, on
// first use; safe to call from any thread.
const std::vector<PinyinLetterBucket>& GetPinyinLetterBuckets();
