#include "NotifyRecorder.h"

#include "platform/gui/ListCtrl.h"
#include "platform/gui/ListCtrlItems.h"
#include "platform/gui/TabCtrl.h"
#include "platform/gui/TreeCtrl.h"
#include "platform/gui/WndProc.h"

#include <QImage>
#include <cstdio>
#include <set>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

namespace {

class ListCtrlTest : public GuiTest {
protected:
    CNotifyRecorder parent;
    CListCtrl list;

    void SetUp() override { Make(LVS_REPORT | LVS_SHOWSELALWAYS | LVS_EDITLABELS); }
    void Make(DWORD style) {
        if (!parent.m_hWnd) {
            ASSERT_TRUE(parent.CreateTop(300, 200));
        }
        ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | style, CRect(0, 0, 300, 200), &parent, 9));
        for (UINT c : {LVN_ITEMCHANGING, LVN_ITEMCHANGED, LVN_INSERTITEM, LVN_DELETEITEM,
                       LVN_DELETEALLITEMS, LVN_COLUMNCLICK, LVN_BEGINDRAG})
            parent.sizes[c] = sizeof(NMLISTVIEW);
        for (UINT c : {(UINT)NM_CLICK, (UINT)NM_DBLCLK, (UINT)NM_RCLICK, LVN_ITEMACTIVATE})
            parent.sizes[c] = sizeof(NMITEMACTIVATE);
        for (UINT c : {LVN_BEGINLABELEDIT, LVN_ENDLABELEDIT})
            parent.sizes[c] = sizeof(NMLVDISPINFO);
        for (UINT c : {HDN_ITEMCHANGING, HDN_ITEMCHANGED})
            parent.sizes[c] = sizeof(NMHEADER);
        parent.sizes[NM_CUSTOMDRAW] = sizeof(NMLVCUSTOMDRAW);
        parent.sizedFrom = list.m_hWnd;
        list.InsertColumn(0, "姓名", LVCFMT_LEFT, 80);
        list.InsertColumn(1, "电话", LVCFMT_LEFT, 100);
        list.InsertColumn(2, "城市", LVCFMT_RIGHT, 70);
        const char* rows[][3] = {{"张三", "13800000001", "北京"},
                                 {"李四", "13800000002", "上海"},
                                 {"王五", "13800000003", "广州"},
                                 {"赵六", "13800000004", "深圳"}};
        for (int i = 0; i < 4; ++i) {
            list.InsertItem(i, rows[i][0]);
            list.SetItemText(i, 1, rows[i][1]);
            list.SetItemText(i, 2, rows[i][2]);
            list.SetItemData(i, (DWORD_PTR)(100 + i));
        }
        parent.notes.clear();
    }
    void Click(int item, int sub = 0, WPARAM keys = 0) {
        CRect r;
        ASSERT_TRUE(list.GetSubItemRect(item, sub, LVIR_LABEL, r));
        CPoint c = r.CenterPoint();
        list.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON | keys, MAKELPARAM(c.x, c.y));
        list.SendMessage(WM_LBUTTONUP, keys, MAKELPARAM(c.x, c.y));
    }
    std::vector<int> Selected() const {
        std::vector<int> out;
        for (int i = list.GetNextItem(-1, LVNI_SELECTED); i >= 0;
             i = list.GetNextItem(i, LVNI_SELECTED))
            out.push_back(i);
        return out;
    }
    QImage Render() {
        QImage img(300, 200, QImage::Format_RGB32);
        img.fill(Qt::black);
        CDC dc;
        dc.AttachImage(&img);
        list.SendMessage(WM_PAINT, (WPARAM)dc.GetSafeHdc(), 0);
        return img;
    }
};

TEST_F(ListCtrlTest, ItemsColumnsAndSubItemsThroughMembersAndMessages) {
    EXPECT_EQ(list.GetItemCount(), 4);
    EXPECT_EQ(list.GetItemText(1, 2), CString("上海"));
    EXPECT_EQ(list.GetItemData(3), (DWORD_PTR)103);

    // An index past the end appends; the parent hears of the insertion.
    LVITEM lv{};
    lv.mask = LVIF_TEXT | LVIF_PARAM | LVIF_INDENT | LVIF_IMAGE;
    lv.iItem = 99;
    lv.pszText = const_cast<LPSTR>("钱七");
    lv.lParam = 7;
    lv.iIndent = 2;
    lv.iImage = 3;
    ASSERT_EQ(list.SendMessage(LVM_INSERTITEM, 0, (LPARAM)&lv), 4);
    ASSERT_EQ(parent.Codes(), (std::vector<UINT>{LVN_INSERTITEM}));
    EXPECT_EQ(parent.notes[0].As<NMLISTVIEW>().iItem, 4);

    char buf[32] = {};
    LVITEM get{};
    get.mask = LVIF_TEXT | LVIF_PARAM | LVIF_INDENT | LVIF_IMAGE;
    get.iItem = 4;
    get.pszText = buf;
    get.cchTextMax = sizeof buf;
    ASSERT_TRUE(list.SendMessage(LVM_GETITEM, 0, (LPARAM)&get));
    EXPECT_STREQ(buf, "钱七");
    EXPECT_EQ(get.lParam, 7);
    EXPECT_EQ(get.iIndent, 2);
    EXPECT_EQ(get.iImage, 3);

    // Texts of a short buffer are cut, never overrun.
    char small[5] = {'x', 'x', 'x', 'x', 'x'};
    LVITEM t{};
    t.iSubItem = 1;
    t.pszText = small;
    t.cchTextMax = 5;
    EXPECT_EQ(list.SendMessage(LVM_GETITEMTEXT, 0, (LPARAM)&t), 4);
    EXPECT_STREQ(small, "1380");
    // and cut between characters: half of one is no character.
    t.iSubItem = 0;
    t.cchTextMax = 4;
    EXPECT_EQ(list.SendMessage(LVM_GETITEMTEXT, 4, (LPARAM)&t), 2);
    EXPECT_STREQ(small, "钱");

    // Deleting a column takes its texts along; a sub-item past the columns is refused.
    ASSERT_TRUE(list.DeleteColumn(1));
    EXPECT_EQ(list.GetItemText(0, 1), CString("北京"));
    EXPECT_FALSE(list.SetItemText(0, 2, "x"));
    LVCOLUMN col{};
    col.mask = LVCF_FMT | LVCF_WIDTH;
    ASSERT_TRUE(list.SendMessage(LVM_GETCOLUMN, 1, (LPARAM)&col));
    EXPECT_EQ(col.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_RIGHT);
    EXPECT_EQ(col.cx, 70);
    EXPECT_EQ(list.GetHeaderCtrl()->GetItemCount(), 2);
}

TEST_F(ListCtrlTest, ItemChangingAsksFirstAndCanRefuse) {
    ASSERT_TRUE(list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED));
    ASSERT_EQ(parent.Codes(), (std::vector<UINT>{LVN_ITEMCHANGING, LVN_ITEMCHANGED}));
    auto& changed = parent.notes[1].As<NMLISTVIEW>();
    EXPECT_EQ(changed.iItem, 1);
    EXPECT_EQ(changed.uOldState, 0u);
    EXPECT_EQ(changed.uNewState, (UINT)LVIS_SELECTED);
    EXPECT_EQ(changed.uChanged, (UINT)LVIF_STATE);
    EXPECT_EQ(changed.lParam, 101);
    EXPECT_EQ(changed.hdr.idFrom, 9u);

    // Setting what is already there says nothing.
    parent.notes.clear();
    ASSERT_TRUE(list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED));
    EXPECT_TRUE(parent.Codes().empty());

    // A refusal leaves the item as it was, for the program and for the mouse alike.
    parent.answers[LVN_ITEMCHANGING] = TRUE;
    EXPECT_FALSE(list.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED));
    EXPECT_FALSE(list.SetItemData(2, 5));
    EXPECT_EQ(list.GetItemData(2), (DWORD_PTR)102);
    Click(3);
    EXPECT_EQ(Selected(), (std::vector<int>{1}));
    for (UINT c : parent.Codes())
        EXPECT_NE(c, LVN_ITEMCHANGED);
}

