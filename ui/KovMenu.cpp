#include "ui/KovMenu.h"

#include "platform/gui/Dc.h"
#include "platform/gui/Frame.h"
#include "platform/gui/ListCtrl.h"
#include "platform/gui/NonClientMetrics.h"
#include "platform/gui/WinApp.h"

CMap<UINT, UINT, int, int> g_menuImageMap(10);
int g_menuImageWidth = 16;
int g_menuImageHeight = 16;

namespace {

CImageList* g_menuImageList = nullptr;

BYTE Scale(int ch, double f, bool lighten) {
    return (BYTE)(lighten ? ch + f * (255 - ch) : ch - f * ch);
}

COLORREF Shift(COLORREF c, double f, bool lighten) {
    if (!(f > 0 && f <= 1))
        return c;
    return RGB(Scale(GetRValue(c), f, lighten), Scale(GetGValue(c), f, lighten),
               Scale(GetBValue(c), f, lighten));
}

void FrameIn(CDC* pDC, const CRect& r, COLORREF c) {
    CBrush brush(c);
    pDC->FrameRect(&r, &brush);
}

// The check mark or radio dot inside the image box.
void DrawCheck(CDC* pDC, CRect r, bool selected, bool disabled, bool radio) {
    COLORREF hl = GetSysColor(COLOR_HIGHLIGHT);
    pDC->FillSolidRect(&r, LightenColor(hl, selected ? 0.55 : 0.85));
    FrameIn(pDC, r, hl);
    COLORREF mark = GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_MENUTEXT);
    int x = r.left + (r.Width() < 6 ? 0 : r.Width() / 2 - 3);
    int y = r.top + (r.Height() < 6 ? 0 : r.Height() / 2 - 3);
    CPen pen(PS_SOLID, 1, mark);
    CPen* oldPen = pDC->SelectObject(&pen);
    if (radio) {
        CBrush brush(mark);
        CBrush* oldBrush = pDC->SelectObject(&brush);
        pDC->Ellipse(x, y, x + 6, y + 6);
        pDC->SelectObject(oldBrush);
    } else {
        static const int rise[7] = {2, 3, 4, 3, 2, 1, 0};
        for (int i = 0; i < 7; ++i) {
            pDC->MoveTo(x + i, y + rise[i]);
            pDC->LineTo(x + i, y + rise[i] + 2);
        }
    }
    pDC->SelectObject(oldPen);
}

} // namespace

void SetMenuImageList(CImageList* pImageList) {
    g_menuImageList = pImageList;
}

CImageList* GetMenuImageList() {
    return g_menuImageList;
}

COLORREF DarkenColor(COLORREF c, double f) {
    return Shift(c, f, false);
}

COLORREF LightenColor(COLORREF c, double f) {
    return Shift(c, f, true);
}

BOOL SetMenuOwnerDraw(CMenu* pMenu) {
    if (!pMenu)
        return FALSE;
    UINT count = pMenu->GetMenuItemCount();
    for (UINT i = 0; i < count; ++i) {
        MENUITEMINFO mii{};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_SUBMENU;
        if (!pMenu->GetMenuItemInfo(i, &mii, TRUE))
            return FALSE;
        mii.fType |= MFT_OWNERDRAW;
        mii.dwItemData = (ULONG_PTR)pMenu->m_hMenu;
        mii.fMask = MIIM_FTYPE | MIIM_DATA;
        pMenu->SetMenuItemInfo(i, &mii, TRUE);
        if (mii.hSubMenu && !SetMenuOwnerDraw(CMenu::FromHandle(mii.hSubMenu)))
            return FALSE;
    }
    return TRUE;
}

HMENU LocateMenuItem(UINT itemId, HMENU hMenu, int* pPosition, BOOL* pIsMenuBar, BOOL* pIsSubmenu,
                     CWnd* pWnd) {
    CMenu* menu = hMenu ? CMenu::FromHandle(hMenu) : nullptr;
    if (!menu)
        return nullptr;
    UINT count = menu->GetMenuItemCount();
    for (UINT i = 0; i < count; ++i) {
        CMenu* sub = menu->GetSubMenu((int)i);
        bool match =
            sub ? (UINT)(UINT_PTR)sub->m_hMenu == itemId : menu->GetMenuItemID((int)i) == itemId;
        if (!match)
            continue;
        if (pPosition)
            *pPosition = (int)i;
        if (pIsSubmenu)
            *pIsSubmenu = sub != nullptr;
        if (pIsMenuBar) {
            auto* frame = dynamic_cast<CFrameWnd*>(pWnd);
            CMenu* bar = frame ? frame->GetMenu() : nullptr;
            *pIsMenuBar = bar && bar->m_hMenu == hMenu;
        }
        return hMenu;
    }
    return nullptr;
}

