#include "shell/OptionPages.h"

#include <algorithm>
#include <cstdlib>

#include "core/Date.h"
#include "ecard/ECRequest.h"
#include "ecard/WebSmsAccount.h"
#include "platform/base/File.h"
#include "platform/base/OsPath.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Icon.h"
#include "platform/gui/MessageBox.h"
#include "shell/MainFrm.h"
#include "shell/ShellModule.h"
#include "shell/SmsApp.h"

// ---- Base ---------------------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(COptionPage, CHostedOptionPage)

CQuillmarOptions& COptionPage::Options() {
    // Without an application (a page shown on its own) the page edits a record of its own.
    static CQuillmarOptions standalone;
    CSmsApp* app = AfxGetSmsApp();
    return app ? app->m_options : standalone;
}

// ---- General ------------------------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CPageOptionGeneral, COptionPage)

BEGIN_MESSAGE_MAP(CPageOptionGeneral, COptionPage)
ON_BN_CLICKED(CPageOptionGeneral::IDC_TRAY_ICON, &CPageOptionGeneral::OnTrayIcon)
ON_CONTROL_RANGE(BN_CLICKED, 1000, 1299, &CPageOptionGeneral::OnControlRangeChanged)
END_MESSAGE_MAP()

CPageOptionGeneral::CPageOptionGeneral() : COptionPage(IDD) {}

BOOL CPageOptionGeneral::OnInitDialog() {
    const CGeneralOptions& g = Options().m_general;
    m_bAutoStart = CQuillmarOptions::IsAutoStartSet() ? 1 : 0;
    m_bAutoCheckVersion = g.m_bAutoCheckVersion ? 1 : 0;
    m_bAutoLoadOnFile = g.m_bAutoLoadOnFile ? 1 : 0;
    m_bTrayIcon = g.m_bTrayIcon ? 1 : 0;
    m_bMiniToTray = g.m_bMiniToTray ? 1 : 0;
    m_bCloseToTray = g.m_bCloseToTray ? 1 : 0;
    m_bOneInstance = g.m_bOneInstance ? 1 : 0;
    m_bAssocFiles = g.m_bAssocFiles ? 1 : 0;
    BOOL r = COptionPage::OnInitDialog();
    EnableTrayBoxes();
    return r;
}

void CPageOptionGeneral::DoDataExchange(CDataExchange* pDX) {
    COptionPage::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_AUTOSTART, m_bAutoStart);
    DDX_Check(pDX, IDC_AUTO_CHECK_VERSION, m_bAutoCheckVersion);
    DDX_Check(pDX, IDC_AUTO_LOAD_ON_FILE, m_bAutoLoadOnFile);
    DDX_Check(pDX, IDC_TRAY_ICON, m_bTrayIcon);
    DDX_Check(pDX, IDC_MINI_TO_TRAY, m_bMiniToTray);
    DDX_Check(pDX, IDC_CLOSE_TO_TRAY, m_bCloseToTray);
    DDX_Check(pDX, IDC_ONE_INSTANCE, m_bOneInstance);
    DDX_Check(pDX, IDC_ASSOC_FILES, m_bAssocFiles);
}

void CPageOptionGeneral::OnTrayIcon() {
    EnableTrayBoxes();
    OnPageChanged();
}

void CPageOptionGeneral::EnableTrayBoxes() {
    CButton* tray = static_cast<CButton*>(GetDlgItem(IDC_TRAY_ICON));
    const BOOL on = tray && tray->GetCheck() == BST_CHECKED;
    for (UINT id : {IDC_MINI_TO_TRAY, IDC_CLOSE_TO_TRAY})
        if (CWnd* box = GetDlgItem(id))
            box->EnableWindow(on);
}

