#include "sms/ui/EditSmsForm.h"

#include "contacts/ContactGroup.h"
#include "contacts/FieldActions.h"
#include "contacts/Person.h"
#include "contacts/SmsDoc.h"
#include "core/FileUtil.h"
#include "core/QuillmarBaseDoc.h"
#include "core/StringUtil.h"
#include "core/TextFileWriter.h"
#include "links/CommDevice.h"
#include "platform/base/File.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/ShellServices.h"
#include "sms/MobileNumber.h"
#include "sms/SenderDoc.h"
#include "sms/SmsBox.h"
#include "sms/SmsCounter.h"
#include "sms/ui/ComposeControls.h"
#include "sms/ui/ComposeHost.h"
#include "sms/ui/DlgEditNameCode.h"
#include "sms/ui/DlgGenerateGroupNumber.h"
#include "sms/ui/DlgMessageBank.h"
#include "ui/DlgViewInfo.h"
#include "ui/FieldActionOpen.h"
#include "ui/GroupTreeView.h"

#include <algorithm>

IMPLEMENT_DYNCREATE(CEditSmsForm, CFormView)

int CEditSmsForm::s_nSmsType = 0;

namespace {

CString Text(UINT nID) {
    CString s;
    s.LoadString(nID);
    return s;
}

const char* const kOptionTexts[5] = {
    "禁止重复号码：不允许在收信人列表中出现重复的号码",
    "禁止非法号码：不允许在收信人列表中出现非法的号码",
    "禁止输入空号：不允许在收信人列表中出现空的号码",
    "显示电子信箱：在收信人列表中加入电子信箱一列",
    "发送邮件时加带姓名",
};

// The tips of the recipient controls, shown while the pointer rests on them.
const struct {
    UINT nID;
    const char* pszText;
} kTips[] = {
    {CEditSmsForm::IDC_SINGLE_BUTTON, "编辑单发短信时的收信人信息"},
    {CEditSmsForm::IDC_SINGLE,
     "在此直接编写单发短信时的收信人信息，格式为：收信人姓名<手机号>，或直接填写手机号。"},
    {CEditSmsForm::IDC_GENERATOR, "批量产生收信人号码"},
    {CEditSmsForm::IDC_BATCH,
     "群发收信人可直接从通讯录中拖动过来，也可用“批量生成器”生成。按Del键删除选择。"},
};

const char kRecipientFilter[] = "文本文件 (*.txt)|*.txt|CSV文件 (*.csv)|*.csv|所有文件 (*.*)|*.*||";

// The contact a link stands for (the contact itself when it is none or its source is gone).
_CPerson* SourceOf(_CPerson* pPerson) {
    if (pPerson != nullptr && pPerson->IsVirtual())
        if (auto* pSource = dynamic_cast<_CPerson*>(pPerson->GetVirtualSource()))
            return pSource;
    return pPerson;
}

// The lines of a file, as the system's text reading gives them; FALSE when it cannot be read.
BOOL ReadLines(LPCTSTR lpszPath, CStringList& lines) {
    CStdioFile file;
    if (!file.Open(lpszPath, CFile::modeRead | CFile::shareDenyWrite))
        return FALSE;
    try {
        CString line;
        while (file.ReadString(line))
            lines.AddTail(line);
    } catch (CException* e) {
        e->Delete();
        return FALSE;
    }
    return TRUE;
}

// A child's rectangle in its parent's client coordinates.
CRect ChildRect(CWnd* pParent, CWnd* pChild) {
    CRect rc;
    pChild->GetWindowRect(&rc);
    pParent->ScreenToClient(&rc);
    return rc;
}

} // namespace

BEGIN_MESSAGE_MAP(CEditSmsForm, CFormView)
ON_COMMAND(CEditSmsForm::ID_SEND, &CEditSmsForm::OnSend)
ON_COMMAND(CEditSmsForm::ID_SAVE_PENDING, &CEditSmsForm::OnSavePending)
ON_COMMAND(CEditSmsForm::ID_SAVE_DRAFT, &CEditSmsForm::OnSaveDraft)
ON_COMMAND(CEditSmsForm::ID_CONFIRM, &CEditSmsForm::OnConfirm)
ON_COMMAND(CEditSmsForm::ID_DISCARD, &CEditSmsForm::OnDiscard)
ON_COMMAND(CEditSmsForm::ID_EXPORT_RECIPIENTS, &CEditSmsForm::OnExportRecipients)
ON_COMMAND(CEditSmsForm::ID_IMPORT_RECIPIENTS, &CEditSmsForm::OnImportRecipients)
ON_COMMAND(CEditSmsForm::ID_SEND_MAIL, &CEditSmsForm::OnSendMail)
ON_UPDATE_COMMAND_UI(CEditSmsForm::ID_SEND, &CEditSmsForm::OnUpdateCommand)
ON_UPDATE_COMMAND_UI(CEditSmsForm::ID_SAVE_PENDING, &CEditSmsForm::OnUpdateCommand)
ON_UPDATE_COMMAND_UI(CEditSmsForm::ID_SAVE_DRAFT, &CEditSmsForm::OnUpdateCommand)
ON_UPDATE_COMMAND_UI(CEditSmsForm::ID_CONFIRM, &CEditSmsForm::OnUpdateCommand)
ON_UPDATE_COMMAND_UI(CEditSmsForm::ID_DISCARD, &CEditSmsForm::OnUpdateCommand)
ON_UPDATE_COMMAND_UI(CEditSmsForm::ID_EXPORT_RECIPIENTS, &CEditSmsForm::OnUpdateCommand)
ON_UPDATE_COMMAND_UI(CEditSmsForm::ID_IMPORT_RECIPIENTS, &CEditSmsForm::OnUpdateCommand)
ON_UPDATE_COMMAND_UI(CEditSmsForm::ID_SEND_MAIL, &CEditSmsForm::OnUpdateCommand)
ON_UPDATE_COMMAND_UI(CEditSmsForm::ID_RELOAD, &CEditSmsForm::OnUpdateCommand)
ON_BN_CLICKED(CEditSmsForm::IDC_SINGLE_BUTTON, &CEditSmsForm::OnSingleButton)
ON_BN_CLICKED(CEditSmsForm::IDC_GENERATOR, &CEditSmsForm::OnGenerator)
ON_BN_CLICKED(CEditSmsForm::IDC_PHRASES, &CEditSmsForm::OnPhrases)
ON_BN_CLICKED(CEditSmsForm::IDC_MAIL_INFO, &CEditSmsForm::OnMailInfo)
ON_BN_CLICKED(CDlgEditNameCode::IDC_APPLY, &CEditSmsForm::OnNameCodeApply)
ON_BN_CLICKED(CDlgEditNameCode::IDC_ADD, &CEditSmsForm::OnNameCodeAdd)
ON_BN_CLICKED(CEditSmsForm::IDC_CODING_CHINESE, &CEditSmsForm::OnCountInputChange)
ON_BN_CLICKED(CEditSmsForm::IDC_CODING_ENGLISH, &CEditSmsForm::OnCountInputChange)
ON_EN_CHANGE(CEditSmsForm::IDC_TEXT, &CEditSmsForm::OnTextChange)
ON_EN_CHANGE(CEditSmsForm::IDC_MESSAGES, &CEditSmsForm::OnCountInputChange)
ON_EN_CHANGE(CEditSmsForm::IDC_SINGLE, &CEditSmsForm::OnSingleChange)
ON_EN_SETFOCUS(CEditSmsForm::IDC_SINGLE, &CEditSmsForm::OnSingleFocus)
ON_CBN_SELCHANGE(CEditSmsForm::IDC_TYPE, &CEditSmsForm::OnTypeChange)
ON_CBN_SELCHANGE(CEditSmsForm::IDC_LIMIT, &CEditSmsForm::OnLimitChange)
ON_NOTIFY(UDN_DELTAPOS, CEditSmsForm::IDC_MESSAGES_SPIN, &CEditSmsForm::OnSpinDelta)
ON_NOTIFY(NM_SETFOCUS, CEditSmsForm::IDC_BATCH, &CEditSmsForm::OnBatchFocus)
ON_NOTIFY(NM_DBLCLK, CEditSmsForm::IDC_BATCH, &CEditSmsForm::OnBatchDblClick)
ON_NOTIFY(LVN_KEYDOWN, CEditSmsForm::IDC_BATCH, &CEditSmsForm::OnBatchKeyDown)
ON_NOTIFY(LVN_ITEMCHANGED, CEditSmsForm::IDC_BATCH, &CEditSmsForm::OnBatchItemChanged)
ON_NOTIFY(LVN_ITEMCHANGING, CEditSmsForm::IDC_OPTIONS, &CEditSmsForm::OnOptionChanging)
ON_NOTIFY(LVN_ITEMCHANGED, CEditSmsForm::IDC_OPTIONS, &CEditSmsForm::OnOptionChanged)
ON_MESSAGE(CEditSmsForm::WM_INSERT_TEXT, &CEditSmsForm::OnInsertText)
ON_WM_CTLCOLOR()
ON_WM_SIZE()
ON_WM_DESTROY()
END_MESSAGE_MAP()

