// The notes in the running program: the "日常记事" folder with its notebooks, a page written and
// formatted in the editor, confirmed, discarded, saved and opened again; unsaved edits that are
// never left silently; a page holding objects shown read-only; a damaged notebook refused.
#include <gtest/gtest.h>

#include "notes/WordPadDoc.h"

#include "notes/module/NotesModule.h"
#include "links/ui/tests/ShownProgress.h"
#include "notes/ui/BrowseFileView.h"
#include "notes/ui/DlgExportRtftxt.h"
#include "notes/ui/NoteFrame.h"
#include "notes/ui/NoteTreeView.h"
#include "notes/ui/WordPadView.h"
#include "platform/base/File.h"
#include "platform/base/Gbk.h"
#include "platform/gui/FindReplaceDialog.h"
#include "platform/gui/Menu.h"
#include "platform/gui/RtfFormat.h"
#include "platform/gui/TrayIcon.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "shell/OutbarWnd.h"
#include "shell/RightPaneFrame.h"
#include "shell/tests/ProgramRun.h"

#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QContextMenuEvent>
#include <QMenu>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QDir>
#include <QImage>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <fstream>
#include <random>
#include <csignal>
#include <sys/resource.h>
#include <memory>

namespace {

class NotesProgramTest : public ScriptedUserTest {
protected:
    AppFolders folders;
    CDocument::MessageHook oldDocHook = nullptr;
    CNotesModule module;
    std::vector<std::string> docMessages;

    void SetUp() override {
        AfxSetTrayAvailableForTesting(0);
        oldDocHook = CDocument::SetMessageHook(nullptr);
        InstallScriptedUser(IDNO);
        AfxRegisterShellModule(&module);
    }
    void TearDown() override {
        AfxUnregisterShellModule(nullptr);
        RemoveScriptedUser();
        CDocument::SetMessageHook(oldDocHook);
        AfxSetTrayAvailableForTesting(-1);
    }
    CString PathOf(const char* name) const { return (folders.dir.str() + "/" + name).c_str(); }

    // A notebook with group 工作 holding page 周报 (stored rich text) and a second page 计划.
    CString WriteNotebook(const char* file, const CString& body = "{\\rtf1 旧内容}") {
        CWordPadDoc doc;
        doc.OnNewDocument();
        doc.GetRootGroup().SetName("我的记事本");
        auto* work = new CNoteGroup("工作");
        auto* page = new CNoteContent("周报");
        page->SetBodyText(body);
        work->AddContent(page, FALSE);
        work->AddContent(new CNoteContent("计划"), FALSE);
        doc.GetRootGroup().AddSubgroup(work, FALSE);
        CString path = PathOf(file);
        EXPECT_TRUE(doc.OnSaveDocument(path));
        return path;
    }
    static CNoteContent* Page(CWordPadDoc* doc, const char* name) {
        return dynamic_cast<CNoteContent*>(
            doc->GetRootGroup().FindByName(name, FALSE, TRUE, TRUE));
    }
    // Selects the page's item in the tree as a click would.
    static BOOL SelectRecord(CNoteTreeView* tree, CGroupItem* record) {
        HTREEITEM h = (HTREEITEM)record->GetTreeItem();
        if (h == nullptr)
            return FALSE;
        tree->GetTreeCtrl().EnsureVisible(h);
        tree->GetTreeCtrl().SelectItem(h);
        Pump();
        return tree->GetTreeCtrl().GetSelectedItem() == h;
    }
    // Types text into the editor through real key events.
    static void Type(CWordPadView* view, const QString& text) {
        view->SetFocus();
        QWidget* w = QApplication::focusWidget();
        ASSERT_NE(w, nullptr);
        QTest::keyClicks(w, text);
        Pump();
    }
    // The program with the notebook open, its group 工作 shown and (with select) its page 周报 in
    // the editor.
    struct Open {
        std::unique_ptr<CSmsApp> app;
        CNoteTreeView* tree = nullptr;
        CWordPadDoc* doc = nullptr;
        CNoteContent* page = nullptr;
        CWordPadView* editor = nullptr;
    };
    Open OpenPage(const CString& body = "{\\rtf1 旧内容}", bool select = true) {
        Open o;
        o.app = StartProgram({WriteNotebook("book.ntp", body)});
        if (!o.app)
            return o;
        o.tree = module.GetTree();
        if (o.tree == nullptr || o.tree->GetFileCount() != 1)
            return o;
        o.doc = dynamic_cast<CWordPadDoc*>(o.tree->GetFileAt(0)->pDoc);
        o.page = Page(o.doc, "周报");
        o.tree->GetTreeCtrl().Expand(o.tree->GetFileAt(0)->hItem, TVE_EXPAND);
        o.tree->GetTreeCtrl().Expand((HTREEITEM)o.page->GetParent()->GetTreeItem(), TVE_EXPAND);
        if (select && SelectRecord(o.tree, o.page))
            o.editor = o.tree->GetEditor();
        return o;
    }
    // The dialog gets the file name and the format, then OK; a dialog that stays open after OK
    // is cancelled.
    void AnswerFileDialog(const CString& path, int nFormat, int nRange = 1) {
        onDialog = [path, nFormat, nRange](CDialog& d) {
            auto* dlg = dynamic_cast<CDlgExportRtftxt*>(&d);
            if (dlg == nullptr) {
                d.EndDialog(IDCANCEL);
                return;
            }
            dlg->m_strFileName = path;
            dlg->m_nFormat = nFormat;
            dlg->m_nRange = nRange;
            dlg->UpdateData(FALSE);
            d.SendMessage(WM_COMMAND, IDOK);
            // A dialog that refused the OK stays open: it is cancelled once the OK is handled.
            HWND h = d.m_hWnd;
            QTimer::singleShot(0, [h] {
                if (auto* open = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(h)))
                    open->EndDialog(IDCANCEL);
            });
        };
    }
    static void SaveScreen(CWnd* wnd, const char* name) {
        QDir().mkpath(QUILLMAR_SCREENS_DIR);
        Pump();
        EXPECT_TRUE(wnd->SaveScreenshot(ScreenPath(name).c_str()));
    }
};

