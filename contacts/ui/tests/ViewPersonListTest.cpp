// The contact list beside the address-book tree: its columns from damaged settings, sorting by
// header clicks with groups kept together, and cells of fields with several values.
#include "contacts/Person.h"
#include "contacts/PersonFields.h"
#include "contacts/SmsDoc.h"
#include "contacts/tests/ContactsTestSupport.h"
#include "contacts/ui/LeftView.h"
#include "contacts/ui/PageCfgPsnFields.h"
#include "contacts/ui/PersonListColumns.h"
#include "contacts/ui/ViewPersonList.h"
#include "ui/tests/SortArrowPixels.h"
#include "platform/base/tests/TempFolder.h"
#include "platform/gui/Dc.h"
#include "platform/gui/Frame.h"
#include "platform/gui/HeaderCtrl.h"
#include "platform/gui/Menu.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "ui/tests/CmdUIProbe.h"
#include "ui/tests/TreeViewFixture.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QPainter>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<int> Ints(const CArray<int, int>& a) {
    std::vector<int> v;
    for (int i = 0; i < a.GetSize(); ++i)
        v.push_back(a[i]);
    return v;
}
CArray<int, int>* Array(std::vector<int> v, CArray<int, int>& a) {
    a.RemoveAll();
    for (int x : v)
        a.Add(x);
    return &a;
}

TEST(PersonListColumnsTest, StoredListsOfAnyShapeGiveUsableColumnsAndWidths) {
    const std::vector<int> defaults = {PF_NAME,         PF_MOBILE,     PF_PAGER,
                                       PF_EMAIL,        PF_QQ,         PF_HOME_PHONE,
                                       PF_OFFICE_PHONE, PF_DORM_PHONE, PF_BIRTHDAY};
    struct Row {
        std::vector<int> stored, want;
    } rows[] = {
        {{}, defaults},
        {{0, 5, 3}, {0, 5, 3}},
        {{5, 0}, {0, 5}},                                 // the name leads
        {{7}, {0, 7}},                                    // and is there even when not stored
        {{0, 46, 99, -1, 5, 5, 45, 1 << 30}, {0, 5, 45}}, // out of the table, repeated
        {{46, -3, 1 << 30}, defaults},                   // nothing usable at all
    };
    for (const Row& r : rows) {
        CArray<int, int> stored, fields;
        ValidPersonColumns(*Array(r.stored, stored), fields);
        EXPECT_EQ(Ints(fields), r.want);
    }

    CArray<int, int> widths;
    struct Width {
        std::vector<int> stored;
        int field, want;
    } widthRows[] = {
        {{}, PF_NAME, 120},         {{}, PF_SEX, 40},
        {{}, PF_BIRTHDAY, 98},      {{}, PF_MODIFIED, 130},
        {{}, PF_MOBILE, 100},       {{200, -1, 0}, PF_NAME, 200},
        {{200, -1, 0}, PF_SEX, 40}, {{200, -1, 0}, PF_NICKNAME, 100}, // 0 is no width
        {{200}, PF_BIRTHDAY, 98},   {{55}, -1, 100},                  // short list, bad field
        {{1 << 30}, PF_NAME, 120},  {{-7}, PF_NAME, 120},             // damaged widths
    };
    for (const Width& w : widthRows)
        EXPECT_EQ(PersonColumnWidth(Array(w.stored, widths), w.field), w.want)
            << "field " << w.field;
    EXPECT_EQ(PersonColumnWidth(nullptr, PF_NAME), 120);
}

class ViewPersonListTest : public GuiTest {
protected:
    test_folders::TempDir dir;
    CFrameWnd* frame = nullptr;
    CLeftView* tree = nullptr;
    CViewPersonList* view = nullptr;
    CSmsDoc* doc = nullptr;
    CArray<int, int> fields, widths;