CEditSmsForm::CEditSmsForm() : CFormView(IDD) {
    GetSmsMaxSizes(m_nWideSize, m_nAnsiSize);
}

CEditSmsForm::~CEditSmsForm() {
    delete m_pNameCode;
}

BOOL CEditSmsForm::TakeDocument(CDocument* pDoc) {
    m_pDoc = dynamic_cast<CQuillmarBaseDoc*>(pDoc);
    return TRUE;
}

void CEditSmsForm::SetComposeMode(int nMode) {
    m_bEditExisting = (nMode & ModeEditExisting) != 0;
    m_bPendingMail = (nMode & ModeMail) != 0;
}

void CEditSmsForm::StartCompose(LPARAM lStart, int) {
    StartEdit(reinterpret_cast<const CObList*>(lStart), m_bPendingMail);
}

// ---- Set-up -----------------------------------------------------------------------------------

void CEditSmsForm::DoDataExchange(CDataExchange* pDX) {
    CFormView::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_MESSAGES_SPIN, m_spin);
    DDX_Control(pDX, IDC_TEXT, m_text);
    DDX_Control(pDX, IDC_OPTIONS, m_options);
    DDX_Control(pDX, IDC_BATCH, m_batchList);
    DDX_Text(pDX, IDC_SINGLE, m_strSingle);
    DDX_CBString(pDX, IDC_SUBJECT, m_strSubject);
    DDX_Radio(pDX, IDC_RADIO_SINGLE, m_nBatch);
    DDX_CBIndex(pDX, IDC_LIMIT, m_nLimit);
    DDX_Text(pDX, IDC_MESSAGES, m_nMessages);
    DDX_Radio(pDX, IDC_CODING_CHINESE, m_nCoding);
}

void CEditSmsForm::OnInitialUpdate() {
    if (m_bInitialised)
        return;
    m_bInitialised = TRUE;
    CComboBox* pType = static_cast<CComboBox*>(GetDlgItem(IDC_TYPE));
    CComboBox* pLimit = static_cast<CComboBox*>(GetDlgItem(IDC_LIMIT));
    pType->AddString("手机短信");
    pType->AddString("即时网络消息");
    pType->SetCurSel(s_nSmsType);
    pLimit->AddString("不限制");
    pLimit->AddString("一条短信的字数");
    pLimit->AddString("指定数目短信的字数");
    CFormView::OnInitialUpdate();

    m_batchList.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    m_batchList.InsertColumn(0, "群发收信人姓名", LVCFMT_LEFT, 100);
    m_batchList.InsertColumn(1, "手机号码", LVCFMT_LEFT, 100);
    if (GetOption(OptEmail))
        m_batchList.InsertColumn(2, "电子信箱", LVCFMT_LEFT, 208);
    if (CISmsComposeHost* pHost = GetSmsComposeHost())
        if (CImageList* pImages = pHost->GetContactImages())
            m_batchList.SetImageList(pImages, LVSIL_SMALL);

    m_options.SetExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    m_options.InsertColumn(0, "", LVCFMT_LEFT, 10);
    for (int i = 0; i < 5; ++i) {
        m_options.InsertItem(i, kOptionTexts[i]);
        m_options.SetCheck(i, m_options_[i]);
    }
    CRect rc;
    m_options.GetClientRect(&rc);
    m_options.SetColumnWidth(0, rc.Width());

    m_pNameCode = new CDlgEditNameCode;
    if (!m_pNameCode->Create(this)) {
        delete m_pNameCode;
        m_pNameCode = nullptr;
    }
    // The controls exist now: a form larger than its template spreads them out.
    CRect client;
    GetClientRect(&client);
    OnSize(SIZE_RESTORED, client.Width(), client.Height());
    m_spin.SetBuddy(GetDlgItem(IDC_MESSAGES));
    m_spin.SetRange(1, 100);
    m_spin.SetPos(1);
    m_nMessages = 1;
    SetDlgItemInt(IDC_MESSAGES, 1);
    OnLimitChanged();

    m_text.SetEventMask(m_text.GetEventMask() | ENM_CHANGE);
    LOGFONT lf{};
    if (CFont* pFont = GetFont())
        pFont->GetLogFont(&lf);
    lf.lfHeight = lf.lfHeight * 3 / 2;
    lf.lfWeight = FW_BOLD;
    m_editorFont.CreateFontIndirect(&lf);
    m_text.SetFont(&m_editorFont);

    FillSmsSubjects(static_cast<CComboBox*>(GetDlgItem(IDC_SUBJECT)));

    // The tips watch their controls' mouse themselves: nothing needs relaying from the form.
    if (m_tips.Create(this)) {
        m_tips.SetMaxTipWidth(400);
        for (const auto& tip : kTips)
            if (CWnd* pCtrl = GetDlgItem((int)tip.nID)) {
                TOOLINFO ti{};
                ti.cbSize = sizeof ti;
                ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
                ti.hwnd = GetSafeHwnd();
                ti.uId = (UINT_PTR)pCtrl->GetSafeHwnd();
                ti.lpszText = const_cast<LPSTR>(tip.pszText);
                m_tips.AddTool(&ti);
            }
    }
}

void CEditSmsForm::OnUpdate(CView*, LPARAM, CObject*) {}

// ---- Starting and ending ----------------------------------------------------------------------

