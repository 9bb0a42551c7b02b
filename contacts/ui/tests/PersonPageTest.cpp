#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QTest>
#include <QWheelEvent>
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "contacts/tests/ContactsTestSupport.h"
#include "contacts/ui/PagePerson.h"
#include "contacts/ui/tests/SheetHost.h"
#include "platform/gui/DateTimeCtrl.h"
#include "platform/gui/ImageList.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/tests/GuiTestSupport.h"

namespace {

using contacts_test::AddValue;

class PersonPageTest : public GuiTest {
protected:
    void SetUp() override {
        m_oldBox = AfxSetMessageBoxHook([this](const MessageBoxCall& call) {
            messages.push_back(call.text.GetString());
            return IDOK;
        });
        m_sheet.AddPage(&page);
        ASSERT_TRUE(m_sheet.Create());
        m_sheet.SetWindowPos(nullptr, 0, 0, 620, 520, SWP_NOMOVE | SWP_NOZORDER);
        m_sheet.ShowWindow(SW_SHOW);
        Pump();
    }
    void TearDown() override {
        AfxSetModalDialogHook(nullptr);
        AfxSetMessageBoxHook(m_oldBox);
        m_sheet.DestroyWindow();
    }
    static std::string Bytes(_CPersonInfo& info) { return contacts_test::StoredBytes(info); }
    // Loads the block, stores it over a scrambled copy and answers whether the bytes match.
    void ExpectRoundTrip(_CPersonInfo& in) {
        page.ExchangePersonal(in.m_personal, TRUE);
        _CPersonInfo out(in);
        SPersonalBlock& p = out.m_personal;
        out.Name() = "乱";
        p.strNickname = p.strPager = p.strHobby = p.strSpeciality = p.strCustom = "乱";
        p.nSex = 9;
        p.nPicture = 3;
        p.birthday.Reset();
        for (CXStringList* list : {&p.mobiles, &p.phones, &p.web, &p.email, &p.homepage, &p.qq,
                                   &p.icq})
            list->RemoveAll();
        page.ExchangePersonal(out.m_personal, FALSE);
        EXPECT_EQ(Bytes(out), Bytes(in));
    }
    CString Text(UINT id) {
        CString s;
        page.GetDlgItem((int)id)->GetWindowText(s);
        return s;
    }
    LRESULT Notify(NMHDR& hdr, UINT code) {
        hdr.hwndFrom = page.GetDlgItem(CPagePerson::IDC_BIRTHDAY)->m_hWnd;
        hdr.idFrom = CPagePerson::IDC_BIRTHDAY;
        hdr.code = code;
        return page.SendMessage(WM_NOTIFY, CPagePerson::IDC_BIRTHDAY, (LPARAM)&hdr);
    }
    // Types a text into the picker and leaves it: the parse, then the change it causes.
    void TypeDate(const char* text, int y, int m, int d) {
        NMDATETIMESTRING s{};
        s.pszUserString = text;
        Notify(s.nmhdr, DTN_USERSTRING);
        NMDATETIMECHANGE c{};
        c.dwFlags = s.dwFlags;
        c.st = s.st;
        if (s.dwFlags == GDT_VALID && y) {
            c.st.wYear = (WORD)y; // a picker that rounds its date must not change it again
            c.st.wMonth = (WORD)m;
            c.st.wDay = (WORD)d;
        }
        Notify(c.nmhdr, DTN_DATETIMECHANGE);
    }
    // Runs the birthday dialog with the user's steps.
    void RunBirthdayDialog(std::function<void(CDialog&)> steps) {
        AfxSetModalDialogHook([steps](CDialog& d) { steps(d); });
        page.EditBirthday();
        AfxSetModalDialogHook(nullptr);
    }

