#include "contacts/ui/PageOther.h"

#include "platform/base/File.h"
#include "platform/base/ModuleDir.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/WinApp.h"

#include <algorithm>
#include <climits>

namespace {
const SFieldJump kOtherJumps[] = {{43, 1030, FIELD_JUMP_LIST}, {44, 1037, FIELD_JUMP_EDIT}};
constexpr UINT kReferenceItem = 1125;
// String table: the OK button's refusals, the captions and the OK button's texts.
constexpr UINT kNothingEntered = 189, kNothingChanged = 190;
constexpr UINT kAddText = 193, kConfirmChangeText = 195, kNewCaption = 196, kChangeCaption = 197;

CString Text(UINT nID) {
    CString text;
    text.LoadString(nID);
    return text;
}
} // namespace

// ---- CEditCertificateDlg ------------------------------------------------------------------------

int CEditCertificateDlg::s_nLastLeft = INT_MAX;
int CEditCertificateDlg::s_nLastTop = INT_MAX;

CEditCertificateDlg::CEditCertificateDlg(CWnd* pOwner) : m_pOwner(pOwner) {}

CEditCertificateDlg::~CEditCertificateDlg() {
    if (m_hWnd)
        DestroyWindow();
}

BOOL CEditCertificateDlg::Create() {
    return CDialog::Create(IDD, m_pOwner);
}

BOOL CEditCertificateDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    CComboBox* pTypes = static_cast<CComboBox*>(GetDlgItem(IDC_TYPE));
    if (pTypes) {
        pTypes->ResetContent();
        CStdioFile file;
        if (file.Open(GetModuleDirectory() + "\\Profiles\\Certificates.inf",
                      CFile::modeRead | CFile::shareDenyNone)) {
            CString line;
            while (file.ReadString(line))
                if (!line.IsEmpty())
                    pTypes->AddString(line);
        }
    }
    if (s_nLastLeft == INT_MAX || s_nLastTop == INT_MAX)
        CenterWindow(AfxGetMainWnd());
    else
        SetWindowPos(nullptr, s_nLastLeft, s_nLastTop, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}

void CEditCertificateDlg::SetStrings(const CString& type, const CString& number,
                                     const CString& summary) {
    m_strType = type;
    m_strNumber = number;
    m_strSummary = summary;
}

void CEditCertificateDlg::Reset(BOOL bClear) {
    if (bClear)
        SetStrings(CString(), CString(), CString());
    if (!m_hWnd)
        return;
    SetWindowText(Text(m_bNewMode ? kNewCaption : kChangeCaption));
    SetDlgItemText(IDOK, Text(m_bNewMode ? kAddText : kConfirmChangeText));
    m_loading = TRUE;
    SetDlgItemText(IDC_TYPE, m_strType);
    SetDlgItemText(IDC_NUMBER, m_strNumber);
    SetDlgItemText(IDC_SUMMARY, m_strSummary);
    m_loading = FALSE;
}

BOOL CEditCertificateDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    const UINT nID = LOWORD(wParam), nCode = HIWORD(wParam);
    if (lParam && !m_loading && (nID == IDC_TYPE || nID == IDC_NUMBER || nID == IDC_SUMMARY) &&
        (nCode == EN_CHANGE || nCode == CBN_EDITCHANGE || nCode == CBN_SELCHANGE))
        m_bModified = TRUE;
    return CDialog::OnCommand(wParam, lParam);
}

void CEditCertificateDlg::ReadControls() {
    CComboBox* pTypes = static_cast<CComboBox*>(GetDlgItem(IDC_TYPE));
    // A type picked from the list counts even before the edit shows it.
    if (pTypes && pTypes->GetCurSel() >= 0)
        pTypes->GetLBText(pTypes->GetCurSel(), m_strType);
    else
        GetDlgItemText(IDC_TYPE, m_strType);
    GetDlgItemText(IDC_NUMBER, m_strNumber);
    GetDlgItemText(IDC_SUMMARY, m_strSummary);
}

void CEditCertificateDlg::RememberPlace() {
    CRect rc;
    GetWindowRect(&rc);
    s_nLastLeft = rc.left;
    s_nLastTop = rc.top;
}

void CEditCertificateDlg::OnOK() {
    ReadControls();
    if (m_strType.IsEmpty() && m_strNumber.IsEmpty() && m_strSummary.IsEmpty()) {
        AfxMessageBox(kNothingEntered);
        return;
    }
    if (!m_bModified) {
        AfxMessageBox(kNothingChanged);
        return;
    }
    if (m_pOwner)
        m_pOwner->SendMessage(WM_CERTIFICATE_DIALOG, NOTIFY_CONFIRMED, 0);
    m_bModified = FALSE;
    RememberPlace();
}

void CEditCertificateDlg::OnCancel() {
    RememberPlace();
    if (m_pOwner)
        m_pOwner->SendMessage(WM_CERTIFICATE_DIALOG, NOTIFY_CLOSED, 0);
    DestroyWindow();
}

