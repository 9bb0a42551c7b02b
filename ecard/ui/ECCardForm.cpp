#include "ecard/ui/ECCardForm.h"

#include "ecard/ECRequest.h"
#include "ecard/ECUserDoc.h"
#include "ecard/ui/ECContactsTreeView.h"
#include "platform/gui/Frame.h"
#include "platform/gui/Icon.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/TabCtrl.h"

#include <iterator>

namespace {

// The controls each page makes read-only beside its base page's own handling (0 ends a list).
const UINT kPersonEdits[] = {1022, 1038, 1041, 1043, 1044, 1050, 0};
const UINT kPersonCombos[] = {1018, 1016, 1017, 1019, 1020, 0};
const UINT kHomeEdits[] = {1046, 1052, 1049, 1050, 1051, 0};
const UINT kHomeCombos[] = {1043, 1045, 1044, 1047, 1061, 0};
const UINT kUnitEdits[] = {1021, 1046, 1052, 1055, 1053, 1056, 1050, 0};
const UINT kUnitCombos[] = {1043, 1045, 1044, 1014, 1015, 1061, 1054, 1017, 0};
const UINT kCommaddrEdits[] = {1046, 1006, 1037, 0};
const UINT kOtherEdits[] = {1037, 0};
const UINT kStateEdits[] = {1254, 1253, 1037, 0};
const UINT kNone[] = {0};

const UINT kTabIcons[] = {538, 163, 157, 161, 162, 165};

} // namespace

// ---- state page ----

BEGIN_MESSAGE_MAP(CPageECState, CContactPropertyPage)
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CPageECState::CPageECState() : CContactPropertyPage(IDD, 0) {
    CContactPropertyPage::SetReadOnly(TRUE);
}

BOOL CPageECState::OnInitDialog() {
    CContactPropertyPage::OnInitDialog();
    ApplyReadOnly();
    return TRUE;
}

void CPageECState::SetReadOnly(BOOL bReadOnly) {
    CContactPropertyPage::SetReadOnly(bReadOnly);
    ApplyReadOnly();
}

void CPageECState::ApplyReadOnly() {
    if (GetSafeHwnd() == nullptr)
        return;
    SetEditsReadOnly(kStateEdits, IsReadOnly());
    // The number is the service's: never typed.
    if (CWnd* pNumber = GetDlgItem((int)IDC_NUMBER))
        pNumber->SendMessage(EM_SETREADONLY, TRUE, 0);
    if (CWnd* pLabel = GetDlgItem((int)IDC_DISPLAY_NAME_LABEL))
        pLabel->Invalidate();
}

void CPageECState::ExchangeState(CECContact& contact, BOOL bToPage) {
    if (bToPage) {
        m_loading = TRUE;
        CString number;
        number.Format("%u", contact.m_nUid);
        SetDlgItemText((int)IDC_NUMBER, number);
        m_strShownName = GetContactLabel(contact);
        SetDlgItemText((int)IDC_DISPLAY_NAME, m_strShownName);
        SetDlgItemText((int)IDC_LOCATION, contact.m_strLocation);
        SetDlgItemText((int)IDC_ACTION, contact.m_strAction);
        SetDlgItemText((int)IDC_NOTE, contact.m_strNote);
        m_loading = FALSE;
        return;
    }
    CString text;
    GetDlgItemText((int)IDC_DISPLAY_NAME, text);
    // The user name shown in place of a missing name stays the service's.
    if (text != m_strShownName || !contact.GetName().IsEmpty())
        contact.SetName(text);
    if (IsReadOnly())
        return;
    GetDlgItemText((int)IDC_LOCATION, contact.m_strLocation);
    GetDlgItemText((int)IDC_ACTION, contact.m_strAction);
    GetDlgItemText((int)IDC_NOTE, contact.m_strNote);
}

void CPageECState::OnDataChanged() {
    // The display name stays editable on a read-only card (it is the local name of the contact).
    CPropertyPageExt::SetChanged(TRUE);
}

HBRUSH CPageECState::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    HBRUSH hbr = CContactPropertyPage::OnCtlColor(pDC, pWnd, nCtlColor);
    if (IsReadOnly() && pWnd != nullptr && pWnd->GetDlgCtrlID() == (int)IDC_DISPLAY_NAME_LABEL) {
        pDC->SetTextColor(kReadOnlyLabel);
        pDC->SetBkMode(TRANSPARENT);
        return (HBRUSH)::GetStockObject(HOLLOW_BRUSH);
    }
    return hbr;
}

// ---- other page ----

CPageECOther::CPageECOther() : CECContactPage<CPageOther>(kOtherEdits, kNone) {}

void CPageECOther::ApplyReadOnly() {
    CECContactPage<CPageOther>::ApplyReadOnly();
    if (CWnd* pNew = GetSafeHwnd() != nullptr ? GetDlgItem((int)IDC_NEW) : nullptr)
        pNew->EnableWindow(!IsReadOnly());
}

