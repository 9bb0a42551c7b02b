// The measuring file: an archive written through it reports the size the real file would get.
#include <gtest/gtest.h>

#include "core/PseudoFile.h"
#include "platform/base/Archive.h"
#include "platform/base/Collections.h"

namespace {

void WriteSample(CFile& file) {
    CArchive ar(&file, CArchive::store);
    ar << CString('x', 300) << (DWORD)7 << CString("张三");
    CByteArray bytes;
    bytes.SetSize(70000);
    bytes.Serialize(ar);
    ar.Close();
}

} // namespace

TEST(PseudoFile, MeasuresWhatAnArchiveWrites) {
    CPseudoFile measure;
    WriteSample(measure);
    CMemFile real;
    WriteSample(real);
    EXPECT_EQ(measure.GetLength(), real.GetLength());
    EXPECT_EQ(measure.GetPosition(), real.GetLength());
    EXPECT_GT(measure.GetLength(), 70000u);
}

TEST(PseudoFile, SeekReadAndLength) {
    CPseudoFile f;
    EXPECT_EQ(f.GetLength(), 0u);
    EXPECT_EQ(f.GetPosition(), 0u);
    f.Write(nullptr, 10);
    EXPECT_EQ(f.GetLength(), 10u);

    // Writing inside the length moves the position only.
    EXPECT_EQ(f.Seek(2, CFile::begin), 2u);
    f.Write(nullptr, 3);
    EXPECT_EQ(f.GetPosition(), 5u);
    EXPECT_EQ(f.GetLength(), 10u);

    char buf[1];
    EXPECT_EQ(f.Read(buf, 4), 4u); // nothing is copied, only counted
    EXPECT_EQ(f.Read(buf, 4), 1u); // capped at the length
    EXPECT_EQ(f.Read(buf, 4), 0u);

    EXPECT_EQ(f.Seek(-4, CFile::end), 6u);
    EXPECT_EQ(f.Seek(-1, CFile::current), 5u);
    EXPECT_EQ(f.Seek(5LL << 32, CFile::current), (5ull << 32) + 5); // 64-bit positions
    f.Write(nullptr, 1);
    EXPECT_EQ(f.GetLength(), (5ull << 32) + 6);

    f.SetLength(3);
    EXPECT_EQ(f.GetLength(), 3u);
    EXPECT_EQ(f.Read(buf, 1), 0u); // the position lies past the new length
}

TEST(PseudoFile, SeekBeforeTheStartThrowsAndKeepsThePosition) {
    CPseudoFile f;
    f.Write(nullptr, 4);
    for (UINT from : {(UINT)CFile::begin, (UINT)CFile::current, (UINT)CFile::end}) {
        int cause = -1;
        try {
            f.Seek(-5, from);
        } catch (CFileException* e) {
            cause = e->m_cause;
            e->Delete();
        }
        EXPECT_EQ(cause, CFileException::badSeek) << from;
        EXPECT_EQ(f.GetPosition(), 4u);
    }
}
