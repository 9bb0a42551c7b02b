#include "contacts/ui/DlgGroupProperty.h"

#include "contacts/ui/ValueListCombo.h"
#include "platform/gui/MessageBox.h"

namespace {
const char* const kDiscardQuestion = "您真的想放弃修改吗？";
constexpr int kGroupTypes = 6;
} // namespace

CDlgGroupProperty::CDlgGroupProperty() = default;

CDlgGroupProperty::~CDlgGroupProperty() {
    // The window goes while the boxes its notices reach still exist.
    if (m_hWnd)
        DestroyWindow();
}

BOOL CDlgGroupProperty::Create(CWnd* pOwner) {
    m_pOwner = pOwner;
    return CDialog::Create(IDD, pOwner);
}

BOOL CDlgGroupProperty::OnInitDialog() {
    CDialog::OnInitDialog();
    CenterWindow();
    m_wndHomepage.SubclassDlgItem(IDC_HOMEPAGE, this);
    m_wndPhones.SubclassDlgItem(IDC_PHONES, this);
    m_wndFaxes.SubclassDlgItem(IDC_FAXES, this);
    m_wndEmail.SubclassDlgItem(IDC_EMAIL, this);
    m_wndCountry.SubclassDlgItem(IDC_COUNTRY, this);
    m_wndType.SubclassDlgItem(IDC_TYPE, this);
    m_wndProvince.SubclassDlgItem(IDC_PROVINCE, this);
    m_wndCity.SubclassDlgItem(IDC_CITY, this);
    for (int i = 0; i < kGroupTypes; ++i) {
        CString name;
        GetGroupTypeName(i, name);
        m_wndType.AddString(name);
    }
    FillProvinceList(m_wndProvince);
    m_autoFill.Bind(this, &m_wndCity, &m_wndProvince, IDC_POSTCODE);
    // Without its editor the dialog still opens; the list buttons then do nothing.
    m_pEditor = std::make_unique<CDlgEditstrlist>(this);
    if (!m_pEditor->Create())
        m_pEditor.reset();
    SetModified(FALSE);
    return TRUE;
}

namespace {

struct SGroupList {
    UINT nButtonId, nComboId;
    const char* pszTitle;
    int nLink;
};
const SGroupList kGroupLists[] = {
    {CDlgGroupProperty::IDC_PHONES_BUTTON, CDlgGroupProperty::IDC_PHONES, "电话",
     CDlgEditstrlist::LINK_NONE},
    {CDlgGroupProperty::IDC_FAXES_BUTTON, CDlgGroupProperty::IDC_FAXES, "传真",
     CDlgEditstrlist::LINK_NONE},
    {CDlgGroupProperty::IDC_EMAIL_BUTTON, CDlgGroupProperty::IDC_EMAIL, "E-mail",
     CDlgEditstrlist::LINK_MAIL},
    {CDlgGroupProperty::IDC_HOMEPAGE_BUTTON, CDlgGroupProperty::IDC_HOMEPAGE, "主页",
     CDlgEditstrlist::LINK_WEB},
};

} // namespace

void CDlgGroupProperty::ShowLists() {
    ShowValueList(m_wndPhones, m_info.phones);
    ShowValueList(m_wndFaxes, m_info.faxes);
    ShowValueList(m_wndEmail, m_info.email);
    ShowValueList(m_wndHomepage, m_info.homepage);
}

void CDlgGroupProperty::OpenListEditor(UINT nButtonId) {
    if (!m_pEditor)
        return;
    for (const SGroupList& row : kGroupLists) {
        if (row.nButtonId != nButtonId)
            continue;
        CComboBox* pBox = nullptr;
        CXStringList* pList = nullptr;
        switch (row.nComboId) {
        case IDC_PHONES: pBox = &m_wndPhones; pList = &m_info.phones; break;
        case IDC_FAXES: pBox = &m_wndFaxes; pList = &m_info.faxes; break;
        case IDC_EMAIL: pBox = &m_wndEmail; pList = &m_info.email; break;
        default: pBox = &m_wndHomepage; pList = &m_info.homepage; break;
        }
        // The editor starts at the value the box shows.
        CommitValueList(*pBox, *pList);
        m_pEditor->Configure(FALSE, row.pszTitle, row.pszTitle, nullptr,
                             CString(row.pszTitle) + ":", pList, row.nLink);
        if (m_pEditor->GetEditedList() == pList)
            m_nEditorButton = nButtonId;
        m_bEditorShown = TRUE;
        m_pEditor->ShowWindow(SW_SHOW);
        return;
    }
}