TEST_F(ListCtrlTest, MouseSelectionPlainCtrlAndShift) {
    Click(1);
    EXPECT_EQ(Selected(), (std::vector<int>{1}));
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 1);
    Click(3, 0, MK_CONTROL);
    EXPECT_EQ(Selected(), (std::vector<int>{1, 3}));
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 3);
    Click(3, 0, MK_CONTROL);
    EXPECT_EQ(Selected(), (std::vector<int>{1}));
    // Shift extends from the anchor and drops what lies outside.
    Click(0);
    Click(2, 0, MK_SHIFT);
    EXPECT_EQ(Selected(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(list.GetSelectedCount(), 3u);
    // Only one item has the focus at a time.
    int focused = 0;
    for (int i = 0; i < list.GetItemCount(); ++i)
        focused += list.GetItemState(i, LVIS_FOCUSED) ? 1 : 0;
    EXPECT_EQ(focused, 1);

    // Click notifications carry the row and the column clicked.
    parent.notes.clear();
    Click(1, 2);
    ASSERT_FALSE(parent.notes.empty());
    auto& click = parent.notes.back().As<NMITEMACTIVATE>();
    EXPECT_EQ(parent.notes.back().code, (UINT)NM_CLICK);
    EXPECT_EQ(click.iItem, 1);
    EXPECT_EQ(click.iSubItem, 2);

    // A click beside the rows lets go of the selection.
    list.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(290, 190));
    EXPECT_TRUE(Selected().empty());
}

TEST_F(ListCtrlTest, SingleSelectionLetsTheOldItemGoFirst) {
    list.DestroyWindow();
    Make(LVS_REPORT | LVS_SINGLESEL);
    list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    parent.notes.clear();
    list.SetItemState(2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    std::vector<std::pair<int, UINT>> seen;
    for (auto& n : parent.notes)
        if (n.code == LVN_ITEMCHANGED)
            seen.push_back({n.As<NMLISTVIEW>().iItem, n.As<NMLISTVIEW>().uNewState});
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], std::make_pair(0, 0u));
    EXPECT_EQ(seen[1], std::make_pair(2, (UINT)(LVIS_SELECTED | LVIS_FOCUSED)));
    Click(3, 0, MK_CONTROL);
    EXPECT_EQ(Selected(), (std::vector<int>{3}));
}

TEST_F(ListCtrlTest, DeletingSelectedRowsOneByOneEnds) {
    // The classic loop: delete the first selected row until none is left. The selection must
    // not wander to the neighbours, or the loop would empty the list.
    list.SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    list.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
    parent.notes.clear();
    int guard = 0;
    for (int i;
         (i = (int)list.SendMessage(LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED)) >= 0 && guard < 10;
         ++guard)
        list.SendMessage(LVM_DELETEITEM, (WPARAM)i);
    EXPECT_EQ(guard, 2);
    ASSERT_EQ(list.GetItemCount(), 2);
    EXPECT_EQ(list.GetItemText(0, 0), CString("张三"));
    EXPECT_EQ(list.GetItemText(1, 0), CString("赵六"));
    EXPECT_EQ(parent.Codes(), (std::vector<UINT>{LVN_DELETEITEM, LVN_DELETEITEM}));
    EXPECT_EQ(parent.notes[0].As<NMLISTVIEW>().lParam, 101);

    // Deleting everything: a parent answering TRUE to the first notification hears no more.
    parent.notes.clear();
    parent.answers[LVN_DELETEALLITEMS] = TRUE;
    ASSERT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(parent.Codes(), (std::vector<UINT>{LVN_DELETEALLITEMS}));
    EXPECT_EQ(list.GetItemCount(), 0);
}

TEST_F(ListCtrlTest, DeletingManyItemsAtOnceNotifiesHighestFirstAndKeepsStatesWithTheirItems) {
    // The anchor and the focus on row 2 (a plain click), row 0 selected as well.
    Click(2);
    list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    parent.notes.clear();
    const int doomed[] = {3, 1, 3, 9, -1};
    EXPECT_EQ(DeleteListItems(list, doomed, 5), 2);
    ASSERT_EQ(list.GetItemCount(), 2);
    EXPECT_EQ(list.GetItemText(0, 0), CString("张三"));
    EXPECT_EQ(list.GetItemText(1, 0), CString("王五"));
    EXPECT_EQ(list.GetItemText(1, 2), CString("广州"));
    EXPECT_EQ(list.GetItemData(1), (DWORD_PTR)102);
    ASSERT_EQ(parent.Codes(), (std::vector<UINT>{LVN_DELETEITEM, LVN_DELETEITEM}));
    EXPECT_EQ(parent.notes[0].As<NMLISTVIEW>().iItem, 3);
    EXPECT_EQ(parent.notes[0].As<NMLISTVIEW>().lParam, 103);
    EXPECT_EQ(parent.notes[1].As<NMLISTVIEW>().iItem, 1);
    EXPECT_EQ(parent.notes[1].As<NMLISTVIEW>().lParam, 101);
    EXPECT_EQ(Selected(), (std::vector<int>{0, 1}));
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 1);
    // The anchor moved down with its item: a shift click on the first row spans both rows.
    list.SetItemState(-1, 0, LVIS_SELECTED);
    Click(0, 0, MK_SHIFT);
    EXPECT_EQ(Selected(), (std::vector<int>{0, 1}));
    EXPECT_EQ(DeleteListItems(list, doomed, 0), 0);
    EXPECT_EQ(list.GetItemCount(), 2);
}

// The count of selected items is kept as items change; after every kind of change it is the
// number of items that are selected.
TEST_F(ListCtrlTest, SelectedCountFollowsEveryChangeOfTheItems) {
    auto insertSelected = [&](int at) {
        LVITEM it{};
        it.mask = LVIF_TEXT | LVIF_STATE;
        it.iItem = at;
        it.pszText = const_cast<char*>("新");
        it.state = it.stateMask = LVIS_SELECTED;
        return list.InsertItem(&it);
    };
    auto expectCount = [&](const char* after) {
        EXPECT_EQ(list.GetSelectedCount(), (UINT)Selected().size()) << after;
        EXPECT_EQ(list.SendMessage(LVM_GETSELECTEDCOUNT), (LRESULT)Selected().size()) << after;
    };
    list.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
    expectCount("all selected");
    EXPECT_EQ(list.GetSelectedCount(), 4u);
    list.SetItemState(1, 0, LVIS_SELECTED);
    list.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED); // already selected
    expectCount("one let go");
    insertSelected(1);
    expectCount("inserted selected");
    parent.answers[LVN_ITEMCHANGING] = TRUE;
    list.SetItemState(0, 0, LVIS_SELECTED);
    parent.answers.erase(LVN_ITEMCHANGING);
    expectCount("refused");
    list.DeleteItem(0);
    expectCount("deleted a selected item");
    const int rows[] = {0, 2};
    DeleteListItems(list, rows, 2);
    expectCount("deleted several");
    list.SortItems([](LPARAM a, LPARAM b, LPARAM) { return (int)(b - a); }, 0);
    expectCount("sorted");
    list.DeleteAllItems();
    expectCount("deleted all");
    EXPECT_EQ(list.GetSelectedCount(), 0u);

    // Under single selection a selected item inserted takes the selection from the others.
    list.DestroyWindow();
    Make(LVS_REPORT | LVS_SINGLESEL);
    list.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
    insertSelected(0);
    expectCount("single selection");
    EXPECT_EQ(list.GetSelectedCount(), 1u);
    parent.answers[LVN_DELETEALLITEMS] = TRUE;
    list.DeleteAllItems();
    expectCount("deleted all without notices");
}