TEST_F(NotesProgramTest, APageWrittenFormattedConfirmedAndSavedOpensAgainIntact) {
    CString path = WriteNotebook("book.ntp");
    auto app = StartProgram();
    ASSERT_NE(app, nullptr);
    CMainFrame* frame = app->GetMainFrame();
    frame->SendMessage(WM_COMMAND, 32836); // 日常记事, Ctrl+3
    Pump();
    CNoteTreeView* tree = module.GetTree();
    ASSERT_NE(tree, nullptr);
    ASSERT_NE(frame->OpenFileByExtension(path), nullptr);
    auto* doc = dynamic_cast<CWordPadDoc*>(tree->GetFileAt(0)->pDoc);
    ASSERT_NE(doc, nullptr);
    tree->GetTreeCtrl().Expand(tree->GetFileAt(0)->hItem, TVE_EXPAND);
    CNoteContent* page = Page(doc, "周报");
    ASSERT_NE(page, nullptr);
    tree->GetTreeCtrl().Expand((HTREEITEM)page->GetParent()->GetTreeItem(), TVE_EXPAND);
    ASSERT_TRUE(SelectRecord(tree, page));

    CWordPadView* editor = tree->GetEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->GetPage(), page);
    EXPECT_EQ(editor->GetRichEditCtrl().GetTextLength(), 6); // bytes, as the control counts
    EXPECT_FALSE(editor->HasUnsavedEdits());

    // Written at the end, the new words made bold and 10.5 points from the format bar.
    editor->GetRichEditCtrl().SetSel(3, 3); // after the three characters
    Type(editor, QString::fromUtf8(" new"));
    EXPECT_TRUE(editor->HasUnsavedEdits());
    editor->GetRichEditCtrl().SetSel(4, 7);
    editor->OnCharBold();
    auto* noteFrame = dynamic_cast<CNoteFrame*>(editor->GetParentFrame());
    ASSERT_NE(noteFrame, nullptr);
    noteFrame->GetFormatBar().m_sizeBox.SetWindowText("10.5");
    EXPECT_TRUE(noteFrame->GetFormatBar().ApplySize());
    editor->GetRichEditCtrl().SetSel(4, 7);
    EXPECT_EQ(editor->GetCharFormatSelection().yHeight, 210);
    SaveScreen(frame, "notes-editor");

    // Ctrl+E through the main window's keys confirms.
    EXPECT_FALSE(doc->IsModified());
    frame->SendMessage(WM_COMMAND, CNoteFrame::ID_CONFIRM);
    Pump();
    EXPECT_FALSE(editor->HasUnsavedEdits());
    EXPECT_TRUE(doc->IsModified());
    RichTextDoc stored = RtfRead(page->GetBodyText());
    EXPECT_EQ(stored.Text(), "旧内容 new") << GbkToUtf8(page->GetBodyText().GetString());
    ASSERT_TRUE(tree->SaveFile(tree->GetFileAt(0), FALSE));
    EXPECT_TRUE(ExitProgram(*app));
    app.reset();

    // Started again with the file on the command line, the page is intact.
    auto again = StartProgram({path});
    ASSERT_NE(again, nullptr);
    CNoteTreeView* tree2 = module.GetTree();
    ASSERT_NE(tree2, nullptr);
    ASSERT_EQ(tree2->GetFileCount(), 1);
    auto* doc2 = dynamic_cast<CWordPadDoc*>(tree2->GetFileAt(0)->pDoc);
    CNoteContent* page2 = Page(doc2, "周报");
    ASSERT_NE(page2, nullptr);
    RichTextDoc reread = RtfRead(page2->GetBodyText());
    ASSERT_EQ(reread.paragraphs.size(), 1u);
    EXPECT_EQ(reread.Text(), "旧内容 new");
    bool boldNew = false;
    for (const RichRun& run : reread.paragraphs[0].runs)
        if (run.text == "new")
            boldNew = run.format.bold && run.format.sizeTwips == 210;
    EXPECT_TRUE(boldNew);
    EXPECT_TRUE(ExitProgram(*again));
}

TEST_F(NotesProgramTest, UnsavedEditsAreNeverLeftSilently) {
    CString path = WriteNotebook("book.ntp");
    auto app = StartProgram({path});
    ASSERT_NE(app, nullptr);
    CNoteTreeView* tree = module.GetTree();
    ASSERT_NE(tree, nullptr);
    auto* doc = dynamic_cast<CWordPadDoc*>(tree->GetFileAt(0)->pDoc);
    CNoteContent* report = Page(doc, "周报");
    CNoteContent* plan = Page(doc, "计划");
    tree->GetTreeCtrl().Expand(tree->GetFileAt(0)->hItem, TVE_EXPAND);
    tree->GetTreeCtrl().Expand((HTREEITEM)report->GetParent()->GetTreeItem(), TVE_EXPAND);
    ASSERT_TRUE(SelectRecord(tree, report));
    CWordPadView* editor = tree->GetEditor();
    ASSERT_NE(editor, nullptr);

    // Stay: the selection does not move and the edits are still there.
    Type(editor, "abc");
    answers = {IDCANCEL};
    EXPECT_FALSE(SelectRecord(tree, plan));
    EXPECT_EQ(editor->GetPage(), report);
    EXPECT_TRUE(editor->HasUnsavedEdits());
    // Discard: the page keeps its stored text and the next page is shown.
    answers = {IDNO};
    EXPECT_TRUE(SelectRecord(tree, plan));
    EXPECT_EQ(report->GetBodyText(), "{\\rtf1 旧内容}");
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(editor->GetPage(), plan);
    // Confirm: the edits go into the page they were made on, not into the page selected next.
    Type(editor, "xyz");
    answers = {IDYES};
    EXPECT_TRUE(SelectRecord(tree, report));
    EXPECT_EQ(RtfRead(plan->GetBodyText()).Text(), "xyz");
    EXPECT_TRUE(doc->IsModified());

    // Closing the notebook asks too; staying keeps it open.
    Type(editor, "!");
    shown.clear();
    answers = {IDCANCEL};
    EXPECT_FALSE(tree->CloseFile(tree->GetFileAt(0), FALSE, TRUE));
    ASSERT_EQ(tree->GetFileCount(), 1);
    ASSERT_FALSE(shown.empty());
    EXPECT_NE(shown[0].text.Find("还没有确认"), -1);

    // At exit: discard the page, do not save the notebook.
    answers = {IDNO, IDNO};
    EXPECT_TRUE(ExitProgram(*app));
}

// Staying on the page at the program's close leaves the page in front with its edits: the trees
// that closed their files before the question do not keep the pane or the title. When another
// folder was in front, the notes' folder comes forward with the page.
TEST_F(NotesProgramTest, ACloseCancelledAtThePageLeavesThePageInFront) {
    CInfoModule info;
    AfxRegisterShellModule(&info);
    for (bool fromInfo : {false, true}) {
        Open o = OpenPage();
        ASSERT_NE(o.editor, nullptr);
        Type(o.editor, "abc");
        auto* main = dynamic_cast<CMainFrame*>(AfxGetMainWnd());
        ASSERT_NE(main, nullptr);
        if (fromInfo) {
            main->SendMessage(WM_COMMAND, 32834); // 信息大全, Ctrl+5
            Pump();
            ASSERT_EQ(main->GetOutbar()->GetSelFolder(), (int)FolderInfo);
        }
        answers = {IDCANCEL};
        shown.clear();
        main->SendMessage(WM_CLOSE);
        EXPECT_EQ(shown.size(), 1u) << "staying on the page ends the close";
        Pump();
        ASSERT_TRUE(::IsWindow(main->m_hWnd));
        EXPECT_EQ(main->GetOutbar()->GetSelFolder(), (int)FolderNotes) << fromInfo;
        CString title;
        main->GetWindowText(title);
        EXPECT_NE(title.Find("周报"), -1) << (LPCTSTR)title;
        EXPECT_TRUE(o.editor->IsWindowVisible()) << fromInfo;
        EXPECT_EQ(o.editor->GetPage(), o.page);
        EXPECT_TRUE(o.editor->HasUnsavedEdits());
        answers = {IDNO, IDNO};
        EXPECT_TRUE(ExitProgram(*o.app));
    }
}

TEST_F(NotesProgramTest, DiscardPutsTheModifiedMarkBackAsItWas) {
    CString path = WriteNotebook("book.ntp");
    auto app = StartProgram({path});
    ASSERT_NE(app, nullptr);
    CNoteTreeView* tree = module.GetTree();
    auto* doc = dynamic_cast<CWordPadDoc*>(tree->GetFileAt(0)->pDoc);
    CNoteContent* report = Page(doc, "周报");
    CNoteContent* plan = Page(doc, "计划");
    tree->GetTreeCtrl().Expand(tree->GetFileAt(0)->hItem, TVE_EXPAND);
    tree->GetTreeCtrl().Expand((HTREEITEM)report->GetParent()->GetTreeItem(), TVE_EXPAND);
    ASSERT_TRUE(SelectRecord(tree, plan));
    CWordPadView* editor = tree->GetEditor();
    auto* noteFrame = dynamic_cast<CNoteFrame*>(editor->GetParentFrame());
    // Another page's confirmed edit marks the notebook.
    Type(editor, "plan");
    noteFrame->EndEdit(TRUE);
    EXPECT_TRUE(doc->IsModified());
    ASSERT_TRUE(SelectRecord(tree, report));
    Type(editor, "tmp");

    // No keeps the edits and the commands.
    answers = {IDNO};
    app->GetMainFrame()->SendMessage(WM_COMMAND, CNoteFrame::ID_DISCARD);
    EXPECT_TRUE(editor->HasUnsavedEdits());
    // Yes: the page shows its stored text and the notebook stays marked for the other page.
    answers = {IDYES};
    app->GetMainFrame()->SendMessage(WM_COMMAND, CNoteFrame::ID_DISCARD);
    EXPECT_FALSE(editor->HasUnsavedEdits());
    EXPECT_EQ(editor->GetRichEditCtrl().GetTextLength(), 6); // bytes, as the control counts
    EXPECT_TRUE(doc->IsModified());

    // On a notebook that was not modified, discard leaves it unmodified.
    ASSERT_TRUE(tree->SaveFile(tree->GetFileAt(0), FALSE));
    EXPECT_FALSE(doc->IsModified());
    Type(editor, "again");
    answers = {IDYES};
    noteFrame->SendMessage(WM_COMMAND, CNoteFrame::ID_DISCARD);
    EXPECT_FALSE(doc->IsModified());
    EXPECT_TRUE(ExitProgram(*app));
}

