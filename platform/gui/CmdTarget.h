// Message maps, command routing and command-state updates.
//
// A message map is a static table per class, chained to the base class's table. Each entry keeps a
// small thunk (a captureless lambda made by the ON_ macros) that casts the target back to the class
// that declared the entry and calls its member, so handlers keep their natural signatures.
#pragma once

#include "platform/base/Object.h"
#include "platform/gui/WinDefs.h"

class CCmdTarget;
class CCmdUI;
class CMenu;
class CWnd;

// One dispatch in flight: the message, its parameters, and where the answer goes.
struct AFX_MSGCALL {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    LRESULT result = 0;
    UINT nID = 0;           // command or control id (commands, notifications, ranges)
    void* pExtra = nullptr; // CCmdUI* for updates, AFX_NOTIFY* for WM_NOTIFY
};

// Thunk of one entry: answers whether the message counts as handled.
typedef BOOL (*AFX_PMSG)(CCmdTarget* target, AFX_MSGCALL& call);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;           // window message, WM_COMMAND or WM_NOTIFY (0 ends the table)
    UINT nCode;              // control notification code, or CN_UPDATE_COMMAND_UI
    UINT nID;                // first control/command id
    UINT nLastID;            // last id of a range
    const UINT* pRegistered; // registered message: the number is known only at run time
    AFX_PMSG pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

struct AFX_NOTIFY {
    LRESULT* pResult;
    NMHDR* pNMHDR;
};

// Answers "is there a handler?" queries without calling it.
struct AFX_CMDHANDLERINFO {
    CCmdTarget* pTarget;
    AFX_PMSG pmf;
};

#define CN_COMMAND 0
#define CN_UPDATE_COMMAND_UI ((UINT)(-1))
// Codes passed to OnCmdMsg for notifications carry the message in the high word.
#define CN_NOTIFY_CODE(code) ((int)MAKELONG((WORD)(code), WM_NOTIFY))

class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)
public:
    CCmdTarget() = default;
    ~CCmdTarget() override = default;

    // Routes a command, a command-state update or a notification to this target's map.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);

    void BeginWaitCursor();
    void EndWaitCursor();
    void RestoreWaitCursor();

    virtual const AFX_MSGMAP* GetMessageMap() const;

protected:
    static const AFX_MSGMAP* GetThisMessageMap();

    friend class CWnd;
    // Finds the first entry for a non-command message, walking up the chain of maps.
    static const AFX_MSGMAP_ENTRY* FindMessageEntry(const AFX_MSGMAP* map, UINT message);
};

// The state of one user-interface item (menu item, tool button, dialog control) being updated.
class CCmdUI {
public:
    UINT m_nID = 0;
    UINT m_nIndex = 0;
    UINT m_nIndexMax = 0;
    CMenu* m_pMenu = nullptr;
    CMenu* m_pSubMenu = nullptr;
    CWnd* m_pOther = nullptr;
    BOOL m_bEnableChanged = FALSE;
    BOOL m_bContinueRouting = FALSE;

    virtual ~CCmdUI() = default;
    virtual void Enable(BOOL bOn = TRUE);
    virtual void SetCheck(int nCheck = 1);
    virtual void SetRadio(BOOL bOn = TRUE);
    virtual void SetText(LPCTSTR lpszText);
    void ContinueRouting() { m_bContinueRouting = TRUE; }

    // Asks the target for the state; with bDisableIfNoHndler an item nobody handles is disabled.
    BOOL DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHndler);
};

// ---- Map declaration macros ---------------------------------------------------------------

#define DECLARE_MESSAGE_MAP()                                                                      \
protected:                                                                                         \
    static const AFX_MSGMAP* GetThisMessageMap();                                                  \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const {                                            \
        return GetThisMessageMap();                                                                \
    }                                                                                              \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                              \
        using ThisClass [[maybe_unused]] = theClass;                                               \
        using TheBaseClass = baseClass;                                                            \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                                          \
    { 0, 0, 0, 0, nullptr, nullptr }                                                               \
    }                                                                                              \
    ;                                                                                              \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]};  \
    return &messageMap;                                                                            \
    }

