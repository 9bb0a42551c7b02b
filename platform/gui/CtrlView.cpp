#include "platform/gui/CtrlView.h"

#include "platform/gui/ListCtrl.h"
#include "platform/gui/TreeCtrl.h"
#include "platform/gui/WndPrivate.h"

#include <QWidget>

IMPLEMENT_DYNAMIC(CCtrlView, CView)
IMPLEMENT_DYNCREATE(CListView, CCtrlView)
IMPLEMENT_DYNCREATE(CTreeView, CCtrlView)

namespace {

// The style bits that belong to the control: its class's own (LVS_, TVS_, ES_, ...) and its
// scroll bars, which the control shows (a tree adds and removes WS_VSCROLL as it needs it).
constexpr DWORD kControlStyleBits = 0x0000FFFF | WS_HSCROLL | WS_VSCROLL;

// Edit messages below WM_USER (EM_GETSEL .. EM_GETIMESTATUS and kin) and the clipboard
// messages (cut, copy, paste, clear, undo).
constexpr UINT kClassicControlFirst = 0x00B0;
constexpr UINT kClassicControlLast = 0x00FF;
constexpr UINT kClipboardFirst = 0x0300;
constexpr UINT kClipboardLast = 0x0304;

bool IsKeyOrButton(UINT message) {
    // The wheel is left out: unhandled, a control passes it on to its parent.
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message < WM_MOUSEWHEEL);
}

// Messages sent by code to the view that the control answers.
bool ForwardsToControl(UINT message) {
    if (message >= WM_USER && message < WM_APP)
        return true;
    if ((message >= kClassicControlFirst && message <= kClassicControlLast) ||
        (message >= kClipboardFirst && message <= kClipboardLast) || IsKeyOrButton(message))
        return true;
    switch (message) {
    case WM_SETFONT:
    case WM_GETFONT:
    case WM_SETREDRAW:
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_GETDLGCODE:
        return true;
    default:
        return false;
    }
}

bool IsInside(CWnd* ancestor, HWND hWnd) {
    CWnd* w = CWnd::FromHandlePermanent(hWnd);
    return w && w != ancestor && ancestor->IsChild(w);
}

} // namespace

bool CCtrlViewHosted::ViewSeesFirst(UINT message) {
    if (IsKeyOrButton(message))
        return true;
    switch (message) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CAPTURECHANGED:
    case WM_GETDLGCODE:
    // From the control's own children (a list's header, a label editor).
    case WM_NOTIFY:
    case WM_COMMAND:
    case WM_DRAWITEM:
        return true;
    default:
        return false;
    }
}

// ---- CCtrlView ------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CCtrlView, CView)
ON_WM_CREATE()
ON_WM_PAINT()
END_MESSAGE_MAP()

CCtrlView::CCtrlView(LPCTSTR lpszClass, DWORD dwStyle)
    : m_strClass(lpszClass ? lpszClass : ""), m_dwDefaultStyle(dwStyle) {}

CCtrlView::~CCtrlView() {
    // The control goes first, while the view can still hear of it; it no longer reaches the
    // view meanwhile.
    if (m_pHosted)
        m_pHosted->m_pHostView = nullptr;
    if (m_pCtrl && m_pCtrl->m_hWnd)
        m_pCtrl->DestroyWindow();
    m_pCtrl.reset();
}

void CCtrlView::SetControl(CWnd* pCtrl) {
    if (m_pHosted)
        m_pHosted->m_pHostView = nullptr;
    m_pCtrl.reset(pCtrl);
    m_pHosted = dynamic_cast<CCtrlViewHosted*>(pCtrl);
    if (m_pHosted)
        m_pHosted->m_pHostView = this;
}

BOOL CCtrlView::PreCreateWindow(CREATESTRUCT& cs) {
    cs.lpszClass = m_strClass;
    cs.style |= m_dwDefaultStyle;
    return CView::PreCreateWindow(cs);
}

QWidget* CCtrlView::CreateWidget(const CREATESTRUCT&, QWidget* parent) {
    // The view's own window only holds the control; it never becomes the control class's widget.
    return new QWidget(parent);
}

