#include "ui/CreditStatic.h"

#include <QImage>

IMPLEMENT_DYNAMIC(CCreditStatic, CStatic)

BEGIN_MESSAGE_MAP(CCreditStatic, CStatic)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_TIMER()
ON_WM_DESTROY()
END_MESSAGE_MAP()

namespace {
constexpr COLORREF kSilver = 0xC0C0C0;
}

CCreditStatic::CCreditStatic()
    : m_colours{0x000000, 0x0000FF, 0x00FFFF, 0xFFFF00, 0xFFFFFF}, m_heights{21, 19, 17, 15},
      m_escapes{'\t', '\n', '\r', '^'}, m_speeds{70, 40, 10} {}

CCreditStatic::~CCreditStatic() = default;

void CCreditStatic::SetCredits(const char* text, char delimiter) {
    m_lines.RemoveAll();
    CString all = text ? text : "";
    int start = 0;
    for (;;) {
        int at = all.Find(delimiter, start);
        if (at < 0) {
            m_lines.AddTail(all.Mid(start));
            break;
        }
        m_lines.AddTail(all.Mid(start, at - start));
        start = at + 1;
    }
    Rewind();
}

void CCreditStatic::Rewind() {
    m_next = m_lines.GetHeadPosition();
    m_tick = 1;
    m_offset = 0;
    m_lineStarted = 1;
    m_lineScrolled = 0;
}

int CCreditStatic::SetSpeed(int index, UINT interval) {
    if (index < 0 || index > 2)
        return m_speed;
    if (interval)
        m_speeds[index] = interval;
    m_speed = index;
    return m_speed;
}

void CCreditStatic::SetColor(int index, COLORREF colour) {
    if (index >= 0 && index < 5)
        m_colours[index] = colour;
}

void CCreditStatic::SetTextHeight(int index, int height) {
    if (index >= 0 && index < 4)
        m_heights[index] = height;
}

BOOL CCreditStatic::SetBkImage(const char* resourceName) {
    m_backBitmap.DeleteObject();
    return resourceName && m_backBitmap.LoadBitmap(resourceName);
}

BOOL CCreditStatic::StartScrolling() {
    if (m_lines.IsEmpty())
        return FALSE;
    m_work.DeleteObject();
    m_timerId = SetTimer(kTimerId, m_speeds[m_speed], nullptr);
    if (!m_timerId)
        m_timerId = kTimerId;
    Rewind();
    return TRUE;
}

void CCreditStatic::StopScrolling() {
    if (m_hWnd)
        KillTimer(kTimerId);
    m_timerId = 0;
    m_work.DeleteObject();
}

void CCreditStatic::OnDestroy() {
    StopScrolling();
    m_lines.RemoveAll();
    CStatic::OnDestroy();
}

BOOL CCreditStatic::GetLineStyle(const CString& line, int& height, int& weight,
                                 COLORREF& colour) const {
    char last = line.IsEmpty() ? 0 : line[line.GetLength() - 1];
    if (last == m_escapes[3])
        return FALSE;
    for (int i = 0; i < 3; ++i)
        if (last == m_escapes[i]) {
            height = m_heights[i];
            weight = FW_BOLD;
            colour = m_colours[i + 1];
            return TRUE;
        }
    height = m_heights[3];
    weight = FW_THIN;
    colour = m_colours[4];
    return TRUE;
}

CString CCreditStatic::StripMarker(const CString& line) const {
    if (line.IsEmpty())
        return line;
    char last = line[line.GetLength() - 1];
    for (char e : m_escapes)
        if (last == e)
            return line.Left(line.GetLength() - 1);
    return line;
}

void CCreditStatic::CreateLineFont(CFont& font, const CString& line, COLORREF& colour) {
    int height = 15, weight = FW_THIN;
    GetLineStyle(line, height, weight, colour);
    font.CreateFont(height, 0, 0, 0, weight, 0, 0, 0, 0, 0, 0, PROOF_QUALITY, 6, "Arial");
    m_lineHeight = height;
}

