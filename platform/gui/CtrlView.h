// Views whose window is a common control: a list view, a tree view, a rich-edit view. Our controls
// are C++ classes that keep their own state (CListCtrl, CTreeCtrl, ...), so the view hosts one as
// a child window that always fills its client area and makes the pair behave as one window:
//  - messages the code sends to the view that belong to the control (its own message range,
//    fonts, redraw, text, input sent by code) reach the control;
//  - what the user does to the control (keys, mouse, focus, the control's own children's
//    notifications) reaches the view's message map first, and the control acts on it when the
//    view's handler passes it on (Default) or has none;
//  - the control's notifications (WM_NOTIFY, WM_COMMAND) leave through the view as if the view
//    had sent them: its parent sees the view's handle and id, reflects them to the view's
//    ON_NOTIFY_REFLECT / ON_CONTROL_REFLECT entries, and handles the rest itself; owner-drawn
//    items reach the view's DrawItem and MeasureItem;
//  - the control's style bits (the low word, WS_HSCROLL, WS_VSCROLL) set in PreCreateWindow or by
//    ModifyStyle on either window are the same on both.
// The visible seam: the window with the keyboard focus (GetFocus) and the window of the input
// messages PreTranslateMessage sees are the control (GetControl()), not the view.
#pragma once

#include "platform/gui/View.h"

#include <memory>

class CCtrlView;
class CListCtrl;
class CTreeCtrl;

// The style a view gets unless its class asks for another.
#ifndef AFX_WS_DEFAULT_VIEW
#define AFX_WS_DEFAULT_VIEW (WS_CHILD | WS_VISIBLE | WS_BORDER)
#endif

// The part of a hosted control that knows its view; CCtrlViewControl<T> adds it to a control
// class.
class CCtrlViewHosted {
public:
    virtual ~CCtrlViewHosted() = default;
    CCtrlView* m_pHostView = nullptr;
    // The control's own handling of a message, without the view seeing it first.
    virtual LRESULT ControlProc(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // Whether the view sees a message the control receives before the control acts on it.
    static bool ViewSeesFirst(UINT message);
};

class CCtrlView : public CView {
    DECLARE_DYNAMIC(CCtrlView)
public:
    // lpszClass: the control's window class ("SysListView32", ...); dwStyle: the view's style
    // unless PreCreateWindow changes it.
    CCtrlView(LPCTSTR lpszClass, DWORD dwStyle);
    ~CCtrlView() override;

    CString m_strClass;
    DWORD m_dwDefaultStyle;

    // The control object filling the view (its window exists while the view's does).
    CWnd* GetControl() const { return m_pCtrl.get(); }

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDraw(CDC* pDC) override;

    // Called by the hosted control: a message it received that the view sees first.
    LRESULT OnControlMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Called by the hosted control after its style changed.
    void OnControlStyleChanged();

protected:
    // Hands the view the object of its control, made by the derived view's constructor: a new
    // CCtrlViewControl<ControlClass>. The view owns it and creates its window with its own.
    void SetControl(CWnd* pCtrl);

    QWidget* CreateWidget(const CREATESTRUCT& cs, QWidget* parent) override;
    void OnWidgetCreated() override;
    int OnCreate(LPCREATESTRUCT lpcs);
    void OnPaint();
    DECLARE_MESSAGE_MAP()

private:
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam, bool fromControl);
    bool PassOnFromControl(UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result);
    LRESULT ToParent(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT CallControl(UINT message, WPARAM wParam, LPARAM lParam);
    void FitControl();
    CRect WholeRect() const;
    void SyncStyle(CWnd* from, CWnd* to);

    std::unique_ptr<CWnd> m_pCtrl;
    CCtrlViewHosted* m_pHosted = nullptr;
    bool m_bControlFailed = false;
    // Set while the view's map handles a message the control received.
    bool m_bFromControl = false;
    // The message the view is handing to the control, so that it coming back is passed up.
    UINT m_nForwarding = 0;
};

// A control class hosted by a view: what the control receives goes to the view first.
template <class T> class CCtrlViewControl : public T, public CCtrlViewHosted {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (m_pHostView && ViewSeesFirst(message))
            return m_pHostView->OnControlMessage(message, wParam, lParam);
        return ControlProc(message, wParam, lParam);
    }
    LRESULT ControlProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        LRESULT r = T::WindowProc(message, wParam, lParam);
        if (message == WM_STYLECHANGED && wParam == (WPARAM)GWL_STYLE && m_pHostView)
            m_pHostView->OnControlStyleChanged();
        return r;
    }
    // The view owns the object; the window going away leaves it for the view to delete.
    void PostNcDestroy() override {}
};

class CListView : public CCtrlView {
    DECLARE_DYNCREATE(CListView)
public:
    CListView();
    CListCtrl& GetListCtrl() const;
};

class CTreeView : public CCtrlView {
    DECLARE_DYNCREATE(CTreeView)
public:
    CTreeView();
    CTreeCtrl& GetTreeCtrl() const;
};
