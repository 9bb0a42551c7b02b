#include "contacts/ui/PagePerson.h"

#include "contacts/ui/ValueListCombo.h"
#include "core/LunarDate.h"
#include "platform/gui/MessageBox.h"

#include <algorithm>

namespace {

const UINT kLabels[] = {1117, 1118, 1119, 1120, 1129, 1132, 1130, 1055, 1023, 1024, 1025};
const UINT kIcons[] = {1111, 1112, 0, 1113, 1139, 1282, 1137, 1114, 1115, 1116, 1127};
const SFieldItem kFields[] = {
    {1022, FIELD_WIDTH_TO_MIDDLE}, {1038, FIELD_WIDTH_TO_MIDDLE}, {1040, FIELD_WIDTH_TO_MIDDLE},
    {1041, FIELD_WIDTH_TO_MIDDLE}, {1043, FIELD_WIDTH_TO_MIDDLE}, {1044, FIELD_WIDTH_TO_MIDDLE},
    {1050, FIELD_WIDTH_TO_RIGHT},  {1042, FIELD_WIDTH_TO_RIGHT},  {1015, FIELD_WIDTH_TO_RIGHT},
    {1016, FIELD_WIDTH_TO_RIGHT},  {1017, FIELD_WIDTH_TO_RIGHT}};
const UINT kLabels2[] = {1122, 1021, 1124, 1056, 1063, 1064, 0, 0, 0, 0, 0};
const UINT kIcons2[] = {0, 0, 0, 1121, 1128, 1243, 0, 0, 0, 0, 0};
const SFieldItem kFields2[] = {
    {1039, FIELD_WIDTH_KEEP},     {1009, FIELD_WIDTH_TO_RIGHT}, {1011, FIELD_WIDTH_TO_RIGHT},
    {1018, FIELD_WIDTH_TO_RIGHT}, {1019, FIELD_WIDTH_TO_RIGHT}, {1020, FIELD_WIDTH_TO_RIGHT},
    {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}};

const SFieldJump kPersonJumps[] = {
    {0, 1022, FIELD_JUMP_EDIT},         {1, 1039, FIELD_JUMP_COMBO},
    {2, 1038, FIELD_JUMP_EDIT},         {3, 1009, FIELD_JUMP_DATE},
    {4, 1041, FIELD_JUMP_EDIT},         {5, 1056, FIELD_JUMP_LIST_BUTTON},
    {6, 1063, FIELD_JUMP_LIST_BUTTON},  {7, 1064, FIELD_JUMP_LIST_BUTTON},
    {8, 1043, FIELD_JUMP_EDIT},         {9, 1044, FIELD_JUMP_EDIT},
    {10, 1050, FIELD_JUMP_EDIT},        {11, 1055, FIELD_JUMP_LIST_BUTTON},
    {12, 1023, FIELD_JUMP_LIST_BUTTON}, {13, 1024, FIELD_JUMP_LIST_BUTTON},
    {14, 1025, FIELD_JUMP_LIST_BUTTON}};

const char* const kSexes[] = {"男", "女", "未知"};
// 申 is the ninth earthly branch.
const char* const kZodiac[] = {"鼠(1 -子)", "牛(2 -丑)", "虎(3 -寅)", "兔(4 -卯)",
                               "龙(5 -辰)", "蛇(6 -巳)", "马(7 -午)", "羊(8 -未)",
                               "猴(9 -申)", "鸡(10-酉)", "狗(11-戌)", "猪(12-亥)"};
const char* const kStars[] = {"魔羯座", "水瓶座", "双鱼座", "牡羊座", "金牛座", "双子座",
                              "巨蟹座", "狮子座", "处女座", "天秤座", "天蝎座", "射手座"};
// The picker's format while the birthday is no valid date (string table), loaded once.
const CString& InvalidDateFormat() {
    static const CString format = [] {
        CString text;
        text.LoadString(332);
        return text;
    }();
    return format;
}
constexpr UINT kReferenceItem = 1125;

} // namespace

// ---- CDlgBirthday -------------------------------------------------------------------------------

CDlgBirthday::CDlgBirthday(CWnd* pParent) : CDialog(IDD, pParent) {}

