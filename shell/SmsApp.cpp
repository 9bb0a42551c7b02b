#include "shell/SmsApp.h"

#include "links/AppVersionChecker.h"
#include "links/ServiceAddress.h"
#include "links/ui/DlgCheckVersion.h"
#include "links/ui/DialogPump.h"
#include "platform/base/ModuleDir.h"
#include "platform/base/Profile.h"
#include "platform/gui/Clipboard.h"
#include "platform/gui/CommandLineInfo.h"
#include "platform/gui/Dc.h"
#include "platform/gui/DocTemplate.h"
#include "platform/gui/Icon.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/RecentFileList.h"
#include "platform/gui/ShellServices.h"
#include "platform/gui/SingleInstance.h"
#include "res/mainframe.h"
#include "shell/AboutDlg.h"
#include "shell/DlgNoticeBoard.h"
#include "shell/MainFrm.h"
#include "shell/QuillmarDocManager.h"
#include "shell/ShellModule.h"
#include "ui/FieldActionOpen.h"
#include "ui/KovMenu.h"

#include <QImage>
#include <QTimer>

#include <memory>
#include <vector>

UINT g_cfEmbeddedObject = 0;
UINT g_cfRichTextFormat = 0;
UINT g_cfRichTextAndObjects = 0;

IMPLEMENT_DYNAMIC(CSmsApp, CWinApp)

namespace {

// The document manager that registers the file types at start-up: it lists the application's
// templates without owning them.
class CRegisteringDocManager : public CQuillmarDocManager {
public:
    ~CRegisteringDocManager() override { m_templateList.RemoveAll(); }
};

// The program's document type strings (filter name, extension, type id, type name), one per
// file type the desktop may hand the program.
const UINT kFileTypeStrings[] = {81, 82, 83, 84};

// The type string whose extension is ext, 0 when none.
UINT FindFileTypeString(const CString& ext) {
    for (UINT id : kFileTypeStrings) {
        CMultiDocTemplate probe(id, nullptr, nullptr, nullptr);
        CString filterExt;
        if (probe.GetDocString(filterExt, CDocTemplate::filterExt) &&
            filterExt.CompareNoCase(ext) == 0)
            return id;
    }
    return 0;
}

BOOL HasTemplateFor(CDocManager& manager, const CString& ext) {
    for (POSITION pos = manager.GetFirstDocTemplatePosition(); pos != nullptr;) {
        CString filterExt;
        if (manager.GetNextDocTemplate(pos)->GetDocString(filterExt, CDocTemplate::filterExt) &&
            filterExt.CompareNoCase(ext) == 0)
            return TRUE;
    }
    return FALSE;
}

const int kRecentFiles = 16;
const int kRecentDisplayLength = 30;
const COLORREF kFaceMask = RGB(0, 128, 128);

// Offsets of the fixed images after the faces.
enum { kDefaultFaceOffset = 27, kFixedImages = 33 };

} // namespace

// Icons of the menu commands: a command's tool-bar picture where it has one.
const CSmsApp::MenuIcon CSmsApp::kMenuIcons[] = {
    {ID_FILE_NEW, 126},          {ID_FILE_OPEN, 127},         {ID_FILE_SAVE, 130},
    {ID_FILE_SAVE_ALL, 141},     {ID_FILE_CLOSE, 150},        {ID_EDIT_FIND, 134},
    {ID_UP_ONE_LEVEL, 135},      {ID_MODE_ADDRESSBOOK, 111},  {ID_MODE_SMS, 430},
    {ID_ALL_SUBNODES, 530},      {ID_SEND, 256},              {ID_RECEIVE_SMS, 259},
    {ID_NEW_GROUP, 131},         {ID_NEW_CONTACT, 132},       {ID_NEW_PAGE, 506},
    {ID_WRITE_SMS, 137},         {ID_CONFIRM_CHANGES, 136},   {ID_DISCARD_CHANGES, 133},
    {ID_SEND_SMS, 138},          {ID_SEND_EMAIL, 139},        {ID_VIEW_LARGEICON, 143},
    {ID_VIEW_SMALLICON, 144},    {ID_VIEW_LIST, 145},         {ID_VIEW_DETAILS, 146},
    {ID_SORT_ASCENDING, 147},    {ID_SORT_DESCENDING, 149},   {ID_SMS_CENTER, 510},
    {ID_ECARD_LOGIN, 2000},      {ID_EDIT_CUT, 151},          {ID_EDIT_COPY, 152},
    {ID_EDIT_PASTE, 153},        {ID_EDIT_UNDO, 154},         {ID_DELETE_ITEM, 155},
    {ID_EDIT_REPLACE, 156},      {ID_OPTIONS, 157},           {ID_HELP, 158},
    {ID_APP_ABOUT, 80},          {ID_HOME_PAGE, 159},         {ID_NOTICE_BOARD, 160},
    {ID_VIEW_LEFTPANE, 161},     {ID_MODULE_ADDRESSBOOK, 162}, {ID_MODULE_SMS, 163},
    {ID_MODULE_NOTES, 164},      {ID_MODULE_CALENDAR, 165},   {ID_MODULE_INFO, 166},
    {ID_MODULE_MAIL, 168},       {ID_APP_EXIT, 167},          {0, 0}};
