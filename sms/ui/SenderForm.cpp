#include "sms/ui/SenderForm.h"

#include "platform/gui/Frame.h"
#include "platform/gui/Menu.h"

#include "core/QuillmarBaseDoc.h"
#include "platform/base/OsPath.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/Dc.h"
#include "platform/sys/Sound.h"
#include "sms/SenderDoc.h"
#include "sms/SmsDll.h"
#include "core/FileUtil.h"
#include "ui/GroupTreeView.h"
#include "ui/KovRichEditCtrl.h"

#include <algorithm>
#include <climits>
#include <vector>

namespace {
std::vector<CString>& TrustedLibraries() {
    static std::vector<CString> s_paths;
    return s_paths;
}
} // namespace

// ---- The page base ---------------------------------------------------------------------------

CSenderPageBase::CSenderPageBase(UINT nIDTemplate, int nBit, LPCTSTR lpszTitle)
    : CKovPropertyPage(nIDTemplate), m_nBit(nBit), m_strTitle(lpszTitle) {
    SetPageId(nBit);
}

BOOL CSenderPageBase::OnInitDialog() {
    m_bLoading = TRUE;
    BOOL b = CKovPropertyPage::OnInitDialog();
    m_bLoading = FALSE;
    UpdateEnabling();
    return b;
}

BOOL CSenderPageBase::OnSetActive() {
    auto* pSheet = dynamic_cast<CPropertySheet*>(GetParent());
    if (pSheet != nullptr && pSheet->IsWizard()) {
        const int i = pSheet->GetPageIndex(this);
        const BOOL bLast = i == pSheet->GetPageCount() - 1;
        pSheet->SetWizardButtons((i > 0 ? PSWIZB_BACK : 0) | (bLast ? PSWIZB_FINISH : PSWIZB_NEXT));
    }
    return CKovPropertyPage::OnSetActive();
}

BOOL CSenderPageBase::OnWizardFinish() {
    return UpdateData(TRUE) && CKovPropertyPage::OnWizardFinish();
}

void CSenderPageBase::Exchange(SSenderAccountRecord& record, BOOL bToPage) {
    if (bToPage) {
        CopyFields(record, TRUE);
        if (GetSafeHwnd() != nullptr) {
            m_bLoading = TRUE;
            UpdateData(FALSE);
            m_bLoading = FALSE;
            UpdateEnabling();
        }
    } else {
        if (GetSafeHwnd() != nullptr)
            UpdateData(TRUE);
        CopyFields(record, FALSE);
    }
}

BOOL CSenderPageBase::OnCommand(WPARAM wParam, LPARAM lParam) {
    BOOL bHandled = CKovPropertyPage::OnCommand(wParam, lParam);
    const UINT code = HIWORD(wParam);
    if (!m_bLoading && lParam != 0 && ChangesData(LOWORD(wParam)) &&
        (code == EN_CHANGE || code == BN_CLICKED || code == CBN_SELCHANGE ||
         code == CBN_EDITCHANGE)) {
        UpdateEnabling();
        if (!IsPageModified())
            SetPageModified(TRUE, TRUE);
    }
    return bHandled;
}

void CSenderPageBase::FillCombo(int nID, std::initializer_list<const char*> items) {
    if (auto* pCombo = dynamic_cast<CComboBox*>(GetDlgItem(nID))) {
        pCombo->ResetContent();
        for (const char* item : items)
            pCombo->AddString(item);
    }
}

// ---- Person ----------------------------------------------------------------------------------

void CPageSenderPersonInfo::DoDataExchange(CDataExchange* pDX) {
    DDX_Text(pDX, IDC_NAME, m_strText[SENDER_NAME]);
    DDX_Text(pDX, IDC_SIGNATURE, m_strText[SENDER_SIGNATURE]);
    DDX_Text(pDX, IDC_EMAIL, m_strText[SENDER_EMAIL]);
    DDX_Text(pDX, IDC_ORG, m_strText[SENDER_ORGANISATION]);
    DDX_Text(pDX, IDC_NOTES, m_strText[SENDER_REMARKS]);
    DDX_Check(pDX, IDC_LOAD_AT_START, m_bLoadAtStart);
}

