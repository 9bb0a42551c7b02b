// The first page of the contact sheet: name, sex, nickname, birthday (with its zodiac animal and
// star sign), head picture, pager, hobby, speciality, a custom text and seven value lists; and the
// dialog that sets a birthday as a solar or lunar date, with or without its year.
#pragma once

#include "contacts/PersonInfo.h"
#include "contacts/ui/PageAddress.h"
#include "platform/gui/ComboBoxEx.h"
#include "platform/gui/DateTimeCtrl.h"
#include "platform/gui/Dialog.h"

class CDlgBirthday : public CDialog {
public:
    enum { IDD = 4029 };
    enum {
        IDC_YEAR = 1006,
        IDC_MONTH = 1007,
        IDC_DAY = 1012,
        IDC_CLEAR = 1021,
        IDC_LEAP = 1024,
        IDC_REMIND_SOLAR = 1207,
        IDC_SOLAR = 1213,
        IDC_LUNAR = 1214,
        IDC_REMIND_LUNAR = 1216,
        IDC_SHOW_LUNAR = 1274,
        IDC_NO_YEAR = 1275,
        IDC_DAY_LABEL = 1111,
        IDC_YEAR_LABEL = 1112,
    };
    CDlgBirthday(CWnd* pParent = nullptr);

    int m_nCalendar = 0; // 0 solar, 1 lunar
    int m_nYear = 1970, m_nMonth = 1, m_nDay = 1;
    BOOL m_bLeap = FALSE, m_bNoYear = FALSE, m_bShowLunar = FALSE;
    BOOL m_bRemindSolar = FALSE, m_bRemindLunar = FALSE;
    CBirthday m_birthday;

    // Fills the fields from a birthday (nothing for an invalid one but its flags).
    void Prepare(const CBirthday& birthday);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void DoDataExchange(CDataExchange* pDX) override;

private:
    void ShowCalendarItems();
    void ShowYearItems();
    // Rewrites the date in the fields in the calendar being switched to.
    void ConvertShownDate(BOOL bToLunar);
};

class CPagePerson : public CMultiValuePage {
public:
    enum { IDD = 143 };
    enum {
        IDC_NAME = 1022,
        IDC_SEX = 1039,
        IDC_NICKNAME = 1038,
        IDC_BIRTHDAY_BUTTON = 1021,
        IDC_BIRTHDAY = 1009,
        IDC_FORM = 1126,
        IDC_LUNAR_TEXT = 1006,
        IDC_ZODIAC = 1040,
        IDC_STAR = 1011,
        IDC_PAGER = 1041,
        IDC_MOBILES = 1018,
        IDC_MOBILES_BUTTON = 1056,
        IDC_HOBBY = 1043,
        IDC_PHONES = 1019,
        IDC_PHONES_BUTTON = 1063,
        IDC_SPECIALITY = 1044,
        IDC_WEB = 1020,
        IDC_WEB_BUTTON = 1064,
        IDC_CUSTOM = 1050,
        IDC_QQ = 1042,
        IDC_QQ_BUTTON = 1055,
        IDC_ICQ = 1015,
        IDC_ICQ_BUTTON = 1023,
        IDC_EMAIL = 1016,
        IDC_EMAIL_BUTTON = 1024,
        IDC_HOMEPAGE = 1017,
        IDC_HOMEPAGE_BUTTON = 1025,
        IDC_PICTURE = 1242,
        IDC_SEX_ICON = 1111,
    };
    // Head pictures 0..85 can be chosen.
    enum { kPictureCount = 86 };

    CPagePerson();
    ~CPagePerson() override;

    BOOL OnInitDialog() override;
    void ExchangePersonal(SPersonalBlock& personal, BOOL bToPage);
    void LayoutPage() override;

    const CBirthday& GetWorkingBirthday() const { return m_birthday; }
    const CString& GetLoadedName() const { return m_strLoadedName; }
    // The icon of the sex shown: 182 male, 183 female, 514 not given.
    UINT GetSexIconId() const;
    // Runs the birthday dialog on the working birthday (the birthday button).
    void EditBirthday();
    // The head pictures (image i is picture i) that the picture box shows beside the numbers;
    // the list stays its owner's.
    void SetHeadImages(CImageList* pImages);
    // The head pictures every page shows unless it is given its own (the program's faces, set
    // while the program runs; null clears them before the list goes).
    static void SetSharedHeadImages(CImageList* pImages);

    // The record's sex code (1 male, 0 female, 2 not given) and the list's index, both ways.
    static int SexToIndex(int nSex);
    static int IndexToSex(int nIndex);

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

private:
    void RefreshBirthday();
    void RefreshSigns();
    void ShowForm(int nForm);
    void ShowSexIcon();

    CBirthday m_birthday;
    CString m_strLoadedName;
    CDateTimeCtrl m_wndPicker;
    CComboBox m_wndSex, m_wndForm, m_wndZodiac, m_wndStar;
    CComboBoxEx m_wndPicture;
    CImageList* m_pHeadImages = nullptr;
    static CImageList* s_pSharedHeadImages;
    // What the record stores, kept when the page cannot show it.
    int m_nPicture = 0;
    BOOL m_bPictureChosen = FALSE;
    BOOL m_bPickerParsed = FALSE;
    SPersonalBlock m_personal;
};
