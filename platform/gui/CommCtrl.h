// What the common controls share: notification headers, custom draw, and the message and
// notification numbers of the list, tree, header and tab controls. The numbers are the classic
// ones because the system's code sends and compares them as numbers.
#pragma once

#include "platform/gui/Dc.h"
#include "platform/gui/WinDefs.h"

class CWnd;

// ---- Notifications every common control sends -------------------------------------------------

#define NM_FIRST 0U
#define NM_OUTOFMEMORY (NM_FIRST - 1)
#define NM_CLICK (NM_FIRST - 2)
#define NM_DBLCLK (NM_FIRST - 3)
#define NM_RETURN (NM_FIRST - 4)
#define NM_RCLICK (NM_FIRST - 5)
#define NM_RDBLCLK (NM_FIRST - 6)
#define NM_SETFOCUS (NM_FIRST - 7)
#define NM_KILLFOCUS (NM_FIRST - 8)
#define NM_CUSTOMDRAW (NM_FIRST - 12)
#define NM_HOVER (NM_FIRST - 13)

// A text the parent gives when asked (the list's LVN_GETDISPINFO, the tip's TTN_GETDISPINFO).
#define LPSTR_TEXTCALLBACK ((LPSTR)(intptr_t)-1)

// ---- Custom draw ----------------------------------------------------------------------------

#define CDDS_PREPAINT 0x00000001
#define CDDS_POSTPAINT 0x00000002
#define CDDS_PREERASE 0x00000003
#define CDDS_POSTERASE 0x00000004
#define CDDS_ITEM 0x00010000
#define CDDS_ITEMPREPAINT (CDDS_ITEM | CDDS_PREPAINT)
#define CDDS_ITEMPOSTPAINT (CDDS_ITEM | CDDS_POSTPAINT)
#define CDDS_SUBITEM 0x00020000

#define CDRF_DODEFAULT 0x00000000
#define CDRF_NEWFONT 0x00000002
#define CDRF_SKIPDEFAULT 0x00000004
#define CDRF_NOTIFYPOSTPAINT 0x00000010
#define CDRF_NOTIFYITEMDRAW 0x00000020
#define CDRF_NOTIFYSUBITEMDRAW 0x00000020
#define CDRF_NOTIFYPOSTERASE 0x00000040

#define CDIS_SELECTED 0x0001
#define CDIS_GRAYED 0x0002
#define CDIS_DISABLED 0x0004
#define CDIS_CHECKED 0x0008
#define CDIS_FOCUS 0x0010
#define CDIS_DEFAULT 0x0020
#define CDIS_HOT 0x0040
#define CDIS_MARKED 0x0080
#define CDIS_INDETERMINATE 0x0100

struct NMCUSTOMDRAW {
    NMHDR hdr;
    DWORD dwDrawStage;
    HDC hdc;
    RECT rc;
    DWORD_PTR dwItemSpec; // the item's handle (tree) or index (list)
    UINT uItemState;
    LPARAM lItemlParam;
};
typedef NMCUSTOMDRAW* LPNMCUSTOMDRAW;

struct NMTVCUSTOMDRAW {
    NMCUSTOMDRAW nmcd;
    COLORREF clrText;
    COLORREF clrTextBk;
    int iLevel;
};
typedef NMTVCUSTOMDRAW* LPNMTVCUSTOMDRAW;

struct NMLVCUSTOMDRAW {
    NMCUSTOMDRAW nmcd;
    COLORREF clrText;
    COLORREF clrTextBk;
    int iSubItem;
};
typedef NMLVCUSTOMDRAW* LPNMLVCUSTOMDRAW;

// Fills the header of a notification from the control and sends it to the control's parent;
// answers what the parent's handler answered (0 when there is no parent).
LRESULT AfxSendNotify(CWnd* pCtrl, NMHDR* pHdr, UINT code);

// Packs an overlay image number (1..15) into the overlay bits of an item state, and a state
// image number into the state-image bits.
#define INDEXTOOVERLAYMASK(i) ((UINT)(i) << 8)
#define INDEXTOSTATEIMAGEMASK(i) ((UINT)(i) << 12)

// Position and size a window is to take; the header fills one in answer to HDM_LAYOUT.
struct WINDOWPOS {
    HWND hwnd;
    HWND hwndInsertAfter;
    int x;
    int y;
    int cx;
    int cy;
    UINT flags;
};
typedef WINDOWPOS* LPWINDOWPOS;

class CDC;
class CFont;

// The font a control draws with: the one set with WM_SETFONT, else the default GUI font.
CFont* AfxControlFont(const CWnd* pCtrl);

// A plain scroll bar painted by a control that keeps its own scrolling: the trough and a thumb
// in proportion to the page. pos counts from 0 to range - page.
void AfxDrawScrollBar(CDC* pDC, const RECT& bar, bool vertical, int pos, int page, int range);

class CEdit;

// Watches the edit of a label being edited: Enter or the edit losing the focus ends the edit
// keeping the text, Escape ends it cancelled. The watch goes with the edit's widget.
void AfxWatchLabelEdit(CEdit* pEdit, void (*onEnd)(void* context, bool cancel), void* context);

// Hides a window now and deletes it (a heap object) once the event being handled is over: a
// label edit ends while it is still handling its own key.
void AfxDestroyLater(CWnd* pWnd);

// Sends a custom-draw stage that covers the whole control (pre- or post-paint) to the parent, in
// the control's own structure T whose first member is the NMCUSTOMDRAW; answers the parent.
template <class T> LRESULT AfxCustomDrawStage(CWnd* pCtrl, DWORD stage, CDC* pDC, const RECT& rc) {
    T cd{};
    auto* nm = reinterpret_cast<NMCUSTOMDRAW*>(&cd);
    nm->dwDrawStage = stage;
    nm->hdc = pDC->GetSafeHdc();
    nm->rc = rc;
    return AfxSendNotify(pCtrl, &nm->hdr, NM_CUSTOMDRAW);
}

// WM_PAINT of a control that paints itself: into the DC that wParam names when a caller gives one
// (an owner painting the control into its memory DC), else the window's own paint.
template <class Paint> LRESULT AfxPaintControl(CWnd* pCtrl, WPARAM wParam, Paint paint) {
    if (wParam) {
        if (CDC* dc = CDC::FromHandle((HDC)wParam))
            paint(dc);
        return 0;
    }
    CPaintDC dc(pCtrl);
    paint(&dc);
    return 0;
}

// Asks the parent to draw one item of an owner-drawn control (WM_DRAWITEM, the whole item).
void AfxSendDrawItem(CWnd* pCtrl, UINT ctlType, UINT itemID, UINT itemState, CDC* pDC,
                     const RECT& rcItem, ULONG_PTR itemData);
