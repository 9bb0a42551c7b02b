#include "ui/WndHelpers.h"

#include "platform/gui/Frame.h"

namespace {

template <class Fn> void ForEachDlgItem(CWnd* pParent, const UINT* pIDs, Fn fn) {
    if (pParent == nullptr || pIDs == nullptr)
        return;
    for (; *pIDs != 0; ++pIDs)
        if (CWnd* pItem = pParent->GetDlgItem((int)*pIDs))
            fn(pItem);
}

} // namespace

void EnableDlgItems(CWnd* pParent, const UINT* pIDs, BOOL bEnable) {
    ForEachDlgItem(pParent, pIDs, [=](CWnd* pItem) { pItem->EnableWindow(bEnable); });
}

void EnableDlgItem(CDialog* pDlg, UINT nID, BOOL bEnable) {
    const UINT ids[] = {nID, 0};
    EnableDlgItems(pDlg, ids, bEnable);
}

void ShowDlgItems(CWnd* pParent, const UINT* pIDs, int nCmdShow) {
    ForEachDlgItem(pParent, pIDs, [=](CWnd* pItem) { pItem->ShowWindow(nCmdShow); });
}

int GetParentDepth(HWND hAncestor, HWND hWnd, int nLimit) {
    if (hAncestor == nullptr || hWnd == nullptr || !IsWindow(hWnd))
        return 0;
    CWnd* pWnd = CWnd::FromHandle(hWnd);
    for (int depth = 1; nLimit <= 0 || depth <= nLimit; ++depth) {
        pWnd = pWnd->GetParent();
        if (pWnd == nullptr)
            return 0;
        if (pWnd->GetSafeHwnd() == hAncestor)
            return depth;
    }
    return 0;
}

void UpdateMenuItemsUI(CWnd* pTarget, CMenu* pMenu) {
    AfxUpdateMenuCmdUI(pMenu, pTarget, TRUE);
}

BOOL IsKeyDown(int nVirtKey) {
    return (GetKeyState(nVirtKey) & 0x8000) != 0;
}

BOOL IsFieldMaskSetEmpty(const DWORD masks[5]) {
    for (int i = 0; i < 5; ++i)
        if (masks[i] != 0)
            return FALSE;
    return TRUE;
}
