#include "contacts/ui/PageAddress.h"

#include "contacts/ui/ValueListCombo.h"

#include <algorithm>

namespace {

// ---- Row tables: label, icon, field ------------------------------------------------------------

const UINT kHomeLabels[] = {1117, 1118, 1119, 1063, 1129, 1130};
const UINT kHomeIcons[] = {1111, 1112, 1113, 1114, 1115, 1116};
const SFieldItem kHomeFields[] = {{1043, FIELD_WIDTH_TO_MIDDLE}, {1044, FIELD_WIDTH_TO_MIDDLE},
                                  {1052, FIELD_WIDTH_TO_RIGHT},  {1047, FIELD_WIDTH_TO_MIDDLE},
                                  {1049, FIELD_WIDTH_TO_MIDDLE}, {1051, FIELD_WIDTH_TO_RIGHT}};
const UINT kHomeLabels2[] = {1122, 1123, 0, 1062, 1131, 0};
const UINT kHomeIcons2[] = {1243, 1127, 0, 1121, 1128, 0};
const SFieldItem kHomeFields2[] = {{1045, FIELD_WIDTH_TO_RIGHT}, {1046, FIELD_WIDTH_TO_RIGHT},
                                   {0, 0},                       {1061, FIELD_WIDTH_TO_RIGHT},
                                   {1050, FIELD_WIDTH_TO_RIGHT}, {0, 0}};

const UINT kUnitLabels[] = {1117, 1118, 1119, 1120, 1063, 1062, 1133, 1136, 1024, 1025};
const UINT kUnitIcons[] = {1111, 1112, 1113, 1114, 1115, 1116, 1282, 1139, 1132, 1137};
const SFieldItem kUnitFields[] = {
    {1021, FIELD_WIDTH_TO_RIGHT},  {1043, FIELD_WIDTH_TO_MIDDLE}, {1044, FIELD_WIDTH_TO_MIDDLE},
    {1052, FIELD_WIDTH_TO_RIGHT},  {1014, FIELD_WIDTH_TO_MIDDLE}, {1061, FIELD_WIDTH_TO_MIDDLE},
    {1053, FIELD_WIDTH_TO_MIDDLE}, {1050, FIELD_WIDTH_TO_RIGHT},  {1054, FIELD_WIDTH_TO_RIGHT},
    {1017, FIELD_WIDTH_TO_RIGHT}};
const UINT kUnitLabels2[] = {0, 1123, 1124, 0, 1064, 1140, 1135, 0, 0, 0};
const UINT kUnitIcons2[] = {0, 1127, 1121, 0, 1122, 1128, 1243, 0, 0, 0};
const SFieldItem kUnitFields2[] = {
    {0, 0}, {1045, FIELD_WIDTH_TO_RIGHT}, {1046, FIELD_WIDTH_TO_RIGHT}, {0, 0},
    {1015, FIELD_WIDTH_TO_RIGHT}, {1055, FIELD_WIDTH_TO_RIGHT}, {1056, FIELD_WIDTH_TO_RIGHT},
    {0, 0}, {0, 0}, {0, 0}};

const UINT kCommLabels[] = {1117, 1118, 1119};
const UINT kCommIcons[] = {1111, 1112, 1113};
const SFieldItem kCommFields[] = {
    {1046, FIELD_WIDTH_TO_MIDDLE}, {1006, FIELD_WIDTH_TO_RIGHT}, {1037, FIELD_WIDTH_TO_RIGHT}};

// ---- Field jumps: contact field number, control, kind ------------------------------------------

const SFieldJump kHomeJumps[] = {
    {15, 1043, FIELD_JUMP_COMBO}, {16, 1045, FIELD_JUMP_COMBO},      {17, 1044, FIELD_JUMP_COMBO},
    {18, 1046, FIELD_JUMP_EDIT},  {19, 1052, FIELD_JUMP_EDIT},       {20, 1063, FIELD_JUMP_LIST_BUTTON},
    {21, 1062, FIELD_JUMP_LIST_BUTTON}, {22, 1049, FIELD_JUMP_EDIT}, {23, 1050, FIELD_JUMP_EDIT},
    {24, 1051, FIELD_JUMP_EDIT},  {48, 1043, FIELD_JUMP_COMBO}};
const SFieldJump kUnitJumps[] = {
    {25, 1021, FIELD_JUMP_EDIT},        {26, 1043, FIELD_JUMP_COMBO},
    {27, 1045, FIELD_JUMP_COMBO},       {28, 1044, FIELD_JUMP_COMBO},
    {29, 1046, FIELD_JUMP_EDIT},        {30, 1052, FIELD_JUMP_EDIT},
    {31, 1063, FIELD_JUMP_LIST_BUTTON}, {32, 1064, FIELD_JUMP_LIST_BUTTON},
    {33, 1062, FIELD_JUMP_LIST_BUTTON}, {34, 1055, FIELD_JUMP_EDIT},
    {35, 1053, FIELD_JUMP_EDIT},        {36, 1056, FIELD_JUMP_EDIT},
    {37, 1050, FIELD_JUMP_EDIT},        {38, 1024, FIELD_JUMP_LIST_BUTTON},
    {39, 1025, FIELD_JUMP_LIST_BUTTON}, {49, 1043, FIELD_JUMP_COMBO}};
const SFieldJump kCommJumps[] = {
    {40, 1046, FIELD_JUMP_EDIT}, {41, 1006, FIELD_JUMP_EDIT}, {42, 1037, FIELD_JUMP_EDIT}};

constexpr UINT kReferenceItem = 1125;

} // namespace

