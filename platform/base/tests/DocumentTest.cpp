// The framework document without windows: path and title, the plain archive open and save, the
// load/save messages, and the view host.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/base/Archive.h"
#include "platform/base/Document.h"
#include "platform/base/tests/TempFolder.h"

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::vector<std::string> g_messages;

int Record(LPCTSTR text, UINT) {
    g_messages.emplace_back(text);
    return 1;
}

// A document of one list of numbers; Serialize throws on request part-way through storing.
class CNumbersDoc : public CDocument {
public:
    std::vector<int> numbers;
    int failAt = -1;
    int deleted = 0;

    void DeleteContents() override {
        numbers.clear();
        ++deleted;
    }
    void Serialize(CArchive& ar) override {
        if (ar.IsStoring()) {
            ar.WriteCount(numbers.size());
            for (size_t i = 0; i < numbers.size(); ++i) {
                if ((int)i == failAt)
                    AfxThrowFileException(CFileException::diskFull);
                ar << numbers[i];
            }
        } else {
            DWORD n = (DWORD)ar.ReadCountOf(4);
            for (DWORD i = 0; i < n; ++i) {
                int v = 0;
                ar >> v;
                numbers.push_back(v);
            }
        }
    }
};

class DocumentTest : public ::testing::Test {
protected:
    test_folders::TempDir dir;
    CDocument::MessageHook old = CDocument::SetMessageHook(&Record);
    void SetUp() override { g_messages.clear(); }
    void TearDown() override { CDocument::SetMessageHook(old); }
    CString PathOf(const char* name) { return CString((dir.path() / name).string().c_str()); }
    std::string Read(const char* name) {
        std::ifstream in(dir.path() / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

TEST_F(DocumentTest, PathNameGivesTheTitleAndNewDocumentResets) {
    CNumbersDoc doc;
    doc.SetPathName("C:\\数据\\通讯录.sms");
    EXPECT_STREQ(doc.GetPathName(), "C:\\数据\\通讯录.sms");
    EXPECT_STREQ(doc.GetTitle(), "通讯录.sms");
    doc.SetPathName("/tmp/x/book.sms");
    EXPECT_STREQ(doc.GetTitle(), "book.sms");
    doc.SetTitle("无标题");
    EXPECT_STREQ(doc.GetTitle(), "无标题");
    doc.numbers = {1};
    doc.SetModifiedFlag();
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(doc.OnNewDocument());
    EXPECT_TRUE(doc.numbers.empty());
    EXPECT_TRUE(doc.GetPathName().IsEmpty());
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(DocumentTest, SavesAndOpensThePlainArchive) {
    CNumbersDoc doc;
    doc.numbers = {7, -1, 300};
    doc.SetModifiedFlag();
    ASSERT_TRUE(doc.OnSaveDocument(PathOf("n.dat")));
    EXPECT_FALSE(doc.IsModified());
    std::string bytes = Read("n.dat");
    EXPECT_EQ(bytes, std::string("\x03\0\x07\0\0\0\xFF\xFF\xFF\xFF\x2C\x01\0\0", 14));

    CNumbersDoc loaded;
    loaded.numbers = {99};
    ASSERT_TRUE(loaded.OnOpenDocument(PathOf("n.dat")));
    EXPECT_EQ(loaded.numbers, (std::vector<int>{7, -1, 300}));
    EXPECT_FALSE(loaded.IsModified());
    EXPECT_TRUE(g_messages.empty());

    // An empty file is an empty document.
    std::ofstream(dir.path() / "empty.dat").close();
    ASSERT_TRUE(loaded.OnOpenDocument(PathOf("empty.dat")));
    EXPECT_TRUE(loaded.numbers.empty());
}

// Notes the mode of each save's temporary file while the document is being written.
class CModeWatchingDoc : public CNumbersDoc {
public:
    fs::path folder;
    std::vector<int> temporaryModes;
    void Serialize(CArchive& ar) override {
        if (ar.IsStoring())
            for (const auto& e : fs::directory_iterator(folder))
                if (e.path().filename().string().find(".~") != std::string::npos)
                    temporaryModes.push_back(test_folders::ModeOf(e.path()));
        CNumbersDoc::Serialize(ar);
    }
};

// Under the usual umask every file the program makes is the user's alone, its temporary copies
// included; a save over a file someone made readable to others keeps that file's mode.
TEST_F(DocumentTest, NewFilesAreTheUsersAloneAndASaveKeepsAnExistingFilesMode) {
    test_folders::ScopedUmask mask(022);
    CModeWatchingDoc doc;
    doc.folder = dir.path();
    doc.numbers = {1, 2};
    ASSERT_TRUE(doc.OnSaveDocument(PathOf("book.dat")));
    const BYTE bytes[] = {1, 2, 3};
    CDocument::ReplaceFileContents(PathOf("store.dat"), bytes, sizeof bytes);
    CFile created;
    ASSERT_TRUE(created.Open(PathOf("box.dat"), CFile::modeCreate | CFile::modeWrite));
    created.Close();
    for (const char* name : {"book.dat", "store.dat", "box.dat"})
        EXPECT_EQ(0600, test_folders::ModeOf(dir.path() / name)) << name;
    EXPECT_EQ(std::vector<int>{0600}, doc.temporaryModes);

    for (const char* name : {"book.dat", "store.dat", "box.dat"})
        fs::permissions(dir.path() / name, fs::perms(0640));
    ASSERT_TRUE(doc.OnSaveDocument(PathOf("book.dat")));
    CDocument::ReplaceFileContents(PathOf("store.dat"), bytes, sizeof bytes);
    ASSERT_TRUE(created.Open(PathOf("box.dat"), CFile::modeCreate | CFile::modeWrite));
    created.Close();
    for (const char* name : {"book.dat", "store.dat", "box.dat"})
        EXPECT_EQ(0640, test_folders::ModeOf(dir.path() / name)) << name;
}

// In a shared sticky folder a save follows a link only when the kernel's rule for such folders
// would: the link is the user's own or the folder owner's. Another user's link planted there
// cannot choose which of the user's files is replaced; elsewhere links are followed as before.
TEST_F(DocumentTest, ASaveFollowsALinkInASharedStickyFolderOnlyUnderTheKernelsRule) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a link another owner needs root";
    const uid_t stranger = 4242, folderOwner = 4343;
    fs::path shared = dir.path() / "shared", plain = dir.path() / "plain";
    fs::create_directory(shared);
    fs::create_directory(plain);
    fs::permissions(shared, fs::perms(01777));
    fs::permissions(plain, fs::perms(0777));
    ASSERT_EQ(0, ::chown(shared.c_str(), folderOwner, folderOwner));
    struct Case {
        fs::path folder;
        uid_t linkOwner;
        bool followed;
    } cases[] = {
        {shared, stranger, false},
        {shared, ::geteuid(), true},
        {shared, folderOwner, true},
        {plain, stranger, true},
    };
    int n = 0;
    for (const Case& c : cases) {
        std::string name = "target" + std::to_string(++n) + ".dat";
        std::ofstream(dir.path() / name) << "precious";
        fs::path link = c.folder / ("link" + std::to_string(n) + ".dat");
        fs::create_symlink(dir.path() / name, link);
        ASSERT_EQ(0, ::lchown(link.c_str(), c.linkOwner, c.linkOwner));
        CNumbersDoc doc;
        doc.numbers = {5};
        g_messages.clear();
        EXPECT_EQ(c.followed, (bool)doc.OnSaveDocument(link.string().c_str())) << link;
        EXPECT_EQ(c.followed, Read(name.c_str()) != "precious") << link;
        EXPECT_EQ(c.followed ? 0u : 1u, g_messages.size()) << link;
        EXPECT_TRUE(fs::is_symlink(link)) << link;
        const BYTE bytes[] = {'n', 'e', 'w'};
        bool replaced = true;
        try {
            CDocument::ReplaceFileContents(link.string().c_str(), bytes, sizeof bytes);
        } catch (CFileException* e) {
            EXPECT_EQ(CFileException::accessDenied, e->m_cause);
            e->Delete();
            replaced = false;
        }
        EXPECT_EQ(c.followed, replaced) << link;
        EXPECT_EQ(c.followed ? "new" : "precious", Read(name.c_str())) << link;
    }
}

TEST_F(DocumentTest, FailuresReportOnceAndKeepOldFilesWhole) {
    CNumbersDoc doc;
    doc.numbers = {1, 2, 3, 4};
    ASSERT_TRUE(doc.OnSaveDocument(PathOf("n.dat")));
    std::string before = Read("n.dat");

    doc.numbers = {5, 6, 7};
    doc.failAt = 2;
    doc.SetModifiedFlag();
    EXPECT_FALSE(doc.OnSaveDocument(PathOf("n.dat")));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(Read("n.dat"), before);
    ASSERT_EQ(g_messages.size(), 1u);
    EXPECT_NE(g_messages[0].find("磁盘已满"), std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);

    // A damaged file: the document is emptied and the open prompt shown.
    std::ofstream(dir.path() / "bad.dat", std::ios::binary) << std::string("\x05\0\x01\0\0\0", 6);
    CNumbersDoc loaded;
    loaded.numbers = {42};
    EXPECT_FALSE(loaded.OnOpenDocument(PathOf("bad.dat")));
    EXPECT_TRUE(loaded.numbers.empty());
    EXPECT_EQ(g_messages.back(), "打开文档失败。\n" + (dir.path() / "bad.dat").string());

    // A file that is not there names itself.
    EXPECT_FALSE(loaded.OnOpenDocument(PathOf("missing.dat")));
    EXPECT_NE(g_messages.back().find("missing.dat"), std::string::npos);

    // Paths the program holds in its own form are shown in the system's, with the names as they
    // are on disk.
    fs::create_directory(dir.path() / "Folder");
    std::ofstream(dir.path() / "Folder" / "Bad.dat", std::ios::binary)
        << std::string("\x05\0\x01\0\0\0", 6);
    const std::string shown = (dir.path() / "Folder").string();
    CString held = CString(dir.str().c_str()) + "\\folder\\bad.dat";
    EXPECT_FALSE(loaded.OnOpenDocument(held));
    EXPECT_EQ(g_messages.back(), "打开文档失败。\n" + shown + "/Bad.dat");
    EXPECT_FALSE(loaded.OnOpenDocument(CString(dir.str().c_str()) + "\\folder\\none.dat"));
    EXPECT_EQ(g_messages.back(), "找不到文件 " + shown + "/none.dat。");
}

// A document whose storing tells a pipe it has begun and then waits to be killed.
class CHangingDoc : public CDocument {
public:
    int startedFd = -1;
    void Serialize(CArchive& ar) override {
        if (ar.IsStoring()) {
            ar << 1;
            char c = 's';
            (void)!::write(startedFd, &c, 1);
            for (;;)
                ::pause();
        }
    }
};

TEST_F(DocumentTest, AFirstSaveKilledPartWayLeavesNoFile) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::close(fds[0]);
        CHangingDoc doc;
        doc.startedFd = fds[1];
        doc.OnSaveDocument(PathOf("new.dat"));
        ::_exit(0);
    }
    ::close(fds[1]);
    char c = 0;
    ASSERT_EQ(::read(fds[0], &c, 1), 1);
    ::close(fds[0]);
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    EXPECT_FALSE(fs::exists(dir.path() / "new.dat"));

    // A save into a folder that is not there is refused before storing, naming the file.
    CNumbersDoc doc;
    EXPECT_FALSE(doc.OnSaveDocument(PathOf("no-such-folder/n.dat")));
    ASSERT_EQ(g_messages.size(), 1u);
    EXPECT_NE(g_messages.back().find("no-such-folder/n.dat"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir.path() / "no-such-folder"));
}

TEST_F(DocumentTest, SavingRemovesTemporariesOfSavesWhoseProcessIsGone) {
    // A process that has ended: its pid names a save that was killed.
    pid_t gone = ::fork();
    ASSERT_GE(gone, 0);
    if (gone == 0)
        ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    std::string stale = "n.dat.~" + std::to_string(gone) + "-3";
    std::string live = "n.dat.~" + std::to_string(::getppid()) + "-1"; // a live process's save
    std::string other = "m.dat.~" + std::to_string(gone) + "-1";        // another file's
    std::string odd = "n.dat.~" + std::to_string(gone) + "-x";          // not a save's name
    for (const std::string& name : {stale, live, other, odd})
        std::ofstream(dir.path() / name) << "partial";

    CNumbersDoc doc;
    doc.numbers = {1};
    ASSERT_TRUE(doc.OnSaveDocument(PathOf("n.dat")));
    EXPECT_FALSE(fs::exists(dir.path() / stale));
    for (const std::string& name : {live, other, odd})
        EXPECT_TRUE(fs::exists(dir.path() / name)) << name;
}

TEST_F(DocumentTest, ReportChoosesTheMessageByException) {
    CNumbersDoc doc;
    struct Row {
        CException* e;
        UINT prompt;
        std::string expected; // empty: nothing shown
    } rows[] = {
        {new CUserException, AFX_IDP_FAILED_TO_SAVE_DOC, ""},
        {new CArchiveException(CArchiveException::endOfFile), AFX_IDP_FAILED_TO_OPEN_DOC,
         "打开文档失败。\na.sms"},
        {new CFileException(CFileException::genericException), AFX_IDP_FAILED_TO_SAVE_DOC,
         "保存文档失败。"},
        {new CFileException(CFileException::fileNotFound), AFX_IDP_INVALID_FILENAME,
         "找不到文件 a.sms。"},
        {nullptr, AFX_IDP_INVALID_FILENAME, "文件名不正确。"},
        {new CMemoryException, AFX_IDP_FAILED_TO_OPEN_DOC, "内存不足。"},
    };
    for (Row& row : rows) {
        g_messages.clear();
        doc.ReportSaveLoadException("a.sms", row.e, FALSE, row.prompt);
        if (row.e != nullptr)
            row.e->Delete();
        if (row.expected.empty())
            EXPECT_TRUE(g_messages.empty());
        else
            EXPECT_EQ(g_messages, (std::vector<std::string>{row.expected}));
    }
}

class RecordingHost : public IDocumentViewHost {
public:
    std::vector<std::pair<CView*, LPARAM>> updates;
    int titles = 0;
    void UpdateView(CView* pView, CView*, LPARAM lHint, CObject*) override {
        updates.emplace_back(pView, lHint);
    }
    void OnDocumentTitleChanged(CDocument*) override { ++titles; }
};

TEST_F(DocumentTest, ViewsAreUpdatedThroughTheHostExceptTheSender) {
    RecordingHost host;
    IDocumentViewHost* previous = CDocument::SetViewHost(&host);
    CNumbersDoc doc;
    auto* v1 = reinterpret_cast<CView*>(0x10);
    auto* v2 = reinterpret_cast<CView*>(0x20);
    doc.AddView(v1);
    doc.AddView(v2);
    doc.UpdateAllViews(v1, 5);
    ASSERT_EQ(host.updates.size(), 1u);
    EXPECT_EQ(host.updates[0], std::make_pair(v2, (LPARAM)5));
    doc.RemoveView(v2);
    doc.UpdateAllViews(nullptr);
    EXPECT_EQ(host.updates.size(), 2u);
    EXPECT_EQ(host.updates[1].first, v1);
    doc.SetTitle("t");
    EXPECT_EQ(host.titles, 1);
    CDocument::SetViewHost(previous);
}

// A save replaces the file by a new one; the user's permissions on the old one must come along,
// whatever they were set to after the file was first written.
TEST_F(DocumentTest, ASaveKeepsTheModeTheFileWasGiven) {
    for (fs::perms mode : {fs::perms(0600), fs::perms(0640), fs::perms(0755)}) {
        SCOPED_TRACE(static_cast<int>(mode));
        CNumbersDoc doc;
        doc.numbers = {1};
        ASSERT_TRUE(doc.OnSaveDocument(PathOf("m.dat")));
        fs::permissions(dir.path() / "m.dat", mode, fs::perm_options::replace);
        doc.numbers.push_back(2);
        doc.SetModifiedFlag();
        ASSERT_TRUE(doc.OnSaveDocument(PathOf("m.dat")));
        EXPECT_EQ(fs::status(dir.path() / "m.dat").permissions() & fs::perms::mask, mode);
        EXPECT_EQ(Read("m.dat").size(), 10u);
        fs::remove(dir.path() / "m.dat");
    }
}

// A document kept elsewhere and reached through a relative link of the user's: the save writes
// the file the link names and the link itself stays as it was.
TEST_F(DocumentTest, ASaveThroughALinkWritesItsTargetAndKeepsTheLink) {
    fs::create_directory(dir.path() / "real");
    CNumbersDoc doc;
    doc.numbers = {5};
    ASSERT_TRUE(doc.OnSaveDocument(PathOf("real/n.dat")));
    fs::create_symlink("real/n.dat", dir.path() / "n.dat");

    doc.numbers = {5, 6};
    ASSERT_TRUE(doc.OnSaveDocument(PathOf("n.dat")));
    ASSERT_TRUE(fs::is_symlink(fs::symlink_status(dir.path() / "n.dat")));
    EXPECT_EQ(fs::read_symlink(dir.path() / "n.dat"), fs::path("real/n.dat"));
    EXPECT_EQ(Read("real/n.dat"), std::string("\x02\0\x05\0\0\0\x06\0\0\0", 10));
    // Nothing of the save is left beside the link or the target.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path() / "real"), fs::directory_iterator()),
              1);
}

} // namespace
