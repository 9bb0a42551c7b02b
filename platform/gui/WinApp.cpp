#include "platform/gui/WinApp.h"

#include "platform/gui/CommandLineInfo.h"
#include "platform/gui/DocManager.h"
#include "platform/gui/Icon.h"
#include "platform/gui/RecentFileList.h"
#include "platform/gui/SingleInstance.h"
#include "platform/gui/WndPrivate.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCursor>
#include <QTimer>

IMPLEMENT_DYNAMIC(CWinApp, CCmdTarget)

namespace {
CWinApp* g_app = nullptr;
int g_waitCursor = 0;
bool g_idlePending = false;
bool g_idle = true; // idle processing is wanted until OnIdle says it is done
} // namespace

CWinApp* AfxGetApp() {
    return g_app;
}

CWnd* AfxGetMainWnd() {
    return g_app ? g_app->m_pMainWnd : nullptr;
}

void AfxNoteMessage(UINT message) {
    if (!g_app)
        return;
    MSG m{nullptr, message, 0, 0, 0, {0, 0}};
    if (g_app->IsIdleMessage(m)) {
        g_app->m_nIdleCount = 0;
        g_idle = true;
    }
}

CWinApp::CWinApp(LPCTSTR lpszAppName) : m_pszAppName(lpszAppName) {
    g_app = this;
}

CWinApp::~CWinApp() {
    delete m_pRecentFileList;
    if (g_app == this)
        g_app = nullptr;
}

void CWinApp::AddDocTemplate(CDocTemplate* pTemplate) {
    AfxGetDocManager()->AddDocTemplate(pTemplate);
}

CDocument* CWinApp::OpenDocumentFile(LPCTSTR lpszFileName) {
    return AfxGetDocManager()->OpenDocumentFile(lpszFileName);
}

void CWinApp::AddToRecentFileList(LPCTSTR lpszPathName) {
    if (m_pRecentFileList)
        m_pRecentFileList->Add(lpszPathName);
}

BOOL CWinApp::OnDDECommand(LPTSTR lpszCommand) {
    return AfxGetDocManager()->OnDDECommand(lpszCommand);
}

CString CWinApp::GetShellOpenChannel() const {
    if (m_pszAppName && *m_pszAppName)
        return m_pszAppName;
    AfxEnsureGuiApp();
    return AfxFromQt(QCoreApplication::applicationName());
}

BOOL CWinApp::EnableShellOpen() {
    if (!m_pShellOpen)
        m_pShellOpen = std::make_unique<CSingleInstance>(GetShellOpenChannel());
    return m_pShellOpen->Listen();
}

void CWinApp::ParseCommandLine(CCommandLineInfo& rCmdInfo) {
    AfxParseCommandLine(rCmdInfo, m_lpCmdLine);
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& rCmdInfo) {
    return AfxProcessShellCommand(rCmdInfo);
}

void CWinApp::OnFileNew() {
    AfxGetDocManager()->OnFileNew();
}

void CWinApp::OnFileOpen() {
    AfxGetDocManager()->OnFileOpen();
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

int CWinApp::ExitInstance() {
    return 0;
}

BOOL CWinApp::IsIdleMessage(const MSG& msg) {
    // Painting and the caret's system timer do not count as activity.
    return msg.message != WM_PAINT && msg.message != 0x0118 && msg.message != WM_KICKIDLE;
}

BOOL CWinApp::OnIdle(LONG lCount) {
    // The first idle pass brings the main window's command states up to date.
    if (lCount <= 0 && m_pMainWnd && m_pMainWnd->m_hWnd)
        m_pMainWnd->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE);
    return FALSE;
}

BOOL CWinApp::PreTranslateMessage(MSG* pMsg) {
    CWnd* main = m_pMainWnd;
    if (CWnd::WalkPreTranslateTree(main ? main->m_hWnd : nullptr, pMsg))
        return TRUE;
    // A window outside the main window's tree still lets the main window see its keys.
    if (main && main->m_hWnd && pMsg->hwnd) {
        CWnd* w = CWnd::FromHandle(pMsg->hwnd);
        if (w && w->GetTopLevelParent() != main && !AfxKeyBlockedFor(pMsg, main))
            return main->PreTranslateMessage(pMsg);
    }
    return FALSE;
}

void CWinApp::OnThreadMessage(const MSG&) {}

int CWinApp::Run() {
    AfxEnsureGuiApp();
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    // OnIdle runs each time the loop is about to wait; while it asks for more, another pass is
    // scheduled, and any real message in between starts the count again.
    auto conn = QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, [this] {
        if (g_idlePending || !g_idle)
            return;
        if (!OnIdle(m_nIdleCount++)) {
            g_idle = false;
        } else {
            g_idlePending = true;
            QTimer::singleShot(0, [] { g_idlePending = false; });
        }
    });
    int code = QApplication::exec();
    QObject::disconnect(conn);
    int exitCode = ExitInstance();
    return code ? code : exitCode;
}

static void ShowWaitCursor(int nCode) {
    AfxEnsureGuiApp();
    if (nCode > 0) {
        if (g_waitCursor++ == 0)
            QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    } else if (nCode < 0) {
        if (g_waitCursor > 0 && --g_waitCursor == 0)
            QApplication::restoreOverrideCursor();
    } else if (g_waitCursor > 0) {
        // Something replaced the override (or took it away) while the wait went on.
        if (QApplication::overrideCursor())
            QApplication::changeOverrideCursor(QCursor(Qt::WaitCursor));
        else
            QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
}

void AfxWaitCursor(int nCode) {
    if (g_app)
        g_app->DoWaitCursor(nCode);
    else
        ShowWaitCursor(nCode);
}

void CWinApp::DoWaitCursor(int nCode) {
    ShowWaitCursor(nCode);
}

HICON CWinApp::LoadIcon(UINT nIDResource) const {
    return ::LoadIcon(nullptr, MAKEINTRESOURCE(nIDResource));
}
HICON CWinApp::LoadIcon(LPCTSTR lpszResourceName) const {
    return ::LoadIcon(nullptr, lpszResourceName);
}
HICON CWinApp::LoadStandardIcon(LPCTSTR lpszIconName) const {
    return ::LoadIcon(nullptr, lpszIconName);
}
HCURSOR CWinApp::LoadCursor(UINT nIDResource) const {
    return ::LoadCursor(nullptr, MAKEINTRESOURCE(nIDResource));
}
HCURSOR CWinApp::LoadCursor(LPCTSTR lpszResourceName) const {
    return ::LoadCursor(nullptr, lpszResourceName);
}
HCURSOR CWinApp::LoadStandardCursor(LPCTSTR lpszCursorName) const {
    return ::LoadCursor(nullptr, lpszCursorName);
}
