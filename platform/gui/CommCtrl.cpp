#include "platform/gui/CommCtrl.h"

#include "platform/gui/Wnd.h"

LRESULT AfxSendNotify(CWnd* pCtrl, NMHDR* pHdr, UINT code) {
    if (!pCtrl || !pHdr)
        return 0;
    pHdr->hwndFrom = pCtrl->m_hWnd;
    pHdr->idFrom = (UINT_PTR)pCtrl->GetDlgCtrlID();
    pHdr->code = code;
    CWnd* parent = pCtrl->GetParent();
    if (!parent)
        parent = pCtrl->GetOwner();
    if (!parent)
        return 0;
    return parent->SendMessage(WM_NOTIFY, (WPARAM)pHdr->idFrom, (LPARAM)pHdr);
}

#include "platform/gui/Dc.h"
#include "platform/gui/WndPrivate.h"

#include <algorithm>

CFont* AfxControlFont(const CWnd* pCtrl) {
    HFONT f = pCtrl && pCtrl->m_hWnd ? pCtrl->m_p->font : nullptr;
    return CFont::FromHandle(f ? f : (HFONT)GetStockObject(DEFAULT_GUI_FONT));
}

void AfxDrawScrollBar(CDC* pDC, const RECT& rc, bool vertical, int pos, int page, int range) {
    CRect bar(rc);
    pDC->FillSolidRect(&bar, GetSysColor(COLOR_SCROLLBAR));
    if (range <= 0 || page <= 0)
        return;
    int length = vertical ? bar.Height() : bar.Width();
    int thumbLen = std::max(8, (int)((long long)length * std::min(page, range) / range));
    int travel = std::max(1, range - page);
    int thumbPos = (int)((long long)(length - thumbLen) * std::clamp(pos, 0, travel) / travel);
    CRect thumb = vertical ? CRect(bar.left + 1, bar.top + thumbPos, bar.right - 1,
                                   bar.top + thumbPos + thumbLen)
                           : CRect(bar.left + thumbPos, bar.top + 1, bar.left + thumbPos + thumbLen,
                                   bar.bottom - 1);
    pDC->FillSolidRect(&thumb, GetSysColor(COLOR_BTNFACE));
    pDC->Draw3dRect(&thumb, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
}

#include "platform/gui/Controls.h"

#include <QEvent>
#include <QKeyEvent>
#include <QTimer>

namespace {

class LabelEditWatcher : public QObject {
public:
    LabelEditWatcher(void (*onEnd)(void*, bool), void* context, QObject* parent)
        : QObject(parent), m_onEnd(onEnd), m_context(context) {}
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::KeyPress) {
            int k = static_cast<QKeyEvent*>(e)->key();
            if (k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Escape) {
                m_onEnd(m_context, k == Qt::Key_Escape);
                return true;
            }
        } else if (e->type() == QEvent::FocusOut) {
            m_onEnd(m_context, false);
        }
        return false;
    }

private:
    void (*m_onEnd)(void*, bool);
    void* m_context;
};

} // namespace

void AfxWatchLabelEdit(CEdit* pEdit, void (*onEnd)(void*, bool), void* context) {
    if (QWidget* w = pEdit ? pEdit->GetWidget() : nullptr)
        w->installEventFilter(new LabelEditWatcher(onEnd, context, w));
}

void AfxDestroyLater(CWnd* pWnd) {
    if (!pWnd)
        return;
    pWnd->ShowWindow(SW_HIDE);
    QTimer::singleShot(0, [pWnd] {
        pWnd->DestroyWindow();
        delete pWnd;
    });
}

void AfxSendDrawItem(CWnd* pCtrl, UINT ctlType, UINT itemID, UINT itemState, CDC* pDC,
                     const RECT& rcItem, ULONG_PTR itemData) {
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ctlType;
    dis.CtlID = (UINT)pCtrl->GetDlgCtrlID();
    dis.itemID = itemID;
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = itemState;
    dis.hwndItem = pCtrl->m_hWnd;
    dis.hDC = pDC->GetSafeHdc();
    dis.rcItem = rcItem;
    dis.itemData = itemData;
    if (CWnd* parent = pCtrl->GetParent())
        parent->SendMessage(WM_DRAWITEM, dis.CtlID, (LPARAM)&dis);
}