void CPageSenderPersonInfo::CopyFields(SSenderAccountRecord& record, BOOL bToPage) {
    if (bToPage) {
        for (int i = 0; i < SAccountPersonInfo::kTextCount; ++i)
            m_strText[i] = record.m_person.m_strText[i];
        m_bLoadAtStart = record.m_person.m_dwValue != 0;
    } else {
        for (int i = 0; i < SAccountPersonInfo::kTextCount; ++i)
            record.m_person.m_strText[i] = m_strText[i];
        record.m_person.m_dwValue = m_bLoadAtStart ? 1 : 0;
    }
}

// ---- Phone -----------------------------------------------------------------------------------

BOOL CPageSenderMobileInfo::OnInitDialog() {
    FillCombo(IDC_TYPE, {"中文", "英文"});
    FillCombo(IDC_NETWORK, {"中国移动GSM", "中国联通GSM", "中国联通CDMA"});
    return CSenderPageBase::OnInitDialog();
}

void CPageSenderMobileInfo::DoDataExchange(CDataExchange* pDX) {
    DDX_CBString(pDX, IDC_BRAND, m_info.m_strBrand);
    DDX_CBIndex(pDX, IDC_TYPE, m_info.m_nPhoneType);
    DDX_CBString(pDX, IDC_MODEL, m_info.m_strModel);
    DDX_Text(pDX, IDC_NUMBER, m_info.m_strMobileNumber);
    DDX_CBIndex(pDX, IDC_NETWORK, m_info.m_nNetwork);
    DDX_Text(pDX, IDC_NOTES, m_info.m_strRemarks);
}

void CPageSenderMobileInfo::CopyFields(SSenderAccountRecord& record, BOOL bToPage) {
    if (bToPage)
        m_info = record.m_mobile;
    else
        record.m_mobile = m_info;
}

// ---- Servers ---------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CPageSenderSmsServer, CSenderPageBase)
ON_BN_CLICKED(IDC_DEFAULTS, &CPageSenderSmsServer::OnDefaults)
ON_MESSAGE(WM_VIEW_BUSY, &CPageSenderSmsServer::OnBusy)
END_MESSAGE_MAP()

void CPageSenderSmsServer::DoDataExchange(CDataExchange* pDX) {
    DDX_CBString(pDX, IDC_SEND_SERVER, m_servers.m_strSendServer);
    DDX_Text(pDX, IDC_SEND_PORT, m_servers.m_nSendPort);
    DDX_Text(pDX, IDC_RECV_SERVER, m_servers.m_strRecvServer);
    DDX_Text(pDX, IDC_RECV_PORT, m_servers.m_nRecvPort);
    DDX_Check(pDX, IDC_SAME, m_servers.m_bRecvSameAsSend);
}

void CPageSenderSmsServer::CopyFields(SSenderAccountRecord& record, BOOL bToPage) {
    if (bToPage) {
        m_servers = record.m_servers;
        // The next showing reads the gateway list again.
        if (auto* pCombo = dynamic_cast<CComboBox*>(GetDlgItem(IDC_SEND_SERVER)))
            pCombo->ResetContent();
        m_strLoadedPath.Empty();
    } else {
        record.m_servers = m_servers;
    }
}

void CPageSenderSmsServer::UpdateEnabling() {
    BOOL bSame = IsDlgButtonChecked(IDC_SAME) != 0;
    for (int id : {(int)IDC_RECV_SERVER, (int)IDC_RECV_PORT})
        if (CWnd* p = GetDlgItem(id))
            p->EnableWindow(!bSame);
}

void CPageSenderSmsServer::OnDefaults() {
    SetDlgItemText(IDC_SEND_SERVER, "");
    SetDlgItemInt(IDC_SEND_PORT, SSenderServers::kDefaultPort, FALSE);
    CheckDlgButton(IDC_SAME, 1);
    UpdateEnabling();
    SetPageModified(TRUE, TRUE);
}

LRESULT CPageSenderSmsServer::OnBusy(WPARAM wParam, LPARAM) {
    if (wParam == 300)
        RefreshGateways();
    return 0;
}

