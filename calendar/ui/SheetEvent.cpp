#include "calendar/ui/SheetEvent.h"

#include "calendar/Reminder.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/Controls.h"
#include "platform/gui/DateTimeCtrl.h"
#include "platform/gui/MessageBox.h"
#include "platform/sys/Sound.h"

#include <cstdlib>

namespace {
const char* const kLevels[] = {"低", "普通", "高"};

BOOL IsChecked(CWnd* pPage, UINT nId) {
    return pPage->IsDlgButtonChecked(nId) == BST_CHECKED;
}
void Show(CWnd* pPage, UINT nId, BOOL bShow) {
    if (CWnd* p = pPage->GetDlgItem(nId))
        p->ShowWindow(bShow ? SW_SHOW : SW_HIDE);
}
void Enable(CWnd* pPage, UINT nId, BOOL bEnable) {
    if (CWnd* p = pPage->GetDlgItem(nId))
        p->EnableWindow(bEnable);
}
CComboBox* Combo(CWnd* pPage, UINT nId) {
    return dynamic_cast<CComboBox*>(pPage->GetDlgItem(nId));
}
// A decimal number in the control; FALSE when its text is none.
BOOL ReadNumber(CWnd* pPage, UINT nId, long& value) {
    CString text;
    pPage->GetDlgItemText(nId, text);
    text.Trim();
    if (text.IsEmpty())
        return FALSE;
    char* end = nullptr;
    value = std::strtol((LPCTSTR)text, &end, 10);
    return end != nullptr && *end == '\0';
}
// Refuses with the message, the control focused.
BOOL Refuse(CWnd* pPage, UINT nId, LPCTSTR lpszText) {
    AfxMessageBox(lpszText, MB_OK | MB_ICONEXCLAMATION);
    if (CWnd* p = pPage->GetDlgItem(nId))
        p->SetFocus();
    return FALSE;
}
void SetPicker(CWnd* pPage, UINT nId, const CDateTime& value) {
    auto* picker = dynamic_cast<CDateTimeCtrl*>(pPage->GetDlgItem(nId));
    if (picker == nullptr)
        return;
    CDateTime v = value;
    if (!v.IsValid())
        v.m_date = CDate::GetToday(FALSE);
    SYSTEMTIME st{};
    v.GetSystemTime(&st);
    if (picker->SetTime(&st))
        return;
    // A picker that shows only a time keeps its own date: the time goes on that date.
    SYSTEMTIME shown{};
    if (picker->GetTime(&shown) != GDT_VALID)
        return;
    shown.wHour = st.wHour;
    shown.wMinute = st.wMinute;
    shown.wSecond = st.wSecond;
    shown.wMilliseconds = 0;
    picker->SetTime(&shown);
}
BOOL GetPicker(CWnd* pPage, UINT nId, CDateTime& out) {
    auto* picker = dynamic_cast<CDateTimeCtrl*>(pPage->GetDlgItem(nId));
    SYSTEMTIME st{};
    if (picker == nullptr || picker->GetTime(&st) != GDT_VALID)
        return FALSE;
    out.SetFromSystemTime(&st);
    return TRUE;
}
void SetPickerFormat(CWnd* pPage, UINT nId, LPCTSTR lpszFormat) {
    if (auto* picker = dynamic_cast<CDateTimeCtrl*>(pPage->GetDlgItem(nId)))
        picker->SetFormat(lpszFormat);
}
} // namespace

// ---- Binder ---------------------------------------------------------------------------------

CDateTimeCtrl* CDateTimeBinder::Picker(UINT nId) const {
    return m_pOwner != nullptr ? dynamic_cast<CDateTimeCtrl*>(m_pOwner->GetDlgItem(nId)) : nullptr;
}

void CDateTimeBinder::Enable(BOOL bOn) {
    m_bEnabled = bOn;
    if (CDateTimeCtrl* p = Picker(m_nDateId))
        p->ShowWindow(bOn && (m_nShowMask & 1) ? SW_SHOW : SW_HIDE);
    if (CDateTimeCtrl* p = Picker(m_nTimeId))
        p->ShowWindow(bOn && (m_nShowMask & 2) ? SW_SHOW : SW_HIDE);
}

void CDateTimeBinder::SetShowMask(int nMask, BOOL bApply) {
    m_nShowMask = nMask;
    if (bApply)
        Enable(m_bEnabled);
}

void CDateTimeBinder::SetShowMaskBits(int nMask, int nBits, BOOL bApply) {
    SetShowMask(nBits | (m_nShowMask & ~nMask), bApply);
}

void CDateTimeBinder::Exchange(CDateTime& value, BOOL& bHasValue, BOOL bSaving) {
    if (!bSaving) {
        bHasValue = value.IsValid();
        SetPicker(m_pOwner, m_nDateId, value);
        SetPicker(m_pOwner, m_nTimeId, value);
        return;
    }
    if (!bHasValue) {
        value.SetNull();
        return;
    }
    CDateTime date, time;
    if (!GetPicker(m_pOwner, m_nDateId, date) || !GetPicker(m_pOwner, m_nTimeId, time)) {
        value.SetNull();
        return;
    }
    value.m_date = date.m_date;
    value.m_time = time.m_time;
}

// ---- Day trees ------------------------------------------------------------------------------

