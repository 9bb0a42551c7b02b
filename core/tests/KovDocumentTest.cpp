// The scrambled document file: the rotation, round trips of every field, the old plain format,
// files with a stale tail, saves that fail, and damaged or hostile files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/KovDocument.h"
#include "core/KovDocumentScramble.h"
#include "core/QuillmarBaseDoc.h"
#include "core/tests/GroupTestRecords.h"
#include "platform/base/Archive.h"
#include "platform/base/File.h"
#include "platform/base/tests/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::string;

Bytes ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), (std::streamsize)bytes.size());
}

Bytes Scrambled(Bytes bytes) {
    ScrambleBytes(reinterpret_cast<BYTE*>(bytes.data()), bytes.size(), 0, TRUE);
    return bytes;
}

Bytes Unscrambled(Bytes bytes) {
    ScrambleBytes(reinterpret_cast<BYTE*>(bytes.data()), bytes.size(), 0, FALSE);
    return bytes;
}

// The plain archive the document writes, as an old plain file would hold it.
Bytes PlainArchive(CDocument& doc) {
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        ar.m_pDocument = &doc;
        doc.Serialize(ar);
        ar.Close();
    }
    size_t n = (size_t)file.GetLength();
    BYTE* p = file.Detach();
    Bytes bytes(reinterpret_cast<char*>(p), n);
    free(p);
    return bytes;
}

Bytes Dword(DWORD v) {
    return Bytes(reinterpret_cast<const char*>(&v), 4);
}

// Each case in its own program folder and file folder.
class KovDocumentTest : public ::testing::Test {
protected:
    test_folders::TempDir home;
    test_folders::TempDir dir;
    test_folders::ScopedEnv homeEnv{"QUILLMAR_HOME", home.str()};
    MessageRecorder messages;

    fs::path PathOf(const char* name) const { return dir.path() / name; }
    CString DocPath(const char* name) const { return CString(PathOf(name).string().c_str()); }

    // A tree with two levels of groups, full cards, a link and a locked group.
    static void Fill(CTestBookDoc& doc) {
        doc.m_root.SetName("通讯录");
        auto* colleagues = new CTestFolder("同事");
        auto* family = new CTestFolder("家人");
        doc.m_root.AddSubgroup(colleagues);
        doc.m_root.AddSubgroup(family);
        family->SetPassword("pw");
        family->ModifyFlags(0, CGroup::FLAG_PASSWORD | CGroup::FLAG_LOCKED);
        for (int i = 0; i < 5; ++i) {
            CString name;
            name.Format("同事%d", i);
            colleagues->AddContent(MakeFullCard(name, i));
        }
        family->AddContent(MakeFullCard("妈妈", 99));
        POSITION pos = colleagues->GetFirstContentPosition();
        CContent* link = colleagues->GetNextContent(pos)->CreateVirtualCopy();
        doc.m_root.AddContent(link);
    }
};

TEST(Scramble, RotationDependsOnlyOnTheOffsetModuloEight) {
    const int expected[8] = {5, 4, 3, 4, 1, 4, 7, 4};
    for (ULONGLONG p :
         {0ull, 1ull, 7ull, 8ull, 13ull, 4095ull, 4096ull, 0xFFFFFFFFull, 0x100000005ull}) {
        EXPECT_EQ(ScrambleRotation(p), expected[p % 8]) << p;
        DWORD q = (DWORD)p;
        EXPECT_EQ(ScrambleRotation(p), (int)((3 * q * q * q + 7 * q * q + 13 * q + 5) % 8));
    }
}

