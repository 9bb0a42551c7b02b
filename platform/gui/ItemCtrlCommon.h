// What the self-painting item controls (list, tree) share: the frame of a paint with its
// custom-draw stages, the label edit, drag images, scroll-bar codes and the small rules of focus
// and drag start. Each control keeps its own items and geometry; these pieces only carry out the
// steps that are the same whatever an item is.
#pragma once

#include "platform/gui/CommCtrl.h"
#include "platform/gui/Controls.h"
#include "platform/gui/ImageList.h"

#include <QImage>
#include <memory>

// How far the pointer travels with a button down before the press becomes a drag.
constexpr int kItemDragThreshold = 4;

// The size of one image of a list: nothing without a list, 16 x 16 while it is still empty.
CSize AfxItemImageSize(CImageList* pImageList);

// Whether the pointer at now has left the drag threshold around the press point.
bool AfxBeyondDragThreshold(CPoint press, CPoint now);

// The scroll position a scroll-bar request (the wParam of WM_VSCROLL / WM_HSCROLL) asks for, from
// pos with the given line and page steps; end is the position SB_BOTTOM goes to. Not clamped:
// the control keeps its own limits.
int AfxScrollRequestPos(WPARAM wParam, int pos, int line, int page, int end);

// WM_SETFOCUS / WM_KILLFOCUS of a control: the focus look is repainted and the parent told.
void AfxItemFocusChanged(CWnd* pCtrl, UINT message);

// Selects a font made from the DC's current one in bold and/or underlined into the DC; holder
// keeps it alive. Answers the font to select back, nullptr when neither was asked for.
CFont* AfxSelectStyledFont(CDC* pDC, CFont& holder, bool bold, bool underline);

// The handle a message answers for an image list (nullptr for none).
inline LRESULT AfxImageListResult(CImageList* pImageList) {
    return (LRESULT)(pImageList ? pImageList->GetSafeHandle() : nullptr);
}

// The answer of a create-drag-image message: the new list's handle, which the caller now owns;
// the wrapping object goes.
LRESULT AfxDragImageResult(CImageList* pNewList);

// A colour the program set, or the system colour it stands for while none is set (CLR_NONE).
inline COLORREF AfxColourOr(COLORREF colour, int sysColour) {
    return colour == CLR_NONE ? GetSysColor(sysColour) : colour;
}

// Tells the parent of a key pressed in a list or tree (LVN_KEYDOWN / TVN_KEYDOWN, whose
// structures are alike); answers the parent.
template <class NM> LRESULT AfxNotifyKeyDown(CWnd* pCtrl, UINT code, WPARAM wParam, LPARAM lParam) {
    NM kd{};
    kd.wVKey = (WORD)wParam;
    kd.flags = (UINT)lParam;
    return AfxSendNotify(pCtrl, &kd.hdr, code);
}

// A heap image list holding the one image (the drag image of an item, a header column...).
CImageList* AfxImageListOfImage(const QImage& image);