void CTreeEventSelectDays::Fill(int nKind) {
    DeleteAllItems();
    m_bTwoLevel = nKind == CEventPeriodInfo::BY_SEASON || nKind == CEventPeriodInfo::BY_YEAR;
    CString text;
    switch (nKind) {
    case CEventPeriodInfo::BY_WEEK: {
        static const char* const days[] = {"星期一", "星期二", "星期三", "星期四",
                                           "星期五", "星期六", "星期日"};
        for (const char* d : days)
            InsertItem(d);
        break;
    }
    case CEventPeriodInfo::BY_XUN:
        for (int i = 1; i <= 11; ++i) {
            text.Format("第%2d日", i);
            InsertItem(text);
        }
        break;
    case CEventPeriodInfo::BY_MONTH:
        for (int i = 1; i <= 31; ++i) {
            text.Format("第%2d日", i);
            InsertItem(text);
        }
        break;
    case CEventPeriodInfo::BY_SEASON:
        for (int m = 1; m <= 3; ++m) {
            text.Format("第%d月", m);
            HTREEITEM hParent = InsertItem(text);
            for (int d = 1; d <= 31; ++d) {
                text.Format("第%d月第%2d日", m, d);
                InsertItem(text, hParent);
            }
        }
        break;
    case CEventPeriodInfo::BY_YEAR:
        for (int m = 1; m <= 12; ++m) {
            text.Format("%2d月", m);
            HTREEITEM hParent = InsertItem(text);
            // The days of the month in a leap year, so that 2月29日 can be chosen.
            for (int d = 1; d <= CDate::GetDaysInMonth(2024, m); ++d) {
                text.Format("%2d月%2d日", m, d);
                InsertItem(text, hParent);
            }
        }
        break;
    default:
        break;
    }
}

HTREEITEM CTreeEventSelectDays::ItemAt(int nTop, int nChild) const {
    HTREEITEM h = GetRootItem();
    for (int i = 0; h != nullptr && i < nTop; ++i)
        h = GetNextSiblingItem(h);
    if (h == nullptr || nChild < 0)
        return h;
    HTREEITEM c = GetChildItem(h);
    for (int i = 0; c != nullptr && i < nChild; ++i)
        c = GetNextSiblingItem(c);
    return c;
}

void CTreeEventSelectDays::Load(const DWORD* pValues) {
    int k = 0;
    for (HTREEITEM h = GetRootItem(); h != nullptr; h = GetNextSiblingItem(h), ++k) {
        if (!m_bTwoLevel) {
            SetCheck(h, k < 32 && (pValues[0] & (1u << k)) != 0);
            continue;
        }
        int i = 0;
        for (HTREEITEM c = GetChildItem(h); c != nullptr; c = GetNextSiblingItem(c), ++i)
            SetCheck(c, i < 32 && (pValues[k] & (1u << i)) != 0);
    }
    DeriveParents();
}

void CTreeEventSelectDays::Store(DWORD* pValues) const {
    int k = 0;
    if (!m_bTwoLevel)
        pValues[0] = 0;
    for (HTREEITEM h = GetRootItem(); h != nullptr; h = GetNextSiblingItem(h), ++k) {
        if (!m_bTwoLevel) {
            if (k < 32 && GetCheck(h))
                pValues[0] |= 1u << k;
            continue;
        }
        if (k >= CEventPeriodInfo::kValueWords)
            break;
        pValues[k] = 0;
        int i = 0;
        for (HTREEITEM c = GetChildItem(h); c != nullptr; c = GetNextSiblingItem(c), ++i)
            if (i < 32 && GetCheck(c))
                pValues[k] |= 1u << i;
    }
}

void CTreeEventSelectDays::DeriveParents() {
    if (!m_bTwoLevel)
        return;
    for (HTREEITEM h = GetRootItem(); h != nullptr; h = GetNextSiblingItem(h)) {
        BOOL any = FALSE;
        for (HTREEITEM c = GetChildItem(h); c != nullptr && !any; c = GetNextSiblingItem(c))
            any = GetCheck(c);
        SetCheck(h, any);
    }
}

void CTreeEventSelectDays::CheckAll(BOOL bCheck) {
    for (HTREEITEM h = GetRootItem(); h != nullptr; h = GetNextSiblingItem(h)) {
        SetCheck(h, bCheck);
        for (HTREEITEM c = GetChildItem(h); c != nullptr; c = GetNextSiblingItem(c))
            SetCheck(c, bCheck);
    }
}

void CTreeEventSelectDays::Invert() {
    for (HTREEITEM h = GetRootItem(); h != nullptr; h = GetNextSiblingItem(h)) {
        if (!m_bTwoLevel) {
            SetCheck(h, !GetCheck(h));
            continue;
        }
        for (HTREEITEM c = GetChildItem(h); c != nullptr; c = GetNextSiblingItem(c))
            SetCheck(c, !GetCheck(c));
    }
    DeriveParents();
}

void CTreeEventSelectDays::OnParentToggled(HTREEITEM hParent) {
    const BOOL on = GetCheck(hParent);
    for (HTREEITEM c = GetChildItem(hParent); c != nullptr; c = GetNextSiblingItem(c))
        SetCheck(c, on);
}

// ---- Pages --------------------------------------------------------------------------------------

BOOL CPageEventBase::PreTranslateMessage(MSG* pMsg) {
    // A page is a dialog of its own: left to it, Enter and Escape would end the page, not the
    // sheet. They pass on to the sheet, which sees the message next.
    if (pMsg->message == WM_KEYDOWN && (pMsg->wParam == VK_RETURN || pMsg->wParam == VK_ESCAPE))
        return FALSE;
    return CDialog::PreTranslateMessage(pMsg);
}