BOOL MeasureOwnerDrawnMenuItem(CWnd* pWnd, MEASUREITEMSTRUCT* lpMIS) {
    int pos = 0;
    BOOL bar = FALSE, sub = FALSE;
    HMENU h = lpMIS != nullptr && lpMIS->CtlType == ODT_MENU
                  ? LocateMenuItem(lpMIS->itemID, (HMENU)lpMIS->itemData, &pos, &bar, &sub, pWnd)
                  : nullptr;
    if (h == nullptr)
        return FALSE;
    MeasureMenuItem(CMenu::FromHandle(h), pos, bar, lpMIS);
    return TRUE;
}

BOOL DrawOwnerDrawnMenuItem(CWnd* pWnd, DRAWITEMSTRUCT* lpDIS) {
    int pos = 0;
    BOOL bar = FALSE, sub = FALSE;
    HMENU h = lpDIS != nullptr && lpDIS->CtlType == ODT_MENU
                  ? LocateMenuItem(lpDIS->itemID, (HMENU)lpDIS->itemData, &pos, &bar, &sub, pWnd)
                  : nullptr;
    if (h == nullptr)
        return FALSE;
    DrawMenuItem(CMenu::FromHandle(h), pos, bar, sub, lpDIS);
    return TRUE;
}

void MeasureMenuItem(CMenu* pMenu, int nPosition, BOOL bIsMenuBar, MEASUREITEMSTRUCT* lpMIS) {
    if (!pMenu || !lpMIS || lpMIS->CtlType != ODT_MENU)
        return;
    CString text;
    pMenu->GetMenuString((UINT)nPosition, text, MF_BYPOSITION);
    if (pMenu->GetMenuState((UINT)nPosition, MF_BYPOSITION) & MF_SEPARATOR) {
        lpMIS->itemWidth = 0;
        lpMIS->itemHeight = 3;
        return;
    }
    // Measured in the desktop's menu font, on the main window (the screen when there is none).
    NONCLIENTMETRICS ncm{};
    ncm.cbSize = sizeof ncm;
    CFont menuFont;
    CFont* font = CFont::FromHandle((HFONT)GetStockObject(DEFAULT_GUI_FONT));
    if (SystemParametersInfo(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0) &&
        menuFont.CreateFontIndirect(&ncm.lfMenuFont))
        font = &menuFont;
    CWnd* main = AfxGetMainWnd();
    CClientDC dc(main && main->m_hWnd ? main : nullptr);
    CFont* old = dc.SelectObject(font);
    CRect r(0, 0, 0, 0);
    dc.DrawText(text, &r, DT_CALCRECT | DT_SINGLELINE | DT_VCENTER);
    dc.SelectObject(old);
    if (bIsMenuBar) {
        lpMIS->itemWidth = (UINT)r.Width();
        lpMIS->itemHeight = 18;
        return;
    }
    int w = r.Width() + 3;
    if (!text.IsEmpty())
        w += (w / text.GetLength()) * 3;
    lpMIS->itemWidth = (UINT)(g_menuImageWidth + w + 12);
    lpMIS->itemHeight = (UINT)std::max(GetSystemMetrics(SM_CYMENU), g_menuImageHeight + 4);
}

