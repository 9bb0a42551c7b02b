// The attachment list: files and folders added (links, repeats, missing files), icons shared by
// extension, and removal by the Delete key.
#include "mail/ui/FileListCtrl.h"
#include "platform/gui/WndPrivate.h"
#include "platform/gui/tests/GuiTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

class Recorder : public CFileListCtrl::IListener {
public:
    int changes = 0;
    void OnFileListChanged(CFileListCtrl*) override { ++changes; }
};

class FileListCtrlTest : public GuiTest {
protected:
    QTemporaryDir dir;
    CWnd host;
    CFileListCtrl list;
    Recorder recorder;

    void SetUp() override {
        ASSERT_TRUE(host.CreateEx(0, nullptr, "host", WS_POPUP | WS_VISIBLE, CRect(0, 0, 500, 300),
                                  nullptr, 0));
        ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(0, 0, 500, 300), &host,
                                1203));
        list.SetListener(&recorder);
    }
    void TearDown() override { host.DestroyWindow(); }

    // A program path below the test's folder (names are GBK, as the program's are).
    CString P(const char* name) const { return AfxFromQt(dir.path()) + "/" + name; }
    void MakeFile(const char* name, const char* content = "x") {
        QString path = dir.path() + "/" + AfxToQt(name);
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    void Link(const char* target, const char* name) {
        ASSERT_EQ(0, symlink(target, (dir.path() + "/" + AfxToQt(name)).toUtf8().constData()));
    }
    std::multiset<std::string> Names() const {
        std::multiset<std::string> names;
        const CStringList& paths = list.GetPaths();
        for (POSITION pos = paths.GetHeadPosition(); pos != nullptr;) {
            CString p = paths.GetNext(pos);
            names.insert(AfxFromQt(AfxToQt(p).replace(QChar(0x5C), QChar(0x2F)).mid(dir.path().size() + 1)).GetString());
        }
        return names;
    }
};

TEST_F(FileListCtrlTest, AFolderBringsEveryRealFileBelowItOnceAndLinksToFoldersAreNotWalked) {
    MakeFile("信件/a.txt");
    MakeFile("信件/子/b.doc");
    MakeFile("信件/子/孙/c.txt");
    MakeFile("other/outside.txt");
    Link("..", "信件/子/孙/up");                 // a link to a parent: the walk must end
    Link("../../other", "信件/子/elsewhere");    // a link to a folder outside: not followed
    Link("a.txt", "信件/again.txt");             // a second name of a file already there

    EXPECT_TRUE(list.AddPath(P("信件")));
    EXPECT_EQ((std::multiset<std::string>{"信件/a.txt", "信件/子/b.doc", "信件/子/孙/c.txt"}),
              Names());
    EXPECT_EQ(3, list.GetItemCount());
    EXPECT_STREQ("c.txt", list.GetItemText(2, 0));

    // The same folder, a file in it (also with a trailing separator) and a folder inside it
    // add nothing more.
    EXPECT_FALSE(list.AddPath(P("信件/")));
    EXPECT_FALSE(list.AddPath(P("信件/a.txt")));
    EXPECT_FALSE(list.AddPath(P("信件/子")));
    EXPECT_EQ(3, list.GetItemCount());
    // A link to a folder given by the user is taken: its folder is walked.
    EXPECT_TRUE(list.AddPath(P("信件/子/elsewhere")));
    EXPECT_EQ(4, list.GetItemCount());
    EXPECT_EQ(0, recorder.changes);
}