TEST_F(ListCtrlTest, GetNextItemByStateAndPosition) {
    list.SetItemState(2, LVIS_SELECTED | LVIS_DROPHILITED, LVIS_SELECTED | LVIS_DROPHILITED);
    list.SetItemState(3, LVIS_SELECTED, LVIS_SELECTED);
    struct Case {
        int from;
        int flags;
        int expect;
    } cases[] = {
        {-1, LVNI_ALL, 0},     {0, LVNI_ALL, 1},
        {3, LVNI_ALL, -1},     {-1, LVNI_SELECTED, 2},
        {2, LVNI_SELECTED, 3}, {-1, LVNI_SELECTED | LVNI_DROPHILITED, 2},
        {2, LVNI_BELOW, 3},    {2, LVNI_ABOVE, 1},
        {0, LVNI_ABOVE, -1},   {0, LVNI_BELOW | LVNI_SELECTED, 2},
    };
    for (auto& c : cases)
        EXPECT_EQ(list.GetNextItem(c.from, c.flags), c.expect) << c.from << " " << c.flags;
    POSITION pos = list.GetFirstSelectedItemPosition();
    std::vector<int> walked;
    while (pos)
        walked.push_back(list.GetNextSelectedItem(pos));
    EXPECT_EQ(walked, (std::vector<int>{2, 3}));
}

TEST_F(ListCtrlTest, SortItemsByCallbackCarriesStatesAlong) {
    list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    static LPARAM seenParam;
    // Descending by item data, the parameter handed through (key and order packed, as the
    // message views do).
    auto descending = [](LPARAM l, LPARAM r, LPARAM p) -> int {
        seenParam = p;
        return (int)(r - l);
    };
    ASSERT_TRUE(
        list.SendMessage(LVM_SORTITEMS, (WPARAM)((2 << 16) | 1), (LPARAM)(PFNLVCOMPARE)descending));
    EXPECT_EQ(seenParam, (2 << 16) | 1);
    std::vector<CString> names;
    for (int i = 0; i < list.GetItemCount(); ++i)
        names.push_back(list.GetItemText(i, 0));
    EXPECT_EQ(names, (std::vector<CString>{"赵六", "王五", "李四", "张三"}));
    EXPECT_EQ(list.GetItemText(3, 1), CString("13800000001"));
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 3);
    EXPECT_EQ(Selected(), (std::vector<int>{3}));
    // Equal keys keep their order.
    ASSERT_TRUE(list.SortItems([](LPARAM, LPARAM, LPARAM) { return 0; }, 0));
    EXPECT_EQ(list.GetItemText(0, 0), CString("赵六"));
}

TEST_F(ListCtrlTest, HitTestsFindPartsRowsAndColumns) {
    CImageList small;
    small.Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1);
    small.SetImageCount(1);
    list.SetImageList(&small, LVSIL_SMALL);
    CRect icon, label, phone;
    ASSERT_TRUE(list.GetItemRect(1, &icon, LVIR_ICON));
    ASSERT_TRUE(list.GetItemRect(1, &label, LVIR_LABEL));
    ASSERT_TRUE(list.GetSubItemRect(1, 1, LVIR_LABEL, phone));
    EXPECT_EQ(icon.Width(), 16);
    EXPECT_EQ(label.left, icon.right);
    EXPECT_EQ(label.right, 80) << "the label runs to the end of the first column";
    EXPECT_EQ(phone.left, 80);
    EXPECT_EQ(phone.right, 180);

    struct Case {
        CPoint pt;
        int item;
        UINT flags;
        int subItem; // what LVM_SUBITEMHITTEST answers
    } cases[] = {
        {icon.CenterPoint(), 1, LVHT_ONITEMICON, 0},
        {label.CenterPoint(), 1, LVHT_ONITEMLABEL, 0},
        {phone.CenterPoint(), -1, LVHT_NOWHERE, 1},
        {CPoint(260, label.CenterPoint().y), -1, LVHT_NOWHERE, -1},
        {CPoint(40, 190), -1, LVHT_NOWHERE, -1},
    };
    for (auto& c : cases) {
        LVHITTESTINFO hi{c.pt, 0, 0, 0};
        EXPECT_EQ(list.SendMessage(LVM_HITTEST, 0, (LPARAM)&hi), c.item);
        EXPECT_EQ(hi.flags, c.flags);
        LVHITTESTINFO si{c.pt, 0, 0, 0};
        int row = (int)list.SendMessage(LVM_SUBITEMHITTEST, 0, (LPARAM)&si);
        EXPECT_EQ(row, c.subItem < 0 ? -1 : 1);
        if (c.subItem >= 0) {
            EXPECT_EQ(si.iSubItem, c.subItem);
        }
    }
    // With full-row select the whole row is the item.
    list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    EXPECT_EQ(list.HitTest(phone.CenterPoint()), 1);
    list.SetImageList(nullptr, LVSIL_SMALL);
}

TEST_F(ListCtrlTest, ViewModesSwitchAtRunTime) {
    for (int i = 4; i < 40; ++i)
        list.InsertItem(i, "某人");
    CRect r0, r1;
    list.GetItemRect(0, &r0, LVIR_BOUNDS);
    list.GetItemRect(1, &r1, LVIR_BOUNDS);
    EXPECT_EQ(r1.left, r0.left);
    EXPECT_GT(r1.top, r0.top);
    EXPECT_TRUE(list.GetHeaderCtrl()->IsWindowVisible());

    // The list view flows down a column, then on to the next.
    list.ModifyStyle(LVS_TYPEMASK, LVS_LIST);
    list.SendMessage(WM_SIZE);
    EXPECT_FALSE(list.GetHeaderCtrl()->IsWindowVisible());
    list.GetItemRect(0, &r0, LVIR_BOUNDS);
    list.GetItemRect(1, &r1, LVIR_BOUNDS);
    EXPECT_EQ(r1.left, r0.left);
    int perColumn = list.GetCountPerPage() / std::max(1, 300 / r0.Width());
    CRect next;
    list.GetItemRect(perColumn, &next, LVIR_BOUNDS);
    EXPECT_EQ(next.left, r0.right);
    EXPECT_EQ(next.top, r0.top);
    // EnsureVisible scrolls sideways there.
    ASSERT_TRUE(list.EnsureVisible(39, FALSE));
    CRect last, client;
    list.GetItemRect(39, &last, LVIR_BOUNDS);
    list.GetClientRect(&client);
    EXPECT_GE(last.left, 0);
    EXPECT_LE(last.right, client.right);

    // The icon views flow along a row.
    for (DWORD mode : {(DWORD)LVS_ICON, (DWORD)LVS_SMALLICON}) {
        list.ModifyStyle(LVS_TYPEMASK, mode);
        list.EnsureVisible(0, FALSE);
        list.GetItemRect(0, &r0, LVIR_BOUNDS);
        list.GetItemRect(1, &r1, LVIR_BOUNDS);
        EXPECT_EQ(r1.top, r0.top) << mode;
        EXPECT_GT(r1.left, r0.left) << mode;
        CRect label1;
        list.GetItemRect(1, &label1, LVIR_LABEL);
        EXPECT_EQ(list.HitTest(label1.CenterPoint()), 1) << mode;
    }
    // And back: report rows again, the texts untouched.
    list.ModifyStyle(LVS_TYPEMASK, LVS_REPORT);
    EXPECT_EQ(list.GetItemText(2, 2), CString("广州"));
    ASSERT_TRUE(list.EnsureVisible(39, FALSE));
    EXPECT_GT(list.GetTopIndex(), 0);
    list.GetItemRect(39, &last, LVIR_BOUNDS);
    EXPECT_LE(last.bottom, client.bottom);
}

