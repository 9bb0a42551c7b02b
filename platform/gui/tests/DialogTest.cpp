#include "GuiTestSupport.h"

#include "platform/gui/Dialog.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/Resource.h"
#include "platform/gui/WinApp.h"

#include <QKeyEvent>
#include <QTest>
#include <QTimer>
#include <string>
#include <vector>

namespace {

enum {
    IDD_EXCHANGE = 7100,
    IDC_NAME = 7101,
    IDC_COUNT,
    IDC_SAVE,
    IDC_SOLAR,
    IDC_LUNAR,
    IDC_UNKNOWN,
    IDC_KIND,
    IDC_LIST,
    IDC_NOTE
};

class CExchangeDlg : public CDialog {
public:
    CExchangeDlg() : CDialog(IDD_EXCHANGE) {}
    CString m_name;
    int m_count = 0;
    int m_save = 0;
    int m_calendar = 0;
    int m_kind = -1;
    CString m_note;
    CComboBox m_kindBox;
    int initCalls = 0;
    int kickIdles = 0;

    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, IDC_KIND, m_kindBox);
        DDX_Text(pDX, IDC_NAME, m_name);
        DDV_MaxChars(pDX, m_name, 8);
        DDX_Text(pDX, IDC_COUNT, m_count);
        DDV_MinMaxInt(pDX, m_count, 0, 99);
        DDX_Check(pDX, IDC_SAVE, m_save);
        DDX_Radio(pDX, IDC_SOLAR, m_calendar);
        DDX_CBIndex(pDX, IDC_KIND, m_kind);
        DDX_Text(pDX, IDC_NOTE, m_note);
    }
    BOOL OnInitDialog() override {
        ++initCalls;
        // The combo must be filled before the exchange selects in it.
        CComboBox* kind = static_cast<CComboBox*>(GetDlgItem(IDC_KIND));
        for (const char* s : {"家人", "朋友", "同事"})
            kind->AddString(s);
        return CDialog::OnInitDialog();
    }
    LRESULT OnKickIdle(WPARAM, LPARAM) {
        ++kickIdles;
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CExchangeDlg, CDialog)
ON_MESSAGE(WM_KICKIDLE, &CExchangeDlg::OnKickIdle)
END_MESSAGE_MAP()

class DialogTest : public GuiTest {
protected:
    std::vector<MessageBoxCall> shown;
    int answer = IDOK;
    void SetUp() override {
        AfxSetMessageBoxHook([this](const MessageBoxCall& c) {
            shown.push_back(c);
            return answer;
        });
    }
    void TearDown() override {
        AfxSetMessageBoxHook(nullptr);
        AfxSetModalDialogHook(nullptr);
    }
    static void Key(CWnd* w, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* target = w->GetWidget();
        if (QWidget* f = target->focusProxy())
            target = f;
        QTest::keyClick(target, key, mods);
    }
};

} // namespace

TEST_F(DialogTest, ExchangeRoundTripsEveryKind) {
    CExchangeDlg dlg;
    dlg.m_name = "张三";
    dlg.m_count = 42;
    dlg.m_save = 1;
    dlg.m_calendar = 1;
    dlg.m_kind = 2;
    dlg.m_note = "第一行\r\n第二行";
    ASSERT_TRUE(dlg.Create(IDD_EXCHANGE));
    EXPECT_EQ(dlg.initCalls, 1);
    CString text;
    dlg.GetDlgItemText(IDC_NAME, text);
    EXPECT_EQ(text, "张三");
    EXPECT_EQ(dlg.GetDlgItemInt(IDC_COUNT), 42u);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_SAVE), 1u);
    EXPECT_EQ(dlg.GetCheckedRadioButton(IDC_SOLAR, IDC_UNKNOWN), IDC_LUNAR);
    EXPECT_EQ(dlg.m_kindBox.GetCurSel(), 2);
    EXPECT_EQ(dlg.m_kindBox.GetDlgCtrlID(),
              IDC_KIND); // the member took the template's control over

    // The user changes everything; the exchange back reads it all.
    dlg.SetDlgItemText(IDC_NAME, "李四");
    dlg.SetDlgItemInt(IDC_COUNT, 7);
    dlg.CheckDlgButton(IDC_SAVE, 0);
    dlg.CheckRadioButton(IDC_SOLAR, IDC_UNKNOWN, IDC_UNKNOWN);
    dlg.m_kindBox.SetCurSel(0);
    dlg.SetDlgItemText(IDC_NOTE, "甲\r\n乙");
    ASSERT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(dlg.m_name, "李四");
    EXPECT_EQ(dlg.m_count, 7);
    EXPECT_EQ(dlg.m_save, 0);
    EXPECT_EQ(dlg.m_calendar, 2);
    EXPECT_EQ(dlg.m_kind, 0);
    EXPECT_EQ(dlg.m_note, "甲\r\n乙"); // multi-line text keeps CR LF line ends
    EXPECT_TRUE(shown.empty());
    dlg.DestroyWindow();
    EXPECT_EQ(dlg.m_kindBox.m_hWnd, nullptr);
}

