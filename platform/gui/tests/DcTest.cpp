#include "GuiTestSupport.h"

#include "platform/gui/Dc.h"

#include <QFile>
#include <QImage>
#include <QPainter>

namespace {

class DcTest : public GuiTest {
protected:
    QImage image{120, 80, QImage::Format_RGB32};
    CDC dc;
    void SetUp() override {
        image.fill(Qt::white);
        dc.AttachImage(&image);
    }
    // Ends the painting so the pixels can be read.
    QImage Pixels() {
        dc.DeleteDC();
        QImage copy = image;
        dc.AttachImage(&image);
        return copy;
    }
    static bool Inked(const QImage& img, const QRect& area) {
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (qGray(img.pixel(x, y)) < 128)
                    return true;
        return false;
    }
};

} // namespace

TEST_F(DcTest, FillAndLinesCoverExactlyTheirPixels) {
    dc.FillSolidRect(10, 10, 5, 3, RGB(255, 0, 0));
    dc.MoveTo(0, 50);
    dc.LineTo(10, 50); // the end point itself stays blank
    QImage px = Pixels();
    EXPECT_EQ(px.pixel(10, 10), qRgb(255, 0, 0));
    EXPECT_EQ(px.pixel(14, 12), qRgb(255, 0, 0));
    EXPECT_EQ(px.pixel(15, 12), qRgb(255, 255, 255));
    EXPECT_EQ(px.pixel(14, 13), qRgb(255, 255, 255));
    EXPECT_EQ(px.pixel(9, 50), qRgb(0, 0, 0));
    EXPECT_EQ(px.pixel(10, 50), qRgb(255, 255, 255));
    EXPECT_EQ(dc.GetBkColor(), RGB(255, 0, 0)); // FillSolidRect leaves its colour as background
}