#define AFX_THIS(t) static_cast<ThisClass*>(t)

// One entry whose thunk runs body with p (the target as the declaring class) and c (the call).
#define AFX_ENTRY(msg, code, id, idLast, reg, body)                                                \
    {(UINT)(msg),                                                                                  \
     (UINT)(code),                                                                                 \
     (UINT)(id),                                                                                   \
     (UINT)(idLast),                                                                               \
     reg,                                                                                          \
     [](CCmdTarget* t, [[maybe_unused]] AFX_MSGCALL& c) -> BOOL {                                  \
         [[maybe_unused]] ThisClass* p = AFX_THIS(t);                                              \
         [[maybe_unused]] AFX_NOTIFY* n = static_cast<AFX_NOTIFY*>(c.pExtra);                      \
         body                                                                                      \
     }},

// ---- Commands and notifications ------------------------------------------------------------

#define ON_COMMAND(id, memberFxn)                                                                  \
    AFX_ENTRY(WM_COMMAND, CN_COMMAND, id, id, nullptr, (p->*(memberFxn))(); return TRUE;)
#define ON_COMMAND_EX(id, memberFxn)                                                               \
    AFX_ENTRY(WM_COMMAND, CN_COMMAND, id, id, nullptr, return (p->*(memberFxn))(c.nID);)
#define ON_COMMAND_RANGE(id, idLast, memberFxn)                                                    \
    AFX_ENTRY(WM_COMMAND, CN_COMMAND, id, idLast, nullptr, (p->*(memberFxn))(c.nID); return TRUE;)
#define ON_UPDATE_COMMAND_UI(id, memberFxn)                                                        \
    AFX_ENTRY(WM_COMMAND, CN_UPDATE_COMMAND_UI, id, id, nullptr,                                   \
              (p->*(memberFxn))(static_cast<CCmdUI*>(c.pExtra));                                   \
              return TRUE;)
#define ON_UPDATE_COMMAND_UI_RANGE(id, idLast, memberFxn)                                          \
    AFX_ENTRY(WM_COMMAND, CN_UPDATE_COMMAND_UI, id, idLast, nullptr,                               \
              (p->*(memberFxn))(static_cast<CCmdUI*>(c.pExtra));                                   \
              return TRUE;)
#define ON_CONTROL(code, id, memberFxn)                                                            \
    AFX_ENTRY(WM_COMMAND, (WORD)(code), id, id, nullptr, (p->*(memberFxn))(); return TRUE;)
#define ON_CONTROL_RANGE(code, id, idLast, memberFxn)                                              \
    AFX_ENTRY(WM_COMMAND, (WORD)(code), id, idLast, nullptr, (p->*(memberFxn))(c.nID); return TRUE;)
#define ON_NOTIFY(code, id, memberFxn)                                                             \
    AFX_ENTRY(WM_NOTIFY, (WORD)(code), id, id, nullptr, (p->*(memberFxn))(n->pNMHDR, n->pResult);  \
              return TRUE;)
#define ON_NOTIFY_RANGE(code, id, idLast, memberFxn)                                               \
    AFX_ENTRY(WM_NOTIFY, (WORD)(code), id, idLast, nullptr,                                        \
              (p->*(memberFxn))(c.nID, n->pNMHDR, n->pResult);                                     \
              return TRUE;)
#define ON_NOTIFY_EX(code, id, memberFxn)                                                          \
    AFX_ENTRY(WM_NOTIFY, (WORD)(code), id, id, nullptr,                                            \
              return (p->*(memberFxn))(c.nID, n->pNMHDR, n->pResult);)