void CEditSmsForm::StartEdit(const CObList* pContacts, BOOL bMailMode) {
    if (!m_bInitialised)
        OnInitialUpdate();
    GetSmsMaxSizes(m_nWideSize, m_nAnsiSize);
    m_batchList.SetRedraw(FALSE);
    m_bMailMode = bMailMode;
    _CSms* pExisting = nullptr;
    if (m_bEditExisting && m_pDoc != nullptr)
        pExisting = dynamic_cast<_CSms*>(m_pDoc->GetCurrentMessageObject());
    ExchangeSms(pExisting, FALSE);
    UpdateCounts();
    UpdateRowCount();
    auto* pSmsDoc = dynamic_cast<CSmsDoc*>(m_pDoc);
    if (pSmsDoc != nullptr && pExisting == nullptr) {
        if (bMailMode) {
            m_strSingle.Empty();
            CStringList lines;
            CString help;
            if (ReadLines(GetAppFilePath("Help\\SendMail.txt"), lines))
                for (POSITION pos = lines.GetHeadPosition(); pos != nullptr;)
                    help += lines.GetNext(pos) + (pos != nullptr ? "\r\n" : "");
            m_text.SetWindowText(help);
        } else {
            auto* pPerson = SourceOf(dynamic_cast<_CPerson*>(pSmsDoc->GetCurrentObject()));
            m_strSingle = pPerson != nullptr
                              ? CNameCodeString(pPerson->GetName(),
                                                pPerson->GetInfo().m_personal.mobiles.GetCurrentValue())
                                    .GetDisplayText()
                              : CString();
        }
        m_nBatch = 0;
        s_nSmsType = 0;
        static_cast<CComboBox*>(GetDlgItem(IDC_TYPE))->SetCurSel(0);
        SetDlgItemText(IDC_SINGLE, m_strSingle);
        CheckRadioButton(IDC_RADIO_SINGLE, IDC_RADIO_BATCH, IDC_RADIO_SINGLE);
    }
    const BOOL bSenders = dynamic_cast<CSenderDoc*>(m_pDoc) != nullptr;
    for (UINT id : {IDC_OPT_DUPLICATES, IDC_OPT_ILLEGAL, IDC_OPT_EMPTY})
        GetDlgItem(id)->EnableWindow(bSenders);
    OnSmsTypeChanged();
    if (pContacts != nullptr)
        for (POSITION pos = pContacts->GetHeadPosition(); pos != nullptr;)
            if (auto* pPerson = dynamic_cast<_CPerson*>(pContacts->GetNext(pos)))
                AddPersonRecipient(pPerson, FALSE);
    UpdateRowCount();
    m_batchList.SetRedraw(TRUE);
    BeginPicking();
    ShowWriting(TRUE);
}

void CEditSmsForm::StartAnswer(const _CSms* pLoad, const CStringArray& names,
                               const CStringArray& codes, int nKind, LPCTSTR lpszText) {
    if (!m_bInitialised)
        OnInitialUpdate();
    m_bEditExisting = FALSE;
    m_batchList.SetRedraw(FALSE);
    ExchangeSms(const_cast<_CSms*>(pLoad), FALSE);
    if (pLoad == nullptr) {
        const INT_PTR nCount = std::min(names.GetSize(), codes.GetSize());
        if (nCount == 1) {
            m_strSingle = CNameCodeString(names[0], codes[0]).GetDisplayText();
            SetDlgItemText(IDC_SINGLE, m_strSingle);
        } else {
            for (INT_PTR i = 0; i < nCount; ++i)
                AddRecipient(names[i], codes[i], FALSE);
        }
        m_nBatch = nCount > 1 ? 1 : 0;
        s_nSmsType = nKind == 1 ? 1 : 0;
        static_cast<CComboBox*>(GetDlgItem(IDC_TYPE))->SetCurSel(s_nSmsType);
        CheckRadioButton(IDC_RADIO_SINGLE, IDC_RADIO_BATCH,
                         m_nBatch == 1 ? IDC_RADIO_BATCH : IDC_RADIO_SINGLE);
        if (lpszText != nullptr) {
            m_strText = lpszText;
            m_text.SetWindowText(m_strText);
        }
    }
    OnSmsTypeChanged();
    UpdateCounts();
    UpdateRowCount();
    m_batchList.SetRedraw(TRUE);
    ShowWriting(TRUE);
}

void CEditSmsForm::ShowWriting(BOOL bWriting) {
    if (m_bShowingWriting == bWriting)
        return;
    m_bShowingWriting = bWriting;
    if (CISmsComposeHost* pHost = GetSmsComposeHost())
        pHost->ShowWriting(bWriting);
}

void CEditSmsForm::BeginPicking() {
    // Whoever opened the form, the address-book tree keeps still while a message is written: no
    // contact a row points to may go, nor its book close.
    if (m_bPicking)
        return;
    CISmsComposeHost* pHost = GetSmsComposeHost();
    CWnd* pTree = pHost != nullptr ? pHost->GetPickTree() : nullptr;
    if (pTree == nullptr || pTree->GetSafeHwnd() == nullptr)
        return;
    m_hPickTree = pTree->GetSafeHwnd();
    m_bPicking = TRUE;
    pTree->SendMessage(WM_PICK_BEGIN);
}

void CEditSmsForm::EndWriting() {
    // The rows point into the books: they go before the tree lets the books change again.
    m_batchList.DeleteAllItems();
    UpdateRowCount();
    ShowWriting(FALSE);
    if (m_pNameCode != nullptr && m_pNameCode->IsShown()) {
        CString name, number;
        m_pNameCode->Show(name, number, FALSE, FALSE, FALSE);
    }
    HWND hTree = m_hPickTree;
    const BOOL bPicking = m_bPicking;
    m_bPicking = FALSE;
    m_hPickTree = nullptr;
    // The window that opened the form (the senders tree) leaves its writing mode as well; the
    // tree that picked is told once, below.
    HWND hReturn = m_pReturnWnd != nullptr ? m_pReturnWnd->GetSafeHwnd() : nullptr;
    m_pReturnWnd = nullptr;
    // The tree that lent itself for picking lets go first: it puts its own item back into the
    // pane, and the window that opened the form then shows its own again over it (a message
    // written from a box of the senders tree returns to that box, not to the address book).
    if (bPicking && ::IsWindow(hTree))
        CWnd::FromHandle(hTree)->SendMessage(WM_PICK_END);
    CWnd* pParent = GetParent();
    if (pParent != nullptr)
        pParent->SendMessage(WM_WRITING_ENDED);
    CISmsComposeHost* pHost = GetSmsComposeHost();
    CWnd* pPickTree = pHost != nullptr ? pHost->GetPickTree() : nullptr;
    if (hReturn != nullptr && ::IsWindow(hReturn) && hReturn != hTree &&
        (pPickTree == nullptr || hReturn != pPickTree->GetSafeHwnd()) &&
        (pParent == nullptr || hReturn != pParent->GetSafeHwnd()))
        ::SendMessage(hReturn, WM_WRITING_ENDED, 0, 0);
}

void CEditSmsForm::OnDestroy() {
    if (m_bPicking && ::IsWindow(m_hPickTree))
        CWnd::FromHandle(m_hPickTree)->SendMessage(WM_PICK_END);
    m_bPicking = FALSE;
    ShowWriting(FALSE);
    if (m_pNameCode != nullptr && m_pNameCode->GetSafeHwnd() != nullptr)
        m_pNameCode->DestroyWindow();
    CFormView::OnDestroy();
}

// ---- The message type, the limit and the counts -----------------------------------------------

CString CEditSmsForm::PersonNumber(_CPerson* pPerson) const {
    pPerson = SourceOf(pPerson);
    if (pPerson == nullptr)
        return CString();
    const auto& info = pPerson->GetInfo().m_personal;
    return s_nSmsType == 1 ? info.web.GetCurrentValue() : info.mobiles.GetCurrentValue();
}

CString CEditSmsForm::PersonEmail(_CPerson* pPerson) const {
    pPerson = SourceOf(pPerson);
    return pPerson != nullptr ? pPerson->GetInfo().m_personal.email.GetCurrentValue() : CString();
}

_CSender* CEditSmsForm::CurrentSender() const {
    if (auto* pSenders = dynamic_cast<CSenderDoc*>(m_pDoc))
        return &pSenders->GetSender();
    return GetComposeSender();
}

void CEditSmsForm::OnTypeChange() {
    OnSmsTypeChanged();
}

