// The address-book tree driven offscreen over books written with the records library: opening,
// new books, saving and closing, the pane views of each book and damaged files.
#include "contacts/Person.h"
#include "contacts/tests/ContactsTestSupport.h"
#include "contacts/SmsDoc.h"
#include "contacts/ui/DlgFindPerson.h"
#include "contacts/ui/FieldTree.h"
#include "contacts/ui/LeftView.h"
#include "contacts/ui/SheetExportGroup.h"
#include "contacts/ui/tests/KeepingView.h"
#include "contacts/ui/tests/TreeFixture.h"
#include "contacts/ui/tests/TreePaintCount.h"
#include "platform/base/Document.h"
#include "platform/base/tests/TempFolder.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/Dc.h"
#include "platform/gui/Frame.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/tests/GuiTestSupport.h"

#include <QDir>
#include <QPainter>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_docMessages;
int RecordDocMessage(LPCTSTR text, UINT) {
    g_docMessages.push_back(text);
    return 1;
}

// Stands in for the right pane: keeps the calls and, like the real pane, reads the document of
// a book whose registration goes (its shared views move off that document then).
class PaneStandIn : public CIRightPaneHost {
public:
    std::vector<std::string> calls;
    std::map<DWORD_PTR, CDocument*> docs;
    std::vector<std::string> goneTitles;
    int CreateViews(DWORD_PTR key, CDocument* pDoc, int kind, CWnd*) override {
        docs[key] = pDoc;
        calls.push_back("create " + std::to_string(key) + " " + std::to_string(kind));
        return 0;
    }
    BOOL DestroyViews(DWORD_PTR key, int kind, BOOL) override {
        calls.push_back("destroy " + std::to_string(key) + " " + std::to_string(kind));
        if (CDocument* pDoc = docs[key])
            goneTitles.push_back(pDoc->GetTitle().GetString());
        docs.erase(key);
        return TRUE;
    }
    BOOL ShowView(int n, DWORD_PTR key, CDocument*, int kind, CWnd*) override {
        calls.push_back("show " + std::to_string(n) + " " + std::to_string(key) + " " +
                        std::to_string(kind));
        return TRUE;
    }
    CWnd* GetView(int, int) override { return nullptr; }
    CView* GetCurrentView() override { return current; }
    CView* current = nullptr;
};

class LeftViewTest : public ContactsTreeFixture<> {
protected:
    PaneStandIn pane;
    CDocument::MessageHook oldDocHook = nullptr;

    void SetUp() override {
        g_docMessages.clear();
        oldDocHook = CDocument::SetMessageHook(&RecordDocMessage);
        OpenFrameAndTree(&pane, 300, 420);
    }
    void TearDown() override {
        ContactsTreeFixture::TearDown();
        CDocument::SetMessageHook(oldDocHook);
    }
    CString WriteFamilyBook(const std::string& file, const char* name) {
        return WriteBook(file, name, FillFamily);
    }
    // The family book and a book of one schoolmate, open, with the top item selected.
    void OpenTwoBooksAtTheTop(CSmsDoc*& docA, CSmsDoc*& docB) {
        CString a = WriteFamilyBook("family.sms", "家");
        CString b = WriteBook("school.sms", "同学", [](_CGroup& root) { Person(&root, "王小明"); });
        docA = dynamic_cast<CSmsDoc*>(view->OpenFile(a, FALSE));
        docB = dynamic_cast<CSmsDoc*>(view->OpenFile(b, FALSE));
        Tree().SelectItem(view->GetTopItem());
    }
    std::vector<int> FileIds() {
        std::vector<int> ids;
        for (int i = 0; i < view->GetFileCount(); ++i)
            ids.push_back(view->GetFileAt(i)->nFileId);
        return ids;
    }
    // A file dialog answers with path; any other dialog is cancelled.
    void AnswerFile(const CString& path) { AnswerFiles({path}); }
};

} // namespace