// Reflected notifications come back to the control itself as WM_REFLECT_BASE + message; the _EX
// forms answer FALSE to let the parent handle the notification as well.
#define ON_CONTROL_REFLECT(code, memberFxn)                                                        \
    AFX_ENTRY(WM_REFLECT_BASE + WM_COMMAND, (WORD)(code), 0, 0, nullptr, (p->*(memberFxn))();      \
              return TRUE;)
#define ON_CONTROL_REFLECT_EX(code, memberFxn)                                                     \
    AFX_ENTRY(WM_REFLECT_BASE + WM_COMMAND, (WORD)(code), 0, 0, nullptr,                           \
              return (p->*(memberFxn))();)
#define ON_NOTIFY_REFLECT(code, memberFxn)                                                         \
    AFX_ENTRY(WM_REFLECT_BASE + WM_NOTIFY, (WORD)(code), 0, 0, nullptr,                            \
              (p->*(memberFxn))(n->pNMHDR, n->pResult);                                            \
              return TRUE;)
#define ON_NOTIFY_REFLECT_EX(code, memberFxn)                                                      \
    AFX_ENTRY(WM_REFLECT_BASE + WM_NOTIFY, (WORD)(code), 0, 0, nullptr,                            \
              return (p->*(memberFxn))(n->pNMHDR, n->pResult);)

#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_DOUBLECLICKED(id, memberFxn) ON_CONTROL(BN_DOUBLECLICKED, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_EN_UPDATE(id, memberFxn) ON_CONTROL(EN_UPDATE, id, memberFxn)
#define ON_EN_SETFOCUS(id, memberFxn) ON_CONTROL(EN_SETFOCUS, id, memberFxn)
#define ON_EN_KILLFOCUS(id, memberFxn) ON_CONTROL(EN_KILLFOCUS, id, memberFxn)
#define ON_EN_MAXTEXT(id, memberFxn) ON_CONTROL(EN_MAXTEXT, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
#define ON_CBN_EDITCHANGE(id, memberFxn) ON_CONTROL(CBN_EDITCHANGE, id, memberFxn)
#define ON_CBN_EDITUPDATE(id, memberFxn) ON_CONTROL(CBN_EDITUPDATE, id, memberFxn)
#define ON_CBN_DROPDOWN(id, memberFxn) ON_CONTROL(CBN_DROPDOWN, id, memberFxn)
#define ON_CBN_CLOSEUP(id, memberFxn) ON_CONTROL(CBN_CLOSEUP, id, memberFxn)
#define ON_CBN_SETFOCUS(id, memberFxn) ON_CONTROL(CBN_SETFOCUS, id, memberFxn)
#define ON_LBN_SELCHANGE(id, memberFxn) ON_CONTROL(LBN_SELCHANGE, id, memberFxn)
#define ON_LBN_DBLCLK(id, memberFxn) ON_CONTROL(LBN_DBLCLK, id, memberFxn)
#define ON_STN_CLICKED(id, memberFxn) ON_CONTROL(STN_CLICKED, id, memberFxn)

// ---- Plain, user and registered messages ---------------------------------------------------

#define ON_MESSAGE(message, memberFxn)                                                             \
    AFX_ENTRY(message, 0, 0, 0, nullptr, c.result = (p->*(memberFxn))(c.wParam, c.lParam);         \
              return TRUE;)
#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn)                                         \
    AFX_ENTRY(0xC000, 0, 0, 0, &(nMessageVariable),                                                \
              c.result = (p->*(memberFxn))(c.wParam, c.lParam);                                    \
              return TRUE;)

// The window messages: each macro names the handler the framework names.
#define AFX_ON_WM(msg, call) AFX_ENTRY(msg, 0, 0, 0, nullptr, call; return TRUE;)

#define AFX_PT(lp) CPoint((short)LOWORD(lp), (short)HIWORD(lp))

#define ON_WM_CREATE()                                                                             \
    AFX_ON_WM(WM_CREATE, c.result = p->OnCreate(reinterpret_cast<LPCREATESTRUCT>(c.lParam)))