void CPageSenderSmsServer::RefreshGateways() {
    if (m_pSendPage == nullptr)
        return;
    CString path;
    if (m_pSendPage->GetSafeHwnd() != nullptr)
        m_pSendPage->GetDlgItemText(CPageSenderSendScheme::IDC_LIBRARY, path);
    else
        path = m_pSendPage->m_strLibrary;
    if (path.CompareNoCase(m_strLoadedPath) == 0 && !m_strLoadedPath.IsEmpty())
        return;
    auto* pCombo = dynamic_cast<CComboBox*>(GetDlgItem(IDC_SEND_SERVER));
    if (pCombo == nullptr)
        return;
    CString text;
    pCombo->GetWindowText(text);
    pCombo->ResetContent();
    pCombo->SetWindowText(text);
    // A library named by a file the user opened runs only once the user chose or confirmed it;
    // until then the page keeps asking.
    m_strLoadedPath.Empty();
    if (path.IsEmpty() || !CPageSenderSendScheme::IsTrustedLibrary(path))
        return;
    m_strLoadedPath = path;
    CSmsDll dll;
    CStringList list;
    if (!dll.Load(path) || dll.GetGatewayList(list) <= 0)
        return;
    for (POSITION pos = list.GetHeadPosition(); pos != nullptr;)
        pCombo->AddString(list.GetNext(pos));
    pCombo->SetWindowText(text);
}

// ---- Gateway account -------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CPageSenderAccount, CSenderPageBase)
ON_BN_CLICKED(IDC_MANAGE, &CPageSenderAccount::OnManage)
END_MESSAGE_MAP()

void CPageSenderAccount::OnManage() {
    // The account menu of the senders tree holds the gateway commands in its one sub-menu.
    CMenu menu;
    if (!menu.LoadMenu(398))
        return;
    CMenu* pAccount = menu.GetSubMenu(0);
    CMenu* pPopup = nullptr;
    for (int i = 0; pAccount != nullptr && pPopup == nullptr && i < pAccount->GetMenuItemCount();
         ++i)
        pPopup = pAccount->GetSubMenu(i);
    CWnd* pButton = GetDlgItem(IDC_MANAGE);
    if (pPopup == nullptr || pButton == nullptr)
        return;
    CRect rc;
    pButton->GetWindowRect(&rc);
    CWnd* pFrame = GetTopLevelFrame();
    pPopup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, rc.left, rc.bottom,
                           pFrame != nullptr ? pFrame : this);
}

BOOL CPageSenderAccount::OnInitDialog() {
    FillCombo(IDC_ACTION, {"保存到服务器", "转发给本人手机(收方收费),若成功则不再在服务器上保存",
                           "保存到服务器同时转发给本人手机(收方收费)"});
    return CSenderPageBase::OnInitDialog();
}

void CPageSenderAccount::DoDataExchange(CDataExchange* pDX) {
    DDX_Text(pDX, IDC_USER, m_remote.m_strUserId);
    DDX_Text(pDX, IDC_PASSWORD, m_remote.m_strPassword);
    DDX_CBIndex(pDX, IDC_ACTION, m_remote.m_nServerAction);
    DDX_Check(pDX, IDC_APPEND_SIGNATURE, m_remote.m_bAppendSignature);
    DDX_Check(pDX, IDC_APPEND_NUMBER, m_remote.m_bAppendOwnNumber);
    DDX_Text(pDX, IDC_SIGNATURE, m_remote.m_strSignature);
}

void CPageSenderAccount::CopyFields(SSenderAccountRecord& record, BOOL bToPage) {
    if (bToPage)
        m_remote = record.m_remote;
    else
        record.m_remote = m_remote;
}

void CPageSenderAccount::UpdateEnabling() {
    if (CWnd* p = GetDlgItem(IDC_SIGNATURE))
        p->EnableWindow(IsDlgButtonChecked(IDC_APPEND_SIGNATURE) != 0);
}

// ---- Sending plug-in -------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CPageSenderSendScheme, CSenderPageBase)
ON_BN_CLICKED(IDC_CHOOSE, &CPageSenderSendScheme::OnChoose)
ON_BN_CLICKED(IDC_DEFAULT, &CPageSenderSendScheme::OnDefault)
END_MESSAGE_MAP()

void CPageSenderSendScheme::TrustLibrary(const CString& path) {
    if (!path.IsEmpty() && !IsTrustedLibrary(path))
        TrustedLibraries().push_back(path);
}

