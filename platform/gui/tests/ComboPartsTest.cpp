#include "GuiTestSupport.h"

#include "platform/gui/Controls.h"
#include "platform/gui/Dc.h"
#include "platform/gui/WndProc.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <vector>

namespace {

// The messages a window procedure hook saw, with the tag of the hook that saw them.
struct Seen {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    char tag;
    bool operator==(const Seen&) const = default;
};
std::vector<Seen> g_seen;

LRESULT RecordA(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == LB_SETCURSEL || m == LB_SETTOPINDEX || m == WM_APP || m == WM_CHAR)
        g_seen.push_back({h, m, w, 'A'});
    return AfxCallPreviousWndProc(&RecordA, h, m, w, l);
}
LRESULT RecordB(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_APP)
        g_seen.push_back({h, m, w, 'B'});
    return AfxCallPreviousWndProc(&RecordB, h, m, w, l);
}

// A combo box that swallows typed characters, as a class of the program may.
class CSwallowingCombo : public CComboBox {
public:
    int chars = 0;
    HBRUSH OnCtlColor(CDC*, CWnd* pWnd, UINT nCtlColor) {
        asked.push_back({pWnd ? pWnd->GetClassName() : CString(), nCtlColor});
        return brush;
    }
    void OnChar(UINT, UINT, UINT) { ++chars; }
    void DrawItem(LPDRAWITEMSTRUCT dis) override { drawn.push_back({dis->itemID, dis->itemState}); }
    std::vector<std::pair<CString, UINT>> asked;
    std::vector<std::pair<UINT, UINT>> drawn;
    CBrush brush{RGB(150, 210, 242)};
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CSwallowingCombo, CComboBox)
ON_WM_CTLCOLOR()
ON_WM_CHAR()
END_MESSAGE_MAP()

class ComboPartsTest : public GuiTest {
protected:
    void SetUp() override {
        g_seen.clear();
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "宿主", WS_OVERLAPPEDWINDOW, 100, 100, 400, 300,
                                    nullptr, nullptr));
        parent.ShowWindow(SW_SHOW);
    }
    void TearDown() override { parent.DestroyWindow(); }
    CWnd parent;
};

TEST_F(ComboPartsTest, EditableComboHasItsEditAsFirstChildAndTypingReachesIt) {
    CSwallowingCombo combo;
    ASSERT_TRUE(combo.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWN | WS_TABSTOP,
                             CRect(10, 10, 200, 200), &parent, 31));
    CWnd* edit = combo.GetWindow(GW_CHILD);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->GetClassName().CompareNoCase("Edit"), 0);
    EXPECT_EQ(edit->GetDlgCtrlID(), 1001);
    EXPECT_EQ(edit->GetParent(), &combo);
    // The edit's own messages work on the combo box's text.
    combo.SetWindowText("北京市");
    edit->SendMessage(EM_SETSEL, 2, -1);
    DWORD start = 0, end = 0;
    edit->SendMessage(EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    EXPECT_EQ(start, 2u);
    EXPECT_EQ(end, 6u);
    EXPECT_EQ(edit->SendMessage(EM_SCROLLCARET), TRUE);

    // Typing reaches the edit (through its procedure) although the combo box takes no WM_CHAR.
    combo.SetWindowText("");
    ASSERT_TRUE(AfxHookWndProc(edit->m_hWnd, &RecordA));
    combo.SetFocus();
    QTest::keyClicks(combo.GetWidget(), "bj");
    CString text;
    combo.GetWindowText(text);
    EXPECT_EQ(text, CString("bj"));
    EXPECT_EQ(combo.chars, 0);
    EXPECT_EQ(g_seen, (std::vector<Seen>{{edit->m_hWnd, WM_CHAR, 'b', 'A'},
                                         {edit->m_hWnd, WM_CHAR, 'j', 'A'}}));

    // A drop-down list has no edit.
    CComboBox list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, CRect(10, 40, 200, 200),
                            &parent, 32));
    EXPECT_EQ(list.GetWindow(GW_CHILD), nullptr);
}

TEST_F(ComboPartsTest, SelectionAndTopRowMovesPassThroughTheListWindow) {
    CSwallowingCombo combo;
    ASSERT_TRUE(
        combo.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWN, CRect(10, 10, 200, 200), &parent, 31));
    for (int i = 0; i < 50; ++i) {
        CString s;
        s.Format("城市%02d", i);
        combo.AddString(s);
    }
    combo.ShowDropDown(TRUE);
    ASSERT_TRUE(WaitFor([&] { return combo.GetDroppedState(); }));
    // The list window asked the combo box for its colours as it dropped.
    ASSERT_FALSE(combo.asked.empty());
    EXPECT_EQ(combo.asked.front().first.CompareNoCase("ComboLBox"), 0);
    EXPECT_EQ(combo.asked.front().second, (UINT)CTLCOLOR_LISTBOX);
    auto* qt = static_cast<QComboBox*>(combo.GetWidget());
    EXPECT_EQ(qt->view()->palette().color(QPalette::Base), QColor(150, 210, 242));

    CWnd* list = CWnd::FromWidget(qt->view());
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(AfxHookWndProc(list->m_hWnd, &RecordA));
    EXPECT_EQ(combo.SendMessage(CB_SETTOPINDEX, 15), 0);
    EXPECT_EQ(list->SendMessage(LB_GETTOPINDEX), 15);
    EXPECT_EQ(combo.SetCurSel(41), 41);
    EXPECT_EQ(list->SendMessage(LB_GETCURSEL), 41);
    EXPECT_EQ(combo.SendMessage(CB_SETTOPINDEX, 50), CB_ERR);
    EXPECT_EQ(g_seen, (std::vector<Seen>{{list->m_hWnd, LB_SETTOPINDEX, 15, 'A'},
                                         {list->m_hWnd, LB_SETCURSEL, 41, 'A'}}));
    CString text;
    combo.GetWindowText(text);
    EXPECT_EQ(text, CString("城市41"));
    combo.ShowDropDown(FALSE);
    EXPECT_FALSE(combo.GetDroppedState());
}

