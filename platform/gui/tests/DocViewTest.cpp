#include "FrameTestSupport.h"
#include "GuiTestSupport.h"

#include "platform/base/Archive.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/DocManager.h"
#include "platform/gui/DocTemplate.h"
#include "platform/gui/Frame.h"
#include "platform/gui/RecentFileList.h"
#include "platform/gui/Resource.h"
#include "platform/gui/WinApp.h"

#include <QTemporaryDir>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_log;

const ResString kStrings[] = {
    {8101, "\n联系人\n联系人\n联系人文件 (*.psn)\n.psn\nQuillmar.Contacts\n联系人文件"},
    {8102, "墨川"},
};
const ResMenuItem kFrameMenu[] = {
    {0, MF_POPUP, 0, "文件(&F)"}, {1, 0, 8201, "保存"},         {1, 0, 8202, "删除"},
    {1, 0, 8203, "无人处理"},     {1, 0, 0xE110, "最近的文件"}, {1, 0, 57665, "退出"},
};
const ResMenu kMenus[] = {{8101, kFrameMenu, 6}};
const ResModule kModule = TestResources(kStrings, 2, kMenus, 1);

class CNoteDoc : public CDocument {
    DECLARE_DYNCREATE(CNoteDoc)
public:
    CString text;
    static int alive;
    CNoteDoc() { ++alive; }
    ~CNoteDoc() override { --alive; }
    void Serialize(CArchive& ar) override {
        if (ar.IsStoring())
            ar << text;
        else
            ar >> text;
    }
    void DeleteContents() override { text.Empty(); }
};
IMPLEMENT_DYNCREATE(CNoteDoc, CDocument)
int CNoteDoc::alive = 0;

