// The kept details of contacts read from a file live in blocks of memory shared by many contacts.
// A block must last as long as any contact in it, whichever book that contact has moved to and
// whichever book is closed first; and it must go once nothing is left in it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "contacts/PackedBytes.h"
#include "contacts/SmsDoc.h"
#include "contacts/tests/ContactsTestSupport.h"
#include "sms/tests/SmsTestSupport.h"

namespace {

using contacts_test::ContactsTest;
using contacts_test::FillEveryKind;
using archive_bytes::Bytes;

// A byte pattern that differs for each string and each place in it.
BYTE PatternByte(size_t nString, size_t at) {
    return static_cast<BYTE>(nString * 131 + at * 7 + 1);
}

Bytes StoredBytes(_CPerson& person) {
    CMemFile file(1 << 16);
    {
        CArchive ar(&file, CArchive::store);
        person.Serialize(ar);
        ar.Close();
    }
    Bytes bytes(static_cast<size_t>(file.GetLength()));
    file.SeekToBegin();
    file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
    return bytes;
}

bool HoldsPattern(const CPackedBytes& bytes, size_t nString) {
    for (size_t at = 0; at < bytes.Size(); ++at)
        if (bytes.Get()[at] != PatternByte(nString, at))
            return false;
    return true;
}

TEST(PackedBytes, StringsKeepTheirBytesAcrossBlocksAndBlocksGoWithTheirLastString) {
    const size_t before = CPackedBytes::LiveBlocks();
    constexpr size_t kBlock = CPackedBytes::kBlockSize;
    // Short and empty strings, ones that no longer fit in the rest of a block, and ones larger
    // than a block, which get a block of their own.
    const UINT sizes[] = {0, 1, 7, 300, 70000, kBlock / 3, kBlock / 2, kBlock - 64, kBlock - 63,
                          kBlock, kBlock + 1, 3 * kBlock, 5, 0};
    std::vector<CPackedBytes> strings;
    for (int round = 0; round < 3; ++round)
        for (UINT n : sizes) {
            CPackedBytes s;
            BYTE* p = s.Allocate(n);
            ASSERT_NE(p, nullptr) << n;
            for (size_t at = 0; at < n; ++at)
                p[at] = PatternByte(strings.size(), at);
            strings.push_back(std::move(s));
        }
    for (size_t i = 0; i < strings.size(); ++i) {
        EXPECT_EQ(strings[i].Size(), sizes[i % std::size(sizes)]) << i;
        EXPECT_TRUE(HoldsPattern(strings[i], i)) << i;
    }

    // A copy shares the bytes and keeps them after the original goes; objects taken from the
    // same blocks hold them too.
    std::vector<CPackedBytes> copies;
    for (size_t i = 0; i < strings.size(); i += 2)
        copies.push_back(strings[i]);
    EXPECT_EQ(copies[1].Get(), strings[2].Get());
    void* object = PackedBlocks::Allocate(40, 8);
    ASSERT_EQ(reinterpret_cast<uintptr_t>(object) % 8, 0u);
    for (size_t i = 0; i < strings.size(); ++i)
        strings[i].Reset();
    for (size_t i = 0; i < copies.size(); ++i)
        EXPECT_TRUE(HoldsPattern(copies[i], 2 * i)) << i;

    // A string larger than a block gives its block back at once.
    const size_t withLarge = CPackedBytes::LiveBlocks();
    auto large = std::find_if(copies.begin(), copies.end(),
                              [](const CPackedBytes& s) { return s.Size() > kBlock; });
    ASSERT_NE(large, copies.end());
    large->Reset();
    EXPECT_EQ(CPackedBytes::LiveBlocks(), withLarge - 1);

    copies.clear();
    PackedBlocks::Free(object);
    // Only the block this thread is still filling may be left.
    EXPECT_LE(CPackedBytes::LiveBlocks(), before + 1);
}

// A book of contacts whose kept details fill more than one block. A contact is kept as stored only
// when it fits in the reader's buffer, so each stays under a few KiB.
class SharedDetailBlocksTest : public ContactsTest {
protected:
    // Writes the book and answers each contact's stored bytes by name.
    std::map<std::string, Bytes> SaveBook(const CString& path, const char* prefix) {
        CSmsDoc doc;
        const std::string note(3000, 'n');
        for (int i = 0; i < 700; ++i) {
            CString name;
            name.Format("%s%03d", prefix, i);
            _CPerson* p = AddPerson(doc.GetRootGroup(), name);
            FillEveryKind(*p);
            p->GetInfo().m_other.strNote = (note + std::to_string(i)).c_str();
        }
        EXPECT_TRUE(doc.OnSaveDocument(path));
        std::map<std::string, Bytes> stored;
        for (POSITION pos = doc.GetRootGroup().GetFirstContentPosition(); pos != nullptr;) {
            _CPerson* p = doc.GetRootGroup().GetNextPerson(pos);
            stored[p->GetName().GetString()] = StoredBytes(*p);
        }
        return stored;
    }