// ---- sheet ----

BEGIN_MESSAGE_MAP(CPSheetECPerson, CPropertySheet)
ON_MESSAGE(WM_PAGEEXT_CHANGED, &CPSheetECPerson::OnPageChanged)
END_MESSAGE_MAP()

CPSheetECPerson::CPSheetECPerson()
    : CPropertySheet(""), m_pagePerson(kPersonEdits, kPersonCombos),
      m_pageHome(kHomeEdits, kHomeCombos), m_pageUnit(kUnitEdits, kUnitCombos),
      m_pageCommaddr(kCommaddrEdits, kNone) {
    for (int i = 0; i < PAGE_COUNT; ++i)
        AddPage(Page(i));
}

CPSheetECPerson::~CPSheetECPerson() {
    if (m_hWnd)
        DestroyWindow();
}

CContactPropertyPage* CPSheetECPerson::Page(int nIndex) {
    CContactPropertyPage* pages[] = {&m_pageState, &m_pagePerson,   &m_pageHome,
                                     &m_pageUnit,  &m_pageCommaddr, &m_pageOther};
    return nIndex >= 0 && nIndex < PAGE_COUNT ? pages[nIndex] : nullptr;
}

BOOL CPSheetECPerson::OnInitDialog() {
    CPropertySheet::OnInitDialog();
    SetSheetTabIcons(*this, m_pTabImages, kTabIcons, (int)std::size(kTabIcons));
    return TRUE;
}

BOOL CPSheetECPerson::PreTranslateMessage(MSG* pMsg) {
    if (m_bLocked && pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST)
        return TRUE;
    return CPropertySheet::PreTranslateMessage(pMsg);
}

void CPSheetECPerson::Exchange(CECContact& contact, BOOL bToPages) {
    _CPersonInfo& info = contact.GetInfo();
    m_pageState.ExchangeState(contact, bToPages);
    if (!bToPages && m_bReadOnly)
        return;
    m_pagePerson.ExchangePersonal(info.m_personal, bToPages);
    m_pageHome.ExchangeHome(info.m_home, bToPages);
    m_pageUnit.ExchangeWork(info.m_work, bToPages);
    m_pageCommaddr.ExchangeCurrentAddress(info.m_address, bToPages);
    m_pageOther.ExchangeOther(info.m_other, bToPages);
}

void CPSheetECPerson::SetReadOnly(BOOL bReadOnly) {
    m_bReadOnly = bReadOnly;
    for (int i = 0; i < PAGE_COUNT; ++i)
        Page(i)->SetReadOnly(bReadOnly);
}

BOOL CPSheetECPerson::IsModified() {
    for (int i = 0; i < PAGE_COUNT; ++i)
        if (Page(i)->IsChanged())
            return TRUE;
    return FALSE;
}

void CPSheetECPerson::SetModified(BOOL bModified) {
    for (int i = 0; i < PAGE_COUNT; ++i)
        Page(i)->SetChanged(bModified);
}

int CPSheetECPerson::GetFieldPage(int nField) {
    if (nField >= 1000 && nField <= 1004)
        return PAGE_STATE;
    const int n = CPSheetNamebook::GetFieldPage(nField);
    return n < 0 || n > CPSheetNamebook::PAGE_OTHER ? -1 : n + 1;
}

BOOL CPSheetECPerson::ShowField(int nField) {
    const int nTarget = GetFieldPage(nField);
    if (nTarget < 0 || !m_hWnd)
        return FALSE;
    for (int nActive = GetActiveIndex(); nActive != nTarget;) {
        SendMessage(PSM_PRESSBUTTON, nActive < nTarget ? PSBTN_NEXT : PSBTN_BACK, 0);
        const int nNow = GetActiveIndex();
        if (nNow == nActive)
            return FALSE;
        nActive = nNow;
    }
    if (nTarget == PAGE_STATE) {
        static const UINT kStateControls[] = {CPageECState::IDC_NUMBER,
                                              CPageECState::IDC_DISPLAY_NAME,
                                              CPageECState::IDC_LOCATION, CPageECState::IDC_ACTION,
                                              CPageECState::IDC_NOTE};
        if (CWnd* pCtrl = m_pageState.GetDlgItem((int)kStateControls[nField - 1000]))
            pCtrl->SetFocus();
        return TRUE;
    }
    return Page(nTarget)->FocusField(nField);
}

LRESULT CPSheetECPerson::OnPageChanged(WPARAM wParam, LPARAM lParam) {
    // Only a page's change report goes on; the sheet's own page selection shares the number.
    if (wParam != 100)
        return Default();
    if (CWnd* pParent = GetParent())
        pParent->SendMessage(WM_PAGEEXT_CHANGED, 100, lParam);
    return 0;
}