TEST_F(DcTest, DrawTextMeasuresWrapsAndShortens) {
    CString chinese = "墨川个人信息管理";
    CSize one = dc.GetTextExtent(chinese);
    ASSERT_GT(one.cx, 40);
    struct Row {
        const char* text;
        UINT flags;
        int width;
        int lines; // expected height in lines
        bool fits; // measured width within the given width
    } rows[] = {
        {"墨川个人信息管理", DT_SINGLELINE, 1000, 1, true},
        {"墨川个人信息管理", DT_WORDBREAK, one.cx / 2 + 2, 2, true},
        {"墨川个人信息管理", DT_WORDBREAK, one.cx / 4 + 2, 4, true},
        {"first line\r\nsecond", 0, 1000, 2, true},
        {"first line\nsecond\nthird", DT_WORDBREAK, 1000, 3, true},
        {"墨川个人信息管理", DT_SINGLELINE | DT_END_ELLIPSIS, one.cx / 2, 1, true},
        {"&File && more", DT_SINGLELINE, 1000, 1, true},
    };
    TEXTMETRIC tm;
    dc.GetTextMetrics(&tm);
    for (const Row& r : rows) {
        CRect rc(0, 0, r.width, 10);
        int h = dc.DrawText(r.text, -1, &rc, r.flags | DT_CALCRECT);
        EXPECT_EQ(h, r.lines * tm.tmHeight) << r.text << " " << r.width;
        EXPECT_EQ(rc.Height(), h) << r.text;
        if (r.fits) {
            EXPECT_LE(rc.Width(), r.width) << r.text;
        }
    }
    // The mnemonic marks take no room: "&File && more" measures as "File & more".
    CRect a(0, 0, 1000, 10), b(0, 0, 1000, 10);
    dc.DrawText("&File && more", -1, &a, DT_SINGLELINE | DT_CALCRECT);
    dc.DrawText("File & more", -1, &b, DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
    EXPECT_EQ(a.Width(), b.Width());
}

// A cell shortened with dots keeps the longest start that fits, however long the text: the
// recipients of a message to a thousand numbers are one line of some twenty thousand bytes.
TEST_F(DcTest, AShortenedLineKeepsTheLongestStartThatFits) {
    CString many;
    for (int i = 0; i < 1000; ++i)
        many.AppendFormat("人%d<139%08d>,", i, i);
    TEXTMETRIC tm;
    dc.GetTextMetrics(&tm);
    for (const CString& text : {many, CString("墨川个人信息管理")}) {
        for (int width : {tm.tmAveCharWidth * 3, 88, 200}) {
            CRect rc(0, 0, width, 10);
            dc.DrawText(text, -1, &rc, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CALCRECT);
            CRect whole(0, 0, 100000, 10);
            dc.DrawText(text, -1, &whole, DT_SINGLELINE | DT_CALCRECT);
            EXPECT_LE(rc.Width(), width) << width;
            if (whole.Width() > width)
                EXPECT_GT(rc.Width(), width - tm.tmMaxCharWidth) << width << ": one more fits";
            else
                EXPECT_EQ(rc.Width(), whole.Width()) << width;
        }
    }
    // Not even the dots fit: the dots alone.
    CRect dots(0, 0, 1000, 10), tiny(0, 0, 2, 10);
    dc.DrawText("...", -1, &dots, DT_SINGLELINE | DT_CALCRECT);
    dc.DrawText(many, -1, &tiny, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CALCRECT);
    EXPECT_EQ(tiny.Width(), dots.Width());
}

TEST_F(DcTest, DrawTextAlignsInsideItsRectangle) {
    struct Row {
        UINT flags;
        QRect inked, blank;
    } rows[] = {
        {DT_SINGLELINE | DT_LEFT | DT_TOP, QRect(0, 0, 40, 20), QRect(80, 0, 40, 80)},
        {DT_SINGLELINE | DT_RIGHT | DT_BOTTOM, QRect(80, 60, 40, 20), QRect(0, 0, 60, 50)},
        {DT_SINGLELINE | DT_CENTER | DT_VCENTER, QRect(40, 25, 40, 30), QRect(0, 0, 120, 15)},
    };
    for (const Row& r : rows) {
        image.fill(Qt::white);
        CRect rc(0, 0, 120, 80);
        dc.SetBkMode(TRANSPARENT);
        dc.DrawText("中文", -1, &rc, r.flags);
        QImage px = Pixels();
        EXPECT_TRUE(Inked(px, r.inked)) << r.flags;
        EXPECT_FALSE(Inked(px, r.blank)) << r.flags;
    }
}

TEST_F(DcTest, TextIsClippedToItsRectangleUnlessNoClip) {
    CRect rc(0, 0, 10, 20);
    dc.DrawText("很长很长的一行文字", -1, &rc, DT_SINGLELINE);
    QImage px = Pixels();
    EXPECT_FALSE(Inked(px, QRect(10, 0, 100, 20)));
    CRect rc2(0, 40, 10, 60);
    dc.DrawText("很长很长的一行文字", -1, &rc2, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_TRUE(Inked(Pixels(), QRect(10, 40, 100, 20)));
}

TEST_F(DcTest, PatInvertTwiceRestoresAndKeepsSurfaceOpaque) {
    dc.FillSolidRect(0, 0, 60, 80, RGB(0, 0, 0));
    CBrush white(RGB(255, 255, 255));
    dc.SelectObject(&white);
    dc.PatBlt(30, 0, 60, 80, PATINVERT);
    QImage once = Pixels();
    EXPECT_EQ(once.pixel(40, 10), qRgb(255, 255, 255)); // black turned white
    EXPECT_EQ(once.pixel(70, 10), qRgb(0, 0, 0));       // white turned black
    EXPECT_EQ(qAlpha(once.pixel(70, 10)), 255);
    dc.PatBlt(30, 0, 60, 80, PATINVERT);
    QImage twice = Pixels();
    EXPECT_EQ(twice.pixel(40, 10), qRgb(0, 0, 0));
    EXPECT_EQ(twice.pixel(70, 10), qRgb(255, 255, 255));
}

TEST_F(DcTest, MaskBlitsDrawABitmapWithoutItsKeyColour) {
    // A 4x1 picture whose magenta pixels are see-through.
    CDC memDC, maskDC;
    memDC.CreateCompatibleDC(&dc);
    maskDC.CreateCompatibleDC(&dc);
    CBitmap picture, mask;
    picture.CreateCompatibleBitmap(&dc, 4, 1);
    mask.CreateBitmap(4, 1, 1, 1, nullptr);
    CBitmap* oldPic = memDC.SelectObject(&picture);
    CBitmap* oldMask = maskDC.SelectObject(&mask);
    const COLORREF magenta = RGB(255, 0, 255);
    COLORREF pixels[4] = {RGB(255, 0, 0), magenta, RGB(0, 0, 255), magenta};
    for (int x = 0; x < 4; ++x)
        memDC.SetPixel(x, 0, pixels[x]);
    // The mask: white where the picture has the background colour.
    memDC.SetBkColor(magenta);
    maskDC.BitBlt(0, 0, 4, 1, &memDC, 0, 0, SRCCOPY);
    EXPECT_EQ(maskDC.GetPixel(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(maskDC.GetPixel(1, 0), RGB(255, 255, 255));
    // The picture with black where it is see-through, then AND the mask, OR the picture.
    memDC.SetBkColor(RGB(0, 0, 0));
    memDC.SetTextColor(RGB(255, 255, 255));
    memDC.BitBlt(0, 0, 4, 1, &maskDC, 0, 0, SRCAND);
    dc.FillSolidRect(0, 0, 4, 1, RGB(0, 128, 0));
    dc.SetBkColor(RGB(255, 255, 255));
    dc.SetTextColor(RGB(0, 0, 0));
    dc.BitBlt(0, 0, 4, 1, &maskDC, 0, 0, SRCAND);
    dc.BitBlt(0, 0, 4, 1, &memDC, 0, 0, SRCPAINT);
    QImage px = Pixels();
    EXPECT_EQ(px.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(px.pixel(1, 0), qRgb(0, 128, 0));
    EXPECT_EQ(px.pixel(2, 0), qRgb(0, 0, 255));
    EXPECT_EQ(px.pixel(3, 0), qRgb(0, 128, 0));
    memDC.SelectObject(oldPic);
    maskDC.SelectObject(oldMask);
}

TEST_F(DcTest, TransparentAndStretchedBlits) {
    CDC memDC;
    memDC.CreateCompatibleDC(&dc);
    CBitmap bmp;
    bmp.CreateCompatibleBitmap(&dc, 2, 2);
    memDC.SelectObject(&bmp);
    memDC.FillSolidRect(0, 0, 2, 2, RGB(192, 192, 192));
    memDC.SetPixel(0, 0, RGB(0, 0, 255));
    dc.TransparentBlt(0, 0, 2, 2, &memDC, 0, 0, 2, 2, RGB(192, 192, 192));
    dc.StretchBlt(10, 10, 8, 8, &memDC, 0, 0, 2, 2, SRCCOPY);
    // One pixel of the source's second column, and of its first, each stretched on its own.
    dc.StretchBlt(20, 0, 3, 3, &memDC, 1, 0, 1, 1, SRCCOPY);
    dc.StretchBlt(24, 0, 3, 3, &memDC, 0, 0, 1, 1, SRCCOPY);
    QImage px = Pixels();
    EXPECT_EQ(px.pixel(22, 2), qRgb(192, 192, 192));
    EXPECT_EQ(px.pixel(24, 0), qRgb(0, 0, 255));
    EXPECT_EQ(px.pixel(26, 2), qRgb(0, 0, 255));
    EXPECT_EQ(px.pixel(0, 0), qRgb(0, 0, 255));
    EXPECT_EQ(px.pixel(1, 1), qRgb(255, 255, 255)); // the key colour let the white through
    EXPECT_EQ(px.pixel(13, 13), qRgb(0, 0, 255));   // one source pixel became 4x4
    EXPECT_EQ(px.pixel(14, 14), qRgb(192, 192, 192));
}

TEST_F(DcTest, ClippingOriginAndSavedStates) {
    int saved = dc.SaveDC();
    dc.SetViewportOrg(50, 0);
    dc.IntersectClipRect(0, 0, 10, 10);
    dc.FillSolidRect(0, 0, 30, 30, RGB(0, 0, 0));
    dc.SetTextColor(RGB(1, 2, 3));
    EXPECT_TRUE(dc.RestoreDC(saved));
    EXPECT_EQ(dc.GetTextColor(), RGB(0, 0, 0));
    EXPECT_EQ(dc.GetViewportOrg(), CPoint(0, 0));
    dc.FillSolidRect(0, 70, 5, 5, RGB(0, 0, 0)); // the clip went with the restored state
    QImage px = Pixels();
    EXPECT_EQ(px.pixel(55, 5), qRgb(0, 0, 0));
    EXPECT_EQ(px.pixel(65, 5), qRgb(255, 255, 255));
    EXPECT_EQ(px.pixel(5, 5), qRgb(255, 255, 255));
    EXPECT_EQ(px.pixel(2, 72), qRgb(0, 0, 0));
    EXPECT_FALSE(dc.RestoreDC(5));
}

TEST_F(DcTest, RegionsCombineAndHitTest) {
    CRgn a, b, c;
    a.CreateRectRgn(0, 0, 10, 10);
    b.CreateRectRgn(5, 5, 15, 15);
    c.CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(c.CombineRgn(&a, &b, RGN_AND), SIMPLEREGION);
    EXPECT_TRUE(c.PtInRegion(7, 7));
    EXPECT_FALSE(c.PtInRegion(3, 3));
    EXPECT_EQ(c.CombineRgn(&a, &b, RGN_OR), COMPLEXREGION);
    EXPECT_EQ(c.CombineRgn(&a, &a, RGN_DIFF), NULLREGION);
    CRect box;
    b.GetRgnBox(&box);
    EXPECT_EQ(box, CRect(5, 5, 15, 15));
}

TEST_F(DcTest, FontsFromLogfontKeepTheirSettings) {
    CFont font;
    LOGFONT lf{};
    lf.lfHeight = -16;
    lf.lfWeight = FW_BOLD;
    lf.lfUnderline = 1;
    std::strcpy(lf.lfFaceName, "宋体");
    ASSERT_TRUE(font.CreateFontIndirect(&lf));
    LOGFONT back{};
    font.GetLogFont(&back);
    EXPECT_EQ(back.lfHeight, -16);
    EXPECT_STREQ(back.lfFaceName, "宋体");
    QFont q = AfxQFont(font);
    EXPECT_EQ(q.pixelSize(), 16);
    EXPECT_TRUE(q.bold());
    EXPECT_TRUE(q.underline());
    CFont* old = dc.SelectObject(&font);
    EXPECT_EQ(dc.GetCurrentFont(), &font);
    dc.SelectObject(old);
    EXPECT_EQ(GetStockObject(DEFAULT_GUI_FONT), GetStockObject(DEFAULT_GUI_FONT));
    EXPECT_FALSE(DeleteObject(GetStockObject(WHITE_BRUSH))); // stock objects stay
}

TEST_F(DcTest, BitmapsLoadFromImageFiles) {
    QTemporaryDir dir;
    for (const char* fmt : {"png", "bmp", "jpg"}) {
        QImage src(6, 4, QImage::Format_RGB32);
        src.fill(QColor(10, 200, 30));
        QString path = dir.filePath(QStringLiteral("图片.") + fmt);
        ASSERT_TRUE(src.save(path, fmt)) << fmt;
        CBitmap bmp;
        ASSERT_TRUE(bmp.LoadFromFile(AfxFromQt(path))) << fmt;
        BITMAP bm;
        bmp.GetBitmap(&bm);
        EXPECT_EQ(bm.bmWidth, 6) << fmt;
        EXPECT_EQ(bm.bmHeight, 4) << fmt;
    }
    // Qt reads GIF but does not write it: a one-pixel file made by hand.
    const QByteArray gif = QByteArray::fromHex(
        "47494638396101000100800000000000ffffff21f90401000000002c00000000010001000002024401003b");
    QFile f(dir.filePath("one.gif"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(gif);
    f.close();
    CBitmap one;
    ASSERT_TRUE(one.LoadFromFile(AfxFromQt(f.fileName())));
    EXPECT_EQ(one.GetBitmapDimension(), CSize(1, 1));
    CBitmap missing;
    EXPECT_FALSE(missing.LoadFromFile(AfxFromQt(dir.filePath("none.png"))));
    // The program's own paths: backslashes and a name in another ASCII case.
    CString programPath = AfxFromQt(dir.path()) + "\\ONE.GIF";
    programPath.Replace('/', '\\');
    CBitmap again;
    EXPECT_TRUE(again.LoadFromFile(programPath));
}
