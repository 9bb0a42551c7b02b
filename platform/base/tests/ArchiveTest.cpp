#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/base/Archive.h"
#include "platform/base/Collections.h"
#include "platform/base/File.h"
#include "platform/base/fuzz/ArchiveReader.h"
#include "platform/base/tests/ThrownCause.h"

namespace {

using Bytes = std::vector<BYTE>;

Bytes Store(const std::function<void(CArchive&)>& write, int bufSize = 4096) {
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store, bufSize);
        write(ar);
        ar.Close();
    }
    ULONGLONG n = file.GetLength();
    BYTE* p = file.Detach();
    Bytes out(p, p + n);
    free(p);
    return out;
}

// Reads with read() and returns the cause of the archive exception it ended with, or -1 when it
// ended normally.
int Load(Bytes bytes, const std::function<void(CArchive&)>& read, int bufSize = 4096) {
    CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
    CArchive ar(&file, CArchive::load, bufSize);
    return ThrownCause<CArchiveException>([&] { read(ar); });
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

Bytes Filled(size_t n, BYTE b) {
    return Bytes(n, b);
}

struct PrefixCase {
    size_t length;
    Bytes prefix;
};

class ArchiveStringPrefix : public ::testing::TestWithParam<PrefixCase> {};

TEST_P(ArchiveStringPrefix, WritesPrefixThenBytesAndReadsBack) {
    const PrefixCase& c = GetParam();
    CString s(std::string(c.length, 'x').c_str(), static_cast<int>(c.length));
    Bytes stored = Store([&](CArchive& ar) { ar << s; });
    EXPECT_EQ(stored, Cat({c.prefix, Filled(c.length, 'x')}));

    CString back;
    EXPECT_EQ(Load(stored, [&](CArchive& ar) { ar >> back; }), -1);
    EXPECT_EQ(back.GetLength(), static_cast<int>(c.length));
    EXPECT_TRUE(back == s);
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, ArchiveStringPrefix,
    ::testing::Values(PrefixCase{0, {0x00}}, PrefixCase{254, {0xFE}},
                      PrefixCase{255, {0xFF, 0xFF, 0x00}}, PrefixCase{0xFFFD, {0xFF, 0xFD, 0xFF}},
                      PrefixCase{0xFFFE, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
                      PrefixCase{0x10000, {0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00}}));

TEST(Archive, StoresChineseTextAsGbkBytes) {
    Bytes stored = Store([](CArchive& ar) { ar << CString("张三"); });
    EXPECT_EQ(stored, (Bytes{0x04, 0xD5, 0xC5, 0xC8, 0xFD}));
}

TEST(Archive, ReadsWideStringsAsGbk) {
    // 0xFF, 0xFFFE, then the length prefix again counting UTF-16 units: "张三A".
    Bytes shortForm = {0xFF, 0xFE, 0xFF, 0x03, 0x20, 0x5F, 0x09, 0x4E, 0x41, 0x00};
    CString s;
    EXPECT_EQ(Load(shortForm, [&](CArchive& ar) { ar >> s; }), -1);
    EXPECT_STREQ(s, "张三A");

    // The same with the 2-byte length form of the inner prefix.
    Bytes longForm = {0xFF, 0xFE, 0xFF, 0xFF, 0x01, 0x00, 0x20, 0x5F};
    EXPECT_EQ(Load(longForm, [&](CArchive& ar) { ar >> s; }), -1);
    EXPECT_STREQ(s, "张");

    // A second wide marker is not a string any writer produces.
    Bytes twice = {0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF, 0x00};
    EXPECT_EQ(Load(twice, [&](CArchive& ar) { ar >> s; }), CArchiveException::badIndex);
}

TEST(Archive, TimesUseTheMarkerFormAndReadTheOldForm) {
    CTime t(static_cast<__time64_t>(0x123456789LL));
    Bytes stored = Store([&](CArchive& ar) { ar << t; });
    EXPECT_EQ(stored, (Bytes{0x0A, 0x00, 0x00, 0x80, 0x89, 0x67, 0x45, 0x23, 0x01, 0, 0, 0}));
    CTime back;
    EXPECT_EQ(Load(stored, [&](CArchive& ar) { ar >> back; }), -1);
    EXPECT_EQ(back.GetTime(), t.GetTime());

    struct {
        Bytes bytes;
        __time64_t expected;
    } oldForms[] = {
        {{0, 0, 0, 0}, 0}, {{0x00, 0xE1, 0xF5, 0x05}, 100000000}, {{0xFF, 0xFF, 0xFF, 0xFF}, -1}};
    for (const auto& c : oldForms) {
        // The old form is exactly four bytes: the next value follows directly.
        Bytes withNext = Cat({c.bytes, {0x2A}});
        BYTE next = 0;
        EXPECT_EQ(Load(withNext, [&](CArchive& ar) { ar >> back >> next; }), -1);
        EXPECT_EQ(back.GetTime(), c.expected);
        EXPECT_EQ(next, 0x2A);
    }
}

TEST(Archive, FixedSizeValuesAreLittleEndianWithoutPadding) {
    Bytes stored = Store([](CArchive& ar) {
        ar << static_cast<BYTE>(0x01) << static_cast<WORD>(0x0302) << static_cast<DWORD>(0x07060504)
           << true << static_cast<signed char>(-1) << static_cast<LONGLONG>(-2) << 1.0;
    });
    EXPECT_EQ(stored,
              (Bytes{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x01, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF,
                     0xFF, 0xFF, 0xFF, 0xFF, 0,    0,    0,    0,    0,    0,    0xF0, 0x3F}));
    BYTE b;
    WORD w;
    DWORD d;
    bool flag;
    signed char sc;
    LONGLONG q;
    double x;
    EXPECT_EQ(Load(stored, [&](CArchive& ar) { ar >> b >> w >> d >> flag >> sc >> q >> x; }), -1);
    EXPECT_EQ(d, 0x07060504u);
    EXPECT_TRUE(flag);
    EXPECT_EQ(sc, -1);
    EXPECT_EQ(q, -2);
    EXPECT_EQ(x, 1.0);
}

TEST(Archive, CountsSwitchToTheLongFormAtFFFF) {
    struct {
        DWORD_PTR count;
        Bytes bytes;
    } cases[] = {{0, {0x00, 0x00}},
                 {0xFFFE, {0xFE, 0xFF}},
                 {0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}},
                 {0x10000, {0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00}}};
    for (const auto& c : cases) {
        Bytes stored = Store([&](CArchive& ar) { ar.WriteCount(c.count); });
        EXPECT_EQ(stored, c.bytes) << c.count;
        DWORD_PTR back = 0;
        EXPECT_EQ(Load(stored, [&](CArchive& ar) { back = ar.ReadCount(); }), -1);
        EXPECT_EQ(back, c.count);
    }
}

TEST(Archive, ByteArraysStoreCountThenRawBytes) {
    for (int n : {3, 0xFFFF, 0x12345}) {
        CByteArray a;
        a.SetSize(n);
        for (int i = 0; i < n; ++i) {
            a[i] = static_cast<BYTE>(i * 7);
        }
        Bytes stored = Store([&](CArchive& ar) { a.Serialize(ar); });
        Bytes header = n < 0xFFFF ? Bytes{static_cast<BYTE>(n), static_cast<BYTE>(n >> 8)}
                                  : Bytes{0xFF,
                                          0xFF,
                                          static_cast<BYTE>(n),
                                          static_cast<BYTE>(n >> 8),
                                          static_cast<BYTE>(n >> 16),
                                          0};
        ASSERT_EQ(stored.size(), header.size() + n);
        EXPECT_EQ(Bytes(stored.begin(), stored.begin() + header.size()), header);
        EXPECT_EQ(stored.back(), static_cast<BYTE>((n - 1) * 7));

        CByteArray back;
        EXPECT_EQ(Load(
                      stored, [&](CArchive& ar) { back.Serialize(ar); }, 128),
                  -1);
        ASSERT_EQ(back.GetSize(), n);
        EXPECT_EQ(memcmp(back.GetData(), a.GetData(), n), 0);
    }
}

TEST(Archive, StringCollectionsAndNumberArraysRoundTrip) {
    CStringList list;
    list.AddTail("甲");
    list.AddTail("");
    list.AddTail("abc");
    CDWordArray words;
    words.Add(1);
    words.Add(0xFFFFFFFF);
    CStringArray strings;
    strings.Add("x");
    Bytes stored = Store([&](CArchive& ar) {
        list.Serialize(ar);
        words.Serialize(ar);
        strings.Serialize(ar);
    });
    EXPECT_EQ(stored,
              (Bytes{0x03, 0x00, 0x02, 0xBC, 0xD7, 0x00, 0x03, 'a',  'b',  'c',  0x02, 0x00,
                     0x01, 0,    0,    0,    0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x01, 'x'}));

    CStringList listBack;
    CDWordArray wordsBack;
    CStringArray stringsBack;
    EXPECT_EQ(Load(stored,
                   [&](CArchive& ar) {
                       listBack.Serialize(ar);
                       wordsBack.Serialize(ar);
                       stringsBack.Serialize(ar);
                   }),
              -1);
    ASSERT_EQ(listBack.GetCount(), 3);
    EXPECT_STREQ(listBack.GetHead(), "甲");
    EXPECT_STREQ(listBack.GetTail(), "abc");
    ASSERT_EQ(wordsBack.GetSize(), 2);
    EXPECT_EQ(wordsBack[1], 0xFFFFFFFFu);
    ASSERT_EQ(stringsBack.GetSize(), 1);
    EXPECT_STREQ(stringsBack[0], "x");
}

TEST(Archive, ObjectListsAreNotArchived) {
    CObList objects;
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    try {
        objects.Serialize(ar);
        FAIL() << "no exception";
    } catch (CNotSupportedException* e) {
        e->Delete();
    }
}

// Every prefix of a valid archive is a truncated file: reading it must end in endOfFile.
TEST(Archive, EveryTruncationEndsInEndOfFile) {
    CByteArray bytes;
    bytes.SetSize(300);
    CStringList list;
    list.AddTail(CString('q', 400));
    list.AddTail("张三");
    Bytes full = Store([&](CArchive& ar) {
        ar << CString("名字") << CTime(static_cast<__time64_t>(1700000000)) << 42;
        ar.WriteCount(70000);
        bytes.Serialize(ar);
        list.Serialize(ar);
        ar << CString('z', 300);
    });
    auto readAll = [](CArchive& ar) {
        CString s;
        CTime t;
        int i;
        ar >> s >> t >> i;
        ar.ReadCount();
        CByteArray b;
        b.Serialize(ar);
        CStringList l;
        l.Serialize(ar);
        ar >> s;
    };
    ASSERT_EQ(Load(full, readAll), -1);
    for (size_t n = 0; n < full.size(); ++n) {
        Bytes cut(full.begin(), full.begin() + n);
        EXPECT_EQ(Load(cut, readAll, 128), CArchiveException::endOfFile) << "cut at " << n;
    }
}

TEST(Archive, RefusesLengthsAndCountsLargerThanTheFile) {
    struct {
        const char* what;
        Bytes bytes;
        int cause;
    } cases[] = {
        {"4-byte string length",
         {0xFF, 0xFF, 0xFF, 0xF0, 0xFF, 0xFF, 0x7F, 'a'},
         CArchiveException::endOfFile},
        {"8-byte string length",
         {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0x40, 'a'},
         CArchiveException::badIndex},
        {"wide string length",
         {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F},
         CArchiveException::endOfFile},
        {"byte array count",
         {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3},
         CArchiveException::endOfFile},
        {"8-byte count",
         {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0x10},
         CArchiveException::endOfFile},
    };
    for (const auto& c : cases) {
        bool array = std::string(c.what).find("count") != std::string::npos;
        int cause = Load(c.bytes, [&](CArchive& ar) {
            if (array) {
                CByteArray a;
                a.Serialize(ar);
            } else {
                CString s;
                ar >> s;
            }
        });
        EXPECT_EQ(cause, c.cause) << c.what;
    }
}

// A file that cannot tell its length, like a socket: a false length must cost no more than the
// data that really arrives, and still end in endOfFile.
class StreamFile : public CMemFile {
public:
    using CMemFile::CMemFile;
    ULONGLONG GetLength() const override { AfxThrowNotSupportedException(); }
    ULONGLONG Seek(LONGLONG, UINT) override { AfxThrowNotSupportedException(); }
};

TEST(Archive, StreamWithFalseLengthEndsInEndOfFile) {
    Bytes bytes = {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0x7F, 'a', 'b', 'c'};
    StreamFile file(bytes.data(), static_cast<UINT>(bytes.size()));
    CArchive ar(&file, CArchive::load);
    EXPECT_EQ(ar.GetBytesLeft(), ~0ULL);
    CString s;
    EXPECT_EQ(ThrownCause<CArchiveException>([&] { ar >> s; }), CArchiveException::endOfFile);
    ar.Close(); // giving back buffered bytes is impossible on a stream and must not throw
}

TEST(Archive, WrongDirectionIsRefused) {
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        BYTE b;
        EXPECT_EQ(ThrownCause<CArchiveException>([&] { ar >> b; }), CArchiveException::writeOnly);
    }
    Bytes bytes = {1};
    EXPECT_EQ(Load(bytes, [](CArchive& ar) { ar << 1; }), CArchiveException::readOnly);
}

