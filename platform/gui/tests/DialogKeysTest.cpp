#include "GuiTestSupport.h"

#include "platform/gui/DateTimeCtrl.h"
#include "platform/gui/Dialog.h"

#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <vector>

namespace {

enum {
    IDD_KEYS = 7110,
    IDC_NAME = 7111,
    IDC_SOLAR,
    IDC_LUNAR,
    IDC_UNKNOWN,
    IDC_SAVE,
    IDC_COLOUR,
    IDC_CUSTOM,
    IDC_APPLY,
    IDC_NAME_LABEL,
    IDC_ROWS
};

// A control class of the program that templates name by its class name.
class CCustomCtl : public CWnd {};

const bool kRegistered = [] {
    AfxRegisterControlClass<CCustomCtl>("QuillmarTestClass");
    return true;
}();

// Records the commands of its buttons and chooses colours for its controls.
class CKeysDlg : public CDialog {
public:
    CKeysDlg() : CDialog(IDD_KEYS) {}
    std::vector<UINT> clicks;
    CBrush yellow{RGB(255, 255, 0)};
    CBrush dialogGround{RGB(0, 0, 128)};
    std::vector<UINT> kindsAsked;

    void OnApply() { clicks.push_back(IDC_APPLY); }
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
        kindsAsked.push_back(nCtlColor);
        if (nCtlColor == CTLCOLOR_DLG)
            return dialogGround;
        if (pWnd->GetDlgCtrlID() == IDC_NAME_LABEL || pWnd->GetDlgCtrlID() == IDC_NAME) {
            pDC->SetTextColor(RGB(255, 0, 0));
            pDC->SetBkMode(TRANSPARENT);
            return yellow;
        }
        return CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CKeysDlg, CDialog)
ON_BN_CLICKED(IDC_APPLY, &CKeysDlg::OnApply)
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

class DialogKeysTest : public GuiTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(dlg.Create(IDD_KEYS));
        dlg.ShowWindow(SW_SHOW);
        Pump();
    }
    void TearDown() override { dlg.DestroyWindow(); }
    QWidget* Item(int id) const { return dlg.GetDlgItem(id)->GetWidget(); }
    int FocusId() const {
        CWnd* f = CWnd::GetFocus();
        return f ? f->GetDlgCtrlID() : 0;
    }
    CKeysDlg dlg;
};

TEST_F(DialogKeysTest, TemplateDataFillsListsAndRegisteredClassesMakeTheirObjects) {
    auto* colour = static_cast<CComboBox*>(dlg.GetDlgItem(IDC_COLOUR));
    ASSERT_EQ(colour->GetCount(), 2);
    CString s;
    colour->GetLBText(1, s);
    EXPECT_EQ(s, CString("绿色"));
    auto* rows = static_cast<CListBox*>(dlg.GetDlgItem(IDC_ROWS));
    ASSERT_EQ(rows->GetCount(), 2);
    rows->GetText(0, s);
    EXPECT_EQ(s, CString("甲"));
    EXPECT_NE(dynamic_cast<CCustomCtl*>(dlg.GetDlgItem(IDC_CUSTOM)), nullptr);
}

TEST_F(DialogKeysTest, ArrowsMoveWithinTheRadioGroupAndChooseAsTheyGo) {
    dlg.CheckRadioButton(IDC_SOLAR, IDC_UNKNOWN, IDC_SOLAR);
    dlg.GotoDlgCtrl(dlg.GetDlgItem(IDC_SOLAR));
    struct Step {
        Qt::Key key;
        int focus;
    } steps[] = {{Qt::Key_Right, IDC_LUNAR},
                 {Qt::Key_Down, IDC_UNKNOWN},
                 {Qt::Key_Down, IDC_SOLAR}, // the group wraps round
                 {Qt::Key_Left, IDC_UNKNOWN},
                 {Qt::Key_Up, IDC_LUNAR}};
    for (const Step& s : steps) {
        QTest::keyClick(QApplication::focusWidget(), s.key);
        EXPECT_EQ(FocusId(), s.focus);
        EXPECT_EQ(dlg.GetCheckedRadioButton(IDC_SOLAR, IDC_UNKNOWN), s.focus);
    }
    // An edit keeps its arrows.
    dlg.GotoDlgCtrl(dlg.GetDlgItem(IDC_NAME));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(FocusId(), IDC_NAME);
}

