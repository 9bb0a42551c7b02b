#include "contacts/ui/DlgModifyPerson.h"

#include "contacts/PersonFields.h"

BEGIN_MESSAGE_MAP(CDlgModifyPerson, CDialog)
ON_NOTIFY(NM_CLICK, CDlgModifyPerson::IDC_FIELD_TREE, &CDlgModifyPerson::OnTreeClick)
END_MESSAGE_MAP()

CDlgModifyPerson::CDlgModifyPerson(CWnd* pParent) : CDialog(IDD, pParent) {}

void CDlgModifyPerson::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_FIELD_TREE, m_wndTree);
    DDX_Radio(pDX, IDC_ADD, m_nScheme);
    DDX_Check(pDX, IDC_IGNORE_NAME, m_bIgnoreName);
}

BOOL CDlgModifyPerson::OnInitDialog() {
    CDialog::OnInitDialog();
    m_fieldTree.Build(FALSE);
    m_fieldTree.Load(m_masks, 0);
    return TRUE;
}

void CDlgModifyPerson::OnTreeClick(NMHDR*, LRESULT* pResult) {
    m_fieldTree.OnClick();
    *pResult = 0;
}

void CDlgModifyPerson::OnOK() {
    if (!UpdateData(TRUE))
        return;
    m_fieldTree.Save(m_masks, nullptr);
    if (m_bIgnoreName)
        m_masks[0] &= ~(DWORD)1; // the name field of the basic group
    EndDialog(IDOK);
}