// ---- General page ---------------------------------------------------------------------------

BOOL CPageEventGeneral::OnInitDialog() {
    CDialog::OnInitDialog();
    m_start.Init(IDC_START_DATE, IDC_START_TIME);
    m_start.SetOwner(this);
    m_end.Init(IDC_END_DATE, IDC_END_TIME);
    m_end.SetOwner(this);
    SetPickerFormat(this, IDC_START_DATE, "yyyy-M-d");
    SetPickerFormat(this, IDC_END_DATE, "yyyy-M-d");
    SetPickerFormat(this, IDC_START_TIME, "HH:mm");
    SetPickerFormat(this, IDC_END_TIME, "HH:mm");
    if (CComboBox* p = Combo(this, IDC_STATE))
        for (int i = 0; i < _CEvent::kStateCount; ++i)
            p->AddString(_CEvent::GetStateName(i));
    for (UINT id : {(UINT)IDC_IMPORTANCE, (UINT)IDC_URGENCY})
        if (CComboBox* p = Combo(this, id))
            for (const char* t : kLevels)
                p->AddString(t);
    if (CComboBox* p = Combo(this, IDC_PERCENT))
        for (int i = 0; i <= 100; i += 10) {
            CString t;
            t.Format("%d", i);
            p->AddString(t);
        }
    return TRUE;
}

void CPageEventGeneral::LoadControls() {
    const CEventBaseInfo& b = m_pSheet->m_base;
    SetDlgItemText(IDC_TITLE, b.m_strTitle);
    SetDlgItemText(IDC_CONTENT, b.m_strContent);
    SetDlgItemText(IDC_PLACE, b.m_strPlace);
    SetDlgItemText(IDC_PEOPLE, b.m_strPeople);
    if (CComboBox* p = Combo(this, IDC_STATE))
        p->SetCurSel(b.m_nState);
    if (CComboBox* p = Combo(this, IDC_IMPORTANCE))
        p->SetCurSel(b.m_nImportance);
    if (CComboBox* p = Combo(this, IDC_URGENCY))
        p->SetCurSel(b.m_nUrgency);
    CString percent;
    percent.Format("%d", b.m_nPercentDone);
    SetDlgItemText(IDC_PERCENT, percent);
    CheckDlgButton(IDC_RECURRING, b.m_bRecurring ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_ALLDAY, b.m_bAllDay ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_SINGLEDAY, b.m_bSingleDay ? BST_CHECKED : BST_UNCHECKED);
    CDateTime start = b.m_start, end = b.m_end;
    BOOL hasStart = FALSE, hasEnd = FALSE;
    m_start.Exchange(start, hasStart, FALSE);
    m_end.Exchange(end, hasEnd, FALSE);
    CheckDlgButton(IDC_HAS_START, hasStart ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_HAS_END, hasEnd ? BST_CHECKED : BST_UNCHECKED);
    UpdateLayout();
}

void CPageEventGeneral::UpdateLayout() {
    const BOOL recurring = IsChecked(this, IDC_RECURRING);
    const BOOL allDay = IsChecked(this, IDC_ALLDAY);
    Show(this, IDC_SINGLEDAY, !recurring);
    Show(this, IDC_PERIOD_BUTTON, recurring);
    const BOOL single = recurring || IsChecked(this, IDC_SINGLEDAY);
    Enable(this, IDC_HAS_START, !single);
    if (single)
        CheckDlgButton(IDC_HAS_START, BST_CHECKED);
    if (recurring)
        CheckDlgButton(IDC_HAS_END, BST_CHECKED);
    Enable(this, IDC_HAS_END, !(recurring || (single && allDay)));
    int startMask = recurring ? 2 : 3;
    int endMask = 3;
    if (allDay) {
        startMask &= ~2;
        endMask &= ~2;
    }
    if (single)
        endMask &= ~1;
    m_start.SetShowMask(startMask, FALSE);
    m_end.SetShowMask(endMask, FALSE);
    m_start.Enable(IsChecked(this, IDC_HAS_START));
    m_end.Enable(IsChecked(this, IDC_HAS_END));
    m_pSheet->GetRemindPage().UpdateLayout();
}

BOOL CPageEventGeneral::OnCommand(WPARAM wParam, LPARAM lParam) {
    switch (LOWORD(wParam)) {
    case IDC_RECURRING:
    case IDC_ALLDAY:
    case IDC_SINGLEDAY:
    case IDC_HAS_START:
    case IDC_HAS_END:
        if (HIWORD(wParam) == BN_CLICKED) {
            UpdateLayout();
            return TRUE;
        }
        break;
    case IDC_PERIOD_BUTTON:
        m_pSheet->SelectPage(CSheetEvent::PagePeriod);
        return TRUE;
    default:
        break;
    }
    return CDialog::OnCommand(wParam, lParam);
}

CString CPageEventGeneral::GetSummary() {
    if (IsChecked(this, IDC_ALLDAY))
        return "执行时间为指定日全天";
    CDateTime start, end;
    GetPicker(this, IDC_START_TIME, start);
    GetPicker(this, IDC_END_TIME, end);
    const int s = start.m_time.GetTotalSeconds() / 60, e = end.m_time.GetTotalSeconds() / 60;
    const int d = e - s;
    CString text;
    text.Format("执行时间为指定日的：%.2d:%.2d - %.2d:%.2d （历时%d小时%d分）", s / 60, s % 60,
                e / 60, e % 60, d / 60, d % 60);
    return text;
}