TEST_F(DialogTest, FailedValidationTellsTheUserAndKeepsTheOldValue) {
    CExchangeDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_EXCHANGE));
    struct Row {
        const char* name;
        const char* count;
        const char* message;
        int stored; // a text that is no number leaves the member alone; a range check comes after
    } rows[] = {
        {"王五", "12x", "请输入一个整数。", 5},
        {"王五", "", "请输入一个整数。", 5},
        {"王五", "99999999999", "请输入一个整数。", 5},
        {"王五", "100", "请输入一个介于 0 和 99 之间的整数。", 100},
        {"一二三四五", "1", "请输入不超过 8 个字符。", 5}, // 10 bytes of GBK text
    };
    for (const Row& r : rows) {
        shown.clear();
        dlg.m_count = 5;
        dlg.SetDlgItemText(IDC_NAME, r.name);
        dlg.SetDlgItemText(IDC_COUNT, r.count);
        EXPECT_FALSE(dlg.UpdateData(TRUE)) << r.count;
        ASSERT_EQ(shown.size(), 1u) << r.count;
        EXPECT_EQ(shown[0].text, r.message);
        EXPECT_EQ(shown[0].type & MB_ICONMASK, (UINT)MB_ICONEXCLAMATION);
        EXPECT_EQ(dlg.m_count, r.stored) << r.count;
        EXPECT_EQ(CWnd::GetFocus() == nullptr || dlg.IsChild(CWnd::GetFocus()), true);
    }
}

TEST_F(DialogTest, ModalDialogAnsweredFromTheTest) {
    struct Row {
        const char* how;
        INT_PTR result;
    } rows[] = {{"ok-button", IDOK},
                {"cancel-button", IDCANCEL},
                {"enter", IDOK},
                {"escape", IDCANCEL},
                {"close", IDCANCEL}};
    for (const Row& r : rows) {
        CExchangeDlg dlg;
        dlg.m_name = "初始";
        std::string how = r.how;
        AfxSetModalDialogHook([&how](CDialog& d) {
            d.SetDlgItemText(IDC_NAME, "赵六");
            if (how == "ok-button")
                d.GetDlgItem(IDOK)->SendMessage(BM_CLICK);
            else if (how == "cancel-button")
                d.GetDlgItem(IDCANCEL)->SendMessage(BM_CLICK);
            else if (how == "enter")
                Key(d.GetDlgItem(IDC_NAME), Qt::Key_Return);
            else if (how == "escape")
                Key(d.GetDlgItem(IDC_NAME), Qt::Key_Escape);
            else
                d.SendMessage(WM_CLOSE);
        });
        EXPECT_EQ(dlg.DoModal(), r.result) << r.how;
        EXPECT_EQ(dlg.m_hWnd, nullptr) << r.how;
        // Only OK reads the controls back.
        EXPECT_EQ(dlg.m_name, r.result == IDOK ? "赵六" : "初始") << r.how;
    }
}

TEST_F(DialogTest, EnterInAWantReturnEditStaysInTheEdit) {
    CExchangeDlg dlg;
    AfxSetModalDialogHook([](CDialog& d) {
        Key(d.GetDlgItem(IDC_NOTE), Qt::Key_Return);
        EXPECT_TRUE(d.m_hWnd != nullptr); // still open
        d.EndDialog(77);
    });
    EXPECT_EQ(dlg.DoModal(), 77);
}

