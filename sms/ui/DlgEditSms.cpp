#include "sms/ui/DlgEditSms.h"

#include "contacts/Person.h"
#include "core/FileUtil.h"
#include "links/CommDevice.h"
#include "platform/base/Document.h"
#include "platform/base/File.h"
#include "platform/gui/Clipboard.h"
#include "platform/gui/MessageBox.h"
#include "sms/Sender.h"
#include "sms/SmsBox.h"
#include "sms/SmsCounter.h"
#include "sms/ui/ComposeControls.h"
#include "sms/ui/ComposeHost.h"
#include "sms/ui/DlgMessageBank.h"

#include <algorithm>

namespace {

CString Text(UINT nID) {
    CString s;
    s.LoadString(nID);
    return s;
}

// The part of the text after the last line break is replaced so that colours apply to it.
void AppendColoured(CRichEditCtrl& edit, const CString& text, COLORREF colour, BOOL bDefault) {
    const long nEnd = edit.GetTextLength();
    edit.SetSel(nEnd, nEnd);
    CHARFORMAT cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_COLOR;
    cf.dwEffects = bDefault ? CFE_AUTOCOLOR : 0;
    cf.crTextColor = colour;
    edit.SetSelectionCharFormat(cf);
    edit.ReplaceSel(text);
}

} // namespace

BEGIN_MESSAGE_MAP(CDlgEditSms, CDialog)
ON_BN_CLICKED(CDlgEditSms::IDC_SEND_NOW, &CDlgEditSms::OnSendNow)
ON_BN_CLICKED(CDlgEditSms::IDC_PENDING, &CDlgEditSms::OnPending)
ON_BN_CLICKED(CDlgEditSms::IDC_DRAFT, &CDlgEditSms::OnDraft)
ON_BN_CLICKED(CDlgEditSms::IDC_PHRASES, &CDlgEditSms::OnPhrases)
ON_BN_CLICKED(CDlgEditSms::IDC_HISTORY_BUTTON, &CDlgEditSms::ToggleHistory)
ON_BN_CLICKED(CDlgEditSms::IDC_COPY, &CDlgEditSms::OnCopy)
ON_BN_CLICKED(CDlgEditSms::IDC_PASTE, &CDlgEditSms::OnPaste)
ON_BN_CLICKED(CDlgEditSms::IDC_CODING_CHINESE, &CDlgEditSms::OnCountInputChange)
ON_BN_CLICKED(CDlgEditSms::IDC_CODING_ENGLISH, &CDlgEditSms::OnCountInputChange)
ON_EN_CHANGE(CDlgEditSms::IDC_TEXT, &CDlgEditSms::OnTextChange)
ON_EN_CHANGE(CDlgEditSms::IDC_MESSAGES, &CDlgEditSms::OnCountInputChange)
ON_CBN_SELCHANGE(CDlgEditSms::IDC_TYPE, &CDlgEditSms::OnTypeChanged)
ON_CBN_SELCHANGE(CDlgEditSms::IDC_LIMIT, &CDlgEditSms::OnLimitChanged)
ON_NOTIFY(UDN_DELTAPOS, CDlgEditSms::IDC_MESSAGES_SPIN, &CDlgEditSms::OnSpinDelta)
ON_MESSAGE(CDlgEditSms::WM_INSERT_TEXT, &CDlgEditSms::OnInsertText)
ON_MESSAGE(WM_KICKIDLE, &CDlgEditSms::OnKickIdle)
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

int& CDlgEditSms::SmsType() {
    static int s_nType = 0;
    return s_nType;
}

int& CDlgEditSms::SavePlace() {
    static int s_nPlace = PlaceSender;
    return s_nPlace;
}

CDlgEditSms::CDlgEditSms(UINT nIDTemplate, CWnd* pParent) : CDialog(nIDTemplate, pParent) {
    m_strSender = Text(132);
    if (SmsType() > 1)
        SmsType() = 0;
    GetSmsMaxSizes(m_nWideSize, m_nAnsiSize);
}

CDlgEditSms::~CDlgEditSms() = default;