void CCreditStatic::FillBackground(CDC* pDC, const CRect& area) {
    if (m_backBitmap.GetSafeHandle() && m_transparentBack) {
        pDC->FillSolidRect(&area, kSilver);
        return;
    }
    if (m_gradient < 1 || m_gradient > 4) {
        pDC->FillSolidRect(&area, m_colours[0]);
        return;
    }
    // 256 vertical bands across the whole width, each a step of the chosen ramp.
    CRect client;
    GetClientRect(&client);
    int w = std::max(1, client.Width());
    COLORREF c = m_colours[0];
    auto ramp = [&](int v, int i) {
        switch (m_gradient) {
        case 1:
            return v * (255 - i) / 255;
        case 2:
            return v + (255 - v) * i / 255;
        case 3:
            return v * i / 255;
        default:
            return 255 - (255 - v) * i / 255;
        }
    };
    for (int i = 0; i < 256; ++i) {
        int x0 = w * i / 256, x1 = w * (i + 1) / 256;
        CRect band(std::max(x0, (int)area.left), area.top, std::min(x1, (int)area.right),
                   area.bottom);
        if (band.left < band.right)
            pDC->FillSolidRect(
                &band, RGB(ramp(GetRValue(c), i), ramp(GetGValue(c), i), ramp(GetBValue(c), i)));
    }
}

void CCreditStatic::EnsureWork(CDC* pDC, const CRect& client) {
    if (m_work.GetSafeHandle())
        return;
    m_work.CreateCompatibleBitmap(pDC, std::max(1, client.Width()), std::max(1, client.Height()));
    CDC mem;
    mem.CreateCompatibleDC(pDC);
    CBitmap* old = mem.SelectObject(&m_work);
    FillBackground(&mem, client);
    mem.SelectObject(old);
}

void CCreditStatic::DrawStatic(CDC* pDC, const CRect& client) {
    int y = 0;
    pDC->SetBkMode(TRANSPARENT);
    for (POSITION pos = m_lines.GetHeadPosition(); pos && y < client.Height();) {
        CString line = m_lines.GetNext(pos);
        int height = 0, weight = 0;
        COLORREF colour = 0;
        if (!GetLineStyle(line, height, weight, colour)) {
            CBitmap bmp;
            if (bmp.LoadBitmap(StripMarker(line))) {
                CSize sz = bmp.GetBitmapDimension();
                CDC src;
                src.CreateCompatibleDC(pDC);
                CBitmap* old = src.SelectObject(&bmp);
                pDC->BitBlt((client.Width() - sz.cx) / 2, y, sz.cx, sz.cy, &src, 0, 0, SRCCOPY);
                src.SelectObject(old);
                y += sz.cy;
            }
            continue;
        }
        CFont font;
        CreateLineFont(font, line, colour);
        CFont* old = pDC->SelectObject(&font);
        pDC->SetTextColor(colour);
        CRect r(0, y, client.Width(), y + height);
        pDC->DrawText(StripMarker(line), &r, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
        pDC->SelectObject(old);
        y += height;
    }
}

void CCreditStatic::OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    // Stopped, the first paint lays the lines out one under the other; scrolling, the ticks
    // keep the picture up to date and a paint only shows it.
    if (!m_work.GetSafeHandle() && !m_timerId) {
        EnsureWork(&dc, client);
        CDC mem;
        mem.CreateCompatibleDC(&dc);
        CBitmap* old = mem.SelectObject(&m_work);
        DrawStatic(&mem, client);
        mem.SelectObject(old);
    }
    if (!m_work.GetSafeHandle())
        return;
    CDC mem;
    mem.CreateCompatibleDC(&dc);
    CBitmap* old = mem.SelectObject(&m_work);
    if (m_backBitmap.GetSafeHandle()) {
        CDC back;
        back.CreateCompatibleDC(&dc);
        CBitmap* oldBack = back.SelectObject(&m_backBitmap);
        CSize sz = m_backBitmap.GetBitmapDimension();
        dc.StretchBlt(0, 0, client.Width(), client.Height(), &back, 0, 0, sz.cx, sz.cy, SRCCOPY);
        back.SelectObject(oldBack);
        if (m_transparentBack)
            dc.TransparentBlt(0, 0, client.Width(), client.Height(), &mem, 0, 0, client.Width(),
                              client.Height(), kSilver);
        else
            dc.BitBlt(0, 0, client.Width(), client.Height(), &mem, 0, 0, SRCCOPY);
    } else {
        dc.BitBlt(0, 0, client.Width(), client.Height(), &mem, 0, 0, SRCCOPY);
    }
    mem.SelectObject(old);
}