void CPageOptionGeneral::OnOK() {
    if (!IsPageModified() || !UpdateData(TRUE))
        return;
    if ((CQuillmarOptions::IsAutoStartSet() ? 1 : 0) != m_bAutoStart &&
        !CQuillmarOptions::SetAutoStart(m_bAutoStart)) {
        AfxMessageBox(m_bAutoStart ? "无法设置系统启动后自动运行本程序：写入自动启动项失败。"
                                   : "无法取消系统启动后自动运行本程序：删除自动启动项失败。",
                      MB_OK | MB_ICONERROR);
    }
    CGeneralOptions& g = Options().m_general;
    g.m_bAutoCheckVersion = m_bAutoCheckVersion;
    g.m_bAutoLoadOnFile = m_bAutoLoadOnFile;
    g.m_bTrayIcon = m_bTrayIcon;
    g.m_bMiniToTray = m_bMiniToTray;
    g.m_bCloseToTray = m_bCloseToTray;
    g.m_bOneInstance = m_bOneInstance;
    g.m_bAssocFiles = m_bAssocFiles;
    g.Save();
    if (CSmsApp* app = AfxGetSmsApp())
        if (CMainFrame* frame = app->GetMainFrame(); frame && frame->GetSafeHwnd())
            frame->ShowTrayIcon(m_bTrayIcon);
}

// ---- File lists ---------------------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CPageOptionNamebook, COptionPage)

BEGIN_MESSAGE_MAP(CPageOptionNamebook, COptionPage)
ON_BN_CLICKED(CPageOptionNamebook::IDC_AUTO_LOAD, &CPageOptionNamebook::OnControlChanged)
ON_EN_CHANGE(CPageOptionNamebook::IDC_PATH, &CPageOptionNamebook::OnPathChanged)
ON_BN_CLICKED(CPageOptionNamebook::IDC_BROWSE, &CPageOptionNamebook::OnBrowse)
ON_BN_CLICKED(CPageOptionNamebook::IDC_ADD, &CPageOptionNamebook::OnAdd)
ON_BN_CLICKED(CPageOptionNamebook::IDC_ADD_OPEN, &CPageOptionNamebook::OnAddOpen)
ON_BN_CLICKED(CPageOptionNamebook::IDC_REMOVE, &CPageOptionNamebook::OnRemove)
ON_BN_CLICKED(CPageOptionNamebook::IDC_OPEN_FILES, &CPageOptionNamebook::OnOpenFiles)
ON_MESSAGE(WM_LIST_ROW_MOVED, &CPageOptionNamebook::OnRowMoved)
END_MESSAGE_MAP()

CPageOptionNamebook::CPageOptionNamebook() : CPageOptionNamebook(IDD, "sms", "通讯录文件") {}

CPageOptionNamebook::CPageOptionNamebook(UINT nIDTemplate, LPCTSTR lpszExt, LPCTSTR lpszTypeName)
    : COptionPage(nIDTemplate), m_strExt(lpszExt), m_strTypeName(lpszTypeName) {}

CFileListOptions& CPageOptionNamebook::Section() {
    return Options().m_namebook;
}