TEST_F(NotesProgramTest, APageWithObjectsOpensReadOnlyAndIsNeverRewritten) {
    const CString body = "{\\rtf1 text {\\pict\\pngblip 89504e47}}";
    CString path = WriteNotebook("book.ntp", body);
    auto app = StartProgram({path});
    ASSERT_NE(app, nullptr);
    CNoteTreeView* tree = module.GetTree();
    auto* doc = dynamic_cast<CWordPadDoc*>(tree->GetFileAt(0)->pDoc);
    CNoteContent* report = Page(doc, "周报");
    tree->GetTreeCtrl().Expand(tree->GetFileAt(0)->hItem, TVE_EXPAND);
    tree->GetTreeCtrl().Expand((HTREEITEM)report->GetParent()->GetTreeItem(), TVE_EXPAND);
    shown.clear();
    ASSERT_TRUE(SelectRecord(tree, report));
    CWordPadView* editor = tree->GetEditor();
    EXPECT_TRUE(editor->IsKeptReadOnly());
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].text.Find("只读"), -1);
    Type(editor, "typed");
    EXPECT_FALSE(editor->HasUnsavedEdits());
    EXPECT_FALSE(editor->StoreEdits());
    EXPECT_EQ(report->GetBodyText(), body);
    EXPECT_TRUE(ExitProgram(*app));
}

TEST_F(NotesProgramTest, ADamagedNotebookAddsNoRoot) {
    CString path = PathOf("bad.ntp");
    std::ofstream((LPCTSTR)path, std::ios::binary) << std::string("\x3c\x00\x01\x00garbage-garbage", 19);
    auto app = StartProgram();
    ASSERT_NE(app, nullptr);
    CDocument::SetMessageHook([](LPCTSTR, UINT) { return 1; });
    CNoteTreeView* tree = module.GetTree();
    ASSERT_NE(tree, nullptr);
    shown.clear();
    EXPECT_EQ(app->GetMainFrame()->OpenFileByExtension(path), nullptr);
    EXPECT_EQ(tree->GetFileCount(), 0);
    CDocument::SetMessageHook(nullptr);
    EXPECT_TRUE(ExitProgram(*app));
}

// The export writes the whole page or the selection only, as plain text or as RTF.
TEST_F(NotesProgramTest, ExportWritesTheChosenRangeInTheChosenFormat) {
    Open o = OpenPage();
    ASSERT_NE(o.editor, nullptr);
    struct Case {
        const char* file;
        int format; // 0 RTF, 1 text
        int range;  // 0 the selection, 1 all
        CString text;
    };
    const Case cases[] = {
        {"all.txt", 1, 1, "旧内容"},
        {"part.txt", 1, 0, "内容"},
        {"all.rtf", 0, 1, "旧内容"},
        {"part.rtf", 0, 0, "内容"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        o.editor->GetRichEditCtrl().SetSel(1, 3);
        const CString path = PathOf(c.file);
        AnswerFileDialog(path, c.format, c.range);
        answers = {IDOK};
        shown.clear();
        o.editor->SendMessage(WM_COMMAND, CWordPadView::ID_EXPORT);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, "恭喜您，导出成功！");
        std::ifstream in((LPCTSTR)path, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), {});
        if (c.format == 1) {
            EXPECT_EQ(CString(bytes.c_str()), c.text);
            continue;
        }
        EXPECT_EQ(bytes.rfind("{\\rtf", 0), 0u) << bytes;
        // Read back as RTF, the file holds the chosen text.
        o.editor->SetStreamText(SF_RTF, CString(bytes.c_str()));
        EXPECT_EQ(o.editor->GetStreamText(SF_TEXT), c.text);
        o.editor->SetStreamText(SF_TEXT, "旧内容");
    }
    ForgetScript();
    answers = {IDNO, IDNO};
    EXPECT_TRUE(ExitProgram(*o.app));
}

TEST_F(NotesProgramTest, ExportAsksBeforeReplacingAndAFailedWriteLeavesNothing) {
    Open o = OpenPage();
    ASSERT_NE(o.editor, nullptr);
    const CString path = PathOf("out.txt");
    std::ofstream((LPCTSTR)path) << "keep";

    // No at the replace question: the dialog stays and the file keeps its text.
    answers = {IDNO};
    AnswerFileDialog(path, 1);
    shown.clear();
    o.editor->SendMessage(WM_COMMAND, CWordPadView::ID_EXPORT);
    ASSERT_GE(shown.size(), 1u);
    EXPECT_NE(shown[0].text.Find("已经存在"), -1);
    for (const auto& m : shown)
        EXPECT_EQ(m.text.Find("导出成功"), -1);
    std::ifstream in((LPCTSTR)path);
    std::string kept((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(kept, "keep");

    // Yes: replaced with the page's text and the success message.
    answers = {IDYES, IDOK};
    shown.clear();
    o.editor->SendMessage(WM_COMMAND, CWordPadView::ID_EXPORT);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].text, "恭喜您，导出成功！");
    std::ifstream in2((LPCTSTR)path);
    std::string text((std::istreambuf_iterator<char>(in2)), {});
    EXPECT_EQ(CString(text.c_str()), "旧内容");

    // An empty name is refused with its message.
    answers = {IDOK};
    AnswerFileDialog("", 0);
    shown.clear();
    o.editor->SendMessage(WM_COMMAND, CWordPadView::ID_EXPORT);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "您没有输入文件名！请重新输入。");

    // The disk fills up during the write: the failure is told and no partial file stays.
    o.editor->SetStreamText(SF_TEXT, CString('x', 300000));
    const CString big = PathOf("big.rtf");
    AnswerFileDialog(big, 0);
    shown.clear();
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 64 * 1024;
    setrlimit(RLIMIT_FSIZE, &small);
    o.editor->SendMessage(WM_COMMAND, CWordPadView::ID_EXPORT);
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].text.Find("导出失败"), -1);
    CFileStatus st;
    EXPECT_FALSE(CFile::GetStatus(big, st));
    ForgetScript();
    answers = {IDNO, IDNO};
    EXPECT_TRUE(ExitProgram(*o.app));
}