    void SetUp() override {
        AfxSetMessageBoxHook([](const MessageBoxCall&) { return IDNO; });
        ASSERT_NO_FATAL_FAILURE(OpenFrameAndTree());
        CViewPersonList::SetSharedColumnSettings(&fields, &widths);
    }
    // The frame with the tree on its left, room for the list beside it.
    void OpenFrameAndTree() {
        ASSERT_NE(frame = NewTestFrame(1180, 360, "墨川"), nullptr);
        ASSERT_NE(tree = NewTestTree<CLeftView>(frame, nullptr, CRect(0, 0, 200, 340)), nullptr);
    }
    void TearDown() override {
        if (frame != nullptr && frame->m_hWnd != nullptr)
            frame->DestroyWindow();
        CViewPersonList::SetSharedColumnSettings(nullptr, nullptr);
        AfxSetMessageBoxHook(nullptr);
    }
    void MakeList() {
        view = new CViewPersonList;
        ASSERT_TRUE(view->Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(200, 0, 1170, 340),
                                 frame, AFX_IDW_PANE_FIRST + 1, nullptr));
        view->SetOwner(tree);
        view->OnInitialUpdate();
    }
    CListCtrl& List() { return view->GetListCtrl(); }
    static _CPerson* Person(_CGroup* g, const char* name, std::vector<const char*> mobiles = {}) {
        auto* p = new _CPerson(name);
        for (const char* m : mobiles)
            contacts_test::AddValue(p->GetInfo().m_personal.mobiles, m);
        g->AddContent(p);
        return p;
    }
    // A book with two groups and four contacts in its root, shown in the list.
    void OpenBook() {
        CSmsDoc book;
        _CGroup& root = book.GetRootGroup();
        root.SetName("通讯录");
        root.AddSubgroup(new _CGroup("乙组"));
        root.AddSubgroup(new _CGroup("甲组"));
        Person(&root, "张三", {"13900000003"});
        Person(&root, "李四", {"13900000001", "13700000000", "13800000000"});
        Person(&root, "王五", {"13900000002"});
        Person(&root, "赵六");
        CString path = (dir.str() + "/book.sms").c_str();
        ASSERT_TRUE(book.OnSaveDocument(path));
        doc = dynamic_cast<CSmsDoc*>(tree->OpenFile(path, FALSE));
        ASSERT_NE(doc, nullptr);
        tree->GetTreeCtrl().SelectItem(tree->GetFileAt(0)->hItem);
        view->OnUpdate(nullptr, 0, nullptr);
    }
    std::vector<std::string> Column(int col) {
        std::vector<std::string> out;
        for (int i = 0; i < List().GetItemCount(); ++i)
            out.push_back(List().GetItemText(i, col).GetString());
        return out;
    }
    std::vector<std::string> Headers() {
        std::vector<std::string> out;
        CHeaderCtrl* h = List().GetHeaderCtrl();
        for (int i = 0; h != nullptr && i < h->GetItemCount(); ++i) {
            char text[64] = {};
            HDITEM item{};
            item.mask = HDI_TEXT;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            h->GetItem(i, &item);
            out.push_back(text);
        }
        return out;
    }
    // The arrow painted on a column's header: 1 pointing up (ascending), -1 down, 0 none.
    int SortArrow(int col) {
        HDITEM item{};
        item.mask = HDI_FORMAT | HDI_IMAGE;
        List().GetHeaderCtrl()->GetItem(col, &item);
        if (item.fmt & HDF_IMAGE)
            EXPECT_TRUE(item.fmt & HDF_BITMAP_ON_RIGHT) << "the arrow goes at the right edge";
        return HeaderArrowDirection(*List().GetHeaderCtrl(), col);
    }
    // A header click as the list reports it to its parent, which hands it back to the view.
    void ClickHeader(int col) {
        NMLISTVIEW nm{};
        nm.hdr.hwndFrom = view->m_hWnd;
        nm.hdr.idFrom = (UINT_PTR)view->GetDlgCtrlID();
        nm.hdr.code = LVN_COLUMNCLICK;
        nm.iItem = -1;
        nm.iSubItem = col;
        frame->SendMessage(WM_NOTIFY, nm.hdr.idFrom, (LPARAM)&nm);
    }
};

} // namespace

TEST_F(ViewPersonListTest, NoStoredColumnsGiveTheNineDefaultsAndTheyAreKeptBack) {
    MakeList();
    EXPECT_EQ(Headers(), (std::vector<std::string>{"姓名", "手机", "小灵通/传呼", "E-mail", "QQ",
                                                   "家庭电话", "办公电话", "宿舍电话", "生日"}));
    EXPECT_EQ(List().GetColumnWidth(0), 120);
    // The birthday column shows a birthday whole: its solar and lunar dates and star sign.
    CBirthday birthday;
    ASSERT_TRUE(birthday.SetBirthday(1988, 5, 20, FALSE, TRUE));
    CString text;
    birthday.GetDisplayText(text);
    CClientDC dc(&List());
    CFont* font = List().GetFont();
    CFont* old = font != nullptr ? dc.SelectObject(font) : nullptr;
    EXPECT_GE(List().GetColumnWidth(8), (int)dc.GetTextExtent(text).cx + 8) << text.GetString();
    if (font != nullptr)
        dc.SelectObject(old);
    EXPECT_EQ(fields.GetSize(), 9) << "the columns shown become the stored list";
    List().SetColumnWidth(1, 150);
    view->StoreColumnLayout();
    ASSERT_GT(widths.GetSize(), PF_MOBILE);
    EXPECT_EQ(widths[PF_MOBILE], 150);
}