void CEditSmsForm::OnSmsTypeChanged() {
    const int nSel = static_cast<CComboBox*>(GetDlgItem(IDC_TYPE))->GetCurSel();
    s_nSmsType = nSel < 0 ? 0 : nSel;
    LVCOLUMN col{};
    col.mask = LVCF_TEXT;
    CString title = s_nSmsType == 1 ? Text(343) : CString("手机号码");
    col.pszText = const_cast<LPTSTR>((LPCTSTR)title);
    m_batchList.SetColumn(1, &col);
    for (int i = 0; i < m_batchList.GetItemCount(); ++i)
        if (auto* pPerson = reinterpret_cast<_CPerson*>(m_batchList.GetItemData(i)))
            m_batchList.SetItemText(i, 1, PersonNumber(pPerson));
    ForgetNumbers();
    RefreshNameCodeDialog();
    if (m_pDoc != nullptr)
        if (_CSender* pSender = CurrentSender()) {
            m_sender = s_nSmsType == 1
                           ? CNameCodeString(pSender->GetName(), "")
                           : CNameCodeString(pSender->GetName(),
                                             pSender->GetMobileInfo().m_strMobileNumber);
            SetDlgItemText(IDC_SENDER, m_sender.GetDisplayText());
        }
    CComboBox* pLimit = static_cast<CComboBox*>(GetDlgItem(IDC_LIMIT));
    const BOOL bMobile = s_nSmsType == 0;
    GetDlgItem(IDC_SUBJECT)->EnableWindow(!bMobile);
    pLimit->EnableWindow(bMobile);
    GetDlgItem(IDC_CODING_CHINESE)->EnableWindow(!bMobile);
    GetDlgItem(IDC_CODING_ENGLISH)->EnableWindow(!bMobile);
    GetDlgItem(IDC_HANDS_FREE)->ShowWindow(bMobile ? SW_SHOW : SW_HIDE);
    if (bMobile) {
        pLimit->SetCurSel(m_nRememberedLimit);
    } else {
        if (pLimit->GetCurSel() >= 0)
            m_nRememberedLimit = pLimit->GetCurSel();
        pLimit->SetCurSel(SmsLimitNone);
    }
    ColourSmsType(GetDlgItem(IDC_TYPE), bMobile);
    OnLimitChanged();
}

void CEditSmsForm::OnLimitChange() {
    OnLimitChanged();
}

void CEditSmsForm::OnLimitChanged() {
    const int nLimit = static_cast<CComboBox*>(GetDlgItem(IDC_LIMIT))->GetCurSel();
    GetDlgItem(IDC_MESSAGES)->EnableWindow(nLimit == SmsLimitParts);
    m_spin.EnableWindow(nLimit == SmsLimitParts);
    UpdateCounts();
    if (s_nSmsType == 0 && nLimit >= 0)
        m_nRememberedLimit = nLimit;
}

void CEditSmsForm::OnTextChange() {
    UpdateCounts();
}

void CEditSmsForm::OnCountInputChange() {
    UpdateCounts();
}

void CEditSmsForm::OnSpinDelta(NMHDR* pNMHDR, LRESULT* pResult) {
    ApplySpinDelta(this, pNMHDR, IDC_MESSAGES);
    UpdateCounts();
    *pResult = 0;
}

void CEditSmsForm::UpdateCounts() {
    if (m_text.GetSafeHwnd() == nullptr)
        return;
    m_text.GetWindowText(m_strText);
    static const SCountControls ids = {IDC_CURRENT, IDC_ALLOWED, IDC_PARTS, IDC_CODING_CHINESE,
                                       IDC_CODING_ENGLISH};
    const SSmsCount c = CountAndShow(this, m_strText, s_nSmsType, m_nCoding, IDC_LIMIT,
                                     IDC_MESSAGES, m_nWideSize, m_nAnsiSize, ids);
    m_nLimit = std::max(0, static_cast<CComboBox*>(GetDlgItem(IDC_LIMIT))->GetCurSel());
    m_nMessages = GetDlgItemInt(IDC_MESSAGES);
    m_nTextLength = c.nLength;
    m_fCurrent = c.fCurrent;
    m_nAllowed = c.nAllowed;
    m_nParts = c.nParts;
    m_bTooLong = c.IsTooLong((int)m_nMessages);
    GetDlgItemText(IDC_ALLOWED, m_strAllowed);
    // A text beyond the limit is not cut into more parts: the parts give way to a note naming
    // the box that sets the limit.
    if (CWnd* pNote = GetDlgItem(IDC_OVER_LIMIT)) {
        if (m_bTooLong)
            pNote->SetWindowText(Text(141));
        pNote->ShowWindow(m_bTooLong ? SW_SHOW : SW_HIDE);
        for (UINT id : {IDC_PARTS_LEAD, IDC_PARTS, IDC_PARTS_TAIL})
            GetDlgItem(id)->ShowWindow(m_bTooLong ? SW_HIDE : SW_SHOW);
    }
}

HBRUSH CEditSmsForm::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    HBRUSH hbr = CFormView::OnCtlColor(pDC, pWnd, nCtlColor);
    const int nID = pWnd != nullptr ? pWnd->GetDlgCtrlID() : 0;
    if ((nID == IDC_CURRENT || nID == IDC_OVER_LIMIT) && m_bTooLong) {
        // A count beyond the limit and its note are red on the window's own background.
        pDC->SetTextColor(RGB(255, 0, 0));
        if (hbr == nullptr)
            hbr = (HBRUSH)GetStockObject(NULL_BRUSH);
    }
    return hbr;
}

// ---- The batch list ---------------------------------------------------------------------------

void CEditSmsForm::UpdateRowCount() {
    SetDlgItemInt(IDC_ROW_COUNT, (UINT)m_batchList.GetItemCount());
}

int CEditSmsForm::AddRecipient(LPCTSTR lpszName, LPCTSTR lpszNumber, BOOL bShowMessages) {
    const CString number = lpszNumber != nullptr ? lpszNumber : "";
    int nResult = 0;
    CString message;
    if (GetOption(OptEmpty) && number.IsEmpty()) {
        nResult = AddEmpty;
        message = Text(202);
    }
    // A number of exactly 11 characters is legal, whatever they are: nothing else is checked.
    if (GetOption(OptIllegal) && s_nSmsType == 0 && !IsEmptyOrElevenChars(number)) {
        nResult = AddIllegal;
        message = Text(203);
    }
    if (GetOption(OptDuplicates) && !number.IsEmpty() && HasNumber(number)) {
        nResult = AddDuplicate;
        message.Format(Text(204), (LPCTSTR)number);
    }
    if (nResult < 0) {
        if (bShowMessages)
            AfxMessageBox(message, MB_OK | MB_ICONEXCLAMATION);
        return nResult;
    }
    const BOOL bIndexed = m_nIndexedRows == m_batchList.GetItemCount();
    const int nRow = m_batchList.InsertItem(m_batchList.GetItemCount(), lpszName);
    m_batchList.SetItemText(nRow, 1, number);
    if (bIndexed) {
        m_numbers.insert(std::string((LPCTSTR)number));
        m_nIndexedRows = m_batchList.GetItemCount();
    }
    UpdateRowCount();
    return nRow;
}

BOOL CEditSmsForm::HasNumber(const CString& number) {
    // A generated list of thousands of numbers checks each one against all rows before it.
    const int nRows = m_batchList.GetItemCount();
    if (m_nIndexedRows != nRows) {
        m_numbers.clear();
        for (int i = 0; i < nRows; ++i)
            m_numbers.insert(std::string((LPCTSTR)m_batchList.GetItemText(i, 1)));
        m_nIndexedRows = nRows;
    }
    return m_numbers.count(std::string((LPCTSTR)number)) > 0;
}