BOOL CPageSenderSendScheme::IsTrustedLibrary(const CString& path) {
    for (const CString& p : TrustedLibraries())
        if (IsSameProgramPath(p, path))
            return TRUE;
    return FALSE;
}

void CPageSenderSendScheme::ForgetTrustedLibraries() {
    TrustedLibraries().clear();
}

void CPageSenderSendScheme::DoDataExchange(CDataExchange* pDX) {
    DDX_Text(pDX, IDC_LIBRARY, m_strLibrary);
}

void CPageSenderSendScheme::CopyFields(SSenderAccountRecord& record, BOOL bToPage) {
    if (bToPage) {
        m_strLibrary = record.m_send.m_strGatewayLibrary;
    } else {
        record.m_send.m_strGatewayLibrary = m_strLibrary;
        // Confirming the path is the user's own choice of it.
        TrustLibrary(m_strLibrary);
    }
}

void CPageSenderSendScheme::OnChoose() {
    CString filter = "动态链接库文件 (*.so)|*.so|动态链接库文件 (*.dll)|*.dll||";
    CFileDialog dlg(TRUE, "so", nullptr, OFN_HIDEREADONLY | OFN_NOCHANGEDIR, filter, this);
    if (dlg.DoModal() != IDOK)
        return;
    CString path = dlg.GetPathName();
    TrustLibrary(path);
    SetDlgItemText(IDC_LIBRARY, path);
}

void CPageSenderSendScheme::OnDefault() {
    SetDlgItemText(IDC_LIBRARY, "");
}

// ---- Receiving -------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CPageSenderRecvScheme, CSenderPageBase)
ON_CBN_SELCHANGE(IDC_UNIT, &CPageSenderRecvScheme::OnUnitChange)
ON_NOTIFY(UDN_DELTAPOS, IDC_SPIN, &CPageSenderRecvScheme::OnSpinDelta)
ON_BN_CLICKED(IDC_BROWSE, &CPageSenderRecvScheme::OnBrowse)
ON_BN_CLICKED(IDC_LISTEN, &CPageSenderRecvScheme::OnListen)
END_MESSAGE_MAP()

namespace {
// The interval's lower limit for the unit chosen in the combo: 5 seconds or 1 minute.
int IntervalLimit(CWnd* pPage) {
    SSenderReceiveScheme scheme;
    auto* pUnit = dynamic_cast<CComboBox*>(pPage->GetDlgItem(CPageSenderRecvScheme::IDC_UNIT));
    scheme.m_nIntervalUnit = pUnit != nullptr && pUnit->GetCurSel() == 1 ? 1 : 0;
    return scheme.GetMinimumInterval();
}
} // namespace

BOOL CPageSenderRecvScheme::OnInitDialog() {
    FillCombo(IDC_UNIT, {"分", "秒"});
    FillCombo(IDC_STORE, {"本发信人的收件箱", "已打开的通讯簿文件中找到的联系人的收件箱",
                          "以上两者都选(同时保存到本人及联系人的收信箱中)"});
    return CSenderPageBase::OnInitDialog();
}

void CPageSenderRecvScheme::DoDataExchange(CDataExchange* pDX) {
    DDX_Check(pDX, IDC_KEEP, m_receive.m_bKeepServerCopy);
    DDX_Check(pDX, IDC_AUTO, m_receive.m_bAutoReceive);
    DDX_Text(pDX, IDC_INTERVAL, m_receive.m_nInterval);
    DDX_CBIndex(pDX, IDC_UNIT, m_receive.m_nIntervalUnit);
    DDX_Check(pDX, IDC_SOUND, m_receive.m_bPlaySound);
    DDX_Radio(pDX, IDC_SOUND_DEFAULT, m_receive.m_nSoundChoice);
    DDX_Text(pDX, IDC_SOUND_PATH, m_receive.m_strSoundFile);
    DDX_CBIndex(pDX, IDC_STORE, m_receive.m_nStoreNewIn);
}

void CPageSenderRecvScheme::CopyFields(SSenderAccountRecord& record, BOOL bToPage) {
    if (bToPage) {
        m_receive = record.m_receive;
    } else {
        // An interval below the unit's limit is raised to it.
        m_receive.ApplyMinimumInterval();
        record.m_receive = m_receive;
    }
}

