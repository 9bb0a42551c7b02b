// Flicker-free painting: the owner draws into a memory surface the size of the painted area
// (coordinates relative to the area's top left corner) and copies it onto the window at the end.
#pragma once

#include "platform/gui/Dc.h"
#include "platform/gui/Wnd.h"

class CBufferDC : public CDC {
public:
    // pArea null: the window's client rectangle.
    CBufferDC(CDC* pTarget, CWnd* pWnd, const RECT* pArea = nullptr);
    ~CBufferDC() override;
    CBufferDC(const CBufferDC&) = delete;
    CBufferDC& operator=(const CBufferDC&) = delete;

    // Copies the surface onto the target at the area's position.
    void Flush();
    // Selects the surface's previous bitmap back (once).
    void ReleaseBitmap();

    const CRect& GetArea() const { return m_rect; }

private:
    CDC* m_pTarget;
    CWnd* m_pWnd;
    CRect m_rect;
    CBitmap m_bitmap;
    CBitmap* m_pOldBitmap = nullptr;
};
