#include "ui/BufferDC.h"

CBufferDC::CBufferDC(CDC* pTarget, CWnd* pWnd, const RECT* pArea)
    : m_pTarget(pTarget), m_pWnd(pWnd) {
    if (pArea != nullptr)
        m_rect = *pArea;
    else if (pWnd != nullptr)
        pWnd->GetClientRect(&m_rect);
    CreateCompatibleDC(pTarget);
    m_bitmap.CreateCompatibleBitmap(pTarget, m_rect.Width(), m_rect.Height());
    m_pOldBitmap = SelectObject(&m_bitmap);
}

CBufferDC::~CBufferDC() {
    ReleaseBitmap();
    m_bitmap.DeleteObject();
    DeleteDC();
}

void CBufferDC::Flush() {
    if (m_pTarget != nullptr)
        m_pTarget->BitBlt(m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), this, 0, 0,
                          SRCCOPY);
}

void CBufferDC::ReleaseBitmap() {
    if (m_pOldBitmap == nullptr)
        return;
    SelectObject(m_pOldBitmap);
    m_pOldBitmap = nullptr;
}