// ---- CMultiValuePage ---------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CMultiValuePage, CContactPropertyPage)

CMultiValuePage::CMultiValuePage(UINT nIDTemplate, UINT nIDCaption)
    : CContactPropertyPage(nIDTemplate, nIDCaption) {
    m_layoutTopItem = kReferenceItem;
    m_sideMargin = 5;
}

BOOL CMultiValuePage::OnInitDialog() {
    CContactPropertyPage::OnInitDialog();
    if (!m_valueCombos.empty()) {
        m_pEditor = std::make_unique<CDlgEditstrlist>(this);
        if (!m_pEditor->Create()) {
            m_pEditor.reset();
            return FALSE;
        }
        m_pEditor->SetReadOnly(m_readOnly);
    }
    HookEnterEscapeItems(m_enterEscapeEdits.data(), (int)m_enterEscapeEdits.size());
    m_comboWnds.clear();
    for (const SValueCombo& combo : m_valueCombos) {
        auto pBox = std::make_unique<CMultiComboBox>(combo.pszHeader2 ? 2 : 1);
        if (pBox->SubclassDlgItem(combo.nComboId, this))
            CMultiComboBox::HookEditKeys(pBox.get());
        else
            pBox.reset();
        m_comboWnds.push_back(std::move(pBox));
    }
    ShowValueLists();
    LayoutPage();
    return TRUE;
}

BOOL CMultiValuePage::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message == WM_SIZE && m_initialized)
        LayoutPage();
    if (message == WM_LIST_EDITOR_NOTIFY) {
        if (wParam == CDlgEditstrlist::NOTIFY_COMMITTED && m_pEditor) {
            for (size_t i = 0; i < m_valueCombos.size() && i < m_comboWnds.size(); ++i) {
                if (m_valueCombos[i].nButtonId != m_nEditorButton || m_nEditorButton == 0)
                    continue;
                m_pEditor->Reload(FALSE);
                RefreshValueCombo(i);
                SetChanged(TRUE);
            }
        } else if (wParam == CDlgEditstrlist::NOTIFY_CLOSED) {
            m_bEditorOpen = FALSE;
        }
        if (pResult)
            *pResult = 0;
        return TRUE;
    }
    if (message == WM_QUERY_UNSAVED_LIST_EDITS) {
        if (pResult)
            *pResult = HasUnsavedListEdits();
        return TRUE;
    }
    return CContactPropertyPage::OnWndMsg(message, wParam, lParam, pResult);
}

