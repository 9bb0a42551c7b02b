// The information base in the running program: Ctrl+5 shows its tree and list, groups list their
// members, items their rows (inline or from a data file), find walks the cells both ways, and web
// and mail cells open in the desktop's handlers.
#include <gtest/gtest.h>

#include "notes/module/NotesModule.h"
#include "notes/ui/InfoListView.h"
#include "notes/ui/InfoView.h"
#include "notes/ui/NoteTreeView.h"
#include "res/mainframe.h"
#include "platform/base/Gbk.h"
#include "platform/gui/ShellServices.h"
#include "platform/gui/TrayIcon.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "shell/OutbarWnd.h"
#include "shell/RightPaneFrame.h"
#include "shell/tests/ProgramRun.h"

#include <QApplication>
#include <QDir>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class InfoProgramTest : public ScriptedUserTest {
protected:
    AppFolders folders;
    CInfoModule module;
    std::vector<std::string> opened;
    ShellOpenHook oldHook;

    void SetUp() override {
        AfxSetTrayAvailableForTesting(0);
        InstallScriptedUser(IDOK);
        AfxRegisterShellModule(&module);
        oldHook = AfxSetShellOpenHook([this](const std::string& url) {
            opened.push_back(url);
            return true;
        });
    }
    void TearDown() override {
        AfxSetShellOpenHook(oldHook);
        AfxUnregisterShellModule(nullptr);
        RemoveScriptedUser();
        AfxSetTrayAvailableForTesting(-1);
    }
    // A base of our own in the program folder, before the shipped one is copied in.
    void WriteBase() {
        fs::path info = folders.dir.path() / "home" / "info";
        fs::create_directories(info);
        auto write = [&](const char* name, const CString& text) {
            std::ofstream(info / GbkToUtf8(name), std::ios::binary) << text.GetString();
        };
        write("info.inf",
              "GROUP=根\r\nBEGIN\r\n"
              "GROUP=无标题组\r\nBEGIN\r\nEND\r\n"
              "CONTENT=网站\r\n风格=url(1) mailto(2)\r\n字段数=3\r\n字段=名称,网址,邮箱\r\n"
              "字段宽度=80,0\r\nBEGIN\r\n"
              "甲,www.example.org,mailto:a@example.org\r\n"
              "乙,javascript:alert(1),b@example.org\r\n"
              "甲乙,https://example.com/x//y,\r\nEND\r\n"
              "CONTENT=区号\r\n风格=空格\r\n字段数=2\r\n字段=城市,区号\r\nBEGINLINK\r\n"
              "\"info\\区号.txt\"\r\nENDLINK\r\n"
              "END\r\n");
        write("区号.txt", "北京   010\r\n上海 021 // 注释\r\n");
    }
    static void Pump() { GuiTest::Pump(); }
    // Ctrl+5 (信息大全) in the running program; its tree, or null.
    static CInfoView* ShowInfo(CSmsApp& app) {
        CMainFrame* frame = app.GetMainFrame();
        frame->SendMessage(WM_COMMAND, 32834);
        Pump();
        return dynamic_cast<CInfoView*>(frame->GetOutbar()->GetFolderWnd(FolderInfo));
    }
    // The base's first folder selected in the tree: the list that shows it.
    static CInfoListView* ShowFirstFolder(CInfoView& tree) {
        POSITION pos = tree.GetRoot().GetFirstContentPosition();
        EXPECT_TRUE(tree.SelectObject(tree.GetRoot().GetNextContent(pos)));
        Pump();
        return tree.GetListView();
    }
};