void CDlgEditSms::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_MESSAGES_SPIN, m_spin);
    DDX_Control(pDX, IDC_TEXT, m_text);
    DDX_Control(pDX, IDC_HISTORY, m_history);
    DDX_Text(pDX, IDC_SENDER, m_strSender);
    DDX_CBString(pDX, IDC_SUBJECT, m_strSubject);
    DDX_CBIndex(pDX, IDC_LIMIT, m_nLimit);
    DDX_Radio(pDX, IDC_CODING_CHINESE, m_nCoding);
    DDX_Radio(pDX, IDC_PLACE_CONTACT, SavePlace());
}

BOOL CDlgEditSms::OnInitDialog() {
    auto* pType = static_cast<CComboBox*>(GetDlgItem(IDC_TYPE));
    pType->AddString("手机短信");
    pType->AddString("即时网络消息");
    pType->SetCurSel(SmsType());
    auto* pLimit = static_cast<CComboBox*>(GetDlgItem(IDC_LIMIT));
    pLimit->AddString("不限制");
    pLimit->AddString("一条短信的字数");
    pLimit->AddString("指定条数短信的字数");
    CDialog::OnInitDialog();
    CRect rc;
    GetWindowRect(&rc);
    m_nLeft = rc.left;
    m_nTop = rc.top;
    InitDialogControls();
    m_bInitialised = TRUE;
    return TRUE;
}

void CDlgEditSms::InitDialogControls() {
    m_bHistoryCollapsed = FALSE;
    ToggleHistory(); // starts narrow
    if (m_pPerson != nullptr)
        SetDlgItemText(IDC_NAME, m_pPerson->GetName());
    OnTypeChanged();
    if (m_pSender == nullptr) {
        GetDlgItem(IDC_PLACE_SENDER)->EnableWindow(FALSE);
        SavePlace() = PlaceContact;
    }
    auto* pSubject = static_cast<CComboBox*>(GetDlgItem(IDC_SUBJECT));
    pSubject->ResetContent();
    FillSmsSubjects(pSubject);
    CheckRadioButton(IDC_PLACE_CONTACT, IDC_PLACE_SENDER,
                     SavePlace() == PlaceContact ? IDC_PLACE_CONTACT : IDC_PLACE_SENDER);
    if (!m_strCaption.IsEmpty())
        SetWindowText(m_strCaption);
    m_spin.SetBuddy(GetDlgItem(IDC_MESSAGES));
    m_spin.SetRange(1, 100);
    m_spin.SetPos(1);
    OnLimitChanged();
    m_text.SetEventMask(m_text.GetEventMask() | ENM_CHANGE);
    for (UINT id : {IDC_SEND_NOW, IDC_PENDING, IDC_DRAFT})
        GetDlgItem(id)->EnableWindow(FALSE);
    if (m_pPerson != nullptr) {
        // The contact's received and sent messages, oldest box first.
        for (int nBox : {0, 2}) {
            _CSmsBox* pBox = m_pPerson->GetSmsBox(nBox);
            if (pBox == nullptr)
                continue;
            for (POSITION pos = pBox->GetFirstSmsPosition(); pos != nullptr;) {
                _CSms* pSms = pBox->GetNextSms(pos);
                if (pSms->GetStateImage() == 0 || pSms->GetStateImage() == 2)
                    AppendHistory(pSms);
            }
        }
    }
}

void CDlgEditSms::AppendHistory(_CSms* pSms) {
    CString head;
    head.Format("%s(%s):", (LPCTSTR)pSms->m_sender.GetDisplayText(),
                (LPCTSTR)pSms->GetTime().Format("%Y-%m-%d %H:%M:%S"));
    AppendColoured(m_history, head, 0, TRUE);
    AppendColoured(m_history, pSms->m_strContent + "\r\n",
                   pSms->GetState() == _CSms::STATE_SENT ? m_crSent : m_crReceived, FALSE);
}

