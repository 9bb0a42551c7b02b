#include "sms/ui/DlgEditNameCode.h"

#include "contacts/Person.h"

namespace {

CString Text(UINT nID) {
    CString s;
    s.LoadString(nID);
    return s;
}

void FillCombo(CComboBox* pCombo, const CXStringList& values) {
    for (POSITION pos = values.GetHeadPosition(); pos != nullptr;)
        pCombo->AddString(values.GetNext(pos).GetValue(0));
}

} // namespace

BEGIN_MESSAGE_MAP(CDlgEditNameCode, CDialog)
ON_EN_CHANGE(CDlgEditNameCode::IDC_NAME, &CDlgEditNameCode::OnFieldChange)
ON_CBN_EDITCHANGE(CDlgEditNameCode::IDC_NUMBER, &CDlgEditNameCode::OnNumberChange)
ON_CBN_SELCHANGE(CDlgEditNameCode::IDC_NUMBER, &CDlgEditNameCode::OnNumberChange)
ON_CBN_EDITCHANGE(CDlgEditNameCode::IDC_EMAIL, &CDlgEditNameCode::OnFieldChange)
ON_CBN_SELCHANGE(CDlgEditNameCode::IDC_EMAIL, &CDlgEditNameCode::OnFieldChange)
ON_BN_CLICKED(CDlgEditNameCode::IDC_APPLY, &CDlgEditNameCode::OnApply)
ON_BN_CLICKED(CDlgEditNameCode::IDC_ADD, &CDlgEditNameCode::OnAdd)
ON_BN_CLICKED(CDlgEditNameCode::IDC_UNDO, &CDlgEditNameCode::OnUndo)
END_MESSAGE_MAP()

CDlgEditNameCode::CDlgEditNameCode() : CDialog(IDD, nullptr) {}

BOOL CDlgEditNameCode::Create(CWnd* pParent) {
    return CDialog::Create(IDD, pParent);
}

void CDlgEditNameCode::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_NAME, m_strName);
    DDX_CBString(pDX, IDC_NUMBER, m_strNumber);
    DDX_CBString(pDX, IDC_EMAIL, m_strEmail);
}

BOOL CDlgEditNameCode::OnInitDialog() {
    CDialog::OnInitDialog();
    EnableEditButtons(FALSE);
    return TRUE;
}

void CDlgEditNameCode::EnableEditButtons(BOOL bEnable) {
    for (UINT id : {IDC_APPLY, IDC_ADD, IDC_UNDO})
        if (CWnd* p = GetDlgItem(id))
            p->EnableWindow(bEnable);
}

void CDlgEditNameCode::UpdateLength() {
    CString number;
    GetDlgItemText(IDC_NUMBER, number);
    SetDlgItemInt(IDC_LENGTH, (UINT)number.GetLength());
}

void CDlgEditNameCode::Show(CString& strName, CString& strNumber, BOOL bLoad, BOOL bVisible,
                            BOOL bEmpty) {
    if (bLoad) {
        m_strName = bEmpty ? CString() : strName;
        m_strNumber = bEmpty ? CString() : strNumber;
        SetWindowText(Text(bEmpty ? 130 : 131));
        SetDlgItemText(IDC_NUMBER_LABEL, (m_nType == 1 ? Text(343) : Text(211)) + ":");
        GetDlgItem(IDC_EMAIL)->EnableWindow(m_bEmailOption);
        auto* pNumbers = static_cast<CComboBox*>(GetDlgItem(IDC_NUMBER));
        auto* pEmails = static_cast<CComboBox*>(GetDlgItem(IDC_EMAIL));
        pNumbers->ResetContent();
        pEmails->ResetContent();
        _CPerson* pPerson = m_pPerson;
        if (pPerson != nullptr && pPerson->IsVirtual())
            pPerson = dynamic_cast<_CPerson*>(pPerson->GetVirtualSource());
        if (pPerson != nullptr) {
            const auto& info = pPerson->GetInfo().m_personal;
            FillCombo(pNumbers, m_nType == 1 ? info.web : info.mobiles);
            FillCombo(pEmails, info.email);
        }
        UpdateData(FALSE);
        UpdateLength();
        EnableEditButtons(FALSE);
    } else {
        UpdateData(TRUE);
        strName = m_strName;
        strNumber = m_strNumber;
    }
    ShowWindow(bVisible ? SW_SHOW : SW_HIDE);
    m_bShown = bVisible;
}

void CDlgEditNameCode::FocusField(UINT nID) {
    if (!m_bShown)
        return;
    CWnd* pField = GetDlgItem((int)nID);
    if (pField == nullptr)
        return;
    pField->SetFocus();
    if (nID == IDC_NAME)
        static_cast<CEdit*>(pField)->SetSel(0, -1);
    else
        static_cast<CComboBox*>(pField)->SetEditSel(0, -1);
}

void CDlgEditNameCode::OnFieldChange() {
    EnableEditButtons(TRUE);
}

void CDlgEditNameCode::OnNumberChange() {
    UpdateLength();
    EnableEditButtons(TRUE);
}

void CDlgEditNameCode::OnApply() {
    UpdateData(TRUE);
    if (CWnd* pParent = GetParent())
        pParent->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_APPLY, BN_CLICKED), (LPARAM)GetSafeHwnd());
    EnableEditButtons(FALSE);
}

void CDlgEditNameCode::OnAdd() {
    UpdateData(TRUE);
    if (CWnd* pParent = GetParent())
        pParent->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_ADD, BN_CLICKED), (LPARAM)GetSafeHwnd());
    EnableEditButtons(FALSE);
}

void CDlgEditNameCode::OnUndo() {
    UpdateData(FALSE);
    UpdateLength();
    EnableEditButtons(FALSE);
}

void CDlgEditNameCode::OnOK() {
    OnApply();
}

void CDlgEditNameCode::OnCancel() {
    // "关闭退出": hidden, kept for the next time.
    ShowWindow(SW_HIDE);
    m_bShown = FALSE;
}
