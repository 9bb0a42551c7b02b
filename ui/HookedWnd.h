// A window whose messages an outside listener may see first: the listener answers non-zero for
// a message it consumed, and the window then does nothing more with it.
#pragma once

#include "platform/gui/Wnd.h"

class CHookedWnd {
public:
    class IHooker {
    public:
        virtual ~IHooker() = default;
        virtual BOOL OnHookedMessage(CWnd* pWnd, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    };

    virtual ~CHookedWnd() = default;
    void SetHooker(IHooker* pHooker) { m_hooker = pHooker; }
    IHooker* GetHooker() const { return m_hooker; }

protected:
    // Offers the message to the listener; TRUE when it consumed it.
    BOOL OfferToHooker(CWnd* pWnd, UINT message, WPARAM wParam, LPARAM lParam) {
        return m_hooker && m_hooker->OnHookedMessage(pWnd, message, wParam, lParam);
    }
    IHooker* m_hooker = nullptr;
};