TEST(Scramble, RotationsOfBuffersMoveBitsAcrossBytes) {
    struct Row {
        Bytes in;
        int bits;
        Bytes left;
    } rows[] = {
        {Bytes("\x81", 1), 1, Bytes("\x03", 1)},
        {Bytes("\x81", 1), 9, Bytes("\x03", 1)}, // reduced modulo 8
        {Bytes("\x80\x01", 2), 1, Bytes("\x00\x03", 2)},
        {Bytes("\x01\x80", 2), 1, Bytes("\x03\x00", 2)},
        {Bytes("\x12\x34\x56", 3), 24, Bytes("\x12\x34\x56", 3)},
        {Bytes("\x12\x34\x56", 3), 8, Bytes("\x56\x12\x34", 3)},
        {Bytes("\xAB", 1), 0, Bytes("\xAB", 1)},
    };
    for (const Row& row : rows) {
        Bytes b = row.in;
        RotateBitsLeft(reinterpret_cast<BYTE*>(b.data()), (int)b.size(), row.bits);
        EXPECT_EQ(b, row.left) << row.bits;
        RotateBitsRight(reinterpret_cast<BYTE*>(b.data()), (int)b.size(), row.bits);
        EXPECT_EQ(b, row.in) << row.bits;
    }
    Bytes one("\x01\x00", 2);
    RotateRightOneBit(reinterpret_cast<BYTE*>(one.data()), 2);
    EXPECT_EQ(one, Bytes("\x00\x80", 2));
}

// Whole runs are rotated several bytes at a time: every start offset and length must still give
// each byte the rotation of its own offset, both ways.
TEST(Scramble, RunsRotateEachByteByItsOwnOffset) {
    std::mt19937 rng(7);
    Bytes data(100, '\0');
    for (char& c : data)
        c = static_cast<char>(rng());
    for (ULONGLONG start : {0ull, 1ull, 3ull, 4ull, 5ull, 6ull, 8ull, 13ull, 4096ull, 0xFFFFFFFDull}) {
        for (size_t length : {0u, 1u, 7u, 8u, 9u, 15u, 16u, 17u, 63u, 100u}) {
            for (BOOL bSave : {TRUE, FALSE}) {
                Bytes run(data.begin(), data.begin() + static_cast<long>(length));
                ScrambleBytes(reinterpret_cast<BYTE*>(run.data()), run.size(), start, bSave);
                for (size_t i = 0; i < length; ++i) {
                    BYTE expected = static_cast<BYTE>(data[i]);
                    if (start + i >= 5) {
                        if (bSave)
                            RotateBitsRight(&expected, 1, ScrambleRotation(start + i));
                        else
                            RotateBitsLeft(&expected, 1, ScrambleRotation(start + i));
                    }
                    ASSERT_EQ(static_cast<BYTE>(run[i]), expected)
                        << "start " << start << " length " << length << " byte " << i
                        << (bSave ? " saving" : " loading");
                }
            }
        }
    }
}

// Copies start at each file's current position, count offsets from the start of the copy, and
// run across block boundaries without restarting the rotation.
TEST(Scramble, CopyBetweenFilesRotatesByOffsetInTheCopyAndStopsAtTheLimit) {
    struct Row {
        size_t size;
        LONGLONG limit;
        size_t copied;
    } rows[] = {
        {0, -1, 0}, {5, -1, 5}, {9000, -1, 9000}, {9000, 4100, 4100}, {9000, 0, 0}, {10, 64, 10},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.size << " bytes, limit " << row.limit);
        Bytes data(row.size, '\0');
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = (char)(i * 37 + 11);
        const Bytes prefix("ab");
        CMemFile source;
        source.Write((prefix + data).data(), (UINT)(prefix.size() + data.size()));
        source.Seek((LONGLONG)prefix.size(), CFile::begin);
        CMemFile target;
        target.Write(prefix.data(), (UINT)prefix.size());

        EXPECT_TRUE(ScrambleCopy(&source, &target, row.limit, TRUE));
        Bytes expected = data.substr(0, row.copied);
        ScrambleBytes(reinterpret_cast<BYTE*>(expected.data()), expected.size(), 0, TRUE);
        ASSERT_EQ(target.GetLength(), prefix.size() + row.copied);
        target.SeekToBegin();
        Bytes written(target.GetLength(), '\0');
        target.Read(written.data(), (UINT)written.size());
        EXPECT_EQ(written, prefix + expected);

        // Copying back the other way gives the bytes as they were.
        target.Seek((LONGLONG)prefix.size(), CFile::begin);
        CMemFile back;
        EXPECT_TRUE(ScrambleCopy(&target, &back, -1, FALSE));
        back.SeekToBegin();
        Bytes restored(back.GetLength(), '\0');
        back.Read(restored.data(), (UINT)restored.size());
        EXPECT_EQ(restored, data.substr(0, row.copied));
    }
}