BOOL CPageEventGeneral::StoreControls() {
    CEventBaseInfo b = m_pSheet->m_base;
    long percent = 0;
    if (!ReadNumber(this, IDC_PERCENT, percent) || percent < 0 || percent > 100)
        return Refuse(this, IDC_PERCENT, "完成率必须是0到100之间的数。");
    GetDlgItemText(IDC_TITLE, b.m_strTitle);
    GetDlgItemText(IDC_CONTENT, b.m_strContent);
    GetDlgItemText(IDC_PLACE, b.m_strPlace);
    GetDlgItemText(IDC_PEOPLE, b.m_strPeople);
    if (CComboBox* p = Combo(this, IDC_STATE))
        b.m_nState = p->GetCurSel() < 0 ? 0 : p->GetCurSel();
    if (CComboBox* p = Combo(this, IDC_IMPORTANCE))
        b.m_nImportance = p->GetCurSel() < 0 ? 1 : p->GetCurSel();
    if (CComboBox* p = Combo(this, IDC_URGENCY))
        b.m_nUrgency = p->GetCurSel() < 0 ? 1 : p->GetCurSel();
    b.m_nPercentDone = (int)percent;
    b.m_bRecurring = IsChecked(this, IDC_RECURRING);
    b.m_bAllDay = IsChecked(this, IDC_ALLDAY);
    b.m_bSingleDay = IsChecked(this, IDC_SINGLEDAY);
    BOOL hasStart = IsChecked(this, IDC_HAS_START), hasEnd = IsChecked(this, IDC_HAS_END);
    m_start.Exchange(b.m_start, hasStart, TRUE);
    m_end.Exchange(b.m_end, hasEnd, TRUE);
    if (!b.m_bRecurring && b.m_bSingleDay && b.m_start.IsValid()) {
        if (!b.m_bAllDay && !hasEnd)
            GetPicker(this, IDC_END_TIME, b.m_end);
        if (b.m_end.IsValid())
            b.m_end.m_date = b.m_start.m_date;
    }
    if (!b.m_bRecurring && b.m_start.IsValid() && b.m_end.IsValid()) {
        // All-day events compare their dates only.
        const BOOL before = b.m_bAllDay ? b.m_end.m_date.Compare(b.m_start.m_date) < 0
                                        : b.m_end.Compare(b.m_start) < 0;
        if (before)
            return Refuse(this, IDC_END_DATE, "结束时间不能早于开始时间。");
    }
    m_pSheet->m_base = b;
    return TRUE;
}

// ---- Reminder page --------------------------------------------------------------------------

BOOL CPageEventRemind::OnInitDialog() {
    CDialog::OnInitDialog();
    SetPickerFormat(this, IDC_WHEN, "yyyy-M-d HH:mm");
    CString t;
    if (CComboBox* p = Combo(this, IDC_HOURS))
        for (int i = 0; i <= 24; ++i) {
            t.Format("%d", i);
            p->AddString(t);
        }
    if (CComboBox* p = Combo(this, IDC_MINUTES))
        for (int i = 0; i < 60; i += 5) {
            t.Format("%d", i);
            p->AddString(t);
        }
    if (CComboBox* p = Combo(this, IDC_SOUND_LIST)) {
        p->AddString("标准提醒声音");
        p->SetCurSel(0);
    }
    return TRUE;
}

void CPageEventRemind::LoadControls() {
    const CEventRemindInfo& r = m_pSheet->m_remindInfo;
    CheckDlgButton(IDC_ENABLED, r.m_bEnabled ? BST_CHECKED : BST_UNCHECKED);
    CheckRadioButton(IDC_ADVANCE, IDC_FIXED, r.m_nMode == CEventRemindInfo::MODE_FIXED ? IDC_FIXED : IDC_ADVANCE);
    CString t;
    t.Format("%d", r.m_nMode == CEventRemindInfo::MODE_ADVANCE ? r.m_when[0] : 0);
    SetDlgItemText(IDC_HOURS, t);
    t.Format("%d", r.m_nMode == CEventRemindInfo::MODE_ADVANCE ? r.m_when[1] : 0);
    SetDlgItemText(IDC_MINUTES, t);
    CDateTime when;
    if (r.m_nMode == CEventRemindInfo::MODE_FIXED)
        when.SetDateTime(r.m_when[0], r.m_when[1], r.m_when[2], r.m_when[3], r.m_when[4], 0);
    if (!when.IsValid())
        when = m_pSheet->m_base.m_start;
    SetPicker(this, IDC_WHEN, when);
    CheckDlgButton(IDC_POPUP, r.m_nPopup >= 0 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_SOUND, r.m_nSound != 0 ? BST_CHECKED : BST_UNCHECKED);
    CheckRadioButton(IDC_SYSTEM_SOUND, IDC_FILE_SOUND, r.m_nSoundSource < 0 ? IDC_FILE_SOUND : IDC_SYSTEM_SOUND);
    SetDlgItemText(IDC_SOUND_FILE, r.m_strSoundFile);
    UpdateLayout();
}

