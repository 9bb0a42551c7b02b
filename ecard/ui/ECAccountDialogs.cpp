#include "ecard/ui/ECAccountDialogs.h"

#include "ecard/ECRequest.h"
#include "core/FileUtil.h"
#include "ecard/ECUser.h"
#include "ecard/ui/ECDialogs.h"
#include "platform/gui/MessageBox.h"
#include "sms/ui/DlgMessageBank.h"

namespace {

CString ItemText(CWnd* pDlg, int nID) {
    CString text;
    pDlg->GetDlgItemText(nID, text);
    return text;
}

void ShowError(int nCode) {
    AfxMessageBox(GetECErrorText(nCode), MB_OK | MB_ICONSTOP);
}

} // namespace

// ---- change password ----

void CECDlgChangePassword::OnOK() {
    const CString old = ItemText(this, IDC_OLD);
    const CString fresh = ItemText(this, IDC_NEW);
    const CString message = ValidateECPassword(fresh, ItemText(this, IDC_REPEAT));
    // After a refusal the keyboard is in the field to type again, its text selected, so that
    // what is typed replaces the refused password rather than joining it.
    if (!message.IsEmpty()) {
        AfxMessageBox(message, MB_OK | MB_ICONSTOP);
        GotoDlgCtrl(GetDlgItem(IDC_NEW));
        return;
    }
    if (m_pUser == nullptr)
        return;
    const int nCode = ChangeECPassword(m_pUser->GetAccount().m_nUid, old, fresh);
    if (nCode != 0) {
        ShowError(nCode);
        GotoDlgCtrl(GetDlgItem(IDC_OLD));
        return;
    }
    m_strNew = fresh;
    CDialog::OnOK();
}

// ---- deregister ----

BOOL CECDlgDeregister::OnInitDialog() {
    CDialog::OnInitDialog();
    // Only this window's own account can be deregistered here: its folder is what goes after.
    CString id;
    if (m_pUser != nullptr)
        id.Format("%u", m_pUser->GetAccount().m_nUid);
    SetDlgItemText(IDC_ID, id);
    if (CWnd* pID = GetDlgItem(IDC_ID))
        pID->SendMessage(EM_SETREADONLY, TRUE, 0);
    return TRUE;
}

BOOL CECDlgDeregister::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) == IDC_MAKE_CODE && HIWORD(wParam) == BN_CLICKED) {
        MakeSecureCode();
        return TRUE;
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CECDlgDeregister::MakeSecureCode() {
    if (m_pUser == nullptr)
        return;
    CString text;
    const int nCode = GenSecureCode(m_pUser->GetAccount().m_nUid, ItemText(this, IDC_PASSWORD), text);
    if (nCode != 0) {
        ShowError(nCode);
        return;
    }
    AfxMessageBox(LimitServerText(text), MB_OK | MB_ICONINFORMATION);
}

void CECDlgDeregister::OnOK() {
    if (m_pUser == nullptr)
        return;
    const int nCode = DeregisterECUser(m_pUser->GetAccount().m_nUid, ItemText(this, IDC_PASSWORD),
                                       ItemText(this, IDC_CODE));
    if (nCode != 0) {
        ShowError(nCode);
        return;
    }
    CDialog::OnOK();
}

// ---- modify account ----

BOOL CECDlgModifyAccount::OnInitDialog() {
    CDialog::OnInitDialog();
    if (auto* pType = static_cast<CComboBox*>(GetDlgItem(IDC_CERT_TYPE)))
        for (const char* type : {"身份证", "护照", "军官证", "学生证", "驾驶证", "其他"})
            pType->AddString(type);
    ShowAccount();
    return TRUE;
}

void CECDlgModifyAccount::ShowAccount() {
    if (m_pUser == nullptr)
        return;
    const SECAccount& a = m_pUser->GetAccount();
    CString id;
    id.Format("%u", a.m_nUid);
    SetDlgItemText(IDC_ID, id);
    SetDlgItemText(IDC_NAME, a.m_strUserName);
    SetDlgItemText(IDC_EMAIL, a.m_strEmail);
    SetDlgItemText(IDC_SECURE_EMAIL, a.m_strSecureEmail.IsEmpty() ? "" : kSpecified);
    SetDlgItemText(IDC_CERT, a.m_strCert.IsEmpty() ? "" : kSpecified);
    SetDlgItemText(IDC_CERT_TYPE, a.m_strCertType);
}

BOOL CECDlgModifyAccount::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) == IDC_SYNC && HIWORD(wParam) == BN_CLICKED) {
        Synchronise();
        return TRUE;
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CECDlgModifyAccount::Synchronise() {
    if (m_pUser == nullptr)
        return;
    const int nCode = m_pUser->DownAccount();
    if (nCode != 0) {
        ShowError(nCode);
        return;
    }
    ShowAccount();
    const SECAccount& a = m_pUser->GetAccount();
    if (CWnd* p = GetDlgItem(IDC_SECURE_EMAIL))
        p->EnableWindow(a.m_strSecureEmail.IsEmpty());
    for (int id : {(int)IDC_CERT_TYPE, (int)IDC_CERT})
        if (CWnd* p = GetDlgItem(id))
            p->EnableWindow(a.m_strCert.IsEmpty());
}

void CECDlgModifyAccount::OnOK() {
    if (m_pUser == nullptr)
        return;
    SECAccount a;
    a.m_nUid = m_pUser->GetAccount().m_nUid;
    a.m_strUserName = ItemText(this, IDC_NAME);
    a.m_strPassword = m_pUser->GetAccount().m_strPassword;
    a.m_strEmail = ItemText(this, IDC_EMAIL);
    // A secure value left as shown goes as "已指定": the service keeps what it holds.
    a.m_strSecureEmail = ItemText(this, IDC_SECURE_EMAIL);
    a.m_strCertType = ItemText(this, IDC_CERT_TYPE);
    a.m_strCert = ItemText(this, IDC_CERT);
    const int nCode = ModifyECAccount(a);
    if (nCode != 0) {
        ShowError(nCode);
        return;
    }
    // The record keeps the secure values it had where the fields still say they are set.
    SECAccount& kept = m_pUser->GetAccount();
    if (a.m_strSecureEmail == kSpecified)
        a.m_strSecureEmail = kept.m_strSecureEmail;
    if (a.m_strCert == kSpecified)
        a.m_strCert = kept.m_strCert;
    kept = a;
    CDialog::OnOK();
}

// ---- leave message ----

BEGIN_MESSAGE_MAP(CECDlgLeaveMessage, CDialog)
ON_MESSAGE(WM_USER + 70, &CECDlgLeaveMessage::OnInsertText)
END_MESSAGE_MAP()

BOOL CECDlgLeaveMessage::OnInitDialog() {
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_IDS, m_strIDs);
    CheckDlgButton(IDC_TEMPLATES, BST_CHECKED);
    return TRUE;
}