const int CSmsApp::kMenuIconCount = (int)(sizeof kMenuIcons / sizeof *kMenuIcons) - 1;

BEGIN_MESSAGE_MAP(CSmsApp, CWinApp)
ON_COMMAND(ID_APP_ABOUT, &CSmsApp::OnAppAbout)
ON_COMMAND(ID_APP_EXIT, &CSmsApp::OnAppExit)
ON_COMMAND(ID_HOME_PAGE, &CSmsApp::OnHomePage)
ON_COMMAND(ID_SMS_CENTER, &CSmsApp::OnSmsCenter)
ON_COMMAND(ID_REGISTER_SMS, &CSmsApp::OnRegisterSms)
ON_COMMAND(ID_NOTICE_BOARD, &CSmsApp::OnNoticeBoard)
ON_COMMAND(ID_CHECK_VERSION, &CSmsApp::OnCheckVersion)
ON_COMMAND_RANGE(ID_RECENT_SENDER_FIRST, ID_RECENT_SENDER_FIRST + 15, &CSmsApp::OnRecentFile)
ON_COMMAND_RANGE(ID_RECENT_NOTE_FIRST, ID_RECENT_NOTE_FIRST + 15, &CSmsApp::OnRecentFile)
ON_COMMAND_RANGE(ID_RECENT_SCHEDULE_FIRST, ID_RECENT_SCHEDULE_FIRST + 15, &CSmsApp::OnRecentFile)
ON_COMMAND_RANGE(ID_FILE_MRU_FIRST, ID_FILE_MRU_FIRST + 15, &CSmsApp::OnRecentFile)
ON_UPDATE_COMMAND_UI(ID_RECENT_SENDER_FIRST, &CSmsApp::OnUpdateRecentFile)
ON_UPDATE_COMMAND_UI(ID_RECENT_NOTE_FIRST, &CSmsApp::OnUpdateRecentFile)
ON_UPDATE_COMMAND_UI(ID_RECENT_SCHEDULE_FIRST, &CSmsApp::OnUpdateRecentFile)
ON_UPDATE_COMMAND_UI(ID_FILE_MRU_FIRST, &CSmsApp::OnUpdateRecentFile)
END_MESSAGE_MAP()

CSmsApp* AfxGetSmsApp() {
    return dynamic_cast<CSmsApp*>(AfxGetApp());
}

CSmsApp::CSmsApp() : CWinApp("Quillmar") {
    SetProgramProxyOptions(&m_options.m_proxy);
    m_commDevice.SetHost(&m_commHost);
}

CSmsApp::~CSmsApp() {
    if (GetProgramProxyOptions() == &m_options.m_proxy)
        SetProgramProxyOptions(nullptr);
    delete m_pRecentSenderList;
    delete m_pRecentNoteList;
    delete m_pRecentScheduleList;
}

void CSmsApp::SetStartFiles(const std::vector<CString>& files) {
    m_startFiles = files;
}