TEST_F(LeftViewTest, OpensBooksWithGroupsContactsAndSexImagesAndShowsTheirPaneViews) {
    CString a = WriteFamilyBook("family.sms", "我的通讯录");
    CString b = WriteBook("school.sms", "同学", [](_CGroup& root) { Person(&root, "小明", 1); });
    auto* docA = dynamic_cast<CSmsDoc*>(view->OpenFile(a, FALSE));
    ASSERT_NE(docA, nullptr);
    ASSERT_NE(view->OpenFile(b, FALSE), nullptr);
    EXPECT_EQ(Tree().GetItemText(view->GetTopItem()), "联系人通讯录");
    EXPECT_EQ(Texts(view->GetTopItem()), (std::vector<std::string>{"我的通讯录", "同学"}));
    HTREEITEM rootA = view->GetFileAt(0)->hItem;
    EXPECT_EQ(Texts(rootA), (std::vector<std::string>{"家人", "同事", "自己"}));
    EXPECT_EQ(FileIds(), (std::vector<int>{1, 2}));
    EXPECT_EQ(pane.calls, (std::vector<std::string>{"create 1 0", "create 2 0"}));

    // Images: the book, a group and a contact by its sex code.
    _CGroup& root = docA->GetRootGroup();
    auto images = [&](CGroupItem* record) {
        int image = -1, sel = -1;
        Tree().GetItemImage((HTREEITEM)record->GetTreeItem(), image, sel);
        return std::make_pair(image, sel);
    };
    _CGroup* family = static_cast<_CGroup*>(root.FindByName("家人", TRUE, FALSE, TRUE));
    ASSERT_NE(family, nullptr);
    EXPECT_EQ(images(&root).first, CLeftView::ImgFile);
    EXPECT_EQ(images(family), std::make_pair((int)CLeftView::ImgGroup, (int)CLeftView::ImgGroup));
    struct Row {
        const char* name;
        int image, sel;
    } rows[] = {{"王芳", CLeftView::ImgFemale, CLeftView::ImgFemaleSel},
                {"王强", CLeftView::ImgMale, CLeftView::ImgMaleSel},
                {"自己", CLeftView::ImgOther, CLeftView::ImgOtherSel}};
    Tree().Expand(rootA, TVE_EXPAND);
    Tree().Expand((HTREEITEM)family->GetTreeItem(), TVE_EXPAND);
    for (const Row& r : rows) {
        auto* p = dynamic_cast<CGroupItem*>(root.FindByName(r.name, FALSE, FALSE, TRUE));
        ASSERT_NE(p, nullptr) << r.name;
        EXPECT_EQ(images(p), std::make_pair(r.image, r.sel)) << r.name;
    }

    // A group shows the list view of its book, a contact the form; the caption follows.
    Tree().SelectItem((HTREEITEM)family->GetTreeItem());
    EXPECT_EQ(pane.calls.back(), "show 3 1 0");
    EXPECT_EQ(FrameTitle(), "墨川 - 联系人通讯录 - 我的通讯录\\家人");
    Tree().SelectItem(
        (HTREEITEM) dynamic_cast<CGroupItem*>(root.FindByName("王芳", FALSE, FALSE, TRUE))
            ->GetTreeItem());
    EXPECT_EQ(pane.calls.back(), "show 2 1 0");
    EXPECT_EQ(view->GetSmsDoc(nullptr), docA);

    // The first contact with a mobile number across the books, in order.
    auto* ming = dynamic_cast<_CPerson*>(static_cast<CSmsDoc*>(view->GetFileAt(1)->pDoc)
                                             ->GetRootGroup()
                                             .FindByName("小明", FALSE, FALSE, TRUE));
    ASSERT_NE(ming, nullptr);
    contacts_test::AddValue(ming->GetInfo().m_personal.mobiles, "13900001111");
    EXPECT_EQ(view->FindContactByNumber("13900001111"), ming);
    EXPECT_EQ(view->FindContactByNumber("10086"), nullptr);
    Tree().SelectItem(view->GetTopItem());
    view->SendMessage(WM_GROUPVIEW_MODIFIED);
    Tree().SelectItem(rootA);
    view->SendMessage(WM_GROUPVIEW_MODIFIED);
    Tree().SelectItem(view->GetTopItem());
    Screenshot("contacts-tree-two-books");
    answers = {IDNO, IDNO};
}