TEST_F(InfoProgramTest, Ctrl5BrowsesFindsAndOpensCells) {
    WriteBase();
    auto app = StartProgram();
    ASSERT_NE(app, nullptr);
    CMainFrame* frame = app->GetMainFrame();
    frame->SendMessage(WM_COMMAND, 32834); // 信息大全, Ctrl+5
    Pump();
    auto* tree = dynamic_cast<CInfoView*>(frame->GetOutbar()->GetFolderWnd(FolderInfo));
    ASSERT_NE(tree, nullptr);
    CInfoListView* list = tree->GetListView();
    ASSERT_NE(list, nullptr);
    CInfoGroup& root = tree->GetRoot();
    EXPECT_EQ(root.GetName(), "根");
    // The top group is shown: its column titled with its name (no title), its members listed.
    EXPECT_EQ(list->GetShown(), &root);
    CListCtrl& rows = list->GetListCtrl();
    ASSERT_EQ(rows.GetItemCount(), 3);
    EXPECT_EQ(rows.GetItemText(0, 0), "无标题组");
    EXPECT_EQ(rows.GetItemText(2, 0), "区号");
    EXPECT_EQ(frame->GetRightPane()->GetCurrentWnd(), list);
    CString caption;
    frame->GetWindowText(caption);
    EXPECT_NE(caption.Find("信息大全 - 根"), -1);
    EXPECT_TRUE(frame->SaveScreenshot(ScreenPath("info-list").c_str()));
    // "转到上一级" on the top group does nothing.
    list->SendMessage(WM_COMMAND, CInfoListView::ID_UP);
    EXPECT_EQ(list->GetShown(), &root);

    // A double click on a member selects it in the tree: the item's rows, its widths (100
    // where none is given).
    POSITION pos = root.GetFirstContentPosition();
    auto* web = static_cast<CInfoContent*>(root.GetNextContent(pos));
    auto* codes = static_cast<CInfoContent*>(root.GetNextContent(pos));
    ASSERT_TRUE(tree->SelectObject(web));
    Pump();
    EXPECT_EQ(list->GetShown(), web);
    ASSERT_EQ(rows.GetItemCount(), 3);
    EXPECT_EQ(rows.GetItemText(2, 1), "https://example.com/x//y");

    // Find down walks the cells and says when it is done; up after the last hit moves back.
    EXPECT_TRUE(list->FindNext("甲", FALSE, TRUE));
    EXPECT_EQ(rows.GetNextItem(-1, LVNI_SELECTED), 0);
    EXPECT_TRUE(list->FindNext("甲", FALSE, TRUE));
    EXPECT_EQ(rows.GetNextItem(-1, LVNI_SELECTED), 2);
    shown.clear();
    EXPECT_FALSE(list->FindNext("甲", FALSE, TRUE));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "查找完毕。");
    EXPECT_TRUE(list->FindNext("EXAMPLE.COM", FALSE, FALSE));
    EXPECT_EQ(rows.GetNextItem(-1, LVNI_SELECTED), 2);
    EXPECT_FALSE(list->FindNext("EXAMPLE.COM", TRUE, FALSE));

    // Web and mail cells open; a web cell of another scheme is refused with a message.
    EXPECT_TRUE(list->ActivateCell(0, 1));
    EXPECT_TRUE(list->ActivateCell(0, 2));
    EXPECT_TRUE(list->ActivateCell(1, 2));
    shown.clear();
    EXPECT_FALSE(list->ActivateCell(1, 1));
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_FALSE(list->ActivateCell(0, 0));
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_EQ(opened[0], "http://www.example.org");
    EXPECT_EQ(opened[1], "mailto:a@example.org");
    EXPECT_EQ(opened[2], "mailto:b@example.org");

    // An item kept in a data file with blanks between its fields.
    ASSERT_TRUE(tree->SelectObject(codes));
    Pump();
    ASSERT_EQ(rows.GetItemCount(), 2);
    EXPECT_EQ(rows.GetItemText(0, 1), "010");
    EXPECT_EQ(rows.GetItemText(1, 0), "上海");
    // Going up shows the group again.
    list->SendMessage(WM_COMMAND, CInfoListView::ID_UP);
    Pump();
    EXPECT_EQ(list->GetShown(), &root);
    EXPECT_TRUE(ExitProgram(*app));
}