void CCtrlView::OnWidgetCreated() {
    CView::OnWidgetCreated();
    if (!m_pCtrl || m_pCtrl->m_hWnd)
        return;
    // The control exists before the view's WM_CREATE, so a derived view may fill it there.
    CRect rc = WholeRect();
    DWORD style = WS_CHILD | WS_VISIBLE | (GetStyle() & kControlStyleBits);
    m_bControlFailed = !m_pCtrl->CreateEx(0, m_strClass, m_p->text, style, rc, this,
                                          (UINT)GetDlgCtrlID());
    if (m_bControlFailed)
        return;
    if (QWidget* w = GetWidget())
        w->setFocusProxy(m_pCtrl->GetWidget());
    m_p->invalidateAlso = m_pCtrl->m_hWnd;
}

int CCtrlView::OnCreate(LPCREATESTRUCT lpcs) {
    if (!m_pCtrl || m_bControlFailed || !m_pCtrl->m_hWnd)
        return -1;
    return CView::OnCreate(lpcs);
}

void CCtrlView::OnPaint() {
    // The control paints the whole view.
    Default();
}

void CCtrlView::OnDraw(CDC*) {}

LRESULT CCtrlView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return Dispatch(message, wParam, lParam, false);
}

LRESULT CCtrlView::OnControlMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return Dispatch(message, wParam, lParam, true);
}

LRESULT CCtrlView::Dispatch(UINT message, WPARAM wParam, LPARAM lParam, bool fromControl) {
    LRESULT result = 0;
    if (!fromControl && PassOnFromControl(message, wParam, lParam, result))
        return result;
    HWND self = m_hWnd;
    bool saved = m_bFromControl;
    m_bFromControl = fromControl;
    result = CView::WindowProc(message, wParam, lParam);
    // A view deletes itself with its window.
    if (!self || !IsWindow(self) || message == WM_NCDESTROY)
        return result;
    m_bFromControl = saved;
    if (message == WM_SIZE)
        FitControl();
    else if (message == WM_STYLECHANGED && wParam == (WPARAM)GWL_STYLE)
        SyncStyle(this, m_pCtrl.get());
    return result;
}

// What the control tells its parent (the view) goes on as the view's own word: notifications
// with the view's handle and id to the view's parent, which reflects them back to the view;
// what the control passes on from its own children goes to the view's parent unchanged.
bool CCtrlView::PassOnFromControl(UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) {
    CWnd* ctrl = m_pCtrl.get();
    if (!ctrl || !ctrl->m_hWnd || !m_hWnd)
        return false;
    HWND hCtrl = ctrl->m_hWnd;
    switch (message) {
    case WM_NOTIFY: {
        auto* nm = reinterpret_cast<NMHDR*>(lParam);
        if (!nm)
            return false;
        if (nm->hwndFrom == hCtrl) {
            UINT_PTR id = nm->idFrom;
            nm->hwndFrom = m_hWnd;
            nm->idFrom = (UINT_PTR)GetDlgCtrlID();
            result = ToParent(WM_NOTIFY, (WPARAM)nm->idFrom, lParam);
            nm->hwndFrom = hCtrl;
            nm->idFrom = id;
            return true;
        }
        if (IsInside(ctrl, nm->hwndFrom)) {
            result = ToParent(WM_NOTIFY, wParam, lParam);
            return true;
        }
        return false;
    }
    case WM_COMMAND:
        if ((HWND)lParam == hCtrl) {
            result = ToParent(WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), HIWORD(wParam)),
                              (LPARAM)m_hWnd);
            return true;
        }
        if (lParam && IsInside(ctrl, (HWND)lParam)) {
            result = ToParent(WM_COMMAND, wParam, lParam);
            return true;
        }
        return false;
    case WM_DRAWITEM: {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (!dis || dis->hwndItem != hCtrl)
            return false;
        // Owner-drawn items are the view's to draw (its DrawItem), as a control draws its own.
        UINT id = dis->CtlID;
        dis->hwndItem = m_hWnd;
        dis->CtlID = (UINT)GetDlgCtrlID();
        OnChildNotify(WM_DRAWITEM, (WPARAM)dis->CtlID, lParam, &result);
        dis->hwndItem = hCtrl;
        dis->CtlID = id;
        return true;
    }
    case WM_MEASUREITEM: {
        auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (!mis || (int)mis->CtlID != ctrl->GetDlgCtrlID())
            return false;
        OnChildNotify(WM_MEASUREITEM, wParam, lParam, &result);
        return true;
    }
    case WM_CONTEXTMENU:
    case WM_SETCURSOR:
        // The control passes these on unhandled; to the view's handlers they are about the view.
        if ((HWND)wParam == hCtrl)
            wParam = (WPARAM)m_hWnd;
        return false;
    default:
        if (AfxIsCtlColorMessage(message) && (HWND)lParam == hCtrl) {
            result = ToParent(message, wParam, (LPARAM)m_hWnd);
            return true;
        }
        return false;
    }
}