TEST_F(ListCtrlTest, LabelEditingAsksBeforeAndAfter) {
    parent.answers[LVN_BEGINLABELEDIT] = TRUE;
    EXPECT_EQ(list.EditLabel(1), nullptr);
    parent.answers.clear();

    struct Case {
        const char* typed;
        bool cancel;
        LRESULT answer;
        const char* expect;
    } cases[] = {
        {"李小四", false, TRUE, "李小四"},
        {"不要", false, FALSE, "李小四"},
        {"取消", true, TRUE, "李小四"},
    };
    for (auto& c : cases) {
        parent.notes.clear();
        CEdit* edit = list.EditLabel(1);
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ((HWND)list.SendMessage(LVM_GETEDITCONTROL), edit->m_hWnd);
        edit->SetWindowText(c.typed);
        bool offeredNull = false;
        CString offered;
        parent.handler = [&](NMHDR* nm) -> LRESULT {
            if (nm->code != LVN_ENDLABELEDIT)
                return 0;
            auto* di = reinterpret_cast<NMLVDISPINFO*>(nm);
            offeredNull = di->item.pszText == nullptr;
            if (di->item.pszText)
                offered = di->item.pszText;
            EXPECT_EQ(di->item.iItem, 1);
            return c.answer;
        };
        if (c.cancel)
            list.CancelEditLabel();
        else
            QTest::keyClick(edit->GetWidget(), Qt::Key_Return);
        parent.handler = nullptr;
        EXPECT_EQ(offeredNull, c.cancel);
        if (!c.cancel) {
            EXPECT_EQ(offered, CString(c.typed));
        }
        EXPECT_EQ(list.GetItemText(1, 0), CString(c.expect));
        EXPECT_EQ(list.GetEditControl(), nullptr);
        Pump();
    }
}

// A list that deletes itself with its window, as a view's control goes with its view.
class CSelfDeletingList : public CListCtrl {
    void PostNcDestroy() override { delete this; }
};

// Ending the edit in progress, by a press or by editing another label, the parent closes the list.
TEST_F(ListCtrlTest, AnEndOfEditThatClosesTheListStopsThere) {
    for (bool press : {true, false}) {
        auto* gone = new CSelfDeletingList;
        ASSERT_TRUE(gone->Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_EDITLABELS,
                                 CRect(0, 0, 300, 200), &parent, 10));
        HWND h = gone->m_hWnd;
        gone->InsertColumn(0, "姓名", LVCFMT_LEFT, 100);
        gone->InsertItem(0, "张三");
        gone->InsertItem(1, "李四");
        ASSERT_NE(gone->EditLabel(0), nullptr);
        parent.handler = [&](NMHDR* nm) -> LRESULT {
            if (nm->code != LVN_ENDLABELEDIT || nm->hwndFrom != h)
                return 0;
            CWnd::FromHandlePermanent(h)->DestroyWindow();
            return TRUE;
        };
        if (press)
            gone->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(150, 150));
        else
            EXPECT_EQ(gone->EditLabel(1), nullptr);
        parent.handler = nullptr;
        EXPECT_FALSE(IsWindow(h)) << press;
        Pump();
    }

    // A list object that outlived its window that way edits its labels as before once made again.
    ASSERT_NE(list.EditLabel(0), nullptr);
    HWND first = list.m_hWnd;
    parent.handler = [&](NMHDR* nm) -> LRESULT {
        if (nm->code == LVN_ENDLABELEDIT && nm->hwndFrom == first)
            list.DestroyWindow();
        return 0;
    };
    list.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(150, 150));
    parent.handler = nullptr;
    ASSERT_FALSE(IsWindow(first));
    Pump();
    Make(LVS_REPORT | LVS_EDITLABELS);
    CEdit* again = list.EditLabel(1);
    ASSERT_NE(again, nullptr);
    again->SetWindowText("李小四");
    parent.answers[LVN_ENDLABELEDIT] = TRUE;
    QTest::keyClick(again->GetWidget(), Qt::Key_Return);
    EXPECT_EQ(list.GetItemText(1, 0), CString("李小四"));
    EXPECT_EQ(list.GetEditControl(), nullptr);
}

TEST_F(ListCtrlTest, CheckBoxesAreStateImagesTheParentCanRefuse) {
    list.SetExtendedStyle(LVS_EX_CHECKBOXES);
    EXPECT_FALSE(list.GetCheck(0));
    EXPECT_EQ(list.GetItemState(0, LVIS_STATEIMAGEMASK), (UINT)INDEXTOSTATEIMAGEMASK(1));
    CRect label;
    list.GetItemRect(0, &label, LVIR_LABEL);
    CPoint box(label.left - 8, label.CenterPoint().y);
    LVHITTESTINFO hi{box, 0, 0, 0};
    ASSERT_EQ(list.HitTest(&hi), 0);
    EXPECT_EQ(hi.flags, (UINT)LVHT_ONITEMSTATEICON);

    parent.notes.clear();
    list.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(box.x, box.y));
    list.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(box.x, box.y));
    EXPECT_TRUE(list.GetCheck(0));
    auto& changed = parent.notes[1].As<NMLISTVIEW>();
    ASSERT_EQ(parent.notes[1].code, LVN_ITEMCHANGED);
    EXPECT_EQ(changed.uOldState & LVIS_STATEIMAGEMASK, (UINT)INDEXTOSTATEIMAGEMASK(1));
    EXPECT_EQ(changed.uNewState & LVIS_STATEIMAGEMASK, (UINT)INDEXTOSTATEIMAGEMASK(2));
    EXPECT_TRUE(Selected().empty()) << "ticking a box does not select the row";

    // Rows whose box must stay as it is: the parent says no.
    parent.answers[LVN_ITEMCHANGING] = TRUE;
    list.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(box.x, box.y));
    EXPECT_TRUE(list.GetCheck(0));
    parent.answers.clear();
    // Space ticks the focused row.
    list.SetItemState(2, LVIS_FOCUSED, LVIS_FOCUSED);
    list.SendMessage(WM_KEYDOWN, VK_SPACE);
    EXPECT_TRUE(list.GetCheck(2));
    // Items added later come unticked.
    EXPECT_FALSE(list.GetCheck(list.InsertItem(9, "新")));
}

TEST_F(ListCtrlTest, HeaderClicksAndWidthChangesReachTheParent) {
    CHeaderCtrl* header = list.GetHeaderCtrl();
    ASSERT_NE(header, nullptr);
    EXPECT_EQ((HWND)list.SendMessage(LVM_GETHEADER), header->m_hWnd);
    CRect second;
    header->GetItemRect(1, &second);
    CPoint c = second.CenterPoint();
    header->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c.x, c.y));
    header->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(c.x, c.y));
    auto codes = parent.Codes();
    ASSERT_EQ(codes, (std::vector<UINT>{HDN_ITEMCLICK, LVN_COLUMNCLICK}));
    EXPECT_EQ(parent.notes[1].As<NMLISTVIEW>().iSubItem, 1);
    EXPECT_EQ(parent.notes[1].As<NMLISTVIEW>().iItem, -1);
    EXPECT_EQ(parent.notes[0].As<NMHDR>().hwndFrom, header->m_hWnd);

    // A width change asks first; the parent can refuse it.
    parent.notes.clear();
    parent.answers[HDN_ITEMCHANGING] = TRUE;
    EXPECT_FALSE(list.SetColumnWidth(1, 150));
    EXPECT_EQ(list.GetColumnWidth(1), 100);
    parent.answers.clear();
    ASSERT_TRUE(list.SendMessage(LVM_SETCOLUMNWIDTH, 1, MAKELPARAM(150, 0)));
    EXPECT_EQ(list.GetColumnWidth(1), 150);
    CRect city;
    list.GetSubItemRect(0, 2, LVIR_BOUNDS, city);
    EXPECT_EQ(city.left, 230);

    // Fitting a column to its texts uses the same widths as LVM_GETSTRINGWIDTH.
    ASSERT_TRUE(list.SetColumnWidth(1, LVSCW_AUTOSIZE));
    int w = (int)list.SendMessage(LVM_GETSTRINGWIDTH, 0, (LPARAM) "13800000001");
    EXPECT_GT(w, 0);
    EXPECT_EQ(list.GetColumnWidth(1), w + 12);

    // Reordering the columns moves the cells with them.
    int order[] = {2, 0, 1};
    ASSERT_TRUE(list.SetColumnOrderArray(3, order));
    list.GetSubItemRect(0, 2, LVIR_BOUNDS, city);
    EXPECT_EQ(city.left, 0);
    int back[3] = {};
    ASSERT_TRUE(list.GetColumnOrderArray(back, 3));
    EXPECT_EQ(std::vector<int>(back, back + 3), std::vector<int>(order, order + 3));
}