#define ON_WM_DESTROY() AFX_ON_WM(WM_DESTROY, p->OnDestroy())
#define ON_WM_NCDESTROY() AFX_ON_WM(WM_NCDESTROY, p->OnNcDestroy())
#define ON_WM_CLOSE() AFX_ON_WM(WM_CLOSE, p->OnClose())
#define ON_WM_PAINT() AFX_ON_WM(WM_PAINT, p->OnPaint())
#define ON_WM_ERASEBKGND()                                                                         \
    AFX_ON_WM(WM_ERASEBKGND, c.result = p->OnEraseBkgnd(CDC::FromHandle((HDC)c.wParam)))
#define ON_WM_SIZE()                                                                               \
    AFX_ON_WM(WM_SIZE, p->OnSize((UINT)c.wParam, LOWORD(c.lParam), HIWORD(c.lParam)))
#define ON_WM_MOVE() AFX_ON_WM(WM_MOVE, p->OnMove((short)LOWORD(c.lParam), (short)HIWORD(c.lParam)))
#define ON_WM_TIMER() AFX_ON_WM(WM_TIMER, p->OnTimer((UINT_PTR)c.wParam))
#define ON_WM_SETFOCUS() AFX_ON_WM(WM_SETFOCUS, p->OnSetFocus(CWnd::FromHandle((HWND)c.wParam)))
#define ON_WM_KILLFOCUS() AFX_ON_WM(WM_KILLFOCUS, p->OnKillFocus(CWnd::FromHandle((HWND)c.wParam)))
#define ON_WM_ENABLE() AFX_ON_WM(WM_ENABLE, p->OnEnable((BOOL)c.wParam))
#define ON_WM_SHOWWINDOW() AFX_ON_WM(WM_SHOWWINDOW, p->OnShowWindow((BOOL)c.wParam, (UINT)c.lParam))
#define ON_WM_ACTIVATE()                                                                           \
    AFX_ON_WM(WM_ACTIVATE, p->OnActivate(LOWORD(c.wParam), CWnd::FromHandle((HWND)c.lParam),       \
                                         (BOOL)HIWORD(c.wParam)))
#define ON_WM_KEYDOWN()                                                                            \
    AFX_ON_WM(WM_KEYDOWN, p->OnKeyDown((UINT)c.wParam, LOWORD(c.lParam), (UINT)HIWORD(c.lParam)))
#define ON_WM_KEYUP()                                                                              \
    AFX_ON_WM(WM_KEYUP, p->OnKeyUp((UINT)c.wParam, LOWORD(c.lParam), (UINT)HIWORD(c.lParam)))
#define ON_WM_SYSKEYDOWN()                                                                         \
    AFX_ON_WM(WM_SYSKEYDOWN,                                                                       \
              p->OnSysKeyDown((UINT)c.wParam, LOWORD(c.lParam), (UINT)HIWORD(c.lParam)))
#define ON_WM_CHAR()                                                                               \
    AFX_ON_WM(WM_CHAR, p->OnChar((UINT)c.wParam, LOWORD(c.lParam), (UINT)HIWORD(c.lParam)))
#define ON_WM_MOUSEMOVE() AFX_ON_WM(WM_MOUSEMOVE, p->OnMouseMove((UINT)c.wParam, AFX_PT(c.lParam)))
#define ON_WM_LBUTTONDOWN()                                                                        \
    AFX_ON_WM(WM_LBUTTONDOWN, p->OnLButtonDown((UINT)c.wParam, AFX_PT(c.lParam)))
#define ON_WM_LBUTTONUP() AFX_ON_WM(WM_LBUTTONUP, p->OnLButtonUp((UINT)c.wParam, AFX_PT(c.lParam)))
#define ON_WM_LBUTTONDBLCLK()                                                                      \
    AFX_ON_WM(WM_LBUTTONDBLCLK, p->OnLButtonDblClk((UINT)c.wParam, AFX_PT(c.lParam)))