LRESULT CCtrlView::ToParent(UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* parent = GetParent();
    if (!parent)
        parent = GetOwner();
    if (parent)
        return parent->SendMessage(message, wParam, lParam);
    // Nobody above: the view still hears of its control.
    LRESULT r = 0;
    OnChildNotify(message, wParam, lParam, &r);
    return r;
}

LRESULT CCtrlView::CallControl(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pHosted)
        return m_pHosted->ControlProc(message, wParam, lParam);
    return m_pCtrl->WindowProc(message, wParam, lParam);
}

LRESULT CCtrlView::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* ctrl = m_pCtrl.get();
    if (!ctrl || !ctrl->m_hWnd || !m_hWnd)
        return CView::DefWindowProc(message, wParam, lParam);
    // A message of the control that the view saw first: the control does what it does.
    if (m_bFromControl)
        return CallControl(message, wParam, lParam);
    if (message == WM_SETFOCUS) {
        ctrl->SetFocus();
        return 0;
    }
    // The same message coming back while the control handles it is the control passing it on.
    if (!ForwardsToControl(message) || message == m_nForwarding)
        return CView::DefWindowProc(message, wParam, lParam);
    if (message == WM_SETFONT)
        CView::DefWindowProc(message, wParam, lParam);
    HWND self = m_hWnd;
    UINT saved = m_nForwarding;
    m_nForwarding = message;
    LRESULT r = CallControl(message, wParam, lParam);
    if (IsWindow(self))
        m_nForwarding = saved;
    return r;
}

void CCtrlView::FitControl() {
    if (!m_pCtrl || !m_pCtrl->m_hWnd)
        return;
    CRect want = WholeRect();
    CRect have;
    m_pCtrl->GetWindowRect(&have);
    ScreenToClient(&have);
    if (have != want)
        m_pCtrl->MoveWindow(&want);
}

// The control covers the view's scroll bars too: they are the control's.
CRect CCtrlView::WholeRect() const {
    QWidget* w = GetWidget();
    return w ? CRect(0, 0, w->width(), w->height()) : CRect(0, 0, 0, 0);
}

void CCtrlView::SyncStyle(CWnd* from, CWnd* to) {
    if (!from || !to || !from->m_hWnd || !to->m_hWnd)
        return;
    DWORD want = from->GetStyle() & kControlStyleBits;
    if ((to->GetStyle() & kControlStyleBits) != want)
        to->ModifyStyle(kControlStyleBits, want);
}

void CCtrlView::OnControlStyleChanged() {
    SyncStyle(m_pCtrl.get(), this);
}

// ---- CListView, CTreeView -------------------------------------------------------------------

CListView::CListView() : CCtrlView("SysListView32", AFX_WS_DEFAULT_VIEW) {
    SetControl(new CCtrlViewControl<CListCtrl>);
}

CListCtrl& CListView::GetListCtrl() const {
    return *static_cast<CListCtrl*>(GetControl());
}

CTreeView::CTreeView() : CCtrlView("SysTreeView32", AFX_WS_DEFAULT_VIEW) {
    SetControl(new CCtrlViewControl<CTreeCtrl>);
}

CTreeCtrl& CTreeView::GetTreeCtrl() const {
    return *static_cast<CTreeCtrl*>(GetControl());
}