// Importing as RTF: a file without the RTF header (random bytes) is refused with its message
// and the page stays as it was; a table's cells come in apart, a line per row.
TEST_F(NotesProgramTest, ImportRefusesAFileThatIsNotRtfAndKeepsATablesCellsApart) {
    Open o = OpenPage();
    ASSERT_NE(o.editor, nullptr);
    const CString before = o.editor->GetStreamText(SF_TEXT);
    ASSERT_EQ(before, "旧内容");
    const BOOL modifiedBefore = o.editor->GetRichEditCtrl().GetModify();

    std::mt19937 random(7);
    std::string noise(4096, '\0');
    for (char& c : noise)
        c = (char)(random() & 0xff);
    noise[0] = '{'; // braces and words alone do not make RTF
    const CString noisePath = PathOf("random.rtf");
    std::ofstream((LPCTSTR)noisePath, std::ios::binary) << noise;
    answers = {IDOK};
    AnswerFileDialog(noisePath, 0);
    shown.clear();
    o.editor->SendMessage(WM_COMMAND, CWordPadView::ID_IMPORT);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].text.Find("不是 RTF 格式"), -1) << (LPCTSTR)shown[0].text;
    EXPECT_EQ(o.editor->GetStreamText(SF_TEXT), before);
    EXPECT_EQ(o.editor->GetRichEditCtrl().GetModify(), modifiedBefore);

    // A table as a word processor writes it.
    const CString tablePath = PathOf("table.rtf");
    std::ofstream((LPCTSTR)tablePath, std::ios::binary)
        << "{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fnil\\fcharset134 SimSun;}}\n"
           "\\trowd\\trql\\cellx2000\\cellx4000\n"
           "\\pard\\plain\\intbl{\\b 姓名}\\cell\\pard\\plain\\intbl 城市\\cell\\row\n"
           "\\trowd\\trql\\cellx2000\\cellx4000\n"
           "\\pard\\plain\\intbl 张三\\cell\\pard\\plain\\intbl 北京\\cell\\row\n"
           "\\pard\\plain 表格之后的一行。\\par}";
    AnswerFileDialog(tablePath, 0);
    shown.clear();
    o.editor->SendMessage(WM_COMMAND, CWordPadView::ID_IMPORT);
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(o.editor->GetStreamText(SF_TEXT), "姓名\t城市\r\n张三\t北京\r\n表格之后的一行。");
    ForgetScript();
    answers = {IDNO, IDNO};
    EXPECT_TRUE(ExitProgram(*o.app));
}

// A long page, or a long file imported, is read with the progress window. Stopped, the page is
// shown empty and read-only and is never stored back, so a save keeps what it holds; an import
// stopped leaves the page as it was. Left alone, both read whole.
TEST_F(NotesProgramTest, ALongReadCanBeStoppedAndNothingIsLost) {
    constexpr int kLines = 60000;
    std::string body = "{\\rtf1\\ansi\\ansicpg936 ";
    for (int i = 0; i < kLines; ++i)
        body += (i == 100 ? "{\\b 粗体行}" : "第" + std::to_string(i) + "行") + "\\par\n";
    body += "}";
    const CString file = PathOf("long.rtf");
    std::ofstream((LPCTSTR)file, std::ios::binary) << body;
    Open o = OpenPage(CString(body.c_str()), false);
    ASSERT_NE(o.page, nullptr);
    const CString path = PathOf("book.ntp");
    CNoteTreeView* tree = o.tree;
    CWordPadDoc* doc = o.doc;
    CNoteContent* report = o.page;
    CNoteContent* plan = Page(doc, "计划");

    // Stops the next read from the progress window, by Escape or by its 取消.
    CString caption;
    bool stopped = false;
    auto stopNextRead = [&](bool escape) {
        stopped = false;
        auto* poll = new QTimer;
        poll->setInterval(5);
        QObject::connect(poll, &QTimer::timeout, [&, poll, escape] {
            CDlgSendSmsProgress* dlg = ReadingProgress();
            if (dlg == nullptr)
                return;
            poll->stop();
            poll->deleteLater();
            dlg->GetWindowText(caption);
            if (escape)
                QTest::keyClick(dlg->GetWidget(), Qt::Key_Escape);
            else
                QTest::mouseClick(dlg->GetDlgItem(IDCANCEL)->GetWidget(), Qt::LeftButton);
            stopped = true;
        });
        poll->start();
    };

    // The page's reading stopped.
    stopNextRead(true);
    shown.clear();
    ASSERT_TRUE(SelectRecord(tree, report));
    CWordPadView* editor = tree->GetEditor();
    ASSERT_TRUE(stopped);
    EXPECT_STREQ("读取页面", caption);
    EXPECT_EQ(nullptr, ReadingProgress());
    EXPECT_EQ(editor->GetPage(), report);
    EXPECT_TRUE(editor->IsUnread());
    EXPECT_TRUE(editor->IsKeptReadOnly());
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].text.Find("没有读完"), -1) << (LPCTSTR)shown[0].text;
    EXPECT_EQ(editor->GetRichEditCtrl().GetTextLength(), 0);
    Type(editor, "typed");
    EXPECT_EQ(editor->GetRichEditCtrl().GetTextLength(), 0);
    EXPECT_FALSE(editor->HasUnsavedEdits());
    EXPECT_FALSE(editor->StoreEdits());
    // A save writes the page as it is stored.
    doc->SetModifiedFlag(TRUE);
    ASSERT_TRUE(tree->SaveFile(tree->GetFileAt(0), FALSE));
    {
        CWordPadDoc reread;
        ASSERT_TRUE(reread.OnOpenDocument(path));
        EXPECT_EQ(Page(&reread, "周报")->GetBodyText(), CString(body.c_str()));
    }

    // Chosen again and left alone, the page reads whole and can be edited.
    ASSERT_TRUE(SelectRecord(tree, plan));
    ASSERT_TRUE(SelectRecord(tree, report));
    EXPECT_FALSE(editor->IsUnread());
    EXPECT_FALSE(editor->IsKeptReadOnly());
    EXPECT_EQ(editor->GetRichEditCtrl().GetLineCount(), kLines);
    EXPECT_EQ(nullptr, ReadingProgress());

    // An import stopped leaves the page with its unsaved edit; left alone it reads the file.
    ASSERT_TRUE(SelectRecord(tree, plan));
    Type(editor, "abc");
    ASSERT_TRUE(editor->HasUnsavedEdits());
    stopNextRead(false);
    shown.clear();
    AnswerFileDialog(file, 0);
    editor->SendMessage(WM_COMMAND, CWordPadView::ID_IMPORT);
    EXPECT_TRUE(stopped);
    EXPECT_STREQ("导入文件", caption);
    EXPECT_TRUE(shown.empty()) << "a stop the user asked for is not reported";
    EXPECT_EQ(editor->GetStreamText(SF_TEXT), "abc");
    EXPECT_TRUE(editor->HasUnsavedEdits());
    EXPECT_FALSE(editor->IsUnread());
    AnswerFileDialog(file, 0);
    editor->SendMessage(WM_COMMAND, CWordPadView::ID_IMPORT);
    EXPECT_EQ(editor->GetRichEditCtrl().GetLineCount(), kLines);
    EXPECT_EQ(editor->GetStreamText(SF_TEXT).Left(5), "第0行");
    ForgetScript();
    answers = {IDNO, IDNO};
    EXPECT_TRUE(ExitProgram(*o.app));
}