    CPagePerson page;
    CHostSheet m_sheet;
    MessageBoxHook m_oldBox;
    std::vector<std::string> messages;
};

TEST_F(PersonPageTest, EveryPersonalFieldComesBackByteIdentical) {
    _CPerson person("张三");
    contacts_test::FillEveryKind(person);
    _CPersonInfo& info = person.GetInfo();
    info.m_personal.strPager = "95555";
    info.m_personal.strHobby = "围棋";
    info.m_personal.strSpeciality = "书法";
    info.m_personal.strCustom = "自定义";
    AddValue(info.m_personal.icq, "7788", "老友");
    info.m_personal.qq.GetHead().SetNote("工作");
    AddValue(info.m_personal.web, "msn:zhang");
    AddValue(info.m_personal.homepage, "www.example.com");
    AddValue(info.m_personal.phones, "010-1234");
    ExpectRoundTrip(info);
    EXPECT_STREQ(Text(CPagePerson::IDC_NAME), "张三");
    Pump();
    QDir().mkpath(QUILLMAR_SCREENS_DIR);
    EXPECT_TRUE(m_sheet.GetWidget()->grab().toImage().save(
        QString::fromStdString(ScreenPath("contact-page-person")), "PNG"));

    const struct {
        int nSex, nPicture;
        const char* sexShown;
        UINT icon;
    } cases[] = {{0, 0, "女", 183}, {1, 85, "男", 182}, {2, 1, "未知", 514},
                 {7, -3, "", 514},  {1, 86, "男", 182}, {0, 1000, "女", 183}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.nSex * 10000 + c.nPicture);
        info.m_personal.nSex = c.nSex;
        info.m_personal.nPicture = c.nPicture;
        ExpectRoundTrip(info);
        EXPECT_STREQ(Text(CPagePerson::IDC_SEX), c.sexShown);
        EXPECT_EQ(page.GetSexIconId(), c.icon);
        // A picture the list lacks shows the default face.
        const int shown = c.nPicture >= 0 && c.nPicture < CPagePerson::kPictureCount ? c.nPicture : 0;
        EXPECT_EQ(static_cast<CComboBox*>(page.GetDlgItem(CPagePerson::IDC_PICTURE))->GetCurSel(),
                  shown);
    }
    // Birthdays of every form.
    CBirthday lunarNoYear;
    lunarNoYear.SetBirthday(-1, 8, 15, FALSE, FALSE);
    lunarNoYear.SetShowLunar(TRUE);
    lunarNoYear.SetRemindLunar(TRUE);
    CBirthday solarNoYear;
    solarNoYear.SetBirthday(-1, 2, 29, FALSE, TRUE);
    for (const CBirthday& b : {lunarNoYear, solarNoYear, CBirthday()}) {
        info.m_personal.birthday = b;
        ExpectRoundTrip(info);
    }
}

TEST_F(PersonPageTest, AChosenPictureIsStoredAndAnUnknownOneKept) {
    _CPersonInfo info;
    info.Name() = "李四";
    info.m_personal.nPicture = 200;
    page.ExchangePersonal(info.m_personal, TRUE);
    auto* pictures = static_cast<CComboBox*>(page.GetDlgItem(CPagePerson::IDC_PICTURE));
    pictures->SetCurSel(5);
    page.SendMessage(WM_COMMAND, MAKEWPARAM(CPagePerson::IDC_PICTURE, CBN_SELCHANGE),
                     (LPARAM)pictures->m_hWnd);
    page.ExchangePersonal(info.m_personal, FALSE);
    EXPECT_EQ(info.m_personal.nPicture, 5);
    EXPECT_TRUE(page.IsChanged());
}