TEST(Archive, CloseAfterLoadingLeavesTheFileAfterTheArchive) {
    Bytes bytes = {1, 2, 3, 4, 5, 6, 7, 8};
    CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
    {
        CArchive ar(&file, CArchive::load);
        WORD w;
        ar >> w;
        ar.Close();
    }
    EXPECT_EQ(file.GetPosition(), 2u);
}

TEST(Archive, DestructorWritesWhatWasNotClosed) {
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        ar << 7;
    }
    EXPECT_EQ(file.GetLength(), 4u);
}

TEST(Archive, LinesAndRawReads) {
    Bytes bytes = {'a', '\r', '\n', 'b', '\n', 'c'};
    std::vector<std::string> lines;
    EXPECT_EQ(Load(bytes,
                   [&](CArchive& ar) {
                       CString line;
                       while (ar.ReadString(line)) {
                           lines.push_back(line.GetString());
                       }
                       char rest[4];
                       EXPECT_EQ(ar.Read(rest, 4), 0u);
                   }),
              -1);
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c"}));
}

// A measuring file without a handle: it only counts what is written, as the program does to learn
// the size a record will take.
class CountingFile : public CFile {
public:
    void Write(const void*, UINT n) override { m_size += n; }
    ULONGLONG GetLength() const override { return m_size; }
    ULONGLONG GetPosition() const override { return m_size; }
    ULONGLONG m_size = 0;
};