void CPageSenderRecvScheme::UpdateEnabling() {
    BOOL bAuto = IsDlgButtonChecked(IDC_AUTO) != 0;
    for (int id : {(int)IDC_INTERVAL, (int)IDC_SPIN, (int)IDC_UNIT})
        if (CWnd* p = GetDlgItem(id))
            p->EnableWindow(bAuto);
    BOOL bSound = IsDlgButtonChecked(IDC_SOUND) != 0;
    for (int id : {(int)IDC_SOUND_DEFAULT, (int)IDC_SOUND_FILE})
        if (CWnd* p = GetDlgItem(id))
            p->EnableWindow(bSound);
    const BOOL bFile = bSound && IsDlgButtonChecked(IDC_SOUND_FILE) != 0;
    for (int id : {(int)IDC_SOUND_PATH, (int)IDC_BROWSE, (int)IDC_LISTEN})
        if (CWnd* p = GetDlgItem(id))
            p->EnableWindow(bFile);
    // The spin has no buddy: its steps are written into the edit here, by the unit's limit.
    SendDlgItemMessage(IDC_SPIN, UDM_SETRANGE32, (WPARAM)IntervalLimit(this), (LPARAM)INT_MAX);
}

void CPageSenderRecvScheme::OnUnitChange() {
    // A value below the new unit's limit is raised to it at once.
    const int nLimit = IntervalLimit(this);
    BOOL bNumber = FALSE;
    const int n = (int)GetDlgItemInt(IDC_INTERVAL, &bNumber, FALSE);
    if (!bNumber || n < nLimit)
        SetDlgItemInt(IDC_INTERVAL, (UINT)nLimit, FALSE);
}

void CPageSenderRecvScheme::OnSpinDelta(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* pUD = reinterpret_cast<NMUPDOWN*>(pNMHDR);
    const int nLimit = IntervalLimit(this);
    BOOL bNumber = FALSE;
    const long long n = (long long)GetDlgItemInt(IDC_INTERVAL, &bNumber, FALSE);
    const long long next = (bNumber ? n : nLimit) + (pUD->iDelta > 0 ? nLimit : -nLimit);
    SetDlgItemInt(IDC_INTERVAL, (UINT)std::clamp<long long>(next, nLimit, INT_MAX), FALSE);
    *pResult = 1; // the value is written; the spin keeps no position of its own
}

void CPageSenderRecvScheme::OnBrowse() {
    CString filter;
    filter.Format("%s (*.wav)|*.wav||", "波形文件");
    CFileDialog dlg(TRUE, "wav", nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR,
                    filter, this);
    if (dlg.DoModal() == IDOK)
        SetDlgItemText(IDC_SOUND_PATH, dlg.GetPathName());
}

void CPageSenderRecvScheme::OnListen() {
    CString path;
    GetDlgItemText(IDC_SOUND_PATH, path);
    if (!path.IsEmpty())
        PlaySound(path, nullptr, SND_ASYNC | SND_NODEFAULT | SND_FILENAME);
}

// ---- The form --------------------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CSenderForm, CView)

BEGIN_MESSAGE_MAP(CSenderForm, CView)
ON_WM_SIZE()
ON_LBN_SELCHANGE(IDC_LIST, &CSenderForm::OnListChange)
ON_MESSAGE(WM_KOVPAGE_CHANGED, &CSenderForm::OnPageChanged)
ON_COMMAND(ID_CONFIRM, &CSenderForm::Confirm)
ON_COMMAND(ID_CANCEL_EDIT, &CSenderForm::CancelEdit)
ON_UPDATE_COMMAND_UI(ID_CONFIRM, &CSenderForm::OnUpdateEditCommand)
ON_UPDATE_COMMAND_UI(ID_CANCEL_EDIT, &CSenderForm::OnUpdateEditCommand)
END_MESSAGE_MAP()

CSenderForm::CSenderForm()
    : m_pages{&m_account, &m_person, &m_mobile, &m_server, &m_send, &m_recv} {
    m_server.m_pSendPage = &m_send;
}

std::function<void(const CString&, BOOL)>& CSenderForm::StartupListUpdater() {
    static std::function<void(const CString&, BOOL)> s_updater;
    return s_updater;
}