// The picture box shows head picture i beside number i, from the list its owner hands over.
TEST_F(PersonPageTest, EachPictureNumberShowsItsHeadPicture) {
    QImage strip(16 * CPagePerson::kPictureCount, 16, QImage::Format_ARGB32);
    for (int i = 0; i < CPagePerson::kPictureCount; ++i)
        for (int x = 0; x < 16; ++x)
            for (int y = 0; y < 16; ++y)
                strip.setPixelColor(i * 16 + x, y, QColor(i * 3, 255 - i * 2, 100));
    CBitmap bmp;
    bmp.AttachImageData(strip);
    CImageList heads;
    ASSERT_TRUE(heads.Create(16, 16, ILC_COLOR32, CPagePerson::kPictureCount, 0));
    heads.Add(&bmp, RGB(255, 0, 255));
    ASSERT_EQ(heads.GetImageCount(), CPagePerson::kPictureCount);
    page.SetHeadImages(&heads);

    auto* pictures = dynamic_cast<CComboBoxEx*>(page.GetDlgItem(CPagePerson::IDC_PICTURE));
    ASSERT_NE(pictures, nullptr);
    EXPECT_EQ(pictures->GetImageList(), &heads);
    ASSERT_EQ(pictures->GetCount(), CPagePerson::kPictureCount);
    for (int i : {0, 1, 42, CPagePerson::kPictureCount - 1}) {
        EXPECT_EQ(pictures->GetItemImage(i), i);
        CString number;
        pictures->GetLBText(i, number);
        EXPECT_EQ(number, CString(std::to_string(i).c_str()));
    }
    _CPersonInfo info;
    info.m_personal.nPicture = 42;
    page.ExchangePersonal(info.m_personal, TRUE);
    EXPECT_EQ(pictures->GetCurSel(), 42);
    page.SetHeadImages(nullptr); // the list goes before the page
}

TEST_F(PersonPageTest, ZodiacAndStarSignFollowTheBirthday) {
    _CPersonInfo info;
    info.m_personal.birthday.SetBirthday(1980, 3, 5, FALSE, TRUE); // 庚申, the monkey's year
    page.ExchangePersonal(info.m_personal, TRUE);
    EXPECT_STREQ(Text(CPagePerson::IDC_ZODIAC), "猴(9 -申)");
    EXPECT_STREQ(Text(CPagePerson::IDC_STAR), "双鱼座");
    EXPECT_FALSE(Text(CPagePerson::IDC_LUNAR_TEXT).IsEmpty());
    // Without a year there is no lunar year to name.
    info.m_personal.birthday.Reset();
    info.m_personal.birthday.SetBirthday(-1, 3, 5, FALSE, TRUE);
    page.ExchangePersonal(info.m_personal, TRUE);
    EXPECT_STREQ(Text(CPagePerson::IDC_ZODIAC), "");
    // The form box only switches what is shown.
    auto* form = static_cast<CComboBox*>(page.GetDlgItem(CPagePerson::IDC_FORM));
    form->SetCurSel(1);
    page.SetChanged(FALSE);
    page.SendMessage(WM_COMMAND, MAKEWPARAM(CPagePerson::IDC_FORM, CBN_SELCHANGE),
                     (LPARAM)form->m_hWnd);
    EXPECT_TRUE(page.GetDlgItem(CPagePerson::IDC_LUNAR_TEXT)->IsWindowVisible());
    EXPECT_FALSE(page.GetDlgItem(CPagePerson::IDC_BIRTHDAY)->IsWindowVisible());
    EXPECT_FALSE(page.IsChanged());
}

TEST_F(PersonPageTest, ATypedDateChangesTheBirthdayOnceAndNonsenseNotAtAll) {
    _CPersonInfo info;
    info.m_personal.birthday.SetBirthday(1980, 3, 5, FALSE, TRUE);
    page.ExchangePersonal(info.m_personal, TRUE);
    page.SetChanged(FALSE);
    const CBirthday before = page.GetWorkingBirthday();
    for (const char* text : {"不是日期", "1999-13-40", "2001-2-29"}) {
        SCOPED_TRACE(text);
        TypeDate(text, 0, 0, 0);
        EXPECT_TRUE(page.GetWorkingBirthday() == before);
    }
    TypeDate("1985-6-7", 2000, 1, 1);
    EXPECT_EQ(page.GetWorkingBirthday().GetYear(), 1985);
    EXPECT_EQ(page.GetWorkingBirthday().GetMonth(), 6);
    EXPECT_EQ(page.GetWorkingBirthday().GetDay(), 7);
    EXPECT_TRUE(page.IsChanged());
    // A date picked afterwards is taken as it is.
    NMDATETIMECHANGE c{};
    c.dwFlags = GDT_VALID;
    c.st.wYear = 1990;
    c.st.wMonth = 10;
    c.st.wDay = 1;
    Notify(c.nmhdr, DTN_DATETIMECHANGE);
    EXPECT_EQ(page.GetWorkingBirthday().GetYear(), 1990);
    EXPECT_STREQ(Text(CPagePerson::IDC_STAR), "天秤座");
}

