#include "platform/gui/ComboBoxEx.h"

#include "platform/gui/Dc.h"
#include "platform/gui/WndPrivate.h"

#include <QComboBox>
#include <QIcon>
#include <QPixmap>
#include <QStyledItemDelegate>
#include <algorithm>
#include <cstring>

IMPLEMENT_DYNAMIC(CComboBoxEx, CComboBox)

static const bool s_registered = (AfxRegisterControlClass<CComboBoxEx>("ComboBoxEx32"), true);

namespace {
// The image numbers ride in the Qt item beside the text.
constexpr int kImageRole = Qt::UserRole + 40;
constexpr int kSelImageRole = Qt::UserRole + 41;
constexpr int kOverlayRole = Qt::UserRole + 42;
constexpr int kIndentRole = Qt::UserRole + 43;
constexpr int kIndentStep = 10; // pixels per indent level in the drop-down list

int Role(QComboBox* box, int i, int role, int none) {
    QVariant v = box->itemData(i, role);
    return v.isValid() ? v.toInt() : none;
}

// Draws each row of the drop-down list moved right by its item's indent.
class IndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem o = option;
        o.rect.setLeft(o.rect.left() + Indent(index));
        QStyledItemDelegate::paint(painter, o, index);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(Indent(index), 0);
    }
    static int Indent(const QModelIndex& index) {
        QVariant v = index.data(kIndentRole);
        return v.isValid() ? std::max(0, v.toInt()) * kIndentStep : 0;
    }
};

QComboBox* Box(const CWnd* w) {
    return qobject_cast<QComboBox*>(w->GetWidget());
}
} // namespace

BOOL CComboBoxEx::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CWnd::Create("COMBOBOX", nullptr, dwStyle, rect, pParentWnd, nID);
}

void CComboBoxEx::ShowImage(int i) {
    QComboBox* box = Box(this);
    if (!box || i < 0 || i >= box->count())
        return;
    int image = Role(box, i, kImageRole, -1);
    int overlay = Role(box, i, kOverlayRole, 0);
    QImage img = m_images && image >= 0 ? m_images->GetImage(image) : QImage();
    if (!img.isNull() && overlay > 0) {
        // The overlay image (1..15, as the list's SetOverlayImage names it) over the image.
        QImage both(img.size(), QImage::Format_ARGB32);
        both.fill(Qt::transparent);
        CDC dc;
        dc.AttachImage(&both);
        m_images->Draw(&dc, image, CPoint(0, 0), ILD_TRANSPARENT | INDEXTOOVERLAYMASK(overlay));
        img = both;
    }
    box->setItemIcon(i, img.isNull() ? QIcon() : QIcon(QPixmap::fromImage(img)));
    if (!img.isNull())
        box->setIconSize(img.size());
}

int CComboBoxEx::InsertItem(const COMBOBOXEXITEM* p) {
    if (!p || !Box(this))
        return -1;
    int at = p->iItem < 0 ? GetCount() : (int)std::min<INT_PTR>(p->iItem, GetCount());
    const char* text = (p->mask & CBEIF_TEXT) && p->pszText ? p->pszText : "";
    int i = InsertString(at, text);
    if (i < 0)
        return -1;
    COMBOBOXEXITEM rest = *p;
    rest.iItem = i;
    rest.mask &= ~(UINT)CBEIF_TEXT;
    SetItem(&rest);
    return i;
}

int CComboBoxEx::DeleteItem(int iIndex) {
    return DeleteString((UINT)iIndex);
}

BOOL CComboBoxEx::GetItem(COMBOBOXEXITEM* p) {
    QComboBox* box = Box(this);
    if (!p || !box || p->iItem < 0 || p->iItem >= box->count())
        return FALSE;
    int i = (int)p->iItem;
    if ((p->mask & CBEIF_TEXT) && p->pszText && p->cchTextMax > 0) {
        CString s;
        GetLBText(i, s);
        AfxCopyTextOut(s, p->pszText, (size_t)p->cchTextMax);
    }
    if (p->mask & CBEIF_IMAGE)
        p->iImage = Role(box, i, kImageRole, -1);
    if (p->mask & CBEIF_SELECTEDIMAGE)
        p->iSelectedImage = Role(box, i, kSelImageRole, -1);
    if (p->mask & CBEIF_OVERLAY)
        p->iOverlay = Role(box, i, kOverlayRole, 0);
    if (p->mask & CBEIF_INDENT)
        p->iIndent = Role(box, i, kIndentRole, 0);
    if (p->mask & CBEIF_LPARAM)
        p->lParam = (LPARAM)GetItemData(i);
    return TRUE;
}

BOOL CComboBoxEx::SetItem(const COMBOBOXEXITEM* p) {
    QComboBox* box = Box(this);
    if (!p || !box || p->iItem < 0 || p->iItem >= box->count())
        return FALSE;
    int i = (int)p->iItem;
    if (p->mask & CBEIF_TEXT)
        box->setItemText(i, AfxToQt(p->pszText ? p->pszText : ""));
    if (p->mask & CBEIF_IMAGE)
        box->setItemData(i, p->iImage, kImageRole);
    if (p->mask & CBEIF_SELECTEDIMAGE)
        box->setItemData(i, p->iSelectedImage, kSelImageRole);
    if (p->mask & CBEIF_OVERLAY)
        box->setItemData(i, std::clamp(p->iOverlay, 0, 15), kOverlayRole);
    if (p->mask & CBEIF_INDENT) {
        box->setItemData(i, std::max(0, p->iIndent), kIndentRole);
        if (p->iIndent > 0 && !dynamic_cast<IndentDelegate*>(box->itemDelegate()))
            box->setItemDelegate(new IndentDelegate(box));
    }
    if (p->mask & CBEIF_LPARAM)
        SetItemData(i, (DWORD_PTR)p->lParam);
    ShowImage(i);
    return TRUE;
}

CImageList* CComboBoxEx::SetImageList(CImageList* pImageList) {
    std::swap(m_images, pImageList);
    for (int i = 0; i < GetCount(); ++i)
        ShowImage(i);
    return pImageList;
}

CImageList* CComboBoxEx::GetImageList() const {
    return m_images;
}

int CComboBoxEx::GetItemImage(int iIndex) const {
    QComboBox* box = Box(this);
    if (!box || iIndex < 0 || iIndex >= box->count())
        return -1;
    QVariant v = box->itemData(iIndex, kImageRole);
    return v.isValid() ? v.toInt() : -1;
}

LRESULT CComboBoxEx::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case CBEM_INSERTITEM:
        return InsertItem(reinterpret_cast<COMBOBOXEXITEM*>(lParam));
    case CBEM_SETIMAGELIST: {
        CImageList* old = SetImageList(CImageList::FromHandle((HIMAGELIST)lParam));
        return (LRESULT)(old ? old->GetSafeHandle() : nullptr);
    }
    case CBEM_GETIMAGELIST:
        return (LRESULT)(m_images ? m_images->GetSafeHandle() : nullptr);
    case CBEM_GETITEM:
        return GetItem(reinterpret_cast<COMBOBOXEXITEM*>(lParam));
    case CBEM_SETITEM:
        return SetItem(reinterpret_cast<COMBOBOXEXITEM*>(lParam));
    default:
        return CComboBox::DefWindowProc(message, wParam, lParam);
    }
}
