// The pages of the options sheet. Each loads its controls from the application's options record
// when it is made, marks itself changed when a control changes, and applies itself when the
// sheet's OK reaches it; a page that was not changed applies nothing.
#pragma once

#include "links/AsyncInternet.h"
#include "ui/KovListCtrl.h"
#include "shell/QuillmarOptions.h"
#include "ui/HostedOptionPage.h"

// The base of the pages: they edit the application's options record.
class COptionPage : public CHostedOptionPage {
    DECLARE_DYNAMIC(COptionPage)
public:
    explicit COptionPage(UINT nIDTemplate) : CHostedOptionPage(nIDTemplate) {}

protected:
    // The options record of the running program.
    static CQuillmarOptions& Options();
};

class CPageOptionGeneral : public COptionPage {
    DECLARE_DYNCREATE(CPageOptionGeneral)
public:
    enum { IDD = 391 };
    enum {
        IDC_AUTOSTART = 1230,
        IDC_AUTO_CHECK_VERSION = 1207,
        IDC_AUTO_LOAD_ON_FILE = 1244,
        IDC_TRAY_ICON = 1245,
        IDC_MINI_TO_TRAY = 1216,
        IDC_CLOSE_TO_TRAY = 1274,
        IDC_ONE_INSTANCE = 1024,
        IDC_ASSOC_FILES = 1275,
    };
    CPageOptionGeneral();

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    void OnTrayIcon();
    void EnableTrayBoxes();
    DECLARE_MESSAGE_MAP()

    int m_bAutoStart = 0;
    int m_bAutoCheckVersion = 0;
    int m_bAutoLoadOnFile = 0;
    int m_bTrayIcon = 0;
    int m_bMiniToTray = 0;
    int m_bCloseToTray = 0;
    int m_bOneInstance = 0;
    int m_bAssocFiles = 0;
};

// The files of one kind opened at start: the files open now, the preset list, and the path edit
// with its buttons. The address book's page is the base of the others.
class CPageOptionNamebook : public COptionPage {
    DECLARE_DYNCREATE(CPageOptionNamebook)
public:
    enum { IDD = 387 };
    enum {
        IDC_AUTO_LOAD = 1223,
        IDC_OPEN_LIST = 1218,
        IDC_PRESET_LIST = 1217,
        IDC_PATH = 1219,
        IDC_BROWSE = 1220,
        IDC_ADD = 1221,
        IDC_ADD_OPEN = 1222,
        IDC_REMOVE = 1032,
        IDC_OPEN_FILES = 1021,
    };
    CPageOptionNamebook();

    // Whether the path may go into the preset list: of the page's kind, not relative, not listed
    // yet (a path naming a listed file counts as listed) and, with messages, either on disk or
    // wanted anyway. Without messages nothing is asked or said.
    BOOL CheckPath(const CString& path, BOOL bMessages);
    // The preset list as the page shows it.
    std::vector<CString> GetPresetPaths() const;
    std::vector<CString> GetOpenPaths() const;
    // Whether a program path is relative (names no root).
    static BOOL IsRelativePath(const CString& path);

protected:
    CPageOptionNamebook(UINT nIDTemplate, LPCTSTR lpszExt, LPCTSTR lpszTypeName);
    // The options section of the page's kind.
    virtual CFileListOptions& Section();

    BOOL OnInitDialog() override;
    void OnOK() override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    void OnPathChanged();
    void OnBrowse();
    void OnAdd();
    void OnAddOpen();
    void OnRemove();
    void OnOpenFiles();
    void UpdateButtons();
    void AddPreset(const CString& path);
    // The preset list's rows were dragged into another order.
    LRESULT OnRowMoved(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

    CString m_strExt;      // "sms"
    CString m_strTypeName; // "通讯录文件"
    CKovListCtrl m_openList;
    CKovListCtrl m_presetList; // reordered by dragging
};

class CPageOptionSender : public CPageOptionNamebook {
    DECLARE_DYNCREATE(CPageOptionSender)
public:
    enum { IDD = 390 };
    CPageOptionSender();

protected:
    CFileListOptions& Section() override;
    void OnOK() override;
};

class CPageOptionNote : public CPageOptionNamebook {
    DECLARE_DYNCREATE(CPageOptionNote)
public:
    enum { IDD = 393 };
    CPageOptionNote();

protected:
    CFileListOptions& Section() override;
};

class CPageOptionTask : public CPageOptionNamebook {
    DECLARE_DYNCREATE(CPageOptionTask)
public:
    enum { IDD = 4206 };
    CPageOptionTask();

protected:
    CFileListOptions& Section() override;
};

// Asking the server for the sizes runs on a worker thread: the page stays live while the server
// is slow or silent, and a page closed before the answer never hears of it.
class CPageOptionSMS : public COptionPage, private CIAsyncInetListener {
    DECLARE_DYNCREATE(CPageOptionSMS)
public:
    enum { IDD = 4024 };
    enum { IDC_WIDE_MAX = 1006, IDC_ANSI_MAX = 1007, IDC_ASK_SERVER = 1021, IDC_DEFAULTS = 1022 };
    enum { TIMER_ASK_POLL = 1 };
    CPageOptionSMS();
    ~CPageOptionSMS() override;

    // A part size typed by the user: the number when the text is one in 1..longest, else -1.
    static int ParsePartSize(const CString& text, int longest);
    // TRUE while the server's answer is awaited.
    BOOL IsAsking() const { return m_request.HasWorker(); }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnAskServer();
    void OnDefaults();
    // A size was typed, restored or answered by the server.
    void OnSizeChanged();
    void OnTimer(UINT_PTR nIDEvent);
    void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void OnInetResponse(int nResult, const CString& strReply) override;
    void OnInetStateChanged() override {}
    void ShowAnswer(int nCode, int first, int second, const CString& text);

    CAsyncInternet m_request;
};

class CPageOptionCalendar : public COptionPage {
    DECLARE_DYNCREATE(CPageOptionCalendar)
public:
    enum { IDD = 4005 };
    enum { IDC_START_WEEKDAY = 1008 };
    CPageOptionCalendar();

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    DECLARE_MESSAGE_MAP()

    int m_nInitialDay = 0;
};
