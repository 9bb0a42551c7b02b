#include "contacts/ui/DlgFindPerson.h"

#include <algorithm>

#include "platform/gui/MessageBox.h"

namespace {

// The controls each tab shows, ended by 0; the buttons beside the tabs always show.
const UINT kTabText[] = {1151, CDlgFindPerson::IDC_TEXT,    CDlgFindPerson::IDC_MATCH_CASE,
                         1152, CDlgFindPerson::IDC_RESULTS, 0};
const UINT kTabFields[] = {CDlgFindPerson::IDC_FIELD_TREE, 0};
const UINT kTabInitials[] = {1154, CDlgFindPerson::IDC_INITIALS, 1152, CDlgFindPerson::IDC_RESULTS,
                             0};
const UINT kTabBirthday[] = {CDlgFindPerson::IDC_DATE_MODE,
                             1111,
                             CDlgFindPerson::IDC_FROM,
                             1112,
                             CDlgFindPerson::IDC_TO,
                             CDlgFindPerson::IDC_IGNORE_YEAR,
                             1152,
                             CDlgFindPerson::IDC_RESULTS,
                             0};
const UINT* const kTabControls[] = {kTabText, kTabFields, kTabInitials, kTabBirthday};
const UINT kRangeControls[] = {1111, CDlgFindPerson::IDC_FROM, 1112, CDlgFindPerson::IDC_TO};

CDate DateOf(const CTime& t) {
    return CDate(t.GetYear(), t.GetMonth(), t.GetDay());
}

} // namespace

SFindSettings& SFindSettings::Get() {
    static SFindSettings settings;
    return settings;
}

BEGIN_MESSAGE_MAP(CDlgFindPerson, CDialog)
ON_BN_CLICKED(CDlgFindPerson::IDC_FIND_NEXT, &CDlgFindPerson::FindNext)
ON_BN_CLICKED(CDlgFindPerson::IDC_FIND_ALL, &CDlgFindPerson::FindAll)
ON_BN_CLICKED(CDlgFindPerson::IDC_CLEAR, &CDlgFindPerson::ClearSelected)
ON_BN_CLICKED(CDlgFindPerson::IDC_CLEAR_ALL, &CDlgFindPerson::ClearAll)
ON_CBN_SELCHANGE(CDlgFindPerson::IDC_DATE_MODE, &CDlgFindPerson::OnDateMode)
ON_NOTIFY(TCN_SELCHANGE, CDlgFindPerson::IDC_TABS, &CDlgFindPerson::OnTabChange)
ON_NOTIFY(NM_CLICK, CDlgFindPerson::IDC_FIELD_TREE, &CDlgFindPerson::OnTreeClick)
ON_NOTIFY(NM_DBLCLK, CDlgFindPerson::IDC_RESULTS, &CDlgFindPerson::OnResultDblClk)
ON_NOTIFY(LVN_ITEMCHANGED, CDlgFindPerson::IDC_RESULTS, &CDlgFindPerson::OnResultChanged)
END_MESSAGE_MAP()

int CDlgFindPerson::GetFieldNumber(int nGroupBit, int nFieldBit) const {
    return GetPersonFieldAt(nGroupBit, nFieldBit);
}

BOOL CDlgFindPerson::GetFieldName(int nField, CString& out) const {
    return GetPersonFieldName(nField, out);
}

BOOL CDlgFindPerson::HasPersonCriteria(const SFindSettings& settings) const {
    for (int k = 0; k < kPersonGroupCount; ++k)
        if (settings.personMasks[k] != 0)
            return TRUE;
    return FALSE;
}

CString CDlgFindPerson::FieldNameAt(int nGroupBit, int nFieldBit) const {
    CString name;
    GetFieldName(GetFieldNumber(nGroupBit, nFieldBit), name);
    return name;
}

CString CDlgFindPerson::GetHitFieldNames(const SFindResult& result) const {
    return GetFindResultFieldNames(
        result, [this](int nGroupBit, int nFieldBit) { return FieldNameAt(nGroupBit, nFieldBit); });
}

CDlgFindPerson::CDlgFindPerson(_CGroup* pGroup, CWnd* pOwner, CString* pLastText)
    : CDialog(IDD, pOwner), m_pGroup(pGroup), m_pOwner(pOwner), m_pLastText(pLastText),
      m_finder(pGroup) {}

CDlgFindPerson::~CDlgFindPerson() {
    // The searched group keeps no search position once its dialog is gone.
    m_finder.Reset();
}

void CDlgFindPerson::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_TABS, m_wndTabs);
    DDX_Control(pDX, IDC_FIELD_TREE, m_wndTree);
    DDX_Control(pDX, IDC_RESULTS, m_wndResults);
    DDX_Text(pDX, IDC_TEXT, m_strText);
    DDX_Text(pDX, IDC_INITIALS, m_strInitials);
    DDX_Check(pDX, IDC_MATCH_CASE, m_bMatchCase);
    DDX_CBIndex(pDX, IDC_DATE_MODE, m_nDateMode);
    DDX_Check(pDX, IDC_IGNORE_YEAR, m_bIgnoreYear);
    DDX_Check(pDX, IDC_AUTO_OPEN, m_bAutoOpen);
}

