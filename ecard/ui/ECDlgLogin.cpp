#include "ecard/ui/ECDlgLogin.h"

#include "ecard/ECRequest.h"
#include "ecard/ECUserDoc.h"
#include "ecard/ui/ECUsersManager.h"
#include "core/FileUtil.h"
#include "platform/gui/MessageBox.h"

BEGIN_MESSAGE_MAP(CECDlgLogin, CDialog)
ON_BN_CLICKED(CECDlgLogin::IDC_NEW_USER, &CECDlgLogin::OnNewUser)
ON_BN_CLICKED(CECDlgLogin::IDC_CLEAR, &CECDlgLogin::OnClearRecord)
END_MESSAGE_MAP()

CECDlgLogin::CECDlgLogin(CECUsersManager* pManager, CWnd* pParent)
    : CDialog(IDD, pParent), m_pManager(pManager) {
    m_bAutoShow = pManager != nullptr ? pManager->m_bAutoShowLogin : 1;
}

void CECDlgLogin::DoDataExchange(CDataExchange* pDX) {
    DDX_CBString(pDX, IDC_NUMBER, m_strNumber);
    DDX_Text(pDX, IDC_PASSWORD_EDIT, m_strPassword);
    DDX_Check(pDX, IDC_AUTO_SHOW, m_bAutoShow);
}

BOOL CECDlgLogin::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_banner.LoadBitmap(6000))
        if (auto* pBanner = static_cast<CStatic*>(GetDlgItem(IDC_BANNER)))
            pBanner->SetBitmap((HBITMAP)m_banner.GetSafeHandle());
    FillLocalUsers();
    return TRUE;
}

void CECDlgLogin::FillLocalUsers() {
    auto* pCombo = static_cast<CComboBox*>(GetDlgItem(IDC_NUMBER));
    if (pCombo == nullptr)
        return;
    pCombo->ResetContent();
    CDWordArray users;
    GetLocalECUsers(users);
    for (INT_PTR i = 0; i < users.GetSize(); ++i) {
        CString text;
        text.Format("%u", (UINT)users[i]);
        pCombo->AddString(text);
    }
}

void CECDlgLogin::TakeData() {
    UpdateData(TRUE);
    m_strNumber.Trim();
    if (m_pManager != nullptr)
        m_pManager->m_bAutoShowLogin = m_bAutoShow;
}

UINT CECDlgLogin::TakeClosedUserNumber() {
    const UINT nUid = ParseECUserNumber(m_strNumber);
    if (nUid == 0) {
        AfxMessageBox("SID号码无效！", MB_OK | MB_ICONSTOP);
        return 0;
    }
    if ((m_pManager != nullptr && m_pManager->IsUserOpen(nUid)) ||
        CECUsersManager::IsUserLockedElsewhere(nUid)) {
        AfxMessageBox("该用户已经登录！", MB_OK | MB_ICONSTOP);
        return 0;
    }
    return nUid;
}

void CECDlgLogin::OnOK() {
    TakeData();
    if (m_strNumber.IsEmpty() || m_strPassword.IsEmpty()) {
        AfxMessageBox("帐号或密码不能为空！", MB_OK | MB_ICONSTOP);
        return;
    }
    const UINT nUid = TakeClosedUserNumber();
    if (nUid == 0)
        return;
    const int nOffline = CECUsersManager::CheckUserPassword(nUid, m_strPassword, FALSE);
    if (nOffline == EC_PASSWORD_OK) {
        m_nUid = nUid;
        EndDialog(IDOK);
        return;
    }
    if (nOffline == EC_PASSWORD_DIFFERS &&
        AfxMessageBox("本次密码与上次成功登录的密码不一致，是否需要到服务器上验证？",
                      MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    const int nCode = CECUsersManager::CheckUserPassword(nUid, m_strPassword, TRUE);
    if (nCode != 0) {
        AfxMessageBox(GetECErrorText(nCode), MB_OK | MB_ICONSTOP);
        // The password is typed again over the refused one, not after it.
        GotoDlgCtrl(GetDlgItem(IDC_PASSWORD_EDIT));
        return;
    }
    // The service knows the password: it is kept in the user file, so that the next log-in
    // with it needs no connection. A file that could not be read is kept aside, never
    // overwritten.
    CECUserDoc doc;
    if (nOffline == EC_PASSWORD_DIFFERS)
        doc.OnOpenDocument(GetECUserFilePath(nUid));
    else if (nOffline == EC_PASSWORD_UNREADABLE && !CECUsersManager::SetAsideDamagedFile(nUid)) {
        AfxMessageBox("无法保存用户资料文件。", MB_OK | MB_ICONSTOP);
        return;
    }
    doc.GetUser().SetUserNumber(nUid);
    doc.GetUser().GetAccount().m_strPassword = m_strPassword;
    if (!doc.SaveUser())
        return;
    m_nUid = nUid;
    EndDialog(IDOK);
}

void CECDlgLogin::OnNewUser() {
    TakeData();
    EndDialog(IDC_NEW_USER);
}

void CECDlgLogin::OnClearRecord() {
    TakeData();
    // An open window would write the user back at close.
    const UINT nUid = TakeClosedUserNumber();
    if (nUid == 0)
        return;
    if (CECUsersManager::CheckUserPassword(nUid, m_strPassword, FALSE) == EC_PASSWORD_DIFFERS) {
        AfxMessageBox("访问密码错误！必须输入正确的访问密码才能清除记录。", MB_OK | MB_ICONSTOP);
        return;
    }
    if (AfxMessageBox("您确定要清除记录吗？", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    CECUsersManager::DeleteLocalUser(nUid);
    if (auto* pCombo = static_cast<CComboBox*>(GetDlgItem(IDC_NUMBER))) {
        CString text;
        text.Format("%u", nUid);
        const int i = pCombo->FindStringExact(-1, text);
        if (i >= 0)
            pCombo->DeleteString((UINT)i);
    }
    m_strPassword.Empty();
    SetDlgItemText(IDC_PASSWORD_EDIT, "");
}