// ---- form ----

IMPLEMENT_DYNCREATE(CFormECPerson, CView)

BEGIN_MESSAGE_MAP(CFormECPerson, CView)
ON_WM_SIZE()
ON_COMMAND(CFormECPerson::ID_CONFIRM, &CFormECPerson::OnCmdConfirm)
ON_COMMAND(CFormECPerson::ID_DISCARD, &CFormECPerson::OnCmdDiscard)
ON_COMMAND(CFormECPerson::ID_DOWNLOAD_CARD, &CFormECPerson::OnCmdDownload)
ON_UPDATE_COMMAND_UI(CFormECPerson::ID_CONFIRM, &CFormECPerson::OnUpdateModified)
ON_UPDATE_COMMAND_UI(CFormECPerson::ID_DISCARD, &CFormECPerson::OnUpdateModified)
ON_UPDATE_COMMAND_UI(CFormECPerson::ID_DOWNLOAD_CARD, &CFormECPerson::OnUpdateDownload)
ON_UPDATE_COMMAND_UI(CFormECPerson::ID_GO_UP, &CFormECPerson::OnUpdateGoUp)
ON_MESSAGE(WM_EC_SHOW_FIELD, &CFormECPerson::OnShowField)
ON_MESSAGE(WM_PAGEEXT_CHANGED, &CFormECPerson::OnSheetChanged)
END_MESSAGE_MAP()

CFormECPerson::CFormECPerson() = default;

CFormECPerson::~CFormECPerson() = default;

CECUserDoc* CFormECPerson::GetUserDoc() const {
    return dynamic_cast<CECUserDoc*>(GetDocument());
}

BOOL CFormECPerson::IsOwnCard() const {
    CECUserDoc* pDoc = GetUserDoc();
    return pDoc != nullptr && m_pContact == &pDoc->GetUser();
}

CWnd* CFormECPerson::Tree() {
    CWnd* pOwner = GetOwner();
    return pOwner != nullptr ? pOwner : GetParent();
}

void CFormECPerson::OnInitialUpdate() {
    if (m_bFirstUpdate)
        return;
    m_bFirstUpdate = TRUE;
    CreateSheet();
    LoadCard();
}

void CFormECPerson::CreateSheet() {
    if (m_sheet.GetSafeHwnd() != nullptr)
        return;
    if (!m_sheet.Create(this, WS_CHILD | WS_VISIBLE, 0))
        return;
    m_sheet.SetDlgCtrlID((int)IDC_SHEET);
    CRect rc;
    GetClientRect(&rc);
    m_sheet.MoveWindow(&rc);
    // Every page window is made once, so that a load reaches all six.
    const int nPages = m_sheet.GetPageCount();
    for (int i = 1; i < nPages; ++i)
        m_sheet.PressButton(PSBTN_NEXT);
    for (int i = 1; i < nPages; ++i)
        m_sheet.PressButton(PSBTN_BACK);
    m_sheet.SetModified(FALSE);
}