TEST_F(ListCtrlTest, CustomDrawStagesAndColours) {
    list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    parent.handler = [&](NMHDR* nm) -> LRESULT {
        if (nm->code != NM_CUSTOMDRAW || nm->hwndFrom != list.m_hWnd)
            return 0;
        auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(nm);
        switch (cd->nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
        case CDDS_ITEMPREPAINT:
            if (cd->nmcd.dwItemSpec == 2)
                return CDRF_NOTIFYSUBITEMDRAW | CDRF_NOTIFYPOSTPAINT;
            return 0;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
            if (cd->iSubItem == 1)
                cd->clrTextBk = RGB(255, 0, 0); // one red cell, as the unread rows stand out
            return 0;
        default:
            return 0;
        }
    };
    QImage img = Render();
    parent.handler = nullptr;
    std::vector<DWORD> stages;
    for (auto& n : parent.notes)
        if (n.code == NM_CUSTOMDRAW && n.As<NMHDR>().hwndFrom == list.m_hWnd)
            stages.push_back(n.As<NMLVCUSTOMDRAW>().nmcd.dwDrawStage);
    const DWORD sub = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
    std::vector<DWORD> expect{
        CDDS_PREPAINT, CDDS_ITEMPREPAINT,  CDDS_ITEMPREPAINT, CDDS_ITEMPREPAINT, sub, sub,
        sub,           CDDS_ITEMPOSTPAINT, CDDS_ITEMPREPAINT, CDDS_POSTPAINT};
    EXPECT_EQ(stages, expect);
    CRect cell;
    list.GetSubItemRect(2, 1, LVIR_BOUNDS, cell);
    EXPECT_EQ(QColor(img.pixel(cell.right - 3, cell.top + 2)), QColor(255, 0, 0));
    CRect other;
    list.GetSubItemRect(3, 1, LVIR_BOUNDS, other);
    EXPECT_NE(QColor(img.pixel(other.right - 3, other.top + 2)), QColor(255, 0, 0));
    // The selected row's item pre-paint says so.
    for (auto& n : parent.notes)
        if (n.code == NM_CUSTOMDRAW && n.As<NMLVCUSTOMDRAW>().nmcd.dwItemSpec == 1 &&
            n.As<NMLVCUSTOMDRAW>().nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
            EXPECT_TRUE(n.As<NMLVCUSTOMDRAW>().nmcd.uItemState & CDIS_SELECTED);
        }
}

// An owner-drawn list: rows as high as the owner says, each drawn by the control's DrawItem.
class OwnerRows : public CListCtrl {
public:
    std::vector<std::pair<UINT, CRect>> drawn;
    void MeasureItem(LPMEASUREITEMSTRUCT mis) override { mis->itemHeight = 40; }
    void DrawItem(LPDRAWITEMSTRUCT dis) override {
        drawn.push_back({dis->itemID, CRect(dis->rcItem)});
        CDC* dc = CDC::FromHandle(dis->hDC);
        dc->FillSolidRect(&dis->rcItem,
                          (dis->itemState & ODS_SELECTED) ? RGB(0, 0, 255) : RGB(0, 255, 0));
        EXPECT_EQ(dis->CtlType, (UINT)ODT_LISTVIEW);
        EXPECT_EQ(dis->itemData, (ULONG_PTR)(dis->itemID + 50));
    }
    // Six rows (or as many as asked) in one column, each with its index + 50 as data.
    bool Make(CWnd* parent, int nRows = 6) {
        if (!Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED, CRect(0, 0, 300, 200),
                    parent, 12))
            return false;
        InsertColumn(0, "名称", LVCFMT_LEFT, 200);
        for (int i = 0; i < nRows; ++i)
            InsertItem(LVIF_TEXT | LVIF_PARAM, i, "行", 0, 0, 0, 50 + i);
        return true;
    }
};

TEST_F(ListCtrlTest, OwnerDrawnRowsAreMeasuredAndDrawnByTheControl) {
    OwnerRows rows;
    ASSERT_TRUE(rows.Make(&parent));
    rows.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    CRect r;
    rows.GetItemRect(1, &r, LVIR_BOUNDS);
    EXPECT_EQ(r.Height(), 40);
    QImage img(300, 200, QImage::Format_RGB32);
    CDC dc;
    dc.AttachImage(&img);
    rows.SendMessage(WM_PAINT, (WPARAM)dc.GetSafeHdc(), 0);
    CHeaderCtrl* h = rows.GetHeaderCtrl();
    CRect hr;
    h->GetWindowRect(&hr);
    int visible = (200 - hr.Height() + 39) / 40;
    ASSERT_EQ(rows.drawn.size(), (size_t)visible);
    EXPECT_EQ(rows.drawn[1].second, r);
    EXPECT_EQ(QColor(img.pixel(r.left + 5, r.top + 5)), QColor(0, 0, 255));
    EXPECT_EQ(QColor(img.pixel(r.left + 5, r.bottom + 5)), QColor(0, 255, 0));
}

TEST_F(ListCtrlTest, APaintDrawsTheRowsAcrossTheViewWhereverItIsScrolled) {
    OwnerRows rows;
    ASSERT_TRUE(rows.Make(&parent, 500));
    CRect client;
    rows.GetClientRect(&client);
    CRect header;
    rows.GetHeaderCtrl()->GetWindowRect(&header);
    const CRect view(client.left, client.top + header.Height(), client.right, client.bottom);
    // The top, a row cut by the top edge, further down, the end.
    struct Case {
        const char* where;
        int dy;
    } cases[] = {{"top", 0}, {"part of a row", 20}, {"middle", 40 * 250}, {"end", 40 * 600}};
    for (const Case& c : cases) {
        rows.Scroll(CSize(0, c.dy));
        rows.drawn.clear();
        QImage img(300, 200, QImage::Format_RGB32);
        CDC dc;
        dc.AttachImage(&img);
        rows.SendMessage(WM_PAINT, (WPARAM)dc.GetSafeHdc(), 0);
        std::vector<UINT> drawn, across;
        for (auto& d : rows.drawn)
            drawn.push_back(d.first);
        for (int i = 0; i < rows.GetItemCount(); ++i) {
            CRect r, cut;
            rows.GetItemRect(i, &r, LVIR_BOUNDS);
            if (cut.IntersectRect(&r, &view))
                across.push_back((UINT)i);
        }
        EXPECT_FALSE(across.empty()) << c.where;
        EXPECT_EQ(across, drawn) << c.where;
        rows.Scroll(CSize(0, -100000));
    }
}