void CPageEventRemind::UpdateLayout() {
    if (GetSafeHwnd() == nullptr)
        return;
    const BOOL on = IsChecked(this, IDC_ENABLED);
    static const UINT hidden[] = {IDC_ADVANCE, IDC_FIXED, IDC_HOURS, IDC_MINUTES, IDC_WHEN,
                                  IDC_POPUP, IDC_SOUND, IDC_SYSTEM_SOUND, IDC_FILE_SOUND,
                                  IDC_SOUND_FILE, IDC_BROWSE, IDC_LISTEN, 1300u, 1301u};
    for (UINT id : hidden)
        Show(this, id, on);
    // Advance only counts from a start with a time of day.
    const BOOL startHasTime = m_pSheet->GetGeneralPage().GetSafeHwnd() == nullptr ||
                              m_pSheet->GetGeneralPage().StartShowsTime();
    Enable(this, IDC_ADVANCE, startHasTime);
    if (!startHasTime)
        CheckRadioButton(IDC_ADVANCE, IDC_FIXED, IDC_FIXED);
    const BOOL fixed = IsChecked(this, IDC_FIXED);
    Enable(this, IDC_HOURS, !fixed);
    Enable(this, IDC_MINUTES, !fixed);
    Enable(this, IDC_WHEN, fixed);
}

BOOL CPageEventRemind::OnCommand(WPARAM wParam, LPARAM lParam) {
    const UINT id = LOWORD(wParam);
    if (HIWORD(wParam) == BN_CLICKED) {
        if (id == IDC_ENABLED || id == IDC_ADVANCE || id == IDC_FIXED) {
            // The two modes are one choice, though the hours' and minutes' labels lie between
            // them and end the automatic radio group of 提前.
            if (id != IDC_ENABLED)
                CheckRadioButton(IDC_ADVANCE, IDC_FIXED, id);
            UpdateLayout();
            return TRUE;
        }
        if (id == IDC_BROWSE) {
            CString filter;
            filter.Format("%s (*.wav)|*.wav||", "声音文件");
            CFileDialog dlg(TRUE, "wav", nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, filter, this);
            if (dlg.DoModal() == IDOK) {
                SetDlgItemText(IDC_SOUND_FILE, dlg.GetPathName());
                CheckRadioButton(IDC_SYSTEM_SOUND, IDC_FILE_SOUND, IDC_FILE_SOUND);
            }
            return TRUE;
        }
        if (id == IDC_LISTEN) {
            CString file;
            GetDlgItemText(IDC_SOUND_FILE, file);
            if (!IsChecked(this, IDC_FILE_SOUND) || file.IsEmpty())
                file = CReminder::GetStandardSoundPath();
            PlaySound(file, nullptr, SND_ASYNC | SND_FILENAME | SND_NODEFAULT);
            return TRUE;
        }
    }
    return CDialog::OnCommand(wParam, lParam);
}

BOOL CPageEventRemind::StoreControls() {
    CEventRemindInfo r;
    r.CopyFrom(m_pSheet->m_remindInfo);
    r.m_bEnabled = IsChecked(this, IDC_ENABLED);
    if (!r.m_bEnabled) {
        m_pSheet->m_remindInfo.m_bEnabled = FALSE;
        return TRUE;
    }
    r.m_nMode = IsChecked(this, IDC_FIXED) ? CEventRemindInfo::MODE_FIXED : CEventRemindInfo::MODE_ADVANCE;
    if (r.m_nMode == CEventRemindInfo::MODE_ADVANCE) {
        long hours = 0, minutes = 0;
        if (!ReadNumber(this, IDC_HOURS, hours) || hours < 0 || hours > 9999)
            return Refuse(this, IDC_HOURS, "提前的小时数必须是不小于0的数。");
        if (!ReadNumber(this, IDC_MINUTES, minutes) || minutes < 0 || minutes > 59)
            return Refuse(this, IDC_MINUTES, "提前的分钟数必须是0到59之间的数。");
        r.m_when[0] = (int)hours;
        r.m_when[1] = (int)minutes;
        for (int i = 2; i < 6; ++i)
            r.m_when[i] = 0;
    } else {
        CDateTime when;
        if (!GetPicker(this, IDC_WHEN, when))
            return Refuse(this, IDC_WHEN, "请指定提醒时间。");
        const int s = when.m_time.GetTotalSeconds();
        r.m_when[0] = when.m_date.GetYear();
        r.m_when[1] = when.m_date.GetMonth();
        r.m_when[2] = when.m_date.GetDay();
        r.m_when[3] = s / 3600;
        r.m_when[4] = s / 60 % 60;
        r.m_when[5] = 0;
    }
    r.m_nPopup = IsChecked(this, IDC_POPUP) ? 0 : -1;
    r.m_nSound = IsChecked(this, IDC_SOUND) ? 1 : 0;
    GetDlgItemText(IDC_SOUND_FILE, r.m_strSoundFile);
    r.m_nSoundSource = IsChecked(this, IDC_FILE_SOUND) && !r.m_strSoundFile.IsEmpty() ? -1 : 0;
    m_pSheet->m_remindInfo.CopyFrom(r);
    return TRUE;
}

// ---- Recurrence sub-pages -------------------------------------------------------------------

CString CPageEventPeriodModeBase::UnitOf(int nKind) {
    static const char* const units[] = {"天", "周", "旬", "月", "季", "年"};
    return nKind >= 0 && nKind < 6 ? units[nKind] : "天";
}