#define ON_WM_RBUTTONDOWN()                                                                        \
    AFX_ON_WM(WM_RBUTTONDOWN, p->OnRButtonDown((UINT)c.wParam, AFX_PT(c.lParam)))
#define ON_WM_RBUTTONUP() AFX_ON_WM(WM_RBUTTONUP, p->OnRButtonUp((UINT)c.wParam, AFX_PT(c.lParam)))
#define ON_WM_RBUTTONDBLCLK()                                                                      \
    AFX_ON_WM(WM_RBUTTONDBLCLK, p->OnRButtonDblClk((UINT)c.wParam, AFX_PT(c.lParam)))
#define ON_WM_MOUSEWHEEL()                                                                         \
    AFX_ON_WM(WM_MOUSEWHEEL, c.result = p->OnMouseWheel(LOWORD(c.wParam), (short)HIWORD(c.wParam), \
                                                        AFX_PT(c.lParam)))
#define ON_WM_CONTEXTMENU()                                                                        \
    AFX_ON_WM(WM_CONTEXTMENU, p->OnContextMenu(CWnd::FromHandle((HWND)c.wParam), AFX_PT(c.lParam)))
#define ON_WM_HSCROLL()                                                                            \
    AFX_ON_WM(WM_HSCROLL, p->OnHScroll(LOWORD(c.wParam), (short)HIWORD(c.wParam),                  \
                                       CScrollBar::FromHandleScroll((HWND)c.lParam)))
#define ON_WM_VSCROLL()                                                                            \
    AFX_ON_WM(WM_VSCROLL, p->OnVScroll(LOWORD(c.wParam), (short)HIWORD(c.wParam),                  \
                                       CScrollBar::FromHandleScroll((HWND)c.lParam)))
#define ON_WM_GETDLGCODE() AFX_ON_WM(WM_GETDLGCODE, c.result = p->OnGetDlgCode())
#define ON_WM_SETCURSOR()                                                                          \
    AFX_ON_WM(WM_SETCURSOR, c.result = p->OnSetCursor(CWnd::FromHandle((HWND)c.wParam),            \
                                                      LOWORD(c.lParam), HIWORD(c.lParam)))
#define ON_WM_CAPTURECHANGED()                                                                     \
    AFX_ON_WM(WM_CAPTURECHANGED, p->OnCaptureChanged(CWnd::FromHandle((HWND)c.lParam)))
#define ON_WM_SYSCOMMAND() AFX_ON_WM(WM_SYSCOMMAND, p->OnSysCommand((UINT)c.wParam, c.lParam))
#define ON_WM_DRAWITEM()                                                                           \
    AFX_ON_WM(WM_DRAWITEM,                                                                         \
              p->OnDrawItem((int)c.wParam, reinterpret_cast<LPDRAWITEMSTRUCT>(c.lParam)))
#define ON_WM_MEASUREITEM()                                                                        \
    AFX_ON_WM(WM_MEASUREITEM,                                                                      \
              p->OnMeasureItem((int)c.wParam, reinterpret_cast<LPMEASUREITEMSTRUCT>(c.lParam)))
// One entry serves every WM_CTLCOLOR* message; the kind comes from the message.
#define ON_WM_CTLCOLOR()                                                                           \
    AFX_ON_WM(WM_CTLCOLOR, c.result = (LRESULT)p->OnCtlColor(CDC::FromHandle((HDC)c.wParam),       \
                                                             CWnd::FromHandle((HWND)c.lParam),     \
                                                             c.message - WM_CTLCOLORMSGBOX))
// The control's own colours when its parent does not choose them: a null brush lets the
// parent's default stand.
#define ON_WM_CTLCOLOR_REFLECT()                                                                   \
    AFX_ENTRY(WM_REFLECT_BASE + WM_CTLCOLOR, 0, 0, 0, nullptr,                                     \
              c.result = (LRESULT)p->CtlColor(CDC::FromHandle((HDC)c.wParam),                      \
                                              c.message - WM_CTLCOLORMSGBOX);                      \
              return c.result != 0;)