BOOL CECDlgLeaveMessage::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) == IDC_PHRASES && HIWORD(wParam) == BN_CLICKED) {
        CDlgMessageBank bank(this, GetAppFilePath("ECard\\MessageBank"));
        if (bank.DoModal() == IDOK && !bank.m_strSelected.IsEmpty())
            InsertText(bank.m_strSelected);
        return TRUE;
    }
    return CDialog::OnCommand(wParam, lParam);
}

LRESULT CECDlgLeaveMessage::OnInsertText(WPARAM, LPARAM lParam) {
    if (lParam != 0)
        InsertText(reinterpret_cast<LPCTSTR>(lParam));
    return 0;
}

void CECDlgLeaveMessage::InsertText(const CString& text) {
    CString result = text;
    CDWordArray ids;
    if (m_pUser != nullptr && IsDlgButtonChecked(IDC_TEMPLATES) &&
        CECDlgAddContacts::ParseIDs(ItemText(this, IDC_IDS), ids) && ids.GetSize() == 1)
        if (CECContact* pContact = m_pUser->GetRootGroup().FindByNumber(ids[0]))
            result = ReplaceECMessageMarkers(text, *m_pUser, *pContact);
    if (CWnd* pText = GetDlgItem(IDC_TEXT))
        pText->SendMessage(EM_REPLACESEL, TRUE, (LPARAM)(LPCTSTR)result);
}

void CECDlgLeaveMessage::OnOK() {
    const CString text = ItemText(this, IDC_TEXT);
    if (text.IsEmpty()) {
        AfxMessageBox("留言内容不能为空，请重新输入！", MB_OK | MB_ICONSTOP);
        return;
    }
    CDWordArray ids;
    if (!CECDlgAddContacts::ParseIDs(ItemText(this, IDC_IDS), ids) || ids.GetSize() == 0) {
        AfxMessageBox("对方ID号无效！", MB_OK | MB_ICONSTOP);
        return;
    }
    if (m_pUser == nullptr)
        return;
    const SECAccount& a = m_pUser->GetAccount();
    CString reply;
    const int nCode =
        LeaveECMessage(a.m_nUid, a.m_strPassword, ids, ItemText(this, IDC_SUBJECT), text, 1, reply);
    if (nCode != 0) {
        ShowError(nCode);
        return;
    }
    AfxMessageBox(LimitServerText(reply), MB_OK | MB_ICONINFORMATION);
    CDialog::OnOK();
}

CString ReplaceECMessageMarkers(const CString& text, CECUser& user, const CECContact& contact) {
    // What the user may read of the contact: the contact's received fields. What the contact may
    // read of the user: its access, or the default access outside the friends.
    auto* pParent = dynamic_cast<const CECGroup*>(contact.GetParent());
    const BOOL bFriend = pParent != nullptr && pParent->GetTopRole() == CECGroup::ROLE_FRIENDS;
    CECContact reader("", FALSE);
    reader.m_access = bFriend ? contact.m_access : user.m_access;
    struct SMarker {
        const char* pszMarker;
        const CECContact* pCard;
        BOOL bReadable;
        int nWhich;
    };
    const SMarker markers[] = {
        {"%GO_ACCESSIBLE_FIELDS%", &contact, TRUE, EC_RECORD_RECEIVED},
        {"%GO_UNACCESSIBLE_FIELDS%", &contact, FALSE, EC_RECORD_RECEIVED},
        {"%ACCESSIBLE_FIELDS%", &reader, TRUE, EC_RECORD_ACCESS},
        {"%UNACCESSIBLE_FIELDS%", &reader, FALSE, EC_RECORD_ACCESS},
    };
    CString out = text;
    for (const SMarker& m : markers) {
        if (out.Find(m.pszMarker) < 0)
            continue;
        CString list = GetECReadableFieldsText(*m.pCard, m.bReadable, m.nWhich, "『%s』", ",");
        CString framed;
        framed.Format("【%s】", (LPCTSTR)list);
        out.Replace(m.pszMarker, framed);
    }
    return out;
}
