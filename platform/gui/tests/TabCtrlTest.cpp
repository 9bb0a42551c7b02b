#include "NotifyRecorder.h"

#include "platform/gui/TabCtrl.h"

#include <QImage>
#include <map>

namespace {

class TabCtrlTest : public GuiTest {
protected:
    CNotifyRecorder parent;
    CTabCtrl tabs;

    void SetUp() override {
        ASSERT_TRUE(parent.CreateTop(320, 200));
        ASSERT_TRUE(
            tabs.Create(WS_CHILD | WS_VISIBLE | TCS_HOTTRACK, CRect(0, 0, 320, 200), &parent, 6));
        for (const char* name : {"常规", "联系方式", "备注"})
            tabs.InsertItem(tabs.GetItemCount(), name);
        parent.notes.clear();
    }
    void ClickTab(int i) {
        CRect r;
        ASSERT_TRUE(tabs.GetItemRect(i, &r));
        CPoint c = r.CenterPoint();
        tabs.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c.x, c.y));
        tabs.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(c.x, c.y));
    }
};

TEST_F(TabCtrlTest, AChoiceByThePersonAsksFirstTheProgramsDoesNot) {
    EXPECT_EQ(tabs.GetCurSel(), 0);
    ClickTab(2);
    EXPECT_EQ(tabs.GetCurSel(), 2);
    EXPECT_EQ(parent.Codes(), (std::vector<UINT>{TCN_SELCHANGING, TCN_SELCHANGE, (UINT)NM_CLICK}));
    EXPECT_EQ(parent.notes[0].As<NMHDR>().idFrom, 6u);

    // A page that will not let go (its data does not validate) keeps the tab.
    parent.notes.clear();
    parent.answers[TCN_SELCHANGING] = TRUE;
    ClickTab(1);
    tabs.SendMessage(WM_KEYDOWN, VK_LEFT);
    EXPECT_EQ(tabs.GetCurSel(), 2);
    for (UINT c : parent.Codes())
        EXPECT_NE(c, TCN_SELCHANGE);

    parent.notes.clear();
    EXPECT_EQ(tabs.SendMessage(TCM_SETCURSEL, 0), 2);
    EXPECT_EQ(tabs.GetCurSel(), 0);
    EXPECT_TRUE(parent.Codes().empty());
    EXPECT_EQ(tabs.SetCurSel(7), -1);

    parent.answers.clear();
    tabs.SendMessage(WM_KEYDOWN, VK_RIGHT);
    EXPECT_EQ(tabs.GetCurSel(), 1);
}

TEST_F(TabCtrlTest, ItemsKeepTheSelectionInStep) {
    tabs.SetCurSel(1);
    // Inserting before the selected tab moves the selection with its tab.
    TCITEM tc{};
    tc.mask = TCIF_TEXT | TCIF_PARAM;
    tc.pszText = const_cast<LPSTR>("首页");
    tc.lParam = 42;
    ASSERT_EQ(tabs.SendMessage(TCM_INSERTITEM, 0, (LPARAM)&tc), 0);
    EXPECT_EQ(tabs.GetCurSel(), 2);
    char buf[16] = {};
    TCITEM get{};
    get.mask = TCIF_TEXT | TCIF_PARAM;
    get.pszText = buf;
    get.cchTextMax = sizeof buf;
    ASSERT_TRUE(tabs.GetItem(2, &get));
    EXPECT_STREQ(buf, "联系方式");
    // A short buffer takes whole characters only.
    get.cchTextMax = 6;
    ASSERT_TRUE(tabs.GetItem(2, &get));
    EXPECT_STREQ(buf, "联系");
    get.cchTextMax = sizeof buf;
    ASSERT_TRUE(tabs.GetItem(0, &get));
    EXPECT_EQ(get.lParam, 42);
    // Deleting the selected tab leaves none selected; deleting one before it shifts it.
    ASSERT_TRUE(tabs.DeleteItem(0));
    EXPECT_EQ(tabs.GetCurSel(), 1);
    ASSERT_TRUE(tabs.DeleteItem(1));
    EXPECT_EQ(tabs.GetCurSel(), -1);
    EXPECT_EQ(tabs.GetItemCount(), 2);
}

TEST_F(TabCtrlTest, DisplayAreaAndHitTests) {
    for (DWORD bottom : {(DWORD)0, (DWORD)TCS_BOTTOM}) {
        tabs.ModifyStyle(TCS_BOTTOM, bottom);
        CRect tab;
        tabs.GetItemRect(1, &tab);
        CRect area(0, 0, 320, 200);
        tabs.AdjustRect(FALSE, &area);
        EXPECT_FALSE(area.IsRectEmpty());
        CRect overlap;
        EXPECT_FALSE(overlap.IntersectRect(&area, &tab)) << "the pages go beside the tabs";
        if (bottom) {
            EXPECT_LE(area.bottom, tab.top);
        } else {
            EXPECT_GE(area.top, tab.bottom);
        }
        // Growing the display area back gives the window rectangle.
        tabs.SendMessage(TCM_ADJUSTRECT, TRUE, (LPARAM)(RECT*)&area);
        EXPECT_EQ(area, CRect(0, 0, 320, 200));

        TCHITTESTINFO hi{tab.CenterPoint(), 0};
        EXPECT_EQ(tabs.SendMessage(TCM_HITTEST, 0, (LPARAM)&hi), 1);
        EXPECT_EQ(hi.flags, (UINT)TCHT_ONITEMLABEL);
        TCHITTESTINFO miss{CPoint(300, 100), 0};
        EXPECT_EQ(tabs.HitTest(&miss), -1);
        EXPECT_EQ(miss.flags, (UINT)TCHT_NOWHERE);
    }
    tabs.ModifyStyle(TCS_BOTTOM, 0);
}