// Paints the part r of a control (client coordinates) with paint(CDC*) onto a transparent image
// in the control's font and answers it as a one-image list the caller deletes.
template <class Paint> CImageList* AfxRenderDragImage(CWnd* pCtrl, const CRect& r, Paint paint) {
    QImage img(std::max(1, r.Width()), std::max(1, r.Height()), QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    {
        CDC dc;
        dc.AttachImage(&img);
        dc.SetViewportOrg(-r.left, -r.top);
        CFont* old = dc.SelectObject(AfxControlFont(pCtrl));
        paint(&dc);
        dc.SelectObject(old);
    }
    return AfxImageListOfImage(img);
}

// The edit window over a label being edited. The control opens it, and ends it in two steps so
// that it can tell its parent between them: Take gives the text (false when there is no edit or
// it is already ending), Close lets the window go once the key it is handling is over.
class CItemLabelEdit {
public:
    CEdit* Open(CWnd* pCtrl, const CRect& r, const CString& text,
                void (*onEnd)(void* context, bool cancel), void* context);
    bool Take(CString& text);
    void Close();
    // Deletes the edit at once (the control is going away).
    void Drop() { m_edit.reset(); }
    CEdit* Get() const { return m_edit.get(); }
    explicit operator bool() const { return m_edit != nullptr; }

private:
    std::unique_ptr<CEdit> m_edit;
    bool m_ending = false;
};

// Ends an edit in progress through endEdit, whose parent may close the control. False when the
// control went away meanwhile.
template <class EndEdit>
bool AfxEndItemEdit(CWnd* pCtrl, const CItemLabelEdit& edit, EndEdit endEdit) {
    HWND hwnd = pCtrl->m_hWnd;
    if (edit)
        endEdit();
    return IsWindow(hwnd);
}

// A mouse press in an item control: an edit in progress ends keeping its text (endEdit) and the
// control takes the focus. False when the control went away meanwhile.
template <class EndEdit>
bool AfxItemCtrlPressed(CWnd* pCtrl, const CItemLabelEdit& edit, EndEdit endEdit) {
    HWND hwnd = pCtrl->m_hWnd;
    if (!AfxEndItemEdit(pCtrl, edit, endEdit))
        return false;
    if (CWnd::GetFocus() != pCtrl)
        pCtrl->SetFocus();
    return IsWindow(hwnd);
}

// The frame of an item control's paint after its background: the control's font, the pre-paint
// and post-paint stages of custom draw (a parent answering CDRF_SKIPDEFAULT paints everything
// itself). body(pre) paints the items and answers false when the control went away meanwhile.
template <class NM, class Body>
void AfxPaintItemCtrl(CWnd* pCtrl, CDC* pDC, const CRect& client, Body body) {
    CFont* oldFont = pDC->SelectObject(AfxControlFont(pCtrl));
    HWND hwnd = pCtrl->m_hWnd;
    LRESULT pre = AfxCustomDrawStage<NM>(pCtrl, CDDS_PREPAINT, pDC, client);
    if (!IsWindow(hwnd))
        return;
    if (!(pre & CDRF_SKIPDEFAULT)) {
        if (!body(pre))
            return;
        if (pre & CDRF_NOTIFYPOSTPAINT)
            AfxCustomDrawStage<NM>(pCtrl, CDDS_POSTPAINT, pDC, client);
    }
    pDC->SelectObject(oldFont);
}

// One item under custom draw: item is the notification with everything but the stage filled in
// (colours included). When the parent asked for item notifications it gets the pre-paint stage
// and may change the colours or skip the default painting; paint(text, textBk, itemResult) draws
// the item; the post-paint stage follows when the parent asked for it. alive() tells whether the
// control and the item are still there after the parent was called; answers false when not.
template <class NM, class Paint, class Alive>
bool AfxCustomDrawItem(CWnd* pCtrl, CDC* pDC, LRESULT pre, NM item, Paint paint, Alive alive) {
    LRESULT itemRes = 0;
    int saved = 0;
    if (pre & CDRF_NOTIFYITEMDRAW) {
        NM ic = item;
        ic.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
        saved = pDC->SaveDC();
        itemRes = AfxSendNotify(pCtrl, &ic.nmcd.hdr, NM_CUSTOMDRAW);
        if (!alive())
            return false;
        item.clrText = ic.clrText;
        item.clrTextBk = ic.clrTextBk;
    }
    if (!(itemRes & CDRF_SKIPDEFAULT))
        paint(item.clrText, item.clrTextBk, itemRes);
    if (!alive())
        return false;
    if (pre & CDRF_NOTIFYITEMDRAW) {
        pDC->RestoreDC(saved);
        if (itemRes & CDRF_NOTIFYPOSTPAINT) {
            NM ic = item;
            ic.nmcd.dwDrawStage = CDDS_ITEMPOSTPAINT;
            HWND hwnd = pCtrl->m_hWnd;
            AfxSendNotify(pCtrl, &ic.nmcd.hdr, NM_CUSTOMDRAW);
            if (!IsWindow(hwnd))
                return false;
        }
    }
    return true;
}