TEST_F(DialogKeysTest, MnemonicsFocusClickOrLeadPastTheirLabel) {
    dlg.GotoDlgCtrl(dlg.GetDlgItem(IDC_COLOUR));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::AltModifier);
    EXPECT_EQ(FocusId(), IDC_SAVE);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_SAVE), 1u) << "a check box is clicked";

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_N, Qt::AltModifier);
    EXPECT_EQ(FocusId(), IDC_NAME) << "the label's letter leads to the edit after it";

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::AltModifier);
    EXPECT_EQ(dlg.clicks, std::vector<UINT>{IDC_APPLY});
    EXPECT_EQ(FocusId(), IDC_NAME) << "a push button is pressed where it is";

    // Typing into the edit is typing, not a mnemonic.
    QTest::keyClicks(QApplication::focusWidget(), "l");
    EXPECT_EQ(FocusId(), IDC_NAME);
    // From a button, a plain letter acts as its mnemonic.
    dlg.GotoDlgCtrl(dlg.GetDlgItem(IDC_SAVE));
    QTest::keyClicks(QApplication::focusWidget(), "l");
    EXPECT_EQ(FocusId(), IDC_LUNAR);
    EXPECT_EQ(dlg.GetCheckedRadioButton(IDC_SOLAR, IDC_UNKNOWN), IDC_LUNAR);

    dlg.GetDlgItem(IDC_APPLY)->EnableWindow(FALSE);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::AltModifier);
    EXPECT_EQ(dlg.clicks.size(), 1u) << "a disabled control has no mnemonic";
}

TEST_F(DialogKeysTest, ParentColoursStaticsEditsAndTheDialog) {
    // The first paint asks for the colours; the picture after it shows them.
    dlg.GetWidget()->grab();
    Pump();
    QImage shot = dlg.GetWidget()->grab().toImage();
    dlg.SaveScreenshot(GuiTest::ScreenPath("dialog-colours").c_str());
    std::vector<UINT> kinds = dlg.kindsAsked;
    auto asked = [&](UINT k) { return std::find(kinds.begin(), kinds.end(), k) != kinds.end(); };
    EXPECT_TRUE(asked(CTLCOLOR_DLG));
    EXPECT_TRUE(asked(CTLCOLOR_STATIC));
    EXPECT_TRUE(asked(CTLCOLOR_EDIT));
    EXPECT_TRUE(asked(CTLCOLOR_LISTBOX));

    QWidget* label = Item(IDC_NAME_LABEL);
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(label->palette().color(QPalette::Window), QColor(255, 255, 0));
    EXPECT_TRUE(label->autoFillBackground());
    EXPECT_EQ(Item(IDC_NAME)->palette().color(QPalette::Base), QColor(255, 255, 0));
    EXPECT_EQ(Item(IDC_NAME)->palette().color(QPalette::Text), QColor(255, 0, 0));
    QPoint corner = dlg.GetWidget()->rect().bottomLeft() + QPoint(2, -2);
    EXPECT_EQ(shot.pixelColor(corner * shot.devicePixelRatio()), QColor(0, 0, 128));

    // Controls nobody colours keep their own palette.
    EXPECT_NE(Item(IDC_ROWS)->palette().color(QPalette::Base), QColor(255, 255, 0));
}

TEST_F(DialogKeysTest, ArrowsInAListOrACombinedBoxChooseTheirRows) {
    auto* rows = static_cast<CListBox*>(dlg.GetDlgItem(IDC_ROWS));
    rows->SetCurSel(0);
    dlg.GotoDlgCtrl(rows);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(IDC_ROWS, FocusId());
    EXPECT_EQ(1, rows->GetCurSel());
    auto* colour = static_cast<CComboBox*>(dlg.GetDlgItem(IDC_COLOUR));
    colour->SetCurSel(0);
    dlg.GotoDlgCtrl(colour);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(IDC_COLOUR, FocusId());
    EXPECT_EQ(1, colour->GetCurSel());
}

TEST_F(DialogKeysTest, ADateTimePickerKeepsItsArrowsAndDigits) {
    CDateTimeCtrl picker;
    ASSERT_TRUE(picker.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP | DTS_UPDOWN, CRect(4, 4, 120, 28),
                              &dlg, 7190));
    picker.SetFormat("HH:mm");
    SYSTEMTIME st{2026, 12, 0, 11, 9, 30, 0, 0};
    ASSERT_TRUE(picker.SetTime(&st));
    auto* editor = qobject_cast<QDateTimeEdit*>(picker.GetWidget());
    ASSERT_NE(editor, nullptr);
    dlg.GotoDlgCtrl(&picker);
    Pump();
    editor->setCurrentSection(QDateTimeEdit::HourSection);
    auto hour = [&] {
        SYSTEMTIME now{};
        picker.GetTime(&now);
        return (int)now.wHour;
    };
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(hour(), 8) << "the arrow steps the hour";
    EXPECT_EQ(FocusId(), 7190) << "and does not move to another control";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    EXPECT_EQ(hour(), 10);
    editor->setSelectedSection(QDateTimeEdit::HourSection);
    QTest::keyClicks(QApplication::focusWidget(), "01");
    EXPECT_EQ(hour(), 1) << "digits are typed into the hour";
    EXPECT_EQ(FocusId(), 7190);
    picker.DestroyWindow();
}