TEST_F(DialogTest, TabMovesAmongTabStopsInOrder) {
    CExchangeDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_EXCHANGE));
    dlg.ShowWindow(SW_SHOW);
    ASSERT_TRUE(WaitFor([&] { return dlg.GetWidget()->isActiveWindow(); }, 1000));
    dlg.GotoDlgCtrl(dlg.GetDlgItem(IDC_NAME));
    ASSERT_EQ(CWnd::GetFocus(), dlg.GetDlgItem(IDC_NAME));
    std::vector<int> order;
    for (int i = 0; i < 9; ++i) {
        Key(CWnd::GetFocus(), Qt::Key_Tab);
        order.push_back(CWnd::GetFocus() ? CWnd::GetFocus()->GetDlgCtrlID() : 0);
    }
    EXPECT_EQ(order, (std::vector<int>{IDC_COUNT, IDC_SAVE, IDC_SOLAR, IDC_KIND, IDC_LIST, IDC_NOTE,
                                       IDOK, IDCANCEL, IDC_NAME}));
    Key(CWnd::GetFocus(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(CWnd::GetFocus()->GetDlgCtrlID(), IDCANCEL);
}

TEST_F(DialogTest, ModalLoopSendsIdleMessages) {
    CExchangeDlg dlg;
    AfxSetModalDialogHook([](CDialog& d) { QTimer::singleShot(30, [&d] { d.EndDialog(IDOK); }); });
    dlg.DoModal();
    EXPECT_GT(dlg.kickIdles, 0);
}

TEST_F(DialogTest, ModalLoopEndsWhenTheDialogIsDestroyedWithoutAnAnswer) {
    // The dialog goes by its own DestroyWindow or with the window that owns it; either way the
    // nested loop must end instead of waiting for an EndDialog that can no longer come.
    for (bool byOwner : {false, true}) {
        CWnd owner;
        ASSERT_TRUE(owner.CreateEx(0, nullptr, "主窗口", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                   nullptr, nullptr));
        CExchangeDlg dlg;
        dlg.m_pParentWnd = &owner;
        bool rescued = false;
        QObject rescuer; // takes its timer along when the case ends
        AfxSetModalDialogHook([&](CDialog& d) {
            // Ends a loop that did not end by itself, so that a fault fails instead of hanging.
            QTimer::singleShot(2000, &rescuer, [&] {
                rescued = true;
                dlg.EndDialog(IDRETRY);
            });
            if (byOwner)
                owner.DestroyWindow();
            else
                d.DestroyWindow();
        });
        EXPECT_EQ(dlg.DoModal(), IDABORT) << (byOwner ? "owner" : "self");
        EXPECT_FALSE(rescued) << (byOwner ? "owner" : "self");
        EXPECT_EQ(dlg.m_hWnd, nullptr);
        AfxSetModalDialogHook(nullptr);
        owner.DestroyWindow();
    }
}

TEST_F(DialogTest, MissingTemplateFails) {
    CDialog dlg(9999);
    EXPECT_EQ(dlg.DoModal(), -1);
    EXPECT_FALSE(dlg.Create(9999));
}

TEST_F(DialogTest, StringTableFeedsLoadStringAndFormat) {
    CString s;
    EXPECT_TRUE(s.LoadString(7001));
    EXPECT_EQ(s, "第一条测试文字");
    EXPECT_FALSE(s.LoadString(7999));
    CString f;
    f.Format(7002, 3);
    EXPECT_EQ(f, "数量: 3");
}

TEST_F(DialogTest, MessageBoxHookSeesTextCaptionAndKind) {
    answer = IDNO;
    EXPECT_EQ(AfxMessageBox("您真的想取消访问口令吗？", MB_YESNO | MB_ICONQUESTION), IDNO);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "您真的想取消访问口令吗？");
    EXPECT_EQ(shown[0].type, (UINT)(MB_YESNO | MB_ICONQUESTION));
    CWnd w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "w", WS_POPUP, CRect(0, 0, 5, 5), nullptr, 0));
    answer = IDOK;
    EXPECT_EQ(w.MessageBox("内容", "标题", MB_OK | MB_ICONERROR), IDOK);
    EXPECT_EQ(shown[1].caption, "标题");
    EXPECT_EQ(shown[1].owner, w.m_hWnd);
}

TEST_F(DialogTest, DialogScreenshotShowsTheTemplate) {
    CExchangeDlg dlg;
    dlg.m_name = "张三";
    dlg.m_note = "备注：中文文字显示";
    ASSERT_TRUE(dlg.Create(IDD_EXCHANGE));
    dlg.ShowWindow(SW_SHOW);
    std::string path = ScreenPath("dialog-exchange");
    ASSERT_TRUE(dlg.SaveScreenshot(path.c_str()));
    QImage shot(QString::fromStdString(path));
    // 200 x 150 dialog units of a 12-pixel font.
    DialogUnits du = AfxDialogUnits(dlg.GetFont()->m_hObject);
    EXPECT_EQ(shot.width(), du.ToPixelsX(200));
    EXPECT_EQ(shot.height(), du.ToPixelsY(150));
    CRect item;
    dlg.GetDlgItem(IDOK)->GetWindowRect(&item);
    dlg.ScreenToClient(&item);
    EXPECT_EQ(item.left, du.ToPixelsX(80));
    EXPECT_EQ(item.top, du.ToPixelsY(130));
}

