#include "GuiTestSupport.h"

#include "platform/gui/ShellServices.h"

#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QUrl>
#include <QTemporaryDir>
#include <string>
#include <vector>

namespace {

class ShellServicesTest : public GuiTest {
protected:
    std::vector<std::string> opened;
    std::vector<std::vector<std::string>> started;
    bool openAnswer = true;
    void SetUp() override {
        AfxSetShellOpenHook([this](const std::string& url) {
            opened.push_back(url);
            return openAnswer;
        });
        AfxSetShellExecHook([this](const std::string& program, const std::vector<std::string>& a) {
            std::vector<std::string> line{program};
            line.insert(line.end(), a.begin(), a.end());
            started.push_back(line);
            return true;
        });
    }
    void TearDown() override {
        AfxSetShellOpenHook(nullptr);
        AfxSetShellExecHook(nullptr);
    }
};

TEST_F(ShellServicesTest, OpensOnlyWebAndMailAddresses) {
    struct Row {
        const char* target;
        INT_PTR result;
    } rows[] = {
        {"http://example.com/a?b=1", SE_OPENED},
        {"HTTPS://example.com", SE_OPENED},
        {"ftp://example.com/file", SE_OPENED},
        {"mailto:a@example.com", SE_OPENED},
        {"javascript:alert(1)", SE_ERR_NOASSOC},
        {"smb://server/share", SE_ERR_NOASSOC},
        {"", SE_ERR_FNF},
        {"C:\\no\\such\\file.txt", SE_ERR_FNF},
    };
    for (const Row& r : rows)
        EXPECT_EQ(r.result, ShellExecute(nullptr, "open", r.target, nullptr, nullptr, SW_SHOW))
            << r.target;
    EXPECT_EQ((std::vector<std::string>{"http://example.com/a?b=1", "HTTPS://example.com",
                                        "ftp://example.com/file", "mailto:a@example.com"}),
              opened);
    EXPECT_EQ(SE_ERR_NOASSOC,
              ShellExecute(nullptr, "print", "http://example.com", nullptr, nullptr, SW_SHOW));
    // The desktop refusing the address is a failure, not a success.
    openAnswer = false;
    EXPECT_EQ(SE_ERR_NOASSOC,
              ShellExecute(nullptr, nullptr, "http://example.com", nullptr, nullptr, SW_SHOW));
}

TEST_F(ShellServicesTest, OpensLocalDocumentsButNeverPrograms) {
    QTemporaryDir dir;
    QString doc = dir.path() + QString::fromUtf8(u8"/笔记.txt");
    QString prog = dir.path() + "/tool.sh";
    for (const QString& f : {doc, prog}) {
        QFile file(f);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("x");
    }
    QFile(prog).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    CString docPath = AfxFromQt(doc);
    EXPECT_EQ(SE_OPENED, ShellExecute(nullptr, "open", docPath, nullptr, nullptr, SW_SHOW));
    ASSERT_EQ(1u, opened.size());
    EXPECT_EQ(QUrl::fromLocalFile(doc).toString(QUrl::FullyEncoded).toStdString(), opened[0]);
    EXPECT_EQ(SE_OPENED,
              ShellExecute(nullptr, "open", AfxFromQt(dir.path()), nullptr, nullptr, SW_SHOW));
    EXPECT_EQ(SE_ERR_ACCESSDENIED,
              ShellExecute(nullptr, "open", AfxFromQt(prog), nullptr, nullptr, SW_SHOW));
    std::string fileUrl = "file://" + prog.toStdString();
    EXPECT_EQ(SE_ERR_ACCESSDENIED,
              ShellExecute(nullptr, "open", fileUrl.c_str(), nullptr, nullptr, SW_SHOW));
    EXPECT_EQ(2u, opened.size());
}

TEST_F(ShellServicesTest, WinExecSplitsQuotedWords) {
    EXPECT_GT(WinExec("\"/opt/my app/viewer\" --page \"a b\" c", SW_SHOW), 31u);
    ASSERT_EQ(1u, started.size());
    EXPECT_EQ((std::vector<std::string>{"/opt/my app/viewer", "--page", "a b", "c"}), started[0]);
    EXPECT_EQ((UINT)SE_ERR_FNF, WinExec("   ", SW_SHOW));
}

class CDropTarget : public CWnd {
public:
    std::vector<CString> files;
    POINT pt{};
    LRESULT OnDrop(WPARAM wParam, LPARAM) {
        HDROP h = (HDROP)wParam;
        UINT n = DragQueryFile(h, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < n; ++i) {
            char buf[260];
            DragQueryFile(h, i, buf, sizeof buf);
            files.push_back(buf);
        }
        DragQueryPoint(h, &pt);
        DragFinish(h);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CDropTarget, CWnd)
ON_MESSAGE(WM_DROPFILES, &CDropTarget::OnDrop)
END_MESSAGE_MAP()

TEST_F(ShellServicesTest, DroppedFilesReachTheWindowAndCopiesStayWithinTheBuffer) {
    CStringArray paths;
    paths.Add("/tmp/一.txt");
    paths.Add("/tmp/b.txt");
    HDROP h = AfxMakeDrop(paths, POINT{5, 6});
    EXPECT_EQ(2u, DragQueryFile(h, 0xFFFFFFFF, nullptr, 0));
    EXPECT_EQ(11u, DragQueryFile(h, 0, nullptr, 0));
    char small[7];
    // "/tmp/" and then the two bytes of one character do not fit with the terminator.
    EXPECT_EQ(5u, DragQueryFile(h, 0, small, sizeof small));
    EXPECT_STREQ("/tmp/", small);
    EXPECT_EQ(0u, DragQueryFile(h, 2, small, sizeof small));
    DragFinish(h);
    EXPECT_EQ(0u, DragQueryFile(h, 0xFFFFFFFF, nullptr, 0));

    CDropTarget target;
    ASSERT_TRUE(
        target.CreateEx(0, nullptr, "drop", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr));
    target.ShowWindow(SW_SHOW);
    DragAcceptFiles(&target);
    EXPECT_TRUE(target.GetWidget()->acceptDrops());
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromUtf8(u8"/tmp/一.txt"))});
    QDragEnterEvent enter(QPoint(7, 8), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target.GetWidget(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(7, 8), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target.GetWidget(), &drop);
    ASSERT_EQ(1u, target.files.size());
    EXPECT_STREQ("\\tmp\\一.txt", (LPCTSTR)target.files[0]); // in the program's path form
    EXPECT_EQ(7, target.pt.x);
    EXPECT_EQ(8, target.pt.y);
    DragAcceptFiles(&target, FALSE);
    EXPECT_FALSE(target.GetWidget()->acceptDrops());
    target.DestroyWindow();
}