TEST_F(ListCtrlTest, TheHotRowFollowsThePointerAndGoesWhenItLeaves) {
    OwnerRows rows;
    ASSERT_TRUE(rows.Make(&parent));
    CRect r;
    rows.GetItemRect(1, &r, LVIR_BOUNDS);
    QPointF at(r.left + 5, r.CenterPoint().y);
    QMouseEvent move(QEvent::MouseMove, at, rows.GetWidget()->mapToGlobal(at), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(rows.GetWidget(), &move);
    EXPECT_EQ(rows.GetHotItem(), 1);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(rows.GetWidget(), &leave);
    EXPECT_EQ(rows.GetHotItem(), -1);
}

TEST_F(ListCtrlTest, BackgroundColourImageAndGridLines) {
    list.SetBkColor(RGB(0, 0, 128));
    list.SetTextBkColor(CLR_NONE);
    QImage img = Render();
    EXPECT_EQ(QColor(img.pixel(290, 190)), QColor(0, 0, 128));

    // A tiled picture shows under the rows; a picture file works the same.
    QImage tile(8, 8, QImage::Format_RGB32);
    tile.fill(QColor(0, 200, 0));
    CBitmap bmp;
    bmp.AttachImageData(tile);
    ASSERT_TRUE(list.SetBkImage((HBITMAP)bmp.GetSafeHandle(), TRUE));
    img = Render();
    EXPECT_EQ(QColor(img.pixel(290, 190)), QColor(0, 200, 0));
    QTemporaryDir dir;
    QString file = dir.filePath("bk.png");
    QImage red(20, 20, QImage::Format_RGB32);
    red.fill(QColor(220, 0, 0));
    ASSERT_TRUE(red.save(file));
    CString path(file.toLocal8Bit().constData());
    ASSERT_TRUE(list.SetBkImage(path.GetBuffer(), FALSE, 100, 100));
    path.ReleaseBuffer();
    img = Render();
    EXPECT_EQ(QColor(img.pixel(290, 190)), QColor(220, 0, 0));
    EXPECT_EQ(QColor(img.pixel(260, 150)), QColor(0, 0, 128)) << "not tiled: one picture";
    EXPECT_FALSE(list.SetBkImage(const_cast<LPTSTR>("/no/such/picture.png")));

    list.SetBkImage((HBITMAP) nullptr, FALSE);
    list.SetExtendedStyle(LVS_EX_GRIDLINES);
    img = Render();
    CRect row;
    list.GetItemRect(0, &row, LVIR_BOUNDS);
    EXPECT_EQ(QColor(img.pixel(5, row.bottom - 1)), QColor(AfxQColor(GetSysColor(COLOR_BTNFACE))));
    EXPECT_EQ(QColor(img.pixel(79, 190)), QColor(AfxQColor(GetSysColor(COLOR_BTNFACE))))
        << "column lines run below the last row";
}

TEST_F(ListCtrlTest, DragStartsAfterTheMouseMovesAway) {
    CRect label;
    list.GetItemRect(2, &label, LVIR_LABEL);
    CPoint c = label.CenterPoint();
    list.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c.x, c.y));
    parent.notes.clear();
    list.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(c.x + 2, c.y));
    EXPECT_TRUE(parent.Codes().empty());
    list.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(c.x + 20, c.y + 10));
    ASSERT_EQ(parent.Codes(), (std::vector<UINT>{LVN_BEGINDRAG}));
    EXPECT_EQ(parent.notes[0].As<NMLISTVIEW>().iItem, 2);
    EXPECT_EQ(CPoint(parent.notes[0].As<NMLISTVIEW>().ptAction), c);
    std::unique_ptr<CImageList> drag(list.CreateDragImage(2, nullptr));
    ASSERT_NE(drag, nullptr);
    EXPECT_EQ(drag->GetImageCount(), 1);
}

TEST_F(ListCtrlTest, DragNotificationsNameTheItemCellAndPressPoint) {
    struct Case {
        UINT down;
        WPARAM keys;
        int item, column;
        UINT code;
    } cases[] = {
        {WM_LBUTTONDOWN, MK_LBUTTON, 1, 0, LVN_BEGINDRAG},
        {WM_LBUTTONDOWN, MK_LBUTTON, 2, 1, LVN_BEGINDRAG},
        {WM_RBUTTONDOWN, MK_RBUTTON, 3, 2, LVN_BEGINRDRAG},
    };
    list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    parent.sizes[LVN_BEGINRDRAG] = sizeof(NMLISTVIEW);
    for (auto& c : cases) {
        CRect cell;
        ASSERT_TRUE(list.GetSubItemRect(c.item, c.column, LVIR_LABEL, cell));
        CPoint at = cell.CenterPoint();
        list.SendMessage(c.down, c.keys, MAKELPARAM(at.x, at.y));
        parent.notes.clear();
        list.SendMessage(WM_MOUSEMOVE, c.keys, MAKELPARAM(at.x + 10, at.y + 8));
        list.SendMessage(WM_MOUSEMOVE, c.keys, MAKELPARAM(at.x + 30, at.y + 8));
        ASSERT_EQ(parent.Codes(), (std::vector<UINT>{c.code})) << "one notification a press";
        const auto& nm = parent.notes[0].As<NMLISTVIEW>();
        EXPECT_EQ(nm.iItem, c.item);
        EXPECT_EQ(nm.iSubItem, c.column);
        EXPECT_EQ(CPoint(nm.ptAction), at);
        EXPECT_EQ(nm.lParam, (LPARAM)(100 + c.item));
        list.SendMessage(c.down == WM_LBUTTONDOWN ? WM_LBUTTONUP : WM_RBUTTONUP, 0,
                         MAKELPARAM(at.x + 30, at.y + 8));
    }
    // The drag image of one row starts at the row's icon; the point says where that is.
    CImageList small;
    small.Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1);
    list.SetImageList(&small, LVSIL_SMALL);
    CPoint origin;
    std::unique_ptr<CImageList> drag(list.CreateDragImage(1, &origin));
    ASSERT_NE(drag, nullptr);
    CRect icon, label;
    list.GetItemRect(1, &icon, LVIR_ICON);
    list.GetItemRect(1, &label, LVIR_LABEL);
    EXPECT_EQ(origin, icon.TopLeft());
    IMAGEINFO ii{};
    ASSERT_TRUE(drag->GetImageInfo(0, &ii));
    EXPECT_EQ(CRect(ii.rcImage).Width(), label.right - icon.left) << "the first column only";
    EXPECT_EQ(list.CreateDragImage(9, &origin), nullptr);
    EXPECT_EQ(list.SendMessage(LVM_CREATEDRAGIMAGE, 9, (LPARAM)&origin), 0);
    list.SetImageList(nullptr, LVSIL_SMALL);
}