void CDlgBirthday::Prepare(const CBirthday& birthday) {
    m_birthday = birthday;
    if (birthday.IsValid()) {
        if (!birthday.IsShowLunar() || birthday.IsLunarMonthDay()) {
            m_nCalendar = birthday.IsShowLunar() ? 1 : 0;
            m_nYear = birthday.GetYear();
            m_nMonth = birthday.GetMonth();
            m_nDay = birthday.GetDay();
            m_bLeap = birthday.IsLeapMonth();
        } else {
            CLunarDate lunar;
            m_nCalendar = 1;
            if (lunar.SetFromSolar(birthday)) {
                m_nYear = lunar.GetYear();
                m_nMonth = lunar.GetMonth();
                m_nDay = lunar.GetDay();
                m_bLeap = lunar.IsLeapMonth();
            }
        }
        m_bNoYear = birthday.GetYear() == -1;
        if (m_bNoYear)
            m_nYear = 1970;
    }
    m_bShowLunar = birthday.IsShowLunar();
    m_bRemindSolar = birthday.IsRemindSolar();
    m_bRemindLunar = birthday.IsRemindLunar();
}

void CDlgBirthday::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Radio(pDX, IDC_SOLAR, m_nCalendar);
    DDX_Text(pDX, IDC_YEAR, m_nYear);
    DDX_Text(pDX, IDC_MONTH, m_nMonth);
    DDX_Text(pDX, IDC_DAY, m_nDay);
    DDX_Check(pDX, IDC_LEAP, m_bLeap);
    DDX_Check(pDX, IDC_NO_YEAR, m_bNoYear);
    DDX_Check(pDX, IDC_SHOW_LUNAR, m_bShowLunar);
    DDX_Check(pDX, IDC_REMIND_SOLAR, m_bRemindSolar);
    DDX_Check(pDX, IDC_REMIND_LUNAR, m_bRemindLunar);
}

BOOL CDlgBirthday::OnInitDialog() {
    CDialog::OnInitDialog();
    ShowCalendarItems();
    ShowYearItems();
    return TRUE;
}

void CDlgBirthday::ShowCalendarItems() {
    const BOOL bLunar = m_nCalendar == 1;
    if (CWnd* pLeap = GetDlgItem(IDC_LEAP))
        pLeap->ShowWindow(bLunar ? SW_SHOW : SW_HIDE);
    if (CWnd* pLabel = GetDlgItem(IDC_DAY_LABEL))
        pLabel->ShowWindow(bLunar ? SW_HIDE : SW_SHOW);
}

void CDlgBirthday::ShowYearItems() {
    for (UINT id : {IDC_YEAR, IDC_YEAR_LABEL})
        if (CWnd* pWnd = GetDlgItem((int)id))
            pWnd->ShowWindow(m_bNoYear ? SW_HIDE : SW_SHOW);
}

void CDlgBirthday::ConvertShownDate(BOOL bToLunar) {
    // A month and day without their year fall on a different day of the other calendar every
    // year, so they stay as they are and are read in the calendar now chosen.
    if (IsDlgButtonChecked(IDC_NO_YEAR))
        return;
    BOOL ok[3] = {FALSE, FALSE, FALSE};
    const int nYear = (int)GetDlgItemInt(IDC_YEAR, &ok[0]);
    const int nMonth = (int)GetDlgItemInt(IDC_MONTH, &ok[1]);
    const int nDay = (int)GetDlgItemInt(IDC_DAY, &ok[2]);
    if (!ok[0] || !ok[1] || !ok[2])
        return;
    // A date the conversion cannot take stays, for OnOK to report.
    CDate solar(nYear, nMonth, nDay);
    CLunarDate shown;
    if (bToLunar) {
        // Lunar 1900 (the first days of 1901) would not convert back, so it is not offered.
        if (!solar.IsValid() || !shown.SetFromSolar(solar) || !shown.IsValid())
            return;
    } else {
        if (CDate::LunarToSolar(solar, nYear, nMonth, nDay, IsDlgButtonChecked(IDC_LEAP)) != 0)
            return;
        shown = CLunarDate(solar.GetYear(), solar.GetMonth(), solar.GetDay(), FALSE);
    }
    SetDlgItemInt(IDC_YEAR, (UINT)shown.GetYear());
    SetDlgItemInt(IDC_MONTH, (UINT)shown.GetMonth());
    SetDlgItemInt(IDC_DAY, (UINT)shown.GetDay());
    CheckDlgButton(IDC_LEAP, shown.IsLeapMonth() ? BST_CHECKED : BST_UNCHECKED);
}

