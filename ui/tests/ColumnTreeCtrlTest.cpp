#include "platform/gui/tests/NotifyRecorder.h"
#include "ui/ColumnTreeCtrl.h"

#include <QImage>

namespace {

class ColumnTreeCtrlTest : public GuiTest {
protected:
    CNotifyRecorder parent;
    CColumnTreeCtrl ctrl;
    HTREEITEM work = nullptr, a = nullptr, b = nullptr, c = nullptr, home = nullptr;

    void SetUp() override {
        ASSERT_TRUE(parent.CreateTop(360, 220));
        ASSERT_TRUE(ctrl.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 360, 220), &parent, 21));
        ASSERT_EQ(ctrl.InsertColumn(0, "任务", HDF_LEFT, 150), 0);
        ASSERT_EQ(ctrl.InsertColumn(1, "开始", HDF_CENTER, 90), 1);
        ASSERT_EQ(ctrl.InsertColumn(2, "完成", HDF_RIGHT, 60), 2);
        CTreeCtrl& tree = ctrl.GetTreeCtrl();
        work = tree.InsertItem("工作\t9:00\t50%\t");
        a = tree.InsertItem("写报告\t10:00\t100%\t", work);
        b = tree.InsertItem("开会\t14:00", work); // fewer parts than columns
        c = tree.InsertItem("回邮件\t16:00\t0%\t", work);
        home = tree.InsertItem("家务\t\t\t");
        tree.Expand(work, TVE_EXPAND);
        parent.sizes[TVN_SELCHANGED] = sizeof(NMTREEVIEW);
        parent.notes.clear();
    }
    void Click(HTREEITEM item, WPARAM keys = 0) {
        CRect r;
        ctrl.GetTreeCtrl().GetItemRect(item, &r, TRUE);
        CPoint p(r.left + 4, r.CenterPoint().y);
        ctrl.GetTreeCtrl().SendMessage(WM_LBUTTONDOWN, MK_LBUTTON | keys, MAKELPARAM(p.x, p.y));
        ctrl.GetTreeCtrl().SendMessage(WM_LBUTTONUP, keys, MAKELPARAM(p.x, p.y));
    }
    std::vector<HTREEITEM> Selected() {
        std::vector<HTREEITEM> out;
        auto& t = ctrl.GetTreeCtrl();
        for (HTREEITEM h = t.GetFirstSelected(); h; h = t.GetNextSelected(h))
            out.push_back(h);
        return out;
    }
    BOOL ChangeWidth(int column, int width) {
        HDITEM hd{};
        hd.mask = HDI_WIDTH;
        hd.cxy = width;
        return ctrl.GetHeaderCtrl().SetItem(column, &hd);
    }
};

TEST_F(ColumnTreeCtrlTest, TextPartsAndReplacingOneColumn) {
    struct Case {
        const char* text;
        int part;
        const char* expect;
    } cases[] = {
        {"工作\t9:00\t50%\t", 0, "工作"},
        {"工作\t9:00\t50%\t", 2, "50%"},
        {"开会\t14:00", 2, ""},
        {"开会\t14:00", 1, "14:00"},
        {"", 0, ""},
        {"\t\t", 1, ""},
    };
    for (auto& cs : cases)
        EXPECT_EQ(ColumnTreeTextPart(cs.text, cs.part), CString(cs.expect)) << cs.text;

    ctrl.SetItemText(a, 2, "80%");
    EXPECT_EQ(ctrl.GetTreeCtrl().GetItemText(a), CString("写报告\t10:00\t80%\t"));
    // A row with fewer parts gets every part, each ended by a tab.
    ctrl.SetItemText(b, 2, "10%");
    EXPECT_EQ(ctrl.GetTreeCtrl().GetItemText(b), CString("开会\t14:00\t10%\t"));
    EXPECT_EQ(ctrl.GetItemText(b, 1), CString("14:00"));
}

TEST_F(ColumnTreeCtrlTest, FirstColumnKeepsItsMinimumAndTheChangeAfterARereadIsRefusedOnce) {
    // Right after the widths were read again the next change is refused once.
    EXPECT_FALSE(ChangeWidth(1, 40));
    EXPECT_TRUE(ChangeWidth(1, 40));
    EXPECT_EQ(ctrl.GetColumnWidth(1), 40);
    EXPECT_FALSE(ChangeWidth(0, 90)) << "the accepted change re-read the widths";
    EXPECT_FALSE(ChangeWidth(0, 90)) << "below the first column's minimum";
    EXPECT_EQ(ctrl.GetColumnWidth(0), 150);
    EXPECT_TRUE(ChangeWidth(0, 100));
    EXPECT_EQ(ctrl.GetColumnWidth(0), 100);
    // Other columns may shrink to nothing.
    ChangeWidth(2, 0);
    EXPECT_TRUE(ChangeWidth(2, 0));
    EXPECT_EQ(ctrl.GetColumnWidth(2), 0);
    EXPECT_EQ(ctrl.GetTreeCtrl().m_firstColumnWidth, 100);
}