// LibreOffice, when installed, as an independent reader and writer of the editor's rich text.
TEST_F(NotesProgramTest, LibreOfficeReadsTheExportAndItsRtfImports) {
    QString office = QStandardPaths::findExecutable("soffice");
    if (office.isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    Open o = OpenPage("{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}"
                      "\\f0 第一行 \\b bold\\b0\\par 第二行}");
    ASSERT_NE(o.editor, nullptr);
    QTemporaryDir dir;
    auto convert = [&](const QString& input, const QString& filter) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", dir.path());
        p.setProcessEnvironment(env);
        p.start(office, {"-env:UserInstallation=file://" + dir.filePath("profile"), "--headless",
                         "--convert-to", filter, "--outdir", dir.path(), input});
        return p.waitForFinished(180000) && p.exitCode() == 0;
    };
    // The export, read by Writer, gives the page's text.
    const CString rtfPath = (dir.path().toStdString() + "/note.rtf").c_str();
    ASSERT_TRUE(o.editor->ExportToFile(rtfPath, SF_RTF));
    ASSERT_TRUE(convert(dir.filePath("note.rtf"), "txt:Text (encoded):UTF8"));
    QFile txt(dir.filePath("note.txt"));
    ASSERT_TRUE(txt.open(QIODevice::ReadOnly));
    QString text = QString::fromUtf8(txt.readAll()).remove(QChar(0xFEFF)).remove('\r').trimmed();
    EXPECT_EQ(text, QString::fromUtf8(u8"第一行 bold\n第二行")) << text.toStdString();

    // An RTF Writer made from HTML imports with its text, bold, italic and colour.
    QFile html(dir.filePath("made.html"));
    ASSERT_TRUE(html.open(QIODevice::WriteOnly));
    html.write(reinterpret_cast<const char*>(u8"<html><body><p>普通 <b>粗体</b> <i>斜体</i> "
               u8"<font color=\"#ff0000\">红色</font></p></body></html>"));
    html.close();
    ASSERT_TRUE(convert(dir.filePath("made.html"), "rtf:Rich Text Format"));
    const CString made = (dir.path().toStdString() + "/made.rtf").c_str();
    ASSERT_TRUE(o.editor->ImportFromFile(made, SF_RTF));
    RichTextDoc doc = RtfRead(o.editor->GetStreamText(SF_RTF));
    bool bold = false, italic = false, red = false;
    for (const RichParagraph& para : doc.paragraphs)
        for (const RichRun& run : para.runs) {
            bold |= run.text.Find("粗体") >= 0 && run.format.bold;
            italic |= run.text.Find("斜体") >= 0 && run.format.italic;
            red |= run.text.Find("红色") >= 0 && !run.format.autoColor &&
                   run.format.color == RGB(255, 0, 0);
        }
    EXPECT_NE(doc.Text().Find("普通"), -1);
    EXPECT_TRUE(bold);
    EXPECT_TRUE(italic);
    EXPECT_TRUE(red);

    // Writer's table: each row a line of its cells with tabs between, the text after the
    // table a line of its own.
    QFile table(dir.filePath("table.html"));
    ASSERT_TRUE(table.open(QIODevice::WriteOnly));
    table.write(reinterpret_cast<const char*>(
        u8"<html><body><table border=\"1\"><tr><td>姓名</td><td>城市</td></tr>"
        u8"<tr><td>张三</td><td>北京</td></tr></table><p>表格之后的一行。</p></body></html>"));
    table.close();
    ASSERT_TRUE(convert(dir.filePath("table.html"), "rtf:Rich Text Format"));
    const CString tableRtf = (dir.path().toStdString() + "/table.rtf").c_str();
    ASSERT_TRUE(o.editor->ImportFromFile(tableRtf, SF_RTF));
    CString lines = o.editor->GetStreamText(SF_TEXT);
    EXPECT_NE(lines.Find("姓名\t城市\r\n张三\t北京\r\n"), -1) << (LPCTSTR)lines;
    EXPECT_NE(lines.Find("\r\n表格之后的一行。"), -1) << (LPCTSTR)lines;
    answers = {IDNO, IDNO};
    EXPECT_TRUE(ExitProgram(*o.app));
}

} // namespace

namespace {

// The file list of the right pane, shown for a tree's top item.
TEST_F(NotesProgramTest, TheFileListRemembersEachTreesChoice) {
    CString first = WriteNotebook("a.ntp");
    CString second = WriteNotebook("b.ntp");
    auto app = StartProgram({first, second});
    ASSERT_NE(app, nullptr);
    CNoteTreeView* tree = module.GetTree();
    ASSERT_EQ(tree->GetFileCount(), 2);
    tree->GetTreeCtrl().SelectItem(tree->GetTopItem());
    Pump();
    auto* files = dynamic_cast<CBrowseFileView*>(
        app->GetMainFrame()->GetRightPane()->GetView(1, CRightPaneFrame::KindFixed));
    ASSERT_NE(files, nullptr);
    EXPECT_EQ(app->GetMainFrame()->GetRightPane()->GetCurrentWnd(), files);
    CListCtrl& list = files->GetListCtrl();
    ASSERT_EQ(list.GetItemCount(), 2);
    EXPECT_EQ(files->GetSlot(), CBrowseFileView::SlotNotes);
    EXPECT_EQ(list.GetItemText(1, 1), second);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), -1);
    // Enter with nothing selected does nothing.
    files->SendMessage(WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(tree->GetTreeCtrl().GetSelectedItem(), tree->GetTopItem());
    QDir().mkpath(QUILLMAR_SCREENS_DIR);
    EXPECT_TRUE(app->GetMainFrame()->SaveScreenshot(ScreenPath("notes-file-list").c_str()));

    // The second file chosen is remembered for this tree; Enter opens it.
    list.SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(files->GetRemembered(CBrowseFileView::SlotNotes), 1);
    files->SendMessage(WM_KEYDOWN, VK_RETURN);
    Pump();
    EXPECT_EQ(tree->GetTreeCtrl().GetSelectedItem(), tree->GetFileAt(1)->hItem);
    // Back at the top item the choice is selected again.
    tree->GetTreeCtrl().SelectItem(tree->GetTopItem());
    Pump();
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 1);

    // A remembered entry beyond the files now open is forgotten.
    answers = {IDNO};
    ASSERT_TRUE(tree->CloseFile(tree->GetFileAt(1), FALSE, TRUE));
    files->Refill();
    EXPECT_EQ(list.GetItemCount(), 1);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), -1);
    EXPECT_EQ(files->GetRemembered(CBrowseFileView::SlotNotes), -1);
    answers = {IDNO, IDNO};
    EXPECT_TRUE(ExitProgram(*app));
}

} // namespace

namespace {

// Pictures of the notes' windows with their texts, for a person to look at.
TEST_F(NotesProgramTest, ScreensShowTheNotesWindows) {
    QDir().mkpath(QUILLMAR_SCREENS_DIR);
    CString second = WriteNotebook("second.ntp");
    CString first;
    {
        CWordPadDoc doc;
        doc.OnNewDocument();
        doc.GetRootGroup().SetName("日记");
        auto* locked = new CNoteGroup("私人");
        locked->SetPassword("secret");
        locked->ModifyFlags(0, CGroup::FLAG_PASSWORD);
        doc.GetRootGroup().AddSubgroup(locked, FALSE);
        auto* work = new CNoteGroup("工作");
        for (const char* name : {"周一", "周二", "周三"})
            work->AddContent(new CNoteContent(name), FALSE);
        doc.GetRootGroup().AddSubgroup(work, FALSE);
        first = PathOf("diary.ntp");
        ASSERT_TRUE(doc.OnSaveDocument(first));
    }
    auto app = StartProgram({first, second});
    ASSERT_NE(app, nullptr);
    CMainFrame* frame = app->GetMainFrame();
    CNoteTreeView* tree = module.GetTree();
    ASSERT_EQ(tree->GetFileCount(), 2);
    for (int i = 0; i < 2; ++i)
        tree->GetTreeCtrl().Expand(tree->GetFileAt(i)->hItem, TVE_EXPAND);
    auto* doc = dynamic_cast<CWordPadDoc*>(tree->GetFileAt(0)->pDoc);
    CGroup* work = dynamic_cast<CGroup*>(doc->GetRootGroup().FindByName("工作", TRUE, FALSE, TRUE));
    ASSERT_NE(work, nullptr);
    ASSERT_TRUE(SelectRecord(tree, work));
    tree->GetTreeCtrl().Expand((HTREEITEM)work->GetTreeItem(), TVE_EXPAND);
    Pump();
    EXPECT_TRUE(frame->SaveScreenshot(ScreenPath("notes-tree-and-page-list").c_str()));

    POSITION pos = work->GetFirstContentPosition();
    auto* page = static_cast<CNoteContent*>(work->GetNextContent(pos));
    ASSERT_TRUE(SelectRecord(tree, page));
    CWordPadView* editor = tree->GetEditor();
    ASSERT_NE(editor, nullptr);
    editor->SetStreamText(
        SF_RTF, "{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}"
                "{\\colortbl;\\red200\\green0\\blue0;\\red255\\green255\\blue0;}"
                "\\f0\\fs24 \\cf1 红色的字\\cf0  \\highlight2 高亮\\highlight0  H\\sub 2\\nosupersub O "
                "x\\super 2\\nosupersub  \\strike 删除线\\strike0 \\par "
                "\\b 粗体\\b0  \\i 斜体\\i0  \\ul 下划线\\ulnone\\par 链接 https://www.example.org/ \\par}");
    Pump();
    EXPECT_TRUE(frame->SaveScreenshot(ScreenPath("notes-editor-formats").c_str()));
    editor->SendMessage(WM_COMMAND, CWordPadView::ID_READ_ONLY);
    Pump();
    EXPECT_TRUE(editor->IsReadOnly());
    EXPECT_TRUE(frame->SaveScreenshot(ScreenPath("notes-editor-read-only").c_str()));
    editor->SendMessage(WM_COMMAND, CWordPadView::ID_READ_ONLY);

    // The export and import dialogs.
    for (auto [id, name] : {std::pair<UINT, const char*>{CWordPadView::ID_EXPORT, "notes-export-483"},
                            {CWordPadView::ID_IMPORT, "notes-import-497"}}) {
        bool grabbed = false;
        onDialog = [&grabbed, name = name](CDialog& d) {
            Pump();
            grabbed = d.SaveScreenshot(ScreenPath(name).c_str());
            d.EndDialog(IDCANCEL);
        };
        editor->SendMessage(WM_COMMAND, id);
        EXPECT_TRUE(grabbed) << name;
    }
    ForgetScript();
    answers = {IDNO, IDNO, IDNO};
    EXPECT_TRUE(ExitProgram(*app));
}

} // namespace