BOOL CDlgBirthday::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
        case IDC_SOLAR:
        case IDC_LUNAR: {
            const int nCalendar = LOWORD(wParam) == IDC_LUNAR ? 1 : 0;
            if (nCalendar != m_nCalendar)
                ConvertShownDate(nCalendar == 1);
            m_nCalendar = nCalendar;
            ShowCalendarItems();
            return TRUE;
        }
        case IDC_NO_YEAR:
            m_bNoYear = IsDlgButtonChecked(IDC_NO_YEAR);
            ShowYearItems();
            return TRUE;
        case IDC_CLEAR:
            m_birthday.SetNull();
            m_birthday.SetFlags(0);
            EndDialog(IDOK);
            return TRUE;
        }
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CDlgBirthday::OnOK() {
    if (!UpdateData(TRUE))
        return;
    int nYear = m_nYear;
    if (m_bNoYear)
        CDate::SetYearUnknown(nYear);
    CString strError;
    if (!m_birthday.SetBirthday(nYear, m_nMonth, m_nDay, m_bLeap, m_nCalendar == 0, &strError)) {
        if (!strError.IsEmpty())
            AfxMessageBox(strError, MB_ICONERROR);
        return;
    }
    if (m_birthday.GetYear() == -1) {
        // A year-less birthday is shown and reminded in the calendar it was entered in.
        m_bRemindSolar = m_nCalendar == 0;
        m_bShowLunar = m_nCalendar == 1;
        m_bRemindLunar = m_nCalendar == 1;
    }
    m_birthday.SetShowLunar(m_bShowLunar);
    m_birthday.SetRemindSolar(m_bRemindSolar);
    m_birthday.SetRemindLunar(m_bRemindLunar);
    EndDialog(IDOK);
}

// ---- CPagePerson --------------------------------------------------------------------------------

CPagePerson::CPagePerson() : CMultiValuePage(IDD, 0) {
    m_pFieldJumps = kPersonJumps;
    m_nFieldJumps = (int)std::size(kPersonJumps);
    m_rowCount = (int)std::size(kLabels);
    m_labelIds = kLabels;
    m_iconIds = kIcons;
    m_fieldItems = kFields;
    m_labelIds2 = kLabels2;
    m_iconIds2 = kIcons2;
    m_fieldItems2 = kFields2;
    m_enterEscapeEdits = {IDC_NAME, IDC_NICKNAME, IDC_PAGER, IDC_HOBBY, IDC_SPECIALITY, IDC_CUSTOM};
    AddValueCombo(IDC_MOBILES, IDC_MOBILES_BUTTON, &m_personal.mobiles, "手机", "手机号码");
    AddValueCombo(IDC_PHONES, IDC_PHONES_BUTTON, &m_personal.phones, "电话", "电话号码");
    AddValueCombo(IDC_WEB, IDC_WEB_BUTTON, &m_personal.web, "网络地址", "网络地址");
    AddValueCombo(IDC_QQ, IDC_QQ_BUTTON, &m_personal.qq, "QQ", "QQ昵称", "QQ号码");
    AddValueCombo(IDC_ICQ, IDC_ICQ_BUTTON, &m_personal.icq, "ICQ", "ICQ昵称", "ICQ号码");
    AddValueCombo(IDC_EMAIL, IDC_EMAIL_BUTTON, &m_personal.email, "E-mail", "E-mail地址", nullptr,
                  CDlgEditstrlist::LINK_MAIL);
    AddValueCombo(IDC_HOMEPAGE, IDC_HOMEPAGE_BUTTON, &m_personal.homepage, "个人主页", "个人主页", nullptr,
                  CDlgEditstrlist::LINK_WEB);
}

CPagePerson::~CPagePerson() {
    if (m_hWnd)
        DestroyWindow();
}

int CPagePerson::SexToIndex(int nSex) {
    return nSex == 0 ? 1 : nSex == 1 ? 0 : nSex;
}

int CPagePerson::IndexToSex(int nIndex) {
    return SexToIndex(nIndex); // the same swap both ways
}

UINT CPagePerson::GetSexIconId() const {
    const int nIndex = m_wndSex.m_hWnd ? m_wndSex.GetCurSel() : SexToIndex(m_personal.nSex);
    return nIndex == 0 ? 182u : nIndex == 1 ? 183u : 514u;
}