// A page laid into the dialog (inside a holder window, as a navigation bar holds it): Tab goes
// through the page's controls in the holder's place and on out of the page again.
TEST_F(DialogKeysTest, TabEntersAPageLaidIntoTheDialogAndLeavesItAgain) {
    CWnd holder;
    ASSERT_TRUE(holder.CreateEx(WS_EX_CONTROLPARENT, nullptr, "", WS_CHILD | WS_VISIBLE,
                                CRect(0, 0, 200, 100), &dlg, 7429));
    CDialog page;
    ASSERT_TRUE(page.Create(7420, &holder));
    page.ShowWindow(SW_SHOW);
    dlg.GotoDlgCtrl(dlg.GetDlgItem(IDOK));
    struct Step {
        Qt::KeyboardModifiers mods;
        int focus;
    } steps[] = {{Qt::NoModifier, 7421},     {Qt::NoModifier, 7422},
                 {Qt::NoModifier, IDC_NAME}, // round to the dialog's first control
                 {Qt::ShiftModifier, 7422},  {Qt::ShiftModifier, 7421},
                 {Qt::ShiftModifier, IDOK}};
    for (const Step& s : steps) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, s.mods);
        EXPECT_EQ(s.focus, FocusId());
    }
    // A hidden page is passed over.
    page.ShowWindow(SW_HIDE);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(IDC_NAME, FocusId());
    page.DestroyWindow();
    holder.DestroyWindow();
}

class DialogFocusMarksTest : public GuiTest {};

// Every kind of control that Tab reaches shows that it has the focus: its picture changes
// (Qt's styles frame a focused button or drop-down list only once the keyboard has been used).
TEST_F(DialogFocusMarksTest, EveryKindOfControlReachedByTabShowsItsFocus) {
    CDialog dlg(7430);
    ASSERT_TRUE(dlg.Create(7430));
    dlg.ShowWindow(SW_SHOW);
    Pump();
    dlg.GetDlgItem(7431)->SetFocus();
    ASSERT_TRUE(WaitFor([&] { return CWnd::GetFocus() == dlg.GetDlgItem(7431); }));
    const struct {
        int id;
        const char* kind;
    } kinds[] = {{7432, "push button"}, {7433, "drop-down list"}, {7434, "combo box"},
                 {7435, "check box"},   {7436, "radio button"},   {7437, "date picker"},
                 {7438, "last push button"}};
    for (const auto& k : kinds) {
        QWidget* w = dlg.GetDlgItem(k.id)->GetWidget();
        QImage without = w->grab().toImage();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        CWnd* focus = CWnd::GetFocus();
        ASSERT_TRUE(focus && (focus->GetDlgCtrlID() == k.id ||
                              dlg.GetDlgItem(k.id)->IsChild(focus)))
            << k.kind;
        EXPECT_NE(without, w->grab().toImage()) << k.kind << " shows no focus";
    }
    dlg.DestroyWindow();
}

// A control placed after a sibling (SetWindowPos with that sibling) comes right after it in
// the dialog's order, so Tab reaches it next, and the rest keep their order.
TEST_F(DialogFocusMarksTest, AControlPlacedAfterASiblingComesNextInTabOrder) {
    CDialog dlg(7430);
    ASSERT_TRUE(dlg.Create(7430));
    dlg.ShowWindow(SW_SHOW);
    Pump();
    CWnd* last = dlg.GetDlgItem(7438);
    last->SetWindowPos(dlg.GetDlgItem(7431), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_EQ(last, dlg.GetDlgItem(7431)->GetWindow(GW_HWNDNEXT));
    EXPECT_EQ(dlg.GetDlgItem(7432), last->GetWindow(GW_HWNDNEXT));
    dlg.GotoDlgCtrl(dlg.GetDlgItem(7431));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(last, CWnd::GetFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(dlg.GetDlgItem(7432), CWnd::GetFocus());
    // Placed after the last control, it becomes the last one.
    last->SetWindowPos(dlg.GetDlgItem(7437), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_EQ(last, dlg.GetDlgItem(7437)->GetWindow(GW_HWNDNEXT));
    EXPECT_EQ(nullptr, last->GetWindow(GW_HWNDNEXT));
    dlg.DestroyWindow();
}

} // namespace
