// The phone's state in the main window's status bar: a grey crossed-out phone while none is
// connected, a phone while one is, and two pictures in turn while it works. A double click opens
// the phone's set-up; a right click its menu.
#pragma once

#include "links/MobileAgent.h"
#include "ui/AnimateImageWnd.h"

#include <functional>

class CMEIndicatorWnd : public CAnimateImageWnd, public CICommunicationsDeviceIndicator {
    DECLARE_DYNAMIC(CMEIndicatorWnd)
public:
    enum { FRAME_DISCONNECTED = 0, FRAME_CONNECTED = 1, FRAME_BUSY = 2 };
    enum { IDI_FIRST_FRAME = 4032 };
    // The menu resource that holds the "移动设备" pop-up.
    enum { IDR_DEVICE_MENU = 170 };
    static constexpr const char* kDeviceMenuName = "移动设备";

    CMEIndicatorWnd();

    // A child window of the parent at the rectangle, showing the disconnected picture.
    BOOL Create(CWnd* pParent, const RECT& rect, UINT nID);

    void Refresh() override;
    void StartAnimation() override;
    void ShowConnected() override;
    void ShowDisconnected() override;
    // Shows the link disconnected, then tells the owner (SetLinkLostHandler).
    void ShowLinkLost() override;
    void SetLinkLostHandler(std::function<void()> handler) { m_onLinkLost = std::move(handler); }

    void FillBackground(CDC* pDC, const RECT* pRect) override;

    // Opens the device menu at a screen point for the top-level frame (tests call it directly).
    void ShowDeviceMenu(CPoint ptScreen);

protected:
    void OnLButtonDblClk(UINT nFlags, CPoint point);
    void OnRButtonUp(UINT nFlags, CPoint point);
    DECLARE_MESSAGE_MAP()

private:
    std::function<void()> m_onLinkLost;
};