_CSender* CSenderForm::GetSender() {
    auto* pDoc = dynamic_cast<CSenderDoc*>(GetDocument());
    return pDoc != nullptr ? &pDoc->GetSender() : nullptr;
}

void CSenderForm::OnInitialUpdate() {
    if (!m_bCreated) {
        m_bCreated = TRUE;
        CRect rc(0, 0, 100, 100);
        m_list.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | LBS_NOTIFY | WS_VSCROLL |
                          LBS_OWNERDRAWFIXED | LBS_HASSTRINGS,
                      rc, this, IDC_LIST);
        // Each page's picture in the list, in the pages' order.
        CBitmap pictures;
        m_images.Create(32, 32, ILC_COLOR32 | ILC_MASK, kPageCount, 0);
        if (pictures.LoadBitmap(kPagePictures))
            m_images.Add(&pictures, RGB(255, 0, 255));
        m_list.SetImageList(&m_images, TRUE);
        m_list.SetItemHeight(0, (UINT)m_list.m_itemHeight);
        m_frame.Create("", WS_CHILD | WS_VISIBLE, rc, this, IDC_FRAME);
        m_help.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY,
                      rc, this, IDC_HELP_TEXT);
        m_hint.Create(kPendingHint, WS_CHILD, rc, this, IDC_PENDING_HINT);
        for (int i = 0; i < kPageCount; ++i) {
            m_pages[i]->Create(nullptr, nullptr, WS_CHILD, rc, this, IDC_FIRST_PAGE + i);
            m_pages[i]->SetOwner(this);
            m_list.AddItem(m_pages[i]->GetTitle(), i);
        }
        CRect client;
        GetClientRect(&client);
        Layout(client.Width(), client.Height());
    }
    CView::OnInitialUpdate();
}

void CSenderForm::LoadPages() {
    _CSender* pSender = GetSender();
    if (pSender == nullptr)
        return;
    for (CSenderPageBase* pPage : m_pages)
        pPage->Exchange(pSender->GetRecord(), TRUE);
}

void CSenderForm::ClearModified() {
    for (CSenderPageBase* pPage : m_pages)
        pPage->SetPageModified(FALSE, FALSE);
    SetModifiedPages(0);
}

void CSenderForm::SetModifiedPages(int nPages) {
    const int nOld = m_nModifiedPages;
    m_nModifiedPages = nPages;
    ShowPendingHint();
    // The tree stays closed while the account is edited: from the first changed page until the
    // changes are confirmed or cancelled.
    if ((nOld == 0) == (nPages == 0) || m_hNotify == nullptr || !::IsWindow(m_hNotify))
        return;
    ::SendMessage(m_hNotify, nPages != 0 ? kBeginEdit : kEndEdit, 0, 0);
}

void CSenderForm::ShowPendingHint() {
    if (m_hint.GetSafeHwnd() != nullptr)
        m_hint.ShowWindow(m_nModifiedPages != 0 ? SW_SHOW : SW_HIDE);
}

void CSenderForm::OnUpdate(CView*, LPARAM lHint, CObject*) {
    if (!m_bCreated)
        return;
    if (lHint != 0 && m_nModifiedPages != 0)
        Confirm();
    else
        LoadPages();
    ClearModified();
    SelectPage(m_nCurrent);
}

void CSenderForm::Confirm() {
    _CSender* pSender = GetSender();
    if (pSender == nullptr)
        return;
    const BOOL bPersonChanged = (m_nModifiedPages & m_person.GetBit()) != 0;
    for (CSenderPageBase* pPage : m_pages)
        if (m_nModifiedPages & pPage->GetBit())
            pPage->Exchange(pSender->GetRecord(), FALSE);
    auto* pDoc = dynamic_cast<CQuillmarBaseDoc*>(GetDocument());
    if (pDoc != nullptr) {
        pDoc->SetModifiedFlag(TRUE);
        if (bPersonChanged) {
            pDoc->SetTitle(pSender->GetName());
            // The list of accounts loaded at start follows the account's flag.
            if (StartupListUpdater() && !pDoc->GetPathName().IsEmpty())
                StartupListUpdater()(pDoc->GetPathName(),
                                     pSender->GetPersonInfo().m_dwValue != 0);
        }
    }
    ClearModified();
    if (m_hNotify != nullptr && ::IsWindow(m_hNotify)) {
        CWnd* pTree = CWnd::FromHandle(m_hNotify);
        CString name = pSender->GetName();
        pTree->SendMessage(WM_GROUPVIEW_SETTEXT, 0, (LPARAM)name.GetString());
        pTree->SendMessage(WM_GROUPVIEW_MODIFIED);
    }
    SelectPage(m_nCurrent);
}