TEST_F(ListCtrlTest, IconViewsKeepGivenPositionsUntilArrangedOrSwitched) {
    list.ModifyStyle(LVS_TYPEMASK, LVS_ICON);
    CPoint flow1;
    ASSERT_TRUE(list.GetItemPosition(1, &flow1));
    ASSERT_TRUE(list.SetItemPosition(2, CPoint(150, 90)));
    CPoint p;
    ASSERT_TRUE(list.GetItemPosition(2, &p));
    EXPECT_EQ(p, CPoint(150, 90));
    CRect label;
    list.GetItemRect(2, &label, LVIR_LABEL);
    EXPECT_EQ(list.HitTest(label.CenterPoint()), 2);
    list.GetItemPosition(1, &p);
    EXPECT_EQ(p, flow1) << "the others stay in the flow";

    // The messages: packed coordinates and a point.
    ASSERT_TRUE(list.SendMessage(LVM_SETITEMPOSITION, 0, MAKELPARAM(40, 100)));
    list.SendMessage(LVM_GETITEMPOSITION, 0, (LPARAM)&p);
    EXPECT_EQ(p, CPoint(40, 100));
    POINT far{10, 500};
    ASSERT_TRUE(list.SendMessage(LVM_SETITEMPOSITION32, 3, (LPARAM)&far));
    // A position below the view stretches the content: scrolling reaches it.
    list.Scroll(CSize(0, 200));
    list.GetItemPosition(3, &p);
    EXPECT_EQ(p, CPoint(10, 300));
    list.Scroll(CSize(0, -200));

    // Overlapping cells: the one painted last is the one hit.
    list.SetItemPosition(1, CPoint(150, 90));
    list.GetItemRect(2, &label, LVIR_LABEL);
    EXPECT_EQ(list.HitTest(label.CenterPoint()), 2);

    // Arranging lets go of every position.
    ASSERT_TRUE(list.Arrange(LVA_DEFAULT));
    list.GetItemPosition(1, &p);
    EXPECT_EQ(p, flow1);

    // Another view forgets them too: switching to small icons and back re-arranges.
    list.SetItemPosition(1, CPoint(200, 100));
    list.ModifyStyle(LVS_TYPEMASK, LVS_SMALLICON);
    list.SendMessage(LVM_GETITEMCOUNT);
    list.ModifyStyle(LVS_TYPEMASK, LVS_ICON);
    list.GetItemPosition(1, &p);
    EXPECT_EQ(p, flow1);

    // Kept arranged, or not an icon view: positions have no effect or are refused.
    list.ModifyStyle(0, LVS_AUTOARRANGE);
    EXPECT_TRUE(list.SetItemPosition(1, CPoint(200, 100)));
    list.GetItemPosition(1, &p);
    EXPECT_EQ(p, flow1);
    list.ModifyStyle(LVS_TYPEMASK | LVS_AUTOARRANGE, LVS_REPORT);
    EXPECT_FALSE(list.SetItemPosition(1, CPoint(200, 100)));
    EXPECT_FALSE(list.SetItemPosition(7, CPoint(0, 0)));
    EXPECT_FALSE(list.GetItemPosition(7, &p));
}

TEST_F(ListCtrlTest, FindItemByDataOrLabelFromAStartWithWrapping) {
    list.InsertItem(4, "Apple");
    list.InsertItem(5, "apricot");
    list.SetItemData(4, 200);
    struct Case {
        UINT flags;
        const char* text;
        LPARAM data;
        int start;
        int expect;
    } cases[] = {
        {LVFI_PARAM, nullptr, 102, -1, 2},
        {LVFI_PARAM, nullptr, 102, 2, -1},
        {LVFI_PARAM | LVFI_WRAP, nullptr, 102, 2, 2},
        {LVFI_PARAM | LVFI_STRING, "李四", 200, -1, 4}, // the data decides
        {LVFI_STRING, "李四", 0, -1, 1},
        {LVFI_STRING, "李", 0, -1, -1},
        {LVFI_PARTIAL | LVFI_STRING, "李", 0, -1, 1},
        {LVFI_STRING, "APPLE", 0, -1, 4},
        {LVFI_PARTIAL, "ap", 0, -1, 4},
        {LVFI_PARTIAL, "ap", 0, 4, 5},
        {LVFI_PARTIAL, "ap", 0, 5, -1},
        {LVFI_PARTIAL | LVFI_WRAP, "ap", 0, 5, 4},
        {LVFI_STRING | LVFI_WRAP, "张三", 0, 0, 0},
        {LVFI_STRING, "张三", 0, -7, 0},
        {LVFI_STRING, nullptr, 0, -1, -1},
        {0, "张三", 0, -1, -1},
    };
    for (auto& c : cases) {
        LVFINDINFO fi{c.flags, c.text, c.data, {0, 0}, 0};
        EXPECT_EQ(list.FindItem(&fi, c.start), c.expect) << (c.text ? c.text : "") << c.start;
        EXPECT_EQ(list.SendMessage(LVM_FINDITEM, (WPARAM)c.start, (LPARAM)&fi), c.expect);
    }
    EXPECT_EQ(list.FindItem(nullptr), -1);
}

TEST_F(ListCtrlTest, CallbackTextsAndImagesAreAskedOfTheParent) {
    list.SetExtendedStyle(LVS_EX_SUBITEMIMAGES);
    CImageList small;
    small.Create(16, 16, ILC_COLOR32 | ILC_MASK, 4, 1);
    QImage dot(16, 16, QImage::Format_ARGB32);
    for (QRgb c : {qRgb(200, 0, 0), qRgb(0, 160, 0), qRgb(0, 0, 200), qRgb(200, 200, 0)}) {
        dot.fill(c);
        CBitmap bmp;
        bmp.AttachImageData(dot);
        small.Add(&bmp, (CBitmap*)nullptr);
    }
    list.SetImageList(&small, LVSIL_SMALL);
    ASSERT_EQ(list.InsertItem(LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM, 4, LPSTR_TEXTCALLBACK, 0, 0,
                              I_IMAGECALLBACK, 77),
              4);
    list.SetItemText(4, 1, LPSTR_TEXTCALLBACK);
    list.SetItem(4, 2, LVIF_IMAGE, nullptr, I_IMAGECALLBACK, 0, 0, 0);
    static const char kOwn[] = "父窗口的文字";
    bool keep = false;
    parent.sizes[LVN_GETDISPINFO] = sizeof(NMLVDISPINFO);
    parent.handler = [&](NMHDR* nm) -> LRESULT {
        if (nm->code != LVN_GETDISPINFO)
            return 0;
        auto* di = reinterpret_cast<NMLVDISPINFO*>(nm);
        if (di->item.mask & LVIF_TEXT) {
            if (di->item.iSubItem == 0)
                std::snprintf(di->item.pszText, (size_t)di->item.cchTextMax, "回调%d",
                              (int)di->item.lParam);
            else
                di->item.pszText = const_cast<LPSTR>(kOwn); // a text of its own
        }
        if (di->item.mask & LVIF_IMAGE)
            di->item.iImage = di->item.iSubItem == 0 ? 1 : 3;
        if (keep)
            di->item.mask |= LVIF_DI_SETITEM;
        return 0;
    };
    parent.notes.clear();
    EXPECT_EQ(list.GetItemText(4, 0), CString("回调77"));
    EXPECT_EQ(list.GetItemText(4, 1), CString(kOwn));
    EXPECT_EQ(list.GetItemText(3, 1), CString("13800000004")) << "stored texts ask nothing";
    char buf[32] = {};
    LVITEM lv{};
    lv.iSubItem = 1;
    lv.pszText = buf;
    lv.cchTextMax = sizeof buf;
    EXPECT_EQ(list.SendMessage(LVM_GETITEMTEXT, 4, (LPARAM)&lv), (LRESULT)std::strlen(kOwn));
    lv = LVITEM{};
    lv.mask = LVIF_IMAGE;
    lv.iItem = 4;
    ASSERT_TRUE(list.GetItem(&lv));
    EXPECT_EQ(lv.iImage, 1);
    lv.iSubItem = 2;
    ASSERT_TRUE(list.GetItem(&lv));
    EXPECT_EQ(lv.iImage, 3);
    std::vector<std::pair<int, int>> asked;
    for (auto& n : parent.notes) {
        ASSERT_EQ(n.code, LVN_GETDISPINFO);
        asked.emplace_back(n.As<NMLVDISPINFO>().item.iItem, n.As<NMLVDISPINFO>().item.iSubItem);
    }
    EXPECT_EQ(asked, (std::vector<std::pair<int, int>>{{4, 0}, {4, 1}, {4, 1}, {4, 0}, {4, 2}}));

    // Painting asks for every cell the parent keeps, and shows what it gave.
    parent.notes.clear();
    QImage img = Render();
    std::set<std::pair<int, int>> painted;
    for (auto& n : parent.notes)
        if (n.code == LVN_GETDISPINFO)
            painted.emplace(n.As<NMLVDISPINFO>().item.iSubItem,
                            (int)n.As<NMLVDISPINFO>().item.mask);
    EXPECT_EQ(painted, (std::set<std::pair<int, int>>{
                           {0, LVIF_TEXT}, {0, LVIF_IMAGE}, {1, LVIF_TEXT}, {2, LVIF_IMAGE}}));
    CRect icon, third;
    list.GetItemRect(4, &icon, LVIR_ICON);
    list.GetSubItemRect(4, 2, LVIR_ICON, third);
    EXPECT_EQ(QColor(img.pixel(icon.left + 8, icon.CenterPoint().y)), QColor(0, 160, 0));
    EXPECT_EQ(QColor(img.pixel(third.left + 8, third.CenterPoint().y)), QColor(200, 200, 0));

    // A find by label sees the asked-for text.
    LVFINDINFO fi{LVFI_STRING, "回调77", 0, {0, 0}, 0};
    EXPECT_EQ(list.FindItem(&fi), 4);

    // LVIF_DI_SETITEM: the control keeps the answer and asks no more.
    keep = true;
    EXPECT_EQ(list.GetItemText(4, 1), CString(kOwn));
    parent.notes.clear();
    EXPECT_EQ(list.GetItemText(4, 1), CString(kOwn));
    EXPECT_TRUE(parent.notes.empty());
    // Setting a plain text ends the asking too.
    keep = false;
    list.SetItemText(4, 0, "普通");
    parent.notes.clear();
    EXPECT_EQ(list.GetItemText(4, 0), CString("普通"));
    EXPECT_TRUE(parent.Codes().empty());
    list.SetImageList(nullptr, LVSIL_SMALL);
}

