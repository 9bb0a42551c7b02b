#include "ui/BeadProgressCtrl.h"

IMPLEMENT_DYNAMIC(CBeadProgressCtrl, CWnd)

BEGIN_MESSAGE_MAP(CBeadProgressCtrl, CWnd)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CBeadProgressCtrl::CBeadProgressCtrl() : m_background(GetSysColor(COLOR_BTNFACE)) {}

void CBeadProgressCtrl::SetImages(CImageList* images, int pendingImage, int currentImage,
                                  int doneImage) {
    m_images = images;
    m_pendingImage = pendingImage;
    m_currentImage = currentImage;
    m_doneImage = doneImage;
    IMAGEINFO ii{};
    if (images && images->GetImageInfo(0, &ii)) {
        m_beadWidth = ii.rcImage.right - ii.rcImage.left;
        m_beadHeight = ii.rcImage.bottom - ii.rcImage.top;
    } else {
        m_beadWidth = m_beadHeight = 0;
    }
}

void CBeadProgressCtrl::Draw(CDC* pDC, const CRect& client) {
    pDC->FillSolidRect(&client, m_background);
    if (!m_images || m_beadWidth <= 0)
        return;
    int perRow = client.Width() / m_beadWidth;
    if (perRow <= 0)
        return;
    for (int i = 0; i <= m_lastBead; ++i) {
        int image = i == m_position  ? m_currentImage
                    : i > m_position ? m_pendingImage
                                     : m_doneImage;
        CPoint at(client.left + (i % perRow) * m_beadWidth,
                  client.top + (i / perRow) * m_beadHeight);
        m_images->Draw(pDC, image, at, ILD_TRANSPARENT);
    }
}

void CBeadProgressCtrl::OnPaint() {
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    Draw(&dc, rc);
}

BOOL CBeadProgressCtrl::OnEraseBkgnd(CDC*) {
    return TRUE;
}
