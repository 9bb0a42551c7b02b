// A contact read from a file keeps its details as stored until they are asked for. Everything a
// caller can see must be the same as for details read field by field: the bytes a save writes,
// search hits, links, birthdays and mobile numbers.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "contacts/ContactGroup.h"
#include "contacts/Person.h"
#include "contacts/tests/ContactsTestSupport.h"
#include "sms/tests/SmsTestSupport.h"

namespace {

using contacts_test::FillEveryKind;
using smstest::Bytes;
using smstest::Cat;
using smstest::Str;

// The stored contact with the first occurrence of one stored piece replaced by another.
Bytes Replaced(const Bytes& whole, const Bytes& from, const Bytes& to) {
    auto at = std::search(whole.begin(), whole.end(), from.begin(), from.end());
    EXPECT_NE(at, whole.end());
    Bytes out(whole.begin(), at);
    out.insert(out.end(), to.begin(), to.end());
    out.insert(out.end(), at + static_cast<long>(from.size()), whole.end());
    return out;
}

Bytes Stored() {
    _CPerson p("张三");
    FillEveryKind(p);
    return smstest::Store(p);
}

// The stored forms a save may write differently from how they were read, and the plain one.
struct StoredCase {
    const char* name;
    Bytes bytes;
};

std::vector<StoredCase> StoredCases() {
    const Bytes plain = Stored();
    // 小三 as UTF-16: the wide marker, the length in units, the units.
    const Bytes wide = {0xFF, 0xFE, 0xFF, 0x02, 0x0F, 0x5C, 0x09, 0x4E};
    Bytes longPrefix = {0xFF, 0x04, 0x00};
    const std::string nickname = "小三";
    longPrefix.insert(longPrefix.end(), nickname.begin(), nickname.end());
    return {
        {"plain", plain},
        {"home address copies differ", Replaced(plain, Str("天河路2号"), Str("旧址"))},
        {"wide nickname", Replaced(plain, Str("小三"), wide)},
        {"nickname with a longer length prefix", Replaced(plain, Str("小三"), longPrefix)},
        {"wide name", Replaced(plain, Str("张三"), {0xFF, 0xFE, 0xFF, 0x02, 0x20, 0x5F, 0x09, 0x4E})},
    };
}

std::unique_ptr<_CPerson> Loaded(const Bytes& bytes, bool bDetailsFirst) {
    auto p = std::make_unique<_CPerson>(nullptr, TRUE);
    if (bDetailsFirst)
        p->GetInfo(); // details made before reading are read field by field
    EXPECT_EQ(smstest::Load(*p, bytes), 0u);
    return p;
}

TEST(KeptDetails, SaveWritesWhatFieldByFieldReadingWouldWrite) {
    for (const StoredCase& c : StoredCases()) {
        SCOPED_TRACE(c.name);
        auto kept = Loaded(c.bytes, false);
        auto read = Loaded(c.bytes, true);
        const Bytes expected = smstest::Store(*read);
        EXPECT_EQ(smstest::Store(*kept), expected);
        // Renamed before the details are made, the new name is stored.
        kept->SetName("李四");
        read->SetName("李四");
        EXPECT_EQ(smstest::Store(*kept), smstest::Store(*read));
        // A copy of kept details stores the same; so do the details once made.
        _CPerson copy(nullptr, FALSE);
        copy.CopyFrom(kept.get());
        EXPECT_EQ(smstest::Store(copy), smstest::Store(*read));
        EXPECT_STREQ(kept->GetInfo().m_personal.strNickname, read->GetInfo().m_personal.strNickname);
        EXPECT_EQ(smstest::Store(*kept), smstest::Store(*read));
        EXPECT_STREQ(copy.GetName(), "李四");
    }
}

TEST(KeptDetails, EveryTruncationStillFails) {
    smstest::ExpectEveryTruncationFails<_CPerson>(
        Stored(), [] { return std::make_unique<_CPerson>(nullptr, TRUE); });
}

TEST(KeptDetails, SearchFindsWhatFieldByFieldDetailsFind) {
    static const DWORD kAll[kPersonGroupCount] = {~0u, ~0u, ~0u, ~0u, ~0u};
    static const DWORD kNamesOnly[kPersonGroupCount] = {1, 0, 0, 0, 0};
    struct Case {
        const char* text;
        const DWORD* masks;
        BOOL bMatchCase;
    };
    const Case cases[] = {
        {"", kAll, FALSE},
        {"张", kAll, FALSE},
        {"三", kNamesOnly, FALSE},
        {"1380", kAll, FALSE},
        {"17", kAll, FALSE},  // the picture number
        {"1", kAll, FALSE},   // the sex, and many numbers
        {"-", kAll, FALSE},
        {"ZHANG@", kAll, FALSE},
        {"ZHANG@", kAll, TRUE},
        {"Extra", kAll, FALSE},
        {"阿三", kAll, FALSE},
        {"本人", kAll, FALSE},
        {"广州天河", kAll, FALSE}, // across two fields: no hit
        {"不存在", kAll, FALSE},
        {"李四", kAll, FALSE},
    };
    for (const StoredCase& stored : StoredCases()) {
        SCOPED_TRACE(stored.name);
        auto kept = Loaded(stored.bytes, false);
        auto read = Loaded(stored.bytes, true);
        for (const Case& c : cases) {
            SCOPED_TRACE(c.text);
            CSearchItemArray keptHits, readHits;
            keptHits.Add(SSearchItemInfo{}); // a search replaces what the list held
            EXPECT_EQ(kept->Search(c.text, c.masks, keptHits, c.bMatchCase),
                      read->Search(c.text, c.masks, readHits, c.bMatchCase));
            ASSERT_EQ(keptHits.GetSize(), readHits.GetSize());
            for (int i = 0; i < keptHits.GetSize(); ++i) {
                EXPECT_EQ(keptHits[i].nGroup, readHits[i].nGroup);
                EXPECT_EQ(keptHits[i].nField, readHits[i].nField);
                EXPECT_EQ(keptHits[i].nValue, readHits[i].nValue);
                EXPECT_EQ(keptHits[i].nPart, readHits[i].nPart);
                EXPECT_EQ(keptHits[i].nPos, readHits[i].nPos);
            }
        }
        // Renamed while kept: the search sees the new name only.
        kept->SetName("王五");
        CSearchItemArray hits;
        EXPECT_TRUE(kept->Search("王五", kAll, hits, FALSE));
        EXPECT_FALSE(kept->Search("张三", kNamesOnly, hits, FALSE));
    }
}

TEST(KeptDetails, LinksBirthdaysAndMobilesReadFromKeptDetails) {
    _CPerson source("张三");
    FillEveryKind(source);
    _CPerson link(nullptr, TRUE);
    link.SetVirtualLink("家人\\张三", &source);
    for (bool bDetailsFirst : {false, true}) {
        SCOPED_TRACE(bDetailsFirst ? "read field by field" : "kept");
        auto p = Loaded(smstest::Store(source), bDetailsFirst);
        const _CPerson& constP = *p;
        EXPECT_FALSE(p->IsVirtual());
        EXPECT_TRUE(constP.GetBirthday() == source.GetBirthday());
        EXPECT_TRUE(p->HasMobile("13900139000"));
        EXPECT_FALSE(p->HasMobile("1390013900"));
        EXPECT_FALSE(p->HasMobile("020-12345678")); // a home phone, not a mobile
        auto l = Loaded(smstest::Store(link), bDetailsFirst);
        EXPECT_TRUE(l->IsVirtual());
        CString path;
        l->GetVirtualPath(path);
        EXPECT_STREQ(path, "家人\\张三");
    }
    _CPerson fresh("新");
    EXPECT_FALSE(static_cast<const _CPerson&>(fresh).GetBirthday().IsValid());
    EXPECT_FALSE(fresh.IsVirtual());
    EXPECT_FALSE(fresh.HasMobile(""));
}

// In a book: the walks over contacts give the same answers whether the details are kept or made.
TEST(KeptDetails, GroupWalksAnswerAlike) {
    _CGroup root("");
    for (int i = 0; i < 3; ++i) {
        auto* p = new _CPerson(i == 1 ? "李四" : "张三");
        FillEveryKind(*p);
        root.AddContent(p, FALSE, nullptr, TRUE, TRUE);
    }
    const Bytes stored = smstest::Store(root);
    for (bool bMake : {false, true}) {
        SCOPED_TRACE(bMake ? "made" : "kept");
        _CGroup back("");
        ASSERT_EQ(smstest::Load(back, stored), 0u);
        if (bMake)
            for (POSITION pos = back.GetFirstPersonPosition(); pos != nullptr;)
                back.GetNextPerson(pos)->GetInfo();
        EXPECT_NE(nullptr, back.FindPersonByMobile("13800138000"));
        EXPECT_EQ(nullptr, back.FindPersonByMobile("138"));
        int calls = 0;
        EXPECT_EQ(3, back.EnumUpcomingBirthdays(CDate(1999, 3, 1), 10,
                                                _CGroup::BIRTHDAY_SOLAR, &calls, nullptr));
        EXPECT_EQ(stored, smstest::Store(back));
    }
}

} // namespace