// Every accepted step re-reads the widths and so gets the next step refused: whether the drag
// has an odd or an even number of steps, the column must still end where the mouse let go.
TEST_F(ColumnTreeCtrlTest, ADividerDragEndsAtTheMouseWhateverStepWasRefused) {
    struct Case {
        std::vector<int> steps; // x of each move; the first divider starts at 150
        int expect;
    } cases[] = {
        {{160}, 160},
        {{160, 170}, 170},
        {{160, 170, 180}, 180},
        {{160, 170, 180, 190}, 190},
        {{140, 120, 130}, 130},
        // Below the minimum: the last width the parent took stays.
        {{140, 130, 95, 80}, 130},
        {{110, 120, 90}, 120},
    };
    CHeaderCtrl& header = ctrl.GetHeaderCtrl();
    for (auto& cs : cases) {
        ctrl.UpdateColumns();
        ChangeWidth(0, 150); // refused: the re-read above
        ASSERT_TRUE(ChangeWidth(0, 150));
        ASSERT_EQ(ctrl.GetColumnWidth(0), 150);
        header.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(150, 8));
        for (int x : cs.steps)
            header.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, 8));
        header.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(cs.steps.back(), 8));
        EXPECT_EQ(ctrl.GetColumnWidth(0), cs.expect) << cs.steps.size() << " steps";
        EXPECT_GE(ctrl.GetColumnWidth(0), 100);
        EXPECT_EQ(ctrl.GetTreeCtrl().m_firstColumnWidth, ctrl.GetColumnWidth(0));
    }
}

TEST_F(ColumnTreeCtrlTest, HorizontalBarOnlyWhenTheColumnsOverflow) {
    CRect header, tree, client;
    ctrl.GetClientRect(&client);
    ctrl.GetHeaderCtrl().GetWindowRect(&header);
    ctrl.GetTreeCtrl().GetWindowRect(&tree);
    EXPECT_FALSE(ctrl.GetScrollBar().IsWindowVisible());
    EXPECT_EQ(tree.Height(), client.Height() - header.Height());

    ChangeWidth(2, 1); // spend the refusal
    ASSERT_TRUE(ChangeWidth(2, 300));
    EXPECT_TRUE(ctrl.GetScrollBar().IsWindowVisible());
    ctrl.GetTreeCtrl().GetWindowRect(&tree);
    EXPECT_EQ(tree.Height(), client.Height() - header.Height() - GetSystemMetrics(SM_CYHSCROLL));

    SCROLLINFO si{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
    ASSERT_TRUE(ctrl.GetScrollBar().GetScrollInfo(&si));
    EXPECT_EQ(si.nMax, 150 + 90 + 300);
    EXPECT_EQ((int)si.nPage, client.Width());
    // Scrolling moves the header and the tree together, within the content.
    ctrl.SendMessage(WM_HSCROLL, SB_LINERIGHT, (LPARAM)ctrl.GetScrollBar().m_hWnd);
    EXPECT_EQ(ctrl.GetScrollOffset(), 15);
    ctrl.SendMessage(WM_HSCROLL, SB_RIGHT, (LPARAM)ctrl.GetScrollBar().m_hWnd);
    int total = 150 + 90 + 300;
    EXPECT_EQ(ctrl.GetScrollOffset(), total - client.Width());
    CRect h;
    ctrl.GetHeaderCtrl().GetWindowRect(&h);
    ctrl.ScreenToClient(&h);
    EXPECT_EQ(h.left, -(total - client.Width()));
    ctrl.SendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 5000),
                     (LPARAM)ctrl.GetScrollBar().m_hWnd);
    EXPECT_EQ(ctrl.GetScrollOffset(), total - client.Width());
    ctrl.SendMessage(WM_HSCROLL, SB_LEFT, (LPARAM)ctrl.GetScrollBar().m_hWnd);
    EXPECT_EQ(ctrl.GetScrollOffset(), 0);
}