TEST_F(LeftViewTest, ModifiedMarksAreBlueForANewBookAndRedForASavedOne) {
    auto colours = [&] { return CountRedAndBluePixels(Tree()); };
    EXPECT_EQ(colours(), std::make_pair(0, 0)) << "no book: no count after the top item";
    EXPECT_EQ(view->FileCountText(), "");
    Run(CGroupTreeView::ID_FILE_NEW);
    Tree().EndEditLabelNow(FALSE);
    auto fresh = colours();
    EXPECT_EQ(fresh.first, 0) << "a book never saved is marked blue";
    EXPECT_GT(fresh.second, 0);
    Tree().SelectItem(view->GetTopItem());
    answers = {IDNO};
    ASSERT_TRUE(view->CloseAllFiles());

    ASSERT_NE(view->OpenFile(WriteBook("saved.sms", "已存"), FALSE), nullptr);
    EXPECT_EQ(colours().first, 0) << "unchanged: no mark";
    Tree().SelectItem(view->GetFileAt(0)->hItem);
    view->SendMessage(WM_GROUPVIEW_MODIFIED);
    EXPECT_GT(colours().first, 0) << "a saved book with changes is marked red";
    answers = {IDNO};
}

TEST_F(LeftViewTest, FreedIdsAndProposedNamesOfNewBooks) {
    CString paths[3];
    const char* names[3] = {"通讯录", "通讯录1", "朋友"};
    for (int i = 0; i < 3; ++i) {
        paths[i] = WriteBook("book" + std::to_string(i) + ".sms", names[i]);
        ASSERT_NE(view->OpenFile(paths[i], FALSE), nullptr);
    }
    // Closing the second book frees id 2: the next book takes it, not 4.
    Tree().SelectItem(view->GetFileAt(1)->hItem);
    Run(CGroupTreeView::ID_FILE_CLOSE);
    EXPECT_EQ(FileIds(), (std::vector<int>{1, 3}));
    EXPECT_EQ(view->FileCountText(), "（2文件）");
    EXPECT_NE(std::find(pane.calls.begin(), pane.calls.end(), "destroy 2 0"), pane.calls.end());
    Run(CGroupTreeView::ID_FILE_NEW);
    ASSERT_NE(Tree().GetEditControl(), nullptr);
    Tree().EndEditLabelNow(FALSE);
    ASSERT_EQ(view->GetFileCount(), 3);
    EXPECT_EQ(FileIds(), (std::vector<int>{1, 3, 2}));
    EXPECT_EQ(view->m_strLastLabelText, "通讯录1") << "the find dialog's proposal";
    // 通讯录 is open, 通讯录1 was closed: the counter's first free name.
    EXPECT_EQ(Texts(view->GetTopItem()), (std::vector<std::string>{"通讯录", "朋友", "通讯录1"}));
    // With 通讯录1 open again the next proposal is 通讯录2.
    Run(CGroupTreeView::ID_FILE_NEW);
    Tree().EndEditLabelNow(FALSE);
    ASSERT_EQ(view->GetFileCount(), 4);
    EXPECT_EQ(Tree().GetItemText(view->GetFileAt(3)->hItem), "通讯录2");
    EXPECT_EQ(view->GetFileAt(3)->nFileId, 4);
    // Freed ids come back in the order they were freed.
    for (int i : {1, 0}) {
        Tree().SelectItem(view->GetFileAt(i)->hItem);
        Run(CGroupTreeView::ID_FILE_CLOSE);
    }
    EXPECT_EQ(FileIds(), (std::vector<int>{2, 4}));
    for (int want : {3, 1}) {
        ASSERT_NE(view->OpenFile(paths[want == 3 ? 2 : 0], FALSE), nullptr);
        EXPECT_EQ(view->GetFileAt(view->GetFileCount() - 1)->nFileId, want);
    }
    auto* fresh = dynamic_cast<CSmsDoc*>(view->GetFileAt(1)->pDoc);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->GetRootGroup().GetName(), "通讯录2");
    EXPECT_TRUE(fresh->IsModified());
    EXPECT_TRUE(fresh->GetPathName().IsEmpty());
    answers = {IDNO, IDNO, IDNO, IDNO};
}

TEST_F(LeftViewTest, TheSameFileNamedOtherwiseOpensOnce) {
    CString a = WriteBook("Family.sms", "家");
    ASSERT_NE(view->OpenFile(a, FALSE), nullptr);
    // Other letter cases, a doubled separator and a "." step name the same file.
    for (CString other : {Path("FAMILY.SMS"), Path("./family.sms"),
                          CString((dir.str() + "//Family.sms").c_str())}) {
        SCOPED_TRACE(other.GetString());
        shown.clear();
        view->OpenFile(other, FALSE);
        EXPECT_EQ(view->GetFileCount(), 1);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_NE(shown[0].text.Find("已经被打开！"), -1) << shown[0].text.GetString();
        EXPECT_EQ(shown[0].text.Find("文件"), 0);
    }
}