void DrawMenuItem(CMenu* pMenu, int nPosition, BOOL bIsMenuBar, BOOL bIsSubmenu,
                  DRAWITEMSTRUCT* lpDIS) {
    if (!pMenu || !lpDIS)
        return;
    CDC* pDC = CDC::FromHandle(lpDIS->hDC);
    CRect item = lpDIS->rcItem;
    UINT state = lpDIS->itemState;
    bool grayed = (state & ODS_GRAYED) != 0;
    if (grayed)
        state &= ~(UINT)ODS_SELECTED; // a grayed item never shows as selected
    bool selected = (state & (ODS_SELECTED | ODS_HOTLIGHT)) != 0;
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    COLORREF back = DarkenColor(GetSysColor(COLOR_WINDOW), 0.02);
    CRect icon(item.left, item.top, item.left + g_menuImageWidth + 4, item.bottom);
    UINT menuState = pMenu->GetMenuState((UINT)nPosition, MF_BYPOSITION);

    if (menuState & MF_SEPARATOR) {
        pDC->FillSolidRect(&item, back);
        CRect line(icon.right + 4, item.top + item.Height() / 2, item.right, item.bottom);
        pDC->DrawEdge(&line, EDGE_ETCHED, BF_TOP);
        pDC->FillSolidRect(&icon, face);
        FrameIn(pDC, icon, face);
        return;
    }
    if (selected) {
        CRect sel = item;
        if (bIsMenuBar)
            sel.top += 1;
        pDC->FillSolidRect(&sel, LightenColor(GetSysColor(COLOR_HIGHLIGHT), 0.7));
        FrameIn(pDC, sel, GetSysColor(COLOR_HIGHLIGHT));
    } else if (bIsMenuBar) {
        pDC->FillSolidRect(&item, face);
    } else {
        pDC->FillSolidRect(&item, back);
        pDC->FillSolidRect(&icon, face);
        FrameIn(pDC, item, back);
        FrameIn(pDC, icon, face);
    }

    CRect box = icon;
    box.DeflateRect(1, 1);
    if (state & ODS_CHECKED) {
        MENUITEMINFO mii{};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_CHECKMARKS | MIIM_FTYPE;
        pMenu->GetMenuItemInfo((UINT)nPosition, &mii, TRUE);
        bool radio = mii.hbmpChecked != nullptr || (mii.fType & MFT_RADIOCHECK);
        DrawCheck(pDC, box, selected, grayed || (state & ODS_DISABLED), radio);
    } else if (!bIsSubmenu && g_menuImageList) {
        int image = -1;
        if (g_menuImageMap.Lookup(lpDIS->itemID, image)) {
            bool disabled = grayed || (state & ODS_DISABLED);
            SIZE sz{g_menuImageWidth, g_menuImageHeight};
            auto shadow = [&](int offset) {
                g_menuImageList->DrawIndirect(
                    pDC, image, CPoint(item.left + offset, item.top + offset), sz, CPoint(0, 0),
                    ILD_TRANSPARENT | ILD_BLEND25, SRCCOPY, CLR_NONE, RGB(0, 0, 0));
            };
            if (selected) {
                shadow(2);
                if (!disabled)
                    g_menuImageList->Draw(pDC, image, CPoint(item.left, item.top), ILD_TRANSPARENT);
            } else if (disabled) {
                shadow(1);
            } else {
                g_menuImageList->Draw(pDC, image, CPoint(item.left + 1, item.top + 1),
                                      ILD_TRANSPARENT);
            }
        }
    }

    CString text;
    pMenu->GetMenuString((UINT)nPosition, text, MF_BYPOSITION);
    CString label = text, accel;
    CRect rcText(icon.right + 8, item.top, item.right, item.bottom);
    int firstTab = text.Find('\t');
    if (firstTab >= 0) {
        label = text.Left(firstTab);
        accel = text.Mid(text.ReverseFind('\t') + 1);
        rcText.right -= g_menuImageWidth;
    }
    int oldMode = pDC->SetBkMode(TRANSPARENT);
    COLORREF oldColor = pDC->SetTextColor(GetSysColor(grayed ? COLOR_GRAYTEXT : COLOR_MENUTEXT));
    if (bIsMenuBar) {
        CRect bar = item;
        bar.top += 1;
        pDC->DrawText(label, &bar, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    } else {
        pDC->DrawText(label, &rcText, DT_VCENTER | DT_SINGLELINE);
    }
    if (!accel.IsEmpty())
        pDC->DrawText(accel, &rcText, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    pDC->SetTextColor(oldColor);
    pDC->SetBkMode(oldMode);
}

CPoint ListContextMenuPoint(CListCtrl& list, CPoint point) {
    if (point.x != -1 || point.y != -1)
        return point;
    CRect rc(0, 0, 0, 0);
    const int nRow = list.GetNextItem(-1, LVNI_FOCUSED);
    if (nRow >= 0)
        list.GetItemRect(nRow, &rc, LVIR_LABEL);
    point = rc.CenterPoint();
    list.ClientToScreen(&point);
    return point;
}

BOOL ShowPopupMenu(UINT nMenuId, int nSubMenu, POINT pt, UINT nFlags, CWnd* pOwner,
                   const RECT* pExcludeRect) {
    CMenu menu;
    if (!menu.LoadMenu(nMenuId))
        return FALSE;
    CMenu* popup = &menu;
    if (nSubMenu >= 0) {
        popup = menu.GetSubMenu(nSubMenu);
        if (!popup)
            return FALSE;
    }
    CWnd* owner = pOwner ? pOwner : AfxGetMainWnd();
    return popup->TrackPopupMenu(nFlags, pt.x, pt.y, owner, pExcludeRect);
}

int FindNamedSubMenuPosition(CMenu& menu, LPCTSTR lpszName) {
    for (int i = 0; i < (int)menu.GetMenuItemCount(); ++i) {
        CString name;
        menu.GetMenuString((UINT)i, name, MF_BYPOSITION);
        if (name == lpszName && menu.GetSubMenu(i) != nullptr)
            return i;
    }
    return -1;
}

CMenu* FindNamedSubMenu(CMenu& menu, LPCTSTR lpszName) {
    const int pos = FindNamedSubMenuPosition(menu, lpszName);
    return pos >= 0 ? menu.GetSubMenu(pos) : nullptr;
}

BOOL ShowNamedPopupMenu(UINT nMenuId, LPCTSTR lpszName, POINT pt, UINT nFlags, CWnd* pOwner) {
    CMenu menu;
    if (!menu.LoadMenu(nMenuId))
        return FALSE;
    CMenu* popup = FindNamedSubMenu(menu, lpszName);
    if (!popup)
        return FALSE;
    CWnd* owner = pOwner ? pOwner : AfxGetMainWnd();
    return popup->TrackPopupMenu(nFlags, pt.x, pt.y, owner);
}

void CKovMenu::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) {
    CDC* pDC = CDC::FromHandle(lpDrawItemStruct->hDC);
    CRect r = lpDrawItemStruct->rcItem;
    FrameIn(pDC, r, RGB(255, 0, 0));
}