void CDlgEditSms::ToggleHistory() {
    CRect frame, rc;
    GetDlgItem(IDC_HISTORY_FRAME)->GetWindowRect(&frame);
    GetWindowRect(&rc);
    if (m_bHistoryCollapsed) {
        int nLeft = m_bInitialised ? rc.left : m_nLeft;
        const int nWidth = frame.right - rc.left + 6;
        const int nScreen = GetSystemMetrics(SM_CXSCREEN);
        if (nLeft + nWidth > nScreen)
            nLeft -= nLeft + nWidth - nScreen + 4;
        m_nLeft = nLeft;
        m_nTop = rc.top;
        MoveWindow(nLeft, rc.top, nWidth, rc.Height());
        m_history.ShowWindow(SW_SHOW);
        GetDlgItem(IDC_HISTORY_FRAME)->ShowWindow(SW_SHOW);
        SetDlgItemText(IDC_HISTORY_BUTTON, Text(136) + "<<");
        m_bHistoryCollapsed = FALSE;
    } else {
        const int nWidth = frame.left - rc.left;
        MoveWindow(m_bInitialised ? m_nLeft : rc.left, rc.top, nWidth, rc.Height());
        m_history.ShowWindow(SW_HIDE);
        GetDlgItem(IDC_HISTORY_FRAME)->ShowWindow(SW_HIDE);
        SetDlgItemText(IDC_HISTORY_BUTTON, Text(136) + ">>");
        m_bHistoryCollapsed = TRUE;
    }
}

void CDlgEditSms::OnTypeChanged() {
    const int nSel = static_cast<CComboBox*>(GetDlgItem(IDC_TYPE))->GetCurSel();
    SmsType() = nSel < 0 ? 0 : nSel;
    const int nType = SmsType();
    auto* pNumbers = static_cast<CComboBox*>(GetDlgItem(IDC_NUMBER));
    if (m_pPerson != nullptr) {
        pNumbers->ResetContent();
        const auto& info = m_pPerson->GetInfo().m_personal;
        if (nType == 2) {
            CString id;
            id.Format("%d", m_pPerson->GetIdentifier());
            pNumbers->AddString(id);
            pNumbers->SetCurSel(0);
        } else {
            const CXStringList& values = nType == 1 ? info.web : info.mobiles;
            for (POSITION pos = values.GetHeadPosition(); pos != nullptr;)
                pNumbers->AddString(values.GetNext(pos).GetValue(0));
            const int nCurrent = values.GetCurrentIndex();
            pNumbers->SetCurSel(nCurrent >= 0 ? nCurrent : (values.IsEmpty() ? -1 : 0));
        }
    }
    const BOOL bMobile = nType == 0;
    GetDlgItem(IDC_SUBJECT)->EnableWindow(!bMobile);
    GetDlgItem(IDC_LIMIT)->EnableWindow(bMobile);
    GetDlgItem(IDC_CODING_CHINESE)->EnableWindow(!bMobile);
    GetDlgItem(IDC_CODING_ENGLISH)->EnableWindow(!bMobile);
    auto* pLimit = static_cast<CComboBox*>(GetDlgItem(IDC_LIMIT));
    if (bMobile) {
        pLimit->SetCurSel(m_nRememberedLimit);
        if (m_pSender != nullptr)
            SetDlgItemText(IDC_SENDER,
                           CNameCodeString(m_pSender->GetName(),
                                           m_pSender->GetMobileInfo().m_strMobileNumber)
                               .GetDisplayText());
    } else {
        if (pLimit->GetCurSel() >= 0)
            m_nRememberedLimit = pLimit->GetCurSel();
        pLimit->SetCurSel(SmsLimitNone);
        if (m_pSender != nullptr)
            SetDlgItemText(IDC_SENDER, m_pSender->GetName());
    }
    ColourSmsType(GetDlgItem(IDC_TYPE), bMobile);
    OnLimitChanged();
}

void CDlgEditSms::OnLimitChanged() {
    const int nLimit = static_cast<CComboBox*>(GetDlgItem(IDC_LIMIT))->GetCurSel();
    GetDlgItem(IDC_MESSAGES)->EnableWindow(nLimit == SmsLimitParts);
    m_spin.EnableWindow(nLimit == SmsLimitParts);
    if (SmsType() == 0 && nLimit >= 0)
        m_nRememberedLimit = nLimit;
    UpdateCounts();
}

void CDlgEditSms::OnCountInputChange() {
    UpdateCounts();
}

void CDlgEditSms::OnSpinDelta(NMHDR* pNMHDR, LRESULT* pResult) {
    ApplySpinDelta(this, pNMHDR, IDC_MESSAGES);
    UpdateCounts();
    *pResult = 0;
}