BOOL CDlgFindPerson::OnInitDialog() {
    SFindSettings& settings = GetSettings();
    m_bAutoOpen = settings.bAutoOpen;
    if (m_pLastText != nullptr)
        m_strText = *m_pLastText;
    CDialog::OnInitDialog();
    if (m_pGroup != nullptr && !m_pGroup->GetName().IsEmpty()) {
        CString caption;
        caption.Format("在\"%s\"中查找联系人/组", (LPCTSTR)m_pGroup->GetName());
        SetWindowText(caption);
    }
    for (const char* title : {"常规查找", "选择字段", "拼音查找", "生日查找"})
        m_wndTabs.InsertItem(m_wndTabs.GetItemCount(), title);
    m_wndResults.InsertColumn(0, "姓名", LVCFMT_LEFT, 130);
    m_wndResults.InsertColumn(1, "待查文本所在的字段", LVCFMT_LEFT, 159);
    m_wndResults.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
    if (m_pImages != nullptr)
        m_wndResults.SetImageList(m_pImages, LVSIL_SMALL);
    if (CComboBox* pMode = static_cast<CComboBox*>(GetDlgItem(IDC_DATE_MODE))) {
        pMode->AddString("今天");
        pMode->AddString("指定日期");
        pMode->SetCurSel(m_nDateMode);
    }
    const CTime now = CTime::GetCurrentTime();
    for (UINT id : {IDC_FROM, IDC_TO})
        if (auto* picker = dynamic_cast<CDateTimeCtrl*>(GetDlgItem(id)))
            picker->SetTime(&now);
    m_fieldTree.Build(GetFieldTable(), [this](int nGroupBit, int nFieldBit) {
        return FieldNameAt(nGroupBit, nFieldBit);
    });
    m_fieldTree.Load(settings.personMasks, settings.dwGroupMask);
    UpdateData(FALSE);
    m_wndTabs.SetCurSel(settings.nTab);
    ShowTab(settings.nTab);
    return TRUE;
}

void CDlgFindPerson::ShowTab(int nTab) {
    if (nTab < TAB_TEXT || nTab > TAB_BIRTHDAY)
        nTab = TAB_TEXT;
    m_nTab = nTab;
    if (m_wndTabs.GetCurSel() != nTab)
        m_wndTabs.SetCurSel(nTab);
    UpdateData(TRUE);
    for (const UINT* list : kTabControls)
        for (const UINT* p = list; *p; ++p)
            if (CWnd* w = GetDlgItem(*p))
                w->ShowWindow(SW_HIDE);
    for (const UINT* p = kTabControls[nTab]; *p; ++p)
        if (CWnd* w = GetDlgItem(*p))
            w->ShowWindow(SW_SHOW);
    if (nTab == TAB_BIRTHDAY)
        for (UINT id : kRangeControls)
            if (CWnd* w = GetDlgItem(id))
                w->ShowWindow(m_nDateMode == 1 ? SW_SHOW : SW_HIDE);
    if (nTab == TAB_TEXT || nTab == TAB_INITIALS)
        if (CWnd* w = GetDlgItem(nTab == TAB_TEXT ? IDC_TEXT : IDC_INITIALS))
            w->SetFocus();
    EnableButtons();
}

void CDlgFindPerson::OnTabChange(NMHDR*, LRESULT* pResult) {
    ShowTab(m_wndTabs.GetCurSel());
    *pResult = 0;
}

void CDlgFindPerson::OnDateMode() {
    UpdateData(TRUE);
    ShowTab(m_nTab);
}

void CDlgFindPerson::OnTreeClick(NMHDR*, LRESULT* pResult) {
    m_fieldTree.OnClick();
    *pResult = 0;
}

void CDlgFindPerson::SaveTicks() {
    SFindSettings& settings = GetSettings();
    m_fieldTree.Save(settings.personMasks, &settings.dwGroupMask);
}