// Files dropped on a control of a window that accepts files go to the window, as the system
// hands them on: the control (an edit that would take the files' names as text) sees none of
// them. A drop without files is the control's own.
TEST_F(ShellServicesTest, FilesDroppedOnAControlGoToTheWindowThatAcceptsThem) {
    CDropTarget target;
    ASSERT_TRUE(
        target.CreateEx(0, nullptr, "drop", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr));
    target.ShowWindow(SW_SHOW);
    CEdit edit;
    ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE, CRect(10, 20, 150, 40), &target, 100));
    DragAcceptFiles(&target);
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile("/tmp/a.txt"), QUrl("https://example.com/b")});
    files.setText("/tmp/a.txt");
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(edit.GetWidget(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(edit.GetWidget(), &drop);
    ASSERT_EQ(1u, target.files.size()) << "only the local file";
    EXPECT_STREQ("\\tmp\\a.txt", (LPCTSTR)target.files[0]);
    EXPECT_EQ(15, target.pt.x) << "in the window's own coordinates";
    EXPECT_EQ(25, target.pt.y);
    CString text;
    edit.GetWindowText(text);
    EXPECT_STREQ("", (LPCTSTR)text);

    QMimeData words;
    words.setText("hello");
    QDropEvent wordsDrop(QPointF(5, 5), Qt::CopyAction, &words, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(edit.GetWidget(), &wordsDrop);
    EXPECT_EQ(1u, target.files.size());
    // Once the window takes files no more, its controls are left their drops.
    DragAcceptFiles(&target, FALSE);
    QCoreApplication::sendEvent(edit.GetWidget(), &drop);
    EXPECT_EQ(1u, target.files.size());
    target.DestroyWindow();
}

} // namespace