namespace {

// A dialog belongs to a window the user sees: one asked for by a pop-up (a menu or a tool tip of
// ours), by a window already hidden or by no window of ours goes to the main window, centred on
// it; a shown, framed window keeps its dialogs.
class DialogOwnerTest : public GuiTest {
protected:
    void SetUp() override {
        Make(mainWnd, "main", WS_OVERLAPPEDWINDOW, nullptr, CRect(0, 0, 780, 580));
        app.m_pMainWnd = &mainWnd;
        Make(other, "other", WS_OVERLAPPEDWINDOW, nullptr, CRect(60, 40, 740, 560));
        Make(popup, "", WS_POPUP | WS_BORDER, &other, CRect(600, 400, 700, 500));
        Make(closed, "closed", WS_OVERLAPPEDWINDOW, nullptr, CRect(10, 10, 200, 200));
        closed.ShowWindow(SW_HIDE);
        Pump();
    }
    void TearDown() override {
        AfxSetMessageBoxHook(nullptr);
        app.m_pMainWnd = nullptr;
        for (CWnd* w : {&popup, &closed, &other, &mainWnd})
            w->DestroyWindow();
    }
    static void Make(CWnd& w, const char* title, DWORD style, CWnd* owner, const CRect& r) {
        ASSERT_TRUE(w.CreateEx(0, nullptr, title, style | WS_VISIBLE, r.left, r.top, r.Width(),
                               r.Height(), owner ? owner->m_hWnd : nullptr, nullptr));
    }
    CWinApp app{"owners"};
    CWnd mainWnd, other, popup, closed;
};

TEST_F(DialogOwnerTest, ADialogBelongsToAShownFramedWindowOrElseToTheMainWindow) {
    QWidget stranger; // a window that is not ours, such as a file dialog
    stranger.show();
    struct Case {
        const char* name;
        CWnd* asked;
        CWnd* owner;
    } cases[] = {
        {"a framed window", &other, &other},
        {"a pop-up", &popup, &other},
        {"a hidden window", &closed, &mainWnd},
        {"no window of ours", CWnd::FromWidget(&stranger), &mainWnd},
        {"no window", nullptr, &mainWnd},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CDialog dlg;
        ASSERT_TRUE(dlg.Create(IDD_EXCHANGE, c.asked));
        EXPECT_EQ(dlg.GetOwner(), c.owner);
        EXPECT_EQ(dlg.GetWidget()->parentWidget(), c.owner->GetWidget());
        CRect mine, theirs;
        dlg.GetWindowRect(&mine);
        c.owner->GetWindowRect(&theirs);
        EXPECT_NEAR(mine.CenterPoint().x, theirs.CenterPoint().x, 2);
        EXPECT_NEAR(mine.CenterPoint().y, theirs.CenterPoint().y, 2);
        dlg.DestroyWindow();
    }
}

// A modeless window that goes while it is active hands the activation to its owner, whatever
// window was active before it, so the keyboard comes back to the window it belongs to.
TEST_F(DialogOwnerTest, AnActiveModelessWindowThatGoesActivatesItsOwner) {
    mainWnd.SetForegroundWindow();
    ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == mainWnd.GetWidget(); }));
    CDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_EXCHANGE, &other));
    dlg.ShowWindow(SW_SHOW);
    ASSERT_TRUE(WaitFor([&] { return dlg.GetWidget()->isActiveWindow(); }, 1000));
    dlg.DestroyWindow();
    EXPECT_TRUE(WaitFor([&] { return QApplication::activeWindow() == other.GetWidget(); }, 1000));
}

TEST_F(DialogOwnerTest, AMessageBoxBelongsToTheWindowWorkedInUnlessItIsAPopUp) {
    HWND boxOwner = nullptr;
    AfxSetMessageBoxHook([&](const MessageBoxCall& c) {
        boxOwner = c.owner;
        return IDOK;
    });
    for (CWnd* worked : {&other, &popup}) {
        worked->SetForegroundWindow();
        ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == worked->GetWidget(); }));
        AfxMessageBox("?", MB_OK);
        EXPECT_EQ(boxOwner, other.m_hWnd) << (worked == &popup ? "from the pop-up" : "");
    }
}

} // namespace