    static std::vector<_CPerson*> Contacts(CGroup& group) {
        std::vector<_CPerson*> out;
        for (POSITION pos = group.GetFirstContentPosition(); pos != nullptr;)
            out.push_back(static_cast<_CPerson*>(group.GetNextContent(pos)));
        return out;
    }

    // Every contact of the group stores exactly the bytes recorded under its name.
    static void ExpectStoredAsBefore(CGroup& group, const std::map<std::string, Bytes>& stored) {
        for (_CPerson* p : Contacts(group)) {
            auto it = stored.find(p->GetName().GetString());
            ASSERT_NE(it, stored.end()) << p->GetName().GetString();
            EXPECT_EQ(StoredBytes(*p), it->second) << p->GetName().GetString();
        }
    }
};

TEST_F(SharedDetailBlocksTest, ContactsOutliveTheBookTheyCameFrom) {
    const CString pathA = PathOf("a.sms"), pathB = PathOf("b.sms");
    std::map<std::string, Bytes> stored = SaveBook(pathA, "甲");
    const std::map<std::string, Bytes> storedB = SaveBook(pathB, "乙");
    stored.insert(storedB.begin(), storedB.end());
    const size_t blocksBefore = CPackedBytes::LiveBlocks();

    enum Way { MOVE, CUT_AND_PASTE, COPY };
    struct Case {
        const char* name;
        Way way;
        bool bSourceClosedFirst;
    } cases[] = {
        {"moved, source closed first", MOVE, true},
        {"moved, target closed first", MOVE, false},
        {"cut, source closed, then pasted", CUT_AND_PASTE, true},
        {"copied, source closed first", COPY, true},
        {"copied, target closed first", COPY, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto a = std::make_unique<CSmsDoc>();
        auto b = std::make_unique<CSmsDoc>();
        ASSERT_TRUE(a->OnOpenDocument(pathA));
        ASSERT_TRUE(b->OnOpenDocument(pathB));
        ASSERT_GE(CPackedBytes::LiveBlocks(), blocksBefore + 2) << "the books' details are kept";
        // Every other contact of A goes over.
        _CGroup clipboard;
        int n = 0;
        for (_CPerson* p : Contacts(a->GetRootGroup())) {
            if (n++ % 2 != 0)
                continue;
            if (c.way == MOVE) {
                CGroup::MoveContent(p, &b->GetRootGroup(), FALSE);
            } else if (c.way == CUT_AND_PASTE) {
                a->GetRootGroup().RemoveContent(p, FALSE);
                clipboard.AddContent(p, FALSE, nullptr, TRUE, TRUE);
            } else {
                b->GetRootGroup().AddContent(p->Clone(), FALSE, nullptr, TRUE, TRUE);
            }
        }
        if (c.bSourceClosedFirst) {
            a.reset();
            if (c.way == CUT_AND_PASTE)
                b->GetRootGroup().MoveAllFrom(&clipboard);
            ExpectStoredAsBefore(b->GetRootGroup(), stored);
            // Saved and read again, the book holds the same contacts.
            const CString pathC = PathOf("c.sms");
            ASSERT_TRUE(b->OnSaveDocument(pathC));
            CSmsDoc c2;
            ASSERT_TRUE(c2.OnOpenDocument(pathC));
            EXPECT_EQ(Contacts(c2.GetRootGroup()).size(), Contacts(b->GetRootGroup()).size());
            ExpectStoredAsBefore(c2.GetRootGroup(), stored);
        } else {
            b.reset();
            ExpectStoredAsBefore(a->GetRootGroup(), stored);
            const CString pathC = PathOf("c.sms");
            ASSERT_TRUE(a->OnSaveDocument(pathC));
            if (c.way == COPY) // nothing left A: it saves back as it was read
                EXPECT_EQ(contacts_test::ReadBytes(pathC), contacts_test::ReadBytes(pathA));
        }
    }
    // With every book closed, no block is left but the one this thread is filling.
    EXPECT_LE(CPackedBytes::LiveBlocks(), blocksBefore + 1);
}

} // namespace