void CMultiValuePage::LayoutPage() {
    if (!m_hWnd)
        return;
    CRect client;
    GetClientRect(&client);
    const int h = client.Height();
    std::vector<int> heights;
    for (const STallEdit& tall : m_tallEdits)
        heights.push_back(h * tall.nNum / tall.nDen + 5);
    auto apply = [&] {
        for (size_t i = 0; i < m_tallEdits.size(); ++i)
            if (CWnd* pEdit = GetDlgItem((int)m_tallEdits[i].nID)) {
                CRect rc;
                GetItemRect(m_tallEdits[i].nID, &rc);
                pEdit->SetWindowPos(nullptr, 0, 0, rc.Width(), heights[i],
                                    SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
    };
    // The tall edits give up height until the rows have room between them, down to 20 pixels.
    do {
        for (int& height : heights)
            height = height >= 25 ? height - 5 : 20;
        apply();
    } while (CalcRowGap() <= 10.0f &&
             std::any_of(heights.begin(), heights.end(), [](int v) { return v > 20; }));
    LayoutFieldRows();
}

CMultiComboBox* CMultiValuePage::GetMultiValueCombo(UINT nID) {
    for (size_t i = 0; i < m_valueCombos.size() && i < m_comboWnds.size(); ++i)
        if (m_valueCombos[i].nComboId == nID || m_valueCombos[i].nButtonId == nID)
            return m_comboWnds[i].get();
    return nullptr;
}

void CMultiValuePage::AddValueCombo(UINT nComboId, UINT nButtonId, CXStringList* pList,
                                    const char* pszCaption, const char* pszHeader,
                                    const char* pszHeader2, int nLink) {
    m_valueCombos.push_back({nComboId, nButtonId, pList, pszCaption, pszHeader, pszHeader2, nLink});
}

void CMultiValuePage::OpenListEditor(size_t nCombo) {
    if (!m_pEditor || nCombo >= m_valueCombos.size())
        return;
    const SValueCombo& combo = m_valueCombos[nCombo];
    m_bEditorOpen = TRUE;
    // The choice or the text in the box is the list's current value when the editor opens.
    if (nCombo < m_comboWnds.size() && m_comboWnds[nCombo]) {
        CommitValueList(*m_comboWnds[nCombo], *combo.pList);
        RefreshValueCombo(nCombo);
    }
    const CString label = CString(combo.pszHeader) + ":";
    m_pEditor->Configure(combo.pszHeader2 != nullptr, combo.pszCaption, combo.pszHeader,
                         combo.pszHeader2, label, combo.pList, combo.nLink);
    // A save question answered Cancel keeps the editor on its list and its button.
    if (m_pEditor->GetEditedList() == combo.pList)
        m_nEditorButton = combo.nButtonId;
    m_pEditor->ShowWindow(SW_SHOW);
}

void CMultiValuePage::ShowListEditor(BOOL bShow, BOOL bOnlyIfOpen) {
    if (!m_pEditor || !m_pEditor->m_hWnd)
        return;
    if (bShow && bOnlyIfOpen && !m_bEditorOpen)
        return;
    m_pEditor->ShowWindow(bShow ? SW_SHOW : SW_HIDE);
}

BOOL CMultiValuePage::HasUnsavedListEdits() const {
    return m_pEditor && m_pEditor->IsDirty();
}

void CMultiValuePage::SetReadOnly(BOOL bReadOnly) {
    CContactPropertyPage::SetReadOnly(bReadOnly);
    if (m_pEditor)
        m_pEditor->SetReadOnly(bReadOnly);
}

BOOL CMultiValuePage::OnSetActive() {
    ShowListEditor(TRUE, TRUE);
    return CContactPropertyPage::OnSetActive();
}

BOOL CMultiValuePage::OnKillActive() {
    // Hidden with the page; it comes back when the page does.
    ShowListEditor(FALSE, FALSE);
    return CContactPropertyPage::OnKillActive();
}

BOOL CMultiValuePage::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) == BN_CLICKED && lParam) {
        for (size_t i = 0; i < m_valueCombos.size(); ++i)
            if (m_valueCombos[i].nButtonId == LOWORD(wParam)) {
                OpenListEditor(i);
                return TRUE;
            }
    }
    return CContactPropertyPage::OnCommand(wParam, lParam);
}

BOOL CMultiValuePage::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    const NMHDR* pHdr = reinterpret_cast<const NMHDR*>(lParam);
    if (pHdr && pHdr->code == (UINT)NM_RETURN)
        OnMultiValueAdded((UINT)pHdr->idFrom);
    return CContactPropertyPage::OnNotify(wParam, lParam, pResult);
}