TEST_F(PersonPageTest, BirthdayDialogSetsSolarAndLunarBirthdays) {
    _CPersonInfo info;
    page.ExchangePersonal(info.m_personal, TRUE);
    page.SetChanged(FALSE);
    // A lunar birthday without a year is shown and reminded in the lunar calendar, whatever the
    // boxes say.
    RunBirthdayDialog([](CDialog& d) {
        d.CheckRadioButton(CDlgBirthday::IDC_SOLAR, CDlgBirthday::IDC_LUNAR, CDlgBirthday::IDC_LUNAR);
        d.SendMessage(WM_COMMAND, MAKEWPARAM(CDlgBirthday::IDC_LUNAR, BN_CLICKED),
                      (LPARAM)d.GetDlgItem(CDlgBirthday::IDC_LUNAR)->m_hWnd);
        d.CheckDlgButton(CDlgBirthday::IDC_NO_YEAR, BST_CHECKED);
        d.SendMessage(WM_COMMAND, MAKEWPARAM(CDlgBirthday::IDC_NO_YEAR, BN_CLICKED),
                      (LPARAM)d.GetDlgItem(CDlgBirthday::IDC_NO_YEAR)->m_hWnd);
        d.SetDlgItemText(CDlgBirthday::IDC_MONTH, "8");
        d.SetDlgItemText(CDlgBirthday::IDC_DAY, "15");
        d.CheckDlgButton(CDlgBirthday::IDC_REMIND_SOLAR, BST_CHECKED);
        EXPECT_TRUE(d.GetDlgItem(CDlgBirthday::IDC_LEAP)->IsWindowVisible());
        EXPECT_FALSE(d.GetDlgItem(CDlgBirthday::IDC_YEAR)->IsWindowVisible());
        d.SaveScreenshot(ScreenPath("birthday-lunar").c_str());
        d.GetDlgItem(IDOK)->SendMessage(BM_CLICK);
    });
    const CBirthday& b = page.GetWorkingBirthday();
    EXPECT_EQ(b.GetYear(), -1);
    EXPECT_TRUE(b.IsLunarMonthDay());
    EXPECT_TRUE(b.IsShowLunar());
    EXPECT_TRUE(b.IsRemindLunar());
    EXPECT_FALSE(b.IsRemindSolar());
    EXPECT_TRUE(page.IsChanged());

    page.SetChanged(FALSE);
    RunBirthdayDialog([](CDialog& d) {
        EXPECT_EQ(d.GetCheckedRadioButton(CDlgBirthday::IDC_SOLAR, CDlgBirthday::IDC_LUNAR),
                  CDlgBirthday::IDC_LUNAR);
        d.CheckRadioButton(CDlgBirthday::IDC_SOLAR, CDlgBirthday::IDC_LUNAR, CDlgBirthday::IDC_SOLAR);
        d.SendMessage(WM_COMMAND, MAKEWPARAM(CDlgBirthday::IDC_SOLAR, BN_CLICKED),
                      (LPARAM)d.GetDlgItem(CDlgBirthday::IDC_SOLAR)->m_hWnd);
        d.CheckDlgButton(CDlgBirthday::IDC_NO_YEAR, BST_UNCHECKED);
        d.SendMessage(WM_COMMAND, MAKEWPARAM(CDlgBirthday::IDC_NO_YEAR, BN_CLICKED),
                      (LPARAM)d.GetDlgItem(CDlgBirthday::IDC_NO_YEAR)->m_hWnd);
        d.SetDlgItemText(CDlgBirthday::IDC_YEAR, "1975");
        d.SetDlgItemText(CDlgBirthday::IDC_MONTH, "4");
        d.SetDlgItemText(CDlgBirthday::IDC_DAY, "20");
        d.CheckDlgButton(CDlgBirthday::IDC_SHOW_LUNAR, BST_UNCHECKED);
        EXPECT_FALSE(d.GetDlgItem(CDlgBirthday::IDC_LEAP)->IsWindowVisible());
        EXPECT_TRUE(d.GetDlgItem(CDlgBirthday::IDC_YEAR)->IsWindowVisible());
        d.SaveScreenshot(ScreenPath("birthday-solar").c_str());
        d.GetDlgItem(IDOK)->SendMessage(BM_CLICK);
    });
    EXPECT_EQ(page.GetWorkingBirthday().GetYear(), 1975);
    EXPECT_EQ(page.GetWorkingBirthday().GetMonth(), 4);
    EXPECT_FALSE(page.GetWorkingBirthday().IsShowLunar());
    EXPECT_TRUE(page.IsChanged());
}