TEST_F(LeftViewTest, SaveAsOfABookWithAPathWritesACopyAndKeepsTheBookModified) {
    CString a = WriteFamilyBook("family.sms", "家");
    auto* doc = dynamic_cast<CSmsDoc*>(view->OpenFile(a, FALSE));
    ASSERT_NE(doc, nullptr);
    Tree().SelectItem(view->GetFileAt(0)->hItem);
    Person(&doc->GetRootGroup(), "新人");
    view->SendMessage(WM_GROUPVIEW_MODIFIED);
    ASSERT_TRUE(doc->IsModified());

    CString copy = Path("copy.sms");
    AnswerFile(copy);
    Run(CGroupTreeView::ID_FILE_SAVE_AS);
    CSmsDoc reread;
    ASSERT_TRUE(reread.OnOpenDocument(copy));
    EXPECT_NE(reread.GetRootGroup().FindByName("新人", FALSE, FALSE, TRUE), nullptr);
    EXPECT_EQ(doc->GetPathName(), a) << "the book stays open under its own path";
    EXPECT_EQ(view->GetFileAt(0)->strPath, a);
    EXPECT_TRUE(doc->IsModified()) << "its own file was not written";

    // Closing therefore still asks; No closes, and the file on disk lacks the change.
    shown.clear();
    answers = {IDNO};
    Run(CGroupTreeView::ID_FILE_CLOSE);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "是否保存对 家 的更改?");
    EXPECT_EQ(view->GetFileCount(), 0);
    CSmsDoc original;
    ASSERT_TRUE(original.OnOpenDocument(a));
    EXPECT_EQ(original.GetRootGroup().FindByName("新人", FALSE, FALSE, TRUE), nullptr);
}

TEST_F(LeftViewTest, ClosingABookLetsThePaneLeaveItsDocumentFirstAndCancelKeepsItOpen) {
    CString a = WriteBook("a.sms", "甲");
    CString b = WriteBook("b.sms", "乙");
    ASSERT_NE(view->OpenFile(a, FALSE), nullptr);
    ASSERT_NE(view->OpenFile(b, FALSE), nullptr);
    Tree().SelectItem(view->GetFileAt(0)->hItem);
    view->SendMessage(WM_GROUPVIEW_MODIFIED);

    // Deleting a book's root asks first; No keeps it open.
    frame->SetForegroundWindow();
    Tree().SetFocus();
    ASSERT_TRUE(WaitFor([&] { return CWnd::GetFocus() == &Tree(); }));
    shown.clear();
    answers = {IDNO};
    Run(CGroupTreeView::ID_DELETE);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "即将关闭该通讯录文件。确定吗？");
    EXPECT_EQ(view->GetFileCount(), 2);

    // Cancel at the save prompt: nothing closes, CloseAllFiles reports it.
    answers = {IDCANCEL};
    EXPECT_FALSE(view->CloseAllFiles());
    EXPECT_EQ(view->GetFileCount(), 2);
    EXPECT_TRUE(pane.goneTitles.empty());

    // The pane hears of the closing while the document is still there to read.
    answers = {IDNO};
    EXPECT_TRUE(view->CloseAllFiles());
    EXPECT_EQ(view->GetFileCount(), 0);
    EXPECT_EQ(pane.goneTitles, (std::vector<std::string>{"甲", "乙"}));
    EXPECT_EQ(pane.calls.back(), "show 1 0 2") << "the top item's file browser is shown";
}