int CEditSmsForm::AddPersonRecipient(_CPerson* pPerson, BOOL bShowMessages) {
    _CPerson* pSource = SourceOf(pPerson);
    if (pSource == nullptr)
        return AddEmpty;
    const int nRow = AddRecipient(pSource->GetName(), PersonNumber(pSource), bShowMessages);
    if (nRow < 0)
        return nRow;
    int nImage = -1;
    if (CISmsComposeHost* pHost = GetSmsComposeHost())
        nImage = pHost->GetContactImage(pSource);
    UINT nState = pPerson->IsVirtual() ? INDEXTOOVERLAYMASK(5) : 0;
    m_batchList.SetItem(nRow, 0, LVIF_IMAGE | LVIF_STATE, nullptr, nImage, nState,
                        LVIS_OVERLAYMASK, 0);
    m_batchList.SetItemData(nRow, (DWORD_PTR)pSource);
    if (GetOption(OptEmail))
        m_batchList.SetItemText(nRow, 2, PersonEmail(pSource));
    return nRow;
}

void CEditSmsForm::AddGroupRecipients(_CGroup* pGroup, BOOL bRecursive, CStringList& refused) {
    if (pGroup == nullptr)
        return;
    for (POSITION pos = pGroup->GetFirstContentPosition(); pos != nullptr;) {
        auto* pPerson = dynamic_cast<_CPerson*>(pGroup->GetNextContent(pos));
        if (pPerson == nullptr)
            continue;
        if (AddPersonRecipient(pPerson, FALSE) < 0) {
            _CPerson* pSource = SourceOf(pPerson);
            refused.AddTail(CNameCodeString(pSource->GetName(), PersonNumber(pSource)).GetDisplayText());
        }
    }
    if (bRecursive)
        for (POSITION pos = pGroup->GetFirstSubgroupPosition(); pos != nullptr;)
            AddGroupRecipients(dynamic_cast<_CGroup*>(pGroup->GetNextSubgroup(pos)), TRUE, refused);
}

BOOL CEditSmsForm::DropRecord(CObject* pRecord, CPoint point, BOOL bAdd, BOOL bTest) {
    auto* pPerson = dynamic_cast<_CPerson*>(pRecord);
    auto* pGroup = dynamic_cast<_CGroup*>(pRecord);
    if (pPerson == nullptr && pGroup == nullptr)
        return FALSE;
    const BOOL bOnSingle = ChildRect(this, GetDlgItem(IDC_SINGLE)).PtInRect(point);
    const BOOL bOnList = ChildRect(this, &m_batchList).PtInRect(point);
    if (!bOnSingle && !bOnList)
        return FALSE;
    if (bTest)
        return TRUE;
    CStringList refused;
    m_batchList.SetRedraw(FALSE);
    if (bOnSingle && pPerson != nullptr) {
        _CPerson* pSource = SourceOf(pPerson);
        m_strSingle = CNameCodeString(pSource->GetName(), PersonNumber(pSource)).GetDisplayText();
        SetDlgItemText(IDC_SINGLE, m_strSingle);
    } else if (pPerson != nullptr) {
        AddPersonRecipient(pPerson, TRUE);
    } else {
        AddGroupRecipients(pGroup, bAdd, refused);
    }
    m_batchList.SetRedraw(TRUE);
    if (!refused.IsEmpty()) {
        CString message;
        message.Format(Text(220), (int)refused.GetCount());
        CString joined;
        for (POSITION pos = refused.GetHeadPosition(); pos != nullptr;) {
            joined += refused.GetNext(pos);
            if (pos != nullptr)
                joined += ",";
        }
        AfxMessageBox(message + joined, MB_OK | MB_ICONINFORMATION);
    }
    UpdateRowCount();
    return TRUE;
}

void CEditSmsForm::OnNumbersPicked(LPCTSTR lpszNumber) {
    AddRecipient("", lpszNumber, TRUE);
}

CString CEditSmsForm::GetMailAddressList() {
    CString list;
    if (m_batchList.GetHeaderCtrl() == nullptr || m_batchList.GetHeaderCtrl()->GetItemCount() < 3)
        return list;
    for (int i = 0; i < m_batchList.GetItemCount(); ++i) {
        const CString address = m_batchList.GetItemText(i, 2);
        if (address.IsEmpty())
            continue;
        // Each entry goes through the mail link's encoding, so that a "?", "&" or "#" in a name
        // or an address cannot add fields to the link.
        CString link, error;
        if (!BuildFieldActionAddress(FIELD_ACTION_MAIL, address, m_batchList.GetItemText(i, 0),
                                     GetOption(OptNames), link, error))
            continue;
        if (!list.IsEmpty())
            list += ";";
        list += link.Mid(7); // after "mailto:"
    }
    return list;
}

// ---- Options ----------------------------------------------------------------------------------

BOOL CEditSmsForm::GetOption(int nOption) const {
    return nOption >= 0 && nOption < 5 && m_options_[nOption] != 0;
}

void CEditSmsForm::SetOption(int nOption, BOOL bOn) {
    if (nOption < 0 || nOption >= 5)
        return;
    if (m_options.GetSafeHwnd() != nullptr && m_options.GetCheck(nOption) != bOn) {
        m_options.SetCheck(nOption, bOn); // comes back through OnOptionChanged
        return;
    }
    const BOOL bWas = m_options_[nOption];
    m_options_[nOption] = bOn ? 1 : 0;
    if (nOption == OptEmail && bWas != m_options_[nOption])
        ShowEmailColumn(bOn);
}

void CEditSmsForm::ShowEmailColumn(BOOL bShow) {
    if (m_batchList.GetSafeHwnd() == nullptr)
        return;
    const int nColumns = m_batchList.GetHeaderCtrl()->GetItemCount();
    if (bShow && nColumns == 2) {
        m_batchList.InsertColumn(2, "电子信箱", LVCFMT_LEFT, 208);
        for (int i = 0; i < m_batchList.GetItemCount(); ++i)
            if (auto* pPerson = reinterpret_cast<_CPerson*>(m_batchList.GetItemData(i)))
                m_batchList.SetItemText(i, 2, PersonEmail(pPerson));
    } else if (!bShow && nColumns == 3) {
        m_batchList.DeleteColumn(2);
    }
    if (m_pNameCode != nullptr)
        m_pNameCode->m_bEmailOption = bShow;
}

void CEditSmsForm::OnOptionChanging(NMHDR* pNMHDR, LRESULT* pResult) {
    // Rows of the options are never selected; only their check boxes change.
    auto* pNM = reinterpret_cast<NMLISTVIEW*>(pNMHDR);
    *pResult = (pNM->uChanged & LVIF_STATE) && (pNM->uNewState & LVIS_SELECTED) ? 1 : 0;
}

