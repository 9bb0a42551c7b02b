#include "GuiTestSupport.h"

#include "platform/gui/FormView.h"
#include "platform/gui/MessageBox.h"

#include <QImage>
#include <QTest>
#include <vector>

namespace {

enum { IDD_FORM = 7400, IDC_NAME = 7401, IDC_AGE, IDC_FAVOURITE, IDC_GROUP, IDC_FAR };

class CContactForm : public CFormView {
public:
    CContactForm() : CFormView(IDD_FORM) {}
    CBrush ground{RGB(35, 132, 228)};
    BOOL blue = FALSE;
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
        if (blue && nCtlColor == CTLCOLOR_DLG)
            return ground;
        return CFormView::OnCtlColor(pDC, pWnd, nCtlColor);
    }
    DECLARE_MESSAGE_MAP()
public:
    CString name = "张三";
    int age = 30;
    int favourite = 1;
    int group = 1;
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Text(pDX, IDC_NAME, name);
        DDX_Text(pDX, IDC_AGE, age);
        DDV_MinMaxInt(pDX, age, 0, 150);
        DDX_Check(pDX, IDC_FAVOURITE, favourite);
        DDX_CBIndex(pDX, IDC_GROUP, group);
    }
};

BEGIN_MESSAGE_MAP(CContactForm, CFormView)
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

class FormViewTest : public GuiTest {
protected:
    CWnd host;
    CContactForm* form = nullptr; // deletes itself with its window
    std::vector<CString> boxes;
    MessageBoxHook oldHook;

    void SetUp() override {
        oldHook = AfxSetMessageBoxHook([this](const MessageBoxCall& call) {
            boxes.push_back(call.text);
            return IDOK;
        });
        ASSERT_TRUE(host.CreateEx(0, nullptr, "host", WS_POPUP | WS_VISIBLE, CRect(0, 0, 700, 500),
                                  nullptr, 0));
        form = new CContactForm;
        ASSERT_TRUE(form->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 240, 160),
                                 &host, AFX_IDW_PANE_FIRST));
    }
    void TearDown() override {
        host.DestroyWindow();
        AfxSetMessageBoxHook(oldHook);
    }
    CRect RectOf(int id) const { return RectIn(form->GetDlgItem(id), form); }
    int FocusId() const {
        CWnd* f = CWnd::GetFocus();
        return f ? f->GetDlgCtrlID() : 0;
    }
};

TEST_F(FormViewTest, TheTemplatesControlsFillTheFormWhichScrollsWhenLarger) {
    for (int id : {IDC_NAME, IDC_AGE, IDC_FAVOURITE, IDC_GROUP, IDC_FAR})
        EXPECT_NE(form->GetDlgItem(id), nullptr) << id;
    auto* group = static_cast<CComboBox*>(form->GetDlgItem(IDC_GROUP));
    EXPECT_EQ(group->GetCount(), 2) << "initial rows of the template";
    EXPECT_EQ(form->GetDlgItem(IDC_NAME)->GetFont()->m_hObject, form->GetFont()->m_hObject);

    // The far button lies outside the view until the form is scrolled to its end.
    CSize total = form->GetTotalSize();
    CRect client;
    form->GetClientRect(&client);
    EXPECT_GT(total.cx, 240);
    EXPECT_GT(total.cy, 160);
    EXPECT_EQ(form->GetStyle() & (WS_HSCROLL | WS_VSCROLL), (DWORD)(WS_HSCROLL | WS_VSCROLL));
    CRect far = RectOf(IDC_FAR);
    EXPECT_GT(far.right, client.right);
    form->SendMessage(WM_VSCROLL, SB_BOTTOM, 0);
    form->SendMessage(WM_HSCROLL, SB_RIGHT, 0);
    CPoint pos = form->GetScrollPosition();
    EXPECT_EQ(pos, CPoint(total.cx - client.Width(), total.cy - client.Height()));
    EXPECT_EQ(RectOf(IDC_FAR), far - pos);
    CRect visible;
    EXPECT_TRUE(visible.IntersectRect(RectOf(IDC_FAR), client));
    EXPECT_EQ(visible, RectOf(IDC_FAR)) << "wholly in view";
    Pump();
    ASSERT_TRUE(form->SaveScreenshot(ScreenPath("form-view-scrolled").c_str()));

    // The form asks itself for its background, as a dialog does.
    form->blue = TRUE;
    form->Invalidate();
    Pump();
    QImage shot = form->GetWidget()->grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(10, 10)), QColor(35, 132, 228));

    // Room for the whole template: no bars, and the controls back where the template has them.
    form->MoveWindow(0, 0, 700, 500);
    EXPECT_EQ(form->GetStyle() & (WS_HSCROLL | WS_VSCROLL), 0u);
    EXPECT_EQ(RectOf(IDC_FAR), far);
}

