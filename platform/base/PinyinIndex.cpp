#include "platform/base/PinyinIndex.h"

#include <memory>

#include <unicode/alphaindex.h>
#include <unicode/uscript.h>

#include "platform/base/Collate.h"
#include "platform/base/Gbk.h"

namespace {

bool IsGb2312(unsigned char lead, unsigned char trail) {
    return lead >= 0xA1 && lead <= 0xF7 && trail >= 0xA1 && trail <= 0xFE;
}

// ICU knows which letter a character is read with, but names each letter's start with an
// internal marker that has no GBK form, so the boundary of a letter is the smallest GBK character
// that falls under it. Only Chinese characters count: the Chinese order puts them before every
// other script, and ICU files Latin letters (full-width or with tone marks) under the same labels
// although they sort after all Chinese characters. Those, and everything else after the last
// reading, form the bucket after the last letter.
std::vector<PinyinLetterBucket> BuildBuckets() {
    UErrorCode status = U_ZERO_ERROR;
    icu::AlphabeticIndex index(icu::Locale("zh"), status);
    std::unique_ptr<icu::AlphabeticIndex::ImmutableIndex> buckets(
        index.buildImmutableIndex(status));
    if (U_FAILURE(status) || !buckets)
        return {};

    struct Slot {
        char letter = 0;
        CString first;
        CString firstGb2312;
        int gb2312Code = 0;
    };
    std::vector<Slot> slots(buckets->getBucketCount());
    for (int i = 0; i < buckets->getBucketCount(); ++i) {
        const icu::AlphabeticIndex::Bucket* bucket = buckets->getBucket(i);
        const icu::UnicodeString& label = bucket->getLabel();
        if (bucket->getLabelType() == U_ALPHAINDEX_NORMAL && label.length() == 1 &&
            label.charAt(0) >= u'A' && label.charAt(0) <= u'Z')
            slots[i].letter = static_cast<char>(label.charAt(0));
    }

    std::vector<CString> all;
    CString lastWithReading;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F)
                continue;
            const char bytes[3] = {static_cast<char>(lead), static_cast<char>(trail), 0};
            std::u16string wide = GbkToUtf16(bytes, 2);
            if (wide.size() != 1 || wide[0] == u'\uFFFD')
                continue; // not a GBK character
            all.emplace_back(bytes);
            UErrorCode err = U_ZERO_ERROR;
            if (uscript_getScript(wide[0], &err) != USCRIPT_HAN || U_FAILURE(err))
                continue;
            int at = buckets->getBucketIndex(icu::UnicodeString(wide.data(), 1), err);
            if (U_FAILURE(err) || at < 0 || at >= static_cast<int>(slots.size()) ||
                slots[at].letter == 0)
                continue;
            Slot& slot = slots[at];
            if (slot.first.IsEmpty() || GbkCollate(bytes, slot.first) < 0)
                slot.first = bytes;
            if (IsGb2312(lead, trail) &&
                (slot.firstGb2312.IsEmpty() || GbkCollate(bytes, slot.firstGb2312) < 0)) {
                slot.firstGb2312 = bytes;
                slot.gb2312Code = (lead - 0xA0) * 100 + (trail - 0xA0);
            }
            if (lastWithReading.IsEmpty() || GbkCollate(bytes, lastWithReading) > 0)
                lastWithReading = bytes;
        }
    }

    std::vector<PinyinLetterBucket> result;
    for (const Slot& slot : slots)
        if (slot.letter != 0 && !slot.first.IsEmpty())
            result.push_back({slot.letter, slot.first, slot.gb2312Code});
    if (lastWithReading.IsEmpty())
        return result;
    CString firstAfter;
    for (const CString& ch : all)
        if (GbkCollate(ch, lastWithReading) > 0 &&
            (firstAfter.IsEmpty() || GbkCollate(ch, firstAfter) < 0))
            firstAfter = ch;
    if (!firstAfter.IsEmpty())
        result.push_back({0, firstAfter, 0});
    return result;
}

} // namespace

const std::vector<PinyinLetterBucket>& GetPinyinLetterBuckets() {
    static const std::vector<PinyinLetterBucket> buckets = BuildBuckets();
    return buckets;
}
