#include "ecard/ui/ECUserManagerView.h"

#include "ecard/ECUserDoc.h"
#include "ecard/ui/ECRightPaneFrame.h"
#include "platform/gui/Icon.h"
#include "platform/gui/WinApp.h"
#include "shell/OutbarWnd.h"

namespace {

struct SItem {
    UINT nIcon;
    const char* pszText;
    UINT nCommand;
};
const SItem kItems[] = {
    {547, "修改帐户密码", 1524},
    {525, "修改帐户信息", 1509},
    {543, "设置默认访问权限", 1511},
    {545, "下载同步我的资料", 1512},
};

} // namespace

IMPLEMENT_DYNCREATE(CECUserManagerView, CWnd)

BEGIN_MESSAGE_MAP(CECUserManagerView, CContentView)
ON_WM_CREATE()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_MESSAGE(WM_OUTBAR_FOLDER, &CECUserManagerView::OnFolderNotice)
END_MESSAGE_MAP()

CECUserManagerView::CECUserManagerView() = default;

UINT CECUserManagerView::GetItemCommand(int nIndex) {
    return nIndex >= 0 && nIndex < (int)(sizeof kItems / sizeof *kItems) ? kItems[nIndex].nCommand
                                                                         : 0;
}

int CECUserManagerView::OnCreate(LPCREATESTRUCT lpcs) {
    if (CContentView::OnCreate(lpcs) == -1)
        return -1;
    m_large.Create(32, 32, ILC_COLOR32 | ILC_MASK, 6, 5);
    m_small.Create(16, 16, ILC_COLOR32 | ILC_MASK, 6, 5);
    for (const SItem& item : kItems) {
        HICON h = ECLoadPicture(item.nIcon);
        m_large.Add(h);
        m_small.Add(h);
    }
    SetImageList(&m_small, 0);
    SetImageList(&m_large, 1);
    SetIconLayout(TRUE);
    int i = 0;
    for (const SItem& item : kItems) {
        AddItem(i, i, item.pszText, nullptr);
        ++i;
    }
    UpdateScrollButtons(FALSE);
    return 0;
}

void CECUserManagerView::OnLButtonDown(UINT nFlags, CPoint point) {
    int nIndex = -1;
    const int nHit = HitTest(point, &nIndex);
    m_nPressed = (nHit == HitImage || nHit == HitCaption) ? nIndex : -1;
    CContentView::OnLButtonDown(nFlags, point);
}

void CECUserManagerView::OnLButtonUp(UINT nFlags, CPoint point) {
    CContentView::OnLButtonUp(nFlags, point);
    int nIndex = -1;
    const int nHit = HitTest(point, &nIndex);
    const int nPressed = m_nPressed;
    m_nPressed = -1;
    if (nPressed < 0 || nIndex != nPressed || (nHit != HitImage && nHit != HitCaption))
        return;
    if (CWnd* pTop = GetTopLevelParent())
        pTop->SendMessage(WM_COMMAND, GetItemCommand(nPressed), 0);
}

LRESULT CECUserManagerView::OnFolderNotice(WPARAM wParam, LPARAM lParam) {
    switch (wParam) {
    case 100:
        if (CWnd* pParent = GetParent()) {
            pParent->EnableWindow(FALSE);
            m_bIdle = FALSE;
            if (CWnd* pFrame = GetTopLevelParent())
                pFrame->SendMessage(WM_USER + 101, wParam, lParam);
        }
        break;
    case 102:
        if (CWnd* pParent = GetParent()) {
            pParent->EnableWindow(TRUE);
            m_bIdle = TRUE;
            if (CWnd* pFrame = GetTopLevelParent())
                pFrame->SendMessage(WM_USER + 101, wParam, lParam);
        }
        break;
    case OUTBAR_FOLDER_ACTIVATED:
        if (m_pDoc != nullptr && m_pRightPane != nullptr) {
            m_pDoc->SetCurrentObject(&m_pDoc->GetUser());
            m_pRightPane->SetMode(EC_MODE_NONE, this);
            m_pRightPane->ShowViewNumber(EC_VIEW_CARD_FORM, this);
            m_pDoc->UpdateAllViews(nullptr, 0);
        }
        break;
    default:
        break;
    }
    return 0;
}

void CECUserManagerView::PostNcDestroy() {
    CContentView::PostNcDestroy();
}