// ---- CPageOther ---------------------------------------------------------------------------------

CPageOther::CPageOther() : CContactPropertyPage(IDD, 0) {
    m_pFieldJumps = kOtherJumps;
    m_nFieldJumps = (int)std::size(kOtherJumps);
    m_layoutTopItem = kReferenceItem;
}

CPageOther::~CPageOther() {
    m_pDialog.reset();
    if (m_hWnd)
        DestroyWindow();
}

BOOL CPageOther::OnInitDialog() {
    CContactPropertyPage::OnInitDialog();
    m_list.SubclassDlgItem(IDC_LIST, this);
    m_list.SetExtendedStyle(0x4021);
    CRect rc;
    m_list.GetClientRect(&rc);
    const int w = rc.Width() / 3;
    m_list.InsertColumn(0, "名称", LVCFMT_LEFT, w);
    m_list.InsertColumn(1, "号码", LVCFMT_LEFT, w);
    m_list.InsertColumn(2, "摘要", LVCFMT_LEFT, w);
    FillList();
    LayoutPage();
    return TRUE;
}

void CPageOther::FillList() {
    if (!m_hWnd)
        return;
    m_loading = TRUE;
    m_list.DeleteAllItems();
    int i = 0;
    for (POSITION pos = m_certificates.GetHeadPosition(); pos; ++i) {
        const SCertificate& c = m_certificates.GetNext(pos);
        m_list.InsertItem(i, c.strType);
        m_list.SetItemText(i, 1, c.strNumber);
        m_list.SetItemText(i, 2, c.strSummary);
    }
    SetDlgItemText(IDC_NOTE, m_strNote);
    m_loading = FALSE;
    m_nSelected = -1;
    m_bRowSelected = FALSE;
    EnableButtons();
}

void CPageOther::ReadList() {
    if (!m_hWnd)
        return;
    m_certificates.RemoveAll();
    for (int i = 0; i < m_list.GetItemCount(); ++i)
        m_certificates.AddTail(SCertificate{m_list.GetItemText(i, 0), m_list.GetItemText(i, 1),
                                            m_list.GetItemText(i, 2)});
    GetDlgItemText(IDC_NOTE, m_strNote);
}

void CPageOther::ExchangeOther(SPersonOtherBlock& other, BOOL bToPage) {
    if (bToPage) {
        m_certificates = other.certificates;
        m_strNote = other.strNote;
        FillList();
        // The dialog never carries another contact's certificate over.
        if (CEditCertificateDlg* pDlg = GetCertificateDialog())
            pDlg->Reset(TRUE);
        return;
    }
    ReadList();
    other.certificates = m_certificates;
    other.strNote = m_strNote;
}

void CPageOther::EnableButtons() {
    if (!m_hWnd)
        return;
    GetDlgItem(IDC_NEW)->EnableWindow(!m_bDialogOpen);
    GetDlgItem(IDC_CHANGE)->EnableWindow(!m_bDialogOpen && m_bRowSelected);
    GetDlgItem(IDC_DELETE)->EnableWindow(!m_bDialogOpen && m_bRowSelected);
}

void CPageOther::OnNew() {
    m_bNewMode = TRUE;
    OpenCertificateDialog();
}

void CPageOther::OnChange() {
    m_bNewMode = FALSE;
    OpenCertificateDialog();
}

void CPageOther::OnDelete() {
    for (int i = m_list.GetItemCount() - 1; i >= 0; --i)
        if (m_list.GetItemState(i, LVIS_SELECTED) & LVIS_SELECTED) {
            m_list.DeleteItem(i);
            SetChanged(TRUE);
        }
    m_nSelected = m_list.GetNextItem(-1, LVNI_SELECTED);
    m_bRowSelected = m_nSelected >= 0;
    EnableButtons();
}

void CPageOther::OpenCertificateDialog() {
    if (GetCertificateDialog()) {
        m_pDialog->SetActiveWindow();
        return;
    }
    if (!m_bNewMode && m_nSelected < 0)
        return;
    m_pDialog = std::make_unique<CEditCertificateDlg>(this);
    if (m_bNewMode)
        m_pDialog->SetStrings(CString(), CString(), CString());
    else
        m_pDialog->SetStrings(m_list.GetItemText(m_nSelected, 0),
                              m_list.GetItemText(m_nSelected, 1),
                              m_list.GetItemText(m_nSelected, 2));
    if (!m_pDialog->Create()) {
        m_pDialog.reset();
        return;
    }
    m_pDialog->SetNewMode(m_bNewMode);
    m_pDialog->Reset(FALSE);
    m_pDialog->ShowWindow(SW_SHOW);
    m_bDialogOpen = TRUE;
    EnableButtons();
}