TEST_F(ColumnTreeCtrlTest, MultipleSelectionWithCtrlShiftAndCtrlA) {
    Click(a);
    EXPECT_EQ(Selected(), (std::vector<HTREEITEM>{a}));
    Click(c, MK_CONTROL);
    EXPECT_EQ(Selected(), (std::vector<HTREEITEM>{a, c}));
    EXPECT_EQ(ctrl.GetTreeCtrl().GetSelectedItem(), c);
    Click(a, MK_CONTROL);
    EXPECT_EQ(Selected(), (std::vector<HTREEITEM>{c}));
    // Shift after Ctrl-clicks: one run in visible order, the rest cleared.
    Click(home, MK_CONTROL);
    Click(work, MK_SHIFT);
    EXPECT_EQ(Selected(), (std::vector<HTREEITEM>{work, a, b, c, home}));
    Click(b);
    EXPECT_EQ(Selected(), (std::vector<HTREEITEM>{work, a, b, c, home}))
        << "a press on a selected item keeps the selection";
    Click(home, MK_CONTROL);
    Click(home, MK_CONTROL);
    ctrl.GetTreeCtrl().SetItemState(b, 0, TVIS_SELECTED);
    Click(b);
    EXPECT_EQ(Selected(), (std::vector<HTREEITEM>{b})) << "a plain click clears the others";
    ctrl.GetTreeCtrl().SendMessage(WM_KEYDOWN, 'A');
    EXPECT_EQ(Selected().size(), 1u) << "A without Ctrl is a plain key";
    ctrl.GetTreeCtrl().Expand(work, TVE_COLLAPSE);
    ctrl.GetTreeCtrl().SelectAll(TRUE);
    // The hidden caret moved up to the collapsed item; hidden rows stay out of "all".
    EXPECT_EQ(Selected(), (std::vector<HTREEITEM>{work, home})) << "visible items only";
    EXPECT_EQ(ctrl.GetTreeCtrl().GetLastSelected(), home);
    EXPECT_EQ(ctrl.GetTreeCtrl().GetPrevSelected(home), work);
    ctrl.GetTreeCtrl().SelectChildren(work);
    EXPECT_EQ(Selected(), (std::vector<HTREEITEM>{work, a, b, c, home}));
    EXPECT_EQ(ctrl.GetTreeCtrl().GetNextSelectedSibling(a), b);
}

TEST_F(ColumnTreeCtrlTest, ParentHearsTheTreeAsTheControlAndAHookSeesMouseFirst) {
    Click(a);
    auto codes = parent.Codes();
    ASSERT_FALSE(parent.notes.empty());
    bool changed = false;
    for (auto& n : parent.notes)
        if (n.code == TVN_SELCHANGED) {
            changed = true;
            EXPECT_EQ(n.As<NMHDR>().hwndFrom, ctrl.m_hWnd);
            EXPECT_EQ(n.As<NMHDR>().idFrom, 21u);
            EXPECT_EQ(n.As<NMTREEVIEW>().itemNew.hItem, a);
        }
    EXPECT_TRUE(changed);

    struct Hook : CHookedWnd::IHooker {
        int seen = 0;
        BOOL OnHookedMessage(CWnd*, UINT message, WPARAM, LPARAM) override {
            ++seen;
            return message == WM_LBUTTONDOWN;
        }
    } hook;
    ctrl.GetTreeCtrl().SetHooker(&hook);
    Click(c);
    EXPECT_EQ(hook.seen, 2);
    EXPECT_EQ(Selected(), (std::vector<HTREEITEM>{a})) << "the hook consumed the press";
    ctrl.GetTreeCtrl().SetHooker(nullptr);

    // A deleted anchor is forgotten.
    ctrl.GetTreeCtrl().CKovTreeCtrlEnhancer::SelectItem(c, TRUE);
    ASSERT_EQ(ctrl.GetTreeCtrl().GetAnchor(), c);
    ctrl.GetTreeCtrl().DeleteItem(c);
    EXPECT_EQ(ctrl.GetTreeCtrl().GetAnchor(), nullptr);
}