TEST_F(PersonPageTest, BirthdayDialogConvertsTheDateWhenTheCalendarIsSwitched) {
    // Each row: the solar date typed, the lunar date the 阴历 button turns it into and the solar
    // date 阳历 turns that back into. A date the conversion cannot take, and one without its year,
    // stay as typed.
    struct Case {
        int typed[3];
        bool noYear;
        int lunar[3];
        bool leap;
        int back[3];
    };
    const Case cases[] = {
        {{1990, 3, 15}, false, {1990, 2, 19}, false, {1990, 3, 15}},
        {{2024, 2, 10}, false, {2024, 1, 1}, false, {2024, 2, 10}},  // the lunar new year
        {{2024, 2, 9}, false, {2023, 12, 30}, false, {2024, 2, 9}},  // its eve
        {{2023, 4, 1}, false, {2023, 2, 11}, true, {2023, 4, 1}},    // in 2023's leap month
        {{1990, 13, 15}, false, {1990, 13, 15}, false, {1990, 13, 15}},
        // Still lunar 1900, which does not convert back: the fields stay, and read as a lunar
        // date they are 1901's 正月初十.
        {{1901, 1, 10}, false, {1901, 1, 10}, false, {1901, 2, 28}},
        {{1990, 3, 15}, true, {1990, 3, 15}, false, {1990, 3, 15}},
    };
    const int ids[] = {CDlgBirthday::IDC_YEAR, CDlgBirthday::IDC_MONTH, CDlgBirthday::IDC_DAY};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.typed[0]) + "-" + std::to_string(c.typed[1]) + "-" +
                     std::to_string(c.typed[2]) + (c.noYear ? " without year" : ""));
        const CDate solar(c.typed[0], c.typed[1], c.typed[2]);
        int lunar[3] = {0, 0, 0};
        const int kind = c.noYear ? 0 : solar.ToLunar(&lunar[0], &lunar[1], &lunar[2]);
        if (kind != 0 && lunar[0] >= CDate::kLunarFirstYear) { // agrees with the calendar's own
            EXPECT_EQ(kind, c.leap ? 2 : 1);
            EXPECT_TRUE(std::equal(lunar, lunar + 3, c.lunar));
        }
        _CPersonInfo info;
        page.ExchangePersonal(info.m_personal, TRUE);
        RunBirthdayDialog([&](CDialog& d) {
            auto click = [&](int id) {
                QTest::mouseClick(d.GetDlgItem(id)->GetWidget(), Qt::LeftButton, {}, QPoint(5, 5));
            };
            // The year field is hidden, and ignored, for a date without its year.
            auto expectShown = [&](const int* date) {
                for (int i = c.noYear ? 1 : 0; i < 3; ++i)
                    EXPECT_EQ((int)d.GetDlgItemInt(ids[i]), date[i]) << i;
            };
            if (c.noYear)
                click(CDlgBirthday::IDC_NO_YEAR);
            for (int i = 0; i < 3; ++i)
                d.SetDlgItemInt(ids[i], (UINT)c.typed[i]);
            click(CDlgBirthday::IDC_LUNAR);
            ASSERT_EQ(d.GetCheckedRadioButton(CDlgBirthday::IDC_SOLAR, CDlgBirthday::IDC_LUNAR),
                      CDlgBirthday::IDC_LUNAR);
            expectShown(c.lunar);
            EXPECT_EQ((bool)d.IsDlgButtonChecked(CDlgBirthday::IDC_LEAP), c.leap);
            // Clicking the chosen calendar again changes nothing; the other one converts back.
            click(CDlgBirthday::IDC_LUNAR);
            expectShown(c.lunar);
            click(CDlgBirthday::IDC_SOLAR);
            expectShown(c.back);
            EXPECT_FALSE(d.IsDlgButtonChecked(CDlgBirthday::IDC_LEAP));
            d.EndDialog(IDCANCEL);
        });
    }
    // The converted lunar date, leap month included, is what the dialog stores.
    RunBirthdayDialog([](CDialog& d) {
        d.SetDlgItemText(CDlgBirthday::IDC_YEAR, "2023");
        d.SetDlgItemText(CDlgBirthday::IDC_MONTH, "4");
        d.SetDlgItemText(CDlgBirthday::IDC_DAY, "1");
        QTest::mouseClick(d.GetDlgItem(CDlgBirthday::IDC_LUNAR)->GetWidget(), Qt::LeftButton, {},
                          QPoint(5, 5));
        d.GetDlgItem(IDOK)->SendMessage(BM_CLICK);
    });
    const CBirthday& b = page.GetWorkingBirthday();
    EXPECT_EQ(b.GetYear() * 10000 + b.GetMonth() * 100 + b.GetDay(), 20230401);
}