TEST_F(InfoProgramTest, TheShippedBaseShowsItsGroups) {
    auto app = StartProgram();
    ASSERT_NE(app, nullptr);
    CMainFrame* frame = app->GetMainFrame();
    frame->SendMessage(WM_COMMAND, 32834);
    Pump();
    auto* tree = dynamic_cast<CInfoView*>(frame->GetOutbar()->GetFolderWnd(FolderInfo));
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->GetRoot().GetName(), "信息大全");
    EXPECT_GE(tree->GetRoot().GetSubgroupCount(), 3);
    CObject* phones = tree->GetRoot().FindByName("紧急电话", FALSE, TRUE, TRUE);
    ASSERT_NE(phones, nullptr);
    ASSERT_TRUE(tree->SelectObject(phones));
    Pump();
    EXPECT_EQ(tree->GetListView()->GetListCtrl().GetItemText(0, 1), "110");
    QDir().mkpath(QUILLMAR_SCREENS_DIR);
    EXPECT_TRUE(frame->SaveScreenshot(ScreenPath("info-tree").c_str()));
    EXPECT_TRUE(ExitProgram(*app));
}

} // namespace

namespace {

TEST_F(InfoProgramTest, TheFindDialogSearchesTheList) {
    WriteBase();
    auto app = StartProgram();
    ASSERT_NE(app, nullptr);
    CInfoView* tree = ShowInfo(*app);
    ASSERT_NE(tree, nullptr);
    CInfoListView* list = ShowFirstFolder(*tree);
    int selected = -1;
    bool grabbed = false;
    onDialog = [&](CDialog& d) {
        d.SetDlgItemText(1006, "乙");
        d.SendMessage(WM_COMMAND, IDOK); // 查找下一个
        selected = list->GetListCtrl().GetNextItem(-1, LVNI_SELECTED);
        Pump();
        QDir().mkpath(QUILLMAR_SCREENS_DIR);
        grabbed = d.SaveScreenshot(ScreenPath("info-find-448").c_str());
        d.EndDialog(IDCANCEL);
    };
    list->SendMessage(WM_COMMAND, CInfoListView::ID_FIND);
    EXPECT_EQ(selected, 1);
    EXPECT_TRUE(grabbed);
    EXPECT_TRUE(ExitProgram(*app));
}

// Ctrl+F in the list, the text typed and 查找下一个 clicked: the row found shows in the selection
// colour while the dialog has the focus. Ctrl+3 typed in the dialog goes to the notes, and the
// dialog goes too rather than stay over them and take what is typed next.
TEST_F(InfoProgramTest, TheFindDialogShowsItsRowSelectedAndLeavesWithTheModule) {
    CNotesModule notes;
    AfxRegisterShellModule(&notes);
    WriteBase();
    auto app = StartProgram();
    ASSERT_NE(app, nullptr);
    CMainFrame* frame = app->GetMainFrame();
    CInfoView* tree = ShowInfo(*app);
    ASSERT_NE(tree, nullptr);
    CInfoListView* list = ShowFirstFolder(*tree);
    CListCtrl& rows = list->GetListCtrl();
    const QColor selection = AfxQColor(GetSysColor(COLOR_HIGHLIGHT));
    QColor foundRow;
    int selected = -1, dialogs = 0;
    bool stayed = false, keptByKey = false;
    onDialog = [&](CDialog& d) {
        ++dialogs;
        CWnd* text = d.GetDlgItem(1006);
        ASSERT_NE(text, nullptr);
        CWnd* next = d.GetDlgItem(IDOK);
        EXPECT_FALSE(next->IsWindowEnabled()) << "nothing to find yet";
        QTest::keyClicks(text->GetWidget(), "b@");
        EXPECT_TRUE(next->IsWindowEnabled());
        QTest::mouseClick(next->GetWidget(), Qt::LeftButton, Qt::NoModifier, next->GetWidget()->rect().center());
        Pump();
        selected = rows.GetNextItem(-1, LVNI_SELECTED);
        CRect rc;
        if (selected >= 0 && rows.GetItemRect(selected, &rc, LVIR_BOUNDS))
            foundRow = rows.GetWidget()->grab().toImage().pixelColor(60, rc.CenterPoint().y);
        // Ctrl+3 typed in the dialog stays in it: the module changes only when something else
        // changes it (a file handed over by a second copy, the tray), as the frame's command here.
        HWND h = d.m_hWnd;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_3, Qt::ControlModifier);
        Pump();
        keptByKey = frame->GetRightPane()->GetCurrentWnd() == list && ::IsWindow(h);
        frame->SendMessage(WM_COMMAND, ID_MODULE_NOTES);
        Pump();
        QTimer::singleShot(300, [&stayed, h] {
            if (auto* open = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(h))) {
                stayed = true;
                open->EndDialog(IDCANCEL);
            }
        });
    };
    list->SetFocus();
    Pump();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::ControlModifier);
    Pump();
    onDialog = nullptr;
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(selected, 1);
    EXPECT_EQ(foundRow.name().toStdString(), selection.name().toStdString());
    EXPECT_TRUE(keptByKey) << "a key typed in the dialog went to the main window";
    EXPECT_FALSE(stayed) << "the dialog stayed over the notes";
    EXPECT_EQ(list->GetFindDialog(), nullptr);
    EXPECT_NE(frame->GetRightPane()->GetCurrentWnd(), list);
    EXPECT_NE(dynamic_cast<CNoteTreeView*>(frame->GetOutbar()->GetFolderWnd(FolderNotes)), nullptr);
    EXPECT_TRUE(ExitProgram(*app));
}

} // namespace