BOOL CPageEventPeriodModeBase::OnInitDialog() {
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_UNIT, UnitOf(m_nKind));
    if (m_nKind == CEventPeriodInfo::BY_DAY) {
        SetPickerFormat(this, IDC_INCLUDE, "yyyy-M-d");
    } else if (m_tree.SubclassDlgItem(IDC_TREE, this)) {
        m_tree.Fill(m_nKind);
        Show(this, IDC_FROM_END, m_nKind == CEventPeriodInfo::BY_MONTH);
    }
    return TRUE;
}

void CPageEventPeriodModeBase::LoadControls() {
    const CEventPeriodInfo& p = m_pSheet->m_periodInfo;
    const BOOL mine = p.GetKind() == m_nKind;
    SetDlgItemInt(IDC_EVERY, mine ? (UINT)p.GetEvery() : 1, FALSE);
    if (m_nKind == CEventPeriodInfo::BY_DAY) {
        CDateTime include;
        include.m_date.Set((int)p.m_values[0], (int)p.m_values[1], (int)p.m_values[2]);
        if (!include.m_date.IsValid())
            include.m_date = m_pSheet->m_base.m_start.m_date;
        SetPicker(this, IDC_INCLUDE, include);
        return;
    }
    DWORD none[CEventPeriodInfo::kValueWords] = {};
    m_tree.Load(mine ? p.m_values : none);
    CheckDlgButton(IDC_FROM_END, mine && (p.m_nFlags & CEventPeriodInfo::FLAG_FROM_MONTH_END)
                                     ? BST_CHECKED : BST_UNCHECKED);
}

BOOL CPageEventPeriodModeBase::StoreControls() {
    long every = 0;
    if (!ReadNumber(this, IDC_EVERY, every) || every < 1 || every > 9999)
        return Refuse(this, IDC_EVERY, "“每”后面必须是1到9999之间的数。");
    CEventPeriodInfo& p = m_pSheet->m_periodInfo;
    p.m_nKind = m_nKind;
    p.m_nEvery = (int)every;
    p.m_nFlags = (p.m_nFlags & ~CEventPeriodInfo::FLAG_FROM_MONTH_END) |
                 (IsChecked(this, IDC_FROM_END) && m_nKind == CEventPeriodInfo::BY_MONTH
                      ? CEventPeriodInfo::FLAG_FROM_MONTH_END : 0);
    for (DWORD& v : p.m_values)
        v = 0;
    if (m_nKind == CEventPeriodInfo::BY_DAY) {
        CDateTime include;
        if (GetPicker(this, IDC_INCLUDE, include)) {
            p.m_values[0] = (DWORD)include.m_date.GetYear();
            p.m_values[1] = (DWORD)include.m_date.GetMonth();
            p.m_values[2] = (DWORD)include.m_date.GetDay();
        }
    } else {
        m_tree.Store(p.m_values);
    }
    return TRUE;
}

BOOL CPageEventPeriodModeBase::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) == BN_CLICKED && m_tree.GetSafeHwnd() != nullptr) {
        switch (LOWORD(wParam)) {
        case IDC_ALL: m_tree.CheckAll(TRUE); return TRUE;
        case IDC_NONE: m_tree.CheckAll(FALSE); return TRUE;
        case IDC_INVERT: m_tree.Invert(); return TRUE;
        default: break;
        }
    }
    return CDialog::OnCommand(wParam, lParam);
}

BOOL CPageEventPeriodModeBase::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    auto* pHdr = reinterpret_cast<NMHDR*>(lParam);
    if (pHdr != nullptr && pHdr->idFrom == IDC_TREE && pHdr->code == NM_CLICK &&
        m_tree.IsTwoLevel()) {
        // A parent whose box the click changed takes its children along; otherwise the parents
        // follow their children.
        CPoint pt;
        ::GetCursorPos(&pt);
        m_tree.ScreenToClient(&pt);
        UINT flags = 0;
        HTREEITEM h = m_tree.HitTest(pt, &flags);
        if (h != nullptr && (flags & TVHT_ONITEMSTATEICON) && m_tree.GetParentItem(h) == nullptr)
            m_tree.OnParentToggled(h);
        else
            for (HTREEITEM p = m_tree.GetRootItem(); p != nullptr; p = m_tree.GetNextSiblingItem(p)) {
                BOOL any = FALSE;
                for (HTREEITEM c = m_tree.GetChildItem(p); c != nullptr && !any;
                     c = m_tree.GetNextSiblingItem(c))
                    any = m_tree.GetCheck(c);
                m_tree.SetCheck(p, any);
            }
    }
    return CDialog::OnNotify(wParam, lParam, pResult);
}

// ---- Recurrence page ------------------------------------------------------------------------

CPageEventPeriod::CPageEventPeriod(CSheetEvent* pSheet) : CPageEventBase(IDD, pSheet) {
    for (int k = 0; k < 6; ++k)
        m_modes[k] = std::make_unique<CPageEventPeriodModeBase>(k, pSheet);
}

CPageEventPeriod::~CPageEventPeriod() = default;