// The document's commands: 8202 is handled here, 8201 is left to the next target.
class CNoteDocCommands : public CCmdTarget {
public:
    void OnDelete() { g_log.push_back("doc:delete"); }
    void OnUpdateSave(CCmdUI* ui) { ui->ContinueRouting(); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CNoteDocCommands, CCmdTarget)
ON_COMMAND(8202, &CNoteDocCommands::OnDelete)
ON_UPDATE_COMMAND_UI(8201, &CNoteDocCommands::OnUpdateSave)
END_MESSAGE_MAP()

class CNoteView : public CView {
    DECLARE_DYNCREATE(CNoteView)
public:
    int initialUpdates = 0;
    std::vector<LPARAM> hints;
    BOOL saveEnabled = FALSE;
    void OnInitialUpdate() override {
        ++initialUpdates;
        CView::OnInitialUpdate();
    }
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override {
        hints.push_back(lHint);
        CView::OnUpdate(pSender, lHint, pHint);
    }
    void OnDraw(CDC* pDC) override {
        CRect rc;
        GetClientRect(&rc);
        pDC->FillSolidRect(&rc, RGB(255, 255, 224));
        pDC->TextOut(4, 4, static_cast<CNoteDoc*>(GetDocument())->text);
    }
    void OnSave() { g_log.push_back("view:save"); }
    void OnUpdateSave(CCmdUI* ui) { ui->Enable(saveEnabled); }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CNoteView, CView)
BEGIN_MESSAGE_MAP(CNoteView, CView)
ON_COMMAND(8201, &CNoteView::OnSave)
ON_UPDATE_COMMAND_UI(8201, &CNoteView::OnUpdateSave)
END_MESSAGE_MAP()

class CNoteFrame : public CFrameWnd {
    DECLARE_DYNCREATE(CNoteFrame)
public:
    void OnExit() { g_log.push_back("frame:exit"); }
    void OnDelete() { g_log.push_back("frame:delete"); }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CNoteFrame, CFrameWnd)
BEGIN_MESSAGE_MAP(CNoteFrame, CFrameWnd)
ON_COMMAND(57665, &CNoteFrame::OnExit)
ON_COMMAND(8202, &CNoteFrame::OnDelete)
END_MESSAGE_MAP()

std::vector<std::string> g_messages;
int g_messageAnswer = IDNO;
int RecordMessage(LPCTSTR text, UINT) {
    g_messages.push_back(text);
    return g_messageAnswer;
}

class DocViewTest : public GuiTest {
protected:
    static void SetUpTestSuite() {
        GuiTest::SetUpTestSuite();
        AfxRegisterResources(&kModule);
    }
    QTemporaryDir dir;
    CDocManager* dm = nullptr;
    CMultiDocTemplate* tpl = nullptr;
    CNoteDocCommands docCommands;
    void SetUp() override {
        g_log.clear();
        g_messages.clear();
        g_messageAnswer = IDNO;
        CDocument::SetMessageHook(RecordMessage);
        AfxSetDocManager(new CDocManager);
        dm = AfxGetDocManager();
        tpl = new CMultiDocTemplate(8101, RUNTIME_CLASS(CNoteDoc), RUNTIME_CLASS(CNoteFrame),
                                    RUNTIME_CLASS(CNoteView));
        dm->AddDocTemplate(tpl);
    }
    void TearDown() override {
        dm->CloseAllDocuments(FALSE);
        AfxSetDocManager(nullptr);
        CDocument::SetMessageHook(nullptr);
        AfxSetFileNamePromptHook(nullptr);
        EXPECT_EQ(0, CNoteDoc::alive);
    }
    CString PathOf(const char* name) { return AfxFromQt(dir.path()) + "/" + name; }
    static CNoteView* FirstView(CDocument* doc) {
        POSITION pos = doc->GetFirstViewPosition();
        return pos ? static_cast<CNoteView*>(doc->GetNextView(pos)) : nullptr;
    }
};

TEST_F(DocViewTest, TemplateDescribesItsFilesFromTheStringResource) {
    struct Row {
        CDocTemplate::DocStringIndex index;
        const char* text;
    } rows[] = {{CDocTemplate::windowTitle, ""},
                {CDocTemplate::docName, "联系人"},
                {CDocTemplate::filterName, "联系人文件 (*.psn)"},
                {CDocTemplate::filterExt, ".psn"},
                {CDocTemplate::regFileTypeId, "Quillmar.Contacts"},
                {CDocTemplate::regFileTypeName, "联系人文件"}};
    for (const Row& r : rows) {
        CString s;
        EXPECT_TRUE(tpl->GetDocString(s, r.index));
        EXPECT_STREQ(r.text, (LPCTSTR)s) << r.index;
    }
    CDocument* match = nullptr;
    EXPECT_EQ(CDocTemplate::yesAttemptNative, tpl->MatchDocType("/a/b/X.PSN", match));
    EXPECT_EQ(CDocTemplate::maybeAttemptForeign, tpl->MatchDocType("/a/b/x.txt", match));
}

TEST_F(DocViewTest, NewDocumentGetsAFrameAViewAndANumberedTitle) {
    CDocument* doc = dm->OpenDocumentFile(nullptr);
    EXPECT_EQ(nullptr, doc); // an empty path opens nothing
    dm->OnFileNew();
    dm->OnFileNew();
    ASSERT_EQ(2, dm->GetDocumentCount());
    POSITION pos = tpl->GetFirstDocPosition();
    CDocument* first = tpl->GetNextDoc(pos);
    CDocument* second = tpl->GetNextDoc(pos);
    EXPECT_STREQ("联系人1", (LPCTSTR)first->GetTitle());
    EXPECT_STREQ("联系人2", (LPCTSTR)second->GetTitle());
    CNoteView* view = FirstView(first);
    ASSERT_NE(nullptr, view);
    EXPECT_EQ(1, view->initialUpdates);
    CFrameWnd* frame = view->GetParentFrame();
    ASSERT_NE(nullptr, frame);
    EXPECT_EQ(view, frame->GetActiveView());
    EXPECT_EQ(first, frame->GetActiveDocument());
    EXPECT_EQ(AFX_IDW_PANE_FIRST, view->GetDlgCtrlID());
    CString title;
    frame->GetWindowText(title);
    EXPECT_STREQ("联系人1", (LPCTSTR)title); // no application title in the string

    // A second view of the same document: updates reach every view but the sender.
    CCreateContext ctx;
    ctx.m_pCurrentDoc = first;
    ctx.m_pNewViewClass = RUNTIME_CLASS(CNoteView);
    auto* other = static_cast<CNoteView*>(frame->CreateView(&ctx, AFX_IDW_PANE_FIRST + 1));
    ASSERT_NE(nullptr, other);
    view->hints.clear();
    first->UpdateAllViews(view, 0x2000);
    EXPECT_TRUE(view->hints.empty());
    EXPECT_EQ(std::vector<LPARAM>{0x2000}, other->hints);
    other->DestroyWindow();
    EXPECT_EQ(view, FirstView(first));

    // The view fills the frame below the menu bar.
    frame->MoveWindow(0, 0, 400, 300);
    CRect layout, rcView;
    frame->GetLayoutRect(&layout);
    view->GetWindowRect(&rcView);
    frame->ScreenToClient(&rcView);
    EXPECT_EQ(layout, rcView);
    EXPECT_GT(layout.top, 0);
}

// A view listed by a document answers that document as its own, whichever road moved it: made
// for one file, handed to another (as the right pane does with views shared by open files), and
// still right when the file it came from is closed before the view goes.
TEST_F(DocViewTest, AViewBelongsToTheDocumentThatListsIt) {
    dm->OnFileNew();
    dm->OnFileNew();
    POSITION pos = tpl->GetFirstDocPosition();
    CDocument* first = tpl->GetNextDoc(pos);
    CDocument* second = tpl->GetNextDoc(pos);
    CFrameWnd* secondFrame = FirstView(second)->GetParentFrame();
    ASSERT_NE(nullptr, secondFrame);
    CCreateContext ctx;
    ctx.m_pCurrentDoc = first;
    ctx.m_pNewViewClass = RUNTIME_CLASS(CNoteView);
    CWnd* made = secondFrame->CreateView(&ctx, AFX_IDW_PANE_FIRST + 1);
    auto* shared = dynamic_cast<CNoteView*>(made);
    ASSERT_NE(nullptr, shared);
    EXPECT_EQ(first, shared->GetDocument());
    auto viewsOf = [](CDocument* doc) {
        int n = 0;
        for (POSITION p = doc->GetFirstViewPosition(); p;) {
            doc->GetNextView(p);
            ++n;
        }
        return n;
    };

    first->RemoveView(shared);
    EXPECT_EQ(nullptr, shared->GetDocument());
    EXPECT_EQ(1, viewsOf(first));
    second->AddView(shared);
    EXPECT_EQ(second, shared->GetDocument());
    EXPECT_EQ(2, viewsOf(second));
    // Straight into another document: it leaves the one it had, which stays open.
    first->AddView(shared);
    EXPECT_EQ(first, shared->GetDocument());
    EXPECT_EQ(1, viewsOf(second));
    EXPECT_EQ(2, viewsOf(first));
    second->AddView(shared);
    EXPECT_EQ(2, CNoteDoc::alive);

    // The file it came from closes first; the view then goes with the other file's frame.
    AfxCloseDocument(first);
    EXPECT_EQ(1, CNoteDoc::alive);
    EXPECT_EQ(second, shared->GetDocument());
    secondFrame->DestroyWindow();
    EXPECT_EQ(0, CNoteDoc::alive) << "its last view gone, the second file closed too";
}

TEST_F(DocViewTest, CommandsGoToTheViewThenTheDocumentThenTheFrame) {
    dm->OnFileNew();
    POSITION pos = tpl->GetFirstDocPosition();
    CDocument* doc = tpl->GetNextDoc(pos);
    AfxSetDocumentCmdTarget(doc, &docCommands);
    CNoteView* view = FirstView(doc);
    CFrameWnd* frame = view->GetParentFrame();
    view->saveEnabled = TRUE;
    frame->SendMessage(WM_COMMAND, 8201);
    frame->SendMessage(WM_COMMAND, 8202);
    frame->SendMessage(WM_COMMAND, 57665);
    EXPECT_EQ((std::vector<std::string>{"view:save", "doc:delete", "frame:exit"}), g_log);
    g_log.clear();
    view->saveEnabled = FALSE; // a disabled command is not carried out
    frame->SendMessage(WM_COMMAND, 8201);
    EXPECT_TRUE(g_log.empty());

    // Opening a pop-up of the menu bar brings its items up to date through the same route.
    CMenu* file = frame->GetMenu()->GetSubMenu(0);
    view->saveEnabled = TRUE;
    frame->SendMessage(WM_INITMENUPOPUP, (WPARAM)file->m_hMenu, 0);
    EXPECT_EQ(0u, file->GetMenuState(8201, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_EQ(0u, file->GetMenuState(8202, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_EQ((UINT)MF_GRAYED, file->GetMenuState(8203, MF_BYCOMMAND) & MF_GRAYED); // no handler
    view->saveEnabled = FALSE;
    frame->SendMessage(WM_INITMENUPOPUP, (WPARAM)file->m_hMenu, 0);
    EXPECT_EQ((UINT)MF_GRAYED, file->GetMenuState(8201, MF_BYCOMMAND) & MF_GRAYED);
    AfxSetDocumentCmdTarget(doc, nullptr);
}

TEST_F(DocViewTest, OpenFilesAreFoundAgainWithoutRegardToCase) {
    CString path = PathOf("Notes.psn");
    {
        CNoteDoc writer;
        writer.text = "你好";
        ASSERT_TRUE(writer.OnSaveDocument(path));
    }
    CRecentFileList mru(0, "Recent File List", "File%d", 4);
    dm->m_pRecentFileList = &mru;
    CDocument* doc = dm->OpenDocumentFile(path);
    ASSERT_NE(nullptr, doc);
    EXPECT_STREQ("你好", (LPCTSTR) static_cast<CNoteDoc*>(doc)->text);
    EXPECT_STREQ("Notes.psn", (LPCTSTR)doc->GetTitle());
    EXPECT_STREQ((LPCTSTR)path, (LPCTSTR)mru[0]);
    CString other = path;
    other.Replace("Notes.psn", "NOTES.PSN");
    EXPECT_EQ(doc, dm->OpenDocumentFile(other));
    EXPECT_EQ(1, dm->GetDocumentCount());

    EXPECT_EQ(nullptr, dm->OpenDocumentFile(PathOf("missing.psn")));
    EXPECT_EQ(1u, g_messages.size());
    EXPECT_EQ(1, dm->GetDocumentCount());
    dm->m_pRecentFileList = nullptr;
}

TEST_F(DocViewTest, ClosingAModifiedDocumentAsksFirst) {
    dm->OnFileNew();
    POSITION pos = tpl->GetFirstDocPosition();
    CDocument* doc = tpl->GetNextDoc(pos);
    CFrameWnd* frame = FirstView(doc)->GetParentFrame();
    doc->SetModifiedFlag();

    g_messageAnswer = IDCANCEL;
    frame->SendMessage(WM_CLOSE);
    ASSERT_EQ(1u, g_messages.size());
    EXPECT_EQ("是否保存对 联系人1 的更改?", g_messages[0]);
    EXPECT_EQ(1, dm->GetDocumentCount());

    // Yes with no path asks for one; refusing it keeps the document.
    g_messageAnswer = IDYES;
    CString asked;
    AfxSetFileNamePromptHook([&](CString& name, BOOL bOpen) {
        asked = name;
        EXPECT_FALSE(bOpen);
        return FALSE;
    });
    frame->SendMessage(WM_CLOSE);
    EXPECT_STREQ("联系人1", (LPCTSTR)asked);
    EXPECT_EQ(1, dm->GetDocumentCount());

    // Yes with a path saves, then the document and its frame go.
    CString saved = PathOf("saved.psn");
    AfxSetFileNamePromptHook([&](CString& name, BOOL) {
        name = saved;
        return TRUE;
    });
    HWND hFrame = frame->m_hWnd;
    frame->SendMessage(WM_CLOSE);
    EXPECT_EQ(0, dm->GetDocumentCount());
    EXPECT_FALSE(IsWindow(hFrame));
    EXPECT_TRUE(QFile::exists(AfxToQt(saved)));
}

TEST_F(DocViewTest, SavingUnderANewNameJoinsTheRecentFiles) {
    // The application hears of every file that joins the list and picks its own list for it.
    struct CRecordingApp : CWinApp {
        std::vector<CString> added;
        void AddToRecentFileList(LPCTSTR lpszPathName) override { added.push_back(lpszPathName); }
    } app;
    CRecentFileList mru(0, "Recent File List", "File%d", 4);
    dm->m_pRecentFileList = &mru;
    dm->OnFileNew();
    POSITION pos = tpl->GetFirstDocPosition();
    CDocument* doc = tpl->GetNextDoc(pos);
    CString first = PathOf("first.psn"), copy = PathOf("copy.psn");
    CString offered;
    CString answer = first;
    AfxSetFileNamePromptHook([&](CString& name, BOOL) {
        offered = name;
        name = answer;
        return TRUE;
    });

    ASSERT_TRUE(AfxDoFileSave(doc)) << "the first save asks for a name";
    EXPECT_STREQ("联系人1", (LPCTSTR)offered);
    EXPECT_STREQ((LPCTSTR)first, (LPCTSTR)mru[0]);

    offered.Empty();
    ASSERT_TRUE(AfxDoFileSave(doc)) << "a later save keeps its path";
    EXPECT_TRUE(offered.IsEmpty());

    answer = copy;
    ASSERT_TRUE(AfxDoFileSave(doc, TRUE));
    EXPECT_STREQ((LPCTSTR)first, (LPCTSTR)offered) << "save as offers the present path";
    EXPECT_STREQ((LPCTSTR)copy, (LPCTSTR)doc->GetPathName());
    EXPECT_STREQ((LPCTSTR)copy, (LPCTSTR)mru[0]);
    EXPECT_STREQ((LPCTSTR)first, (LPCTSTR)mru[1]);

    doc->SetPathName(PathOf("quiet.psn"), FALSE);
    EXPECT_STREQ((LPCTSTR)copy, (LPCTSTR)mru[0]) << "a path set without remembering it";
    EXPECT_EQ((std::vector<CString>{first, copy}), app.added);
    dm->m_pRecentFileList = nullptr;
}

TEST_F(DocViewTest, RecentFilesMoveToTheFrontAndSurviveInTheProfile) {
    CRecentFileList mru(0, "Recent File List", "File%d", 3, 20);
    for (const char* p : {"/d/a.psn", "/d/b.psn", "/d/c.psn", "/D/A.PSN", "/d/e.psn"})
        mru.Add(p);
    EXPECT_STREQ("/d/e.psn", (LPCTSTR)mru[0]);
    EXPECT_STREQ("/D/A.PSN", (LPCTSTR)mru[1]); // the same file moved up, not added twice
    EXPECT_STREQ("/d/c.psn", (LPCTSTR)mru[2]);
    mru.WriteList();
    CRecentFileList again(0, "Recent File List", "File%d", 3, 20);
    again.ReadList();
    for (int i = 0; i < 3; ++i)
        EXPECT_STREQ((LPCTSTR)mru[i], (LPCTSTR)again[i]);
    again.Remove(0);
    EXPECT_STREQ("/D/A.PSN", (LPCTSTR)again[0]);
    EXPECT_TRUE(again[2].IsEmpty());

    CRecentFileList names(0, "x", "File%d", 2, 12);
    names.Add("/很长的文件夹名字/通讯录名字.psn");
    names.Add("/a/&b.psn");
    CString shown;
    EXPECT_TRUE(names.GetDisplayName(shown, 0, nullptr, 0));
    EXPECT_STREQ("/a/&b.psn", (LPCTSTR)shown);
    EXPECT_TRUE(names.GetDisplayName(shown, 1, nullptr, 0));
    EXPECT_STREQ("通讯录名...", (LPCTSTR)shown); // cut at a whole character
    CRecentFileList empty(0, "y", "File%d", 2);
    EXPECT_FALSE(empty.GetDisplayName(shown, 0, nullptr, 0));

    // The menu item becomes one item per file; an empty list leaves it disabled.
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(8101));
    CMenu* file = menu.GetSubMenu(0);
    CNoteFrame target;
    struct Updater : CCmdTarget {
        CRecentFileList* list = nullptr;
        BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pInfo) override {
            if (nID == ID_FILE_MRU_FILE1 && nCode == (int)CN_UPDATE_COMMAND_UI && !pInfo) {
                list->UpdateMenu(static_cast<CCmdUI*>(pExtra));
                return TRUE;
            }
            return FALSE;
        }
    } updater;
    updater.list = &empty;
    AfxUpdateMenuCmdUI(file, &updater, FALSE);
    EXPECT_EQ((UINT)MF_GRAYED, file->GetMenuState(ID_FILE_MRU_FILE1, MF_BYCOMMAND) & MF_GRAYED);
    updater.list = &names;
    AfxUpdateMenuCmdUI(file, &updater, FALSE);
    ASSERT_EQ(6u, file->GetMenuItemCount());
    CString text;
    file->GetMenuString(ID_FILE_MRU_FILE1, text, MF_BYCOMMAND);
    EXPECT_STREQ("&1 /a/&&b.psn", (LPCTSTR)text);
    file->GetMenuString(ID_FILE_MRU_FILE1 + 1, text, MF_BYCOMMAND);
    EXPECT_STREQ("&2 通讯录名...", (LPCTSTR)text);
    EXPECT_EQ(57665u, file->GetMenuItemID(5));
    // Updating again replaces the items instead of adding more.
    AfxUpdateMenuCmdUI(file, &updater, FALSE);
    EXPECT_EQ(6u, file->GetMenuItemCount());
}

TEST_F(DocViewTest, FrameShowsMenuViewAndTitle) {
    dm->OnFileNew();
    POSITION pos = tpl->GetFirstDocPosition();
    auto* doc = static_cast<CNoteDoc*>(tpl->GetNextDoc(pos));
    doc->text = "墨川笔记";
    CFrameWnd* frame = FirstView(doc)->GetParentFrame();
    frame->MoveWindow(0, 0, 320, 200);
    Pump();
    EXPECT_TRUE(frame->SaveScreenshot(ScreenPath("frame-with-view").c_str()));
}

} // namespace