TEST_F(LeftViewTest, DamagedOrHostileBooksAddNoRootAndShowTheDocumentsMessage) {
    CString good = WriteFamilyBook("good.sms", "家");
    const auto size = std::filesystem::file_size(good.GetString());
    CString cut = Path("cut.sms");
    std::filesystem::copy_file(good.GetString(), cut.GetString());
    std::filesystem::resize_file(cut.GetString(), size / 2);
    // A root that announces far more sub-groups than the file holds.
    std::string hostile("\x00\x00\x01\x00", 4);
    hostile += std::string(4, '\0') + std::string(8, '\0');
    for (int i = 0; i < 4; ++i)
        hostile += std::string(4, '\0') + std::string(4, '\xFF');
    hostile += std::string("\xF0\xFF\xFF\x7F", 4) + std::string(4, '\0');
    CString bad = Path("hostile.sms");
    std::ofstream(bad.GetString(), std::ios::binary) << hostile;
    CString junk = Path("junk.sms");
    std::ofstream(junk.GetString(), std::ios::binary) << std::string(300, '\x7f');

    for (const CString& p : {cut, bad, junk}) {
        SCOPED_TRACE(p.GetString());
        g_docMessages.clear();
        EXPECT_EQ(view->OpenFile(p, FALSE), nullptr);
        EXPECT_EQ(view->GetFileCount(), 0);
        EXPECT_EQ(Tree().GetChildItem(view->GetTopItem()), nullptr);
        ASSERT_EQ(g_docMessages.size(), 1u);
        EXPECT_NE(g_docMessages[0].find("打开文档失败。"), std::string::npos);
    }
    EXPECT_TRUE(pane.calls.empty());
    // The good book still opens with id 1.
    ASSERT_NE(view->OpenFile(good, FALSE), nullptr);
    EXPECT_EQ(FileIds(), (std::vector<int>{1}));
}

TEST_F(LeftViewTest, AViewThatKeepsItsEditsKeepsTheRecordFromBeingRemoved) {
    CString a = WriteFamilyBook("family.sms", "家");
    auto* doc = dynamic_cast<CSmsDoc*>(view->OpenFile(a, FALSE));
    ASSERT_NE(doc, nullptr);
    _CGroup& root = doc->GetRootGroup();
    auto item = [&](const char* name, BOOL group) {
        return (HTREEITEM) dynamic_cast<CGroupItem*>(root.FindByName(name, group, FALSE, TRUE))
            ->GetTreeItem();
    };
    Tree().Expand(view->GetFileAt(0)->hItem, TVE_EXPAND);
    Tree().SelectItem(item("自己", FALSE));
    auto* keeping = new CKeepingView;
    ASSERT_TRUE(
        keeping->Create(nullptr, "", WS_CHILD, CRect(0, 0, 10, 10), frame, 0x7001, nullptr));
    pane.current = keeping;

    // The form refuses: neither the contact nor its group nor the book goes.
    for (const char* name : {"自己", "家人"}) {
        SCOPED_TRACE(name);
        keeping->m_bKeep = FALSE;
        Tree().SelectItem(item(name, name == std::string("家人")));
        keeping->m_bKeep = TRUE;
        HTREEITEM h = view->GetCurrentItem();
        EXPECT_FALSE(view->RemoveItem(h));
        EXPECT_EQ(view->GetCurrentItem(), h);
        EXPECT_NE(root.FindByName(name, name == std::string("家人"), FALSE, TRUE), nullptr);
        EXPECT_FALSE(doc->IsModified());
    }
    EXPECT_FALSE(view->RemoveItem(view->GetFileAt(0)->hItem) && view->GetFileCount() == 0);
    EXPECT_EQ(view->GetFileCount(), 1);

    // Once it lets go, the contact is removed and the selection has moved on.
    keeping->m_bKeep = FALSE;
    Tree().SelectItem(item("自己", FALSE));
    HTREEITEM self = view->GetCurrentItem();
    EXPECT_TRUE(view->RemoveItem(self));
    EXPECT_NE(view->GetCurrentItem(), self);
    EXPECT_EQ(root.FindByName("自己", FALSE, FALSE, TRUE), nullptr);
    EXPECT_TRUE(doc->IsModified());
    pane.current = nullptr;
    answers = {IDNO};
}