BOOL CSmsApp::InitInstance() {
    CRegisteringDocManager docManager;

    g_cfEmbeddedObject = RegisterClipboardFormat("Embedded Object");
    g_cfRichTextFormat = RegisterClipboardFormat("Rich Text Format");
    g_cfRichTextAndObjects = RegisterClipboardFormat("RichEdit Text and Objects");

    // Shipped files (faces) come into the program folder; the user's own stay as they are.
    std::filesystem::path shipped = GetShippedDataFolderPath();
    if (!shipped.empty())
        SeedProgramFolder(shipped);

    struct {
        CRecentFileList** list;
        const char* section;
    } lists[] = {{&m_pRecentFileList, "Recent File List"},
                 {&m_pRecentSenderList, "Recent Sender File List"},
                 {&m_pRecentNoteList, "Recent Note File List"},
                 {&m_pRecentScheduleList, "Recent Schedule File List"}};
    for (auto& l : lists) {
        delete *l.list;
        *l.list = new CRecentFileList(0, l.section, "File%d", kRecentFiles, kRecentDisplayLength);
        (*l.list)->ReadList();
    }

    m_options.Load();
    m_options.m_proxy.ApplyToHttpRequests();
    // A document that cannot read or write its file says why in a message box.
    CDocument::SetMessageHook([](LPCTSTR text, UINT type) { return AfxMessageBox(text, type); });

    // One copy at a time: a later copy hands its files to the running one, or, started bare
    // while only one copy is allowed, brings the running one forward and ends.
    if (!m_mutex.Create()) {
        CHandOverRequest request;
        request.bRestore = TRUE;
        for (const CString& file : m_startFiles)
            request.ddeCommands.push_back(CSingleInstance::OpenCommand(file));
        if (!m_startFiles.empty()) {
            if (CSingleInstance::HandOver(GetShellOpenChannel(), request))
                return FALSE;
        } else if (m_options.m_general.m_bOneInstance) {
            AfxMessageBox("已有一个墨川的实例在运行！", MB_OK | MB_ICONINFORMATION);
            CSingleInstance::HandOver(GetShellOpenChannel(), request);
            return FALSE;
        }
    }

    for (CShellModule* module : AfxGetShellModules()) {
        if (CDocTemplate* pTemplate = module->CreateDocTemplate()) {
            AddDocTemplate(pTemplate);
            docManager.AddDocTemplate(pTemplate);
        }
        module->RegisterViews();
    }
    // The file types of modules that open their files themselves still reach the desktop's
    // registration, described by the program's type strings.
    std::vector<std::unique_ptr<CDocTemplate>> typeTemplates;
    for (CShellModule* module : AfxGetShellModules())
        for (const CString& ext : module->GetExtensions())
            if (!HasTemplateFor(docManager, ext))
                if (UINT id = FindFileTypeString(ext)) {
                    typeTemplates.push_back(
                        std::make_unique<CMultiDocTemplate>(id, nullptr, nullptr, nullptr));
                    docManager.AddDocTemplate(typeTemplates.back().get());
                }

    LoadImageLists();
    LoadMenuIcons();

    if (!m_startFiles.empty())
        m_bOpenPresetFiles = m_options.m_general.m_bAutoLoadOnFile;
    m_bVersionCheckPending = m_options.m_general.m_bAutoCheckVersion;

    m_pMainFrame = new CMainFrame;
    if (!AfxCreateFrameSafely(m_pMainFrame, IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                              nullptr, nullptr)) {
        m_pMainFrame = nullptr;
        return FALSE;
    }
    m_pMainWnd = m_pMainFrame;
    m_commHost.SetMainWnd(m_pMainFrame);
    m_commHost.ConnectPhone(m_commDevice);
    // While the phone answers a command the main window keeps painting; the program cannot
    // close meanwhile (CanCloseApplication).
    m_commDevice.SetAgentWaitPump([] {
        if (CWnd* main = AfxGetMainWnd())
            PumpWindowMessages(main);
    });
    DragAcceptFiles(m_pMainFrame, TRUE);
    EnableShellOpen();
    if (m_options.m_general.m_bAssocFiles)
        docManager.RegisterShellFileTypes(TRUE);

    CCommandLineInfo cmdInfo;
    cmdInfo.m_nShellCommand = CCommandLineInfo::FileNothing;
    ParseCommandLine(cmdInfo);
    // Registering with the desktop goes through the manager that knows every module's types.
    BOOL bContinue = FALSE;
    if (cmdInfo.m_nShellCommand == CCommandLineInfo::AppRegister)
        docManager.RegisterShellFileTypes(TRUE);
    else if (cmdInfo.m_nShellCommand == CCommandLineInfo::AppUnregister)
        docManager.UnregisterShellFileTypes();
    else
        bContinue = ProcessShellCommand(cmdInfo);
    if (!bContinue) {
        if (m_pMainFrame && m_pMainFrame->GetSafeHwnd())
            m_pMainFrame->DestroyWindow();
        m_pMainFrame = nullptr;
        m_pMainWnd = nullptr;
        return FALSE;
    }

    m_pMainFrame->ShowInSavedState();
    // The phone connects at start when its settings ask for it; the indicator shows the outcome.
    m_commDevice.InitAgent();

    for (const CString& file : m_startFiles)
        OpenDocumentFile(file);

    for (CShellModule* module : AfxGetShellModules())
        module->OnStartup(this);
    return TRUE;
}

