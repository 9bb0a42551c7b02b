// The settings of a sender account on six pages: the gateway account, the person, the phone,
// the servers, the sending plug-in and receiving. In the main window the form on the right of
// the senders tree shows them beside a list of their names; nothing reaches the account until
// "确认修改" (32821), and "放弃修改" (32822) reads the account again. The two-page sheet of the
// person and the phone is a wizard made of the same pages.
#pragma once

#include "platform/gui/Controls.h"
#include "platform/gui/View.h"
#include "sms/SenderSettings.h"
#include "platform/gui/ImageList.h"
#include "platform/gui/RichEditCtrl.h"
#include "ui/KovListBox.h"
#include "ui/KovPropertyPage.h"
#include "ui/RightPaneView.h"

#include <functional>

class _CSender;

// A page of the account's settings. Every change of a control marks it modified.
class CSenderPageBase : public CKovPropertyPage {
public:
    CSenderPageBase(UINT nIDTemplate, int nBit, LPCTSTR lpszTitle);
    // With bToPage the page copies its fields from the block and shows them; otherwise it takes
    // its controls' values into the block.
    virtual void Exchange(SSenderAccountRecord& record, BOOL bToPage);
    int GetBit() const { return m_nBit; }
    const CString& GetTitle() const { return m_strTitle; }
    BOOL OnInitDialog() override;
    // In a wizard the page offers Back after the first page and Finish on the last, and Finish
    // takes the last page's values as Next takes the others'.
    BOOL OnSetActive() override;
    BOOL OnWizardFinish() override;

protected:
    // The page's own fields to and from the block.
    virtual void CopyFields(SSenderAccountRecord& record, BOOL bToPage) = 0;
    virtual void UpdateEnabling() {}
    // Whether a control's notification changes the page's data (a button that only opens a
    // menu or dialog does not).
    virtual BOOL ChangesData(UINT /*nID*/) const { return TRUE; }
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void FillCombo(int nID, std::initializer_list<const char*> items);

    int m_nBit;
    CString m_strTitle;
    BOOL m_bLoading = FALSE;
};

class CPageSenderPersonInfo : public CSenderPageBase {
public:
    enum { IDD = 369, IDC_NAME = 1022, IDC_SIGNATURE = 1192, IDC_EMAIL = 1193, IDC_ORG = 1008,
           IDC_NOTES = 1037, IDC_LOAD_AT_START = 1194 };
    CPageSenderPersonInfo() : CSenderPageBase(IDD, 1, "个人信息") {}
    CString m_strText[SAccountPersonInfo::kTextCount];
    BOOL m_bLoadAtStart = FALSE;
    void DoDataExchange(CDataExchange* pDX) override;

protected:
    void CopyFields(SSenderAccountRecord& record, BOOL bToPage) override;
};

class CPageSenderMobileInfo : public CSenderPageBase {
public:
    enum { IDD = 370, IDC_BRAND = 1195, IDC_TYPE = 1011, IDC_MODEL = 1196, IDC_NUMBER = 1035,
           IDC_NETWORK = 1009, IDC_NOTES = 1037 };
    CPageSenderMobileInfo() : CSenderPageBase(IDD, 2, "手机信息") {}
    SSenderMobileInfo m_info;
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

protected:
    void CopyFields(SSenderAccountRecord& record, BOOL bToPage) override;
};

class CPageSenderSendScheme;

class CPageSenderSmsServer : public CSenderPageBase {
public:
    enum { IDD = 371, IDC_SEND_SERVER = 1231, IDC_SEND_PORT = 1189, IDC_RECV_SERVER = 1188,
           IDC_RECV_PORT = 1009, IDC_SAME = 1024, IDC_DEFAULTS = 1021 };
    CPageSenderSmsServer() : CSenderPageBase(IDD, 8, "短信服务器") {}
    SSenderServers m_servers;
    CPageSenderSendScheme* m_pSendPage = nullptr;
    void DoDataExchange(CDataExchange* pDX) override;
    // The page is shown: the gateway list is read again when the sending page names another
    // plug-in, and only from a plug-in the user chose or confirmed in this run.
    void RefreshGateways();
    const CString& GetLoadedPath() const { return m_strLoadedPath; }

protected:
    void CopyFields(SSenderAccountRecord& record, BOOL bToPage) override;
    void UpdateEnabling() override;
    void OnDefaults();
    LRESULT OnBusy(WPARAM wParam, LPARAM lParam);
    CString m_strLoadedPath;
    DECLARE_MESSAGE_MAP()
};

class CPageSenderAccount : public CSenderPageBase {
public:
    enum { IDD = 372, IDC_USER = 1022, IDC_PASSWORD = 1009, IDC_ACTION = 1197,
           IDC_APPEND_SIGNATURE = 1198, IDC_APPEND_NUMBER = 1202, IDC_SIGNATURE = 1192,
           IDC_MANAGE = 1106 };
    CPageSenderAccount() : CSenderPageBase(IDD, 16, "短信帐户") {}
    SSenderRemoteAccount m_remote;
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

protected:
    void CopyFields(SSenderAccountRecord& record, BOOL bToPage) override;
    void UpdateEnabling() override;
    BOOL ChangesData(UINT nID) const override { return nID != IDC_MANAGE; }
    // "帐户管理": the gateway account commands of the senders tree, in a menu below the button.
    void OnManage();
    DECLARE_MESSAGE_MAP()
};