TEST_F(FileListCtrlTest, MissingFilesAndFoldersWithoutTheOptionAddNothing) {
    MakeFile("box/one.txt");
    struct Case {
        const char* path;
        DWORD options;
        BOOL check;
        int added;
    } cases[] = {
        {"box/none.txt", CFileListCtrl::OPTION_RECURSIVE, TRUE, 0},
        {"box/none.txt", CFileListCtrl::OPTION_RECURSIVE, FALSE, 1}, // a stored mail's file
        {"box", 0, TRUE, 0},
        {"box", CFileListCtrl::OPTION_RECURSIVE, TRUE, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        list.RemoveAll();
        list.m_dwOptions = c.options;
        EXPECT_EQ(c.added != 0, list.AddPath(P(c.path), c.check));
        EXPECT_EQ(c.added, list.GetItemCount());
        EXPECT_EQ(c.added, (int)list.GetPaths().GetCount());
    }
}

TEST_F(FileListCtrlTest, FilesOfOneExtensionShareOneCachedIcon) {
    MakeFile("a.TXT");
    MakeFile("b.txt");
    MakeFile("c.pdf");
    MakeFile("noext");
    for (const char* name : {"a.TXT", "b.txt", "c.pdf", "noext"})
        EXPECT_TRUE(list.AddPath(P(name)));
    EXPECT_EQ(3, list.GetCachedIconCount()); // ".txt", ".pdf" and no extension
    EXPECT_EQ(3, list.GetIcons().GetImageCount());
    LVITEM a{}, b{}, c{};
    a.mask = b.mask = c.mask = LVIF_IMAGE;
    a.iItem = 0;
    b.iItem = 1;
    c.iItem = 2;
    list.GetItem(&a);
    list.GetItem(&b);
    list.GetItem(&c);
    EXPECT_EQ(a.iImage, b.iImage);
    EXPECT_NE(a.iImage, c.iImage);
    EXPECT_EQ(a.iImage, list.GetIconIndex(".Txt"));
    EXPECT_EQ(3, list.GetIcons().GetImageCount());
}

TEST_F(FileListCtrlTest, DeleteRemovesTheSelectedFilesOnceEvenWhenHeld) {
    struct Case {
        std::vector<const char*> files;
        std::vector<int> selected;
        std::vector<std::string> remaining; // in the list's order
    };
    const Case cases[] = {
        {{"1.txt", "2.txt", "3.txt", "4.txt"}, {0}, {"2.txt", "3.txt", "4.txt"}},
        {{"1.txt", "2.txt", "3.txt", "4.txt"}, {0, 2}, {"2.txt", "4.txt"}},
        {{"1.txt"}, {0}, {}},
        {{"1.txt", "2.txt", "3.txt", "4.txt"}, {1, 2}, {"1.txt", "4.txt"}},
        {{"1.txt", "2.txt", "3.txt", "4.txt"}, {1, 3}, {"1.txt", "3.txt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.files.size() << " files, first selected " << c.selected[0]
                                        << ", " << c.selected.size() << " selected");
        list.RemoveAll();
        for (const char* name : c.files) {
            MakeFile(name);
            ASSERT_TRUE(list.AddPath(P(name)));
        }
        recorder.changes = 0;
        for (int row : c.selected)
            list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        list.SetFocus();
        ASSERT_TRUE(WaitFor([&] { return CWnd::GetFocus() == &list; }));
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(list.GetWidget(), &repeat);
        EXPECT_EQ((int)c.files.size(), list.GetItemCount()); // a repeat alone removes nothing
        QTest::keyClick(list.GetWidget(), Qt::Key_Delete);
        EXPECT_EQ(std::multiset<std::string>(c.remaining.begin(), c.remaining.end()), Names());
        ASSERT_EQ((int)c.remaining.size(), list.GetItemCount());
        for (int i = 0; i < list.GetItemCount(); ++i)
            EXPECT_STREQ(c.remaining[i].c_str(), list.GetItemText(i, 0)) << "row " << i;
        EXPECT_EQ(1, recorder.changes);
    }
    // A removed file can be added again.
    EXPECT_TRUE(list.AddPath(P("2.txt")));
    list.m_bNoNotify = TRUE;
    EXPECT_TRUE(list.RemoveItem(0));
    EXPECT_EQ(1, recorder.changes);
}

} // namespace