TEST_F(PersonPageTest, BirthdayDialogRefusesBadDatesAndClears) {
    _CPersonInfo info;
    info.m_personal.birthday.SetBirthday(1980, 3, 5, FALSE, TRUE);
    page.ExchangePersonal(info.m_personal, TRUE);
    page.SetChanged(FALSE);
    bool stayedOpen = false;
    // A solar date that does not exist: no message, the dialog stays.
    RunBirthdayDialog([&](CDialog& d) {
        d.SetDlgItemText(CDlgBirthday::IDC_MONTH, "13");
        d.GetDlgItem(IDOK)->SendMessage(BM_CLICK);
        stayedOpen = d.m_hWnd && d.IsWindowVisible();
        d.EndDialog(IDCANCEL);
    });
    EXPECT_TRUE(stayedOpen);
    EXPECT_TRUE(messages.empty());
    // A lunar year past the tables: the conversion's message, the dialog stays.
    RunBirthdayDialog([&](CDialog& d) {
        d.CheckRadioButton(CDlgBirthday::IDC_SOLAR, CDlgBirthday::IDC_LUNAR, CDlgBirthday::IDC_LUNAR);
        d.SetDlgItemText(CDlgBirthday::IDC_YEAR, "2200");
        d.GetDlgItem(IDOK)->SendMessage(BM_CLICK);
        stayedOpen = d.m_hWnd && d.IsWindowVisible();
        d.EndDialog(IDCANCEL);
    });
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(page.GetWorkingBirthday().GetYear(), 1980);
    EXPECT_FALSE(page.IsChanged());
    // Clearing: a null birthday, and a change only when there was one.
    for (bool expectChange : {true, false}) {
        page.SetChanged(FALSE);
        RunBirthdayDialog([](CDialog& d) {
            d.GetDlgItem(CDlgBirthday::IDC_CLEAR)->SendMessage(BM_CLICK);
        });
        EXPECT_TRUE(page.GetWorkingBirthday().IsNull());
        EXPECT_EQ(page.GetWorkingBirthday().GetFlags(), 0);
        EXPECT_EQ((bool)page.IsChanged(), expectChange);
    }
}

TEST_F(PersonPageTest, FieldNumbersLeadToThePersonalControls) {
    for (int nField : {0, 1, 2, 3, 4, 8, 9, 10}) {
        EXPECT_TRUE(page.FocusField(nField)) << nField;
    }
    EXPECT_FALSE(page.FocusField(15));
    EXPECT_FALSE(page.FocusField(46));
    EXPECT_EQ(page.GetMultiValueCombo(CPagePerson::IDC_QQ_BUTTON),
              page.GetMultiValueCombo(CPagePerson::IDC_QQ));
}

