// Small helpers many windows share: enabling or showing a group of dialog controls, how deep a
// window sits below another, bringing a menu's items up to date, the keyboard and field masks.
#pragma once

#include "platform/gui/Dialog.h"
#include "platform/gui/Menu.h"

// Each existing child of the zero-terminated id list is enabled or disabled.
void EnableDlgItems(CWnd* pParent, const UINT* pIDs, BOOL bEnable);
void EnableDlgItem(CDialog* pDlg, UINT nID, BOOL bEnable);
// ShowWindow(nCmdShow) on each existing child of the zero-terminated id list.
void ShowDlgItems(CWnd* pParent, const UINT* pIDs, int nCmdShow);

// Parent steps from hWnd up to hAncestor (1 for a direct child); 0 when the ancestor is never met
// (also for a window and itself). A positive nLimit tries at most that many steps.
int GetParentDepth(HWND hAncestor, HWND hWnd, int nLimit = 0);

// Every command item of the menu (not separators or submenus) is enabled, checked or renamed as
// pTarget's update handlers decide; an item that pTarget neither updates nor handles is disabled.
void UpdateMenuItemsUI(CWnd* pTarget, CMenu* pMenu);

// TRUE while the key is held down.
BOOL IsKeyDown(int nVirtKey);
// TRUE when all five field-group masks are 0.
BOOL IsFieldMaskSetEmpty(const DWORD masks[5]);