BOOL CPagePerson::OnInitDialog() {
    // The picker is made in the template's place, letting the user type a date.
    if (CWnd* pTemplate = GetDlgItem(IDC_BIRTHDAY)) {
        CRect rc;
        GetItemRect(IDC_BIRTHDAY, &rc);
        const DWORD dwStyle = pTemplate->GetStyle();
        pTemplate->DestroyWindow();
        if (m_wndPicker.Create(dwStyle | WS_CHILD | DTS_APPCANPARSE, rc, this, IDC_BIRTHDAY))
            m_wndPicker.SetWindowPos(GetDlgItem(IDC_BIRTHDAY_BUTTON), 0, 0, 0, 0,
                                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    m_wndSex.SubclassDlgItem(IDC_SEX, this);
    m_wndForm.SubclassDlgItem(IDC_FORM, this);
    m_wndZodiac.SubclassDlgItem(IDC_ZODIAC, this);
    m_wndStar.SubclassDlgItem(IDC_STAR, this);
    m_wndPicture.SubclassDlgItem(IDC_PICTURE, this);
    // Enter and Escape in these boxes move through the fields as in the edits.
    for (UINT nID : {IDC_SEX, IDC_FORM, IDC_ZODIAC, IDC_STAR})
        HookComboItem(nID);
    for (const char* s : kSexes)
        m_wndSex.AddString(s);
    for (const char* s : kZodiac)
        m_wndZodiac.AddString(s);
    for (const char* s : kStars)
        m_wndStar.AddString(s);
    m_wndForm.AddString("阳历");
    m_wndForm.AddString("农历");
    m_wndForm.SetCurSel(0);
    if (m_pHeadImages == nullptr)
        m_pHeadImages = s_pSharedHeadImages;
    if (m_pHeadImages)
        m_wndPicture.SetImageList(m_pHeadImages);
    for (int i = 0; i < kPictureCount; ++i) {
        CString s;
        s.Format("%d", i);
        COMBOBOXEXITEM item{};
        item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
        item.iItem = -1;
        item.pszText = s.GetBuffer();
        item.iImage = item.iSelectedImage = i;
        m_wndPicture.InsertItem(&item);
        s.ReleaseBuffer();
    }
    if (CWnd* pLunar = GetDlgItem(IDC_LUNAR_TEXT))
        pLunar->ShowWindow(SW_HIDE);
    m_layoutTopItem = kReferenceItem;
    CMultiValuePage::OnInitDialog();
    ExchangePersonal(m_personal, TRUE);
    return TRUE;
}

void CPagePerson::ExchangePersonal(SPersonalBlock& personal, BOOL bToPage) {
    if (bToPage) {
        if (&personal != &m_personal) {
            m_strLoadedName = personal.pName ? *personal.pName : CString();
            m_personal.strNickname = personal.strNickname;
            m_personal.strPager = personal.strPager;
            m_personal.strHobby = personal.strHobby;
            m_personal.strSpeciality = personal.strSpeciality;
            m_personal.strCustom = personal.strCustom;
            m_personal.nSex = personal.nSex;
            m_personal.nPicture = personal.nPicture;
            m_personal.mobiles = personal.mobiles;
            m_personal.phones = personal.phones;
            m_personal.web = personal.web;
            m_personal.qq = personal.qq;
            m_personal.icq = personal.icq;
            m_personal.email = personal.email;
            m_personal.homepage = personal.homepage;
            m_birthday = personal.birthday;
        }
        m_nPicture = m_personal.nPicture;
        m_bPictureChosen = FALSE;
        if (!m_hWnd)
            return;
        m_loading = TRUE;
        SetText(IDC_NAME, m_strLoadedName);
        SetText(IDC_NICKNAME, m_personal.strNickname);
        SetText(IDC_PAGER, m_personal.strPager);
        SetText(IDC_HOBBY, m_personal.strHobby);
        SetText(IDC_SPECIALITY, m_personal.strSpeciality);
        SetText(IDC_CUSTOM, m_personal.strCustom);
        m_wndSex.SetCurSel(SexToIndex(m_personal.nSex));
        // A picture number the list does not have shows the default face.
        m_wndPicture.SetCurSel(m_nPicture >= 0 && m_nPicture < kPictureCount ? m_nPicture : 0);
        m_loading = FALSE;
        ShowSexIcon();
        RefreshBirthday();
        ShowValueLists();
        return;
    }
    if (m_hWnd) {
        m_strLoadedName = GetText(IDC_NAME);
        m_personal.strNickname = GetText(IDC_NICKNAME);
        m_personal.strPager = GetText(IDC_PAGER);
        m_personal.strHobby = GetText(IDC_HOBBY);
        m_personal.strSpeciality = GetText(IDC_SPECIALITY);
        m_personal.strCustom = GetText(IDC_CUSTOM);
        // A code the list cannot show stays unless the user picks a sex.
        const int nSel = m_wndSex.GetCurSel();
        if (nSel >= 0 && nSel != SexToIndex(m_personal.nSex))
            m_personal.nSex = IndexToSex(nSel);
        if (m_bPictureChosen && m_wndPicture.GetCurSel() >= 0)
            m_nPicture = m_wndPicture.GetCurSel();
        CommitValueLists();
    }
    if (&personal == &m_personal)
        return;
    if (personal.pName)
        *personal.pName = m_strLoadedName;
    personal.strNickname = m_personal.strNickname;
    personal.strPager = m_personal.strPager;
    personal.strHobby = m_personal.strHobby;
    personal.strSpeciality = m_personal.strSpeciality;
    personal.strCustom = m_personal.strCustom;
    personal.nSex = m_personal.nSex;
    personal.nPicture = m_nPicture;
    personal.birthday = m_birthday;
    personal.mobiles = m_personal.mobiles;
    personal.phones = m_personal.phones;
    personal.web = m_personal.web;
    personal.qq = m_personal.qq;
    personal.icq = m_personal.icq;
    personal.email = m_personal.email;
    personal.homepage = m_personal.homepage;
}

void CPagePerson::ShowSexIcon() {
    if (CWnd* pIcon = GetDlgItem(IDC_SEX_ICON)) {
        CString name;
        name.Format("#%u", GetSexIconId());
        pIcon->SetWindowText(name);
    }
}

void CPagePerson::ShowForm(int nForm) {
    m_wndForm.SetCurSel(nForm);
    m_wndPicker.ShowWindow(nForm == 1 ? SW_HIDE : SW_SHOW);
    if (CWnd* pLunar = GetDlgItem(IDC_LUNAR_TEXT))
        pLunar->ShowWindow(nForm == 1 ? SW_SHOW : SW_HIDE);
}

void CPagePerson::RefreshBirthday() {
    if (!m_hWnd)
        return;
    m_loading = TRUE;
    CString text;
    if (m_birthday.IsValid() && m_birthday.GetYear() != -1) {
        SYSTEMTIME st{};
        m_birthday.GetSystemTime(&st);
        m_wndPicker.SetTime(&st);
        m_wndPicker.SetFormat(nullptr);
    } else if (m_birthday.IsValid()) {
        m_birthday.GetText(text, m_birthday.IsLunarMonthDay());
        m_wndPicker.SetFormat(text);
    } else {
        m_birthday.GetDateText(text);
        m_wndPicker.SetFormat(text);
    }
    ShowForm(m_birthday.IsShowLunar() ? 1 : 0);
    m_loading = FALSE;
    RefreshSigns();
}

void CPagePerson::RefreshSigns() {
    CString lunar;
    if (m_birthday.IsValid())
        m_birthday.GetText(lunar, TRUE);
    m_loading = TRUE;
    SetText(IDC_LUNAR_TEXT, lunar);
    const BOOL bDate = m_birthday.IsValid() && m_birthday.GetYear() != -1;
    m_wndZodiac.SetCurSel(bDate ? m_birthday.GetLunarZodiacIndex() : -1);
    m_wndStar.SetCurSel(m_birthday.IsValid() ? m_birthday.GetConstellationIndex() : -1);
    m_loading = FALSE;
}

CImageList* CPagePerson::s_pSharedHeadImages = nullptr;

void CPagePerson::SetSharedHeadImages(CImageList* pImages) {
    s_pSharedHeadImages = pImages;
}

void CPagePerson::SetHeadImages(CImageList* pImages) {
    m_pHeadImages = pImages;
    if (m_wndPicture.m_hWnd)
        m_wndPicture.SetImageList(pImages);
}

void CPagePerson::EditBirthday() {
    CDlgBirthday dlg(this);
    dlg.Prepare(m_birthday);
    if (dlg.DoModal() != IDOK)
        return;
    if (dlg.m_birthday == m_birthday)
        return;
    m_birthday = dlg.m_birthday;
    RefreshBirthday();
    SetChanged(TRUE);
}

BOOL CPagePerson::OnCommand(WPARAM wParam, LPARAM lParam) {
    const UINT nID = LOWORD(wParam), nCode = HIWORD(wParam);
    if (nID == IDC_BIRTHDAY_BUTTON && nCode == BN_CLICKED) {
        EditBirthday();
        return TRUE;
    }
    if (!m_loading && lParam) {
        if (nID == IDC_FORM && nCode == CBN_SELCHANGE) {
            ShowForm(m_wndForm.GetCurSel()); // only the look changes
            return TRUE;
        }
        if ((nID == IDC_ZODIAC || nID == IDC_STAR) && nCode == CBN_SETFOCUS) {
            // Derived from the birthday, not for input: the focus moves on, the way Shift+Tab
            // went when it brought the focus here (moving forward would send it straight back
            // to the control it came from), else forward.
            CWnd* pBox = GetDlgItem((int)nID);
            const BOOL bBack = GetKeyState(VK_SHIFT) < 0;
            CWnd* pNext = GetNextDlgTabItem(pBox, bBack);
            if (!pNext || pNext == pBox)
                pNext = GetNextDlgTabItem(pBox, !bBack);
            if (pNext && pNext != pBox)
                GotoDlgCtrl(pNext);
            else
                SetFocus();
            return TRUE;
        }
        if (nID == IDC_SEX && nCode == CBN_SELCHANGE)
            ShowSexIcon();
        if (nID == IDC_PICTURE && nCode == CBN_SELCHANGE)
            m_bPictureChosen = TRUE;
    }
    return CMultiValuePage::OnCommand(wParam, lParam);
}

BOOL CPagePerson::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (hdr && hdr->idFrom == IDC_BIRTHDAY && !m_loading) {
        if (hdr->code == DTN_USERSTRING) {
            auto* nm = reinterpret_cast<NMDATETIMESTRING*>(lParam);
            // Parsed into a copy: a text that is no date leaves the birthday as it was.
            CBirthday parsed = m_birthday;
            if (nm->pszUserString && parsed.Parse(nm->pszUserString) && parsed.IsValid())
                m_birthday = parsed;
            if (m_birthday.IsValid() && m_birthday.GetYear() != -1)
                m_birthday.GetSystemTime(&nm->st);
            nm->dwFlags = m_birthday.IsValid() ? GDT_VALID : GDT_NONE;
            m_bPickerParsed = TRUE;
            if (pResult)
                *pResult = 0;
            return TRUE;
        }
        if (hdr->code == DTN_DATETIMECHANGE) {
            auto* nm = reinterpret_cast<NMDATETIMECHANGE*>(lParam);
            SetChanged(TRUE);
            if (m_bPickerParsed)
                m_bPickerParsed = FALSE;
            else if (nm->dwFlags == GDT_VALID)
                m_birthday.SetFromSystemTime(&nm->st);
            m_loading = TRUE;
            if (!m_birthday.IsValid())
                m_wndPicker.SetFormat(InvalidDateFormat());
            else if (m_birthday.GetYear() == -1) {
                CString text;
                m_birthday.GetText(text, m_birthday.IsLunarMonthDay());
                m_wndPicker.SetFormat(text);
            } else
                m_wndPicker.SetFormat(nullptr);
            m_loading = FALSE;
            RefreshSigns();
            if (pResult)
                *pResult = 0;
            return TRUE;
        }
    }
    return CMultiValuePage::OnNotify(wParam, lParam, pResult);
}

void CPagePerson::LayoutPage() {
    CMultiValuePage::LayoutPage();
    if (!m_wndPicker.m_hWnd)
        return;
    CRect area, picker, form, sex;
    GetLayoutRect(&area);
    if (!GetItemRect(IDC_BIRTHDAY, &picker) || !GetItemRect(IDC_FORM, &form) ||
        !GetItemRect(IDC_SEX, &sex))
        return;
    // The form box at the right end of the picker's line, the picker before it and the lunar
    // text in the picker's place; the picture box under the form box's column, on the sex line.
    const int formLeft = area.right - form.Width();
    m_wndForm.SetWindowPos(nullptr, formLeft, picker.top, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const int pickerWidth = std::max(10, formLeft - 1 - picker.left);
    m_wndPicker.SetWindowPos(nullptr, picker.left, picker.top, pickerWidth, picker.Height(),
                             SWP_NOZORDER | SWP_NOACTIVATE);
    if (CWnd* pLunar = GetDlgItem(IDC_LUNAR_TEXT))
        pLunar->SetWindowPos(nullptr, picker.left, picker.top, pickerWidth, picker.Height(),
                             SWP_NOZORDER | SWP_NOACTIVATE);
    m_wndPicture.SetWindowPos(nullptr, formLeft, sex.top, form.Width(), sex.Height(),
                              SWP_NOZORDER | SWP_NOACTIVATE);
}