TEST_F(ColumnTreeCtrlTest, APressedRowMovedWithTheButtonHeldBeginsADrag) {
    CTreeCtrl& tree = ctrl.GetTreeCtrl();
    parent.sizes[TVN_BEGINDRAG] = sizeof(NMTREEVIEW);
    auto begun = [&] {
        std::vector<HTREEITEM> items;
        for (auto& n : parent.notes)
            if (n.code == TVN_BEGINDRAG)
                items.push_back(n.As<NMTREEVIEW>().itemNew.hItem);
        parent.notes.clear();
        return items;
    };
    CRect r;
    tree.GetItemRect(b, &r, TRUE);
    const CPoint p(r.left + 4, r.CenterPoint().y);
    auto move = [&](CPoint to, WPARAM keys) {
        tree.SendMessage(WM_MOUSEMOVE, keys, MAKELPARAM(to.x, to.y));
    };
    // A small move is still a click; past the threshold the drag begins, once.
    tree.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    move(p + CPoint(1, 1), MK_LBUTTON);
    EXPECT_TRUE(begun().empty());
    move(p + CPoint(0, 30), MK_LBUTTON);
    move(p + CPoint(0, 40), MK_LBUTTON);
    EXPECT_EQ(begun(), (std::vector<HTREEITEM>{b}));
    tree.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y + 40));
    // Moves without the button, after the release, or from a press on no row begin nothing.
    move(p + CPoint(0, 30), 0);
    move(p + CPoint(0, 60), MK_LBUTTON);
    tree.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, 200));
    move(CPoint(p.x, 150), MK_LBUTTON);
    tree.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(p.x, 150));
    EXPECT_TRUE(begun().empty());
    // A row deleted between the press and the move is not dragged.
    tree.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    tree.DeleteItem(b);
    move(p + CPoint(0, 40), MK_LBUTTON);
    EXPECT_TRUE(begun().empty());
}

TEST_F(ColumnTreeCtrlTest, CellsAreDrawnInTheirColumns) {
    for (int i = 3; i < COLUMNTREE_MAX_COLUMNS; ++i)
        ASSERT_EQ(ctrl.InsertColumn(i, "", HDF_LEFT, 0), i);
    EXPECT_EQ(ctrl.InsertColumn(COLUMNTREE_MAX_COLUMNS, "多余", HDF_LEFT, 10), -1);

    CTreeCtrl& tree = ctrl.GetTreeCtrl();
    tree.SelectItem(a);
    CRect client;
    tree.GetClientRect(&client);
    QImage img(client.Width(), client.Height(), QImage::Format_RGB32);
    CDC dc;
    dc.AttachImage(&img);
    tree.SendMessage(WM_PAINT, (WPARAM)dc.GetSafeHdc(), 0);
    // Text pixels of a row within a column span.
    auto inked = [&](HTREEITEM item, int left, int right) {
        CRect r;
        tree.GetItemRect(item, &r, FALSE);
        QColor bg = AfxQColor(GetSysColor(COLOR_WINDOW));
        for (int y = r.top + 2; y < r.bottom - 2; ++y)
            for (int x = left; x < right; ++x) {
                QColor p = img.pixel(x, y);
                if (p != bg && p.lightness() < 120)
                    return true;
            }
        return false;
    };
    EXPECT_TRUE(inked(c, 150 + 9, 240 - 3)) << "the start time";
    EXPECT_TRUE(inked(c, 240 + 9, 300 - 3)) << "the share done";
    EXPECT_FALSE(inked(b, 240 + 9, 300 - 3)) << "a missing part is an empty cell";
    // The right-aligned column's text ends at its right edge.
    EXPECT_TRUE(inked(c, 280, 297));
    EXPECT_FALSE(inked(c, 240 + 10, 262));
    ASSERT_TRUE(parent.SaveScreenshot(ScreenPath("column-tree").c_str()));

    // A selected row of a full-row tree: the highlight runs across every column, and the
    // other cells' text stands out of it in the highlight's text colour.
    tree.ModifyStyle(0, TVS_FULLROWSELECT);
    tree.SelectItem(c);
    img.fill(Qt::white);
    tree.SendMessage(WM_PAINT, (WPARAM)dc.GetSafeHdc(), 0);
    const QColor highlight = AfxQColor(GetSysColor(COLOR_HIGHLIGHT));
    const QColor highlightText = AfxQColor(GetSysColor(COLOR_HIGHLIGHTTEXT));
    CRect selectedRow;
    tree.GetItemRect(c, &selectedRow, FALSE);
    const int mid = selectedRow.CenterPoint().y;
    for (int x : {100, 150 + 4, 240 + 4, 300 - 4})
        EXPECT_EQ(QColor(img.pixel(x, mid)), highlight) << x;
    auto lettered = [&](int left, int right) {
        for (int y = selectedRow.top + 2; y < selectedRow.bottom - 2; ++y)
            for (int x = left; x < right; ++x)
                if (QColor(img.pixel(x, y)) == highlightText)
                    return true;
        return false;
    };
    EXPECT_TRUE(lettered(150 + 9, 240 - 3)) << "the selected row's start time";
    EXPECT_TRUE(lettered(240 + 9, 300 - 3)) << "the selected row's share done";
    CRect other;
    tree.GetItemRect(b, &other, FALSE);
    EXPECT_NE(QColor(img.pixel(200, other.CenterPoint().y)), highlight) << "a row not selected";
}

} // namespace
