// The frame in the right column of the main window. It owns the content views of the modules and
// shows exactly one at a time, chosen by the tree on the left. Views are made per module kind
// from classes the modules register, and shared by every open file of that kind; each open file
// (its document or root record) is registered under a key with its kind. Kind 2 names three
// fixed views made with the frame: a file browser (1), the message compose form (2) and the
// information list (3).
#pragma once

#include "ui/PaneHosts.h"

#include "platform/gui/Frame.h"

#include <array>
#include <vector>

// Sent to the main window after a kind's views went away: lay the splitter out again.
#define WM_RELAYOUT_SPLITTER (WM_USER + 200)

class CRightPaneFrame : public CFrameWnd, public CIRightPaneHost {
    DECLARE_DYNCREATE(CRightPaneFrame)
public:
    enum {
        KindAddressBook = 0,
        KindSenders = 1,
        KindFixed = 2,
        KindNotes = 3,
        KindCalendar = 4,
        KindSchedules = 5,
        KindEmail = 6,
        KindCount = 7
    };
    enum { MaxViewsPerKind = 6 };

    // The table the modules fill in: the class of view nView (from 1) of a kind. A view whose
    // class is not registered is not made, and showing it fails.
    static BOOL RegisterViewClass(int kind, int nView, CRuntimeClass* pClass);
    static CRuntimeClass* GetViewClass(int kind, int nView);
    // Empties the table (tests register views of their own).
    static void ForgetViewClasses();
    // How many views a kind has (0 for no such kind), and the child id of view nView.
    static int GetViewCount(int kind);
    static UINT GetViewChildId(int kind, int nView);

    CRightPaneFrame();
    ~CRightPaneFrame() override;

    // With key 0: makes the fixed views (once). Otherwise registers (key, kind), making the kind's
    // views over pDoc when none exist yet; -1 when (key, kind) is registered already.
    int CreateViews(DWORD_PTR key, CDocument* pDoc, int kind, CWnd* pNotifyWnd) override;
    CWnd* GetView(int nView, int kind) override;
    // Shows view nView of the kind registered under key over pDoc (null: the registered
    // document), or with key 0 fixed view nView (the compose form takes pDoc). FALSE, showing
    // nothing new, for a key never registered or a view that does not exist.
    BOOL ShowView(int nView, DWORD_PTR key, CDocument* pDoc, int kind, CWnd* pNotifyWnd) override;
    CView* GetCurrentView() override;
    CWnd* GetCurrentWnd() const { return m_pCurrent; }
    // Shows again the view shown before the current one. FALSE when there is none, also when
    // its file has been closed since.
    BOOL RestoreView() override;
    BOOL DestroyViews(DWORD_PTR key, int kind, BOOL bNotify) override;
    // Shows the compose form over pDoc, sets its mode, starts it with lStart and remembers
    // pSourceWnd as the window it returns to. FALSE when there is no compose form.
    BOOL OpenSmsEditor(CDocument* pDoc, int nMode, CWnd* pSourceWnd, LPARAM lStart,
                       int nOption) override;
    BOOL IsRegistered(DWORD_PTR key, int kind) const;

    // The windows the main frame hands over: navigation folders 0 and 1 and the navigation bar.
    void SetFrameWindows(CWnd* pFolder0, CWnd* pFolder1, CWnd* pOutbar);
    CWnd* GetFolderWnd(int i) const { return i == 0 ? m_pFolder0 : i == 1 ? m_pFolder1 : nullptr; }
    CWnd* GetOutbarWnd() const { return m_pOutbar; }

    BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext) override;
    // Commands go to the view shown now; the frame handles none itself.
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

protected:
    struct CRegistration {
        int kind = 0;
        DWORD_PTR key = 0;
        CDocument* pDoc = nullptr;
    };
    // What was shown, to show it again.
    struct CShown {
        bool valid = false;
        int kind = 0;
        DWORD_PTR key = 0;
        CDocument* pDoc = nullptr;
        int nView = 0;
    };
    typedef std::array<CWnd*, MaxViewsPerKind> CViewSet;

    CWnd* MakeView(int kind, int nView, CDocument* pDoc, CWnd* pNotifyWnd);
    CRegistration* FindRegistration(DWORD_PTR key, int kind);
    void AttachDocument(CWnd* pView, CDocument* pDoc);
    void DestroyViewSet(int kind);
    void ForgetShown(DWORD_PTR key, int kind);
    void OnDestroy();
    DECLARE_MESSAGE_MAP()

    // The fixed view i while its window lives, else null.
    CWnd* LiveFixedView(int i);

    std::array<CWnd*, 3> m_fixed{};
    std::array<HWND, 3> m_fixedHandles{};
    std::array<CViewSet, KindCount> m_sets{};
    std::array<bool, KindCount> m_hasSet{};
    std::vector<CRegistration> m_registrations;
    CWnd* m_pCurrent = nullptr;
    UINT m_nCurrentId = 0; // the child id the shown view has when it is not shown
    CShown m_current;
    CShown m_previous;
    CWnd* m_pFolder0 = nullptr;
    CWnd* m_pFolder1 = nullptr;
    CWnd* m_pOutbar = nullptr;
};
