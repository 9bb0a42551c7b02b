// The combo box with images: each item has a text, an image of an image list and item data.
// It stands on the plain combo box; the images are shown beside the texts.
#pragma once

#include "platform/gui/Controls.h"
#include "platform/gui/ImageList.h"

#define CBEIF_TEXT 0x0001
#define CBEIF_IMAGE 0x0002
#define CBEIF_SELECTEDIMAGE 0x0004
#define CBEIF_OVERLAY 0x0008
#define CBEIF_INDENT 0x0010
#define CBEIF_LPARAM 0x0020

#define CBEM_INSERTITEM (WM_USER + 1)
#define CBEM_SETIMAGELIST (WM_USER + 2)
#define CBEM_GETIMAGELIST (WM_USER + 3)
#define CBEM_GETITEM (WM_USER + 4)
#define CBEM_SETITEM (WM_USER + 5)
#define CBEM_DELETEITEM CB_DELETESTRING

struct COMBOBOXEXITEM {
    UINT mask;
    INT_PTR iItem;
    LPSTR pszText;
    int cchTextMax;
    int iImage;
    int iSelectedImage;
    int iOverlay;
    int iIndent;
    LPARAM lParam;
};
typedef COMBOBOXEXITEM* PCOMBOBOXEXITEM;

class CComboBoxEx : public CComboBox {
    DECLARE_DYNAMIC(CComboBoxEx)
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    // iItem -1 appends; answers the index, -1 on failure.
    int InsertItem(const COMBOBOXEXITEM* pCBItem);
    int DeleteItem(int iIndex);
    BOOL GetItem(COMBOBOXEXITEM* pCBItem);
    BOOL SetItem(const COMBOBOXEXITEM* pCBItem);
    CImageList* SetImageList(CImageList* pImageList);
    CImageList* GetImageList() const;
    // The image an item shows (-1 for none).
    int GetItemImage(int iIndex) const;

    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    CImageList* m_images = nullptr;
    void ShowImage(int iIndex);
};