TEST_F(ViewPersonListTest, HeaderClicksSortAscendingThenDescendingWithGroupsTogether) {
    MakeList(); // the default columns: 手机 is the second
    OpenBook();
    // Unsorted: the group's own order, groups first.
    EXPECT_EQ(Column(0),
              (std::vector<std::string>{"甲组", "乙组", "李四", "王五", "张三", "赵六"}));
    EXPECT_EQ(view->GetSortColumn(), -1);

    ClickHeader(1); // 手机, ascending: groups first, an empty value before the numbers
    EXPECT_EQ(view->GetSortColumn(), 1);
    EXPECT_TRUE(view->IsSortAscending());
    EXPECT_EQ(SortArrow(1), 1);
    std::vector<std::string> ascending = Column(0);
    ASSERT_EQ(ascending.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(ascending.begin(), ascending.begin() + 2),
              (std::vector<std::string>{"甲组", "乙组"}))
        << "groups by name, on top";
    EXPECT_EQ(std::vector<std::string>(ascending.begin() + 2, ascending.end()),
              (std::vector<std::string>{"赵六", "李四", "王五", "张三"}));

    ClickHeader(1); // the same column again: descending, groups at the bottom
    EXPECT_FALSE(view->IsSortAscending());
    EXPECT_EQ(SortArrow(1), -1);
    EXPECT_EQ(Column(0),
              (std::vector<std::string>{"张三", "王五", "李四", "赵六", "乙组", "甲组"}));

    ClickHeader(0); // another column: ascending again, its arrow only
    EXPECT_TRUE(view->IsSortAscending());
    EXPECT_EQ(SortArrow(0), 1);
    EXPECT_EQ(SortArrow(1), 0);

    // A refill keeps the order; "none" goes back to groups first, then by name.
    ClickHeader(1);
    view->OnUpdate(nullptr, 0, nullptr);
    EXPECT_EQ(Column(0)[2], "赵六");
    view->OnCmdMsg(CViewPersonList::ID_SORT_NONE, CN_COMMAND, nullptr, nullptr);
    EXPECT_EQ(view->GetSortColumn(), -1);
    EXPECT_EQ(SortArrow(1), 0);
    EXPECT_EQ(Column(0)[0], "甲组");
    ClickHeader(1);
    QDir().mkpath(QUILLMAR_SCREENS_DIR);
    Pump();
    EXPECT_TRUE(frame->GetWidget()->grab().save(
        QString::fromStdString(ScreenPath("contacts-list-sorted")), "PNG"));
}

TEST_F(ViewPersonListTest, CellsShowEveryValueOrOnlyTheDefaultOneAndTheSex) {
    Array({PF_NAME, PF_MOBILE, PF_SEX}, fields);
    MakeList();
    OpenBook();
    _CPerson* li =
        dynamic_cast<_CPerson*>(doc->GetRootGroup().FindByName("李四", FALSE, FALSE, TRUE));
    ASSERT_NE(li, nullptr);
    li->GetInfo().m_personal.mobiles.SetCurrentIndex(2);
    li->GetInfo().m_personal.nSex = 1;
    view->OnUpdate(nullptr, 0, nullptr);
    ASSERT_EQ(Column(0),
              (std::vector<std::string>{"甲组", "乙组", "李四", "王五", "张三", "赵六"}));
    EXPECT_EQ(Column(1)[2], "13900000001\n13700000000\n13800000000");
    EXPECT_EQ(Column(2), (std::vector<std::string>{"", "", "男", "未知", "未知", "未知"}));
    view->OnCmdMsg(CViewPersonList::ID_DEFAULT_VALUES_ONLY, CN_COMMAND, nullptr, nullptr);
    EXPECT_EQ(Column(1)[2], "13800000000");
    EXPECT_EQ(Column(1)[3], "13900000002");
}

TEST_F(ViewPersonListTest, AllSubNodesListDeepContactsAndDeletingAGroupWithThemRemovesItOnce) {
    MakeList();
    CSmsDoc book;
    _CGroup& root = book.GetRootGroup();
    root.SetName("通讯录");
    auto* family = new _CGroup("家人");
    root.AddSubgroup(family);
    Person(family, "王芳");
    auto* cousins = new _CGroup("表亲");
    family->AddSubgroup(cousins);
    Person(cousins, "李明");
    auto* work = new _CGroup("同事");
    root.AddSubgroup(work);
    Person(work, "赵敏");
    Person(&root, "自己");
    CString path = (dir.str() + "/deep.sms").c_str();
    ASSERT_TRUE(book.OnSaveDocument(path));
    doc = dynamic_cast<CSmsDoc*>(tree->OpenFile(path, FALSE));
    ASSERT_NE(doc, nullptr);
    tree->GetTreeCtrl().SelectItem(tree->GetFileAt(0)->hItem);
    view->OnUpdate(nullptr, 0, nullptr);
    EXPECT_EQ(Column(0), (std::vector<std::string>{"家人", "同事", "自己"}));

    tree->OnCmdMsg(CLeftView::ID_SHOW_ALL_SUBNODES, CN_COMMAND, nullptr, nullptr);
    ASSERT_TRUE(tree->IsShowAllSubNodes());
    view->OnUpdate(nullptr, 0, nullptr); // the book's views hear it; this one stands alone
    std::vector<std::string> all = Column(0);
    EXPECT_EQ(all, (std::vector<std::string>{"家人", "同事", "自己", "王芳", "李明", "赵敏"}));
    // Contacts of groups below carry overlay 4.
    EXPECT_EQ(List().GetItemState(3, LVIS_OVERLAYMASK), (UINT)INDEXTOOVERLAYMASK(4));
    EXPECT_EQ(List().GetItemState(2, LVIS_OVERLAYMASK), 0u);

    // Every row selected and deleted: 家人 goes once with 王芳 and 李明 inside it.
    AfxSetMessageBoxHook([](const MessageBoxCall&) { return IDYES; });
    for (int i = 0; i < List().GetItemCount(); ++i)
        List().SetItemState(i, LVIS_SELECTED, LVIS_SELECTED);
    frame->SetForegroundWindow();
    List().SetFocus();
    ASSERT_TRUE(WaitFor([&] { return CWnd::GetFocus() == &List(); }));
    view->OnCmdMsg(CViewPersonList::ID_DELETE, CN_COMMAND, nullptr, nullptr);
    EXPECT_EQ(List().GetItemCount(), 0);
    EXPECT_TRUE(doc->GetRootGroup().IsEmpty());
    EXPECT_TRUE(doc->IsModified());
    AfxSetMessageBoxHook([](const MessageBoxCall&) { return IDNO; });
}