void CEditSmsForm::OnOptionChanged(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* pNM = reinterpret_cast<NMLISTVIEW*>(pNMHDR);
    *pResult = 0;
    if (!(pNM->uChanged & LVIF_STATE) || pNM->iItem < 0 || pNM->iItem >= 5)
        return;
    const BOOL bChecked = (pNM->uNewState & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
    if ((BOOL)m_options_[pNM->iItem] != bChecked)
        SetOption(pNM->iItem, bChecked);
}

// ---- Keyboard, mouse and the name-and-number dialog -------------------------------------------

void CEditSmsForm::ShowNameCodeDialog(int nTarget, int nRow, int nFocusField) {
    if (m_pNameCode == nullptr)
        return;
    m_nNameCodeTarget = nTarget;
    m_nNameCodeRow = nRow;
    CString name, number;
    m_pNameCode->m_nType = s_nSmsType;
    m_pNameCode->m_bEmailOption = GetOption(OptEmail);
    BOOL bEmpty = FALSE;
    if (nTarget == IDC_SINGLE) {
        GetDlgItemText(IDC_SINGLE, m_strSingle);
        CNameCodeString party;
        party.ParseDisplayText(m_strSingle);
        name = party.GetName();
        number = party.GetCode();
        m_pNameCode->m_pPerson = nullptr;
        m_pNameCode->m_strEmail.Empty();
        bEmpty = m_strSingle.IsEmpty();
    } else if (nRow >= 0 && nRow < m_batchList.GetItemCount()) {
        name = m_batchList.GetItemText(nRow, 0);
        number = m_batchList.GetItemText(nRow, 1);
        m_pNameCode->m_pPerson = reinterpret_cast<_CPerson*>(m_batchList.GetItemData(nRow));
        m_pNameCode->m_strEmail = GetOption(OptEmail) ? m_batchList.GetItemText(nRow, 2) : CString();
    } else {
        m_pNameCode->m_pPerson = nullptr;
        m_pNameCode->m_strEmail.Empty();
        bEmpty = TRUE;
    }
    m_pNameCode->Show(name, number, TRUE, TRUE, bEmpty);
    if (nFocusField != 0)
        m_pNameCode->FocusField((UINT)nFocusField);
}

void CEditSmsForm::RefreshNameCodeDialog() {
    if (m_pNameCode != nullptr && m_pNameCode->IsShown())
        ShowNameCodeDialog(m_nNameCodeTarget, m_nNameCodeRow, 0);
}

void CEditSmsForm::OnSingleButton() {
    ShowNameCodeDialog(IDC_SINGLE, -1, CDlgEditNameCode::IDC_NAME);
}

void CEditSmsForm::OnSingleChange() {
    if (m_pNameCode != nullptr && m_pNameCode->IsShown() && m_nNameCodeTarget == IDC_SINGLE)
        RefreshNameCodeDialog();
}

void CEditSmsForm::OnSingleFocus() {
    if (m_pNameCode != nullptr && m_pNameCode->IsShown() && m_batchList.GetItemCount() > 0 &&
        m_nNameCodeTarget != IDC_SINGLE)
        ShowNameCodeDialog(IDC_SINGLE, -1, 0);
}

void CEditSmsForm::OnBatchFocus(NMHDR*, LRESULT* pResult) {
    *pResult = 0;
    if (m_pNameCode != nullptr && m_pNameCode->IsShown() && m_nNameCodeTarget != IDC_BATCH)
        ShowNameCodeDialog(IDC_BATCH, m_batchList.GetNextItem(-1, LVNI_SELECTED), 0);
}

void CEditSmsForm::OnBatchDblClick(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* pNM = reinterpret_cast<NMITEMACTIVATE*>(pNMHDR);
    *pResult = 0;
    static const UINT fields[3] = {CDlgEditNameCode::IDC_NAME, CDlgEditNameCode::IDC_NUMBER,
                                   CDlgEditNameCode::IDC_EMAIL};
    const int nColumn = pNM->iSubItem >= 0 && pNM->iSubItem < 3 ? pNM->iSubItem : 0;
    ShowNameCodeDialog(IDC_BATCH, pNM->iItem, (int)fields[nColumn]);
}

void CEditSmsForm::OnBatchKeyDown(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* pKey = reinterpret_cast<NMLVKEYDOWN*>(pNMHDR);
    *pResult = 0;
    if (pKey->wVKey == VK_DELETE) {
        ForgetNumbers();
        int nLast = -1;
        for (int i = m_batchList.GetItemCount() - 1; i >= 0; --i)
            if (m_batchList.GetItemState(i, LVIS_SELECTED) & LVIS_SELECTED) {
                m_batchList.DeleteItem(i);
                nLast = i;
            }
        const int nFocus = m_batchList.GetNextItem(-1, LVNI_FOCUSED);
        const int nNext = nFocus >= 0 ? nFocus : std::min(nLast, m_batchList.GetItemCount() - 1);
        if (nNext >= 0)
            m_batchList.SetItemState(nNext, LVIS_SELECTED | LVIS_FOCUSED,
                                     LVIS_SELECTED | LVIS_FOCUSED);
        RefreshNameCodeDialog();
        UpdateRowCount();
    } else if (pKey->wVKey == 'A' || pKey->wVKey == 'a' || pKey->wVKey == 'S' ||
               pKey->wVKey == 's') {
        const BOOL bName = pKey->wVKey == 'A' || pKey->wVKey == 'a';
        ShowNameCodeDialog(IDC_BATCH, m_batchList.GetNextItem(-1, LVNI_SELECTED),
                           bName ? CDlgEditNameCode::IDC_NAME : CDlgEditNameCode::IDC_NUMBER);
    }
}

void CEditSmsForm::OnBatchItemChanged(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* pNM = reinterpret_cast<NMLISTVIEW*>(pNMHDR);
    *pResult = 0;
    if ((pNM->uChanged & LVIF_STATE) && (pNM->uNewState & LVIS_SELECTED) &&
        !(pNM->uOldState & LVIS_SELECTED)) {
        m_nSelectedRow = pNM->iItem;
        if (m_pNameCode != nullptr && m_pNameCode->IsShown())
            ShowNameCodeDialog(IDC_BATCH, pNM->iItem, 0);
    }
}

void CEditSmsForm::OnNameCodeApply() {
    if (m_pNameCode == nullptr)
        return;
    CString name, number;
    m_pNameCode->Show(name, number, FALSE, TRUE, FALSE);
    if (m_nNameCodeTarget == IDC_SINGLE) {
        m_strSingle = CNameCodeString(name, number).GetDisplayText();
        if (name.IsEmpty() && number.IsEmpty())
            m_strSingle.Empty();
        SetDlgItemText(IDC_SINGLE, m_strSingle);
        return;
    }
    int nRow = m_nNameCodeRow;
    if (nRow < 0 || nRow >= m_batchList.GetItemCount())
        nRow = m_batchList.GetNextItem(-1, LVNI_SELECTED);
    if (nRow < 0)
        return;
    // With duplicates refused, a number standing in any row refuses the change, the edited row
    // included unless its number stays as it was.
    if (GetOption(OptDuplicates) && !number.IsEmpty() && number != m_batchList.GetItemText(nRow, 1))
        for (int i = 0; i < m_batchList.GetItemCount(); ++i)
            if (m_batchList.GetItemText(i, 1) == number) {
                CString message;
                message.Format(Text(221), (LPCTSTR)number);
                AfxMessageBox(message, MB_OK | MB_ICONEXCLAMATION);
                return;
            }
    m_batchList.SetItemText(nRow, 0, name);
    m_batchList.SetItemText(nRow, 1, number);
    ForgetNumbers();
    if (GetOption(OptEmail))
        m_batchList.SetItemText(nRow, 2, m_pNameCode->m_strEmail);
}

void CEditSmsForm::OnNameCodeAdd() {
    if (m_pNameCode == nullptr)
        return;
    CString name, number;
    m_pNameCode->Show(name, number, FALSE, TRUE, FALSE);
    const int nRow = AddRecipient(name, number, TRUE);
    if (nRow < 0)
        return;
    if (_CPerson* pPerson = m_pNameCode->m_pPerson) {
        int nImage = -1;
        if (CISmsComposeHost* pHost = GetSmsComposeHost())
            nImage = pHost->GetContactImage(pPerson);
        m_batchList.SetItem(nRow, 0, LVIF_IMAGE, nullptr, nImage, 0, 0, 0);
        m_batchList.SetItemData(nRow, (DWORD_PTR)pPerson);
    }
    if (GetOption(OptEmail))
        m_batchList.SetItemText(nRow, 2, m_pNameCode->m_strEmail);
}

LRESULT CEditSmsForm::OnInsertText(WPARAM, LPARAM lParam) {
    if (lParam != 0) {
        m_text.ReplaceSel(reinterpret_cast<LPCTSTR>(lParam), TRUE);
        UpdateCounts();
    }
    return 0;
}

// ---- Checking, building and filing the message ------------------------------------------------

CString CEditSmsForm::CheckInput() {
    CString errors;
    GetDlgItemText(IDC_SINGLE, m_strSingle);
    m_nBatch = IsDlgButtonChecked(IDC_RADIO_BATCH) ? 1 : 0;
    UpdateCounts();
    if (m_strText.IsEmpty())
        errors += Text(205);
    else if (m_bTooLong)
        errors += Text(206);
    if (m_nBatch == 0 && m_strSingle.IsEmpty())
        errors += Text(207);
    if (m_nBatch == 1 && m_batchList.GetItemCount() == 0)
        errors += Text(208);
    return errors;
}

void CEditSmsForm::ExchangeSms(_CSms* pSms, BOOL bStore) {
    if (bStore) {
        pSms->m_strContent = m_strText;
        pSms->m_sender = m_sender;
        GetDlgItemText(IDC_SUBJECT, m_strSubject);
        pSms->m_strSubject = m_strSubject;
        pSms->m_bBatch = m_nBatch == 1;
        pSms->m_nKind = s_nSmsType;
        pSms->m_recipient = CNameCodeString();
        pSms->m_recipient.ParseDisplayText(m_strSingle);
        pSms->m_batchList.RemoveAll();
        for (int i = 0; i < m_batchList.GetItemCount(); ++i)
            pSms->m_batchList.AddTail(
                CNameCodeString(m_batchList.GetItemText(i, 0), m_batchList.GetItemText(i, 1)).m_str);
        // One row is one recipient: the message goes as a single one.
        if (pSms->m_bBatch && pSms->m_batchList.GetCount() == 1) {
            pSms->m_recipient = CNameCodeString(pSms->m_batchList.GetHead());
            pSms->m_batchList.RemoveAll();
            pSms->m_bBatch = FALSE;
        }
        pSms->m_nSize = pSms->m_strContent.GetLength();
        return;
    }
    m_batchList.DeleteAllItems();
    CComboBox* pType = static_cast<CComboBox*>(GetDlgItem(IDC_TYPE));
    if (pSms != nullptr) {
        m_strText = pSms->m_strContent;
        m_sender = pSms->m_sender;
        m_strSubject = pSms->m_strSubject;
        m_nBatch = pSms->m_bBatch ? 1 : 0;
        s_nSmsType = pSms->m_nKind == 1 ? 1 : 0;
        m_strSingle = pSms->m_recipient.GetDisplayText();
        for (POSITION pos = pSms->m_batchList.GetHeadPosition(); pos != nullptr;) {
            CNameCodeString party(pSms->m_batchList.GetNext(pos));
            AddRecipient(party.GetName(), party.GetCode(), TRUE);
        }
        const CTime t = pSms->GetTime();
        CString dateText;
        dateText.Format("%s(%s) %s", (LPCTSTR)t.Format("%Y-%m-%d"),
                        (LPCTSTR)CDate::GetWeekdayName(t.GetDayOfWeek() - 1),
                        (LPCTSTR)t.Format("%H:%M:%S"));
        SetDlgItemText(IDC_DATE, dateText);
    } else {
        m_strText.Empty();
        m_sender = CNameCodeString();
        m_strSubject.Empty();
        m_nBatch = 0;
        m_strSingle.Empty();
        SetDlgItemText(IDC_DATE, Text(219));
    }
    pType->SetCurSel(s_nSmsType);
    SetDlgItemText(IDC_SINGLE, m_strSingle);
    SetDlgItemText(IDC_SUBJECT, m_strSubject);
    CheckRadioButton(IDC_RADIO_SINGLE, IDC_RADIO_BATCH,
                     m_nBatch == 1 ? IDC_RADIO_BATCH : IDC_RADIO_SINGLE);
    m_text.SetWindowText(m_strText);
    SetDlgItemText(IDC_SENDER, m_sender.GetDisplayText());
    m_nSelectedRow = -1;
}

_CSms* CEditSmsForm::BuildSms(int nState, BOOL bSetState) {
    const CString errors = CheckInput();
    if (!errors.IsEmpty()) {
        AfxMessageBox(Text(217) + errors + Text(218), MB_OK | MB_ICONEXCLAMATION);
        return nullptr;
    }
    _CSms* pExisting = nullptr;
    if (m_bEditExisting && m_pDoc != nullptr)
        pExisting = dynamic_cast<_CSms*>(m_pDoc->GetCurrentMessageObject());
    // The box a new message goes into: the current box when it is an outbox or inside one, else
    // the outbox of the box's owner. Without one nothing is built and the form stays as it is.
    _CSmsBox* pTarget = nullptr;
    if (pExisting == nullptr) {
        auto* pBox = m_pDoc != nullptr ? dynamic_cast<_CSmsBox*>(m_pDoc->GetCurrentBoxObject())
                                       : nullptr;
        if (pBox != nullptr && !pBox->IsInBoxOfType(1)) {
            auto* pRoot = dynamic_cast<_CSmsBox*>(pBox->GetRootGroup());
            pBox = pRoot != nullptr ? dynamic_cast<_CSmsBox*>(pRoot->FindSubBoxByType(1)) : nullptr;
        }
        pTarget = pBox;
        if (pTarget == nullptr) {
            AfxMessageBox(Text(212), MB_OK | MB_ICONEXCLAMATION);
            return nullptr;
        }
    }
    _CSms* pSms = pExisting != nullptr ? pExisting : new _CSms("");
    ExchangeSms(pSms, TRUE);
    if (pSms->GetState() != _CSms::STATE_READ && pSms->GetState() != _CSms::STATE_UNREAD)
        pSms->SetTime(CTime::GetCurrentTime());
    if (bSetState)
        pSms->SetState(nState);
    if (pExisting != nullptr) {
        if (auto* pBox = dynamic_cast<_CSmsBox*>(pExisting->GetParent())) {
            pBox->RemoveMessage(pExisting, FALSE);
            pBox->AddSms(pExisting);
        }
    } else {
        pTarget->AddSms(pSms);
    }
    if (m_pDoc != nullptr) {
        m_pDoc->UpdateAllViews(nullptr);
        m_pDoc->SetModifiedFlag(TRUE);
    }
    if (CWnd* pParent = GetParent())
        pParent->SendMessage(WM_DOC_CHANGED);
    return pSms;
}

// ---- Commands ---------------------------------------------------------------------------------

void CEditSmsForm::OnSend() {
    _CSms* pSms = BuildSms(_CSms::STATE_PENDING, TRUE);
    if (pSms == nullptr)
        return;
    const int nRecipients = pSms->m_bBatch ? (int)pSms->m_batchList.GetCount() : 1;
    _CSender* pSender = CurrentSender();
    HWND hReturn = m_pReturnWnd != nullptr ? m_pReturnWnd->GetSafeHwnd() : nullptr;
    EndWriting();
    if (pSender == nullptr || !SendSmsNow(pSender, pSms, nRecipients))
        return;
    // The pane came back before the message left the outbox for the sent box: the window that
    // opened the form shows its item and its counts again.
    if (hReturn != nullptr && ::IsWindow(hReturn)) {
        ::SendMessage(hReturn, WM_VIEW_BUSY, 300, 0);
        CWnd::FromHandle(hReturn)->Invalidate();
    }
}

void CEditSmsForm::OnSavePending() {
    if (BuildSms(_CSms::STATE_PENDING, TRUE) != nullptr)
        EndWriting();
}

void CEditSmsForm::OnSaveDraft() {
    if (BuildSms(_CSms::STATE_DRAFT, TRUE) != nullptr)
        EndWriting();
}

void CEditSmsForm::OnConfirm() {
    const BOOL bNew = !m_bEditExisting;
    if (BuildSms(_CSms::STATE_PENDING, bNew) != nullptr)
        EndWriting();
}

void CEditSmsForm::OnDiscard() {
    if (AfxMessageBox(Text(916), MB_YESNO | MB_ICONQUESTION) == IDYES)
        EndWriting();
}

void CEditSmsForm::OnUpdateCommand(CCmdUI* pCmdUI) {
    const int nRows = m_batchList.GetSafeHwnd() != nullptr ? m_batchList.GetItemCount() : 0;
    switch (pCmdUI->m_nID) {
    case ID_SEND_MAIL:
        pCmdUI->Enable(GetOption(OptEmail) && nRows > 0);
        break;
    case ID_EXPORT_RECIPIENTS:
        pCmdUI->Enable(nRows > 0);
        break;
    case ID_SEND:
        pCmdUI->Enable(!m_bMailMode && CurrentSender() != nullptr);
        break;
    case ID_CONFIRM:
    case ID_SAVE_PENDING:
    case ID_SAVE_DRAFT:
        pCmdUI->Enable(!m_bMailMode);
        break;
    case ID_RELOAD:
        pCmdUI->Enable(m_bEditExisting);
        break;
    default:
        pCmdUI->Enable(TRUE);
        break;
    }
}

void CEditSmsForm::OnExportRecipients() {
    const int nRows = m_batchList.GetItemCount();
    if (nRows == 0)
        return;
    CFileDialog dlg(FALSE, "txt", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, kRecipientFilter,
                    this);
    if (dlg.DoModal() != IDOK)
        return;
    const int nColumns = m_batchList.GetHeaderCtrl()->GetItemCount();
    CString text;
    for (int i = 0; i < nRows; ++i) {
        if (i > 0)
            text += "\n";
        for (int c = 0; c < nColumns; ++c) {
            if (c > 0)
                text += ",";
            text += m_batchList.GetItemText(i, c);
        }
    }
    WriteTextFile(dlg.GetPathName(), [&text](CStdioFile& file) { file.WriteString(text); });
}

void CEditSmsForm::OnImportRecipients() {
    CFileDialog dlg(TRUE, "txt", nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, kRecipientFilter,
                    this);
    if (dlg.DoModal() != IDOK)
        return;
    CStringList lines;
    if (!ReadLines(dlg.GetPathName(), lines))
        return;
    const int nColumns = m_batchList.GetHeaderCtrl()->GetItemCount();
    m_batchList.SetRedraw(FALSE);
    for (POSITION pos = lines.GetHeadPosition(); pos != nullptr;) {
        const CString& line = lines.GetNext(pos);
        if (line.IsEmpty())
            continue;
        CStringList fields;
        SplitString(line, fields, ",");
        // Imported rows are taken as they stand: none of the checks applies.
        POSITION f = fields.GetHeadPosition();
        const int nRow = m_batchList.InsertItem(m_batchList.GetItemCount(), fields.GetNext(f));
        for (int c = 1; c < nColumns && f != nullptr; ++c)
            m_batchList.SetItemText(nRow, c, fields.GetNext(f));
    }
    m_batchList.SetRedraw(TRUE);
    ForgetNumbers();
    UpdateRowCount();
}

void CEditSmsForm::OnSendMail() {
    const CString list = GetMailAddressList();
    if (list.IsEmpty())
        return;
    const INT_PTR result =
        ShellExecute(GetSafeHwnd(), "open", "mailto:" + list, nullptr, nullptr, SW_SHOWNORMAL);
    if (result <= 32)
        ShowMailtoFailure(result);
}

void CEditSmsForm::OnMailInfo() {
    if (!GetOption(OptEmail))
        return;
    CString list;
    for (int i = 0; i < m_batchList.GetItemCount(); ++i) {
        const CString address = m_batchList.GetItemText(i, 2);
        if (address.IsEmpty())
            continue;
        if (!list.IsEmpty())
            list += ";";
        if (GetOption(OptNames))
            list += "\"" + m_batchList.GetItemText(i, 0) + "\"<" + address + ">";
        else
            list += address;
    }
    if (list.IsEmpty())
        return;
    CDlgViewInfo dlg(this);
    dlg.m_strText = list;
    dlg.DoModal();
}

void CEditSmsForm::OnGenerator() {
    CDlgGenerateGroupNumber dlg(this, this);
    m_batchList.SetRedraw(FALSE);
    dlg.DoModal();
    m_batchList.SetRedraw(TRUE);
    UpdateRowCount();
}

void CEditSmsForm::OnPhrases() {
    CDlgMessageBank dlg(this);
    if (dlg.DoModal() == IDOK) {
        m_text.ReplaceSel(dlg.m_strSelected, TRUE);
        UpdateCounts();
    }
}

void CEditSmsForm::OnSize(UINT nType, int cx, int cy) {
    CFormView::OnSize(nType, cx, cy);
    if (m_batchList.GetSafeHwnd() == nullptr || cx <= 0 || cy <= 0)
        return;
    // The template's places are the smallest layout (the form scrolls below it). Room beyond it
    // goes to the recipients and the text: the right column keeps to the right edge, the batch
    // list takes 0.6 of the extra height and the text the rest, both the extra width.
    if (m_places.empty()) {
        for (CWnd* p = GetWindow(GW_CHILD); p != nullptr; p = p->GetWindow(GW_HWNDNEXT)) {
            CRect rc;
            p->GetWindowRect(&rc);
            ScreenToClient(&rc);
            rc.OffsetRect(GetScrollPosition());
            m_places.push_back({p->GetSafeHwnd(), rc});
        }
        CRect options;
        GetDlgItem(IDC_OPTIONS)->GetWindowRect(&options);
        ScreenToClient(&options);
        m_nRightColumn = options.left + GetScrollPosition().x;
        CRect phrases;
        GetDlgItem(IDC_PHRASES)->GetWindowRect(&phrases);
        ScreenToClient(&phrases);
        m_nCountsTop = phrases.top + GetScrollPosition().y;
    }
    const CSize total = GetTotalSize();
    const int dx = std::max(0, cx - total.cx);
    const int dy = std::max(0, cy - total.cy);
    const int dyList = dy * 6 / 10;
    for (const SPlace& place : m_places) {
        CWnd* p = CWnd::FromHandle(place.hWnd);
        if (p == nullptr || !::IsWindow(place.hWnd))
            continue;
        CRect rc = place.rect;
        const UINT id = (UINT)p->GetDlgCtrlID();
        if (id == IDC_TEXT) {
            rc.top += dyList;
            rc.right += dx;
            rc.bottom += dy;
        } else if (rc.top >= m_nCountsTop) {
            // The counts row and the phrase button above the text.
            rc.OffsetRect(rc.left >= m_nRightColumn ? dx : 0, dyList);
        } else if (rc.left >= m_nRightColumn) {
            rc.OffsetRect(dx, 0); // the right column
        } else if (id == IDC_SINGLE) {
            rc.right += dx;
        } else if (id == IDC_BATCH) {
            rc.right += dx;
            rc.bottom += dyList;
        }
        rc.OffsetRect(-GetScrollPosition());
        p->MoveWindow(&rc, FALSE);
    }
    Invalidate();
}
