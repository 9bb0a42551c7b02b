#include "ecard/ui/ECDialogs.h"

#include "ecard/ECUser.h"
#include "ecard/ECUserDoc.h"
#include "platform/gui/MessageBox.h"

BOOL CECDlgAddContacts::ParseIDs(const CString& text, CDWordArray& ids) {
    ids.RemoveAll();
    int i = 0;
    const int n = text.GetLength();
    while (i < n) {
        if (text[i] < '0' || text[i] > '9') {
            ++i;
            continue;
        }
        int j = i;
        while (j < n && text[j] >= '0' && text[j] <= '9')
            ++j;
        const UINT nUid = ParseECUserFolderName(text.Mid(i, j - i));
        if (nUid == 0)
            return FALSE;
        BOOL bKnown = FALSE;
        for (INT_PTR k = 0; k < ids.GetSize() && !bKnown; ++k)
            bKnown = ids[k] == nUid;
        if (!bKnown)
            ids.Add(nUid);
        i = j;
    }
    return TRUE;
}

void CECDlgAddContacts::FillRequestSet(CECUser& user) const {
    user.GetRequestSet().RemoveAll();
    CDWordArray ids;
    ParseIDs(m_strIDs, ids);
    for (INT_PTR i = 0; i < ids.GetSize(); ++i)
        user.AddNumberToRequest((UINT)ids[i]);
}

void CECDlgAddContacts::DoDataExchange(CDataExchange* pDX) {
    DDX_Text(pDX, IDC_IDS, m_strIDs);
}

void CECDlgAddContacts::OnOK() {
    if (!UpdateData(TRUE))
        return;
    CDWordArray ids;
    if (!ParseIDs(m_strIDs, ids)) {
        AfxMessageBox("对方ID号无效！", MB_OK | MB_ICONSTOP);
        return;
    }
    EndDialog(IDOK);
}

BOOL CECDlgFindContactID::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_nID != 0)
        SetDlgItemInt(IDC_ID, m_nID, FALSE);
    if (auto* pEdit = static_cast<CEdit*>(GetDlgItem(IDC_ID))) {
        pEdit->SetSel(0, -1);
        GotoDlgCtrl(pEdit);
        return FALSE;
    }
    return TRUE;
}

void CECDlgFindContactID::DoDataExchange(CDataExchange* pDX) {
    DDX_Radio(pDX, IDC_IN_GROUP, m_nScope);
}

void CECDlgFindContactID::OnOK() {
    if (!UpdateData(TRUE))
        return;
    CString text;
    GetDlgItemText(IDC_ID, text);
    text.Trim();
    const UINT nID = ParseECUserFolderName(text);
    if (nID == 0) {
        AfxMessageBox("对方ID号无效！", MB_OK | MB_ICONSTOP);
        return;
    }
    m_nID = nID;
    EndDialog(IDOK);
}