void CDlgFindPerson::Find(BOOL bAll) {
    if (m_nTab == TAB_FIELDS)
        return;
    UpdateData(TRUE);
    SFindSettings& settings = GetSettings();
    SFindCriteria criteria;
    if (m_nTab == TAB_BIRTHDAY) {
        criteria.nMode = SFindCriteria::MODE_BIRTHDAY;
        CTime from = CTime::GetCurrentTime(), to = from;
        auto* pFrom = dynamic_cast<CDateTimeCtrl*>(GetDlgItem(IDC_FROM));
        auto* pTo = dynamic_cast<CDateTimeCtrl*>(GetDlgItem(IDC_TO));
        if (m_nDateMode == 1 && pFrom != nullptr && pTo != nullptr) {
            pFrom->GetTime(from);
            pTo->GetTime(to);
        }
        criteria.from = DateOf(from);
        criteria.to = DateOf(to);
        criteria.bIgnoreYear = m_bIgnoreYear;
    } else {
        criteria.nMode =
            m_nTab == TAB_INITIALS ? SFindCriteria::MODE_INITIALS : SFindCriteria::MODE_TEXT;
        criteria.strText = m_nTab == TAB_INITIALS ? m_strInitials : m_strText;
        if (criteria.strText.IsEmpty()) {
            AfxMessageBox("查找的内容不能为空，请重新输入！", MB_OK | MB_ICONEXCLAMATION);
            return;
        }
        SaveTicks();
        std::copy(std::begin(settings.personMasks), std::end(settings.personMasks),
                  criteria.personMasks);
        criteria.dwGroupMask = settings.dwGroupMask;
        criteria.nScope = (HasPersonCriteria(settings) ? _CGroup::FIND_CONTACTS : 0) |
                          (settings.dwGroupMask != 0 ? _CGroup::FIND_GROUPS : 0);
        criteria.bMatchCase = m_bMatchCase;
    }
    const int nFound =
        m_finder.Find(criteria, bAll, m_results.empty(),
                      [this](std::unique_ptr<SFindResult> r) { AddRow(std::move(r)); });
    if (nFound == 0)
        AfxMessageBox("已在指定范围内完成搜索，但没有找到符合条件的联系人/组!",
                      MB_OK | MB_ICONINFORMATION);
    EnableButtons();
}

void CDlgFindPerson::AddRow(std::unique_ptr<SFindResult> result) {
    SFindResult* pResult = result.get();
    m_results.push_back(std::move(result));
    if (m_bAutoOpen && m_pOwner != nullptr)
        m_pOwner->SendMessage(WM_FOUND_ITEM, FOUND_ITEM_CODE, (LPARAM)pResult);
    CString name = m_labelOf          ? m_labelOf(pResult->pItem)
                   : pResult->bPerson ? static_cast<_CPerson*>(pResult->pItem)->GetName()
                                      : static_cast<_CGroup*>(pResult->pItem)->GetName();
    const int nImage = m_imageOf ? m_imageOf(pResult->pItem) : -1;
    const BOOL bLink = pResult->bPerson && static_cast<_CPerson*>(pResult->pItem)->IsVirtual();
    const int nRow = m_wndResults.InsertItem(
        LVIF_TEXT | LVIF_IMAGE | LVIF_STATE, m_wndResults.GetItemCount(), name,
        bLink ? INDEXTOOVERLAYMASK(kLinkOverlay) : 0, LVIS_OVERLAYMASK, nImage, 0);
    m_wndResults.SetItemText(nRow, 1, GetHitFieldNames(*pResult));
    m_wndResults.SetItemData(nRow, (DWORD_PTR)pResult);
    m_wndResults.EnsureVisible(nRow, FALSE);
}

void CDlgFindPerson::ClearSelected() {
    for (int i = m_wndResults.GetItemCount() - 1; i >= 0; --i) {
        if (!(m_wndResults.GetItemState(i, LVIS_SELECTED) & LVIS_SELECTED))
            continue;
        auto* pResult = reinterpret_cast<SFindResult*>(m_wndResults.GetItemData(i));
        m_wndResults.DeleteItem(i);
        m_results.erase(std::remove_if(m_results.begin(), m_results.end(),
                                       [&](const std::unique_ptr<SFindResult>& r) {
                                           return r.get() == pResult;
                                       }),
                        m_results.end());
    }
    EnableButtons();
}

void CDlgFindPerson::ClearAll() {
    m_wndResults.DeleteAllItems();
    m_results.clear(); // the next search starts from the beginning
    EnableButtons();
}

void CDlgFindPerson::OnResultDblClk(NMHDR*, LRESULT* pResult) {
    *pResult = 0;
    const int nRow = m_wndResults.GetNextItem(-1, LVNI_SELECTED);
    if (nRow >= 0 && m_pOwner != nullptr)
        m_pOwner->SendMessage(WM_FOUND_ITEM, FOUND_ITEM_CODE,
                              (LPARAM)m_wndResults.GetItemData(nRow));
}

void CDlgFindPerson::OnResultChanged(NMHDR*, LRESULT* pResult) {
    *pResult = 0;
    EnableButtons();
}

void CDlgFindPerson::EnableButtons() {
    const BOOL bSearchTab = m_nTab != TAB_FIELDS;
    auto enable = [this](int id, BOOL b) {
        if (CWnd* w = GetDlgItem(id))
            w->EnableWindow(b);
    };
    enable(IDC_FIND_NEXT, bSearchTab);
    enable(IDC_FIND_ALL, bSearchTab);
    enable(IDC_CLEAR, bSearchTab && m_wndResults.GetNextItem(-1, LVNI_SELECTED) >= 0);
    enable(IDC_CLEAR_ALL, bSearchTab && m_wndResults.GetItemCount() > 0);
}

void CDlgFindPerson::OnOK() {
    UpdateData(TRUE);
    if (m_pLastText != nullptr)
        *m_pLastText = m_strText;
    m_finder.Reset();
    SaveTicks();
    SFindSettings& settings = GetSettings();
    settings.bAutoOpen = m_bAutoOpen;
    settings.nTab = m_nTab;
    EndDialog(IDOK);
}