namespace {

TEST_F(NotesProgramTest, TheFormatBarShowsAndSetsTheSelectionsFormat) {
    Open o = OpenPage();
    ASSERT_NE(o.editor, nullptr);
    auto* noteFrame = dynamic_cast<CNoteFrame*>(o.editor->GetParentFrame());
    CFormatBar& bar = noteFrame->GetFormatBar();
    o.editor->GetRichEditCtrl().SetSel(0, 3);
    bar.SyncFromOwner();
    CString size, face;
    bar.m_sizeBox.GetWindowText(size);
    bar.m_fontBox.GetWindowText(face);
    EXPECT_EQ(size, "10");
    EXPECT_EQ(face, "宋体");

    // Refused sizes: the message, and the text keeps its format.
    struct Case {
        const char* text;
        const char* message; // null: nothing said
        long twips;          // the selection's size afterwards
    } cases[] = {
        {"abc", "This is not a valid number.", 200},
        {"0.5", "The number must be between 1 and 1638.", 200},
        {"1639", "The number must be between 1 and 1638.", 200},
        {"", nullptr, 200},
        {"10.5", nullptr, 210},
        {"1", nullptr, 20},
    };
    for (const Case& c : cases) {
        shown.clear();
        bar.m_sizeBox.SetWindowText(c.text);
        bar.ApplySize();
        if (c.message != nullptr) {
            ASSERT_EQ(shown.size(), 1u) << c.text;
            EXPECT_EQ(shown[0].text, c.message);
        } else {
            EXPECT_TRUE(shown.empty()) << c.text;
        }
        o.editor->GetRichEditCtrl().SetSel(0, 3);
        EXPECT_EQ(o.editor->GetCharFormatSelection().yHeight, c.twips) << c.text;
    }
    // The size shown afterwards is the selection's, never an entry that only begins with it.
    bar.SyncFromOwner();
    bar.m_sizeBox.GetWindowText(size);
    EXPECT_EQ(size, "1");

    // While the size box has the focus, what is typed there stays.
    bar.m_sizeBox.SetFocus();
    Pump();
    bar.m_sizeBox.SetWindowText("2");
    bar.SyncFromOwner();
    bar.m_sizeBox.GetWindowText(size);
    EXPECT_EQ(size, "2");

    // A face applied from the box reaches the selection, cut to a whole character.
    o.editor->SetFocus();
    bar.m_fontBox.SetWindowText("微软雅黑微软雅黑微软雅黑微软雅黑");
    bar.ApplyFace();
    o.editor->GetRichEditCtrl().SetSel(0, 3);
    EXPECT_STREQ(o.editor->GetCharFormatSelection().szFaceName, "微软雅黑微软雅黑微软雅黑微软雅");
    answers = {IDNO, IDNO};
    EXPECT_TRUE(ExitProgram(*o.app));
}

TEST_F(NotesProgramTest, CtrlFAndCtrlHFindAndReplaceInThePage) {
    Open o = OpenPage("{\\rtf1 \\'d6\\'dc\\'b1\\'a8 one two one}");
    ASSERT_NE(o.editor, nullptr);
    o.editor->SetFocus();
    o.editor->GetRichEditCtrl().SetSel(0, 0);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::ControlModifier);
    Pump();
    CFindReplaceDialog* dlg = o.editor->GetFindReplaceDialog();
    ASSERT_NE(dlg, nullptr) << "Ctrl+F opens the find dialog over the page";
    EXPECT_TRUE(dlg->IsFindOnly());
    QWidget* what = dlg->GetDlgItem(CFindReplaceDialog::IDC_FINDWHAT)->GetWidget();
    QTest::keyClicks(what, "one");
    shown.clear();
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(what, Qt::Key_Return);
        Pump();
    }
    ASSERT_EQ(shown.size(), 1u) << "two matches, then the end of the search";
    EXPECT_EQ(shown[0].text, "查找完毕。");

    // Ctrl+H: the replace dialog takes the find dialog's place; replacing marks the page edited.
    o.editor->SetFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_H, Qt::ControlModifier);
    Pump();
    dlg = o.editor->GetFindReplaceDialog();
    ASSERT_NE(dlg, nullptr);
    EXPECT_FALSE(dlg->IsFindOnly());
    QTest::keyClicks(dlg->GetDlgItem(CFindReplaceDialog::IDC_REPLACEWITH)->GetWidget(), "1");
    QTest::mouseClick(dlg->GetDlgItem(CFindReplaceDialog::IDC_REPLACEALL)->GetWidget(),
                      Qt::LeftButton);
    Pump();
    CString text;
    o.editor->GetRichEditCtrl().GetWindowText(text);
    EXPECT_EQ(text, "周报 1 two 1");
    EXPECT_TRUE(o.editor->HasUnsavedEdits());
    answers = {IDNO, IDNO, IDNO};
    EXPECT_TRUE(ExitProgram(*o.app));
}