// The list dropped with F4 from text typed into the edit opens on the first item that begins
// with that text, not on the item chosen before.
TEST_F(ComboPartsTest, AListDroppedFromTypedTextOpensOnTheItemThatBeginsWithIt) {
    CComboBox combo;
    ASSERT_TRUE(
        combo.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWN, CRect(10, 10, 200, 200), &parent, 31));
    for (int i = 0; i < 50; ++i) {
        CString s;
        s.Format("%d", 1981 + i);
        combo.AddString(s);
    }
    auto* qt = static_cast<QComboBox*>(combo.GetWidget());
    ASSERT_NE(nullptr, qt->lineEdit());
    struct Case {
        const char* typed;
        int chosenBefore;
        bool byKey; // F4, or the program's request (the text set by the program)
        int current;
    };
    const Case cases[] = {
        {"2026", -1, true, 45}, {"201", 3, true, 29}, {"1990", 40, true, 9}, {"2026", -1, false, 45}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        combo.SetCurSel(c.chosenBefore);
        if (c.byKey) {
            qt->lineEdit()->clear();
            QTest::keyClicks(qt->lineEdit(), c.typed);
            QTest::keyClick(qt->lineEdit(), Qt::Key_F4);
        } else {
            combo.SetWindowText(c.typed);
            combo.ShowDropDown(TRUE);
        }
        ASSERT_TRUE(WaitFor([&] { return combo.GetDroppedState(); }));
        Pump();
        EXPECT_EQ(c.current, qt->view()->currentIndex().row());
        EXPECT_TRUE(qt->view()->selectionModel()->isRowSelected(c.current, QModelIndex()));
        CString text;
        combo.GetWindowText(text);
        EXPECT_EQ(CString(c.typed), text) << "the typed text stays until an item is chosen";
        combo.ShowDropDown(FALSE);
    }
}

TEST_F(ComboPartsTest, OwnerDrawnComboDrawsItsSelectionFieldAndRows) {
    CSwallowingCombo combo;
    ASSERT_TRUE(
        combo.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                     CRect(10, 10, 200, 200), &parent, 31));
    combo.AddString("甲");
    combo.AddString("乙");
    combo.SetCurSel(1);
    combo.GetWidget()->grab();
    ASSERT_FALSE(combo.drawn.empty());
    EXPECT_EQ(combo.drawn.back().first, 1u);
    EXPECT_TRUE(combo.drawn.back().second & ODS_COMBOBOXEDIT);
    combo.drawn.clear();
    combo.ShowDropDown(TRUE);
    auto* qt = static_cast<QComboBox*>(combo.GetWidget());
    ASSERT_TRUE(WaitFor([&] { return qt->view()->isVisible(); }));
    qt->view()->viewport()->grab();
    ASSERT_GE(combo.drawn.size(), 2u);
    for (auto [item, state] : combo.drawn)
        EXPECT_FALSE(state & ODS_COMBOBOXEDIT) << item;
    combo.ShowDropDown(FALSE);
}

TEST_F(ComboPartsTest, EachHookedWindowKeepsItsOwnPreviousProcedure) {
    CWnd a, b;
    ASSERT_TRUE(a.Create(nullptr, "a", WS_CHILD, CRect(0, 0, 10, 10), &parent, 1));
    ASSERT_TRUE(b.Create(nullptr, "b", WS_CHILD, CRect(0, 0, 10, 10), &parent, 2));
    // a already has a hook in front of it; b has none. A second hook on both must keep each
    // window's own chain.
    ASSERT_TRUE(AfxHookWndProc(a.m_hWnd, &RecordA));
    ASSERT_TRUE(AfxHookWndProc(a.m_hWnd, &RecordB));
    ASSERT_TRUE(AfxHookWndProc(b.m_hWnd, &RecordB));
    ASSERT_TRUE(AfxHookWndProc(b.m_hWnd, &RecordB)); // twice does not loop
    a.SendMessage(WM_APP, 1);
    b.SendMessage(WM_APP, 2);
    ::PostMessage(b.m_hWnd, WM_APP, 3, 0);
    Pump();
    EXPECT_EQ(g_seen, (std::vector<Seen>{{a.m_hWnd, WM_APP, 1, 'B'},
                                         {a.m_hWnd, WM_APP, 1, 'A'},
                                         {b.m_hWnd, WM_APP, 2, 'B'},
                                         {b.m_hWnd, WM_APP, 3, 'B'}}));
    // The procedure belongs to the window: a new object taking the window over keeps it.
    CWnd taker;
    ASSERT_TRUE(taker.SubclassWindow(b.m_hWnd));
    g_seen.clear();
    taker.SendMessage(WM_APP, 4);
    EXPECT_EQ(g_seen, (std::vector<Seen>{{taker.m_hWnd, WM_APP, 4, 'B'}}));
    EXPECT_EQ((WNDPROC)GetWindowLongPtr(taker.m_hWnd, GWLP_WNDPROC), &RecordB);
    taker.DestroyWindow();
    a.DestroyWindow();
}

} // namespace
