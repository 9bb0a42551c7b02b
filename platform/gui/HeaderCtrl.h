// The header control: a row of column buttons that the list control and the column tree stand
// on. It keeps its items and their display order, paints itself through a DC, lets the user
// resize and reorder columns, and asks its parent first about each change (HDN_ notifications,
// several of which can refuse it).
#pragma once

#include "platform/gui/CommCtrl.h"
#include "platform/gui/Controls.h"
#include "platform/gui/ImageList.h"

#include <memory>

#define HDS_HORZ 0x0000
#define HDS_BUTTONS 0x0002
#define HDS_HOTTRACK 0x0004
#define HDS_HIDDEN 0x0008
#define HDS_DRAGDROP 0x0040
#define HDS_FULLDRAG 0x0080

#define HDI_WIDTH 0x0001
#define HDI_HEIGHT HDI_WIDTH
#define HDI_TEXT 0x0002
#define HDI_FORMAT 0x0004
#define HDI_LPARAM 0x0008
#define HDI_BITMAP 0x0010
#define HDI_IMAGE 0x0020
#define HDI_ORDER 0x0080

#define HDF_LEFT 0x0000
#define HDF_RIGHT 0x0001
#define HDF_CENTER 0x0002
#define HDF_JUSTIFYMASK 0x0003
#define HDF_SORTDOWN 0x0200
#define HDF_SORTUP 0x0400
#define HDF_IMAGE 0x0800
#define HDF_BITMAP_ON_RIGHT 0x1000
#define HDF_BITMAP 0x2000
#define HDF_STRING 0x4000
#define HDF_OWNERDRAW 0x8000

#define HDM_FIRST 0x1200
#define HDM_GETITEMCOUNT (HDM_FIRST + 0)
#define HDM_INSERTITEM (HDM_FIRST + 1)
#define HDM_DELETEITEM (HDM_FIRST + 2)
#define HDM_GETITEM (HDM_FIRST + 3)
#define HDM_SETITEM (HDM_FIRST + 4)
#define HDM_LAYOUT (HDM_FIRST + 5)
#define HDM_HITTEST (HDM_FIRST + 6)
#define HDM_GETITEMRECT (HDM_FIRST + 7)
#define HDM_SETIMAGELIST (HDM_FIRST + 8)
#define HDM_GETIMAGELIST (HDM_FIRST + 9)
#define HDM_ORDERTOINDEX (HDM_FIRST + 15)
#define HDM_GETORDERARRAY (HDM_FIRST + 17)
#define HDM_CREATEDRAGIMAGE (HDM_FIRST + 16)
#define HDM_SETORDERARRAY (HDM_FIRST + 18)

#define HDN_FIRST (0U - 300U)
#define HDN_ITEMCHANGING (HDN_FIRST - 0)
#define HDN_ITEMCHANGED (HDN_FIRST - 1)
#define HDN_ITEMCLICK (HDN_FIRST - 2)
#define HDN_ITEMDBLCLICK (HDN_FIRST - 3)
#define HDN_DIVIDERDBLCLICK (HDN_FIRST - 5)
#define HDN_BEGINTRACK (HDN_FIRST - 6)
#define HDN_ENDTRACK (HDN_FIRST - 7)
#define HDN_TRACK (HDN_FIRST - 8)
#define HDN_BEGINDRAG (HDN_FIRST - 10)
#define HDN_ENDDRAG (HDN_FIRST - 11)

#define HHT_NOWHERE 0x0001
#define HHT_ONHEADER 0x0002
#define HHT_ONDIVIDER 0x0004
#define HHT_ONDIVOPENED 0x0008
#define HHT_ABOVE 0x0100
#define HHT_BELOW 0x0200
#define HHT_TORIGHT 0x0400
#define HHT_TOLEFT 0x0800

#define ODT_HEADER 100

struct HDITEM {
    UINT mask;
    int cxy;
    LPSTR pszText;
    HBITMAP hbm;
    int cchTextMax;
    int fmt;
    LPARAM lParam;
    int iImage;
    int iOrder;
};
typedef HDITEM* LPHDITEM;

struct HDLAYOUT {
    RECT* prc;
    WINDOWPOS* pwpos;
};
typedef HDLAYOUT* LPHDLAYOUT;

struct HDHITTESTINFO {
    POINT pt;
    UINT flags;
    int iItem;
};

struct NMHEADER {
    NMHDR hdr;
    int iItem;
    int iButton;
    HDITEM* pitem;
};
typedef NMHEADER* LPNMHEADER;

struct HeaderCtrlState;

class CHeaderCtrl : public CWnd {
    DECLARE_DYNAMIC(CHeaderCtrl)
public:
    CHeaderCtrl();
    ~CHeaderCtrl() override;

    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    int GetItemCount() const;
    // Answers the index the item got, -1 on failure.
    int InsertItem(int nPos, HDITEM* phdi);
    BOOL DeleteItem(int nPos);
    BOOL GetItem(int nPos, HDITEM* pHeaderItem) const;
    // Asks the parent first (HDN_ITEMCHANGING); FALSE when it refused.
    BOOL SetItem(int nPos, HDITEM* pHeaderItem);
    BOOL GetItemRect(int nIndex, LPRECT lpRect) const;
    // Fills in where the header goes at the top of *prc and takes that band off *prc.
    BOOL Layout(HDLAYOUT* pHeaderLayout);
    int HitTest(HDHITTESTINFO* pInfo) const;
    CImageList* SetImageList(CImageList* pImageList);
    CImageList* GetImageList() const;
    BOOL GetOrderArray(LPINT piArray, int iCount = -1) const;
    BOOL SetOrderArray(int iCount, LPINT piArray);
    int OrderToIndex(int nOrder) const;
    // The height the header wants for its font.
    int GetPreferredHeight() const;
    // The item as it is drawn, as a one-image list the caller deletes; nullptr for an item that
    // does not exist or has no width.
    CImageList* CreateDragImage(int nIndex);

    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    void OnWidgetCreated() override;
    std::unique_ptr<HeaderCtrlState> m_h;
    friend struct HeaderCtrlState;
};