TEST(Archive, WritesThroughOverriddenFileFunctions) {
    CountingFile counter;
    {
        CArchive ar(&counter, CArchive::store, 128);
        for (int i = 0; i < 100; ++i) {
            ar << CString('x', 300) << i;
        }
        ar.Close();
    }
    EXPECT_EQ(counter.m_size, 100u * (3 + 300 + 4));
}

TEST(Archive, ManyValuesAcrossBufferBoundariesOfARealFile) {
    char dir[] = "/tmp/quillmar-archive-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    CString path = CString(dir) + "\\data.bin";
    {
        CFile file(path, CFile::modeCreate | CFile::modeWrite);
        CArchive ar(&file, CArchive::store, 128);
        for (int i = 0; i < 2000; ++i) {
            ar << CString('a' + i % 26, i % 300) << static_cast<WORD>(i) << CTime(i * 1000LL);
        }
        ar.Close();
        file.Close();
    }
    {
        CFile file(path, CFile::modeRead | CFile::shareDenyWrite);
        CArchive ar(&file, CArchive::load, 128);
        for (int i = 0; i < 2000; ++i) {
            CString s;
            WORD w;
            CTime t;
            ar >> s >> w >> t;
            ASSERT_EQ(s.GetLength(), i % 300);
            ASSERT_EQ(w, i);
            ASSERT_EQ(t.GetTime(), i * 1000LL);
        }
        EXPECT_EQ(ar.GetBytesLeft(), 0u);
    }
    CFile::Remove(path);
    rmdir(dir);
}