namespace {

// A book with a family group (and cousins below it), a link to a contact of the family and a
// link whose source is gone, for the hover texts.
class PersonListTipTest : public ViewPersonListTest {
protected:
    _CGroup* family = nullptr;
    _CGroup* cousins = nullptr;
    _CPerson *wang = nullptr, *li = nullptr, *link = nullptr, *dangling = nullptr;

    void OpenLinkedBook() {
        CSmsDoc book;
        _CGroup& root = book.GetRootGroup();
        root.SetName("通讯录");
        auto* f = new _CGroup("家人");
        root.AddSubgroup(f);
        Person(f, "王芳", {"13900000001", "13700000002"});
        auto* c = new _CGroup("表亲");
        f->AddSubgroup(c);
        Person(c, "李明", {"13600000003"});
        auto* l = static_cast<_CPerson*>(
            dynamic_cast<_CPerson*>(f->FindByName("王芳", FALSE, FALSE, FALSE))->CreateVirtualCopy());
        root.AddContent(l, FALSE, nullptr, TRUE, TRUE);
        auto* d = new _CPerson("旧友");
        d->SetVirtualLink("家人\\不在了", nullptr);
        root.AddContent(d, FALSE, nullptr, TRUE, TRUE);
        CString path = (dir.str() + "/links.sms").c_str();
        ASSERT_TRUE(book.OnSaveDocument(path));
        doc = dynamic_cast<CSmsDoc*>(tree->OpenFile(path, FALSE));
        ASSERT_NE(doc, nullptr);
        _CGroup& r = doc->GetRootGroup();
        family = dynamic_cast<_CGroup*>(r.FindByName("家人", TRUE, FALSE, FALSE));
        cousins = dynamic_cast<_CGroup*>(r.FindByName("表亲", TRUE, FALSE, TRUE));
        ASSERT_NE(family, nullptr);
        ASSERT_NE(cousins, nullptr);
        wang = dynamic_cast<_CPerson*>(family->FindByName("王芳", FALSE, FALSE, FALSE));
        li = dynamic_cast<_CPerson*>(cousins->FindByName("李明", FALSE, FALSE, FALSE));
        link = dynamic_cast<_CPerson*>(r.FindByName("王芳", FALSE, TRUE, FALSE));
        dangling = dynamic_cast<_CPerson*>(r.FindByName("旧友", FALSE, TRUE, FALSE));
        ASSERT_TRUE(wang && li && link && dangling);
        ASSERT_TRUE(link->IsVirtual());
        ASSERT_TRUE(dangling->IsVirtual());
    }
    static std::string Summary(CObject* p) {
        CString s;
        if (auto* g = dynamic_cast<_CGroup*>(p))
            g->GetSummaryText(s);
        else
            dynamic_cast<_CPerson*>(p)->GetSummaryText(s);
        return s.GetString();
    }
};

} // namespace

TEST_F(PersonListTipTest, HoverTextsNameTheGroupBelowAndTheSourceOfALink) {
    MakeList();
    OpenLinkedBook();
    _CGroup* root = &doc->GetRootGroup();
    CString linkPath;
    link->GetVirtualPath(linkPath);
    const std::string linkLine = std::string("\r\n\r\n虚拟联系人:") + linkPath.GetString();
    struct Row {
        const char* what;
        CObject* record;
        CGroup* shown;
        int field;
        BOOL first;
        std::string want;
    } rows[] = {
        {"group summary", family, root, -1, FALSE, Summary(family)},
        {"group over a cell", family, root, PF_MOBILE, FALSE, Summary(family)},
        {"own contact", wang, family, -1, FALSE, Summary(wang)},
        {"contact of a group below", li, family, -1, FALSE, Summary(li) + " - 家人\\表亲"},
        {"its name cell", li, family, PF_NAME, TRUE, "李明 - 家人\\表亲"},
        {"its mobile cell", li, family, PF_MOBILE, FALSE, "13600000003"},
        {"every value of a cell", wang, family, PF_MOBILE, FALSE, "13900000001\n13700000002"},
        {"link summary", link, root, -1, FALSE, Summary(wang) + linkLine},
        {"link name cell", link, root, PF_NAME, TRUE, "王芳" + linkLine},
        {"link value cell", link, root, PF_MOBILE, FALSE, "13900000001\n13700000002"},
        {"gone source", dangling, root, PF_NAME, TRUE,
         "旧友\r\n\r\n无效的虚拟联系人:家人\\不在了"},
        {"gone source's other cell", dangling, root, PF_MOBILE, FALSE, ""},
    };
    for (const Row& r : rows)
        EXPECT_EQ(CViewPersonList::GetTipText(r.record, r.shown, r.field, r.first).GetString(),
                  r.want)
            << r.what;
    EXPECT_NE(Summary(family).find("组内成员"), std::string::npos);
}

