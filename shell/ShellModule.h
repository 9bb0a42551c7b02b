// The one place where the program's modules join the shell. A module (address book, messages,
// notes, calendar, information, e-mail, e-card) registers one object; the application object and
// the main window reach a module only through it: the module's navigation folder, its document
// template, its right-pane views, the files it opens by extension, its steps at start-up, idle
// time and close, and its option pages. A folder whose module is not registered shows a plain
// window saying the module is not in this build; its files are neither opened nor registered.
#pragma once

#include "platform/base/CString.h"
#include "platform/gui/View.h"

#include <vector>

class CDocTemplate;
class CDocument;
class CMainFrame;
class CPropertySheet;
class CSmsApp;
class _CSmsBox;

// The navigation folders, in the bar's order.
enum {
    FolderAddressBook = 0,
    FolderSms = 1,
    FolderNotes = 2,
    FolderCalendar = 3,
    FolderInfo = 4,
    FolderMail = 5,
    FolderCount = 6
};

class CShellModule {
public:
    virtual ~CShellModule() = default;

    // The navigation folder the module fills (FolderAddressBook..FolderMail), -1 for none.
    virtual int GetFolder() const { return -1; }
    // The class of the folder's window (a view or a window made from its class).
    virtual CRuntimeClass* GetFolderClass() const { return nullptr; }
    // The extensions the module opens, lower-case with the dot (".sms").
    virtual std::vector<CString> GetExtensions() const { return {}; }
    // The module's document template (the application owns it), or null.
    virtual CDocTemplate* CreateDocTemplate() { return nullptr; }
    // Enters the module's classes in the right pane's view table.
    virtual void RegisterViews() {}
    // Opens a file of one of its extensions; the frame has selected the module's folder. Answers
    // the document opened (or a non-null marker of the file opened), null when nothing opened.
    virtual CDocument* OpenFile(CMainFrame* /*pFrame*/, LPCTSTR /*lpszPath*/,
                                const CString& /*ext*/) {
        return nullptr;
    }
    // Once the frame's folders exist: the module connects its folder window to the right pane,
    // the other trees and the frame.
    virtual void ConnectFrame(CMainFrame* /*pFrame*/) {}
    // New messages arrived in the holding box (their state is unread already) for the account
    // (null for none): the module names their senders and files them. Answers how many it filed.
    virtual int FileNewMessages(CMainFrame* /*pFrame*/, void* /*pAccount*/, _CSmsBox* /*pBox*/) {
        return 0;
    }
    // A timer of the main window went off (the calendar's reminder uses timer 1000).
    virtual void OnFrameTimer(CMainFrame* /*pFrame*/, UINT_PTR /*nIDEvent*/) {}
    // The close goes on later (a phone link that has to close first ends the program itself).
    virtual BOOL DefersClose(CMainFrame* /*pFrame*/) { return FALSE; }
    // Just before the trees close their files (the device manager keeps its held messages).
    virtual void BeforeCloseFiles(CMainFrame* /*pFrame*/) {}
    // Whether the program may close now; a refusal fills the reason.
    virtual BOOL CanClose(CString& /*reason*/) { return TRUE; }
    // Closes the module's open files at program close, asking to save; FALSE when cancelled.
    virtual BOOL CloseFiles(CMainFrame* /*pFrame*/) { return TRUE; }
    // After the main window is shown (birthday reminder, log-in, reminder timer...).
    virtual void OnStartup(CSmsApp* /*pApp*/) {}
    // Idle time; TRUE asks for more idle passes.
    virtual BOOL OnIdle(CSmsApp* /*pApp*/, LONG /*lCount*/) { return FALSE; }
    // At exit, before the options are saved.
    virtual void OnExit(CSmsApp* /*pApp*/) {}
    // Adds the module's pages to the options sheet.
    virtual void AddOptionPages(CPropertySheet* /*pSheet*/) {}
    // The paths of the files of this extension open in the module now, in the module's order.
    virtual std::vector<CString> GetOpenFiles(const CString& /*ext*/) const { return {}; }
    // The options changed the files of this extension opened at start (the module marks its
    // open files that are among them).
    virtual void OnPresetFilesChanged(const CString& /*ext*/) {}
    // The options changed the first day of the week (0 Sunday).
    virtual void OnStartWeekDayChanged(int /*nDay*/) {}
    // An application command (tool bar, menus) as the command routing asks it after the
    // application itself: CN_COMMAND carries it out (only answers whether it is the module's when
    // pHandlerInfo is given), CN_UPDATE_COMMAND_UI sets its state through the CCmdUI in pExtra.
    // TRUE when the command is the module's.
    virtual BOOL OnAppCommand(CSmsApp* /*pApp*/, UINT /*nID*/, int /*nCode*/, void* /*pExtra*/,
                              AFX_CMDHANDLERINFO* /*pHandlerInfo*/) {
        return FALSE;
    }
};

// Adds a module (the caller keeps it alive). Later registrations for the same folder win.
void AfxRegisterShellModule(CShellModule* pModule);
// Forgets a module (tests), or all of them with null.
void AfxUnregisterShellModule(CShellModule* pModule);
const std::vector<CShellModule*>& AfxGetShellModules();
// The module of a folder, and the module that opens an extension (lower-case, with the dot).
CShellModule* AfxFindFolderModule(int nFolder);
CShellModule* AfxFindExtensionModule(const CString& ext);

// The folder window of a module that is not in this build: a plain window that says so.
class CModuleMissingView : public CView {
    DECLARE_DYNCREATE(CModuleMissingView)
public:
    // The text shown for a folder caption.
    static CString MessageFor(LPCTSTR lpszCaption);
    void OnDraw(CDC* pDC) override;
};