namespace {

std::vector<CString> ListPaths(const CListCtrl& list, BOOL bSelectedOnly) {
    std::vector<CString> paths;
    if (!list.GetSafeHwnd())
        return paths;
    for (int i = 0; i < list.GetItemCount(); ++i)
        if (!bSelectedOnly || (list.GetItemState(i, LVIS_SELECTED) & LVIS_SELECTED))
            paths.push_back(list.GetItemText(i, 0));
    return paths;
}

void PrepareList(CKovListCtrl& list, UINT nID, CWnd* pParent, BOOL bDragRows) {
    list.SubclassDlgItem(nID, pParent);
    list.ModifyOptions(CKovListCtrl::OPTION_DRAG_ROWS, bDragRows ? CKovListCtrl::OPTION_DRAG_ROWS : 0);
    list.SetExtendedStyle(list.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    list.InsertColumn(0, "", LVCFMT_LEFT, 300);
}

} // namespace

BOOL CPageOptionNamebook::OnInitDialog() {
    PrepareList(m_openList, IDC_OPEN_LIST, this, FALSE);
    PrepareList(m_presetList, IDC_PRESET_LIST, this, TRUE);
    // The files open now: the module of the kind knows them (none while it is not built in).
    if (CShellModule* module = AfxFindExtensionModule("." + m_strExt))
        for (const CString& path : module->GetOpenFiles("." + m_strExt))
            m_openList.InsertItem(m_openList.GetItemCount(), path);
    CFileListOptions& section = Section();
    for (POSITION pos = section.m_fileList.GetHeadPosition(); pos;)
        m_presetList.InsertItem(m_presetList.GetItemCount(), section.m_fileList.GetNext(pos));
    CheckDlgButton(IDC_AUTO_LOAD, section.m_bAutoLoadFile ? BST_CHECKED : BST_UNCHECKED);
    UpdateButtons();
    return COptionPage::OnInitDialog();
}

std::vector<CString> CPageOptionNamebook::GetPresetPaths() const {
    return ListPaths(m_presetList, FALSE);
}

std::vector<CString> CPageOptionNamebook::GetOpenPaths() const {
    return ListPaths(m_openList, FALSE);
}

// Stricter than the core IsRelativePath, which takes any drive ("X:") as a root because it only
// decides whether a photo path can be written against a book's folder: a preset file must name
// one file wherever the program runs, and "X:name" or "X:" alone still depends on the working
// folder, so here only a separator or "X:" with a separator makes a path absolute.
BOOL CPageOptionNamebook::IsRelativePath(const CString& path) {
    if (path.IsEmpty())
        return TRUE;
    if (path[0] == '\\' || path[0] == '/')
        return FALSE;
    // A drive letter followed by a separator.
    return !(path.GetLength() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/'));
}

BOOL CPageOptionNamebook::CheckPath(const CString& text, BOOL bMessages) {
    CString path = text;
    path.Trim();
    CString suffix = "." + m_strExt;
    if (path.GetLength() <= suffix.GetLength() ||
        path.Right(suffix.GetLength()).CompareNoCase(suffix) != 0) {
        if (bMessages)
            AfxMessageBox("文件类型错误！", MB_OK | MB_ICONERROR);
        return FALSE;
    }
    if (IsRelativePath(path))
        return FALSE;
    for (const CString& listed : GetPresetPaths()) {
        if (IsSameProgramPath(listed, path)) {
            if (bMessages)
                AfxMessageBox("文件已存在于列表中！", MB_OK | MB_ICONINFORMATION);
            return FALSE;
        }
    }
    if (bMessages) {
        CFileStatus status;
        if (!CFile::GetStatus(path, status) &&
            AfxMessageBox("该文件在磁盘上不存在！真的需要加入吗？", MB_YESNO | MB_ICONQUESTION) !=
                IDYES)
            return FALSE;
    }
    return TRUE;
}

BOOL CPageOptionNamebook::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (hdr && (hdr->idFrom == IDC_OPEN_LIST || hdr->idFrom == IDC_PRESET_LIST)) {
        CListCtrl& list = hdr->idFrom == IDC_OPEN_LIST ? m_openList : m_presetList;
        if (hdr->code == NM_CLICK) {
            // The clicked path goes into the edit as it is listed (only trimmed): on a file
            // system that minds case, another spelling could name another file.
            int item = reinterpret_cast<NMITEMACTIVATE*>(lParam)->iItem;
            if (item < 0)
                item = list.GetNextItem(-1, LVNI_SELECTED);
            if (item >= 0) {
                CString path = list.GetItemText(item, 0);
                path.Trim();
                SetDlgItemText(IDC_PATH, path);
            }
            UpdateButtons();
        } else if (hdr->code == LVN_ITEMCHANGED) {
            UpdateButtons();
        }
    }
    return COptionPage::OnNotify(wParam, lParam, pResult);
}

void CPageOptionNamebook::OnPathChanged() {
    UpdateButtons();
}

void CPageOptionNamebook::UpdateButtons() {
    if (!m_presetList.GetSafeHwnd())
        return;
    CString path;
    GetDlgItemText(IDC_PATH, path);
    if (CWnd* add = GetDlgItem(IDC_ADD))
        add->EnableWindow(CheckPath(path, FALSE));
    BOOL anyOpen = FALSE;
    for (const CString& open : ListPaths(m_openList, TRUE))
        if (CheckPath(open, FALSE)) {
            anyOpen = TRUE;
            break;
        }
    if (CWnd* addOpen = GetDlgItem(IDC_ADD_OPEN))
        addOpen->EnableWindow(anyOpen);
    const BOOL presetSelected = m_presetList.GetSelectedCount() > 0;
    for (UINT id : {IDC_REMOVE, IDC_OPEN_FILES})
        if (CWnd* button = GetDlgItem(id))
            button->EnableWindow(presetSelected);
}

LRESULT CPageOptionNamebook::OnRowMoved(WPARAM wParam, LPARAM) {
    if (wParam == IDC_PRESET_LIST) {
        OnPageChanged();
        UpdateButtons();
    }
    return 0;
}

void CPageOptionNamebook::AddPreset(const CString& path) {
    for (int i = 0; i < m_presetList.GetItemCount(); ++i)
        m_presetList.SetItemState(i, 0, LVIS_SELECTED);
    int item = m_presetList.InsertItem(m_presetList.GetItemCount(), path);
    m_presetList.SetItemState(item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    OnPageChanged();
}

void CPageOptionNamebook::OnAdd() {
    CString path;
    GetDlgItemText(IDC_PATH, path);
    path.Trim();
    if (!CheckPath(path, TRUE))
        return;
    AddPreset(path);
    UpdateButtons();
}

void CPageOptionNamebook::OnAddOpen() {
    for (const CString& open : ListPaths(m_openList, TRUE))
        if (CheckPath(open, FALSE))
            AddPreset(open);
    UpdateButtons();
}

void CPageOptionNamebook::OnRemove() {
    for (int i = m_presetList.GetItemCount() - 1; i >= 0; --i)
        if (m_presetList.GetItemState(i, LVIS_SELECTED) & LVIS_SELECTED)
            m_presetList.DeleteItem(i);
    OnPageChanged();
    UpdateButtons();
}

void CPageOptionNamebook::OnOpenFiles() {
    for (const CString& path : ListPaths(m_presetList, TRUE))
        if (CWinApp* app = AfxGetApp())
            app->OpenDocumentFile(path);
    UpdateButtons();
}

void CPageOptionNamebook::OnBrowse() {
    CString filter;
    filter.Format("%s (*.%s)|*.%s||", m_strTypeName.GetString(), m_strExt.GetString(),
                  m_strExt.GetString());
    CFileDialog dlg(TRUE, m_strExt, nullptr, OFN_HIDEREADONLY, filter, this);
    if (dlg.DoModal() != IDOK)
        return;
    CString path = dlg.GetPathName();
    // A name typed without an extension is one of the page's kind.
    int slash = std::max(path.ReverseFind('\\'), path.ReverseFind('/'));
    if (!path.IsEmpty() && path.Find('.', slash + 1) < 0)
        path += "." + m_strExt;
    SetDlgItemText(IDC_PATH, path);
    UpdateButtons();
}

void CPageOptionNamebook::OnOK() {
    if (!IsPageModified())
        return;
    CFileListOptions& section = Section();
    section.m_fileList.RemoveAll();
    for (const CString& path : GetPresetPaths())
        section.m_fileList.AddTail(path);
    section.m_bAutoLoadFile = IsDlgButtonChecked(IDC_AUTO_LOAD) == BST_CHECKED;
    section.SaveFileList();
}

IMPLEMENT_DYNCREATE(CPageOptionSender, CPageOptionNamebook)

CPageOptionSender::CPageOptionSender() : CPageOptionNamebook(IDD, "sdr", "发信人文件") {}

CFileListOptions& CPageOptionSender::Section() {
    return Options().m_sender;
}

void CPageOptionSender::OnOK() {
    const BOOL modified = IsPageModified();
    CPageOptionNamebook::OnOK();
    if (!modified)
        return;
    // The senders tree marks its open files that are now preset.
    if (CShellModule* module = AfxFindExtensionModule("." + m_strExt))
        module->OnPresetFilesChanged("." + m_strExt);
}

IMPLEMENT_DYNCREATE(CPageOptionNote, CPageOptionNamebook)

CPageOptionNote::CPageOptionNote() : CPageOptionNamebook(IDD, "ntp", "记事本文件") {}

CFileListOptions& CPageOptionNote::Section() {
    return Options().m_notebook;
}

IMPLEMENT_DYNCREATE(CPageOptionTask, CPageOptionNamebook)

CPageOptionTask::CPageOptionTask() : CPageOptionNamebook(IDD, "sch", "任务日程") {}

CFileListOptions& CPageOptionTask::Section() {
    return Options().m_task;
}

// ---- SMS ----------------------------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CPageOptionSMS, COptionPage)

BEGIN_MESSAGE_MAP(CPageOptionSMS, COptionPage)
ON_EN_CHANGE(CPageOptionSMS::IDC_WIDE_MAX, &CPageOptionSMS::OnSizeChanged)
ON_EN_CHANGE(CPageOptionSMS::IDC_ANSI_MAX, &CPageOptionSMS::OnSizeChanged)
ON_BN_CLICKED(CPageOptionSMS::IDC_ASK_SERVER, &CPageOptionSMS::OnAskServer)
ON_BN_CLICKED(CPageOptionSMS::IDC_DEFAULTS, &CPageOptionSMS::OnDefaults)
ON_WM_TIMER()
ON_WM_DESTROY()
END_MESSAGE_MAP()

namespace {
// How often the page looks whether the server's answer has come.
const UINT kAskPollMs = 50;
} // namespace

CPageOptionSMS::CPageOptionSMS() : COptionPage(IDD), m_request(this) {}

CPageOptionSMS::~CPageOptionSMS() {
    // A request still running is cancelled by the runner and freed once its thread ends.
    m_request.SetListener(nullptr);
}

BOOL CPageOptionSMS::OnInitDialog() {
    // Filled before the page counts changes as the user's.
    SetDlgItemInt(IDC_WIDE_MAX, (UINT)Options().m_sms.m_nWideMaxSize, FALSE);
    SetDlgItemInt(IDC_ANSI_MAX, (UINT)Options().m_sms.m_nAnsiMaxSize, FALSE);
    return COptionPage::OnInitDialog();
}

int CPageOptionSMS::ParsePartSize(const CString& text, int longest) {
    CString t = text;
    t.Trim();
    if (t.IsEmpty() || t.GetLength() > 9)
        return -1;
    char* end = nullptr;
    long value = std::strtol(t.GetString(), &end, 10);
    if (!end || *end != '\0')
        return -1;
    // 0 or less would divide by zero when texts are cut into parts.
    return value >= 1 && value <= longest ? (int)value : -1;
}

void CPageOptionSMS::OnOK() {
    if (!IsPageModified())
        return;
    CString text;
    GetDlgItemText(IDC_WIDE_MAX, text);
    if (int wide = ParsePartSize(text, OPTIONS_WIDE_MAX_SIZE); wide > 0)
        Options().m_sms.m_nWideMaxSize = wide;
    GetDlgItemText(IDC_ANSI_MAX, text);
    if (int ansi = ParsePartSize(text, OPTIONS_ANSI_MAX_SIZE); ansi > 0)
        Options().m_sms.m_nAnsiMaxSize = ansi;
}

void CPageOptionSMS::OnDefaults() {
    SetDlgItemInt(IDC_WIDE_MAX, OPTIONS_WIDE_MAX_SIZE, FALSE);
    SetDlgItemInt(IDC_ANSI_MAX, OPTIONS_ANSI_MAX_SIZE, FALSE);
    OnSizeChanged();
}

void CPageOptionSMS::OnSizeChanged() {
    if (!m_initialized)
        return;
    // Sizes brought back to the stored ones leave nothing to apply.
    CString wide, ansi;
    GetDlgItemText(IDC_WIDE_MAX, wide);
    GetDlgItemText(IDC_ANSI_MAX, ansi);
    if (ParsePartSize(wide, OPTIONS_WIDE_MAX_SIZE) == Options().m_sms.m_nWideMaxSize &&
        ParsePartSize(ansi, OPTIONS_ANSI_MAX_SIZE) == Options().m_sms.m_nAnsiMaxSize) {
        if (IsPageModified())
            SetPageModified(FALSE, TRUE);
        return;
    }
    OnPageChanged();
}

void CPageOptionSMS::OnAskServer() {
    // A second click while the first is answered asks nothing more.
    if (m_request.HasWorker())
        return;
    const int started = m_request.StartRequest(GetSmsMaxSizeUrl(), GetSmsMaxSizeBody(0, ""));
    if (started != 0) {
        ShowAnswer(started, 0, 0, CString());
        return;
    }
    SetTimer(TIMER_ASK_POLL, kAskPollMs, nullptr);
}

void CPageOptionSMS::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent != TIMER_ASK_POLL) {
        COptionPage::OnTimer(nIDEvent);
        return;
    }
    if (!m_request.IsDone())
        return;
    KillTimer(TIMER_ASK_POLL);
    m_request.DispatchResult();
}

