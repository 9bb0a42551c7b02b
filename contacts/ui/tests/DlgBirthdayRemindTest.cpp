#include "calendar/tests/CalendarTestSupport.h"
#include "contacts/ContactFinder.h"
#include "contacts/ContactGroup.h"
#include "contacts/Person.h"
#include "contacts/ui/DlgBirthdayRemind.h"
#include "platform/gui/tests/GuiTestSupport.h"

#include <QTest>
#include <QTimer>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Records what the dialog sends its owner.
class COwnerWnd : public CWnd {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == CDlgBirthdayRemind::WM_OPEN_CONTACT && wParam == 105) {
            auto* request = reinterpret_cast<SFindResult*>(lParam);
            opened.push_back(request != nullptr ? request->pItem : nullptr);
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
    std::vector<CObject*> opened;
};

class DlgBirthdayRemindTest : public ScriptedUserTest {
protected:
    _CGroup root{"我的通讯录"};
    _CPerson* wang = nullptr;
    _CPerson* li = nullptr;
    _CPerson* zhang = nullptr;
    int days = 20, autoRemind = 1, mode = 0, saves = 0;
    COwnerWnd owner;

    void SetUp() override {
        calendar_test::PinLocal(2024, 3, 15, 9);
        CDate::GetToday(TRUE);
        InstallScriptedUser(IDOK);
        // 王芳: solar 18 March (3 days; her lunar day, 22nd of the second month, is the 31st).
        wang = Person("王芳", 1990, 3, 18, TRUE);
        // 李雷: lunar 10th of the second month 1985 (4 days; his solar day is 31 March), shown
        // and reminded in the lunar form.
        li = Person("李雷", 1985, 2, 10, FALSE);
        li->GetBirthday().SetShowLunar(TRUE);
        li->GetBirthday().SetRemindLunar(TRUE);
        // 张三: today.
        zhang = Person("张三", 2000, 3, 15, TRUE);
        zhang->GetBirthday().SetRemindSolar(TRUE);
        CDlgBirthdayRemind::CSettings s;
        s.pDays = &days;
        s.pAutoRemind = &autoRemind;
        s.pMode = &mode;
        s.save = [this] { ++saves; };
        CDlgBirthdayRemind::SetSharedSettings(s);
        CDlgBirthdayRemind::RememberRange() = FALSE;
        ASSERT_TRUE(owner.CreateEx(0, nullptr, "o", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    }
    void TearDown() override {
        CDlgBirthdayRemind::SetSharedSettings({});
        owner.DestroyWindow();
        RemoveScriptedUser();
        CTime::ResetNowForTesting();
        CDate::GetToday(TRUE);
    }
    _CPerson* Person(const char* name, int y, int m, int d, BOOL solar) {
        auto* p = new _CPerson(name);
        EXPECT_TRUE(p->GetBirthday().SetBirthday(y, m, d, FALSE, solar));
        root.AddContent(p);
        return p;
    }
    // Runs the dialog; rows as "name|days|calendar", then act on it before it is cancelled.
    std::vector<std::string> Rows(CDlgBirthdayRemind& dlg) {
        std::vector<std::string> rows;
        CListCtrl& list = dlg.GetList();
        for (int i = 0; i < list.GetItemCount(); ++i)
            rows.push_back(std::string((LPCTSTR)list.GetItemText(i, 0)) + "|" +
                           (LPCTSTR)list.GetItemText(i, 2) + "|" +
                           (LPCTSTR)list.GetItemText(i, 3));
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    std::vector<std::string> Run(BOOL bAuto = FALSE,
                                 std::function<void(CDlgBirthdayRemind&)> act = nullptr) {
        std::vector<std::string> rows;
        bool shown = false;
        onDialog = [&](CDialog& d) {
            auto& dlg = dynamic_cast<CDlgBirthdayRemind&>(d);
            shown = true;
            rows = Rows(dlg);
            if (act)
                act(dlg);
            if (::IsWindow(d.GetSafeHwnd()))
                d.EndDialog(IDCANCEL);
        };
        CDlgBirthdayRemind dlg(&root, &owner, bAuto);
        dlg.DoModal();
        if (!shown)
            rows.push_back("(closed)");
        return rows;
    }
};

TEST_F(DlgBirthdayRemindTest, EachModeListsTheBirthdaysOfItsCalendars) {
    struct Case {
        int mode;
        std::vector<std::string> rows;
    } cases[] = {
        {0, {"张三|0天|阳历", "李雷|4天|阴历", "王芳|3天|阳历"}},
        {1, {"张三|0天|阳历", "李雷|15天|阳历", "王芳|3天|阳历"}},
        {2, {"张三|4天|阴历", "李雷|4天|阴历", "王芳|16天|阴历"}},
        // Both calendars: a contact whose two birthdays fall in range is listed twice.
        {3,
         {"张三|0天|阳历", "张三|4天|阴历", "李雷|15天|阳历", "李雷|4天|阴历", "王芳|16天|阴历",
          "王芳|3天|阳历"}},
        // By each contact's remind settings: 王芳 asks for none.
        {4, {"张三|0天|阳历", "李雷|4天|阴历"}},
    };
    for (const Case& c : cases) {
        mode = c.mode;
        std::vector<std::string> expected = c.rows;
        std::sort(expected.begin(), expected.end());
        // Every birthday's text fits its column.
        int cut = 0;
        auto fits = [&cut](CDlgBirthdayRemind& dlg) {
            CListCtrl& list = dlg.GetList();
            for (int i = 0; i < list.GetItemCount(); ++i)
                cut += list.GetStringWidth(list.GetItemText(i, 1)) + 12 > list.GetColumnWidth(1);
        };
        EXPECT_EQ(Run(FALSE, fits), expected) << "mode " << c.mode;
        EXPECT_EQ(cut, 0) << "mode " << c.mode;
    }
}

TEST_F(DlgBirthdayRemindTest, RefreshTakesTheDaysAndRefusesOnesOutsideAYear) {
    mode = 3; // both calendars: the screen lists contacts twice
    std::vector<std::string> today, bad;
    Run(FALSE, [&](CDlgBirthdayRemind& d) {
        ASSERT_TRUE(d.SaveScreenshot(ScreenPath("birthday-remind").c_str()));
        d.SetDlgItemText(CDlgBirthdayRemind::IDC_DAYS, "0");
        d.SendMessage(WM_COMMAND, IDOK); // 刷新
        EXPECT_TRUE(::IsWindow(d.GetSafeHwnd()));
        today = Rows(d);
        d.SetDlgItemText(CDlgBirthdayRemind::IDC_DAYS, "366");
        d.SendMessage(WM_COMMAND, IDOK);
        bad = Rows(d);
    });
    EXPECT_EQ(today, (std::vector<std::string>{"张三|0天|阳历"}));
    EXPECT_EQ(bad, today) << "the list stays as it was";
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(std::string((LPCTSTR)shown.back().text), "请输入一个介于 0 和 365 之间的整数。");
    // Not remembered: the stored range stays.
    EXPECT_EQ(days, 20);
    EXPECT_EQ(saves, 1);
}

TEST_F(DlgBirthdayRemindTest, TheRangeIsStoredOnlyWhenRememberedAndTheChoiceLastsTheRun) {
    Run(FALSE, [&](CDlgBirthdayRemind& d) {
        d.SetDlgItemText(CDlgBirthdayRemind::IDC_DAYS, "30");
        d.SendMessage(WM_COMMAND, IDOK);
        d.CheckDlgButton(CDlgBirthdayRemind::IDC_REMEMBER, BST_CHECKED);
        d.CheckDlgButton(CDlgBirthdayRemind::IDC_AUTO_REMIND, BST_UNCHECKED);
        d.CheckDlgButton(CDlgBirthdayRemind::IDC_MODE_FIRST, BST_UNCHECKED);
        d.CheckDlgButton(CDlgBirthdayRemind::IDC_MODE_FIRST + 3, BST_CHECKED);
    });
    EXPECT_EQ(days, 30);
    EXPECT_EQ(autoRemind, 0);
    EXPECT_EQ(mode, 3);
    // The next dialog starts with the box ticked.
    bool ticked = false;
    Run(FALSE, [&](CDlgBirthdayRemind& d) {
        ticked = d.IsDlgButtonChecked(CDlgBirthdayRemind::IDC_REMEMBER) == BST_CHECKED;
        EXPECT_EQ(d.GetDlgItemInt(CDlgBirthdayRemind::IDC_DAYS), 30u);
    });
    EXPECT_TRUE(ticked);
    // A stored range beyond a year starts as five days.
    days = 4000;
    CDlgBirthdayRemind dlg(&root, &owner);
    EXPECT_EQ(dlg.m_nDays, 5);
}

TEST_F(DlgBirthdayRemindTest, OpenedAtStartWithNobodyInRangeItClosesItself) {
    days = 2;
    mode = 1;
    root.RemoveContent(zhang, TRUE);
    // The stand-in user answers late, so that a dialog which closes itself has done so first.
    auto run = [this](BOOL bAuto) {
        onDialog = [](CDialog& d) {
            HWND h = d.GetSafeHwnd();
            QTimer::singleShot(100, [h, &d] {
                if (::IsWindow(h))
                    d.EndDialog(IDOK);
            });
        };
        CDlgBirthdayRemind dlg(&root, &owner, bAuto);
        return dlg.DoModal();
    };
    EXPECT_EQ(run(TRUE), IDCANCEL);
    // Opened by the user it stays, empty.
    EXPECT_EQ(run(FALSE), IDOK);
    // With someone in range the start-up reminder stays too.
    days = 3;
    EXPECT_EQ(run(TRUE), IDOK);
}

TEST_F(DlgBirthdayRemindTest, DoubleClickingARowAsksTheOwnerToShowTheContact) {
    mode = 1;
    days = 3;
    Run(FALSE, [&](CDlgBirthdayRemind& d) {
        CListCtrl& list = d.GetList();
        ASSERT_EQ(list.GetItemCount(), 2);
        int row = list.GetItemText(0, 0) == "王芳" ? 0 : 1;
        CRect r;
        list.GetItemRect(row, &r, LVIR_LABEL);
        const LPARAM at = MAKELPARAM(r.CenterPoint().x, r.CenterPoint().y);
        list.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
        list.SendMessage(WM_LBUTTONUP, 0, at);
        list.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        list.SendMessage(WM_LBUTTONUP, 0, at);
        Pump();
    });
    EXPECT_EQ(owner.opened, (std::vector<CObject*>{wang}));
}

} // namespace