void CDlgEditSms::OnTextChange() {
    UpdateCounts();
    CString text;
    m_text.GetWindowText(text);
    for (UINT id : {IDC_SEND_NOW, IDC_PENDING, IDC_DRAFT})
        GetDlgItem(id)->EnableWindow(!text.IsEmpty());
}

void CDlgEditSms::UpdateCounts() {
    if (m_text.GetSafeHwnd() == nullptr)
        return;
    CString text;
    m_text.GetWindowText(text);
    static const SCountControls ids = {IDC_CURRENT, IDC_ALLOWED, IDC_PARTS, IDC_CODING_CHINESE,
                                       IDC_CODING_ENGLISH};
    const SSmsCount c = CountAndShow(this, text, SmsType(), m_nCoding, IDC_LIMIT, IDC_MESSAGES,
                                     m_nWideSize, m_nAnsiSize, ids);
    m_nMessages = GetDlgItemInt(IDC_MESSAGES);
    m_nTextLength = c.nLength;
    m_fCurrent = c.fCurrent;
    m_nParts = c.nParts;
    m_bTooLong = c.IsTooLong((int)m_nMessages);
}

HBRUSH CDlgEditSms::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    HBRUSH hbr = CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    if (pWnd != nullptr && pWnd->GetDlgCtrlID() == IDC_CURRENT && m_bTooLong) {
        // A count beyond the limit is red on the window's own background.
        pDC->SetTextColor(RGB(255, 0, 0));
        if (hbr == nullptr)
            hbr = (HBRUSH)GetStockObject(NULL_BRUSH);
    }
    return hbr;
}

LRESULT CDlgEditSms::OnInsertText(WPARAM, LPARAM lParam) {
    if (lParam != 0)
        m_text.ReplaceSel(reinterpret_cast<LPCTSTR>(lParam), TRUE);
    return 0;
}

void CDlgEditSms::OnPhrases() {
    CDlgMessageBank dlg(this);
    if (dlg.DoModal() == IDOK)
        m_text.ReplaceSel(dlg.m_strSelected, TRUE);
}

// ---- Copy and paste ---------------------------------------------------------------------------

void CDlgEditSms::UpdateCopyPaste() {
    CWnd* pFocus = CWnd::GetFocus();
    if (pFocus != nullptr && pFocus->GetDlgCtrlID() != IDC_COPY &&
        pFocus->GetDlgCtrlID() != IDC_PASTE && pFocus->GetParent() == this)
        m_hLastFocus = pFocus->GetSafeHwnd();
    BOOL bCopy = FALSE, bPaste = FALSE;
    if (m_hLastFocus == m_text.GetSafeHwnd() || m_hLastFocus == m_history.GetSafeHwnd()) {
        auto& edit = m_hLastFocus == m_text.GetSafeHwnd() ? m_text : m_history;
        bCopy = !edit.GetSelText().IsEmpty();
    }
    if (m_hLastFocus == m_text.GetSafeHwnd())
        bPaste = m_text.CanPaste();
    GetDlgItem(IDC_COPY)->EnableWindow(bCopy);
    GetDlgItem(IDC_PASTE)->EnableWindow(bPaste);
}

LRESULT CDlgEditSms::OnKickIdle(WPARAM, LPARAM) {
    UpdateCopyPaste();
    return 0;
}

void CDlgEditSms::OnCopy() {
    if (m_hLastFocus == m_history.GetSafeHwnd()) {
        m_history.Copy();
        m_history.SetFocus();
    } else if (m_hLastFocus == m_text.GetSafeHwnd()) {
        m_text.Copy();
        m_text.SetFocus();
    }
}

void CDlgEditSms::OnPaste() {
    if (m_hLastFocus == m_text.GetSafeHwnd()) {
        m_text.Paste();
        m_text.SetFocus();
    }
}

// ---- Saving -----------------------------------------------------------------------------------

