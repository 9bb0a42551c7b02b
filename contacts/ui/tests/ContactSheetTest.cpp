#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <string>
#include <vector>

#include "contacts/tests/ContactsTestSupport.h"
#include "contacts/ui/PSheetNamebook.h"
#include "contacts/ui/tests/SheetHost.h"
#include "platform/gui/TabCtrl.h"
#include "platform/gui/tests/GuiTestSupport.h"

namespace {

using contacts_test::AddValue;

// The contacts form's part: hosts the sheet and records the change reports that reach it.
class CForm : public CWnd {
public:
    std::vector<std::pair<WPARAM, LPARAM>> reports;
    LRESULT OnReport(WPARAM wParam, LPARAM lParam) {
        reports.emplace_back(wParam, lParam);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CForm, CWnd)
ON_MESSAGE(WM_PAGEEXT_CHANGED, &CForm::OnReport)
END_MESSAGE_MAP()

class ContactSheetTest : public GuiTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenSheetInForm(form, sheet));
        Pump();
    }
    void TearDown() override {
        sheet.DestroyWindow();
        form.DestroyWindow();
    }
    static std::string Bytes(_CPersonInfo& info) { return contacts_test::StoredBytes(info); }
    int FocusId() {
        CWnd* f = CWnd::GetFocus();
        if (f && f->GetParent() && f->GetParent()->IsKindOf(RUNTIME_CLASS(CComboBox)))
            f = f->GetParent();
        return f ? f->GetDlgCtrlID() : 0;
    }

    CForm form;
    CPSheetNamebook sheet;
};

TEST_F(ContactSheetTest, AContactWithEveryFieldKindIsStoredBackByteIdentical) {
    _CPerson person("张三");
    contacts_test::FillEveryKind(person);
    _CPersonInfo& info = person.GetInfo();
    info.m_home.strPostCode = "510000";
    info.m_home.strSpouse = "李四";
    info.m_home.strMembers = "父亲\r\n母亲";
    AddValue(info.m_home.faxes, "020-1111");
    info.m_work.strCountry = "中国";
    info.m_work.strProvince = "浙江";
    info.m_work.strCity = "杭州";
    info.m_work.strTitle = "经理";
    AddValue(info.m_work.email, "zhang@example.com");
    info.m_work.email.SetCurrentIndex(0);
    info.m_address.strPostCode = "100080";
    info.m_address.strNote = "周末不在";
    info.m_personal.strPager = "95555";
    AddValue(info.m_personal.icq, "7788", "老友");
    info.m_extra.AddTail("照片\\家.jpg");
    const std::string before = Bytes(info);

    sheet.ExchangeContact(info, TRUE);
    sheet.SetAllPagesChanged(FALSE);
    EXPECT_FALSE(sheet.IsAnyPageChanged());
    _CPersonInfo out;
    out.m_personal.nReserved = info.m_personal.nReserved; // not shown on any page
    out.m_personal.nLinkMarker = info.m_personal.nLinkMarker;
    sheet.ExchangeContact(out, FALSE);
    EXPECT_EQ(Bytes(out), before);
    EXPECT_FALSE(sheet.IsAnyPageChanged());

    // Each of the six tabs shows its own picture.
    CTabCtrl* tabs = sheet.GetTabControl();
    ASSERT_NE(tabs, nullptr);
    ASSERT_NE(tabs->GetImageList(), nullptr);
    EXPECT_EQ(tabs->GetImageList()->GetImageCount(), 6);
    for (int i = 0; i < 6; ++i) {
        TCITEM item{};
        item.mask = TCIF_IMAGE;
        ASSERT_TRUE(tabs->GetItem(i, &item));
        EXPECT_EQ(item.iImage, i) << "tab " << i;
    }

    sheet.SetActivePage(CPSheetNamebook::PAGE_PERSON);
    Pump();
    QDir().mkpath(QUILLMAR_SCREENS_DIR);
    EXPECT_TRUE(sheet.GetWidget()->grab().toImage().save(
        QString::fromStdString(ScreenPath("contact-sheet")), "PNG"));
}

TEST_F(ContactSheetTest, PageSelectionWorksAndOnlyChangeReportsReachTheForm) {
    for (int page : {2, 5, 0, 3}) {
        EXPECT_TRUE(sheet.SetActivePage(page));
        EXPECT_EQ(sheet.GetActiveIndex(), page);
    }
    EXPECT_TRUE(form.reports.empty());
    EXPECT_FALSE(sheet.IsChanged());
    sheet.m_pageCommaddr.SetDlgItemText(CPageCommaddr::IDC_NOTE, "改了");
    ASSERT_FALSE(form.reports.empty());
    EXPECT_EQ(form.reports.back(), (std::pair<WPARAM, LPARAM>(100, 0)));
    EXPECT_TRUE(sheet.IsChanged());
    EXPECT_TRUE(sheet.IsAnyPageChanged());
    EXPECT_EQ(sheet.GetActiveIndex(), 3);
    sheet.SetAllPagesChanged(FALSE);
    EXPECT_FALSE(sheet.IsAnyPageChanged());
    // A read-only page reports nothing.
    form.reports.clear();
    sheet.m_pageCommaddr.SetReadOnly(TRUE);
    sheet.m_pageCommaddr.SetDlgItemText(CPageCommaddr::IDC_NOTE, "又改了");
    EXPECT_TRUE(form.reports.empty());
    EXPECT_FALSE(sheet.m_pageCommaddr.IsChanged());
}

TEST_F(ContactSheetTest, SelectingTheActivePageAgainFitsItToTheNewSize) {
    sheet.SetActivePage(CPSheetNamebook::PAGE_UNIT);
    CRect before;
    sheet.m_pageUnit.GetWindowRect(&before);
    // The form makes the sheet and its tabs smaller, then selects the page it shows again.
    sheet.SetWindowPos(nullptr, 0, 0, 500, 420, SWP_NOMOVE | SWP_NOZORDER);
    sheet.GetTabControl()->SetWindowPos(nullptr, 0, 0, 480, 400, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_TRUE(sheet.SetActivePage(CPSheetNamebook::PAGE_UNIT));
    EXPECT_EQ(sheet.GetActiveIndex(), CPSheetNamebook::PAGE_UNIT);
    CRect after;
    sheet.m_pageUnit.GetWindowRect(&after);
    EXPECT_LT(after.Width(), before.Width());
    EXPECT_LT(after.Height(), before.Height());
}

TEST_F(ContactSheetTest, ShowFieldStepsPageByPageToTheField) {
    const struct {
        int nField, nPage, nFocus;
    } cases[] = {{43, 4, 1030}, {48, 1, 1043}, {49, 2, 1043}, {41, 3, 1006},
                 {0, 0, 1022},  {18, 1, 1046}, {44, 4, 1037}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.nField);
        EXPECT_TRUE(sheet.ShowField(c.nField));
        EXPECT_EQ(sheet.GetActiveIndex(), c.nPage);
        EXPECT_EQ(FocusId(), c.nFocus);
    }
    // The modification time, the head picture and unknown numbers have no control.
    for (int nField : {45, 46, 47, -1, 50}) {
        const int active = sheet.GetActiveIndex();
        EXPECT_FALSE(sheet.ShowField(nField)) << nField;
        EXPECT_EQ(sheet.GetActiveIndex(), active);
    }
}

} // namespace