TEST_F(PersonListTipTest, TheTipFollowsTheCellUnderTheMouseAndLetsGoAboveTheRows) {
    MakeList();
    OpenLinkedBook();
    tree->GetTreeCtrl().SelectItem((HTREEITEM)family->GetTreeItem());
    tree->OnCmdMsg(CLeftView::ID_SHOW_ALL_SUBNODES, CN_COMMAND, nullptr, nullptr);
    view->OnUpdate(nullptr, 0, nullptr);
    ASSERT_EQ(Column(0), (std::vector<std::string>{"表亲", "王芳", "李明"}));
    frame->SetForegroundWindow();
    Pump();
    CRect cell;
    ASSERT_TRUE(List().GetSubItemRect(2, 0, LVIR_LABEL, cell));
    view->TrackHover(cell.CenterPoint());
    EXPECT_EQ(view->GetHoverItem(), 2);
    EXPECT_EQ(view->GetHoverSubItem(), 0);
    EXPECT_EQ(std::string(view->GetTip().GetText().GetString()), "李明 - 家人\\表亲");
    EXPECT_EQ(CWnd::GetCapture(), &List()) << "the list holds the mouse over its rows";

    ASSERT_TRUE(List().GetSubItemRect(1, 1, LVIR_BOUNDS, cell));
    view->TrackHover(cell.CenterPoint());
    EXPECT_EQ(std::string(view->GetTip().GetText().GetString()), "13900000001\n13700000002");
    ASSERT_TRUE(WaitFor([&] { return view->GetTip().IsShown() != FALSE; }));
    // A button hides it.
    List().SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(cell.CenterPoint().x, cell.CenterPoint().y));
    List().SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(cell.CenterPoint().x, cell.CenterPoint().y));
    EXPECT_FALSE(view->GetTip().IsShown());
    // So does the wheel.
    ASSERT_TRUE(List().GetSubItemRect(2, 1, LVIR_BOUNDS, cell));
    view->TrackHover(cell.CenterPoint());
    ASSERT_TRUE(WaitFor([&] { return view->GetTip().IsShown() != FALSE; }));
    view->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), MAKELPARAM(cell.left, cell.top));
    EXPECT_FALSE(view->GetTip().IsShown());

    // Over the header: the tip goes, the hover is forgotten and the mouse let go.
    view->TrackHover(cell.CenterPoint());
    view->TrackHover(CPoint(cell.left + 5, 2));
    EXPECT_EQ(view->GetHoverItem(), -1);
    EXPECT_NE(CWnd::GetCapture(), &List());

    // In the icon styles the tip is the record's summary wherever it is.
    view->OnCmdMsg(CGroupListView::ID_VIEW_LIST, CN_COMMAND, nullptr, nullptr);
    CRect item;
    ASSERT_TRUE(List().GetItemRect(0, &item, LVIR_BOUNDS));
    view->TrackHover(item.CenterPoint());
    EXPECT_EQ(std::string(view->GetTip().GetText().GetString()), Summary(cousins));
    view->HideHoverTip();
    if (CWnd::GetCapture() != nullptr)
        ReleaseCapture();
}

