// Menus: a menu is a list of items kept here (so the program can read and change it at any time
// as it reads and changes its own menus); Qt only shows it while it is open or on a menu bar.
#pragma once

#include "platform/gui/Resource.h"
#include "platform/gui/Wnd.h"

#include <functional>

class QImage;
class QMenu;
class QMenuBar;

#ifndef MF_BYCOMMAND
#define MF_BYCOMMAND 0x0000
#define MF_BYPOSITION 0x0400
#define MF_ENABLED 0x0000
#define MF_UNCHECKED 0x0000
#define MF_BITMAP 0x0004
#define MF_OWNERDRAW 0x0100
#define MF_DEFAULT 0x1000
#define MF_HILITE 0x0080

// Sent to a menu's owner as the highlight moves over its items: wParam the item's id (a pop-up's
// position) and its MF_ flags, lParam the menu; flags 0xFFFF with no menu when the menu closes.
#define WM_MENUSELECT 0x011F
// A letter typed into an open menu that no item underlines: wParam the character and MF_POPUP,
// lParam the menu; the answer is MAKELRESULT(item position, one of MNC_*).
#define WM_MENUCHAR 0x0120
#define MNC_IGNORE 0
#define MNC_CLOSE 1
#define MNC_EXECUTE 2
#define MNC_SELECT 3
#endif

#define MFT_STRING 0x0000
#define MFT_BITMAP 0x0004
#define MFT_MENUBARBREAK 0x0020
#define MFT_MENUBREAK 0x0040
#define MFT_OWNERDRAW 0x0100
#define MFT_RADIOCHECK 0x0200
#define MFT_SEPARATOR 0x0800

#define MFS_ENABLED 0x0000
#define MFS_UNCHECKED 0x0000
#define MFS_GRAYED 0x0003
#define MFS_DISABLED 0x0003
#define MFS_CHECKED 0x0008
#define MFS_HILITE 0x0080
#define MFS_DEFAULT 0x1000

#define MIIM_STATE 0x0001
#define MIIM_ID 0x0002
#define MIIM_SUBMENU 0x0004
#define MIIM_CHECKMARKS 0x0008
#define MIIM_TYPE 0x0010
#define MIIM_DATA 0x0020
#define MIIM_STRING 0x0040
#define MIIM_BITMAP 0x0080
#define MIIM_FTYPE 0x0100

#define TPM_LEFTALIGN 0x0000
#define TPM_CENTERALIGN 0x0004
#define TPM_RIGHTALIGN 0x0008
#define TPM_TOPALIGN 0x0000
#define TPM_VCENTERALIGN 0x0010
#define TPM_BOTTOMALIGN 0x0020
#define TPM_LEFTBUTTON 0x0000
#define TPM_RIGHTBUTTON 0x0002
#define TPM_NONOTIFY 0x0080
#define TPM_RETURNCMD 0x0100

struct MENUITEMINFO {
    UINT cbSize;
    UINT fMask;
    UINT fType;
    UINT fState;
    UINT wID;
    HMENU hSubMenu;
    HBITMAP hbmpChecked;
    HBITMAP hbmpUnchecked;
    ULONG_PTR dwItemData;
    LPSTR dwTypeData;
    UINT cch;
    HBITMAP hbmpItem;
};
typedef MENUITEMINFO* LPMENUITEMINFO;

BOOL IsMenu(HMENU hMenu);

class CMenu : public CObject {
    DECLARE_DYNCREATE(CMenu)
public:
    HMENU m_hMenu = nullptr;

    CMenu() = default;
    ~CMenu() override;
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    operator HMENU() const { return m_hMenu; }
    HMENU GetSafeHmenu() const { return m_hMenu; }
    // The object attached to a menu, or a temporary one that lives as long as the menu.
    static CMenu* FromHandle(HMENU hMenu);
    static CMenu* FromHandlePermanent(HMENU hMenu);