void CFormECPerson::OnSize(UINT nType, int cx, int cy) {
    CView::OnSize(nType, cx, cy);
    if (m_sheet.GetSafeHwnd() == nullptr || cx <= 0 || cy <= 0)
        return;
    m_sheet.SetWindowPos(nullptr, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
    if (CTabCtrl* pTab = m_sheet.GetTabControl()) {
        CRect tab;
        pTab->GetWindowRect(&tab);
        m_sheet.ScreenToClient(&tab);
        const int margin = tab.left > 0 ? tab.left : 0;
        tab.right = tab.left + 1 > cx - margin ? tab.left + 1 : cx - margin;
        tab.bottom = tab.top + 1 > cy - margin ? tab.top + 1 : cy - margin;
        pTab->MoveWindow(&tab);
        if (m_sheet.GetActiveIndex() >= 0)
            m_sheet.SetActivePage(m_sheet.GetActiveIndex());
    }
}

void CFormECPerson::OnDraw(CDC*) {}

void CFormECPerson::LoadCard() {
    CECUserDoc* pDoc = GetUserDoc();
    m_pContact = pDoc != nullptr ? pDoc->GetCurrentContact() : nullptr;
    if (m_pContact == nullptr || m_sheet.GetSafeHwnd() == nullptr)
        return;
    m_sheet.SetReadOnly(!IsOwnCard());
    m_sheet.Exchange(*m_pContact, TRUE);
    m_sheet.SetModified(FALSE);
}

void CFormECPerson::OnUpdate(CView* pSender, LPARAM lHint, CObject*) {
    if (pSender == this || (lHint != 0 && (lHint & 0x100) == 0))
        return;
    CreateSheet();
    LoadCard();
}

void CFormECPerson::Confirm() {
    CECUserDoc* pDoc = GetUserDoc();
    if (m_pContact == nullptr || pDoc == nullptr || !m_sheet.IsModified())
        return;
    if (IsOwnCard()) {
        CECUser& user = pDoc->GetUser();
        // The upload copy carries the edits; the card itself changes when the service took them.
        user.GetUploadCard().CopyFrom(&user);
        m_sheet.Exchange(user.GetUploadCard(), FALSE);
        user.GetUploadCard().m_nUid = user.m_nUid;
        user.BeginRequest(this);
        if (user.StartUserInfoOperation(EC_OP_UPLOAD_CARD) != 0)
            AfxMessageBox("创建与服务器的会话失败！", MB_OK | MB_ICONSTOP);
        return;
    }
    m_sheet.Exchange(*m_pContact, FALSE);
    pDoc->SetModifiedFlag(TRUE);
    m_sheet.SetModified(FALSE);
    if (CWnd* pTree = Tree())
        pTree->SendMessage(WM_EC_CARD_EDIT, 102, ID_CONFIRM);
}

void CFormECPerson::Discard() {
    if (m_pContact == nullptr || !m_sheet.IsModified())
        return;
    CString question;
    question.LoadString(916);
    if (AfxMessageBox(question, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    m_sheet.Exchange(*m_pContact, TRUE);
    m_sheet.SetModified(FALSE);
    if (CWnd* pTree = Tree())
        pTree->SendMessage(WM_EC_CARD_EDIT, 102, ID_DISCARD);
}

void CFormECPerson::DownloadCard() {
    CECUserDoc* pDoc = GetUserDoc();
    if (pDoc == nullptr || pDoc->GetUser().IsBusy())
        return;
    pDoc->GetUser().BeginRequest(this);
    if (pDoc->GetUser().StartUserInfoOperation(EC_OP_DOWNLOAD_CARD) != 0)
        AfxMessageBox("创建与服务器的会话失败！", MB_OK | MB_ICONSTOP);
}

void CFormECPerson::OnECSessionBegin(CECUser*) {
    m_sheet.SetLocked(TRUE);
    EnableWindow(FALSE);
}

void CFormECPerson::OnECSessionResult(CECUser* pUser, int nResult) {
    if (nResult != 0) {
        AfxMessageBox(pUser->GetErrorText(nResult), MB_OK | MB_ICONSTOP);
        return;
    }
    CECUserDoc* pDoc = GetUserDoc();
    switch (pUser->GetOperation()) {
    case EC_OP_UPLOAD_CARD:
        if (m_pContact == pUser) {
            m_sheet.Exchange(*pUser, FALSE);
            m_sheet.SetModified(FALSE);
        }
        if (pDoc != nullptr)
            pDoc->SetModifiedFlag(TRUE);
        if (CWnd* pTree = Tree())
            pTree->SendMessage(WM_EC_CARD_EDIT, 102, ID_CONFIRM);
        break;
    case EC_OP_DOWNLOAD_CARD:
        if (pDoc != nullptr)
            pDoc->SetModifiedFlag(TRUE);
        LoadCard();
        break;
    default:
        break;
    }
}

void CFormECPerson::OnECSessionEnd(CECUser*) {
    m_sheet.SetLocked(FALSE);
    EnableWindow(TRUE);
}

void CFormECPerson::OnUpdateModified(CCmdUI* pCmdUI) {
    pCmdUI->Enable(m_pContact != nullptr && m_sheet.GetSafeHwnd() != nullptr &&
                   m_sheet.IsModified());
}

void CFormECPerson::OnUpdateDownload(CCmdUI* pCmdUI) {
    CECUserDoc* pDoc = GetUserDoc();
    pCmdUI->Enable(pDoc != nullptr && !pDoc->GetUser().IsBusy());
}

void CFormECPerson::OnUpdateGoUp(CCmdUI* pCmdUI) {
    // Leaving the card is refused while it holds edits; the tree does the going up.
    if (m_sheet.GetSafeHwnd() != nullptr && m_sheet.IsModified())
        pCmdUI->Enable(FALSE);
    else
        pCmdUI->ContinueRouting();
}

LRESULT CFormECPerson::OnShowField(WPARAM wParam, LPARAM) {
    return m_sheet.GetSafeHwnd() != nullptr && m_sheet.ShowField((int)wParam);
}

LRESULT CFormECPerson::OnSheetChanged(WPARAM wParam, LPARAM lParam) {
    if (wParam == 100)
        if (CWnd* pTree = Tree())
            pTree->SendMessage(WM_EC_CARD_EDIT, 100, lParam);
    return 0;
}

BOOL CFormECPerson::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    if (CView::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    if (m_sheet.GetSafeHwnd() != nullptr)
        if (CPropertyPage* pPage = m_sheet.GetActivePage())
            return pPage->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
    return FALSE;
}
