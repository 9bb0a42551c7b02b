#include "NotifyRecorder.h"

#include "platform/gui/TabCtrl.h"

#include <QImage>

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

} // namespace