LRESULT CDlgGroupProperty::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LIST_EDITOR_NOTIFY) {
        if (wParam == CDlgEditstrlist::NOTIFY_COMMITTED && m_pEditor) {
            m_pEditor->Reload(FALSE);
            m_loading = TRUE;
            ShowLists();
            m_loading = FALSE;
            SetModified(TRUE);
        } else if (wParam == CDlgEditstrlist::NOTIFY_CLOSED) {
            m_bEditorShown = FALSE;
        }
        return 0;
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

void CDlgGroupProperty::ForgetGroup(const _CGroup* pGroup) {
    if (pGroup && pGroup == m_pGroup) {
        m_pGroup = nullptr;
        // Rows typed for a group that goes have nowhere to go.
        if (m_pEditor)
            m_pEditor->DropEdits();
    }
}

BOOL CDlgGroupProperty::Exchange(_CGroup* pGroup, BOOL bLoad, BOOL* pNameChanged) {
    const BOOL bSameGroup = !pGroup || pGroup == m_pGroup;
    if (pGroup)
        m_pGroup = pGroup;
    if (!m_pGroup || !m_hWnd)
        return FALSE;
    SGroupInfo& info = m_pGroup->GetInfo();
    if (bLoad) {
        m_info = info;
        m_strLoadedName = m_pGroup->GetName();
        m_loading = TRUE;
        m_wndType.SetCurSel(m_info.nType);
        SetDlgItemText(IDC_NAME, m_strLoadedName);
        SetComboText(m_wndCountry, m_info.strCountry);
        SetComboText(m_wndProvince, m_info.strProvince);
        SetComboText(m_wndCity, m_info.strCity);
        SetDlgItemText(IDC_POSTCODE, m_info.strPostCode);
        SetDlgItemText(IDC_ADDRESS, m_info.strAddress);
        SetDlgItemText(IDC_NOTE, m_info.strNote);
        SetDlgItemText(IDC_MODIFIED, m_pGroup->GetModifiedTime().Format("%Y-%m-%d %H:%M:%S"));
        ShowLists();
        m_loading = FALSE;
        SetModified(FALSE);
        if (m_pEditor && m_pEditor->GetEditedList()) {
            // Rows typed for another group never go into this one's lists.
            if (!bSameGroup)
                m_pEditor->DropEdits();
            m_pEditor->Reload(TRUE);
        }
        return TRUE;
    }
    // A type outside the list (from a damaged file) stays as it was unless the user picks one.
    if (m_wndType.GetCurSel() >= 0)
        m_info.nType = m_wndType.GetCurSel();
    CString name;
    GetDlgItemText(IDC_NAME, name);
    m_wndCountry.GetWindowText(m_info.strCountry);
    m_wndProvince.GetWindowText(m_info.strProvince);
    m_wndCity.GetWindowText(m_info.strCity);
    GetDlgItemText(IDC_POSTCODE, m_info.strPostCode);
    GetDlgItemText(IDC_ADDRESS, m_info.strAddress);
    GetDlgItemText(IDC_NOTE, m_info.strNote);
    CommitValueList(m_wndPhones, m_info.phones);
    CommitValueList(m_wndFaxes, m_info.faxes);
    CommitValueList(m_wndEmail, m_info.email);
    CommitValueList(m_wndHomepage, m_info.homepage);
    info = m_info;
    m_pGroup->SetName(name);
    const CTime now = CTime::GetCurrentTime();
    m_pGroup->SetModifiedTime(now);
    m_loading = TRUE;
    SetDlgItemText(IDC_MODIFIED, now.Format("%Y-%m-%d %H:%M:%S"));
    m_loading = FALSE;
    if (pNameChanged)
        *pNameChanged = name != m_strLoadedName;
    m_strLoadedName = name;
    // Stored: nothing is left to ask about when the owner moves the group's item around.
    SetModified(FALSE);
    return TRUE;
}

void CDlgGroupProperty::SetModified(BOOL bModified) {
    m_modified = bModified;
    if (CWnd* pOK = GetDlgItem(IDOK))
        pOK->EnableWindow(bModified);
    if (CWnd* pApply = GetDlgItem(IDC_APPLY))
        pApply->EnableWindow(bModified);
}

void CDlgGroupProperty::Notify(WPARAM wParam) {
    if (m_pOwner && m_pOwner->m_hWnd)
        m_pOwner->SendMessage(WM_GROUP_PROPERTY_NOTIFY, wParam, 0);
}

BOOL CDlgGroupProperty::OnCommand(WPARAM wParam, LPARAM lParam) {
    const UINT nID = LOWORD(wParam), nCode = HIWORD(wParam);
    if (lParam && !m_loading && nID != IDC_MODIFIED &&
        (nCode == EN_CHANGE || nCode == CBN_EDITCHANGE || nCode == CBN_SELCHANGE))
        SetModified(TRUE);
    if (nID == IDC_CITY && nCode == CBN_SETFOCUS)
        m_autoFill.OnCityBoxFocus();
    else if (nID == IDC_POSTCODE && nCode == EN_SETFOCUS)
        m_autoFill.OnPostCodeFocus();
    if (nCode == BN_CLICKED && lParam &&
        (nID == IDC_PHONES_BUTTON || nID == IDC_FAXES_BUTTON || nID == IDC_EMAIL_BUTTON ||
         nID == IDC_HOMEPAGE_BUTTON)) {
        OpenListEditor(nID);
        return TRUE;
    }
    if (nID == IDC_APPLY && (nCode == BN_CLICKED || !lParam)) {
        Notify(NOTIFY_APPLY);
        SetModified(FALSE);
        return TRUE;
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CDlgGroupProperty::OnOK() {
    Notify(NOTIFY_OK);
    DestroyWindow();
}

void CDlgGroupProperty::OnCancel() {
    if (m_modified && AfxMessageBox(kDiscardQuestion, MB_YESNO | MB_ICONQUESTION) == IDNO)
        return;
    Notify(NOTIFY_CLOSED);
    DestroyWindow();
}

CComboBox* CDlgGroupProperty::ValueCombo(HWND hWnd) {
    for (CComboBox* pBox : {&m_wndHomepage, &m_wndPhones, &m_wndFaxes, &m_wndEmail, &m_wndCountry,
                            &m_wndType, &m_wndProvince, &m_wndCity})
        if (pBox->m_hWnd && hWnd && (pBox->m_hWnd == hWnd || pBox->IsChild(CWnd::FromHandle(hWnd))))
            return pBox;
    return nullptr;
}

BOOL CDlgGroupProperty::PreTranslateMessage(MSG* pMsg) {
    // Enter and Escape in a combo box belong to the box (closing its list, or taking a typed
    // value); they never close the dialog.
    if (pMsg->message == WM_KEYDOWN && (pMsg->wParam == VK_RETURN || pMsg->wParam == VK_ESCAPE))
        if (CComboBox* pBox = ValueCombo(pMsg->hwnd)) {
            if (pBox->GetDroppedState())
                pBox->ShowDropDown(FALSE);
            else if (pMsg->wParam == VK_RETURN) {
                CXStringList* lists[] = {&m_info.homepage, &m_info.phones, &m_info.faxes,
                                         &m_info.email};
                CComboBox* boxes[] = {&m_wndHomepage, &m_wndPhones, &m_wndFaxes, &m_wndEmail};
                for (int i = 0; i < 4; ++i)
                    if (boxes[i] == pBox) {
                        const int nBefore = (int)lists[i]->GetCount();
                        CommitValueList(*pBox, *lists[i]);
                        if ((int)lists[i]->GetCount() != nBefore) {
                            ShowValueList(*pBox, *lists[i]);
                            SetModified(TRUE);
                        }
                    }
            }
            return TRUE;
        }
    return CDialog::PreTranslateMessage(pMsg);
}