BOOL CPageEventPeriod::OnInitDialog() {
    CDialog::OnInitDialog();
    for (UINT id : {(UINT)IDC_FIRST, (UINT)IDC_LAST, (UINT)IDC_ANCHOR})
        SetPickerFormat(this, id, "yyyy-M-d");
    CRect area(0, 0, 200, 120);
    if (CWnd* p = GetDlgItem(IDC_AREA)) {
        p->GetWindowRect(&area);
        ScreenToClient(&area);
        area.DeflateRect(6, 14, 6, 6);
    }
    for (auto& page : m_modes) {
        page->Create(page->GetKind() == CEventPeriodInfo::BY_DAY
                         ? CPageEventPeriodModeBase::IDD_DAY : CPageEventPeriodModeBase::IDD_TREE,
                     this);
        page->SetWindowPos(nullptr, area.left, area.top, area.Width(), area.Height(),
                           SWP_NOZORDER | SWP_NOACTIVATE);
        page->ShowWindow(SW_HIDE);
    }
    return TRUE;
}

void CPageEventPeriod::SelectKind(int nKind) {
    if (nKind < 0 || nKind > 5)
        nKind = 0;
    m_nKind = nKind;
    CheckRadioButton(IDC_KIND_FIRST, IDC_KIND_FIRST + 5, IDC_KIND_FIRST + nKind);
    for (int k = 0; k < 6; ++k)
        if (m_modes[k]->GetSafeHwnd() != nullptr)
            m_modes[k]->ShowWindow(k == nKind ? SW_SHOW : SW_HIDE);
    SetDlgItemText(IDC_UNIT, CPageEventPeriodModeBase::UnitOf(nKind));
}

void CPageEventPeriod::LoadControls() {
    const CEventPeriodInfo& p = m_pSheet->m_periodInfo;
    SelectKind(p.GetKind());
    for (auto& page : m_modes)
        page->LoadControls();
    CheckDlgButton(IDC_HAS_FIRST, p.m_first.IsValid() ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_HAS_LAST, p.m_last.IsValid() ? BST_CHECKED : BST_UNCHECKED);
    SetPicker(this, IDC_FIRST, p.m_first.IsValid() ? p.m_first : m_pSheet->m_base.m_start);
    SetPicker(this, IDC_LAST, p.m_last.IsValid() ? p.m_last : m_pSheet->m_base.m_end);
    CDateTime anchor;
    anchor.m_date = p.m_anchor;
    SetPicker(this, IDC_ANCHOR, anchor);
    Enable(this, IDC_FIRST, p.m_first.IsValid());
    Enable(this, IDC_LAST, p.m_last.IsValid());
}

BOOL CPageEventPeriod::OnCommand(WPARAM wParam, LPARAM lParam) {
    const UINT id = LOWORD(wParam);
    if (HIWORD(wParam) == BN_CLICKED) {
        if (id >= IDC_KIND_FIRST && id <= IDC_KIND_FIRST + 5) {
            SelectKind((int)(id - IDC_KIND_FIRST));
            return TRUE;
        }
        if (id == IDC_HAS_FIRST || id == IDC_HAS_LAST) {
            Enable(this, IDC_FIRST, IsChecked(this, IDC_HAS_FIRST));
            Enable(this, IDC_LAST, IsChecked(this, IDC_HAS_LAST));
            return TRUE;
        }
    }
    return CDialog::OnCommand(wParam, lParam);
}

BOOL CPageEventPeriod::StoreControls() {
    CEventPeriodInfo saved = m_pSheet->m_periodInfo;
    if (!m_modes[m_nKind]->StoreControls()) {
        m_pSheet->m_periodInfo = saved;
        return FALSE;
    }
    CEventPeriodInfo& p = m_pSheet->m_periodInfo;
    CDateTime t;
    if (IsChecked(this, IDC_HAS_FIRST) && GetPicker(this, IDC_FIRST, t)) {
        p.m_first.m_date = t.m_date;
        p.m_first.m_time.Clear();
    } else {
        p.m_first.SetNull();
    }
    if (IsChecked(this, IDC_HAS_LAST) && GetPicker(this, IDC_LAST, t)) {
        p.m_last.m_date = t.m_date;
        p.m_last.m_time.Clear();
    } else {
        p.m_last.SetNull();
    }
    if (p.m_first.IsValid() && p.m_last.IsValid() && p.m_last.m_date.Compare(p.m_first.m_date) < 0) {
        m_pSheet->m_periodInfo = saved;
        return Refuse(this, IDC_LAST, "重复的结束日期不能早于开始日期。");
    }
    if (GetPicker(this, IDC_ANCHOR, t))
        p.m_anchor = t.m_date;
    return TRUE;
}

void CPageEventPeriod::SetSummary(const CString& text) {
    SetDlgItemText(IDC_SUMMARY, text);
}

// ---- Display page ---------------------------------------------------------------------------

BOOL CPageEventDisplay::OnInitDialog() {
    CDialog::OnInitDialog();
    if (CComboBox* p = Combo(this, IDC_MODE))
        for (const char* t : {"每天都显示", "只在第一天显示", "只在最后一天显示", "在第一天和最后一天显示"})
            p->AddString(t);
    return TRUE;
}

void CPageEventDisplay::LoadControls() {
    CheckDlgButton(IDC_SHOW, m_pSheet->m_displayInfo.m_bShowOnCalendar ? BST_CHECKED : BST_UNCHECKED);
    if (CComboBox* p = Combo(this, IDC_MODE))
        p->SetCurSel(m_pSheet->m_displayInfo.m_nShowMode);
    UpdateLayout();
}

void CPageEventDisplay::UpdateLayout() {
    const BOOL on = IsChecked(this, IDC_SHOW);
    Show(this, IDC_MODE, on);
    Show(this, IDC_MODE_LABEL, on);
}

