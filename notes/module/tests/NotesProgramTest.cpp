// The notes in the running program: the "日常记事" folder with its notebooks, a page written and
// formatted in the editor, confirmed, discarded, saved and opened again; unsaved edits that are
// never left silently; a page holding objects shown read-only; a damaged notebook refused.
#include <gtest/gtest.h>

#include "notes/WordPadDoc.h"

#include "notes/module/NotesModule.h"
#include "notes/ui/NoteFrame.h"
#include "notes/ui/NoteTreeView.h"
#include "notes/ui/WordPadView.h"
#include "platform/base/Gbk.h"
#include "platform/gui/RtfFormat.h"
#include "platform/gui/TrayIcon.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "shell/OutbarWnd.h"
#include "shell/RightPaneFrame.h"
#include "shell/tests/ProgramRun.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QTest>
#include <QWidget>

#include <fstream>
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

} // namespace
