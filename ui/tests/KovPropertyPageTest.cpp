#include "platform/gui/Controls.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "ui/KovPropertyPage.h"

#include <QFile>
#include <QTemporaryDir>
#include <vector>

namespace {

constexpr UINT kPageTemplate = 8300;

// A page that fills field 8301 from its member while it initialises and reports every edit.
class CNamePage : public CKovPropertyPage {
public:
    CNamePage() : CKovPropertyPage(kPageTemplate) {}
    CString m_name = "张三";
    void DoDataExchange(CDataExchange* pDX) override { DDX_Text(pDX, 8301, m_name); }
    void OnNameChange() { OnPageChanged(); }
    void SetNotifyFirstChange(BOOL b) { m_notifyFirstChange = b; }
    void SetDescriptionFile(const CString& path) { m_descriptionFile = path; }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CNamePage, CKovPropertyPage)
ON_EN_CHANGE(8301, &CNamePage::OnNameChange)
END_MESSAGE_MAP()

// A host that records the reports and, as hosts do, moves the focus to its own list.
class CReportHost : public CWnd {
public:
    std::vector<std::pair<WPARAM, LPARAM>> reports;
    CListBox list;
    LRESULT OnReport(WPARAM w, LPARAM l) {
        reports.emplace_back(w, l);
        list.SetFocus();
        return 5;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CReportHost, CWnd)
ON_MESSAGE(WM_KOVPAGE_CHANGED, &CReportHost::OnReport)
END_MESSAGE_MAP()

class KovPropertyPageTest : public GuiTest {
protected:
    CReportHost host;
    void SetUp() override {
        ASSERT_TRUE(host.CreateEx(0, nullptr, "宿主", WS_POPUP | WS_VISIBLE, CRect(0, 0, 400, 300),
                                  nullptr, 0));
        ASSERT_TRUE(host.list.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 50, 100), &host, 9));
    }
};

TEST_F(KovPropertyPageTest, ChildPageIsUsableAndReportsOnlyTheFirstChange) {
    CNamePage page;
    page.SetPageId(3);
    ASSERT_TRUE(page.Create(nullptr, nullptr, 0, CRect(), &host, 77));
    EXPECT_EQ(page.GetParent(), &host);
    EXPECT_EQ(page.GetDlgCtrlID(), 77);
    EXPECT_TRUE(page.GetStyle() & WS_CHILD);
    EXPECT_TRUE(page.IsWindowEnabled()); // the template says WS_DISABLED
    // Filling the field during initialisation is not a change of the user's.
    EXPECT_FALSE(page.IsPageModified());
    EXPECT_TRUE(host.reports.empty());

    CWnd* edit = page.GetDlgItem(8301);
    page.ShowWindow(SW_SHOW);
    host.SetForegroundWindow();
    edit->SetFocus();
    ASSERT_TRUE(WaitFor([&] { return CWnd::GetFocus() == edit; }));
    edit->SetWindowText("李四");
    ASSERT_EQ(host.reports.size(), 1u);
    EXPECT_EQ(host.reports[0], std::make_pair((WPARAM)3, (LPARAM)TRUE));
    EXPECT_TRUE(page.IsPageModified());
    Pump();
    EXPECT_EQ(CWnd::GetFocus(), edit); // the host's reaction did not take the focus
    edit->SetWindowText("王五");
    EXPECT_EQ(host.reports.size(), 1u);
    // The host saved: the next change is the first again.
    EXPECT_EQ(page.SetPageModified(FALSE, FALSE), 0);
    edit->SetWindowText("赵六");
    EXPECT_EQ(host.reports.size(), 2u);
    EXPECT_EQ(page.SetPageModified(FALSE, TRUE), 5);
    EXPECT_EQ(host.reports.back(), std::make_pair((WPARAM)3, (LPARAM)FALSE));

    page.SetPageModified(FALSE, FALSE);
    page.SetNotifyFirstChange(FALSE);
    edit->SetWindowText("钱七");
    EXPECT_TRUE(page.IsPageModified());
    EXPECT_EQ(host.reports.size(), 3u);
    EXPECT_EQ(page.SetPageId(9), 3);
}

TEST_F(KovPropertyPageTest, MissingTemplateIsNotCreated) {
    CKovPropertyPage missing(8999);
    EXPECT_FALSE(missing.Create(nullptr, nullptr, 0, CRect(), &host, 1));
}

TEST_F(KovPropertyPageTest, DescriptionFileByPathOrText) {
    QTemporaryDir dir;
    QString path = dir.filePath("help.rtf");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("{\\rtf1 \xd7\xa2\xd2\xe2}"); // GBK text inside
    }
    CNamePage page;
    ASSERT_TRUE(page.Create(nullptr, nullptr, 0, CRect(), &host, 1));
    struct Row {
        CString file;
        WPARAM mode;
        CString expected;
    } rows[] = {
        {CString(path.toLocal8Bit().constData()), 1, CString(path.toLocal8Bit().constData())},
        {CString(path.toLocal8Bit().constData()), 0, CString("{\\rtf1 \xd7\xa2\xd2\xe2}")},
        {CString(dir.filePath("none.rtf").toLocal8Bit().constData()), 0, CString()},
        {CString(), 0, CString()},
        {CString(), 1, CString()},
    };
    for (const Row& r : rows) {
        page.SetDescriptionFile(r.file);
        CString out = "旧的内容";
        EXPECT_EQ(page.SendMessage(WM_KOVPAGE_DESCRIPTION, r.mode, (LPARAM)&out), 0);
        EXPECT_EQ(out, r.expected) << r.file.GetString() << " mode " << r.mode;
    }
}

// A sheet that listens to its pages.
class CListeningSheet : public CPropertySheet {
public:
    CListeningSheet() : CPropertySheet("监听") {}
    std::vector<WPARAM> ids;
    LRESULT OnReport(WPARAM w, LPARAM) {
        ids.push_back(w);
        return 1;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CListeningSheet, CPropertySheet)
ON_MESSAGE(WM_KOVPAGE_CHANGED, &CListeningSheet::OnReport)
END_MESSAGE_MAP()

TEST_F(KovPropertyPageTest, ReportsNeverSwitchOrRemovePagesOfAPlainSheet) {
    CPropertySheet sheet("普通");
    CNamePage pages[3];
    for (CNamePage& p : pages)
        sheet.AddPage(&p);
    ASSERT_TRUE(sheet.Create());
    sheet.SetActivePage(1);
    for (int id : {-1, 0, 1, 2, 3}) {
        pages[1].SetPageId(id);
        EXPECT_EQ(pages[1].SetPageModified(TRUE, TRUE), 0);
        EXPECT_EQ(sheet.GetPageCount(), 3) << id;
        EXPECT_EQ(sheet.GetActiveIndex(), 1) << id;
    }
    sheet.DestroyWindow();

    CListeningSheet listening;
    CNamePage page;
    listening.AddPage(&page);
    ASSERT_TRUE(listening.Create());
    page.SetPageId(0);
    EXPECT_EQ(page.SetPageModified(TRUE, TRUE), 1);
    EXPECT_EQ(listening.ids, std::vector<WPARAM>{0});
    EXPECT_EQ(listening.GetPageCount(), 1);
    listening.DestroyWindow();
}

} // namespace