TEST_F(LeftViewTest, FindFromTheTopItemSearchesEveryBookWithoutTakingTheirRootGroups) {
    CSmsDoc *docA = nullptr, *docB = nullptr;
    OpenTwoBooksAtTheTop(docA, docB);
    ASSERT_TRUE(docA && docB);

    std::vector<std::string> rows;
    onDialog = [&](CDialog& d) {
        auto* find = dynamic_cast<CDlgFindPerson*>(&d);
        ASSERT_NE(find, nullptr);
        // Settings other finds of this process left: text search in every contact field.
        find->ShowTab(CDlgFindPerson::TAB_TEXT);
        find->GetFieldTree().Tick(find->GetFieldTree().GetPersonRoot(), TRUE);
        find->SetDlgItemText(CDlgFindPerson::IDC_TEXT, "王");
        find->FindAll();
        for (int i = 0; i < find->GetResultCount(); ++i)
            rows.push_back(find->GetResultList().GetItemText(i, 0).GetString());
        // Opening a result selects its record in the tree.
        find->GetResultList().SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
        NMHDR nm{find->GetResultList().m_hWnd, CDlgFindPerson::IDC_RESULTS, NM_DBLCLK};
        find->SendMessage(WM_NOTIFY, nm.idFrom, (LPARAM)&nm);
        d.EndDialog(IDOK);
    };
    ASSERT_TRUE(Run(CLeftView::ID_FIND));
    EXPECT_EQ(rows, (std::vector<std::string>{"王芳", "王强", "王小明"}));
    EXPECT_EQ(view->GetSmsDoc(nullptr), docB) << "the third result, in the second book";
    EXPECT_EQ(Tree().GetItemText(view->GetCurrentItem()), "王小明");

    // The books keep their root groups: no parent, still open, and they close cleanly.
    EXPECT_EQ(docA->GetRootGroup().GetParent(), nullptr);
    EXPECT_EQ(docB->GetRootGroup().GetParent(), nullptr);
    EXPECT_EQ(docA->GetRootGroup().GetSubgroupCount(), 2);
    EXPECT_EQ(view->GetFileCount(), 2);
    onDialog = nullptr;
    EXPECT_TRUE(view->CloseAllFiles());
}

TEST_F(LeftViewTest, ExportWritesTheCurrentGroupAndTheTopItemEveryBook) {
    CSmsDoc *docA = nullptr, *docB = nullptr;
    OpenTwoBooksAtTheTop(docA, docB);
    ASSERT_TRUE(docA && docB);
    _CGroup& rootA = docA->GetRootGroup();
    HTREEITEM family =
        ItemOf(dynamic_cast<CGroupItem*>(rootA.FindByName("家人", TRUE, FALSE, TRUE)));
    ASSERT_NE(family, nullptr);
    const std::vector<std::string> everyone = {"王芳", "王强", "李明", "赵敏", "自己", "王小明"};
    struct Case {
        const char* what;
        HTREEITEM item;
        bool subgroups;
        const char* offered; // the name the sheet gives what it exports
        std::vector<std::string> written;
    } cases[] = {
        {"the top item", view->GetTopItem(), true, "所有文件", everyone},
        {"a book's root", view->GetFileAt(0)->hItem, true, "家",
         {"王芳", "王强", "李明", "赵敏", "自己"}},
        {"a group with its sub-groups", family, true, "家人", {"王芳", "王强", "李明"}},
        {"a group alone", family, false, "家人", {"王芳", "王强"}},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Tree().SelectItem(c.item);
        CString out = Path(("export" + std::to_string(n++) + ".csv").c_str());
        CString offered;
        onDialog = [&](CDialog& d) {
            if (auto* sheet = dynamic_cast<CPSheetExportGroup*>(&d)) {
                offered = sheet->m_pageExport.m_strGroupName;
                sheet->m_pageExport.SetDlgItemText(CPageExportGroup::IDC_PATH, out);
                sheet->m_pageExport.CheckRadioButton(1213, 1215,
                                                     1213 + CPageExportGroup::FIELDS_CURRENT);
                sheet->m_pageExport.CheckDlgButton(CPageExportGroup::IDC_SUBGROUPS,
                                                   c.subgroups ? BST_CHECKED : BST_UNCHECKED);
                sheet->SendMessage(WM_COMMAND, IDOK, 0);
            } else {
                d.EndDialog(IDCANCEL);
            }
        };
        answers = {IDOK};
        EXPECT_TRUE(Update(CLeftView::ID_EXPORT_CSV).enabled);
        ASSERT_TRUE(Run(CLeftView::ID_EXPORT_CSV));
        EXPECT_STREQ(offered, c.offered);
        std::ifstream in(out.GetString(), std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(text.find("姓名,手机"), 0u) << "the list's columns";
        for (const std::string& name : everyone) {
            bool expected = std::find(c.written.begin(), c.written.end(), name) != c.written.end();
            EXPECT_EQ(text.find(name) != std::string::npos, expected) << name;
        }
    }
    EXPECT_EQ(docA->GetRootGroup().GetParent(), nullptr);
    EXPECT_EQ(docB->GetRootGroup().GetParent(), nullptr);
    EXPECT_EQ(docA->GetRootGroup().GetSubgroupCount(), 2);
    onDialog = nullptr;
    EXPECT_TRUE(view->CloseAllFiles());
}
