// What the shared tree and list views of this folder need of the windows the application shell
// builds around them. The shell sits above this folder, so the views reach those windows only
// through these interfaces, which the shell's windows implement next to their window base class
// (a view finds them with dynamic_cast on the window it holds or on its parent).
#pragma once

#include "platform/base/Types.h"

class CDocument;
class CView;
class CWnd;

// The right-hand pane of the main window: it owns the content views of each module kind and shows
// one of them for the item selected in a tree. Every open file registers under a key of its own
// (the tree uses its file id) together with its module kind; key 0 means "no key".
class CIRightPaneHost {
public:
    // Module kind of the three fixed views (file browser 1, compose form 2, information list 3).
    static constexpr int FixedViews = 2;

    virtual ~CIRightPaneHost() = default;

    // Registers the file under (key, kind) and creates the kind's views when they do not exist
    // yet, each created over pDoc and told pNotifyWnd. -1 when (key, kind) is already
    // registered, else 0.
    virtual int CreateViews(DWORD_PTR key, CDocument* pDoc, int kind, CWnd* pNotifyWnd) = 0;
    // Removes the registration of (key, kind); the last one of a kind destroys the kind's views.
    // With bNotify the main window lays its splitter out again. FALSE when it was not registered.
    virtual BOOL DestroyViews(DWORD_PTR key, int kind, BOOL bNotify) = 0;
    // Shows view nView of the kind registered under key (with key 0: fixed view nView), attached
    // to the registered document (or to pDoc), with pNotifyWnd as its notification target when
    // given; it becomes the pane's active view. FALSE for an unknown key or view.
    virtual BOOL ShowView(int nView, DWORD_PTR key, CDocument* pDoc, int kind, CWnd* pNotifyWnd) = 0;
    // View nView of the kind, null when that kind has no such view (yet).
    virtual CWnd* GetView(int nView, int kind) = 0;
    // The view shown now, null before the first one is shown.
    virtual CView* GetCurrentView() = 0;
    // Shows again the view shown before the current one; FALSE when there is none.
    virtual BOOL RestoreView() { return FALSE; }
    // Shows the message compose form (fixed view 2) over pDoc in the mode, starts it with lStart
    // (a list of contacts, or a message) and remembers pSourceWnd as the window it returns to.
    // FALSE when there is no compose form.
    virtual BOOL OpenSmsEditor(CDocument* /*pDoc*/, int /*nMode*/, CWnd* /*pSourceWnd*/,
                               LPARAM /*lStart*/, int /*nOption*/) {
        return FALSE;
    }
};

// The navigation bar on the left of the main window: its folders are the module trees. A tree
// whose parent is the bar asks it to lay out again when the tree's content changed its size needs.
class CINavigationBarHost {
public:
    virtual ~CINavigationBarHost() = default;

    // Hides every folder window, redraws the buttons and shows the selected folder's window sized
    // to the folder area.
    virtual void LayoutFolderWnds() = 0;
    // The folders a tree may relabel or close off while it changes what it offers (a bar without
    // folders of its own ignores them).
    virtual int GetFolderCount() const { return 0; }
    virtual void SetFolderCaption(int /*i*/, LPCTSTR /*lpszCaption*/, BOOL /*bRelayout*/ = FALSE) {}
    virtual void EnableFolder(int /*i*/, BOOL /*bEnable*/) {}
    // Brings the folder whose window is pWnd to the front (a tree whose mode ended while the
    // user looked at another folder shows itself again).
    virtual void ShowFolderOf(CWnd* /*pWnd*/) {}
};

// The main window's keyboard filter: a view whose command ran from an accelerator key (Close with
// Ctrl+W) marks the key as consumed, so the key does not also reach the focused control.
class CIMainFrameHost {
public:
    virtual ~CIMainFrameHost() = default;

    // Sets the flag the frame's key pre-translation reads and clears.
    virtual void SetKeyConsumed() = 0;
};