namespace {

// Enter in the list does what a double click does: a group member opens in the tree, an item's
// row opens its web cell.
TEST_F(InfoProgramTest, EnterOpensTheFocusedRow) {
    WriteBase();
    auto app = StartProgram();
    ASSERT_NE(app, nullptr);
    CInfoView* tree = ShowInfo(*app);
    ASSERT_NE(tree, nullptr);
    CInfoListView* list = tree->GetListView();
    ASSERT_NE(list, nullptr);
    CListCtrl& rows = list->GetListCtrl();
    ASSERT_EQ(rows.GetItemCount(), 3);
    auto press = [&](int key) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        Pump();
    };
    rows.SetFocus();
    rows.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    Pump();
    press(Qt::Key_Down); // 网站
    press(Qt::Key_Return);
    POSITION pos = tree->GetRoot().GetFirstContentPosition();
    CContent* web = tree->GetRoot().GetNextContent(pos);
    ASSERT_EQ(list->GetShown(), web);
    ASSERT_EQ(rows.GetItemCount(), 3);
    rows.SetFocus();
    rows.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    Pump();
    press(Qt::Key_Return);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], "http://www.example.org");
    EXPECT_TRUE(ExitProgram(*app));
}

} // namespace

namespace {

// The list's background, changed from its menu, is still there after a restart.
TEST_F(InfoProgramTest, TheBackgroundIsKeptAcrossARestart) {
    WriteBase();
    for (int run = 0; run < 2; ++run) {
        auto app = StartProgram();
        ASSERT_NE(app, nullptr);
        CInfoView* tree = ShowInfo(*app);
        ASSERT_NE(tree, nullptr);
        CInfoListView* list = tree->GetListView();
        ASSERT_NE(list, nullptr);
        if (run == 0) {
            EXPECT_TRUE(list->GetBkManager().IsDefaultBk());
            list->GetListCtrl().SetFocus(); // the menu's commands serve the focused list
            Pump();
            list->SendMessage(WM_COMMAND, CBkManager::IdNoBk); // 无背景
            Pump();
        }
        EXPECT_FALSE(list->GetBkManager().IsDefaultBk()) << "run " << run;
        EXPECT_EQ(list->GetBkManager().GetCurrent().nMethod, CBkInfo::MethodNone) << "run " << run;
        EXPECT_TRUE(ExitProgram(*app));
    }
}

} // namespace