TEST_F(KovDocumentTest, FirstFiveBytesArePlainAndTheRestRotatedRight) {
    CTestBookDoc doc;
    Fill(doc);
    ASSERT_TRUE(doc.OnSaveDocument(DocPath("book.sms")));
    EXPECT_FALSE(doc.IsModified());
    Bytes file = ReadBytes(PathOf("book.sms"));
    Bytes plain = PlainArchive(doc);
    ASSERT_EQ(file.size(), plain.size());
    EXPECT_EQ(file.substr(0, 4), Dword(0x0001003C));
    EXPECT_EQ(file.substr(0, 5), plain.substr(0, 5));
    auto rotr = [](char c, int n) {
        BYTE b = (BYTE)c;
        return (char)(BYTE)((b >> n) | (b << (8 - n)));
    };
    EXPECT_EQ(file[5], rotr(plain[5], 4));
    EXPECT_EQ(file[6], rotr(plain[6], 7));
    EXPECT_EQ(file[8], rotr(plain[8], 5));
    EXPECT_EQ(Unscrambled(file), plain);
    EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(KovDocumentTest, SavedDocumentLoadsBackWithEveryField) {
    CTestBookDoc saved;
    Fill(saved);
    ASSERT_TRUE(saved.OnSaveDocument(DocPath("book.sms")));
    CTestBookDoc loaded;
    loaded.m_root.AddContent(new CTestCard("stale"));
    ASSERT_TRUE(loaded.OnOpenDocument(DocPath("book.sms")));
    EXPECT_FALSE(loaded.IsModified());
    EXPECT_EQ(loaded.GetVersion(), CKovDocumentBase::kCurrentVersion);
    // Same bytes again means every stored field came back.
    EXPECT_EQ(PlainArchive(loaded), PlainArchive(saved));
    EXPECT_EQ(ChildNames(loaded.m_root), ChildNames(saved.m_root));
    auto* family = static_cast<CGroup*>(loaded.m_root.FindByName("家人", TRUE, FALSE, FALSE));
    ASSERT_NE(family, nullptr);
    EXPECT_TRUE(family->IsLocked());
    EXPECT_TRUE(family->CheckPassword("pw"));
    POSITION pos = family->GetFirstContentPosition();
    auto* mum = static_cast<CTestCard*>(family->GetNextContent(pos));
    EXPECT_STREQ(mum->m_strNote, "备注 99");
    EXPECT_STREQ(mum->m_phones.GetValue(0, 1), "手机");
    EXPECT_EQ(mum->m_birthday, CDate(1980 + 99 % 40, 1 + 99 % 12, 1 + 99 % 28));
    EXPECT_EQ(mum->m_created.GetTime(), 1700000000 + 99);
    EXPECT_STREQ(mum->m_certificates.GetHead().strType, "身份证");
    EXPECT_EQ(mum->m_dwFlags, 0x80000001u ^ 99u);
    // The link finds its source in the loaded tree.
    pos = loaded.m_root.GetFirstContentPosition();
    CContent* link = loaded.m_root.GetNextContent(pos);
    ASSERT_TRUE(link->IsVirtual());
    EXPECT_STREQ(link->ResolveLink()->GetName(), "同事0");
    EXPECT_NE(link->ResolveLink(), link);
    EXPECT_TRUE(messages.Messages().empty());
}

// A file of some hundred kilobytes is written and read in pieces: every piece must be scrambled
// and turned back by the offsets it has in the file.
TEST_F(KovDocumentTest, LargeDocumentLoadsBackWhole) {
    CTestBookDoc saved;
    Fill(saved);
    auto* many = new CTestFolder("多");
    saved.m_root.AddSubgroup(many);
    for (int i = 0; i < 6000; ++i) {
        CString name;
        name.Format("卡%d", i);
        many->AddContent(MakeFullCard(name, i), FALSE);
    }
    // Notes far longer than any buffer are read in one piece that spans several; being of odd
    // lengths, they leave the later reads at every offset modulo eight.
    for (int n : {40000, 30001}) {
        CTestCard* pLong = MakeFullCard("长", n);
        for (int i = 0; i < n; ++i)
            pLong->m_strNote += "附注abc";
        many->AddContent(pLong, FALSE);
    }
    ASSERT_TRUE(saved.OnSaveDocument(DocPath("big.sms")));
    // Written in pieces too, each scrambled by its own offsets.
    const Bytes file = ReadBytes(PathOf("big.sms"));
    ASSERT_GT(file.size(), 600u << 10);
    EXPECT_TRUE(file == Scrambled(PlainArchive(saved)));
    CTestBookDoc loaded;
    ASSERT_TRUE(loaded.OnOpenDocument(DocPath("big.sms")));
    EXPECT_EQ(PlainArchive(loaded), PlainArchive(saved));
    EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(KovDocumentTest, OldPlainFileLoadsWithoutRotation) {
    CTestBookDoc saved;
    Fill(saved);
    Bytes plain = PlainArchive(saved);
    plain.replace(0, 4, Dword(CKovDocumentBase::kPlainVersion));
    WriteBytes(PathOf("old.sms"), plain);
    CTestBookDoc loaded;
    ASSERT_TRUE(loaded.OnOpenDocument(DocPath("old.sms")));
    EXPECT_EQ(loaded.GetVersion(), CKovDocumentBase::kPlainVersion);
    EXPECT_EQ(ChildNames(loaded.m_root), ChildNames(saved.m_root));
    EXPECT_FALSE(loaded.IsModified());
    // Saved again, it is a scrambled file of the current version.
    ASSERT_TRUE(loaded.OnSaveDocument(DocPath("old.sms")));
    EXPECT_EQ(ReadBytes(PathOf("old.sms")).substr(0, 4), Dword(CKovDocumentBase::kCurrentVersion));
}

TEST_F(KovDocumentTest, BytesAfterTheArchiveAreIgnored) {
    CTestBookDoc saved;
    Fill(saved);
    Bytes plain = PlainArchive(saved);
    // A shorter document written in place over a longer one by another program.
    WriteBytes(PathOf("tail.sms"), Scrambled(plain + Bytes(400, '\x5A')));
    CTestBookDoc loaded;
    ASSERT_TRUE(loaded.OnOpenDocument(DocPath("tail.sms")));
    EXPECT_EQ(PlainArchive(loaded), plain);
}

TEST_F(KovDocumentTest, SaveLeavesExactlyTheNewDocumentAndNoOtherFiles) {
    CTestBookDoc big;
    Fill(big);
    for (int i = 0; i < 200; ++i)
        big.m_root.AddContent(MakeFullCard("填充", i));
    ASSERT_TRUE(big.OnSaveDocument(DocPath("book.sms")));
    size_t bigSize = fs::file_size(PathOf("book.sms"));

    CTestBookDoc small;
    Fill(small);
    ASSERT_TRUE(small.OnSaveDocument(DocPath("book.sms")));
    Bytes file = ReadBytes(PathOf("book.sms"));
    EXPECT_LT(file.size(), bigSize);
    EXPECT_EQ(Unscrambled(file), PlainArchive(small));

    // Nothing beside the document: no temporary file here or in the program folder.
    std::vector<fs::path> entries(fs::directory_iterator(dir.path()), {});
    EXPECT_EQ(entries.size(), 1u);
    EXPECT_FALSE(fs::exists(home.path() / "tempdoc.tmp"));
}

TEST_F(KovDocumentTest, FailedSaveLeavesThePreviousFileAsItWas) {
    CTestBookDoc doc;
    Fill(doc);
    ASSERT_TRUE(doc.OnSaveDocument(DocPath("book.sms")));
    Bytes before = ReadBytes(PathOf("book.sms"));

    doc.m_root.AddContent(new CTestCard("新的"));
    doc.SetModifiedFlag();
    CTestBookDoc::s_nFailAfterChildren = 3; // the "disk" fills after three cards
    BOOL ok = doc.OnSaveDocument(DocPath("book.sms"));
    CTestBookDoc::s_nFailAfterChildren = -1;
    EXPECT_FALSE(ok);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(ReadBytes(PathOf("book.sms")), before);
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_NE(messages.Messages()[0].find("磁盘已满"), std::string::npos);
    std::vector<fs::path> entries(fs::directory_iterator(dir.path()), {});
    EXPECT_EQ(entries.size(), 1u);

    // A failed first save leaves no file at all.
    CTestBookDoc::s_nFailAfterChildren = 0;
    EXPECT_FALSE(doc.OnSaveDocument(DocPath("new.sms")));
    CTestBookDoc::s_nFailAfterChildren = -1;
    EXPECT_FALSE(fs::exists(PathOf("new.sms")));
}

TEST_F(KovDocumentTest, SaveIntoAMissingFolderReportsTheFile) {
    CTestBookDoc doc;
    EXPECT_FALSE(doc.OnSaveDocument(DocPath("no-such-folder/book.sms")));
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_NE(messages.Messages()[0].find("book.sms"), std::string::npos);
}

TEST_F(KovDocumentTest, OpenFailuresAndShortFiles) {
    CTestBookDoc doc;
    doc.m_root.AddContent(new CTestCard("kept"));
    EXPECT_FALSE(doc.OnOpenDocument(DocPath("missing.sms")));
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_NE(messages.Messages()[0].find("missing.sms"), std::string::npos);
    // Fewer than four bytes: failure without a message; the document is as it was.
    for (size_t n = 0; n < 4; ++n) {
        WriteBytes(PathOf("short.sms"), Bytes("\x3C\x00\x01", n));
        EXPECT_FALSE(doc.OnOpenDocument(DocPath("short.sms"))) << n;
    }
    EXPECT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(ChildNames(doc.m_root), (std::vector<std::string>{"kept"}));
}

TEST_F(KovDocumentTest, FileCutAtAnyOffsetFailsAndLeavesNothingHalfRead) {
    CTestBookDoc saved;
    Fill(saved);
    ASSERT_TRUE(saved.OnSaveDocument(DocPath("book.sms")));
    Bytes file = ReadBytes(PathOf("book.sms"));
    for (size_t n = 4; n < file.size(); ++n) {
        WriteBytes(PathOf("cut.sms"), file.substr(0, n));
        CTestBookDoc doc;
        doc.m_root.AddContent(new CTestCard("before"));
        size_t shown = messages.Messages().size();
        ASSERT_FALSE(doc.OnOpenDocument(DocPath("cut.sms"))) << n;
        EXPECT_TRUE(doc.m_root.IsEmpty()) << n;
        ASSERT_EQ(messages.Messages().size(), shown + 1) << n;
        EXPECT_EQ(messages.Messages().back(), "打开文档失败。\n" + PathOf("cut.sms").string()) << n;
    }
}

TEST_F(KovDocumentTest, HostileCountsAndNestingFailWithTheOpenMessage) {
    CTestBookDoc empty;
    // Version, then the root's name, flags and checksum; its counts follow.
    Bytes prefix =
        Dword(CKovDocumentBase::kCurrentVersion) + Bytes("\x04", 1) + "root" + Dword(0) + Dword(0);
    struct Row {
        const char* what;
        Bytes body;
    } rows[] = {
        {"huge sub-group count", Dword(0xFFFFFFFF) + Dword(0)},
        {"huge content count", Dword(0) + Dword(0x7FFFFFFF) + Bytes(64, 'x')},
        {"string longer than the file", Dword(0) + Dword(1) + Bytes("\xFF\xFF\xFF\xFF\xFF\xFF", 6)},
    };
    for (const Row& row : rows) {
        WriteBytes(PathOf("bad.sms"), Scrambled(prefix + row.body));
        CTestBookDoc doc;
        EXPECT_FALSE(doc.OnOpenDocument(DocPath("bad.sms"))) << row.what;
        EXPECT_EQ(messages.Messages().back(), "打开文档失败。\n" + PathOf("bad.sms").string())
            << row.what;
        EXPECT_TRUE(doc.m_root.IsEmpty());
    }
    // Groups nested far deeper than any real file: one empty name, no flags, no checksum.
    Bytes deep = prefix;
    for (int i = 0; i < 50000; ++i)
        deep += Dword(1) + Dword(0) + Bytes("\x00", 1) + Dword(0) + Dword(0);
    deep += Dword(0) + Dword(0); // complete: only the depth is wrong
    WriteBytes(PathOf("deep.sms"), Scrambled(deep));
    CTestBookDoc doc;
    EXPECT_FALSE(doc.OnOpenDocument(DocPath("deep.sms")));
    EXPECT_EQ(messages.Messages().back(), "打开文档失败。\n" + PathOf("deep.sms").string());
    EXPECT_TRUE(doc.m_root.IsEmpty());
}

TEST_F(KovDocumentTest, DamagedBytesNeverCrashAndFailuresLeaveNothing) {
    CTestBookDoc saved;
    Fill(saved);
    ASSERT_TRUE(saved.OnSaveDocument(DocPath("book.sms")));
    Bytes file = ReadBytes(PathOf("book.sms"));
    std::mt19937 rng(20261209);
    for (int round = 0; round < 300; ++round) {
        Bytes damaged = file;
        int flips = 1 + (int)(rng() % 4);
        for (int i = 0; i < flips; ++i)
            damaged[4 + rng() % (damaged.size() - 4)] ^= (char)(1 + rng() % 255);
        WriteBytes(PathOf("damaged.sms"), damaged);
        CTestBookDoc doc;
        size_t shown = messages.Messages().size();
        if (doc.OnOpenDocument(DocPath("damaged.sms"))) {
            EXPECT_EQ(messages.Messages().size(), shown) << round;
        } else {
            EXPECT_EQ(messages.Messages().size(), shown + 1) << round;
            EXPECT_TRUE(doc.m_root.IsEmpty()) << round;
        }
    }
}

TEST_F(KovDocumentTest, SavingThroughALinkReplacesTheLinkedFile) {
    CTestBookDoc doc;
    Fill(doc);
    ASSERT_TRUE(doc.OnSaveDocument(DocPath("real.sms")));
    fs::create_symlink(PathOf("real.sms"), PathOf("link.sms"));
    doc.m_root.AddContent(new CTestCard("新的"));
    ASSERT_TRUE(doc.OnSaveDocument(DocPath("link.sms")));
    EXPECT_TRUE(fs::is_symlink(PathOf("link.sms")));
    EXPECT_EQ(Unscrambled(ReadBytes(PathOf("real.sms"))), PlainArchive(doc));
}

TEST_F(KovDocumentTest, NewDocumentEmptiesAndClearsThePath) {
    CTestBookDoc doc;
    Fill(doc);
    doc.SetPathName(DocPath("book.sms"));
    EXPECT_STREQ(doc.GetTitle(), "book.sms");
    doc.SetModifiedFlag();
    EXPECT_TRUE(doc.OnNewDocument());
    EXPECT_TRUE(doc.m_root.IsEmpty());
    EXPECT_TRUE(doc.GetPathName().IsEmpty());
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.GetOwnerDocument(), &doc);
    std::unique_ptr<CObject> made(CRuntimeClass::CreateObject("CKovDocument"));
    EXPECT_NE(DYNAMIC_DOWNCAST(CKovDocument, made.get()), nullptr);
}

TEST(QuillmarBaseDoc, CurrentObjectKindFollowsTheRuntimeClasses) {
    CQuillmarBaseDoc doc;
    EXPECT_FALSE(doc.IsCurrentObjectKindOf(RUNTIME_CLASS(CObject)));
    CTestFolder folder("f");
    doc.SetCurrentObject(&folder);
    EXPECT_TRUE(doc.IsCurrentObjectKindOf(RUNTIME_CLASS(CGroup)));
    EXPECT_TRUE(doc.IsCurrentObjectKindOf(RUNTIME_CLASS(CTestFolder)));
    EXPECT_FALSE(doc.IsCurrentObjectKindOf(RUNTIME_CLASS(CContent)));
    EXPECT_EQ(doc.GetCurrentObject(), &folder);
    EXPECT_EQ(doc.GetOwnerView(), nullptr);
}

} // namespace