// Seeded mutations of a valid archive go through the fuzz target's reader: each must end normally
// or in an archive exception (a crash or sanitizer report fails the test).
TEST(Archive, MutatedArchivesNeverCrashTheReader) {
    CByteArray bytes;
    bytes.SetSize(40);
    CStringList list;
    list.AddTail("一");
    list.AddTail(CString('w', 260));
    CDWordArray words;
    words.Add(5);
    Bytes seed = Store([&](CArchive& ar) {
        ar << static_cast<BYTE>(0) << CString("标题");
        ar << static_cast<BYTE>(1);
        ar.WriteCount(0x12345);
        ar << static_cast<BYTE>(2) << CTime(static_cast<__time64_t>(1234567890));
        ar << static_cast<BYTE>(3);
        bytes.Serialize(ar);
        ar << static_cast<BYTE>(4);
        list.Serialize(ar);
        ar << static_cast<BYTE>(5);
        words.Serialize(ar);
        ar << static_cast<BYTE>(6);
        ar.WriteString("line\r\n");
        ar << static_cast<BYTE>(7) << 9 << static_cast<LONGLONG>(-9);
    });
    archive_fuzz::ReadMixedArchive(seed.data(), seed.size());

    std::mt19937 rng(20240601);
    for (int round = 0; round < 4000; ++round) {
        Bytes b = seed;
        int edits = 1 + static_cast<int>(rng() % 4);
        for (int k = 0; k < edits && !b.empty(); ++k) {
            size_t at = rng() % b.size();
            switch (rng() % 4) {
            case 0:
                b[at] = static_cast<BYTE>(rng());
                break;
            case 1:
                b[at] = (rng() & 1) ? 0xFF : 0xFE;
                break;
            case 2:
                b.resize(at);
                break;
            default:
                b.insert(b.begin() + at, static_cast<BYTE>(rng()));
                break;
            }
        }
        archive_fuzz::ReadMixedArchive(b.data(), b.size());
    }
}

} // namespace