    BOOL CreateMenu();
    BOOL CreatePopupMenu();
    // Builds the menu of a menu resource: a bar (or top level) holding its pop-ups.
    BOOL LoadMenu(UINT nIDResource);
    BOOL Attach(HMENU hMenu);
    HMENU Detach();
    // Destroys the menu and every sub-menu it holds.
    BOOL DestroyMenu();

    UINT GetMenuItemCount() const;
    // The command id at a position: (UINT)-1 for a pop-up or a position past the end, 0 for a
    // separator.
    UINT GetMenuItemID(int nPos) const;
    CMenu* GetSubMenu(int nPos) const;
    UINT GetMenuState(UINT nID, UINT nFlags) const;
    int GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const;
    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCTSTR lpszNewItem = nullptr);
    BOOL InsertMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem = 0,
                    LPCTSTR lpszNewItem = nullptr);
    BOOL ModifyMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem = 0,
                    LPCTSTR lpszNewItem = nullptr);
    // Takes the item out; a pop-up's menu survives RemoveMenu and is destroyed by DeleteMenu.
    BOOL RemoveMenu(UINT nPosition, UINT nFlags);
    BOOL DeleteMenu(UINT nPosition, UINT nFlags);
    // Both answer the previous state, or (UINT)-1 when there is no such item.
    UINT CheckMenuItem(UINT nIDCheckItem, UINT nCheck);
    UINT EnableMenuItem(UINT nIDEnableItem, UINT nEnable);
    BOOL CheckMenuRadioItem(UINT nIDFirst, UINT nIDLast, UINT nIDItem, UINT nFlags);
    BOOL SetDefaultItem(UINT uItem, BOOL fByPos = FALSE);
    UINT GetDefaultItem(UINT gmdiFlags, BOOL fByPos = FALSE) const;
    BOOL GetMenuItemInfo(UINT uItem, LPMENUITEMINFO lpMenuItemInfo, BOOL fByPos = FALSE) const;
    BOOL SetMenuItemInfo(UINT uItem, LPMENUITEMINFO lpMenuItemInfo, BOOL fByPos = FALSE);

    // Shows the menu at a screen point for pOwner, which gets WM_INITMENUPOPUP first and then the
    // chosen command as WM_COMMAND (posted); with TPM_RETURNCMD the command is answered instead
    // (0 when nothing was chosen) and nothing is sent.
    BOOL TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect = nullptr);

    // Owner-drawn items whose owner does not draw them come here.
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);
    virtual void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct);
};

// Sends WM_INITMENUPOPUP for hMenu to pOwner, as before a pop-up opens.
void AfxSendInitMenuPopup(CWnd* pOwner, HMENU hMenu, UINT nIndex, BOOL bSysMenu = FALSE);

// Draws a pop-up as it looks open (owner-drawn items through WM_MEASUREITEM and WM_DRAWITEM to
// pOwner), with the item at nSelected highlighted (-1: none). For pictures and tests.
QImage AfxRenderPopupMenu(HMENU hMenu, CWnd* pOwner, int nSelected = -1);

// Chooses the command of a tracked pop-up instead of a person: answers the chosen id, 0 for a
// dismissed menu. Tests install one; null restores the real pop-up. Returns the previous hook.
using PopupMenuHook = std::function<UINT(HMENU hMenu, CWnd* pOwner, POINT pt, UINT nFlags)>;
PopupMenuHook AfxSetPopupMenuHook(PopupMenuHook hook);

// Builds the Qt pop-up of a menu (used by menu bars, tool-bar drop-downs and the tray); items
// trigger WM_COMMAND to pOwner, or set *pChosen when given.
QMenu* AfxBuildQMenu(HMENU hMenu, CWnd* pOwner, QWidget* parent, UINT* pChosen = nullptr);
// Fills a Qt menu bar from a menu; opening a pop-up updates it through WM_INITMENUPOPUP first.
void AfxFillMenuBar(QMenuBar* bar, HMENU hMenu, CWnd* pOwner);