void CMultiValuePage::OnMultiValueAdded(UINT nComboId) {
    CMultiComboBox* pBox = GetMultiValueCombo(nComboId);
    for (size_t i = 0; pBox && i < m_valueCombos.size() && i < m_comboWnds.size(); ++i) {
        if (m_comboWnds[i].get() != pBox)
            continue;
        if (m_pEditor && m_pEditor->GetEditedList() == m_valueCombos[i].pList &&
            m_nEditorButton == m_valueCombos[i].nButtonId) {
            // The editor commits the new row, and its commit refills the box.
            CString text;
            pBox->GetWindowText(text);
            m_pEditor->AddValue(text, TRUE);
        } else if (m_readOnly) {
            RefreshValueCombo(i); // a read-only page keeps its lists
        } else {
            // The box has taken the value into its own list: the page's list follows.
            *m_valueCombos[i].pList = pBox->GetValueList();
            SetChanged(TRUE);
        }
        return;
    }
}

void CMultiValuePage::ShowValueLists() {
    if (!m_hWnd)
        return;
    for (size_t i = 0; i < m_valueCombos.size(); ++i)
        RefreshValueCombo(i);
    if (m_pEditor && m_pEditor->GetEditedList()) {
        // Rows typed for the contact shown before are never stored into another contact's list.
        if (!m_bSameContact)
            m_pEditor->DropEdits();
        m_pEditor->Reload(TRUE);
    }
    m_bSameContact = FALSE;
}

void CMultiValuePage::CommitValueLists() {
    if (!m_hWnd)
        return;
    for (size_t i = 0; i < m_valueCombos.size() && i < m_comboWnds.size(); ++i)
        if (m_comboWnds[i]) {
            CommitValueList(*m_comboWnds[i], *m_valueCombos[i].pList);
            RefreshValueCombo(i);
        }
}

void CMultiValuePage::RefreshValueCombo(size_t nCombo) {
    if (nCombo >= m_comboWnds.size() || !m_comboWnds[nCombo] || !m_comboWnds[nCombo]->m_hWnd)
        return;
    const BOOL bLoading = m_loading;
    m_loading = TRUE;
    m_comboWnds[nCombo]->SetValueList(*m_valueCombos[nCombo].pList);
    m_loading = bLoading;
}

CString CMultiValuePage::GetText(UINT nID) const {
    CString text;
    if (CWnd* pWnd = GetDlgItem((int)nID))
        pWnd->GetWindowText(text);
    return text;
}

void CMultiValuePage::SetText(UINT nID, const CString& text) {
    if (CWnd* pWnd = GetDlgItem((int)nID))
        pWnd->SetWindowText(text);
}

// ---- CLocationPage ------------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CLocationPage, CMultiValuePage)

CLocationPage::CLocationPage(UINT nIDTemplate, UINT nIDCaption)
    : CMultiValuePage(nIDTemplate, nIDCaption) {}

CLocationPage::~CLocationPage() {
    if (m_hWnd)
        DestroyWindow();
}

BOOL CLocationPage::OnInitDialog() {
    m_wndCountry.SubclassDlgItem(IDC_COUNTRY, this);
    HookComboItem(IDC_COUNTRY);
    m_wndProvince.SubclassDlgItem(IDC_PROVINCE, this);
    m_wndProvince.SubclassEdit();
    m_wndCity.SubclassDlgItem(IDC_CITY, this);
    m_wndCity.SubclassEdit();
    FillProvinceList(m_wndProvince);
    m_autoFill.Bind(this, &m_wndCity, &m_wndProvince, IDC_POSTCODE);
    CMultiValuePage::OnInitDialog();
    LoadLocation(m_location);
    return TRUE;
}

BOOL CLocationPage::OnCommand(WPARAM wParam, LPARAM lParam) {
    const UINT nID = LOWORD(wParam), nCode = HIWORD(wParam);
    if (nID == IDC_CITY && nCode == CBN_SETFOCUS)
        m_autoFill.OnCityBoxFocus();
    else if (nID == IDC_POSTCODE && nCode == EN_SETFOCUS && IsChanged())
        m_autoFill.OnPostCodeFocus(); // only what the user is entering gets a post code
    return CMultiValuePage::OnCommand(wParam, lParam);
}