BOOL CPageEventDisplay::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) == IDC_SHOW && HIWORD(wParam) == BN_CLICKED) {
        UpdateLayout();
        return TRUE;
    }
    return CDialog::OnCommand(wParam, lParam);
}

BOOL CPageEventDisplay::StoreControls() {
    m_pSheet->m_displayInfo.m_bShowOnCalendar = IsChecked(this, IDC_SHOW);
    if (CComboBox* p = Combo(this, IDC_MODE))
        m_pSheet->m_displayInfo.m_nShowMode = p->GetCurSel() < 0 ? 0 : p->GetCurSel();
    return TRUE;
}

// ---- Sheet ----------------------------------------------------------------------------------

CSheetEvent::CSheetEvent(CWnd* pParent) : CDialog(IDD, pParent) {}

CSheetEvent::~CSheetEvent() = default;

void CSheetEvent::PresetDates(const CDate& date, const CDate* pLastDate) {
    const CDate last = pLastDate != nullptr && pLastDate->IsValid() ? *pLastDate : date;
    m_base.m_start.m_date = date;
    m_base.m_end.m_date = last;
    // The rule's bounds show the same dates but stay off until the user ticks them: a new
    // recurring task is not bounded to the day it was made on.
    m_periodInfo.m_values[0] = (DWORD)date.GetYear();
    m_periodInfo.m_values[1] = (DWORD)date.GetMonth();
    m_periodInfo.m_values[2] = (DWORD)date.GetDay();
}

CPageEventBase* CSheetEvent::Page(int n) {
    switch (n) {
    case PageGeneral: return &m_general;
    case PageRemind: return &m_remind;
    case PagePeriod: return &m_period;
    case PageDisplay: return &m_display;
    default: return nullptr;
    }
}

BOOL CSheetEvent::OnInitDialog() {
    CDialog::OnInitDialog();
    if (!m_tab.SubclassDlgItem(IDC_TAB, this))
        return TRUE;
    CRect area;
    m_tab.GetWindowRect(&area);
    ScreenToClient(&area);
    m_tab.AdjustRect(FALSE, &area);
    m_container.CreateEx(WS_EX_CONTROLPARENT, nullptr, nullptr, WS_CHILD | WS_VISIBLE, area, this,
                         IDC_CONTAINER);
    if (m_pEvent != nullptr) {
        m_base = m_pEvent->m_base;
        m_periodInfo = m_pEvent->m_period;
        m_remindInfo.CopyFrom(m_pEvent->m_remind);
        m_displayInfo = m_pEvent->m_display;
    }
    static const char* const captions[] = {"基本信息", "提醒设置", "重复周期", "显示设置"};
    // The reminder page exists before the general page lays out, which it follows.
    const int order[] = {PageRemind, PageGeneral, PagePeriod, PageDisplay};
    for (int n : order) {
        CPageEventBase* p = Page(n);
        static const UINT templates[] = {CPageEventGeneral::IDD, CPageEventRemind::IDD,
                                         CPageEventPeriod::IDD, CPageEventDisplay::IDD};
        p->Create(templates[n], &m_container);
        p->SetWindowPos(nullptr, 0, 0, area.Width(), area.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
        p->ShowWindow(SW_HIDE);
    }
    for (int n = 0; n < 4; ++n)
        m_tab.InsertItem(n, captions[n]);
    m_remind.LoadControls();
    m_general.LoadControls();
    m_period.LoadControls();
    m_display.LoadControls();
    SelectPage(PageGeneral);
    if (CWnd* pTitle = m_general.GetDlgItem(CPageEventGeneral::IDC_TITLE))
        pTitle->SetFocus();
    return FALSE;
}

void CSheetEvent::SelectPage(int nPage) {
    if (nPage < 0 || nPage > 3)
        return;
    if (m_tab.GetSafeHwnd() != nullptr && m_tab.GetCurSel() != nPage)
        m_tab.SetCurSel(nPage);
    m_nPage = nPage;
    if (nPage == PagePeriod)
        m_period.SetSummary(
            IsChecked(&m_general, CPageEventGeneral::IDC_RECURRING) ? m_general.GetSummary()
                                                                    : CString("未指定重复"));
    for (int n = 0; n < 4; ++n)
        if (Page(n)->GetSafeHwnd() != nullptr)
            Page(n)->ShowWindow(n == nPage ? SW_SHOW : SW_HIDE);
}

BOOL CSheetEvent::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    auto* pHdr = reinterpret_cast<NMHDR*>(lParam);
    if (pHdr != nullptr && pHdr->idFrom == IDC_TAB && pHdr->code == TCN_SELCHANGE) {
        SelectPage(m_tab.GetCurSel());
        *pResult = 0;
        return TRUE;
    }
    return CDialog::OnNotify(wParam, lParam, pResult);
}

void CSheetEvent::OnOK() {
    for (int n = 0; n < 4; ++n) {
        if (!Page(n)->StoreControls()) {
            SelectPage(n);
            return;
        }
    }
    m_bAccepted = TRUE;
    EndDialog(IDOK);
}

void CSheetEvent::SaveTo(_CEvent* pEvent, BOOL bApply) {
    if (!bApply || pEvent == nullptr)
        return;
    pEvent->m_base = m_base;
    pEvent->m_period = m_periodInfo;
    pEvent->m_remind.CopyFrom(m_remindInfo);
    pEvent->m_display = m_displayInfo;
}
