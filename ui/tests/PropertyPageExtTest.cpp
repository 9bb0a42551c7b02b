#include "platform/gui/ToolTipCtrl.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "platform/gui/Dialog.h"
#include "ui/PropertyPageExt.h"

#include <QAbstractItemView>
#include <QComboBox>

#include <QApplication>
#include <QDir>
#include <QTest>
#include <cstring>
#include <vector>

namespace {

constexpr UINT kContactPage = 8320;

const UINT kLabels[] = {8330, 8331, 8332};
const UINT kIcons[] = {8340, 0, 8342};
const SFieldItem kFields[] = {
    {8350, FIELD_WIDTH_TO_MIDDLE}, {8351, FIELD_WIDTH_TO_MIDDLE}, {8352, FIELD_WIDTH_TO_RIGHT}};
const UINT kLabels2[] = {8360, 8361, 0};
const SFieldItem kFields2[] = {{8370, FIELD_WIDTH_TO_RIGHT}, {8371, FIELD_WIDTH_KEEP}, {0, 0}};

class CContactPage : public CPropertyPageExt {
public:
    explicit CContactPage(int rows = 3, bool twoColumns = true)
        : CPropertyPageExt(kContactPage, 0) {
        m_layoutTopItem = 8321;
        m_rowCount = rows;
        m_labelIds = kLabels;
        m_iconIds = kIcons;
        m_fieldItems = kFields;
        if (twoColumns) {
            m_labelIds2 = kLabels2;
            m_fieldItems2 = kFields2;
        }
    }
    BOOL OnInitDialog() override {
        CPropertyPageExt::OnInitDialog();
        const UINT edits[] = {8350, 8351, 8352, 8370};
        HookEnterEscapeItems(edits, 4);
        return TRUE;
    }
    int menus = 0;
    void ShowContextMenu(CWnd*, CPoint) override { ++menus; }
};

// Counts what reaches a sheet from its pages.
class CContactSheet : public CPropertySheet {
public:
    CContactSheet() : CPropertySheet("联系人") {}
    std::vector<std::pair<WPARAM, LPARAM>> changes;
    int menus = 0;
    LRESULT OnChanged(WPARAM w, LPARAM l) {
        changes.emplace_back(w, l);
        return 1;
    }
    void OnContextMenu(CWnd*, CPoint) { ++menus; }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CContactSheet, CPropertySheet)
ON_MESSAGE(WM_PAGEEXT_CHANGED, &CContactSheet::OnChanged)
ON_WM_CONTEXTMENU()
END_MESSAGE_MAP()

class PropertyPageExtTest : public GuiTest {
protected:
    CRect Item(CPropertyPageExt& page, UINT id) {
        CRect rc;
        EXPECT_TRUE(page.GetItemRect(id, &rc)) << id;
        return rc;
    }
    static int FocusId() {
        CWnd* f = CWnd::GetFocus();
        return f ? f->GetDlgCtrlID() : 0;
    }
};

TEST_F(PropertyPageExtTest, RowsSpreadOverTheAreaInTwoColumns) {
    CContactSheet sheet;
    CContactPage page;
    sheet.AddPage(&page);
    ASSERT_TRUE(sheet.Create());
    sheet.ShowWindow(SW_SHOW);
    int keptWidth = Item(page, 8371).Width();
    page.LayoutFieldRows();
    CRect area;
    page.GetLayoutRect(&area);
    CRect client;
    page.GetClientRect(&client);
    EXPECT_EQ(area.top, Item(page, 8321).bottom + client.Height() / 15);
    EXPECT_EQ(area.left, client.left + 5);
    int middle = (area.left + area.right) / 2;

    // The first row at the top, the last field ending at the bottom, equal gaps between.
    EXPECT_EQ(Item(page, 8330).top, area.top);
    EXPECT_NEAR(Item(page, 8352).bottom, area.bottom, 1);
    int gap1 = Item(page, 8331).top - Item(page, 8350).bottom;
    int gap2 = Item(page, 8332).top - Item(page, 8351).bottom;
    EXPECT_NEAR(gap1, page.CalcRowGap(), 1.0);
    EXPECT_NEAR(gap2, page.CalcRowGap(), 1.0);
    for (int i = 0; i < 3; ++i) {
        CRect label = Item(page, kLabels[i]), field = Item(page, kFields[i].id);
        EXPECT_EQ(label.left, area.left + 34) << i;
        EXPECT_EQ(field.left, label.right + 1) << i;
        EXPECT_EQ(field.top, label.top) << i;
    }
    EXPECT_EQ(Item(page, 8350).right, middle - 5);
    EXPECT_EQ(Item(page, 8351).right, middle - 5);
    EXPECT_EQ(Item(page, 8352).right, area.right);
    EXPECT_EQ(Item(page, 8371).Width(), keptWidth);
    EXPECT_EQ(Item(page, 8371).left, Item(page, 8361).right + 1);
    CRect icon = Item(page, 8340), label = Item(page, 8330);
    EXPECT_EQ(icon.left, area.left);
    EXPECT_EQ(icon.top, label.top - (icon.Height() - label.Height()) / 2);
    // The second column starts at the middle, on the rows that have one.
    EXPECT_EQ(Item(page, 8360).left, middle + 34);
    EXPECT_EQ(Item(page, 8360).top, label.top);
    EXPECT_EQ(Item(page, 8370).left, Item(page, 8360).right + 1);
    EXPECT_EQ(Item(page, 8370).right, area.right);
    EXPECT_EQ(Item(page, 8361).top, Item(page, 8331).top);
    QDir().mkpath(QUILLMAR_SCREENS_DIR);
    QImage shot = sheet.GetWidget()->grab().toImage();
    EXPECT_TRUE(shot.save(QString::fromStdString(ScreenPath("page-two-columns")), "PNG"));
    sheet.DestroyWindow();
}

TEST_F(PropertyPageExtTest, SingleRowStandsAtTheTop) {
    CContactSheet sheet;
    CContactPage page(1, false);
    sheet.AddPage(&page);
    ASSERT_TRUE(sheet.Create());
    EXPECT_EQ(page.CalcRowGap(), 0.0f);
    page.LayoutFieldRows();
    CRect area;
    page.GetLayoutRect(&area);
    EXPECT_EQ(Item(page, 8330).top, area.top);
    sheet.DestroyWindow();
}

TEST_F(PropertyPageExtTest, EnterAndEscapeMoveThroughTheFieldsAndNeverCloseTheSheet) {
    CContactSheet sheet;
    CContactPage page;
    sheet.AddPage(&page);
    ASSERT_TRUE(sheet.Create());
    sheet.ShowWindow(SW_SHOW);
    sheet.SetForegroundWindow();
    page.GetDlgItem(8350)->SetFocus();
    ASSERT_TRUE(WaitFor([] { return FocusId() == 8350; }));
    struct Step {
        Qt::Key key;
        int focus;
    } steps[] = {{Qt::Key_Return, 8351}, {Qt::Key_Return, 8352},
                 // The multi-line field keeps its Enter.
                 {Qt::Key_Return, 8352}, {Qt::Key_Escape, 8351},
                 {Qt::Key_Escape, 8350}};
    for (const Step& s : steps) {
        QTest::keyClick(QApplication::focusWidget(), s.key);
        EXPECT_TRUE(WaitFor([&] { return FocusId() == s.focus; }, 500)) << s.focus;
        ASSERT_TRUE(sheet.m_hWnd && sheet.IsWindowVisible());
    }
    // A close request through the message loop does nothing to a page.
    MSG close{page.m_hWnd, WM_CLOSE, 0, 0, 0, {}};
    EXPECT_TRUE(page.PreTranslateMessage(&close));
    sheet.DestroyWindow();
}

TEST_F(PropertyPageExtTest, ChangesAndContextMenusGoToTheSheet) {
    CContactSheet sheet;
    CContactPage page;
    sheet.AddPage(&page);
    ASSERT_TRUE(sheet.Create());
    EXPECT_EQ(page.SetChanged(TRUE), 1);
    EXPECT_EQ(page.SetChanged(FALSE), 0);
    EXPECT_EQ(page.SetChanged(TRUE), 1);
    EXPECT_TRUE(page.IsChanged());
    EXPECT_EQ(sheet.changes, (std::vector<std::pair<WPARAM, LPARAM>>{{100, 0}, {100, 0}}));
    page.SendMessage(WM_CONTEXTMENU, (WPARAM)page.m_hWnd, MAKELPARAM(10, 10));
    EXPECT_TRUE(WaitFor([&] { return sheet.menus == 1; }));
    EXPECT_EQ(page.menus, 0);
    sheet.DestroyWindow();

    // A plain sheet neither switches nor loses a page over a change report.
    CPropertySheet plain("普通");
    CContactPage pages[2];
    plain.AddPage(&pages[0]);
    plain.AddPage(&pages[1]);
    ASSERT_TRUE(plain.Create());
    plain.SetActivePage(1);
    EXPECT_EQ(pages[1].SetChanged(TRUE), 0);
    EXPECT_EQ(plain.GetActiveIndex(), 1);
    EXPECT_EQ(plain.GetPageCount(), 2);
    plain.DestroyWindow();
}

TEST_F(PropertyPageExtTest, ToolTipsComeFromTheStringTable) {
    CContactSheet sheet;
    CContactPage page;
    sheet.AddPage(&page);
    ASSERT_TRUE(sheet.Create());
    const CString longTip = CString("一二三四五六七八九十一二三四五六七八九十") +
                            "一二三四五六七八九十一二三四五六七八九";
    struct Row {
        UINT_PTR id;
        UINT flags;
        BOOL handled;
        CString tip;
    } rows[] = {
        {8350, 0, TRUE, "办公室、家里或手机的电话号码"},
        {(UINT_PTR)page.GetDlgItem(8350)->m_hWnd, TTF_IDISHWND, TRUE, "办公室、家里或手机的电话号码"},
        {8302, 0, TRUE, ""},        // no second part: an empty tip
        {8351, 0, TRUE, longTip},   // 80 bytes of text: 78 go in, no half character
        {8399, 0, FALSE, "未动"},   // no such string
        {0, 0, FALSE, "未动"},
    };
    for (const Row& r : rows) {
        NMTTDISPINFO info{};
        info.hdr.hwndFrom = sheet.m_hWnd;
        info.hdr.idFrom = r.id;
        info.hdr.code = TTN_NEEDTEXT;
        info.uFlags = r.flags;
        std::strcpy(info.szText, "未动");
        LRESULT result = 7;
        EXPECT_EQ(page.OnNotify(0, (LPARAM)&info, &result), r.handled) << r.id;
        EXPECT_EQ(CString(info.szText), r.tip) << r.id;
        if (r.handled) {
            EXPECT_EQ(result, 0);
        }
    }
    sheet.DestroyWindow();
}

// A page with an edit, a drop-down list, an editable combo box and an edit, all hooked.
class COptionsPage : public CPropertyPageExt {
public:
    COptionsPage() : CPropertyPageExt(8410, 0) {}
    BOOL OnInitDialog() override {
        CPropertyPageExt::OnInitDialog();
        const UINT edits[] = {8411, 8414};
        HookEnterEscapeItems(edits, 2);
        for (UINT id : {8412u, 8413u}) {
            auto* combo = static_cast<CComboBox*>(GetDlgItem((int)id));
            combo->AddString("甲");
            combo->AddString("乙");
            hooked += HookComboItem(id) ? 1 : 0;
        }
        return TRUE;
    }
    void FocusNextItem() override {
        ++nexts;
        CPropertyPageExt::FocusNextItem();
    }
    int hooked = 0;
    int nexts = 0;
};

TEST_F(PropertyPageExtTest, EnterAndEscapeInHookedCombosOfAModalSheet) {
    CPropertySheet sheet("选项");
    COptionsPage page;
    sheet.AddPage(&page);
    bool ran = false;
    AfxSetModalDialogHook([&](CDialog& d) {
        ran = true;
        EXPECT_EQ(page.hooked, 2);
        page.GetDlgItem(8411)->SetFocus();
        ASSERT_TRUE(WaitFor([] { return FocusId() == 8411; }));
        struct Step {
            Qt::Key key;
            int focus;
        } steps[] = {{Qt::Key_Return, 8412}, {Qt::Key_Return, 8413}, {Qt::Key_Return, 8414},
                     {Qt::Key_Escape, 8413}, {Qt::Key_Escape, 8412}, {Qt::Key_Escape, 8411}};
        for (const Step& st : steps) {
            QTest::keyClick(QApplication::focusWidget(), st.key);
            EXPECT_TRUE(WaitFor([&] { return FocusId() == st.focus; }, 500)) << st.focus;
            ASSERT_TRUE(d.m_hWnd && d.IsWindowVisible()) << "the sheet stays open";
        }
        // Enter in the dropped list picks the item and goes no further, even when its release
        // reaches the combo box once the list is gone.
        auto* combo = static_cast<CComboBox*>(page.GetDlgItem(8413));
        combo->SetFocus();
        ASSERT_TRUE(WaitFor([] { return FocusId() == 8413; }));
        combo->SetCurSel(0);
        int nextsBefore = page.nexts;
        combo->ShowDropDown(TRUE);
        auto* qt = static_cast<QComboBox*>(combo->GetWidget());
        QTest::keyClick(qt->view(), Qt::Key_Down);
        QTest::keyClick(qt->view(), Qt::Key_Return);
        QTest::keyRelease(qt, Qt::Key_Return);
        Pump();
        EXPECT_FALSE(combo->GetDroppedState());
        EXPECT_EQ(combo->GetCurSel(), 1);
        EXPECT_EQ(page.nexts, nextsBefore) << "the page did not move on";
        d.EndDialog(IDOK);
    });
    EXPECT_EQ(sheet.DoModal(), IDOK);
    AfxSetModalDialogHook(nullptr);
    EXPECT_TRUE(ran);
}

} // namespace