TEST_F(ViewPersonListTest, AMovedHeaderBecomesTheColumnListAndGoesToTheProfileAtTheEnd) {
    int writes = 0;
    std::vector<int> written;
    CViewPersonList::SetSharedColumnSettings(&fields, &widths, [&] {
        ++writes;
        written = Ints(fields);
    });
    MakeList();
    OpenBook();
    List().SetColumnWidth(2, 150); // 小灵通/传呼
    // 手机 dragged by its header to the right of QQ.
    CHeaderCtrl* header = List().GetHeaderCtrl();
    ASSERT_NE(header, nullptr);
    EXPECT_TRUE(header->GetStyle() & HDS_DRAGDROP);
    EXPECT_FALSE(header->GetStyle() & HDS_FULLDRAG);
    CRect from, to;
    header->GetItemRect(1, &from);
    header->GetItemRect(4, &to);
    const int y = from.CenterPoint().y;
    header->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.CenterPoint().x, y));
    header->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(from.CenterPoint().x + 30, y));
    header->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.CenterPoint().x - 10, y));
    header->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(to.CenterPoint().x - 10, y));
    ASSERT_TRUE(WaitFor([&] { return Ints(fields).size() == 9 && fields[1] != PF_MOBILE; }));
    EXPECT_EQ(Ints(fields), (std::vector<int>{PF_NAME, PF_PAGER, PF_EMAIL, PF_QQ, PF_MOBILE,
                                              PF_HOME_PHONE, PF_OFFICE_PHONE, PF_DORM_PHONE,
                                              PF_BIRTHDAY}));
    EXPECT_EQ(widths[PF_PAGER], 150);
    EXPECT_EQ(writes, 0) << "the profile is written when the list goes";

    // The cells stay under their own headers, and sorting still goes by the clicked field.
    EXPECT_EQ(Column(1)[2], "13900000001\n13700000000\n13800000000");
    frame->DestroyWindow();
    frame = nullptr;
    EXPECT_EQ(writes, 1);
    EXPECT_EQ(written, Ints(fields));

    // The next list shows the stored order.
    ASSERT_NO_FATAL_FAILURE(OpenFrameAndTree());
    MakeList();
    EXPECT_EQ(Headers()[4], "手机");
    EXPECT_EQ(List().GetColumnWidth(1), 150);
    CViewPersonList::SetSharedColumnSettings(&fields, &widths); // the counters go now
}

TEST_F(ViewPersonListTest, NewColumnsKeepTheSortedFieldSorted) {
    MakeList();
    OpenBook();
    ClickHeader(1); // 手机, ascending
    const std::vector<std::string> byMobile = Column(0);
    CPSheetPersonList sheet;
    Array({PF_NAME, PF_EMAIL, PF_MOBILE}, sheet.m_pageFields.GetChosenList());
    view->SendMessage(CViewPersonList::WM_APPLY_COLUMNS, 0, (LPARAM)&sheet);
    EXPECT_EQ(Headers(), (std::vector<std::string>{"姓名", "E-mail", "手机"}));
    EXPECT_EQ(view->GetSortColumn(), 2);
    EXPECT_TRUE(view->IsSortAscending());
    EXPECT_EQ(SortArrow(2), 1);
    EXPECT_EQ(SortArrow(1), 0);
    EXPECT_EQ(Column(0), byMobile);
    EXPECT_EQ(Column(2)[4], "13900000002"); // 王五 under the moved 手机 header
    EXPECT_EQ(Ints(fields), (std::vector<int>{PF_NAME, PF_EMAIL, PF_MOBILE}));

    // A list without the sorted field keeps it, after the name.
    ClickHeader(2); // descending now
    Array({PF_BIRTHDAY}, sheet.m_pageFields.GetChosenList());
    view->SendMessage(CViewPersonList::WM_APPLY_COLUMNS, 0, (LPARAM)&sheet);
    EXPECT_EQ(Headers(), (std::vector<std::string>{"姓名", "手机", "生日"}));
    EXPECT_EQ(view->GetSortColumn(), 1);
    EXPECT_FALSE(view->IsSortAscending());
    EXPECT_EQ(SortArrow(1), -1);
    EXPECT_EQ(Column(0).back(), "甲组");
}

TEST_F(ViewPersonListTest, TheOptionsSheetShowsTheColumnListAndItsOkApplies) {
    MakeList();
    OpenBook();
    std::string caption;
    std::vector<int> offered;
    AfxSetModalDialogHook([&](CDialog& dlg) {
        CString text;
        dlg.GetWindowText(text);
        caption = text.GetString();
        auto* sheet = dynamic_cast<CPSheetPersonList*>(&dlg);
        ASSERT_NE(sheet, nullptr);
        CPageCfgPsnFields& page = sheet->m_pageFields;
        offered = Ints(page.GetChosenList());
        auto* available = static_cast<CListBox*>(page.GetDlgItem(CPageCfgPsnFields::IDC_AVAILABLE));
        available->SetSel(0, TRUE); // 性别, the first field not shown
        page.AddSelected();
        dlg.SendMessage(WM_COMMAND, IDOK, 0);
    });
    view->OnCmdMsg(CViewPersonList::ID_OPTIONS, CN_COMMAND, nullptr, nullptr);
    AfxSetModalDialogHook(nullptr);
    EXPECT_EQ(caption, "选项: 浏览名片");
    EXPECT_EQ(offered.size(), 9u);
    EXPECT_EQ(Headers().size(), 10u);
    EXPECT_EQ(Headers().back(), "性别");
    EXPECT_EQ(Column(9)[2], "未知");
}