// The page from the keyboard, from 姓名 on: each control Tab reaches shows that it has the
// focus (the buttons and drop-down lists too), the zodiac and star sign, derived from the
// birthday, are passed over, and Shift+Tab walks the same way back, past them as well.
TEST_F(PersonPageTest, TabAndShiftTabWalkThePageShowingTheFocusAndPassTheDerivedSigns) {
    CWnd* name = page.GetDlgItem(CPagePerson::IDC_NAME);
    name->SetFocus();
    ASSERT_TRUE(WaitFor([&] { return CWnd::GetFocus() == name; }));
    auto focusId = [] {
        CWnd* f = CWnd::GetFocus();
        // A drop-down list with an edit has the focus in the edit.
        while (f && f->GetDlgCtrlID() == 0 && f->GetParent())
            f = f->GetParent();
        return f ? f->GetDlgCtrlID() : 0;
    };
    auto press = [](Qt::KeyboardModifiers mods) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, mods);
        Pump();
    };
    std::vector<int> forward{CPagePerson::IDC_NAME};
    for (int i = 0; i < 12; ++i) {
        CWnd* next = page.GetNextDlgTabItem(CWnd::GetFocus());
        QImage without = next ? next->GetWidget()->grab().toImage() : QImage();
        press(Qt::NoModifier);
        forward.push_back(focusId());
        if (next && next->GetDlgCtrlID() == forward.back())
            EXPECT_NE(without, next->GetWidget()->grab().toImage())
                << forward.back() << " shows no focus";
    }
    for (int id : {(int)CPagePerson::IDC_BIRTHDAY_BUTTON, (int)CPagePerson::IDC_PAGER,
                   (int)CPagePerson::IDC_MOBILES_BUTTON})
        EXPECT_NE(std::find(forward.begin(), forward.end(), id), forward.end())
            << id << " is reached";
    for (int id : {(int)CPagePerson::IDC_ZODIAC, (int)CPagePerson::IDC_STAR})
        EXPECT_EQ(std::find(forward.begin(), forward.end(), id), forward.end())
            << id << " is passed over";
    std::vector<int> back{forward.back()};
    for (size_t i = 1; i < forward.size(); ++i) {
        press(Qt::ShiftModifier);
        back.push_back(focusId());
    }
    EXPECT_EQ(std::vector<int>(forward.rbegin(), forward.rend()), back);
}

} // namespace

// Keys and the wheel on the birthday picker of a contact without a full date: the picker shows
// only a text ("不详", "3月5日"), so nothing may step the date held unseen beneath it (a Down
// used to give the contact today's date a year back). With a date shown, the keys step it.
TEST_F(PersonPageTest, APickerShowingNoDateIsNotSteppedUnseen) {
    auto* picker = static_cast<CDateTimeCtrl*>(page.GetDlgItem(CPagePerson::IDC_BIRTHDAY));
    auto wheel = [](QWidget* w) {
        const QPointF at(w->width() / 2.0, w->height() / 2.0);
        QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w, &e);
    };
    CBirthday yearless;
    yearless.SetBirthday(-1, 3, 5, FALSE, TRUE);
    for (const CBirthday& birthday : {CBirthday(), yearless}) {
        SCOPED_TRACE(birthday.GetYear());
        _CPersonInfo info;
        info.m_personal.birthday = birthday;
        page.ExchangePersonal(info.m_personal, TRUE);
        page.SetChanged(FALSE);
        const CString shown = picker->GetText();
        picker->GetWidget()->setFocus();
        Pump();
        for (Qt::Key k : {Qt::Key_Down, Qt::Key_Up, Qt::Key_PageDown, Qt::Key_1})
            QTest::keyClick(QApplication::focusWidget(), k);
        wheel(picker->GetWidget());
        Pump();
        EXPECT_TRUE(page.GetWorkingBirthday() == birthday);
        EXPECT_FALSE(page.IsChanged());
        EXPECT_STREQ(picker->GetText(), shown);
    }
    _CPersonInfo info;
    info.m_personal.birthday.SetBirthday(1980, 3, 5, FALSE, TRUE);
    page.ExchangePersonal(info.m_personal, TRUE);
    page.SetChanged(FALSE);
    picker->GetWidget()->setFocus();
    Pump();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    Pump();
    EXPECT_EQ(1979, page.GetWorkingBirthday().GetYear());
    EXPECT_EQ(3, page.GetWorkingBirthday().GetMonth());
    EXPECT_TRUE(page.IsChanged());
}