void CPageOther::OnDialogNotice(WPARAM wParam) {
    if (wParam == CEditCertificateDlg::NOTIFY_CONFIRMED && m_pDialog) {
        const CEditCertificateDlg& d = *m_pDialog;
        int nRow = m_nSelected;
        if (m_bNewMode || nRow < 0 || nRow >= m_list.GetItemCount()) {
            nRow = m_list.GetItemCount();
            m_list.InsertItem(nRow, d.m_strType);
        } else {
            m_list.SetItemText(nRow, 0, d.m_strType);
        }
        m_list.SetItemText(nRow, 1, d.m_strNumber);
        m_list.SetItemText(nRow, 2, d.m_strSummary);
        SetChanged(TRUE);
    } else if (wParam == CEditCertificateDlg::NOTIFY_CLOSED) {
        m_bDialogOpen = FALSE;
        EnableButtons();
    }
}

BOOL CPageOther::OnKillActive() {
    if (CEditCertificateDlg* pDlg = GetCertificateDialog())
        pDlg->SendMessage(WM_COMMAND, IDCANCEL, 0);
    const BOOL r = CContactPropertyPage::OnKillActive();
    ReadList();
    return r;
}

BOOL CPageOther::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) == BN_CLICKED && lParam) {
        switch (LOWORD(wParam)) {
        case IDC_NEW:
            OnNew();
            return TRUE;
        case IDC_CHANGE:
            OnChange();
            return TRUE;
        case IDC_DELETE:
            OnDelete();
            return TRUE;
        }
    }
    return CContactPropertyPage::OnCommand(wParam, lParam);
}

BOOL CPageOther::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (hdr && hdr->idFrom == IDC_LIST) {
        if (hdr->code == LVN_ITEMCHANGED && !m_loading) {
            auto* nm = reinterpret_cast<NMLISTVIEW*>(lParam);
            if (nm->uChanged & LVIF_STATE) {
                m_nSelected = m_list.GetNextItem(-1, LVNI_SELECTED);
                if (CEditCertificateDlg* pDlg = GetCertificateDialog()) {
                    if (m_nSelected >= 0) {
                        pDlg->SetStrings(m_list.GetItemText(m_nSelected, 0),
                                         m_list.GetItemText(m_nSelected, 1),
                                         m_list.GetItemText(m_nSelected, 2));
                        pDlg->Reset(FALSE);
                    }
                } else {
                    m_bRowSelected = m_nSelected >= 0;
                    EnableButtons();
                }
            }
        } else if (hdr->code == NM_DBLCLK) {
            auto* nm = reinterpret_cast<NMITEMACTIVATE*>(lParam);
            if (!IsReadOnly() && nm->iItem >= 0 && GetDlgItem(IDC_CHANGE)->IsWindowEnabled())
                OnChange();
        }
    }
    return CContactPropertyPage::OnNotify(wParam, lParam, pResult);
}

BOOL CPageOther::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message == WM_CERTIFICATE_DIALOG) {
        OnDialogNotice(wParam);
        if (pResult)
            *pResult = 0;
        return TRUE;
    }
    if (message == WM_USER + 102) { // a change reported by the list
        SetChanged(TRUE);
        if (pResult)
            *pResult = 0;
        return TRUE;
    }
    if (message == WM_SIZE && m_initialized)
        LayoutPage();
    return CContactPropertyPage::OnWndMsg(message, wParam, lParam, pResult);
}

void CPageOther::LayoutPage() {
    if (!m_hWnd || !m_list.m_hWnd)
        return;
    CRect area, client, button;
    GetLayoutRect(&area);
    GetClientRect(&client);
    GetItemRect(IDC_NEW, &button);
    const int listHeight = client.Height() / 3;
    CRect label;
    GetItemRect(IDC_LIST_LABEL, &label);
    // Each label stands just above its control.
    const int listTop = area.top;
    const int listRight = area.right - button.Width() - m_sideMargin;
    GetDlgItem(IDC_LIST_LABEL)->SetWindowPos(nullptr, area.left, listTop - label.Height() - 2, 0,
                                             0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_list.SetWindowPos(nullptr, area.left, listTop, listRight - area.left, listHeight,
                        SWP_NOZORDER | SWP_NOACTIVATE);
    int y = listTop;
    for (UINT id : {IDC_NEW, IDC_CHANGE, IDC_DELETE}) {
        GetDlgItem((int)id)->SetWindowPos(nullptr, area.right - button.Width(), y, 0, 0,
                                          SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        y += button.Height() + 4;
    }
    const int noteHeight = std::max(20, area.Height() - listHeight - 20);
    const int noteTop = area.bottom - noteHeight;
    GetItemRect(IDC_NOTE_LABEL, &label);
    GetDlgItem(IDC_NOTE_LABEL)->SetWindowPos(nullptr, area.left, noteTop - label.Height() - 2, 0,
                                             0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    GetDlgItem(IDC_NOTE)->SetWindowPos(nullptr, area.left, noteTop, area.Width(), noteHeight,
                                       SWP_NOZORDER | SWP_NOACTIVATE);
}