TEST_F(FormViewTest, DataGoesToTheControlsFirstAndIsReadBackChecked) {
    form->SendMessage(WM_INITIALUPDATE);
    CString text;
    form->GetDlgItemText(IDC_NAME, text);
    EXPECT_STREQ(text, "张三");
    EXPECT_EQ(form->GetDlgItemInt(IDC_AGE), 30u);
    EXPECT_EQ(form->IsDlgButtonChecked(IDC_FAVOURITE), 1u);
    EXPECT_EQ(form->SendDlgItemMessage(IDC_GROUP, CB_GETCURSEL), 1);

    form->SetDlgItemText(IDC_NAME, "李四");
    form->SetDlgItemText(IDC_AGE, "41");
    form->CheckDlgButton(IDC_FAVOURITE, 0);
    form->SendDlgItemMessage(IDC_GROUP, CB_SETCURSEL, 0);
    ASSERT_TRUE(form->UpdateData(TRUE));
    EXPECT_STREQ(form->name, "李四");
    EXPECT_EQ(form->age, 41);
    EXPECT_EQ(form->favourite, 0);
    EXPECT_EQ(form->group, 0);
    EXPECT_TRUE(boxes.empty());

    // A refused value stops the exchange at its control and leaves the members after it alone.
    struct Case {
        const char* age;
    };
    for (const Case& c : {Case{"四十"}, Case{"200"}}) {
        boxes.clear();
        form->SetDlgItemText(IDC_AGE, c.age);
        form->CheckDlgButton(IDC_FAVOURITE, 1);
        EXPECT_FALSE(form->UpdateData(TRUE)) << c.age;
        EXPECT_EQ(boxes.size(), 1u) << c.age;
        EXPECT_EQ(form->favourite, 0) << c.age;
    }
}

TEST_F(FormViewTest, TabWalksTheControlsAndTheViewHandsTheFocusOn) {
    host.SetForegroundWindow();
    form->SetFocus();
    ASSERT_TRUE(WaitFor([&] { return FocusId() == IDC_NAME; })) << "first control takes it";
    const int order[] = {IDC_AGE, IDC_FAVOURITE, IDC_GROUP, IDC_FAR, IDC_NAME};
    for (int id : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(FocusId(), id);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(FocusId(), IDC_FAR);

    // Leaving the view and coming back returns to the control that had the focus.
    CEdit other;
    ASSERT_TRUE(other.Create(WS_CHILD | WS_VISIBLE, CRect(400, 0, 500, 20), &host, 99));
    form->OnActivateView(FALSE, nullptr, form);
    other.SetFocus();
    form->SetFocus();
    EXPECT_EQ(FocusId(), IDC_FAR);
}

TEST_F(FormViewTest, AMissingTemplateMakesNoForm) {
    auto* missing = new CFormView(7499); // gone with its window when the creation fails
    EXPECT_FALSE(missing->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 100),
                                 &host, AFX_IDW_PANE_FIRST + 1));
    EXPECT_EQ(host.GetDlgItem(AFX_IDW_PANE_FIRST + 1), nullptr);
}

} // namespace