void CPageOptionSMS::OnDestroy() {
    KillTimer(TIMER_ASK_POLL);
    // The answer of a request still running has no page to go to.
    m_request.SetListener(nullptr);
    COptionPage::OnDestroy();
}

void CPageOptionSMS::OnInetResponse(int nResult, const CString& strReply) {
    int first = 0, second = 0;
    CString text;
    const int code = ParseSmsMaxSizeReply(nResult, strReply, first, second, text);
    ShowAnswer(code, first, second, text);
}

void CPageOptionSMS::ShowAnswer(int nCode, int first, int second, const CString& text) {
    if (GetSafeHwnd() == nullptr)
        return;
    if (nCode != 0) {
        AfxMessageBox(GetECErrorText(nCode, text), MB_OK | MB_ICONSTOP);
        return;
    }
    if (first > 0)
        SetDlgItemInt(IDC_WIDE_MAX, (UINT)first, FALSE);
    if (second > 0)
        SetDlgItemInt(IDC_ANSI_MAX, (UINT)second, FALSE);
    OnSizeChanged();
}

// ---- Calendar -----------------------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CPageOptionCalendar, COptionPage)

BEGIN_MESSAGE_MAP(CPageOptionCalendar, COptionPage)
ON_CBN_SELCHANGE(CPageOptionCalendar::IDC_START_WEEKDAY, &CPageOptionCalendar::OnControlChanged)
END_MESSAGE_MAP()

CPageOptionCalendar::CPageOptionCalendar() : COptionPage(IDD) {}

BOOL CPageOptionCalendar::OnInitDialog() {
    auto* combo = static_cast<CComboBox*>(GetDlgItem(IDC_START_WEEKDAY));
    if (combo) {
        combo->ResetContent();
        for (int day = 0; day < 7; ++day)
            combo->AddString(CDate::GetWeekdayName(day));
        int stored = Options().m_calendar.m_nStartWeekDay;
        m_nInitialDay = stored >= 0 && stored <= 6 ? stored : 0;
        combo->SetCurSel(m_nInitialDay);
    }
    return COptionPage::OnInitDialog();
}

void CPageOptionCalendar::OnOK() {
    if (!IsPageModified())
        return;
    auto* combo = static_cast<CComboBox*>(GetDlgItem(IDC_START_WEEKDAY));
    const int day = combo ? combo->GetCurSel() : -1;
    if (day < 0)
        return;
    Options().m_calendar.m_nStartWeekDay = day;
    if (day != m_nInitialDay)
        for (CShellModule* module : AfxGetShellModules())
            module->OnStartWeekDayChanged(day);
}