void CSenderForm::CancelEdit() {
    LoadPages();
    ClearModified();
    SelectPage(m_nCurrent);
}

void CSenderForm::SelectPage(int i) {
    if (!m_bCreated)
        return;
    if (i < 0 || i >= kPageCount)
        i = 0;
    m_nCurrent = i;
    for (int k = 0; k < kPageCount; ++k)
        m_pages[k]->ShowWindow(k == i ? SW_SHOW : SW_HIDE);
    if (m_list.GetCurSel() != i)
        m_list.SetCurSel(i);
    CString title = m_pages[i]->GetTitle();
    if (m_pages[i]->IsPageModified())
        title += "（已修改）";
    m_frame.SetWindowText(title);
    if (m_nHelpShown != i) {
        m_nHelpShown = i;
        if (!StreamInFromFile(m_help, GetAppFilePath(GetHelpFile(i)), SF_RTF))
            m_help.SetWindowText("");
    }
    if (i == 3)
        m_server.RefreshGateways();
}

CString CSenderForm::GetHelpFile(int i) {
    // In the pages' order: account, person, phone, servers, sending, receiving.
    static const char* const kNames[kPageCount] = {"SenderInetUser", "SenderPersonInfo",
                                                   "SenderMobileInfo", "SenderSmsServer",
                                                   "SenderSendSms", "SenderRecvSms"};
    return i >= 0 && i < kPageCount ? CString("Help\\") + kNames[i] + ".rtf" : CString();
}

void CSenderForm::OnListChange() {
    SelectPage(m_list.GetCurSel());
}

LRESULT CSenderForm::OnPageChanged(WPARAM wParam, LPARAM lParam) {
    SetModifiedPages(lParam != 0 ? m_nModifiedPages | (int)wParam
                                 : m_nModifiedPages & ~(int)wParam);
    SelectPage(m_nCurrent);
    return 0;
}

void CSenderForm::OnUpdateEditCommand(CCmdUI* pCmdUI) {
    pCmdUI->Enable(m_nModifiedPages != 0);
}

BOOL CSenderForm::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    return CView::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

void CSenderForm::Layout(int cx, int cy) {
    if (!m_bCreated)
        return;
    const int listWidth = 120, margin = 6, frameHeight = 20, hintHeight = 20;
    m_list.MoveWindow(margin, margin, listWidth, std::max(10, cy - 2 * margin));
    int left = listWidth + 2 * margin;
    m_frame.MoveWindow(left, margin, std::max(10, cx - left - margin), frameHeight);
    m_hint.MoveWindow(left, margin + frameHeight + 2, std::max(10, cx - left - margin), hintHeight);
    const int top = margin + frameHeight + 2 + hintHeight + 2;
    // The help takes the bottom of the right side, the page the rest above it.
    const int helpHeight = std::clamp(cy / 4, 60, 140);
    const int pageHeight = std::max(10, cy - top - helpHeight - 2 * margin);
    for (CSenderPageBase* pPage : m_pages)
        pPage->MoveWindow(left, top, std::max(10, cx - left - margin), pageHeight);
    m_help.MoveWindow(left, top + pageHeight + margin, std::max(10, cx - left - margin),
                      std::max(10, cy - top - pageHeight - 2 * margin));
}

void CSenderForm::OnSize(UINT nType, int cx, int cy) {
    CView::OnSize(nType, cx, cy);
    Layout(cx, cy);
}

void CSenderForm::OnDraw(CDC* pDC) {
    CRect rc;
    GetClientRect(&rc);
    pDC->FillSolidRect(&rc, ::GetSysColor(COLOR_3DFACE));
}

// ---- The wizard of person and phone ----------------------------------------------------------

CPSheetSender::CPSheetSender(CWnd* pParent) : CPropertySheet("发信人帐户", pParent) {
    AddPage(&m_person);
    AddPage(&m_mobile);
    SetWizardMode();
}