namespace {

// The fuzz corpus: seeds and damaged inputs that once caused trouble.
TEST(Archive, FuzzCorpusInputsEndCleanly) {
    std::filesystem::path corpus = QUILLMAR_ARCHIVE_CORPUS;
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        std::ifstream in(entry.path(), std::ios::binary);
        Bytes data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        archive_fuzz::ReadMixedArchive(data.data(), data.size());
        ++files;
    }
    EXPECT_GT(files, 0);
}

} // namespace

TEST(Archive, ReadsAHugeWideStringOfCharactersGbkCannotShow) {
    // A 5 MB wide string: marker, 0xFFFF escape to the 4-byte length, then the units.
    const uint32_t units = 2'500'000;
    Bytes wide = {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF};
    for (int shift = 0; shift < 32; shift += 8)
        wide.push_back(static_cast<uint8_t>(units >> shift));
    for (uint32_t i = 0; i < units; ++i) {
        wide.push_back(0x01); // U+0E01, a Thai letter
        wide.push_back(0x0E);
    }
    CString s;
    EXPECT_EQ(Load(wide, [&](CArchive& ar) { ar >> s; }), -1);
    ASSERT_EQ(s.GetLength(), static_cast<int>(units));
    EXPECT_EQ(s.Find('?'), 0);
    EXPECT_EQ(std::string(s.GetString(), s.GetLength()).find_first_not_of('?'), std::string::npos);
}

namespace {

Bytes Sequence(size_t n) {
    Bytes out(n);
    for (size_t i = 0; i < n; ++i)
        out[i] = static_cast<BYTE>(i);
    return out;
}

struct SkipCase {
    const char* name;
    Bytes data;
    size_t before; // bytes read first
    Bytes expected;
    int bufSize;
    bool skipped;
};

class ArchiveSkipIfNext : public ::testing::TestWithParam<SkipCase> {};

TEST_P(ArchiveSkipIfNext, ConsumesOnlyAnExactMatch) {
    const SkipCase& c = GetParam();
    BOOL skipped = FALSE;
    Bytes rest;
    EXPECT_EQ(Load(
                  c.data,
                  [&](CArchive& ar) {
                      Bytes first(c.before);
                      if (c.before > 0)
                          ar.Read(first.data(), static_cast<UINT>(c.before));
                      skipped = ar.SkipIfNext(c.expected.data(),
                                              static_cast<UINT>(c.expected.size()));
                      BYTE b = 0;
                      while (ar.Read(&b, 1) == 1)
                          rest.push_back(b);
                  },
                  c.bufSize),
              -1);
    EXPECT_EQ(skipped != FALSE, c.skipped);
    size_t from = c.before + (c.skipped ? c.expected.size() : 0);
    EXPECT_EQ(rest, Bytes(c.data.begin() + static_cast<long>(from), c.data.end()));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ArchiveSkipIfNext,
    ::testing::Values(
        SkipCase{"InBuffer", {1, 2, 3, 4, 5}, 1, {2, 3}, 4096, true},
        // The smallest buffer is 128 bytes: 126 read leave two buffered before the match.
        SkipCase{"AcrossRefill", Sequence(200), 126, {126, 127, 128, 129}, 128, true},
        SkipCase{"MismatchAcrossRefillReadsOn", Sequence(200), 126, {126, 127, 0, 129}, 128,
                 false},
        SkipCase{"Mismatch", {1, 2, 3}, 0, {1, 3}, 4096, false},
        SkipCase{"FewerBytesLeft", {1, 2, 3}, 1, {2, 3, 4}, 4096, false},
        SkipCase{"LongerThanBuffer", Filled(300, 7), 0, Filled(200, 7), 128, false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