void CLocationPage::LoadLocation(const SPersonLocation& location) {
    m_location = location;
    if (!m_hWnd)
        return;
    m_loading = TRUE;
    SetComboText(m_wndCountry, location.strCountry);
    SetComboText(m_wndProvince, location.strProvince);
    SetComboText(m_wndCity, location.strCity);
    SetText(IDC_POSTCODE, location.strPostCode);
    SetText(IDC_ADDRESS, location.strAddress);
    m_loading = FALSE;
}

void CLocationPage::SaveLocation(SPersonLocation& location) {
    if (m_hWnd) {
        m_wndCountry.GetWindowText(m_location.strCountry);
        m_wndProvince.GetWindowText(m_location.strProvince);
        m_wndCity.GetWindowText(m_location.strCity);
        m_location.strPostCode = GetText(IDC_POSTCODE);
        m_location.strAddress = GetText(IDC_ADDRESS);
    }
    location = m_location;
}

// ---- CPageHome ----------------------------------------------------------------------------------

CPageHome::CPageHome() : CLocationPage(IDD, 0) {
    m_pFieldJumps = kHomeJumps;
    m_nFieldJumps = (int)std::size(kHomeJumps);
    m_rowCount = (int)std::size(kHomeLabels);
    m_labelIds = kHomeLabels;
    m_iconIds = kHomeIcons;
    m_fieldItems = kHomeFields;
    m_labelIds2 = kHomeLabels2;
    m_iconIds2 = kHomeIcons2;
    m_fieldItems2 = kHomeFields2;
    m_tallEdits = {{IDC_ADDRESS, 1, 4}, {IDC_MEMBERS, 1, 5}};
    m_enterEscapeEdits = {IDC_POSTCODE, IDC_ADDRESS, IDC_SPOUSE, IDC_CUSTOM, IDC_MEMBERS};
    AddValueCombo(IDC_PHONES, IDC_PHONES_BUTTON, &m_home.phones, "家庭电话", "家庭电话");
    AddValueCombo(IDC_FAXES, IDC_FAXES_BUTTON, &m_home.faxes, "家庭传真", "家庭传真");
}

BOOL CPageHome::OnInitDialog() {
    CLocationPage::OnInitDialog();
    ExchangeHome(m_home, TRUE);
    return TRUE;
}

void CPageHome::ExchangeHome(SPersonHomeBlock& home, BOOL bToPage) {
    if (bToPage) {
        if (&home != &m_home)
            m_home = home;
        LoadLocation(m_home);
        if (!m_hWnd)
            return;
        m_loading = TRUE;
        SetText(IDC_SPOUSE, m_home.strSpouse);
        SetText(IDC_CUSTOM, m_home.strCustom);
        SetText(IDC_MEMBERS, m_home.strMembers);
        m_loading = FALSE;
        ShowValueLists();
        return;
    }
    SaveLocation(m_home);
    if (m_hWnd) {
        m_home.strSpouse = GetText(IDC_SPOUSE);
        m_home.strCustom = GetText(IDC_CUSTOM);
        m_home.strMembers = GetText(IDC_MEMBERS);
        CommitValueLists();
    }
    home = m_home;
}

// ---- CPageUnit ----------------------------------------------------------------------------------

CPageUnit::CPageUnit() : CLocationPage(IDD, 0) {
    m_pFieldJumps = kUnitJumps;
    m_nFieldJumps = (int)std::size(kUnitJumps);
    m_rowCount = (int)std::size(kUnitLabels);
    m_labelIds = kUnitLabels;
    m_iconIds = kUnitIcons;
    m_fieldItems = kUnitFields;
    m_labelIds2 = kUnitLabels2;
    m_iconIds2 = kUnitIcons2;
    m_fieldItems2 = kUnitFields2;
    m_tallEdits = {{IDC_ADDRESS, 1, 5}};
    m_enterEscapeEdits = {IDC_COMPANY, IDC_POSTCODE, IDC_ADDRESS, IDC_DEPARTMENT,
                          IDC_TITLE,   IDC_OFFICE,   IDC_CUSTOM};
    AddValueCombo(IDC_PHONES, IDC_PHONES_BUTTON, &m_work.phones, "办公电话", "办公电话");
    AddValueCombo(IDC_DORM_PHONES, IDC_DORM_PHONES_BUTTON, &m_work.dormPhones, "宿舍电话", "宿舍电话");
    AddValueCombo(IDC_FAXES, IDC_FAXES_BUTTON, &m_work.faxes, "单位传真", "单位传真");
    AddValueCombo(IDC_EMAIL, IDC_EMAIL_BUTTON, &m_work.email, "单位邮箱", "电子信箱", nullptr,
                  CDlgEditstrlist::LINK_MAIL);
    AddValueCombo(IDC_HOMEPAGE, IDC_HOMEPAGE_BUTTON, &m_work.homepage, "单位主页", "单位主页", nullptr,
                  CDlgEditstrlist::LINK_WEB);
}

