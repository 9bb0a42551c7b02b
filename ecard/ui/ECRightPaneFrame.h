// The right half of an e-card user's window: five views, one shown at a time, with the group
// tool bar (contact list, access table) above them in group mode and the contact tool bar (card,
// read-only card, messages) in contact mode. Also the tool bar that paints its own ground and
// the window's navigation bar.
#pragma once

#include "platform/gui/Frame.h"
#include "platform/gui/ImageList.h"
#include "platform/gui/ToolBar.h"
#include "platform/gui/View.h"
#include "shell/OutbarWnd.h"

class CECUserDoc;

// The numbers of the right pane's views and the commands that show them.
enum {
    EC_VIEW_PERSON_LIST = 1,
    EC_VIEW_ACCESS_LIST = 2,
    EC_VIEW_CARD_FORM = 3,
    EC_VIEW_BROWSE_CARD = 4,
    EC_VIEW_MESSAGES = 5,
    EC_VIEW_COUNT = 5,
};
enum {
    ID_EC_VIEW_PERSON_LIST = 1504,
    ID_EC_VIEW_ACCESS_LIST = 1505,
    ID_EC_VIEW_CARD_FORM = 1522,
    ID_EC_VIEW_BROWSE_CARD = 1523,
    ID_EC_VIEW_MESSAGES = 1534,
};
// The right pane's modes.
enum { EC_MODE_GROUP = 1, EC_MODE_CONTACT = 2, EC_MODE_NONE = 3 };
// A picture of the program's resources for the e-card windows' bars and items (a stand-in picture
// when it is missing); it needs no application object.
HICON ECLoadPicture(UINT nID);

// To the user's window: lay the splitter out again.
#define WM_EC_RELAYOUT (WM_USER + 200)

class CECRightToolBar : public CToolBar {
public:
    static const COLORREF kGround = 0xB99D7F;

protected:
    BOOL OnEraseBkgnd(CDC* pDC);
    DECLARE_MESSAGE_MAP()
};

// A view that holds a place in the right pane until its real class is registered.
class CECPlaceholderView : public CView {
    DECLARE_DYNCREATE(CECPlaceholderView)
public:
    void OnDraw(CDC* pDC) override;
};

class CECRightPaneFrame : public CFrameWnd {
    DECLARE_DYNCREATE(CECRightPaneFrame)
public:
    // The class of view n (1..5); a view without one is a placeholder.
    static void RegisterViewClass(int nView, CRuntimeClass* pClass);
    // The e-card module's views: contact list, access table, card form, read-only card and
    // messages.
    static void RegisterStandardViews();

    CECRightPaneFrame();
    ~CECRightPaneFrame() override;

    // Makes the five views over the document (once) and the two tool bars.
    BOOL Initialize(CECUserDoc* pDoc, CWnd* pTree);
    void SetMode(int nMode, CWnd* pTree);
    int GetMode() const { return m_nMode; }
    int GetCurrentViewNumber() const { return m_nCurrent; }
    static BOOL IsCardForm(int nView) { return nView == EC_VIEW_CARD_FORM; }
    BOOL ShowViewNumber(int nView, CWnd* pOwner);
    CWnd* GetViewWnd(int nView) const;
    CToolBar& GetGroupBar() { return m_groupBar; }
    CToolBar& GetContactBar() { return m_contactBar; }
    // The remembered view of a mode.
    int GetModeView(int nMode) const;

    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    // The views are made by Initialize, not from the creation context (which names this class).
    BOOL OnCreateClient(LPCREATESTRUCT, CCreateContext*) override { return TRUE; }

protected:
    BOOL CreateBar(CECRightToolBar& bar, CImageList& images, const UINT* ids, int nIds,
                   const UINT* icons, int nIcons, const char* const* texts);
    void OnViewCommand(UINT nID);
    void OnMessagesCommand();
    void OnUpdateViewCommand(CCmdUI* pCmdUI);

    CWnd* m_views[EC_VIEW_COUNT + 1] = {};
    UINT m_savedIds[EC_VIEW_COUNT + 1] = {};
    int m_nCurrent = 0;
    int m_nMode = EC_MODE_GROUP;
    int m_modeViews[4] = {0, EC_VIEW_PERSON_LIST, EC_VIEW_CARD_FORM, EC_VIEW_CARD_FORM};
    CWnd* m_modeTrees[4] = {};
    CECRightToolBar m_groupBar, m_contactBar;
    CImageList m_groupImages, m_contactImages;
    BOOL m_bInitialized = FALSE;
    DECLARE_MESSAGE_MAP()
};

// The e-card window's navigation bar: a drawer whose buttons are a little taller.
class CECOutbarWnd : public COutbarWnd {
    DECLARE_DYNCREATE(CECOutbarWnd)
public:
    enum { ButtonHeight = 20 };
    CECOutbarWnd();

protected:
    // The bar goes with its window (the user's window keeps no other hold of it).
    void PostNcDestroy() override { delete this; }
};
