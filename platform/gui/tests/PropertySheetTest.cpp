#include "GuiTestSupport.h"

#include "platform/gui/MessageBox.h"
#include "platform/gui/PropertySheet.h"
#include "platform/gui/Resource.h"

#include <QTest>
#include <string>
#include <vector>

namespace {

enum {
    IDD_GENERAL = 7640,
    IDD_ADVANCED = 7641,
    IDD_ABOUT = 7642,
    IDD_HOST = 7643,
    IDC_NAME = 7650,
    IDC_COUNT = 7651,
    IDC_SAVE = 7652,
    IDC_KIND = 7653,
    IDC_NOTE = 7654,
    IDC_TEXT = 7655,
    IDS_ADVANCED_TAB = 7660,
    IDS_SHEET_CAPTION = 7661,
};

const DWORD kPageStyle = DS_SETFONT | WS_CHILD | WS_CAPTION | WS_DISABLED;
const DWORD kEdit = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;
const DWORD kLabel = WS_CHILD | WS_VISIBLE | SS_LEFT;

const ResDialogItem kGeneralItems[] = {
    {"STATIC", "姓名:", IDC_STATIC, 7, 9, 40, 8, kLabel, 0},
    {"EDIT", "", IDC_NAME, 50, 7, 110, 13, kEdit, 0},
    {"STATIC", "数量(&U):", IDC_STATIC, 7, 27, 40, 8, kLabel, 0},
    {"EDIT", "", IDC_COUNT, 50, 25, 50, 13, kEdit, 0},
    {"BUTTON", "自动保存(&V)", IDC_SAVE, 7, 45, 80, 10,
     WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0},
};
const ResDialogItem kAdvancedItems[] = {
    {"STATIC", "类别:", IDC_STATIC, 7, 9, 40, 8, kLabel, 0},
    {"COMBOBOX", "", IDC_KIND, 50, 7, 80, 60, WS_CHILD | WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST,
     0},
    {"EDIT", "", IDC_NOTE, 7, 27, 150, 40,
     WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_MULTILINE | ES_WANTRETURN, 0},
};
const ResDialogItem kAboutItems[] = {
    {"STATIC", "墨川个人信息管理", IDC_TEXT, 7, 7, 150, 8, kLabel, 0},
};
const ResDialogItem kHostItems[] = {
    {"EDIT", "", IDC_TEXT, 7, 7, 100, 13, kEdit, 0},
};
// The advanced page is the largest, so it sets the size of the page area.
const ResDialog kDialogs[] = {
    {IDD_GENERAL, "常规", kPageStyle, 0, 0, 0, 180, 80, 9, "宋体", kGeneralItems, 5},
    {IDD_ADVANCED, "高级模板", kPageStyle, 0, 0, 0, 200, 100, 9, "宋体", kAdvancedItems, 3},
    {IDD_ABOUT, "关于", kPageStyle, 0, 0, 0, 160, 60, 9, "宋体", kAboutItems, 1},
    {IDD_HOST, "主窗口", DS_SETFONT | WS_POPUP | WS_CAPTION, 0, 0, 0, 260, 180, 9, "宋体",
     kHostItems, 1},
};
const ResString kStrings[] = {{IDS_ADVANCED_TAB, "高级"}, {IDS_SHEET_CAPTION, "选项"}};
ResModule MakeModule() {
    ResModule m{};
    m.strings = kStrings;
    m.stringCount = 2;
    m.dialogs = kDialogs;
    m.dialogCount = 4;
    return m;
}
const ResModule kModule = MakeModule();

using Log = std::vector<std::string>;

// A page that writes every notification it hears into a shared log and answers as told.
class CLogPage : public CPropertyPage {
public:
    CLogPage(const char* name, UINT nIDTemplate, Log& log, UINT nIDCaption = 0)
        : CPropertyPage(nIDTemplate, nIDCaption), m_name(name), m_log(log) {}

    std::string m_name;
    Log& m_log;
    bool refuseSetActive = false;
    bool refuseKillActive = false;
    bool refuseCancel = false;
    bool refuseFinish = false;
    bool exchange = false;
    LRESULT applyAnswer = PSNRET_NOERROR;
    LRESULT nextAnswer = 0;
    LRESULT backAnswer = 0;
    DWORD wizardButtons = 0; // set on activation when not 0
    LPARAM lastApplyParam = -1;
    int m_count = 0;
    CString m_nameText;
    LRESULT siblingsAnswer = 0;
    LRESULT setActiveAnswer = 0; // not 0: the answer to activation, e.g. another page's template