BOOL CDlgEditSms::Save(int nState) {
    UpdateData(TRUE);
    CString text;
    m_text.GetWindowText(text);
    UpdateCounts();
    if (text.IsEmpty()) {
        AfxMessageBox(Text(134), MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    if (m_bTooLong) {
        AfxMessageBox(Text(133), MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    // A contact without a mobile number (or network address) leaves the number list empty: such
    // a message could never leave the outbox, so only a draft is kept.
    CString chosen;
    if (m_pPerson != nullptr)
        GetDlgItemText(IDC_NUMBER, chosen);
    if (m_pPerson != nullptr && chosen.IsEmpty() && nState != _CSms::STATE_DRAFT &&
        SmsType() != 2) {
        const CString what = Text(SmsType() == 1 ? 343 : 211);
        CString message;
        message.Format(Text(214), (LPCTSTR)what, (LPCTSTR)what);
        AfxMessageBox(message, MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    // The outbox the message goes into; without one it is not saved and the dialog stays, so
    // that no caller sends or keeps a message that no box holds.
    _CSmsBox* pRoot = nullptr;
    if (SavePlace() == PlaceSender && m_pSender != nullptr)
        pRoot = &m_pSender->GetRootSmsBox();
    else if (SavePlace() == PlaceContact && m_pPerson != nullptr)
        pRoot = &m_pPerson->GetSmsBox();
    _CSmsBox* pOutbox = nullptr;
    if (pRoot != nullptr) {
        POSITION pos = pRoot->GetFirstSubBoxPosition();
        pOutbox = pRoot->FindNextSubBoxByType(1, pos);
    }
    if (pOutbox == nullptr) {
        AfxMessageBox(Text(212), MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    if (m_pSms == nullptr)
        m_pSms = new _CSms("");
    m_pSms->m_bBatch = FALSE;
    m_pSms->m_nSize = text.GetLength();
    m_pSms->SetState(nState);
    m_pSms->m_nKind = SmsType();
    m_pSms->m_batchList.RemoveAll();
    m_pSms->m_strContent = text;
    CString name, number;
    if (m_pPerson != nullptr) {
        GetDlgItemText(IDC_NAME, name);
        GetDlgItemText(IDC_NUMBER, number);
    }
    m_pSms->m_recipient = CNameCodeString(name, number);
    if (name.IsEmpty() && number.IsEmpty())
        m_pSms->m_recipient.m_str.Empty();
    CString sender;
    GetDlgItemText(IDC_SENDER, sender);
    m_pSms->m_sender = CNameCodeString();
    m_pSms->m_sender.ParseDisplayText(sender);
    GetDlgItemText(IDC_SUBJECT, m_strSubject);
    m_pSms->m_strSubject = m_strSubject;
    m_pSms->SetTime(CTime::GetCurrentTime());
    pOutbox->AddSms(m_pSms);
    return TRUE;
}

void CDlgEditSms::OnSendNow() {
    if (GetComposeSender() == nullptr) {
        AfxMessageBox(Text(135), MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (Save(_CSms::STATE_SEND_NOW))
        EndDialog(IDOK);
}

void CDlgEditSms::OnPending() {
    if (Save(_CSms::STATE_PENDING))
        EndDialog(IDOK);
}

void CDlgEditSms::OnDraft() {
    if (Save(_CSms::STATE_DRAFT))
        EndDialog(IDOK);
}

// ---- One message to one contact ---------------------------------------------------------------

int CPersonSmsManager::SendSmsToPerson() {
    _CSender* pSender = GetComposeSender();
    auto* pSms = new _CSms("");
    CDlgEditSms dlg;
    dlg.m_pPerson = m_pPerson;
    dlg.m_pSms = pSms;
    dlg.m_pSender = pSender;
    dlg.m_strCaption = Text(339);
    if (dlg.DoModal() != IDOK) {
        // A message the dialog filed is in a box; an unsaved one is still ours.
        if (pSms->GetParent() == nullptr)
            delete pSms;
        return 0;
    }
    if (pSms->GetState() == _CSms::STATE_SEND_NOW) {
        pSms->SetState(_CSms::STATE_PENDING);
        if (_CSender* pActive = GetComposeSender())
            SendSmsNow(pActive, pSms, 1);
    }
    if (CDlgEditSms::SavePlace() == CDlgEditSms::PlaceContact) {
        if (m_pDoc != nullptr)
            m_pDoc->SetModifiedFlag(TRUE);
        return 1;
    }
    // The sender's box: the account's file holds the message now and must be saved with it.
    if (CISmsComposeHost* pHost = GetSmsComposeHost())
        pHost->OnSmsWritten(pSender);
    return 2;
}