TEST_F(NotesProgramTest, TheFontBoxDropsWithItsMarksAndTheSizeListFollowsTheFace) {
    Open o = OpenPage();
    ASSERT_NE(o.editor, nullptr);
    auto* noteFrame = dynamic_cast<CNoteFrame*>(o.editor->GetParentFrame());
    CFormatBar& bar = noteFrame->GetFormatBar();
    auto* fontBox = qobject_cast<QComboBox*>(bar.m_fontBox.GetWidget());
    auto* sizeBox = qobject_cast<QComboBox*>(bar.m_sizeBox.GetWidget());
    ASSERT_TRUE(fontBox && sizeBox);
    ASSERT_GT(bar.m_fontBox.GetCount(), 0);
    EXPECT_GE(CFontComboBox::GetRowHeight(bar.m_fontBox), 15);

    // Every entry carries its face; a face in two scripts shows each with its script.
    const CString cjk = "WenQuanYi Micro Hei";
    int chinese = bar.m_fontBox.FindStringExact(-1, cjk + " (中文 GB2312)");
    for (int i = 0; i < bar.m_fontBox.GetCount(); ++i) {
        CString text;
        bar.m_fontBox.GetLBText(i, text);
        const auto* item = reinterpret_cast<const CFontItem*>(bar.m_fontBox.GetItemData(i));
        ASSERT_NE(item, nullptr) << i;
        EXPECT_EQ(text.Find(item->face), 0) << i;
    }
    if (chinese >= 0)
        EXPECT_GE(bar.m_fontBox.FindStringExact(-1, cjk + " (西方)"), 0);

    // Dropped with the keyboard, the list draws each outline face's mark at its left edge.
    o.editor->GetRichEditCtrl().SetSel(0, 3);
    bar.m_fontBox.SetFocus();
    Pump();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down, Qt::AltModifier);
    Pump();
    ASSERT_TRUE(fontBox->view()->isVisible()) << "Alt+Down drops the list";
    QAbstractItemView* list = fontBox->view();
    const int row = chinese >= 0 ? chinese : 0;
    list->scrollTo(list->model()->index(row, 0));
    Pump();
    QImage popup = list->viewport()->grab().toImage();
    QRect rowRect = list->visualRect(list->model()->index(row, 0));
    int inked = 0;
    for (int y = rowRect.top(); y <= rowRect.bottom(); ++y)
        for (int x = rowRect.left(); x < rowRect.left() + 16; ++x) {
            QColor c = popup.pixelColor(x, y);
            if (c.blue() > c.red() + 60 || c.red() > c.blue() + 100)
                ++inked;
        }
    EXPECT_GT(inked, 4) << "the outline-font mark";
    // The picture of the window with its list dropped.
    {
        QImage shot = noteFrame->GetTopLevelFrame()->GetWidget()->grab().toImage();
        QPainter p(&shot);
        QWidget* top = noteFrame->GetTopLevelFrame()->GetWidget();
        QPoint at = top->mapFromGlobal(list->window()->mapToGlobal(QPoint(0, 0)));
        p.drawImage(at, list->window()->grab().toImage());
        p.end();
        EXPECT_TRUE(shot.save(QString::fromStdString(ScreenPath("notes-font-box-dropped"))));
    }
    // A click on an entry applies its face to the selection.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowRect.center());
    Pump();
    EXPECT_FALSE(list->isVisible());
    const auto* chosen = reinterpret_cast<const CFontItem*>(bar.m_fontBox.GetItemData(row));
    o.editor->GetRichEditCtrl().SetSel(0, 3);
    EXPECT_EQ(CString(o.editor->GetCharFormatSelection().szFaceName), chosen->face);

    // Dropping the size list refills it for the face; a refused size says so and the last
    // size accepted comes back.
    bar.SyncFromOwner();
    bar.m_sizeBox.SetFocus();
    Pump();
    bar.m_sizeBox.SetWindowText("abc");
    shown.clear();
    // Down, without Alt, drops the closed list.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    Pump();
    EXPECT_TRUE(sizeBox->view()->isVisible());
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "This is not a valid number.");
    EXPECT_EQ(bar.m_sizeBox.GetCount(), 16) << "an outline face has the standard sizes";
    CString size;
    bar.m_sizeBox.GetWindowText(size);
    EXPECT_EQ(size, "10");
    EXPECT_EQ(bar.m_sizeBox.GetItemData(bar.m_sizeBox.FindStringExact(-1, "72")), 1440u);
    QTest::keyClick(sizeBox->view(), Qt::Key_Escape);
    Pump();
    // Up drops the font box's closed list too, and leaves the face shown as it was.
    bar.m_fontBox.SetFocus();
    Pump();
    CString face;
    bar.m_fontBox.GetWindowText(face);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    Pump();
    EXPECT_TRUE(fontBox->view()->isVisible());
    QTest::keyClick(fontBox->view(), Qt::Key_Escape);
    Pump();
    CString faceAfter;
    bar.m_fontBox.GetWindowText(faceAfter);
    EXPECT_EQ(faceAfter, face);

    // The context menu as it opens.
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(CWordPadView::kContextMenuId));
    QImage menuImage = AfxRenderPopupMenu(menu.GetSubMenu(0)->m_hMenu, noteFrame, 2);
    EXPECT_FALSE(menuImage.isNull());
    EXPECT_TRUE(menuImage.save(QString::fromStdString(ScreenPath("notes-menu-101"))));
    answers = {IDNO, IDNO, IDNO};
    EXPECT_TRUE(ExitProgram(*o.app));
}

TEST_F(NotesProgramTest, ComingBackFromAnotherFolderShowsNothingOfIt) {
    // Before any item of the notebooks was chosen, and with a notebook's item current.
    CInfoModule info;
    AfxRegisterShellModule(&info);
    for (bool withBook : {false, true}) {
        auto app = withBook ? StartProgram({WriteNotebook("book.ntp")}) : StartProgram();
        ASSERT_NE(app, nullptr);
        CMainFrame* frame = app->GetMainFrame();
        CRightPaneFrame* pane = frame->GetRightPane();
        frame->SendMessage(WM_COMMAND, 32834); // 信息大全, Ctrl+5
        Pump();
        CWnd* infoList = pane->GetCurrentWnd();
        ASSERT_NE(infoList, nullptr);
        frame->SendMessage(WM_COMMAND, 32836); // 日常记事, Ctrl+3
        Pump();
        CNoteTreeView* tree = module.GetTree();
        ASSERT_NE(tree, nullptr);
        EXPECT_NE(pane->GetCurrentWnd(), infoList) << withBook;
        EXPECT_NE(tree->GetCurrentItem(), nullptr) << withBook;
        if (!withBook)
            EXPECT_EQ(pane->GetCurrentWnd(), pane->GetView(1, CRightPaneFrame::KindFixed));
        CString title;
        frame->GetWindowText(title);
        EXPECT_EQ(title.Find("信息大全"), -1) << (LPCTSTR)title;
        EXPECT_TRUE(ExitProgram(*app));
    }
}

} // namespace

// The font box's entries: a face offered in several scripts shows once per script, each with its
// script; a face in one script shows its name alone.
TEST(FormatBarFacesTest, AFaceInSeveralScriptsShowsEachWithItsScript) {
    std::vector<CFontItem> fonts(4);
    fonts[0].face = "文泉驿正黑";
    fonts[0].script = "中文 GB2312";
    fonts[1].face = "文泉驿正黑";
    fonts[1].script = "西方";
    fonts[2].face = "DejaVu Sans";
    fonts[2].script = "西方";
    fonts[3].face = "Symbolic";
    fonts[3].script = "";
    std::vector<CFontItem> twice = {fonts[3], fonts[3]};
    auto shown = CFontComboBox::ListFaces(fonts);
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0].first, "文泉驿正黑 (中文 GB2312)");
    EXPECT_EQ(shown[1].first, "文泉驿正黑 (西方)");
    EXPECT_EQ(shown[2].first, "DejaVu Sans");
    EXPECT_EQ(shown[3].first, "Symbolic");
    // Without a script name the duplicates keep the bare name.
    auto bare = CFontComboBox::ListFaces(twice);
    EXPECT_EQ(bare[0].first, "Symbolic");
    EXPECT_EQ(bare[1].second.face, "Symbolic");
}

// A right click in the page, or Shift+F10, opens the page's own menu (colour, highlight, bold
// and the rest), not the text box's plain one.
TEST_F(NotesProgramTest, ARightClickInThePageOpensItsFormatMenu) {
    Open o = OpenPage();
    ASSERT_NE(o.editor, nullptr);
    std::vector<UINT> firstIds;
    bool hasColour = false;
    PopupMenuHook old = AfxSetPopupMenuHook([&](HMENU hMenu, CWnd*, POINT, UINT) -> UINT {
        CMenu* m = CMenu::FromHandle(hMenu);
        firstIds.push_back(m->GetMenuItemID(0));
        hasColour = hasColour || m->GetMenuState(CWordPadView::ID_CHAR_COLOR, MF_BYCOMMAND) != (UINT)-1;
        return 0u;
    });
    QWidget* edit = o.editor->GetRichEditCtrl().GetWidget();
    auto* area = qobject_cast<QAbstractScrollArea*>(edit);
    QWidget* target = area != nullptr ? area->viewport() : edit;
    const QPoint at(20, 10);
    QTest::mouseClick(target, Qt::RightButton, Qt::NoModifier, at);
    QContextMenuEvent menu(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
    QApplication::sendEvent(target, &menu);
    Pump();
    EXPECT_EQ(firstIds.size(), 1u) << "one menu for the right click";
    EXPECT_TRUE(hasColour);
    // Shift+F10 from the keyboard.
    o.editor->SetFocus();
    hasColour = false;
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F10, Qt::ShiftModifier);
    Pump();
    EXPECT_EQ(firstIds.size(), 2u);
    EXPECT_TRUE(hasColour);
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->isVisible() && qobject_cast<QMenu*>(w) != nullptr) << "no plain text-box menu";
    AfxSetPopupMenuHook(old);
    answers = {IDNO, IDNO, IDNO};
    EXPECT_TRUE(ExitProgram(*o.app));
}