BOOL CPageUnit::OnInitDialog() {
    CLocationPage::OnInitDialog();
    ExchangeWork(m_work, TRUE);
    return TRUE;
}

void CPageUnit::ExchangeWork(SPersonWorkBlock& work, BOOL bToPage) {
    if (bToPage) {
        if (&work != &m_work)
            m_work = work;
        LoadLocation(m_work);
        if (!m_hWnd)
            return;
        m_loading = TRUE;
        SetText(IDC_COMPANY, m_work.strCompany);
        SetText(IDC_DEPARTMENT, m_work.strDepartment);
        SetText(IDC_TITLE, m_work.strTitle);
        SetText(IDC_OFFICE, m_work.strOffice);
        SetText(IDC_CUSTOM, m_work.strCustom);
        m_loading = FALSE;
        ShowValueLists();
        return;
    }
    SaveLocation(m_work);
    if (m_hWnd) {
        m_work.strCompany = GetText(IDC_COMPANY);
        m_work.strDepartment = GetText(IDC_DEPARTMENT);
        m_work.strTitle = GetText(IDC_TITLE);
        m_work.strOffice = GetText(IDC_OFFICE);
        m_work.strCustom = GetText(IDC_CUSTOM);
        CommitValueLists();
    }
    work = m_work;
}

// ---- CPageCommaddr ------------------------------------------------------------------------------

CPageCommaddr::CPageCommaddr() : CMultiValuePage(IDD, 0) {
    m_pFieldJumps = kCommJumps;
    m_nFieldJumps = (int)std::size(kCommJumps);
    m_rowCount = (int)std::size(kCommLabels);
    m_labelIds = kCommLabels;
    m_iconIds = kCommIcons;
    m_fieldItems = kCommFields;
    m_tallEdits = {{IDC_ADDRESS, 1, 6}, {IDC_NOTE, 2, 3}};
    m_enterEscapeEdits = {IDC_POSTCODE};
}

BOOL CPageCommaddr::OnInitDialog() {
    CMultiValuePage::OnInitDialog();
    // Nothing says yet what it would import: it stays visible, unavailable.
    if (CWnd* pImport = GetDlgItem(IDC_IMPORT))
        pImport->EnableWindow(FALSE);
    ExchangeCurrentAddress(m_address, TRUE);
    return TRUE;
}

void CPageCommaddr::LayoutPage() {
    CMultiValuePage::LayoutPage();
    CRect code, button;
    if (GetItemRect(IDC_POSTCODE, &code) && GetItemRect(IDC_IMPORT, &button))
        GetDlgItem(IDC_IMPORT)->SetWindowPos(nullptr, code.right + 2, code.top, 0, 0,
                                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CPageCommaddr::ExchangeCurrentAddress(SPersonAddressBlock& address, BOOL bToPage) {
    if (bToPage) {
        if (&address != &m_address)
            m_address = address;
        if (!m_hWnd)
            return;
        m_loading = TRUE;
        SetText(IDC_POSTCODE, m_address.strPostCode);
        SetText(IDC_ADDRESS, m_address.strAddress);
        SetText(IDC_NOTE, m_address.strNote);
        m_loading = FALSE;
        return;
    }
    if (m_hWnd) {
        m_address.strPostCode = GetText(IDC_POSTCODE);
        m_address.strAddress = GetText(IDC_ADDRESS);
        m_address.strNote = GetText(IDC_NOTE);
    }
    address = m_address;
}
