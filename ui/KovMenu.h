// Menus drawn by the program: a grey column of 16 x 16 command images on the left, a slightly
// darkened body, a light highlight box for the selected item, and check marks and radio dots
// drawn with lines. Windows call MeasureMenuItem and DrawMenuItem from their WM_MEASUREITEM and
// WM_DRAWITEM handlers for menu items; the images come from one image list and a map from command
// id to image index, both filled at start-up.
#pragma once

#include "platform/base/Collections.h"
#include "platform/gui/ImageList.h"
#include "platform/gui/Menu.h"

extern CMap<UINT, UINT, int, int> g_menuImageMap;
extern int g_menuImageWidth;
extern int g_menuImageHeight;

void SetMenuImageList(CImageList* pImageList);
CImageList* GetMenuImageList();

// Each channel moved towards black (Darken) or white (Lighten) by the factor; a factor outside
// (0, 1] leaves the colour as it is.
COLORREF DarkenColor(COLORREF c, double f);
COLORREF LightenColor(COLORREF c, double f);

// Marks every item (sub-menus too) owner-drawn with the menu that holds it as its item data.
// Answers FALSE when an item cannot be read.
BOOL SetMenuOwnerDraw(CMenu* pMenu);
// The menu that holds itemId at *pPosition: a pop-up position matches its own handle (then
// *pIsSubmenu is TRUE), another position its command id. Null when not found. *pIsMenuBar tells
// whether the menu is pWnd's menu bar.
HMENU LocateMenuItem(UINT itemId, HMENU hMenu, int* pPosition, BOOL* pIsMenuBar, BOOL* pIsSubmenu,
                     CWnd* pWnd);
void MeasureMenuItem(CMenu* pMenu, int nPosition, BOOL bIsMenuBar, MEASUREITEMSTRUCT* lpMIS);
void DrawMenuItem(CMenu* pMenu, int nPosition, BOOL bIsMenuBar, BOOL bIsSubmenu,
                  DRAWITEMSTRUCT* lpDIS);
// The WM_MEASUREITEM and WM_DRAWITEM handling of pWnd for the menus it marked owner-drawn: the
// item is located in the menu its item data names and measured or drawn. FALSE when the item is
// no item of such a menu: the window's own handling is left to do it.
BOOL MeasureOwnerDrawnMenuItem(CWnd* pWnd, MEASUREITEMSTRUCT* lpMIS);
BOOL DrawOwnerDrawnMenuItem(CWnd* pWnd, DRAWITEMSTRUCT* lpDIS);
class CListCtrl;

// Loads menu nMenuId and tracks its sub-menu nSubMenu (the whole menu when negative) for pOwner
// (the main window when null). A missing sub-menu shows nothing. Answers what TrackPopupMenu
// answered, 0 when nothing was shown.
BOOL ShowPopupMenu(UINT nMenuId, int nSubMenu, POINT pt, UINT nFlags, CWnd* pOwner,
                   const RECT* pExcludeRect = nullptr);

// Where a list's context menu opens: at point, or, asked from the keyboard (-1, -1), at the
// list's focused row (its corner without one), in screen coordinates.
CPoint ListContextMenuPoint(CListCtrl& list, CPoint point);

// The pop-up of pMenu whose own text is lpszName (the shared context-menu resource holds the
// pop-ups of many windows, each found by its name); null when there is none.
CMenu* FindNamedSubMenu(CMenu& menu, LPCTSTR lpszName);
// The position of that pop-up in pMenu; -1 when there is none.
int FindNamedSubMenuPosition(CMenu& menu, LPCTSTR lpszName);
// As ShowPopupMenu, for the pop-up named lpszName of menu nMenuId.
BOOL ShowNamedPopupMenu(UINT nMenuId, LPCTSTR lpszName, POINT pt, UINT nFlags, CWnd* pOwner);

// The shared context-menu resource and the names of its pop-ups.
constexpr UINT IDR_CONTEXT_MENUS = 170;

// The main frame's own menu: its items get a red frame when drawn through it.
class CKovMenu : public CMenu {
public:
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
};