    void Note(const char* what) { m_log.push_back(m_name + ":" + what); }
    BOOL OnInitDialog() override {
        Note("init");
        return CPropertyPage::OnInitDialog();
    }
    void DoDataExchange(CDataExchange* pDX) override {
        if (!exchange)
            return;
        DDX_Text(pDX, IDC_NAME, m_nameText);
        DDX_Text(pDX, IDC_COUNT, m_count);
    }
    BOOL OnSetActive() override {
        Note("set");
        if (refuseSetActive)
            return FALSE;
        if (wizardButtons)
            static_cast<CPropertySheet*>(GetParent())->SetWizardButtons(wizardButtons);
        return CPropertyPage::OnSetActive();
    }
    BOOL OnKillActive() override {
        Note("kill");
        return !refuseKillActive && CPropertyPage::OnKillActive();
    }
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override {
        auto* n = reinterpret_cast<PSHNOTIFY*>(lParam);
        if (n->hdr.code == PSN_SETACTIVE && setActiveAnswer != 0) {
            Note("set");
            *pResult = setActiveAnswer;
            return TRUE;
        }
        if (n->hdr.code == PSN_APPLY) {
            Note("apply");
            lastApplyParam = n->lParam;
            *pResult = applyAnswer;
            return TRUE;
        }
        return CPropertyPage::OnNotify(wParam, lParam, pResult);
    }
    void OnReset() override { Note("reset"); }
    BOOL OnQueryCancel() override {
        Note("query-cancel");
        return !refuseCancel;
    }
    LRESULT OnWizardNext() override {
        Note("next");
        return nextAnswer;
    }
    LRESULT OnWizardBack() override {
        Note("back");
        return backAnswer;
    }
    BOOL OnWizardFinish() override {
        Note("finish");
        return !refuseFinish;
    }
    LRESULT OnQuerySiblings(WPARAM, LPARAM) {
        Note("siblings");
        return siblingsAnswer;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CLogPage, CPropertyPage)
ON_MESSAGE(PSM_QUERYSIBLINGS, &CLogPage::OnQuerySiblings)
END_MESSAGE_MAP()

class CTestSheet : public CPropertySheet {
public:
    using CPropertySheet::CPropertySheet;
    bool Ended() const { return m_nModalResult != -1; }
    CWnd* Button(UINT id) const { return GetDlgItem((int)id); }
    bool Shown(UINT id) const {
        CWnd* b = Button(id);
        return b && (b->GetStyle() & WS_VISIBLE);
    }
    bool Usable(UINT id) const { return Shown(id) && Button(id)->IsWindowEnabled(); }
};

class PropertySheetTest : public GuiTest {
protected:
    static void SetUpTestSuite() {
        GuiTest::SetUpTestSuite();
        AfxRegisterResources(&kModule);
    }
    Log log;
    CLogPage general{"A", IDD_GENERAL, log};
    CLogPage advanced{"B", IDD_ADVANCED, log, IDS_ADVANCED_TAB};
    CLogPage about{"C", IDD_ABOUT, log};
    std::vector<MessageBoxCall> boxes;

