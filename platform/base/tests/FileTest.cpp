#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#include "platform/base/Exception.h"
#include "platform/base/File.h"
#include "platform/base/tests/TempFolder.h"
#include "platform/base/tests/ThrownCause.h"

namespace {

std::string ReadAll(const std::string& osPath) {
    std::ifstream in(osPath, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteAll(const std::string& osPath, const std::string& data) {
    std::ofstream(osPath, std::ios::binary) << data;
}

class FileTest : public ::testing::Test {
protected:
    // Program paths use `\`, as the program builds them.
    CString Path(const char* name) const { return CString(dir.str().c_str()) + "\\" + name; }
    std::string OsPath(const char* name) const { return dir.str() + "/" + name; }
    test_folders::TempDir dir;
};

TEST_F(FileTest, OpenReportsTheCauseAndTheName) {
    CFile f;
    CFileException e;
    EXPECT_FALSE(f.Open(Path("missing.dat"), CFile::modeRead, &e));
    EXPECT_EQ(e.m_cause, CFileException::fileNotFound);
    EXPECT_STREQ(e.m_strFileName, Path("missing.dat"));
    EXPECT_EQ(f.m_hFile, CFile::hFileNull);
    // The message shows the path in the system's form.
    EXPECT_EQ(std::string(e.GetErrorMessage()), "找不到文件 " + OsPath("missing.dat") + "。");

    EXPECT_EQ(ThrownCause<CFileException>([&] {
                  CFile thrown(Path("no\\such\\folder.dat"), CFile::modeCreate | CFile::modeWrite);
              }),
              CFileException::fileNotFound);

    // A folder is not a file.
    EXPECT_FALSE(f.Open(CString(dir.str().c_str()), CFile::modeRead, &e));
    EXPECT_EQ(e.m_cause, CFileException::accessDenied);
}

TEST_F(FileTest, ReadWriteSeekAndLength) {
    CFile f(Path("a.bin"), CFile::modeCreate | CFile::modeReadWrite);
    f.Write("hello world", 11);
    EXPECT_EQ(f.GetLength(), 11u);
    EXPECT_EQ(f.Seek(-5, CFile::end), 6u);
    char buf[16] = {};
    EXPECT_EQ(f.Read(buf, sizeof buf), 5u);
    EXPECT_STREQ(buf, "world");
    EXPECT_EQ(f.Read(buf, sizeof buf), 0u);
    f.SetLength(5);
    EXPECT_EQ(f.SeekToEnd(), 5u);
    f.SeekToBegin();
    EXPECT_EQ(f.GetPosition(), 0u);
    EXPECT_EQ(ThrownCause<CFileException>([&] { f.Seek(-1, CFile::begin); }),
              CFileException::badSeek);
    EXPECT_STREQ(f.GetFileName(), "a.bin");
    EXPECT_STREQ(f.GetFileTitle(), "a");
    f.Close();
    EXPECT_EQ(ReadAll(OsPath("a.bin")), "hello");
}

TEST_F(FileTest, CreateTruncatesUnlessNoTruncate) {
    WriteAll(OsPath("t.txt"), "old content");
    {
        CFile f(Path("t.txt"), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite);
        EXPECT_EQ(f.GetLength(), 11u);
    }
    {
        CFile f(Path("t.txt"), CFile::modeCreate | CFile::modeWrite);
        EXPECT_EQ(f.GetLength(), 0u);
    }
}

struct ShareCase {
    const char* what;
    UINT first;
    UINT second;
    bool secondOpens;
};

const ShareCase kShareCases[] = {
    {"two readers that deny writing", CFile::modeRead | CFile::shareDenyWrite,
     CFile::modeRead | CFile::shareDenyWrite, true},
    {"writer after a reader that denies writing", CFile::modeRead | CFile::shareDenyWrite,
     CFile::modeCreate | CFile::modeWrite, false},
    {"reader after an exclusive open",
     CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite | CFile::shareExclusive,
     CFile::modeRead | CFile::shareDenyWrite, false},
    {"reader that denies nothing after an exclusive open",
     CFile::modeReadWrite | CFile::shareExclusive, CFile::modeRead | CFile::shareDenyNone, false},
    {"exclusive after a reader that denies nothing", CFile::modeRead | CFile::shareDenyNone,
     CFile::modeReadWrite | CFile::shareExclusive, false},
    {"two opens that deny nothing", CFile::modeRead | CFile::shareDenyNone,
     CFile::modeReadWrite | CFile::shareDenyNone, true},
    {"reader after a writer without share flags", CFile::modeWrite,
     CFile::modeRead | CFile::shareDenyWrite, false},
};

TEST_F(FileTest, ShareModesContendWithinTheProcess) {
    for (const ShareCase& c : kShareCases) {
        WriteAll(OsPath("s.dat"), "keep");
        CFile first;
        ASSERT_TRUE(first.Open(Path("s.dat"), c.first)) << c.what;
        CFile second;
        CFileException e;
        EXPECT_EQ(second.Open(Path("s.dat"), c.second, &e) != FALSE, c.secondOpens) << c.what;
        if (!c.secondOpens) {
            EXPECT_EQ(e.m_cause, CFileException::sharingViolation) << c.what;
        }
        second.Abort();
        first.Close();
        // A refused create must not have emptied the file the first open holds.
        EXPECT_EQ(ReadAll(OsPath("s.dat")), "keep") << c.what;
    }
    // Closing the holder frees the file.
    CFile holder(Path("s.dat"), CFile::modeReadWrite | CFile::shareExclusive);
    holder.Close();
    CFile after;
    EXPECT_TRUE(after.Open(Path("s.dat"), CFile::modeReadWrite | CFile::shareExclusive));
}

TEST_F(FileTest, ShareModesContendAcrossProcesses) {
    WriteAll(OsPath("p.dat"), "x");
    CFile holder(Path("p.dat"), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite |
                                    CFile::shareExclusive);
    CString path = Path("p.dat");
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        CFile other;
        CFileException e;
        BOOL opened = other.Open(path, CFile::modeRead | CFile::shareDenyWrite, &e);
        _exit(!opened && e.m_cause == CFileException::sharingViolation ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(FileTest, RenameNeverReplacesAndRemoveReportsMissingFiles) {
    WriteAll(OsPath("a.txt"), "A");
    WriteAll(OsPath("b.txt"), "B");
    EXPECT_EQ(ThrownCause<CFileException>([&] { CFile::Rename(Path("a.txt"), Path("b.txt")); }),
              CFileException::accessDenied);
    EXPECT_EQ(ReadAll(OsPath("b.txt")), "B");

    CFile::Rename(Path("a.txt"), Path("c.txt"));
    EXPECT_EQ(ReadAll(OsPath("c.txt")), "A");
    // Changing only the case of the name is a rename of the same file.
    CFile::Rename(Path("c.txt"), Path("C.TXT"));
    EXPECT_EQ(ReadAll(OsPath("C.TXT")), "A");

    CFile::Remove(Path("c.txt")); // found without regard to case
    EXPECT_EQ(ThrownCause<CFileException>([&] { CFile::Remove(Path("c.txt")); }),
              CFileException::fileNotFound);
}

TEST_F(FileTest, GetStatusGivesSizeTimeAndKind) {
    WriteAll(OsPath("st.dat"), "12345");
    CFileStatus st;
    ASSERT_TRUE(CFile::GetStatus(Path("ST.DAT"), st));
    EXPECT_EQ(st.m_size, 5u);
    EXPECT_GT(st.m_mtime.GetTime(), 0);
    EXPECT_EQ(st.m_attribute & CFile::directory, 0);
    EXPECT_EQ(std::string(st.m_szFullName).back(), 't');
    EXPECT_NE(std::string(st.m_szFullName).find("\\st.dat"), std::string::npos);

    ASSERT_TRUE(CFile::GetStatus(CString(dir.str().c_str()), st));
    EXPECT_NE(st.m_attribute & CFile::directory, 0);
    EXPECT_FALSE(CFile::GetStatus(Path("none"), st));
}

TEST_F(FileTest, StdioTextModeWritesCrLfAndReadsLinesWithoutEnds) {
    {
        CStdioFile f(Path("t.txt"), CFile::modeCreate | CFile::modeWrite | CFile::typeText);
        f.WriteString("第一行\n");
        f.WriteString("two\nthree");
    }
    EXPECT_EQ(ReadAll(OsPath("t.txt")), std::string("第一行\r\ntwo\r\nthree"));

    WriteAll(OsPath("mixed.txt"), "a\r\nb\n\nc\r\n");
    CStdioFile f(Path("mixed.txt"), CFile::modeRead | CFile::shareDenyWrite);
    CString line;
    std::vector<std::string> lines;
    while (f.ReadString(line)) {
        lines.push_back(line.GetString());
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "", "c"}));

    f.SeekToBegin();
    char buf[8];
    ASSERT_NE(f.ReadString(buf, sizeof buf), nullptr);
    EXPECT_STREQ(buf, "a\n");
}

TEST_F(FileTest, StdioBinaryModeKeepsBytes) {
    {
        CStdioFile f(Path("b.txt"), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary);
        f.WriteString("x\ny");
    }
    EXPECT_EQ(ReadAll(OsPath("b.txt")), "x\ny");
    CStdioFile f(Path("b.txt"), CFile::modeRead | CFile::typeBinary);
    char buf[4] = {};
    EXPECT_EQ(f.Read(buf, 3), 3u);
    EXPECT_STREQ(buf, "x\ny");
}

TEST(MemFile, GrowsByBlocksAndDetachesItsMemory) {
    CMemFile f(16);
    f.Write("abc", 3);
    f.Seek(20, CFile::begin);
    f.Write("z", 1);
    EXPECT_EQ(f.GetLength(), 21u);
    f.SeekToBegin();
    char buf[32];
    ASSERT_EQ(f.Read(buf, sizeof buf), 21u);
    EXPECT_EQ(std::string(buf, 21), std::string("abc") + std::string(17, '\0') + "z");
    ULONGLONG n = f.GetLength();
    BYTE* p = f.Detach();
    EXPECT_EQ(memcmp(p, "abc", 3), 0);
    free(p);
    EXPECT_EQ(f.GetLength(), 0u);
    EXPECT_EQ(n, 21u);
}

TEST(MemFile, AttachedBufferWithoutGrowthIsFixed) {
    BYTE buf[4] = {1, 2, 3, 4};
    CMemFile f(buf, sizeof buf);
    EXPECT_EQ(f.GetLength(), 4u);
    f.Seek(2, CFile::begin);
    f.Write("\x09", 1);
    EXPECT_EQ(buf[2], 9);
    try {
        f.Write("xyz", 3);
        FAIL() << "no exception";
    } catch (CMemoryException* e) {
        e->Delete();
    }
    // With growth the buffer is the first block and the file starts empty.
    CMemFile g(buf, sizeof buf, 8);
    EXPECT_EQ(g.GetLength(), 0u);
    g.Write("123456", 6);
    EXPECT_EQ(g.GetLength(), 6u);
}

TEST(Exceptions, MessagesFitTheBufferWithoutSplittingCharacters) {
    CFileException e(CFileException::diskFull, 28, "文件.dat");
    char buf[64];
    ASSERT_TRUE(e.GetErrorMessage(buf, sizeof buf));
    EXPECT_STREQ(buf, "写入 文件.dat 时磁盘已满。");
    // "写入 " is 5 bytes; a 7-byte buffer holds 6 bytes, which would end inside "文".
    char small[7];
    ASSERT_TRUE(e.GetErrorMessage(small, sizeof small));
    EXPECT_STREQ(small, "写入 ");

    CArchiveException a(CArchiveException::badIndex, "x.ab");
    EXPECT_STREQ(a.GetErrorMessage(), "文件格式无效。");
    CArchiveException eof(CArchiveException::endOfFile, "x.ab");
    EXPECT_STREQ(eof.GetErrorMessage(), "读取 x.ab 时超过文件尾。");
    EXPECT_TRUE(CUserException().GetErrorMessage().IsEmpty());
}

TEST(Exceptions, ErrnoValuesMapToCauses) {
    struct {
        int err;
        int cause;
    } cases[] = {
        {ENOENT, CFileException::fileNotFound},     {EACCES, CFileException::accessDenied},
        {ENOSPC, CFileException::diskFull},         {EWOULDBLOCK, CFileException::sharingViolation},
        {EMFILE, CFileException::tooManyOpenFiles}, {ENOTDIR, CFileException::badPath},
        {EPROTO, CFileException::genericException}};
    for (const auto& c : cases) {
        EXPECT_EQ(CFileException::OsErrorToException(c.err), c.cause) << c.err;
    }
}

std::string g_reported;
int RecordReport(LPCTSTR text, UINT) {
    g_reported = text;
    return 7;
}

TEST(Exceptions, ReportErrorGoesThroughTheHookAndDeleteSparesStackObjects) {
    CException::ReportHook old = CException::SetReportHook(&RecordReport);
    CFileException onStack(CFileException::accessDenied, EACCES, "a.txt");
    EXPECT_EQ(onStack.ReportError(), 7);
    EXPECT_EQ(g_reported, std::string("拒绝访问 a.txt。"));
    onStack.Delete(); // must not free a stack object (the sanitizer would report it)
    CException::SetReportHook(old);

    try {
        AfxThrowFileException(CFileException::endOfFile, -1, "b");
    } catch (CException* e) {
        EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CFileException)));
        e->Delete(); // frees it (the leak checker would report it otherwise)
    }
}

} // namespace