namespace {

// A selection made with the mouse, then a right click: inside the selection the menu's 粗体
// makes exactly the selected words bold; outside it the click moves the caret there first, as a
// left click would.
TEST_F(NotesProgramTest, ARightClickInsideTheSelectionKeepsItForTheMenu) {
    Open o = OpenPage("{\\rtf1 one two three four five}");
    ASSERT_NE(o.editor, nullptr);
    CRichEditCtrl& edit = o.editor->GetRichEditCtrl();
    QWidget* widget = edit.GetWidget();
    auto* area = qobject_cast<QAbstractScrollArea*>(widget);
    ASSERT_NE(area, nullptr);
    QWidget* viewport = area->viewport();
    // The middle of the character at n, in the viewport.
    auto at = [&](long n) {
        const CPoint a = edit.GetCharPos(n), b = edit.GetCharPos(n + 1);
        return viewport->mapFrom(widget, QPoint((a.x + b.x) / 2, a.y + 5));
    };
    auto rightClickPicks = [&](QPoint p, UINT pick) {
        int menus = 0;
        PopupMenuHook old = AfxSetPopupMenuHook([&](HMENU, CWnd*, POINT, UINT) -> UINT {
            ++menus;
            return pick;
        });
        // Through the window, as the desktop delivers it: the press, the menu it asks for,
        // then the release.
        QWidget* top = viewport->window();
        QWindow* window = top->windowHandle();
        ASSERT_NE(window, nullptr);
        const QPoint inWindow = viewport->mapTo(top, p);
        QTest::mouseClick(window, Qt::RightButton, Qt::NoModifier, inWindow);
        Pump();
        AfxSetPopupMenuHook(old);
        EXPECT_EQ(menus, 1);
    };
    // "two three" selected: a click before its first letter, Shift and a click after its last.
    o.editor->SetFocus();
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, at(4) - QPoint(3, 0));
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, at(12) + QPoint(3, 0));
    Pump();
    long start = -1, end = -1;
    edit.GetSel(start, end);
    ASSERT_EQ(start, 4);
    ASSERT_EQ(end, 13);

    rightClickPicks(at(8), CWordPadView::ID_CHAR_BOLD);
    edit.GetSel(start, end);
    EXPECT_EQ(start, 4);
    EXPECT_EQ(end, 13);
    for (auto [from, to, bold] : {std::tuple{0L, 4L, false}, {4L, 13L, true}, {13L, 18L, false}}) {
        edit.SetSel(from, to);
        const CHARFORMAT2 cf = o.editor->GetCharFormatSelection();
        EXPECT_EQ((cf.dwMask & CFM_BOLD) && (cf.dwEffects & CFE_BOLD), bold) << from << "-" << to;
    }

    // Outside the selection: the caret goes to the click, the selection is gone.
    edit.SetSel(4, 13);
    rightClickPicks(at(15), 0);
    edit.GetSel(start, end);
    EXPECT_EQ(start, end);
    EXPECT_GE(start, 15);
    EXPECT_LE(start, 16);
    answers = {IDNO, IDNO, IDNO};
    EXPECT_TRUE(ExitProgram(*o.app));
}

} // namespace

namespace {

// The group's menu in the notebook tree, worked from the keyboard with nothing on the
// clipboard: P is shared by 新建页 and the greyed 粘贴, so it makes the new page at once.
TEST_F(NotesProgramTest, AMenuLetterSharedOnlyWithAGreyedItemRunsTheOtherOne) {
    QGuiApplication::clipboard()->clear();
    Open o = OpenPage();
    ASSERT_NE(o.tree, nullptr);
    CGroup* work = o.page->GetParent();
    ASSERT_NE(work, nullptr);
    const int pages = work->GetContentCount(FALSE, TRUE);
    CTreeCtrl& treeCtrl = o.tree->GetTreeCtrl();
    CRect rc;
    ASSERT_TRUE(treeCtrl.GetItemRect((HTREEITEM)work->GetTreeItem(), &rc, TRUE));
    bool pasteGreyed = false;
    QObject context;
    QTimer::singleShot(50, &context, [&] {
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (popup == nullptr)
            return;
        // The items are drawn by the tree, so 粘贴 is found by its place in the group's menu.
        CMenu menu;
        if (menu.LoadMenu(4950))
            if (CMenu* group = menu.GetSubMenu(1))
                for (int i = 0; i < (int)group->GetMenuItemCount() && i < popup->actions().size(); ++i)
                    if (group->GetMenuItemID(i) == ID_EDIT_PASTE)
                        pasteGreyed = !popup->actions()[i]->isEnabled();
        QTest::keyClicks(popup, "p");
    });
    QTimer::singleShot(2000, &context, [] {
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
    });
    const CPoint at = rc.CenterPoint();
    QTest::mouseClick(treeCtrl.GetWidget(), Qt::RightButton, Qt::NoModifier, QPoint(at.x, at.y));
    Pump();
    if (treeCtrl.GetEditControl() != nullptr)
        treeCtrl.EndEditLabelNow(FALSE);
    Pump();
    EXPECT_TRUE(pasteGreyed);
    EXPECT_EQ(work->GetContentCount(FALSE, TRUE), pages + 1);
    answers = {IDNO, IDNO, IDNO};
    EXPECT_TRUE(ExitProgram(*o.app));
}

// A right click on the group while the page shown has unconfirmed changes asks first: staying
// on the page shows no menu (the group's commands would act on the page still selected); leaving
// it shows the group's menu with the group selected.
TEST_F(NotesProgramTest, ARightClickOnAGroupThatTheUserStaysAwayFromShowsNoMenu) {
    Open o = OpenPage();
    ASSERT_NE(o.editor, nullptr);
    CGroup* work = o.page->GetParent();
    ASSERT_NE(work, nullptr);
    CTreeCtrl& treeCtrl = o.tree->GetTreeCtrl();
    const HTREEITEM group = (HTREEITEM)work->GetTreeItem();
    CRect rc;
    ASSERT_TRUE(treeCtrl.GetItemRect(group, &rc, TRUE));
    const CPoint at = rc.CenterPoint();
    int menus = 0;
    PopupMenuHook old = AfxSetPopupMenuHook([&](HMENU, CWnd*, POINT, UINT) -> UINT {
        ++menus;
        return 0;
    });
    Type(o.editor, "abc");
    struct Step {
        UINT answer;
        int menus;
        HTREEITEM selected;
    };
    const Step steps[] = {{IDCANCEL, 0, (HTREEITEM)o.page->GetTreeItem()}, {IDNO, 1, group}};
    for (const Step& step : steps) {
        answers = {step.answer};
        shown.clear();
        menus = 0;
        QTest::mouseClick(treeCtrl.GetWidget(), Qt::RightButton, Qt::NoModifier, QPoint(at.x, at.y));
        Pump();
        ASSERT_EQ(shown.size(), 1u) << step.answer;
        EXPECT_NE(shown[0].text.Find("还没有确认"), -1);
        EXPECT_EQ(menus, step.menus) << step.answer;
        EXPECT_EQ(treeCtrl.GetSelectedItem(), step.selected) << step.answer;
    }
    AfxSetPopupMenuHook(old);
    answers = {IDNO, IDNO, IDNO};
    EXPECT_TRUE(ExitProgram(*o.app));
}

} // namespace