TEST_F(ListCtrlTest, TheScreenFollowsAViewSwitchAndAFillWithRedrawingOff) {
    Pump();
    auto shown = [&] {
        Pump();
        return list.GetWidget()->grab().toImage();
    };
    QImage report = shown();
    // Another view lays the items out anew on the screen, not only in the geometry.
    list.ModifyStyle(LVS_TYPEMASK, LVS_LIST);
    QImage listed = shown();
    EXPECT_NE(listed, report);
    EXPECT_EQ(listed.convertToFormat(QImage::Format_RGB32), Render());
    // Rows added while redrawing is off show once it is back on.
    list.SetRedraw(FALSE);
    for (int i = 0; i < 20; ++i)
        list.InsertItem(list.GetItemCount(), "孙七");
    list.SetRedraw(TRUE);
    QImage filled = shown();
    EXPECT_NE(filled, listed);
    EXPECT_EQ(filled.convertToFormat(QImage::Format_RGB32), Render());
}

TEST_F(ListCtrlTest, ReportViewScreenshot) {
    CImageList small;
    small.Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1);
    QImage dot(16, 16, QImage::Format_ARGB32);
    dot.fill(Qt::transparent);
    for (int y = 4; y < 12; ++y)
        for (int x = 4; x < 12; ++x)
            dot.setPixel(x, y, qRgb(30, 120, 200));
    CBitmap b;
    b.AttachImageData(dot);
    small.Add(&b, (CBitmap*)nullptr);
    list.SetImageList(&small, LVSIL_SMALL);
    list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES);
    list.SetCheck(0);
    list.SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    list.SetFocus();
    Pump();
    ASSERT_TRUE(parent.SaveScreenshot(ScreenPath("list-control").c_str()));
    list.SetImageList(nullptr, LVSIL_SMALL);
}

} // namespace

namespace {

TEST(CommonControlClassesTest, TemplatesMakeTheControlOfTheirClassName) {
    struct Case {
        const char* className;
        CRuntimeClass* expect;
    } cases[] = {
        {"SysListView32", RUNTIME_CLASS(CListCtrl)},
        {"systreeview32", RUNTIME_CLASS(CTreeCtrl)},
        {"SysHeader32", RUNTIME_CLASS(CHeaderCtrl)},
        {"SysTabControl32", RUNTIME_CLASS(CTabCtrl)},
    };
    for (auto& c : cases) {
        std::unique_ptr<CWnd> w(AfxNewTemplateItem(c.className));
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(w->IsKindOf(c.expect)) << c.className;
    }
}

} // namespace

namespace {
// A procedure in front of the header that asks for a band of 60 pixels.
LRESULT TallHeaderProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == HDM_LAYOUT) {
        auto* layout = reinterpret_cast<HDLAYOUT*>(lParam);
        *layout->pwpos = WINDOWPOS{hWnd, nullptr, (int)layout->prc->left, (int)layout->prc->top,
                                   (int)(layout->prc->right - layout->prc->left), 60, 0};
        layout->prc->top += 60;
        return TRUE;
    }
    return AfxCallPreviousWndProc(&TallHeaderProc, hWnd, message, wParam, lParam);
}
} // namespace

TEST_F(ListCtrlTest, TheHeaderBandIsWhatTheHeaderAnswersToLayout) {
    CRect before;
    ASSERT_TRUE(list.GetItemRect(0, &before, LVIR_BOUNDS));
    CHeaderCtrl* header = list.GetHeaderCtrl();
    ASSERT_NE(nullptr, header);
    ASSERT_TRUE(AfxHookWndProc(header->m_hWnd, &TallHeaderProc));
    list.SendMessage(WM_SIZE, 0, MAKELPARAM(300, 200));
    CRect headerRect, row, hit;
    header->GetWindowRect(&headerRect);
    EXPECT_EQ(60, headerRect.Height());
    ASSERT_TRUE(list.GetItemRect(0, &row, LVIR_BOUNDS));
    EXPECT_EQ(60, row.top);
    EXPECT_EQ(before.Height(), row.Height());
    // A click just below the band lands on the first row, one inside it on none.
    LVHITTESTINFO info{};
    info.pt = CPoint(20, 62);
    EXPECT_EQ(0, list.HitTest(&info));
    info.pt = CPoint(20, 40);
    EXPECT_EQ(-1, list.HitTest(&info));
}

namespace {
// Paints the second row's text red at the item stage only.
class CRedRowParent : public CNotifyRecorder {
public:
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override {
        auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(lParam);
        if (cd->nmcd.hdr.code != NM_CUSTOMDRAW)
            return CNotifyRecorder::OnNotify(wParam, lParam, pResult);
        *pResult = CDRF_DODEFAULT;
        if (cd->nmcd.dwDrawStage == CDDS_PREPAINT)
            *pResult = CDRF_NOTIFYITEMDRAW;
        else if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT && cd->nmcd.dwItemSpec == 1)
            cd->clrText = RGB(255, 0, 0);
        return TRUE;
    }
};
} // namespace

TEST_F(ListCtrlTest, AnItemsTextColourFromCustomDrawingReachesEveryCell) {
    CRedRowParent redParent;
    ASSERT_TRUE(redParent.CreateTop(300, 200));
    CListCtrl red;
    ASSERT_TRUE(red.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 300, 200), &redParent, 9));
    red.InsertColumn(0, "姓名", LVCFMT_LEFT, 80);
    red.InsertColumn(1, "电话", LVCFMT_LEFT, 150);
    for (int i = 0; i < 2; ++i) {
        red.InsertItem(i, "WWWWW");
        red.SetItemText(i, 1, "WWWWWWWW");
    }
    QImage img(300, 200, QImage::Format_RGB32);
    img.fill(Qt::white);
    CDC dc;
    dc.AttachImage(&img);
    red.SendMessage(WM_PAINT, (WPARAM)dc.GetSafeHdc(), 0);
    auto redPixels = [&](int row, int col) {
        CRect r;
        red.GetSubItemRect(row, col, LVIR_LABEL, r);
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) {
                QColor c = img.pixelColor(x, y);
                n += c.red() > 180 && c.green() < 100 && c.blue() < 100;
            }
        return n;
    };
    EXPECT_EQ(0, redPixels(0, 0));
    EXPECT_EQ(0, redPixels(0, 1));
    EXPECT_GT(redPixels(1, 0), 0);
    EXPECT_GT(redPixels(1, 1), 0);
}
