#include "links/ui/MEIndicatorWnd.h"

#include "platform/gui/Frame.h"
#include "platform/gui/Icon.h"
#include "platform/gui/Menu.h"
#include "ui/KovMenu.h"

IMPLEMENT_DYNAMIC(CMEIndicatorWnd, CAnimateImageWnd)

namespace {
constexpr UINT kSetupCommand = 1535;
constexpr int kImageSize = 16;
} // namespace

BEGIN_MESSAGE_MAP(CMEIndicatorWnd, CAnimateImageWnd)
ON_WM_LBUTTONDBLCLK()
ON_WM_RBUTTONUP()
END_MESSAGE_MAP()

CMEIndicatorWnd::CMEIndicatorWnd() {
    SetFrameRange(FRAME_CONNECTED, FRAME_BUSY);
}

BOOL CMEIndicatorWnd::Create(CWnd* pParent, const RECT& rect, UINT nID) {
    CImageList& images = GetImageList();
    if (!images.GetSafeHandle()) {
        images.Create(kImageSize, kImageSize, ILC_COLOR32 | ILC_MASK, 3, 0);
        for (int i = 0; i < 3; ++i) {
            HICON icon = ::LoadIcon(nullptr, MAKEINTRESOURCE(IDI_FIRST_FRAME + i));
            // A missing picture keeps its place, so the frame numbers stay.
            if (!icon || images.Add(icon) < 0)
                images.Add(::LoadIcon(nullptr, IDI_APPLICATION));
        }
    }
    SetFrame(FRAME_DISCONNECTED, FALSE);
    return CWnd::Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, rect, pParent, nID);
}

void CMEIndicatorWnd::Refresh() {
    SetFrame(GetFrame(), TRUE);
}

void CMEIndicatorWnd::StartAnimation() {
    CAnimateImageWnd::StartAnimation();
}

void CMEIndicatorWnd::ShowConnected() {
    StopAnimation();
    SetFrame(FRAME_CONNECTED, TRUE);
}

void CMEIndicatorWnd::ShowDisconnected() {
    StopAnimation();
    SetFrame(FRAME_DISCONNECTED, TRUE);
}

void CMEIndicatorWnd::ShowLinkLost() {
    ShowDisconnected();
    if (m_onLinkLost)
        m_onLinkLost();
}

void CMEIndicatorWnd::FillBackground(CDC* pDC, const RECT* pRect) {
    pDC->FillSolidRect(pRect, GetSysColor(COLOR_BTNFACE)); // the status bar's face
}

void CMEIndicatorWnd::OnLButtonDblClk(UINT, CPoint) {
    if (CWnd* frame = GetTopLevelFrame())
        frame->SendMessage(WM_COMMAND, kSetupCommand, 0);
}

void CMEIndicatorWnd::OnRButtonUp(UINT, CPoint point) {
    ClientToScreen(&point);
    ShowDeviceMenu(point);
}

void CMEIndicatorWnd::ShowDeviceMenu(CPoint ptScreen) {
    CMenu menu;
    if (!menu.LoadMenu(IDR_DEVICE_MENU))
        return;
    // The resource holds the pop-ups of other windows too: this one is found by its name.
    CMenu* popup = FindNamedSubMenu(menu, kDeviceMenuName);
    if (!popup)
        return;
    popup->SetDefaultItem(0, TRUE);
    CWnd* owner = GetTopLevelFrame();
    popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, ptScreen.x, ptScreen.y,
                          owner ? owner : this);
}
