#include "platform/gui/ComboBoxEx.h"

#include "platform/gui/WndPrivate.h"

#include <QComboBox>
#include <QIcon>
#include <QPixmap>
#include <algorithm>
#include <cstring>

IMPLEMENT_DYNAMIC(CComboBoxEx, CComboBox)

static const bool s_registered = (AfxRegisterControlClass<CComboBoxEx>("ComboBoxEx32"), true);

namespace {
// The image numbers ride in the Qt item beside the text.
constexpr int kImageRole = Qt::UserRole + 40;
constexpr int kSelImageRole = Qt::UserRole + 41;

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
    int image = box->itemData(i, kImageRole).isValid() ? box->itemData(i, kImageRole).toInt() : -1;
    QImage img = m_images && image >= 0 ? m_images->GetImage(image) : QImage();
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
        int n = std::min(p->cchTextMax - 1, s.GetLength());
        std::memcpy(p->pszText, s.GetString(), (size_t)n);
        p->pszText[n] = 0;
    }
    auto role = [&](int r) {
        QVariant v = box->itemData(i, r);
        return v.isValid() ? v.toInt() : -1;
    };
    if (p->mask & CBEIF_IMAGE)
        p->iImage = role(kImageRole);
    if (p->mask & CBEIF_SELECTEDIMAGE)
        p->iSelectedImage = role(kSelImageRole);
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
