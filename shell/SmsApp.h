// The application object: it owns the options, the recent-file lists, the image lists of faces
// and item icons, and the single-instance lock; it starts the program in a fixed order, runs the
// modules' idle steps, routes the global commands and shuts down in a fixed order.
#pragma once

#include "links/CommDevice.h"
#include "links/ui/MainWndCommHost.h"
#include "platform/gui/ImageList.h"
#include "platform/gui/WinApp.h"
#include "shell/NamedMutex.h"
#include "shell/QuillmarOptions.h"

#include <memory>
#include <vector>

class CAppVersionChecker;
class CMainFrame;
class CRecentFileList;
class CQuillmarDocManager;

// The clipboard formats of the rich-text editor, registered at start-up.
extern UINT g_cfEmbeddedObject;
extern UINT g_cfRichTextFormat;
extern UINT g_cfRichTextAndObjects;

class CSmsApp : public CWinApp {
    DECLARE_DYNAMIC(CSmsApp)
public:
    CSmsApp();
    ~CSmsApp() override;

    BOOL InitInstance() override;
    int Run() override;
    // The main window is gone: the message loop ends (when it runs).
    void OnMainWindowGone();
    BOOL OnIdle(LONG lCount) override;
    int ExitInstance() override;
    CDocument* OpenDocumentFile(LPCTSTR lpszFileName) override;
    void AddToRecentFileList(LPCTSTR lpszPathName) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

    // The files named on the command line, in order (main() fills them before InitInstance).
    void SetStartFiles(const std::vector<CString>& files);
    // Whether the program may close now; a refusal may fill the reason.
    BOOL CanCloseApplication(CString& reason);
    // The one manager of short messages and phone, and its link to the main window.
    CCommDevice& GetCommDevice() { return m_commDevice; }
    CMainWndCommHost& GetCommHost() { return m_commHost; }
    void EnableCommands(BOOL bOn) { m_bCommandsEnabled = bOn; }
    BOOL AreCommandsEnabled() const { return m_bCommandsEnabled; }

    // The image index of a face: the face number when set, else the default face of the sex
    // (1, 0, other). A number outside the loaded faces also gives the sex's default face.
    int GetFaceIndex(int nFace, int nSex) const;
    static const char* GetVersionString() { return "3.00"; }
    CMainFrame* GetMainFrame() const { return m_pMainFrame; }

    CQuillmarOptions m_options;
    BOOL m_bOpenPresetFiles = TRUE;
    BOOL m_bVersionCheckPending = TRUE;
    // The silent version check of this run while it is held, else null.
    CAppVersionChecker* GetVersionChecker() const { return m_pVersionChecker.get(); }
    // Faces and item icons at 32 and 16 pixels; the menu icons.
    CImageList m_imageList32;
    CImageList m_imageList16;
    CImageList m_menuImages;
    int m_nFaceBase32 = 0;
    int m_nFaceBase16 = 0;
    // Recent files of the sender, notebook and schedule kinds (address books use the framework's).
    CRecentFileList* m_pRecentSenderList = nullptr;
    CRecentFileList* m_pRecentNoteList = nullptr;
    CRecentFileList* m_pRecentScheduleList = nullptr;

    static const int kFaceCount = 85;
    // The command-to-icon pairs of the menus.
    struct MenuIcon {
        UINT nCommand;
        UINT nIcon;
    };
    static const MenuIcon kMenuIcons[];
    static const int kMenuIconCount;

protected:
    void LoadImageLists();
    void LoadMenuIcons();
    void OnAppAbout();
    void OnAppExit();
    void OnHomePage();
    void OnSmsCenter();
    void OnRegisterSms();
    void OnNoticeBoard();
    void OnCheckVersion();
    // The silent check: started once, its result taken in on a later idle pass.
    void IdleVersionCheck();
    void OnRecentFile(UINT nID);
    void OnUpdateRecentFile(CCmdUI* pCmdUI);
    DECLARE_MESSAGE_MAP()

    BOOL m_bCommandsEnabled = TRUE;
    BOOL m_bRunning = FALSE;
    CMainFrame* m_pMainFrame = nullptr;
    CNamedMutex m_mutex;
    std::vector<CString> m_startFiles;
    std::unique_ptr<CAppVersionChecker> m_pVersionChecker;
    // The host outlives the manager, whose phone thread calls through it.
    CMainWndCommHost m_commHost;
    CCommDevice m_commDevice;
};

// The application object when it is a CSmsApp, else null.
CSmsApp* AfxGetSmsApp();