TEST_F(ViewPersonListTest, ListCommandsFollowTheSelectionAndUseTheirTexts) {
    MakeList();
    OpenBook();
    std::vector<MessageBoxCall> boxes;
    AfxSetMessageBoxHook([&](const MessageBoxCall& c) {
        boxes.push_back(c);
        return IDNO;
    });
    frame->SetForegroundWindow();
    List().SetFocus();
    ASSERT_TRUE(WaitFor([&] { return CWnd::GetFocus() == &List(); }));
    auto state = [&](UINT id) {
        TestCmdUI ui;
        ui.m_nID = id;
        view->OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &ui, nullptr);
        return ui.enabled;
    };
    EXPECT_FALSE(state(CViewPersonList::ID_OPEN));
    EXPECT_FALSE(state(CViewPersonList::ID_BATCH_MODIFY));
    EXPECT_TRUE(state(CViewPersonList::ID_OPTIONS));
    EXPECT_TRUE(state(CGroupListView::ID_VIEW_DETAILS));
    EXPECT_TRUE(state(CGroupListView::ID_VIEW_GRIDLINES));
    view->OnCmdMsg(CGroupListView::ID_VIEW_LIST, CN_COMMAND, nullptr, nullptr);
    EXPECT_TRUE(state(CGroupListView::ID_VIEW_GRIDLINES)) << "list style has lines too";
    view->OnCmdMsg(CGroupListView::ID_VIEW_LARGEICON, CN_COMMAND, nullptr, nullptr);
    EXPECT_FALSE(state(CGroupListView::ID_VIEW_GRIDLINES));
    view->OnCmdMsg(CGroupListView::ID_VIEW_DETAILS, CN_COMMAND, nullptr, nullptr);
    EXPECT_TRUE(state(CViewPersonList::ID_GO_UP));
    List().SetItemState(2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_TRUE(state(CViewPersonList::ID_OPEN));
    EXPECT_TRUE(state(CViewPersonList::ID_BATCH_MODIFY));
    EXPECT_FALSE(state(CViewPersonList::ID_SEND_MAIL)) << "no right pane to write the mail in";
    List().SetItemState(3, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_FALSE(state(CViewPersonList::ID_OPEN)) << "one row only";

    view->OnCmdMsg(CViewPersonList::ID_BATCH_MODIFY, CN_COMMAND, nullptr, nullptr);
    view->OnCmdMsg(CViewPersonList::ID_DELETE, CN_COMMAND, nullptr, nullptr);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(std::string(boxes[0].text.GetString()).rfind("批量修改：", 0), 0u);
    EXPECT_EQ(boxes[0].type & MB_ICONMASK, (UINT)MB_ICONINFORMATION);
    EXPECT_EQ(std::string(boxes[1].text.GetString()), "您真的要删除所选定的组或个人记录吗？");
    EXPECT_EQ(List().GetItemCount(), 6) << "answered no";

    // Open: the tree goes to the row's record.
    List().SetItemState(3, 0, LVIS_SELECTED);
    view->OnCmdMsg(CViewPersonList::ID_OPEN, CN_COMMAND, nullptr, nullptr);
    auto* li = dynamic_cast<CGroupItem*>(reinterpret_cast<CObject*>(List().GetItemData(2)));
    ASSERT_NE(li, nullptr);
    EXPECT_EQ(tree->GetCurrentItem(), (HTREEITEM)li->GetTreeItem());
    // Up from a group: its parent, the book's root.
    auto* jia = dynamic_cast<CGroupItem*>(doc->GetRootGroup().FindByName("甲组", TRUE, FALSE, FALSE));
    ASSERT_NE(jia, nullptr);
    tree->GetTreeCtrl().SelectItem((HTREEITEM)jia->GetTreeItem());
    ASSERT_EQ(tree->GetCurrentItem(), (HTREEITEM)jia->GetTreeItem());
    view->OnUpdate(nullptr, 0, nullptr);
    view->OnCmdMsg(CViewPersonList::ID_GO_UP, CN_COMMAND, nullptr, nullptr);
    EXPECT_EQ(tree->GetCurrentItem(), tree->GetFileAt(0)->hItem);
    AfxSetMessageBoxHook([](const MessageBoxCall&) { return IDNO; });
}

TEST_F(ViewPersonListTest, TheContextMenuIsTheNamedListMenuOwnedByTheFrame) {
    MakeList();
    OpenBook();
    ClickHeader(1);
    frame->SetActiveView(view); // the frame hands the menu's commands to the list
    frame->SetForegroundWindow();
    List().SetFocus();
    List().SetItemState(3, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(view->GetBkManager().GetSection(), CString("Bkground\\ViewPersonList"));
    std::vector<UINT> items;
    CWnd* owner = nullptr;
    QImage menu;
    AfxSetPopupMenuHook([&](HMENU hMenu, CWnd* pOwner, POINT, UINT) {
        CMenu* m = CMenu::FromHandle(hMenu);
        for (int i = 0; i < (int)m->GetMenuItemCount(); ++i)
            items.push_back(m->GetMenuItemID(i));
        owner = pOwner;
        menu = AfxRenderPopupMenu(hMenu, pOwner, 0);
        return 0u;
    });
    CRect row;
    ASSERT_TRUE(List().GetItemRect(3, &row, LVIR_LABEL));
    // Right of the filled cells, so that the picture shows them.
    CPoint at(row.left + 520, row.CenterPoint().y);
    List().ClientToScreen(&at);
    view->SendMessage(WM_CONTEXTMENU, (WPARAM)view->m_hWnd, MAKELPARAM(at.x, at.y));
    AfxSetPopupMenuHook(nullptr);
    ASSERT_FALSE(items.empty());
    EXPECT_EQ(items.front(), (UINT)CViewPersonList::ID_OPEN);
    EXPECT_EQ(items.back(), (UINT)CViewPersonList::ID_OPTIONS);
    EXPECT_EQ(owner, frame);

    // The list with its default columns, the sort arrow on 手机 and the menu open over a row.
    QDir().mkpath(QUILLMAR_SCREENS_DIR);
    List().Invalidate();
    Pump();
    QImage window = frame->GetWidget()->grab().toImage();
    CPoint inFrame = at;
    frame->ScreenToClient(&inFrame);
    QImage body(window.width(), std::max(window.height(), inFrame.y + menu.height() + 2),
                QImage::Format_ARGB32);
    body.fill(Qt::white);
    QPainter p(&body);
    p.drawImage(0, 0, window);
    p.setPen(QColor(90, 90, 90));
    p.drawRect(QRect(QPoint(inFrame.x - 1, inFrame.y - 1), menu.size() + QSize(1, 1)));
    p.drawImage(QPoint(inFrame.x, inFrame.y), menu);
    p.end();
    EXPECT_TRUE(body.save(QString::fromStdString(ScreenPath("contacts-list-context-menu")), "PNG"));
}

TEST_F(ViewPersonListTest, KeysOpenTheFocusedRowAndSelectEveryRowOncePerPress) {
    MakeList();
    OpenBook();
    QWidget* w = List().GetWidget();
    ASSERT_NE(w, nullptr);
    auto key = [&](QEvent::Type type, int k, Qt::KeyboardModifiers mods, bool repeat = false) {
        QKeyEvent e(type, k, mods, QString(), repeat);
        QApplication::sendEvent(w, &e);
    };
    key(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier);
    key(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier, true); // a held key repeating
    EXPECT_EQ(List().GetSelectedCount(), 0u);
    key(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(List().GetSelectedCount(), 6u);
    key(QEvent::KeyRelease, Qt::Key_A, Qt::ControlModifier);
    key(QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier);

    for (int i = 0; i < List().GetItemCount(); ++i)
        List().SetItemState(i, 0, LVIS_SELECTED | LVIS_FOCUSED);
    List().SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    key(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    auto* group = dynamic_cast<CGroupItem*>(reinterpret_cast<CObject*>(List().GetItemData(1)));
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(tree->GetCurrentItem(), (HTREEITEM)group->GetTreeItem()) << "Enter opens the row";
}

// A group locked behind its password keeps its contacts out of the list: as the listed group
// itself and as a group below it with every sub-node shown.
TEST_F(ViewPersonListTest, ALockedGroupListsNothingAndItsContactsStayOutOfTheSubNodes) {
    MakeList();
    CSmsDoc book;
    _CGroup& root = book.GetRootGroup();
    root.SetName("通讯录");
    auto* family = new _CGroup("家人");
    root.AddSubgroup(family);
    Person(family, "王芳");
    auto* cousins = new _CGroup("表亲");
    family->AddSubgroup(cousins);
    Person(cousins, "李明");
    auto* work = new _CGroup("同事");
    root.AddSubgroup(work);
    Person(work, "赵敏");
    family->SetPassword("123");
    family->ModifyFlags(0, CGroup::FLAG_PASSWORD | CGroup::FLAG_LOCKED);
    ASSERT_TRUE(family->IsLocked());
    CString path = (dir.str() + "/locked.sms").c_str();
    ASSERT_TRUE(book.OnSaveDocument(path));
    doc = dynamic_cast<CSmsDoc*>(tree->OpenFile(path, FALSE));
    ASSERT_NE(doc, nullptr);
    tree->GetTreeCtrl().SelectItem(tree->GetFileAt(0)->hItem);
    tree->OnCmdMsg(CLeftView::ID_SHOW_ALL_SUBNODES, CN_COMMAND, nullptr, nullptr);
    ASSERT_TRUE(tree->IsShowAllSubNodes());
    view->OnUpdate(nullptr, 0, nullptr);
    EXPECT_EQ(Column(0), (std::vector<std::string>{"家人", "同事", "赵敏"}));

    // The book's root locked in its turn: the list shows nothing of it.
    _CGroup& opened = doc->GetRootGroup();
    opened.SetPassword("456");
    opened.ModifyFlags(0, CGroup::FLAG_PASSWORD | CGroup::FLAG_LOCKED);
    view->OnUpdate(nullptr, 0, nullptr);
    EXPECT_EQ(List().GetItemCount(), 0);
    opened.ModifyFlags(CGroup::FLAG_LOCKED, 0);
}