int CSmsApp::Run() {
    // A window that went during start-up (a failed shell command) leaves nothing to run.
    if (!m_pMainWnd)
        return ExitInstance();
    m_bRunning = TRUE;
    int code = CWinApp::Run();
    m_bRunning = FALSE;
    return code;
}

void CSmsApp::OnMainWindowGone() {
    m_pMainFrame = nullptr;
    // Asking to quit with no loop running would end the next loop anyone starts at once.
    if (m_bRunning)
        PostQuitMessage(0);
}

void CSmsApp::LoadImageLists() {
    HICON blank = LoadIcon(IDI_BLANK);
    HICON app = LoadIcon(IDI_APP);
    HICON fallback = ::LoadIcon(nullptr, IDI_APPLICATION);
    auto addIcon = [&](CImageList& list, HICON h) {
        // A missing picture still takes its place, so the numbering never shifts.
        if (list.Add(h) < 0 && list.Add(app) < 0 && list.Add(fallback) < 0) {
            CBitmap empty;
            empty.CreateBitmap(list.GetImageCount() >= 0 ? 16 : 16, 16, 1, 32, nullptr);
            list.Add(&empty, RGB(0, 0, 0));
        }
    };
    m_imageList32.DeleteImageList();
    m_imageList16.DeleteImageList();
    m_imageList32.Create(32, 32, ILC_COLOR32 | ILC_MASK, 200, 10);
    m_imageList16.Create(16, 16, ILC_COLOR32 | ILC_MASK, 200, 10);
    addIcon(m_imageList32, blank);
    addIcon(m_imageList16, blank);

    CString folder = GetModuleDirectory();
    for (int set = 1; set <= 2; ++set) {
        for (int n = 1; n <= kFaceCount; ++n) {
            CString path;
            path.Format("%s\\face\\%d-%d.bmp", (LPCTSTR)folder, n, 1);
            HBITMAP h = (HBITMAP)LoadImage(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
            if (!h) {
                addIcon(m_imageList32, app);
                addIcon(m_imageList16, app);
                continue;
            }
            CBitmap face;
            face.Attach(h);
            if (m_imageList32.Add(&face, kFaceMask) < 0)
                addIcon(m_imageList32, app);
            // The small list takes the face scaled down.
            CImageList one;
            one.Create(32, 32, ILC_COLOR32 | ILC_MASK, 1, 1);
            if (one.Add(&face, kFaceMask) < 0) {
                addIcon(m_imageList16, app);
                continue;
            }
            QImage small = one.GetImage(0).scaled(16, 16, Qt::IgnoreAspectRatio,
                                                  Qt::SmoothTransformation);
            HICON hSmall = AfxCreateIcon(small);
            if (m_imageList16.Add(hSmall) < 0)
                addIcon(m_imageList16, app);
            DestroyIcon(hSmall);
        }
    }
    m_nFaceBase32 = m_imageList32.GetImageCount();
    m_nFaceBase16 = m_imageList16.GetImageCount();

    // The fixed images of the views, at fixed offsets after the faces.
    static const UINT tail[] = {512, 513, 515, 125, 182, 183, 514, 531, 532, 533};
    for (int i = 0; i < 23; ++i)
        addIcon(m_imageList32, blank);
    for (UINT id : tail)
        addIcon(m_imageList32, LoadIcon(id));
    UINT small[23];
    for (UINT& id : small)
        id = IDI_BLANK;
    small[1] = small[3] = 529;
    small[4] = small[19] = 182;
    small[5] = small[21] = 183;
    small[20] = small[22] = 514;
    CImageList strip;
    BOOL haveStrip = strip.Create(237, 16, 0, RGB(255, 255, 255)) && strip.GetImageCount() >= 11;
    for (int i = 0; i < 23; ++i) {
        bool fromStrip = i >= 8 && i <= 18;
        UINT replaced = i == 10 ? 528 : i == 11 ? 111 : i == 17 ? 526 : i == 18 ? 527 : 0;
        if (fromStrip && !replaced && haveStrip) {
            HICON h = AfxCreateIcon(strip.GetImage(i - 8));
            addIcon(m_imageList16, h);
            DestroyIcon(h);
        } else {
            addIcon(m_imageList16, LoadIcon(replaced ? replaced : small[i]));
        }
    }
    for (UINT id : tail)
        addIcon(m_imageList16, LoadIcon(id));
    static const int overlays[] = {23, 24, 25, 30, 31, 32};
    for (int k = 0; k < 6; ++k) {
        m_imageList32.SetOverlayImage(m_nFaceBase32 + overlays[k], k + 1);
        m_imageList16.SetOverlayImage(m_nFaceBase16 + overlays[k], k + 1);
    }
}

void CSmsApp::LoadMenuIcons() {
    m_menuImages.DeleteImageList();
    m_menuImages.Create(16, 16, ILC_COLOR32 | ILC_MASK, 25, 10);
    for (const MenuIcon* row = kMenuIcons; row->nCommand; ++row) {
        int index = m_menuImages.Add(LoadIcon(row->nIcon));
        if (index >= 0)
            g_menuImageMap.SetAt(row->nCommand, index);
    }
    SetMenuImageList(&m_menuImages);
}

int CSmsApp::GetFaceIndex(int nFace, int nSex) const {
    // Faces are images 1 .. face base - 1; anything else (a damaged file, a number the server
    // knows and this copy does not) shows the sex's default face.
    if (nFace > 0 && nFace < m_nFaceBase16)
        return nFace;
    int offset = nSex == 1 ? 0 : nSex == 0 ? 1 : 2;
    return m_nFaceBase16 + kDefaultFaceOffset + offset;
}

BOOL CSmsApp::OnIdle(LONG lCount) {
    BOOL more = CWinApp::OnIdle(lCount);
    for (CShellModule* module : AfxGetShellModules())
        if (module->OnIdle(this, lCount))
            more = TRUE;
    IdleVersionCheck();
    return more;
}

void CSmsApp::IdleVersionCheck() {
    if (m_bVersionCheckPending) {
        m_bVersionCheckPending = FALSE;
        if (!m_pVersionChecker) {
            m_pVersionChecker = std::make_unique<CAppVersionChecker>();
            if (!m_pVersionChecker->StartCheck())
                m_pVersionChecker.reset();
        }
    }
    if (!m_pVersionChecker)
        return;
    if (!m_pVersionChecker->IsDone()) {
        // The worker says nothing when it ends: look again in a moment even if the user does
        // nothing meanwhile.
        QTimer::singleShot(100, [] { AfxNoteMessage(WM_NULL); });
        return;
    }
    m_pVersionChecker->DispatchResult();
    const bool newer = m_pVersionChecker->GetStatus() == CAppVersionChecker::STATUS_NEWER;
    m_pVersionChecker.reset();
    if (newer && m_pMainWnd && m_pMainWnd->GetSafeHwnd())
        m_pMainWnd->SendMessage(WM_COMMAND, ID_CHECK_VERSION, 0);
}

int CSmsApp::ExitInstance() {
    for (CShellModule* module : AfxGetShellModules())
        module->OnExit(this);
    m_commDevice.ShutdownAgent();
    m_commHost.SetMainWnd(nullptr);
    // The options and lists go to the profile in one write of the file.
    CProfileWriteBatch batch;
    m_options.SaveAll();
    for (CRecentFileList* list : {m_pRecentFileList, m_pRecentSenderList, m_pRecentNoteList,
                                  m_pRecentScheduleList})
        if (list)
            list->WriteList();
    if (GetMenuImageList() == &m_menuImages)
        SetMenuImageList(nullptr);
    return CWinApp::ExitInstance();
}

CDocument* CSmsApp::OpenDocumentFile(LPCTSTR lpszFileName) {
    auto* frame = dynamic_cast<CMainFrame*>(m_pMainWnd);
    return frame ? frame->OpenFileByExtension(lpszFileName) : nullptr;
}

void CSmsApp::AddToRecentFileList(LPCTSTR lpszPathName) {
    CString path = lpszPathName ? lpszPathName : "";
    int dot = path.ReverseFind('.');
    if (dot < 0)
        return;
    CString ext = path.Mid(dot);
    ext.MakeLower();
    CRecentFileList* list = ext == ".sms"   ? m_pRecentFileList
                            : ext == ".sdr" ? m_pRecentSenderList
                            : ext == ".ntp" ? m_pRecentNoteList
                            : ext == ".sch" ? m_pRecentScheduleList
                                            : nullptr;
    if (list)
        list->Add(path);
}

BOOL CSmsApp::CanCloseApplication(CString& reason) {
    if (!m_commDevice.CanClose(reason))
        return FALSE;
    if (m_commDevice.IsSending() || m_commDevice.IsReceiving()) {
        reason = "正在收发短信，请稍后再尝试关闭！";
        return FALSE;
    }
    for (CShellModule* module : AfxGetShellModules())
        if (!module->CanClose(reason))
            return FALSE;
    return TRUE;
}

BOOL CSmsApp::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    // While a view is in edit mode the application's commands are neither run nor enabled.
    if (!m_bCommandsEnabled)
        return FALSE;
    if (CWinApp::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    for (CShellModule* module : AfxGetShellModules())
        if (module->OnAppCommand(this, nID, nCode, pExtra, pHandlerInfo))
            return TRUE;
    return FALSE;
}

void CSmsApp::OnAppAbout() {
    CAboutDlg dlg(m_pMainWnd);
    if (dlg.DoModal() == CAboutDlg::IDC_ECARD_LOGIN && m_pMainWnd)
        m_pMainWnd->SendMessage(WM_COMMAND, ID_ECARD_LOGIN, 0);
}

void CSmsApp::OnAppExit() {
    if (auto* frame = dynamic_cast<CMainFrame*>(m_pMainWnd))
        frame->CloseForExit();
}

void CSmsApp::OnHomePage() {
    OpenWebAddress(GetServiceUrl(""));
}

void CSmsApp::OnSmsCenter() {
    OpenWebAddress(GetServiceUrl("/sms/"));
}

void CSmsApp::OnRegisterSms() {
    OpenWebAddress(GetServiceUrl("/sms/#Register"));
}

void CSmsApp::OnCheckVersion() {
    CDlgCheckVersion dlg(m_pMainWnd);
    dlg.DoModal();
}

void CSmsApp::OnNoticeBoard() {
    CDlgNoticeBoard dlg(m_pMainWnd);
    dlg.DoModal();
}

void CSmsApp::OnRecentFile(UINT nID) {
    CRecentFileList* list = nullptr;
    UINT first = 0;
    if (nID >= ID_RECENT_SENDER_FIRST && nID < ID_RECENT_SENDER_FIRST + kRecentFiles) {
        list = m_pRecentSenderList;
        first = ID_RECENT_SENDER_FIRST;
    } else if (nID >= ID_RECENT_NOTE_FIRST && nID < ID_RECENT_NOTE_FIRST + kRecentFiles) {
        list = m_pRecentNoteList;
        first = ID_RECENT_NOTE_FIRST;
    } else if (nID >= ID_RECENT_SCHEDULE_FIRST && nID < ID_RECENT_SCHEDULE_FIRST + kRecentFiles) {
        list = m_pRecentScheduleList;
        first = ID_RECENT_SCHEDULE_FIRST;
    } else {
        list = m_pRecentFileList;
        first = ID_FILE_MRU_FIRST;
    }
    int index = (int)(nID - first);
    if (!list || index >= list->GetSize() || (*list)[index].IsEmpty())
        return;
    CString path = (*list)[index];
    // An entry that no longer opens leaves the list.
    if (!OpenDocumentFile(path))
        list->Remove(index);
}

void CSmsApp::OnUpdateRecentFile(CCmdUI* pCmdUI) {
    CRecentFileList* list = pCmdUI->m_nID == ID_RECENT_SENDER_FIRST     ? m_pRecentSenderList
                            : pCmdUI->m_nID == ID_RECENT_NOTE_FIRST     ? m_pRecentNoteList
                            : pCmdUI->m_nID == ID_RECENT_SCHEDULE_FIRST ? m_pRecentScheduleList
                                                                        : m_pRecentFileList;
    if (list)
        list->UpdateMenu(pCmdUI);
    else
        pCmdUI->Enable(FALSE);
}