class CPageSenderSendScheme : public CSenderPageBase {
public:
    enum { IDD = 373, IDC_LIBRARY = 1006, IDC_CHOOSE = 1021, IDC_DEFAULT = 1022 };
    CPageSenderSendScheme() : CSenderPageBase(IDD, 32, "发送方案") {}
    CString m_strLibrary;
    void DoDataExchange(CDataExchange* pDX) override;
    // The plug-ins the user chose with "选择..." or confirmed in this run: only these are loaded.
    static void TrustLibrary(const CString& path);
    static BOOL IsTrustedLibrary(const CString& path);
    static void ForgetTrustedLibraries();

protected:
    void CopyFields(SSenderAccountRecord& record, BOOL bToPage) override;
    void OnChoose();
    void OnDefault();
    DECLARE_MESSAGE_MAP()
};

class CPageSenderRecvScheme : public CSenderPageBase {
public:
    enum { IDD = 374, IDC_KEEP = 1200, IDC_AUTO = 1190, IDC_INTERVAL = 1006, IDC_SPIN = 1142,
           IDC_UNIT = 1010, IDC_SOUND = 1191, IDC_SOUND_DEFAULT = 1138, IDC_SOUND_FILE = 1139,
           IDC_SOUND_PATH = 1007, IDC_BROWSE = 1008, IDC_LISTEN = 1009, IDC_STORE = 1201 };
    CPageSenderRecvScheme() : CSenderPageBase(IDD, 64, "接收方案") {}
    SSenderReceiveScheme m_receive;
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

protected:
    void CopyFields(SSenderAccountRecord& record, BOOL bToPage) override;
    void UpdateEnabling() override;
    BOOL ChangesData(UINT nID) const override { return nID != IDC_BROWSE && nID != IDC_LISTEN; }
    // The spin runs from the unit's limit and steps by it; a unit change raises a smaller value.
    void ApplyUnitLimit();
    void OnUnitChange();
    void OnSpinDelta(NMHDR* pNMHDR, LRESULT* pResult);
    void OnBrowse();
    void OnListen();
    DECLARE_MESSAGE_MAP()
};

// The account's pages beside the list of their names, in the right pane.
class CSenderForm : public CView, public CIRightPaneView {
    DECLARE_DYNCREATE(CSenderForm)
public:
    enum : UINT { ID_CONFIRM = 32821, ID_CANCEL_EDIT = 32822, IDC_LIST = 1180, IDC_FRAME = 1181,
                  IDC_HELP_TEXT = 1183,
                  IDC_PENDING_HINT = 1184, IDC_FIRST_PAGE = 2000 };
    // Shown while changes wait: the tree and its commands are closed off until then, and the
    // user is told why and how to go on.
    static constexpr const char* kPendingHint =
        "修改尚未确认：请按 Ctrl+E 确认修改，或按 Ctrl+Alt+Q 放弃修改。"
        "在此之前，帐户树和“短信”菜单的命令暂不可用。";
    static constexpr int kPageCount = 6;

    CSenderForm();

    // Where the paths loaded at start-up are kept: called with the account's file and whether it
    // belongs there (set by the program's module).
    static std::function<void(const CString& path, BOOL bListed)>& StartupListUpdater();

    CSenderPageBase* GetPage(int i) { return i >= 0 && i < kPageCount ? m_pages[i] : nullptr; }
    int GetModifiedPages() const { return m_nModifiedPages; }
    void SelectPage(int i);
    int GetCurrentPage() const { return m_nCurrent; }
    // The help file of page i in the program folder ("Help\\Sender....rtf").
    static CString GetHelpFile(int i);
    // Every modified page into the account; the document is marked modified.
    void Confirm();
    // Every page from the account again.
    void CancelEdit();

    // The senders tree, told when the account's name changed.
    void SetNotifyWnd(CWnd* pWnd) override { m_hNotify = pWnd != nullptr ? pWnd->GetSafeHwnd() : nullptr; }
    void OnInitialUpdate() override;
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
    void OnDraw(CDC* pDC) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

protected:
    _CSender* GetSender();
    void LoadPages();
    void ClearModified();
    // Sets the changed pages; the first change and the last one undone tell the tree
    // (WM_USER+105 and WM_USER+106).
    void SetModifiedPages(int nPages);
    void ShowPendingHint();
    static constexpr UINT kBeginEdit = WM_USER + 105, kEndEdit = WM_USER + 106;
    static constexpr UINT kPagePictures = 248; // the six pages' 32 x 32 pictures
    void Layout(int cx, int cy);
    void OnSize(UINT nType, int cx, int cy);
    void OnListChange();
    LRESULT OnPageChanged(WPARAM wParam, LPARAM lParam);
    void OnUpdateEditCommand(CCmdUI* pCmdUI);
    DECLARE_MESSAGE_MAP()

    CPageSenderAccount m_account;
    CPageSenderPersonInfo m_person;
    CPageSenderMobileInfo m_mobile;
    CPageSenderSmsServer m_server;
    CPageSenderSendScheme m_send;
    CPageSenderRecvScheme m_recv;
    CSenderPageBase* m_pages[kPageCount];
    CKovListBox m_list;
    CImageList m_images;
    CRichEditCtrl m_help;
    int m_nHelpShown = -1; // the page whose help the box holds
    CStatic m_frame;
    CStatic m_hint;
    int m_nCurrent = 0;
    int m_nModifiedPages = 0;
    BOOL m_bCreated = FALSE;
    HWND m_hNotify = nullptr;
};

// The wizard of the person and the phone pages.
class CPSheetSender : public CPropertySheet {
public:
    explicit CPSheetSender(CWnd* pParent = nullptr);
    CPageSenderPersonInfo m_person;
    CPageSenderMobileInfo m_mobile;
};
