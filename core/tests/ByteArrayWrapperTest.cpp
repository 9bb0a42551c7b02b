// The byte buffer with read and write positions, and its stored form.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ByteArrayWrapper.h"
#include "platform/base/Archive.h"
#include "testsupport/ArchiveBytes.h"

namespace {

std::string ReadAll(CByteArrayWrapper& b, int chunk) {
    std::string out;
    std::vector<char> buf(static_cast<size_t>(chunk));
    for (int n; (n = b.Read(buf.data(), chunk)) > 0;)
        out.append(buf.data(), static_cast<size_t>(n));
    return out;
}

} // namespace

TEST(ByteArrayWrapper, ReadsWhatWasWrittenAndNeverPastTheWritePosition) {
    CByteArrayWrapper b;
    EXPECT_TRUE(b.IsWriteMode());
    b.Write("{\\rtf1 ", 7);
    b.Write("hello}", 6);
    EXPECT_EQ(b.GetSize(), 13);
    EXPECT_EQ(b.GetWritePos(), 13);
    EXPECT_EQ(ReadAll(b, 5), "{\\rtf1 hello}");
    EXPECT_EQ(b.GetReadPos(), 13);

    // Writing over the start does not shrink the array, and reading stops at the write position.
    b.SetWritePos(0);
    b.Write("AB", 2);
    b.SetReadPos(0);
    char buf[16];
    EXPECT_EQ(b.Read(buf, 16), 2);
    EXPECT_EQ(std::string(buf, 2), "AB");
    EXPECT_EQ(b.GetSize(), 13);

    b.Write(nullptr, 5);
    b.Write("x", -1);
    EXPECT_EQ(b.GetWritePos(), 2);
}

TEST(ByteArrayWrapper, CopiesCarryBytesPositionsAndMode) {
    CByteArrayWrapper a;
    a.Write("abcdef", 6);
    char buf[2];
    a.Read(buf, 2);
    a.SetWriteMode(FALSE);
    a.SetStoredLength(6);

    CByteArrayWrapper copy(a);
    CByteArrayWrapper assigned;
    assigned.Write("zz", 2);
    assigned = a;
    for (CByteArrayWrapper* c : {&copy, &assigned}) {
        EXPECT_EQ(c->GetSize(), 6);
        EXPECT_EQ(c->GetReadPos(), 2);
        EXPECT_EQ(c->GetWritePos(), 6);
        EXPECT_FALSE(c->IsWriteMode());
        EXPECT_EQ(c->GetStoredLength(), 6);
        EXPECT_EQ(ReadAll(*c, 3), "cdef");
    }
    EXPECT_EQ(ReadAll(a, 3), "cdef"); // the source's positions are its own
}

TEST(ByteArrayWrapper, StoresTheBytesOnlyAndLoadsReadyToRead) {
    CByteArrayWrapper b;
    b.Write("abc", 3);
    b.SetStoredLength(99);
    EXPECT_EQ(archive_bytes::Store(b), (std::vector<BYTE>{3, 0, 'a', 'b', 'c'}));

    // 0xFFFF bytes and more: the count escapes to four bytes.
    CByteArrayWrapper big;
    std::vector<char> data(70000, 'q');
    big.Write(data.data(), 70000);
    const std::vector<BYTE> stored = archive_bytes::Store(big);
    ASSERT_EQ(stored.size(), 2u + 4u + 70000u);
    EXPECT_EQ(std::vector<BYTE>(stored.begin(), stored.begin() + 6),
              (std::vector<BYTE>{0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}));

    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        b.Serialize(ar);
    }
    file.SeekToBegin();
    CByteArrayWrapper loaded;
    loaded.Write("old bytes", 9);
    loaded.SetStoredLength(5);
    {
        CArchive ar(&file, CArchive::load);
        loaded.Serialize(ar);
    }
    EXPECT_EQ(loaded.GetSize(), 3);
    EXPECT_EQ(loaded.GetStoredLength(), 5); // not part of the stored form
    EXPECT_EQ(ReadAll(loaded, 2), "abc");
}