    void SetUp() override {
        AfxSetMessageBoxHook([this](const MessageBoxCall& c) {
            boxes.push_back(c);
            return IDOK;
        });
    }
    void TearDown() override {
        AfxSetModalDialogHook(nullptr);
        AfxSetMessageBoxHook(nullptr);
    }
    void AddAll(CPropertySheet& s) {
        s.AddPage(&general);
        s.AddPage(&advanced);
        s.AddPage(&about);
    }
    // Runs the sheet modally with steps acting on it; a sheet the steps leave open is ended with
    // IDABORT so that no test can hang.
    INT_PTR RunModal(CTestSheet& s, std::function<void(CTestSheet&)> steps) {
        AfxSetModalDialogHook([&s, steps](CDialog& d) {
            ASSERT_EQ(&s, dynamic_cast<CTestSheet*>(&d));
            steps(s);
            if (!s.Ended())
                s.EndDialog(IDABORT);
        });
        return s.DoModal();
    }
    static void Key(CWnd* w, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* target = w->GetWidget();
        if (QWidget* f = target->focusProxy())
            target = f;
        QTest::keyClick(target, key, mods);
    }
};

} // namespace

TEST_F(PropertySheetTest, OkAppliesEveryPageThatWasShownInOrder) {
    CTestSheet sheet("选项");
    AddAll(sheet);
    bool applyEnabledAfterChange = false, applyEnabledAtStart = true;
    INT_PTR r = RunModal(sheet, [&](CTestSheet& s) {
        applyEnabledAtStart = s.Usable(ID_APPLY_NOW);
        EXPECT_TRUE(s.SetActivePage(2));
        EXPECT_EQ(2, s.GetActiveIndex());
        EXPECT_EQ(&about, s.GetActivePage());
        about.SetModified();
        applyEnabledAfterChange = s.Usable(ID_APPLY_NOW);
        s.PressButton(PSBTN_OK);
    });
    EXPECT_EQ(IDOK, r);
    EXPECT_FALSE(applyEnabledAtStart);
    EXPECT_TRUE(applyEnabledAfterChange);
    // The advanced page was never shown: it was never made and hears nothing.
    EXPECT_EQ((Log{"A:init", "A:set", "A:kill", "C:init", "C:set", "C:kill", "A:apply", "C:apply"}),
              log);
    EXPECT_EQ(TRUE, general.lastApplyParam); // OK closes the sheet
    EXPECT_EQ(nullptr, sheet.m_hWnd);
    EXPECT_EQ(nullptr, general.m_hWnd);
    EXPECT_EQ(nullptr, about.m_hWnd);
}

TEST_F(PropertySheetTest, AModalSheetCanBeShownAgain) {
    // As a caller does when what the sheet gathered cannot be used: the same sheet and pages
    // run a second time, made afresh, with the members kept.
    general.exchange = true;
    general.m_count = 5;
    CTestSheet sheet("导出文件");
    sheet.AddPage(&general);
    sheet.AddPage(&about);
    EXPECT_EQ(IDOK, RunModal(sheet, [&](CTestSheet& s) {
                  general.SetDlgItemInt(IDC_COUNT, 8);
                  s.PressButton(PSBTN_OK);
              }));
    EXPECT_EQ(8, general.m_count);
    log.clear();
    UINT shownAgain = 0;
    EXPECT_EQ(IDCANCEL, RunModal(sheet, [&](CTestSheet& s) {
                  shownAgain = general.GetDlgItemInt(IDC_COUNT);
                  s.PressButton(PSBTN_CANCEL);
              }));
    EXPECT_EQ(8u, shownAgain);
    EXPECT_EQ((Log{"A:init", "A:set", "A:query-cancel", "A:reset"}), log);
}

TEST_F(PropertySheetTest, LayoutHoldsTheLargestPageAndTheButtonsOfTheFlags) {
    struct Case {
        DWORD clear, set;
        std::vector<UINT> shown, hidden;
    };
    const Case cases[] = {
        {0, 0, {IDOK, IDCANCEL, ID_APPLY_NOW, IDHELP}, {ID_WIZBACK, ID_WIZNEXT, ID_WIZFINISH}},
        {PSH_HASHELP, PSH_NOAPPLYNOW, {IDOK, IDCANCEL}, {ID_APPLY_NOW, IDHELP, ID_WIZNEXT}},
        {PSH_HASHELP, PSH_WIZARD, {ID_WIZBACK, ID_WIZNEXT, IDCANCEL}, {IDOK, ID_WIZFINISH, IDHELP}},
        {0, PSH_WIZARD | PSH_WIZARDHASFINISH, {ID_WIZBACK, ID_WIZNEXT, ID_WIZFINISH, IDHELP}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.set);
        CTestSheet sheet(IDS_SHEET_CAPTION);
        AddAll(sheet);
        sheet.m_psh.dwFlags = (sheet.m_psh.dwFlags & ~c.clear) | c.set;
        ASSERT_TRUE(sheet.Create());
        CString caption;
        sheet.GetWindowText(caption);
        EXPECT_EQ("选项", caption);
        for (UINT id : c.shown)
            EXPECT_TRUE(sheet.Shown(id)) << id;
        for (UINT id : c.hidden)
            EXPECT_FALSE(sheet.Shown(id)) << id;
        // Every page fits the page area; in a wizard the tabs are not shown.
        CRect page = RectIn(&general, &sheet);
        CTabCtrl* tab = sheet.GetTabControl();
        ASSERT_NE(nullptr, tab);
        EXPECT_EQ(3, tab->GetItemCount());
        EXPECT_EQ(!(c.set & PSH_WIZARD), (tab->GetStyle() & WS_VISIBLE) != 0);
        if (!(c.set & PSH_WIZARD)) {
            CRect display = RectIn(tab, &sheet);
            tab->AdjustRect(FALSE, &display);
            EXPECT_EQ(display, page);
        }
        CRect client;
        sheet.GetClientRect(&client);
        EXPECT_GE(page.Width(), 300); // 200 dialog units of a 9-point font
        EXPECT_LT(page.bottom, RectIn(sheet.Button(IDCANCEL), &sheet).top);
        EXPECT_LE(RectIn(sheet.Button(IDCANCEL), &sheet).bottom, client.bottom);
        sheet.DestroyWindow();
        log.clear();
    }
}

TEST_F(PropertySheetTest, TabsTakeTheCaptionsOfStringsOrTemplates) {
    CTestSheet sheet("x");
    AddAll(sheet);
    ASSERT_TRUE(sheet.Create());
    CTabCtrl* tab = sheet.GetTabControl();
    std::vector<std::string> texts;
    for (int i = 0; i < tab->GetItemCount(); ++i) {
        char buf[64] = {};
        TCITEM item{TCIF_TEXT, 0, 0, buf, (int)sizeof buf, 0, 0};
        tab->GetItem(i, &item);
        texts.push_back(buf);
    }
    EXPECT_EQ((std::vector<std::string>{"常规", "高级", "关于"}), texts);

    // The title with PSH_PROPTITLE reads "<name> 属性", before and after the window exists.
    sheet.SetTitle("张三", PSH_PROPTITLE);
    CString caption;
    sheet.GetWindowText(caption);
    EXPECT_EQ("张三 属性", caption);
    sheet.SetTitle("李四");
    sheet.GetWindowText(caption);
    EXPECT_EQ("李四", caption);
    sheet.DestroyWindow();
    CTestSheet early;
    early.AddPage(&general);
    early.SetTitle("王五", PSH_PROPTITLE);
    ASSERT_TRUE(early.Create());
    early.GetWindowText(caption);
    EXPECT_EQ("王五 属性", caption);
}

TEST_F(PropertySheetTest, PagesMayRefuseToGoOrToCome) {
    CTestSheet sheet("选项");
    AddAll(sheet);
    ASSERT_TRUE(sheet.Create());
    log.clear();

    // The page being left refuses: nothing changes, the new page is not even made.
    general.refuseKillActive = true;
    EXPECT_FALSE(sheet.SetActivePage(1));
    EXPECT_EQ(0, sheet.GetActiveIndex());
    EXPECT_EQ(0, sheet.GetTabControl()->GetCurSel());
    EXPECT_EQ(nullptr, advanced.m_hWnd);
    EXPECT_EQ((Log{"A:kill"}), log);
    general.refuseKillActive = false;
    log.clear();

    // A page that refuses to come is passed over in the direction of travel.
    advanced.refuseSetActive = true;
    EXPECT_TRUE(sheet.SetActivePage(1));
    EXPECT_EQ(2, sheet.GetActiveIndex());
    EXPECT_EQ((Log{"A:kill", "B:init", "B:set", "C:init", "C:set"}), log);
    EXPECT_FALSE(advanced.GetStyle() & WS_VISIBLE);
    EXPECT_TRUE(about.GetStyle() & WS_VISIBLE);
    EXPECT_FALSE(general.GetStyle() & WS_VISIBLE);
    log.clear();

    // Going back, no page comes: the page that was active stays and is activated again.
    general.refuseSetActive = true;
    EXPECT_FALSE(sheet.SetActivePage(1));
    EXPECT_EQ(2, sheet.GetActiveIndex());
    EXPECT_EQ(2, sheet.GetTabControl()->GetCurSel());
    EXPECT_EQ((Log{"C:kill", "B:set", "A:set", "C:set"}), log);
    EXPECT_TRUE(about.GetStyle() & WS_VISIBLE);

    EXPECT_FALSE(sheet.SetActivePage(7));
    EXPECT_FALSE(sheet.SetActivePage(-1));
}

TEST_F(PropertySheetTest, PagesThatNameEachOtherOnActivationEndTheSwitch) {
    CTestSheet sheet("选项");
    AddAll(sheet);
    ASSERT_TRUE(sheet.Create());
    log.clear();
    // B sends the sheet on to A and A back to B: each is asked once, then the switch fails.
    general.setActiveAnswer = IDD_ADVANCED;
    advanced.setActiveAnswer = IDD_GENERAL;
    about.refuseSetActive = true;
    EXPECT_FALSE(sheet.SetActivePage(1));
    EXPECT_EQ(0, sheet.GetActiveIndex());
    EXPECT_EQ((Log{"A:kill", "B:init", "B:set", "A:set", "C:init", "C:set", "A:set"}), log);
    general.setActiveAnswer = advanced.setActiveAnswer = 0;
}

TEST_F(PropertySheetTest, ClickingATabAsksThePageBeingLeft) {
    CTestSheet sheet("选项");
    AddAll(sheet);
    ASSERT_TRUE(sheet.Create());
    sheet.MoveWindow(0, 0, 420, 300);
    CTabCtrl* tab = sheet.GetTabControl();
    auto click = [&](int i) {
        CRect r;
        tab->GetItemRect(i, &r);
        QTest::mouseClick(tab->GetWidget(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(r.CenterPoint().x, r.CenterPoint().y));
        Pump();
    };
    general.refuseKillActive = true;
    click(2);
    EXPECT_EQ(0, sheet.GetActiveIndex());
    EXPECT_EQ(0, tab->GetCurSel());
    general.refuseKillActive = false;
    log.clear();
    click(2);
    EXPECT_EQ(2, sheet.GetActiveIndex());
    EXPECT_EQ(2, tab->GetCurSel());
    // The page was asked once, when the tab started to change.
    EXPECT_EQ((Log{"A:kill", "C:init", "C:set"}), log);
}

TEST_F(PropertySheetTest, BadInputKeepsThePageAndLaterActivationsRefreshTheControls) {
    general.exchange = true;
    general.m_nameText = "张三";
    general.m_count = 3;
    CTestSheet sheet("选项");
    AddAll(sheet);
    ASSERT_TRUE(sheet.Create());
    ASSERT_TRUE(WaitFor([&] { return sheet.GetWidget()->isActiveWindow(); }, 1000));
    EXPECT_EQ(3u, general.GetDlgItemInt(IDC_COUNT));

    // The first activation leaves what OnInitDialog put into the controls.
    general.SetDlgItemText(IDC_COUNT, "abc");
    EXPECT_FALSE(sheet.SetActivePage(1));
    EXPECT_EQ(0, sheet.GetActiveIndex());
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("请输入一个整数。", boxes[0].text);
    EXPECT_EQ(general.GetDlgItem(IDC_COUNT), CWnd::GetFocus());

    general.SetDlgItemText(IDC_COUNT, "12");
    ASSERT_TRUE(sheet.SetActivePage(1));
    EXPECT_EQ(12, general.m_count);
    // A later activation moves the members into the controls again.
    general.m_nameText = "李四";
    ASSERT_TRUE(sheet.SetActivePage(0));
    CString name;
    general.GetDlgItemText(IDC_NAME, name);
    EXPECT_EQ("李四", name);
}

TEST_F(PropertySheetTest, ApplyNowReachesEveryShownPageAndStopsAtARefusal) {
    CTestSheet sheet("选项");
    AddAll(sheet);
    ASSERT_TRUE(sheet.Create());
    ASSERT_TRUE(sheet.SetActivePage(1));
    advanced.SetModified();
    EXPECT_TRUE(sheet.Usable(ID_APPLY_NOW));
    advanced.SetModified(FALSE);
    EXPECT_FALSE(sheet.Usable(ID_APPLY_NOW));
    advanced.SetModified();
    log.clear();

    // Apply: the active page is checked first, then every page made so far hears PSN_APPLY
    // with FALSE (the sheet stays open); Apply is disabled afterwards.
    sheet.SendMessage(WM_COMMAND, MAKEWPARAM(ID_APPLY_NOW, BN_CLICKED),
                      (LPARAM)sheet.Button(ID_APPLY_NOW)->m_hWnd);
    EXPECT_EQ((Log{"B:kill", "A:apply", "B:apply"}), log);
    EXPECT_EQ(FALSE, advanced.lastApplyParam);
    EXPECT_FALSE(sheet.Usable(ID_APPLY_NOW));
    EXPECT_TRUE(sheet.IsWindowVisible());

    // A page that answers the apply with invalid stops it, and is shown if it asks to be.
    // So does an active page that refuses to be left (nothing is applied then).
    struct Case {
        LRESULT answer;
        bool refuseLeaving;
        int activeAfter;
        Log expected;
    };
    const Case cases[] = {
        {PSNRET_INVALID, false, 0, {"B:kill", "A:apply", "A:set"}},
        {PSNRET_INVALID_NOCHANGEPAGE, false, 1, {"B:kill", "A:apply"}},
        {PSNRET_NOERROR, true, 1, {"B:kill"}},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(sheet.SetActivePage(1));
        advanced.SetModified();
        log.clear();
        general.applyAnswer = c.answer;
        advanced.refuseKillActive = c.refuseLeaving;
        sheet.PressButton(PSBTN_OK);
        EXPECT_EQ(c.expected, log);
        EXPECT_EQ(c.activeAfter, sheet.GetActiveIndex());
        EXPECT_TRUE(sheet.IsWindowVisible());
        EXPECT_TRUE(sheet.Usable(ID_APPLY_NOW)); // the changes are still to apply
    }
}

TEST_F(PropertySheetTest, CancelAsksTheActivePageAndResetsEveryShownPage) {
    CTestSheet sheet("选项");
    AddAll(sheet);
    INT_PTR r = RunModal(sheet, [&](CTestSheet& s) {
        s.SetActivePage(1);
        advanced.refuseCancel = true;
        log.clear();
        Key(s.Button(IDCANCEL), Qt::Key_Escape);
        EXPECT_FALSE(s.Ended());
        advanced.refuseCancel = false;
        s.SendMessage(WM_COMMAND, IDCANCEL);
        EXPECT_TRUE(s.Ended());
    });
    EXPECT_EQ(IDCANCEL, r);
    EXPECT_EQ((Log{"B:query-cancel", "B:query-cancel", "A:reset", "B:reset"}), log);
}

TEST_F(PropertySheetTest, CancelToCloseLeavesOnlyClose) {
    CTestSheet sheet("选项");
    AddAll(sheet);
    INT_PTR r = RunModal(sheet, [&](CTestSheet& s) {
        general.CancelToClose();
        EXPECT_FALSE(s.Usable(IDCANCEL));
        CString ok;
        s.Button(IDOK)->GetWindowText(ok);
        EXPECT_EQ("关闭", ok);
        // Escape no longer cancels; Enter in a page's field presses the sheet's OK.
        CWnd* name = general.GetDlgItem(IDC_NAME);
        name->SetFocus();
        Key(name, Qt::Key_Escape);
        EXPECT_FALSE(s.Ended());
        EXPECT_TRUE(log.end() == std::find(log.begin(), log.end(), "A:reset"));
        Key(name, Qt::Key_Return);
        EXPECT_TRUE(s.Ended());
    });
    EXPECT_EQ(IDOK, r);
}

TEST_F(PropertySheetTest, ControlTabTurnsThePages) {
    CTestSheet sheet("选项");
    AddAll(sheet);
    ASSERT_TRUE(sheet.Create());
    CWnd* name = general.GetDlgItem(IDC_NAME);
    name->SetFocus();
    Key(name, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(1, sheet.GetActiveIndex());
    Key(advanced.GetDlgItem(IDC_NOTE), Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(0, sheet.GetActiveIndex());
    Key(name, Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(2, sheet.GetActiveIndex());
}

TEST_F(PropertySheetTest, TabRunsThroughTabsPageAndButtons) {
    CTestSheet sheet("选项");
    AddAll(sheet);
    ASSERT_TRUE(sheet.Create());
    ASSERT_TRUE(WaitFor([&] { return sheet.GetWidget()->isActiveWindow(); }, 1000));
    general.GotoDlgCtrl(general.GetDlgItem(IDC_NAME));
    ASSERT_EQ(general.GetDlgItem(IDC_NAME), CWnd::GetFocus());
    // Apply is disabled while nothing changed, so Tab passes it by.
    const CWnd* forward[] = {
        general.GetDlgItem(IDC_COUNT), general.GetDlgItem(IDC_SAVE), sheet.Button(IDOK),
        sheet.Button(IDCANCEL),        sheet.Button(IDHELP),         sheet.GetTabControl(),
        general.GetDlgItem(IDC_NAME)};
    for (const CWnd* expected : forward) {
        Key(CWnd::GetFocus(), Qt::Key_Tab);
        EXPECT_EQ(expected, CWnd::GetFocus()) << expected->GetDlgCtrlID();
    }
    Key(CWnd::GetFocus(), Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(sheet.GetTabControl(), CWnd::GetFocus());
}

// Alt with a letter reaches the active page's controls from anywhere in the sheet, the tabs
// included, as it reaches the controls of a plain dialog.
TEST_F(PropertySheetTest, AltAndALetterReachThePageFromTheTabs) {
    CTestSheet sheet("选项");
    AddAll(sheet);
    ASSERT_TRUE(sheet.Create());
    ASSERT_TRUE(WaitFor([&] { return sheet.GetWidget()->isActiveWindow(); }, 1000));
    auto* save = static_cast<CButton*>(general.GetDlgItem(IDC_SAVE));
    struct Case {
        CWnd* from;
        Qt::Key key;
        CWnd* focus;
    };
    const Case cases[] = {
        {sheet.GetTabControl(), Qt::Key_U, general.GetDlgItem(IDC_COUNT)}, // label: the next field
        {sheet.Button(IDOK), Qt::Key_U, general.GetDlgItem(IDC_COUNT)},
        {sheet.GetTabControl(), Qt::Key_V, save},                          // a check box is clicked
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.focus->GetDlgCtrlID());
        c.from->SetFocus();
        ASSERT_EQ(c.from, CWnd::GetFocus());
        const int checked = save->GetCheck();
        Key(c.from, c.key, Qt::AltModifier);
        EXPECT_EQ(c.focus, CWnd::GetFocus());
        EXPECT_EQ(c.focus == save ? !checked : checked, save->GetCheck());
    }
    EXPECT_EQ(0, sheet.GetActiveIndex());
}

TEST_F(PropertySheetTest, WizardStepsFollowThePagesAnswers) {
    CTestSheet wizard("向导");
    AddAll(wizard);
    wizard.SetWizardMode();
    general.wizardButtons = PSWIZB_NEXT;
    advanced.wizardButtons = PSWIZB_BACK | PSWIZB_NEXT;
    about.wizardButtons = PSWIZB_BACK | PSWIZB_FINISH;
    INT_PTR r = RunModal(wizard, [&](CTestSheet& s) {
        EXPECT_FALSE(s.Usable(ID_WIZBACK));
        EXPECT_TRUE(s.Usable(ID_WIZNEXT));
        EXPECT_FALSE(s.Shown(ID_WIZFINISH));
        // Back cannot be pressed on the first page.
        s.PressButton(PSBTN_BACK);
        EXPECT_EQ(0, s.GetActiveIndex());

        // Next: -1 stays, a template id jumps to that page, 0 goes to the next one.
        general.nextAnswer = -1;
        s.PressButton(PSBTN_NEXT);
        EXPECT_EQ(0, s.GetActiveIndex());
        general.nextAnswer = IDD_ABOUT;
        s.PressButton(PSBTN_NEXT);
        EXPECT_EQ(2, s.GetActiveIndex());
        EXPECT_TRUE(s.Usable(ID_WIZFINISH));
        EXPECT_FALSE(s.Shown(ID_WIZNEXT));
        EXPECT_EQ(ID_WIZFINISH, (int)LOWORD(s.GetDefID()));
        s.PressButton(PSBTN_BACK);
        EXPECT_EQ(1, s.GetActiveIndex());
        EXPECT_EQ(ID_WIZNEXT, (int)LOWORD(s.GetDefID()));
        // Enter presses the default button, Next.
        CWnd* kind = advanced.GetDlgItem(IDC_KIND);
        kind->SetFocus();
        Key(kind, Qt::Key_Return);
        EXPECT_EQ(2, s.GetActiveIndex());

        about.refuseFinish = true;
        s.PressButton(PSBTN_FINISH);
        EXPECT_FALSE(s.Ended());
        about.refuseFinish = false;
        s.SendMessage(WM_COMMAND, MAKEWPARAM(ID_WIZFINISH, BN_CLICKED),
                      (LPARAM)s.Button(ID_WIZFINISH)->m_hWnd);
    });
    EXPECT_EQ(ID_WIZFINISH, r);
    EXPECT_EQ(
        (Log{"A:init", "A:set", "A:next", "A:next", "A:kill", "C:init", "C:set", "C:back", "C:kill",
             "B:init", "B:set", "B:next", "B:kill", "C:set", "C:finish", "C:finish"}),
        log);
}

TEST_F(PropertySheetTest, WizardButtonFlagsAndFinishText) {
    CTestSheet wizard("向导");
    AddAll(wizard);
    wizard.SetWizardMode();
    ASSERT_TRUE(wizard.Create());
    struct Case {
        DWORD flags;
        bool back, next, finishShown, finishUsable;
    };
    const Case cases[] = {
        {0, false, false, false, false},
        {PSWIZB_BACK | PSWIZB_NEXT, true, true, false, false},
        {PSWIZB_FINISH, false, false, true, true},
        {PSWIZB_BACK | PSWIZB_DISABLEDFINISH, true, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        // Pages post the flags as often as they send them.
        wizard.PostMessage(PSM_SETWIZBUTTONS, 0, (LPARAM)c.flags);
        Pump();
        EXPECT_EQ(c.back, wizard.Usable(ID_WIZBACK));
        EXPECT_EQ(c.next, wizard.Usable(ID_WIZNEXT));
        EXPECT_EQ(c.finishShown, wizard.Shown(ID_WIZFINISH));
        EXPECT_EQ(c.finishUsable, wizard.Usable(ID_WIZFINISH));
    }
    // A disabled Next cannot be pressed from code either.
    wizard.SetWizardButtons(PSWIZB_BACK);
    wizard.PressButton(PSBTN_NEXT);
    EXPECT_EQ(0, wizard.GetActiveIndex());

    wizard.SetFinishText("关闭向导");
    EXPECT_FALSE(wizard.Shown(ID_WIZBACK));
    EXPECT_FALSE(wizard.Shown(ID_WIZNEXT));
    EXPECT_TRUE(wizard.Usable(ID_WIZFINISH));
    CString text;
    wizard.Button(ID_WIZFINISH)->GetWindowText(text);
    EXPECT_EQ("关闭向导", text);
}

TEST_F(PropertySheetTest, ChildSheetStepsWithNextAndBackAndHasNoButtons) {
    CWnd host;
    ASSERT_TRUE(host.CreateEx(0, nullptr, "host", WS_POPUP | WS_VISIBLE, CRect(0, 0, 500, 400),
                              nullptr, 0));
    CTestSheet sheet;
    AddAll(sheet);
    ASSERT_TRUE(sheet.Create(&host, WS_CHILD | WS_VISIBLE));
    EXPECT_TRUE(sheet.GetExStyle() & WS_EX_CONTROLPARENT);
    EXPECT_EQ(&host, sheet.GetParent());
    for (UINT id : {IDOK, IDCANCEL, ID_APPLY_NOW, IDHELP, ID_WIZNEXT})
        EXPECT_EQ(nullptr, sheet.Button(id)) << id;

    // Pressing Next as often as there are pages and Back as often again makes every page.
    log.clear();
    for (int i = 0; i < 3; ++i)
        sheet.PressButton(PSBTN_NEXT);
    EXPECT_EQ(2, sheet.GetActiveIndex());
    for (int i = 0; i < 3; ++i)
        sheet.PressButton(PSBTN_BACK);
    EXPECT_EQ(0, sheet.GetActiveIndex());
    EXPECT_EQ((Log{"A:kill", "B:init", "B:set", "B:kill", "C:init", "C:set", "C:kill", "B:set",
                   "B:kill", "A:set"}),
              log);

    // Enter and Escape in a page do nothing to a sheet without buttons.
    CWnd* name = general.GetDlgItem(IDC_NAME);
    name->SetFocus();
    Key(name, Qt::Key_Return);
    Key(name, Qt::Key_Escape);
    EXPECT_TRUE(sheet.IsWindowVisible());
    EXPECT_TRUE(sheet.GetStyle() & WS_VISIBLE);

    // A host that grows the tab control activates the page again to fit it.
    CTabCtrl* tab = sheet.GetTabControl();
    CRect r = RectIn(tab, &sheet);
    sheet.MoveWindow(0, 0, r.right + 60, r.bottom + 50);
    tab->SetWindowPos(nullptr, 0, 0, r.Width() + 40, r.Height() + 30, SWP_NOMOVE | SWP_NOZORDER);
    sheet.SetActivePage(sheet.GetActiveIndex());
    CRect display = RectIn(tab, &sheet);
    tab->AdjustRect(FALSE, &display);
    EXPECT_EQ(display, RectIn(&general, &sheet));
    sheet.DestroyWindow();
    host.DestroyWindow();
}

TEST_F(PropertySheetTest, TabEntersAndLeavesASheetInsideAHost) {
    CDialog host;
    ASSERT_TRUE(host.Create(IDD_HOST));
    host.ShowWindow(SW_SHOW);
    ASSERT_TRUE(WaitFor([&] { return host.GetWidget()->isActiveWindow(); }, 1000));
    CTestSheet sheet;
    AddAll(sheet);
    ASSERT_TRUE(sheet.Create(&host, WS_CHILD | WS_VISIBLE | WS_TABSTOP));
    sheet.MoveWindow(0, 30, 400, 250);
    CWnd* hostEdit = host.GetDlgItem(IDC_TEXT);
    host.GotoDlgCtrl(hostEdit);

    // The host's Tab gives the sheet the focus, which goes on to the page's first field.
    Key(hostEdit, Qt::Key_Tab);
    EXPECT_EQ(general.GetDlgItem(IDC_NAME), CWnd::GetFocus());
    // From the page's last field Tab goes round to the host's first control.
    general.GotoDlgCtrl(general.GetDlgItem(IDC_SAVE));
    Key(general.GetDlgItem(IDC_SAVE), Qt::Key_Tab);
    EXPECT_EQ(hostEdit, CWnd::GetFocus());
}

TEST_F(PropertySheetTest, PagesComeAndGoWhileTheSheetStands) {
    CTestSheet sheet("选项", nullptr, 1);
    sheet.AddPage(&general);
    sheet.AddPage(&advanced);
    sheet.AddPage(&general); // once only
    EXPECT_EQ(2, sheet.GetPageCount());
    EXPECT_EQ(1, sheet.GetActiveIndex());
    ASSERT_TRUE(sheet.Create());
    EXPECT_EQ(&advanced, sheet.GetActivePage());
    EXPECT_EQ(nullptr, general.m_hWnd);

    sheet.AddPage(&about);
    EXPECT_EQ(3, sheet.GetTabControl()->GetItemCount());
    EXPECT_EQ(&about, sheet.GetPage(2));
    EXPECT_EQ(nullptr, sheet.GetPage(3));

    // Removing the active page hands over to the next one and destroys the removed window.
    sheet.RemovePage(&advanced);
    EXPECT_EQ(nullptr, advanced.m_hWnd);
    EXPECT_EQ(2, sheet.GetPageCount());
    EXPECT_EQ(&about, sheet.GetActivePage());
    EXPECT_EQ(1, sheet.GetActiveIndex());
    EXPECT_EQ(1, sheet.GetTabControl()->GetCurSel());

    // A message of the same number that names no page of the sheet removes nothing (pages of
    // other hosts report changes with it).
    sheet.SendMessage(PSM_REMOVEPAGE, (WPARAM)-1, 1);
    sheet.SendMessage(PSM_REMOVEPAGE, 5, 0);
    EXPECT_EQ(2, sheet.GetPageCount());
    sheet.SendMessage(PSM_SETCURSEL, 0, 1);
    EXPECT_EQ(1, sheet.GetActiveIndex());

    // A page whose template is missing cannot be shown; the active page stays.
    CLogPage missing{"M", 7699, log};
    sheet.AddPage(&missing);
    EXPECT_FALSE(sheet.SetActivePage(&missing));
    EXPECT_EQ(&about, sheet.GetActivePage());
    EXPECT_EQ(1, sheet.GetTabControl()->GetCurSel());
    EXPECT_TRUE(about.GetStyle() & WS_VISIBLE);
    sheet.RemovePage(&missing);

    sheet.RemovePage(1);
    EXPECT_EQ(&general, sheet.GetActivePage());
    EXPECT_EQ(1, sheet.GetTabControl()->GetItemCount());
    EXPECT_EQ(sheet.GetActivePage()->m_hWnd, (HWND)sheet.SendMessage(PSM_GETCURRENTPAGEHWND));
}

// A sheet that holds its pages as members, as most derived sheets do: the members die before
// the sheet's own destructor runs, while its window still stands.
class CMemberSheet : public CPropertySheet {
public:
    Log log;
    CLogPage first{"A", IDD_GENERAL, log};
    CLogPage second{"B", IDD_ABOUT, log};
    CMemberSheet() : CPropertySheet("成员") {
        AddPage(&first);
        AddPage(&second);
    }
};

TEST_F(PropertySheetTest, PagesThatGoFirstLeaveTheSheetSound) {
    {
        CMemberSheet sheet;
        ASSERT_TRUE(sheet.Create());
        sheet.SetActivePage(1);
    } // must not touch the dead pages

    CTestSheet sheet("选项");
    {
        CLogPage shortLived{"X", IDD_ADVANCED, log};
        sheet.AddPage(&general);
        sheet.AddPage(&shortLived);
        ASSERT_TRUE(sheet.Create());
        ASSERT_TRUE(sheet.SetActivePage(1));
    }
    EXPECT_EQ(1, sheet.GetPageCount());
    EXPECT_EQ(1, sheet.GetTabControl()->GetItemCount());
    EXPECT_EQ(nullptr, sheet.GetActivePage());
    EXPECT_TRUE(sheet.SetActivePage(0));
    EXPECT_EQ(&general, sheet.GetActivePage());
}

TEST_F(PropertySheetTest, QuerySiblingsStopsAtTheFirstAnswer) {
    CTestSheet sheet("选项");
    AddAll(sheet);
    ASSERT_TRUE(sheet.Create());
    sheet.SetActivePage(1);
    sheet.SetActivePage(2);
    log.clear();
    EXPECT_EQ(0, general.QuerySiblings(1, 2));
    EXPECT_EQ((Log{"A:siblings", "B:siblings", "C:siblings"}), log);
    log.clear();
    advanced.siblingsAnswer = 42;
    EXPECT_EQ(42, about.QuerySiblings(1, 2));
    EXPECT_EQ((Log{"A:siblings", "B:siblings"}), log);
}

TEST_F(PropertySheetTest, PicturesOfASheetAndAWizard) {
    CTestSheet sheet("选项");
    AddAll(sheet);
    ASSERT_TRUE(sheet.Create());
    sheet.SetActivePage(1);
    auto* kind = static_cast<CComboBox*>(advanced.GetDlgItem(IDC_KIND));
    kind->AddString("家人");
    kind->SetCurSel(0);
    advanced.SetDlgItemText(IDC_NOTE, "第一行\r\n第二行");
    advanced.SetModified();
    Pump();
    EXPECT_TRUE(sheet.SaveScreenshot(ScreenPath("property-sheet").c_str()));
    sheet.DestroyWindow();

    CTestSheet wizard("新用户注册");
    AddAll(wizard);
    wizard.SetWizardMode();
    ASSERT_TRUE(wizard.Create());
    wizard.PressButton(PSBTN_NEXT);
    wizard.SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    Pump();
    EXPECT_TRUE(wizard.SaveScreenshot(ScreenPath("property-sheet-wizard").c_str()));
}