BOOL CCreditStatic::OnEraseBkgnd(CDC*) {
    return TRUE;
}

void CCreditStatic::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent != kTimerId) {
        CStatic::OnTimer(nIDEvent);
        return;
    }
    if (!m_paused)
        Tick();
}

void CCreditStatic::Tick() {
    CRect client;
    GetClientRect(&client);
    if (client.IsRectEmpty() || m_lines.IsEmpty())
        return;
    CClientDC dc(this);
    bool entered = false;
    if (!m_pictureActive) {
        if (++m_tick > m_lineHeight)
            m_tick = 1;
        if (m_tick == 1 || m_lineStarted) {
            if (!m_next) {
                m_next = m_lines.GetHeadPosition();
                m_firstPass = FALSE;
            }
            m_line = m_lines.GetNext(m_next);
            m_offset = 0;
            m_lineStarted = 0;
            entered = true;
        }
    }

    CDC mem;
    mem.CreateCompatibleDC(&dc);
    EnsureWork(&dc, client);
    CBitmap* oldWork = mem.SelectObject(&m_work);

    int height = 0, weight = 0;
    COLORREF colour = 0;
    bool isText = GetLineStyle(m_line, height, weight, colour) != FALSE;
    CFont font;
    if (isText)
        CreateLineFont(font, m_line, colour);
    if (entered && isText) {
        CFont* old = mem.SelectObject(&font);
        int width = mem.GetTextExtent(StripMarker(m_line)).cx;
        mem.SelectObject(old);
        if (width > m_bandWidth)
            m_bandWidth = std::min(width, client.Width());
    }
    if (entered && !isText) {
        m_picture.DeleteObject();
        if (m_picture.LoadBitmap(StripMarker(m_line))) {
            m_pictureActive = true;
            m_pictureHeight = m_picture.GetBitmapDimension().cy;
            m_bandWidth = std::max(
                m_bandWidth, std::min((int)m_picture.GetBitmapDimension().cx, client.Width()));
        } else {
            m_line.Empty(); // a picture that will not load scrolls by like a blank line
            m_lineHeight = m_heights[3];
        }
    }
    int bw = m_bandWidth > 0 ? m_bandWidth : client.Width();
    CRect band((client.Width() - bw) / 2, 0, (client.Width() - bw) / 2 + bw, client.Height());

    // Move the band's content up and fill the uncovered strip at the bottom.
    QImage* img = m_work.GetImage();
    if (img) {
        int s = -m_step;
        for (int y = band.top; y < band.bottom - s; ++y)
            for (int x = band.left; x < band.right; ++x)
                img->setPixel(x, y, img->pixel(x, y + s));
    }
    FillBackground(&mem, CRect(band.left, band.bottom + m_step, band.right, band.bottom));

    m_offset -= m_step;
    if (m_pictureActive) {
        CDC src;
        src.CreateCompatibleDC(&dc);
        CBitmap* old = src.SelectObject(&m_picture);
        CSize sz = m_picture.GetBitmapDimension();
        // Only the rows the scroll uncovered are new.
        int rows = std::min(-m_step, m_pictureHeight - (m_offset + m_step));
        if (rows > 0)
            mem.BitBlt((client.Width() - sz.cx) / 2, band.bottom + m_step, sz.cx, rows, &src, 0,
                       m_offset + m_step, SRCCOPY);
        src.SelectObject(old);
        if (m_offset >= m_pictureHeight) {
            m_picture.DeleteObject();
            m_pictureActive = false;
            m_line.Empty();
            m_tick = 1;
            m_lineStarted = 1;
        }
    } else if (isText && !m_line.IsEmpty()) {
        // Drawn at its rising position, clipped to the strip the scroll uncovered: the rows
        // above were drawn on earlier ticks and moved up with the content.
        CFont* old = mem.SelectObject(&font);
        mem.SetBkMode(TRANSPARENT);
        mem.SetTextColor(colour);
        mem.IntersectClipRect(band.left, band.bottom + m_step, band.right, band.bottom);
        CRect r(band.left, band.bottom - m_offset, band.right, band.bottom - m_offset + height);
        mem.DrawText(StripMarker(m_line), &r, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
        mem.SelectObject(old);
    }
    mem.SelectObject(oldWork);
    Invalidate(FALSE);
}