TEST_F(TabCtrlTest, TabsThatDoNotFitScrollIntoView) {
    for (int i = 0; i < 12; ++i)
        tabs.InsertItem(tabs.GetItemCount(), "很长的一页名字");
    int last = tabs.GetItemCount() - 1;
    tabs.SetCurSel(last);
    CRect r;
    tabs.GetItemRect(last, &r);
    EXPECT_FALSE(r.IsRectEmpty());
    EXPECT_LE(r.right, 320);
    tabs.GetItemRect(0, &r);
    EXPECT_TRUE(r.IsRectEmpty()) << "the first tabs scrolled out of sight";
    ASSERT_TRUE(parent.SaveScreenshot(ScreenPath("tab-control").c_str()));
}

// The row each tab is on, counted from the one next to the display area.
std::vector<int> RowsAway(CTabCtrl& tabs, bool bottom) {
    CRect area(0, 0, 320, 200);
    tabs.AdjustRect(FALSE, &area);
    std::vector<int> out;
    for (int i = 0; i < tabs.GetItemCount(); ++i) {
        CRect r;
        tabs.GetItemRect(i, &r);
        int gap = bottom ? r.top - area.bottom : area.top - r.bottom;
        out.push_back(gap / std::max(1, (int)r.Height()));
    }
    return out;
}

TEST_F(TabCtrlTest, SeveralRowsWithTheSelectedRowNextToThePages) {
    for (const char* name : {"家庭住址", "工作单位", "生日纪念", "照片"})
        tabs.InsertItem(tabs.GetItemCount(), name);
    EXPECT_EQ(tabs.GetRowCount(), 1) << "one scrolling row without the style";
    tabs.ModifyStyle(0, TCS_MULTILINE);
    int rows = (int)tabs.SendMessage(TCM_GETROWCOUNT);
    ASSERT_GE(rows, 2);
    CRect first, tab;
    tabs.GetItemRect(0, &first);

    for (DWORD bottom : {(DWORD)0, (DWORD)TCS_BOTTOM}) {
        tabs.ModifyStyle(TCS_BOTTOM, bottom);
        tabs.SetCurSel(0);
        // The display area gives way to every row, and growing it back gives the window.
        CRect area(0, 0, 320, 200);
        tabs.AdjustRect(FALSE, &area);
        EXPECT_EQ(bottom ? 200 - area.bottom : area.top, rows * first.Height() + 2 + 2);
        tabs.AdjustRect(TRUE, &area);
        EXPECT_EQ(area, CRect(0, 0, 320, 200));

        std::vector<int> away = RowsAway(tabs, bottom != 0);
        EXPECT_EQ(away[0], 0);
        int last = tabs.GetItemCount() - 1;
        ASSERT_GT(away[(size_t)last], 0) << "the last tab is on another row";
        // Choosing a tab on a back row brings its row forward; the rows keep their turn.
        ClickTab(last);
        ASSERT_EQ(tabs.GetCurSel(), last);
        std::vector<int> now = RowsAway(tabs, bottom != 0);
        EXPECT_EQ(now[(size_t)last], 0);
        for (size_t i = 0; i < now.size(); ++i)
            EXPECT_EQ(now[i], (away[i] - away[(size_t)last] + rows) % rows) << i;
        // Every tab can be hit where it is now drawn.
        for (int i = 0; i <= last; ++i) {
            tabs.GetItemRect(i, &tab);
            TCHITTESTINFO hi{tab.CenterPoint(), 0};
            EXPECT_EQ(tabs.HitTest(&hi), i);
        }
    }
    tabs.ModifyStyle(TCS_BOTTOM, 0);

    // Full rows are stretched to the width; TCS_RAGGEDRIGHT leaves them as they are.
    auto rowEnds = [&] {
        std::map<int, int> right; // top -> rightmost edge
        for (int i = 0; i < tabs.GetItemCount(); ++i) {
            tabs.GetItemRect(i, &tab);
            right[tab.top] = std::max(right[tab.top], (int)tab.right);
        }
        return right;
    };
    for (auto [top, right] : rowEnds())
        EXPECT_EQ(right, 318) << top;
    tabs.ModifyStyle(0, TCS_RAGGEDRIGHT);
    int shorter = 0;
    for (auto [top, right] : rowEnds())
        shorter += right < 318;
    EXPECT_GT(shorter, 0);
    ASSERT_TRUE(parent.SaveScreenshot(ScreenPath("tab-control-rows").c_str()));

    // Once they fit on one row there is one row again, and none without tabs.
    while (tabs.GetItemCount() > 2)
        tabs.DeleteItem(tabs.GetItemCount() - 1);
    EXPECT_EQ(tabs.GetRowCount(), 1);
    tabs.DeleteAllItems();
    EXPECT_EQ(tabs.GetRowCount(), 0);
}

} // namespace
