#include "platform/gui/Controls.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "ui/AnimateImageWnd.h"
#include "ui/ImageWnd.h"
#include "ui/tests/ImageTestSupport.h"

#include <QScrollBar>

using namespace image_test;

namespace {

// Keeps the mouse messages its children pass on.
class CRecordingParent : public CWnd {
public:
    std::vector<std::pair<UINT, CPoint>> seen;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_RBUTTONUP || message == WM_LBUTTONDBLCLK)
            seen.push_back({message, CPoint((short)LOWORD(lParam), (short)HIWORD(lParam))});
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

class ImageWndTest : public GuiTest {
protected:
    QTemporaryDir dir;
    CRecordingParent parent;
    CImageWnd wnd;
    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "p", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 200),
                                    nullptr, 0));
        ASSERT_TRUE(wnd.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(10, 20, 110, 120),
                               &parent, 1));
        wnd.SetEmptyText("双击这里添加照片");
    }
    void TearDown() override { parent.DestroyWindow(); }
    CString Picture(int w, int h) {
        QString name = QString("p%1x%2.png").arg(w).arg(h);
        return AfxFromQt(WriteHalves(QDir(dir.path()), name.toUtf8().constData(), w, h));
    }
    QImage Shot() {
        Pump();
        return wnd.GetWidget()->grab().toImage();
    }
    bool BarShown(Qt::Orientation o) {
        for (QScrollBar* b : wnd.GetWidget()->findChildren<QScrollBar*>())
            if (b->orientation() == o && b->isVisible())
                return true;
        return false;
    }
    void Save(const char* name) {
        QDir().mkpath(QUILLMAR_SCREENS_DIR);
        EXPECT_TRUE(Shot().save(QString::fromStdString(ScreenPath(name)), "PNG"));
    }
};

TEST_F(ImageWndTest, ASmallPictureIsCentredAtActualSizeWithOrWithoutFitting) {
    for (DWORD style : {0u, (DWORD)IWS_FIT}) {
        SCOPED_TRACE(style);
        wnd.SetImageStyle(IWS_FIT, style);
        ASSERT_TRUE(wnd.LoadImage(Picture(40, 30)));
        EXPECT_EQ(wnd.GetStyle() & (WS_HSCROLL | WS_VSCROLL), 0u);
        EXPECT_EQ(wnd.GetZoom(), 1);
        QImage shot = Shot();
        // At (30, 35) .. (69, 64).
        EXPECT_EQ(KindAt(shot, 30, 35), 'r');
        EXPECT_EQ(KindAt(shot, 69, 64), 'b');
        EXPECT_NE(KindAt(shot, 29, 50), 'r');
        EXPECT_NE(KindAt(shot, 70, 50), 'b');
        EXPECT_NE(KindAt(shot, 50, 65), 'b');
    }
    Save("image-window-small-centred");
}

TEST_F(ImageWndTest, FittingShrinksALargePictureKeepingItsProportions) {
    wnd.SetImageStyle(0, IWS_FIT);
    EXPECT_EQ(wnd.GetImageStyle(), (DWORD)IWS_FIT);
    ASSERT_TRUE(wnd.LoadImage(AfxFromQt(SamplePath("sample.jpg"))));
    ASSERT_TRUE(wnd.LoadImage(Picture(400, 200)));
    EXPECT_DOUBLE_EQ(wnd.GetZoom(), 0.25);
    EXPECT_EQ(wnd.GetStyle() & (WS_HSCROLL | WS_VSCROLL), 0u);
    // 100 x 50 at y 25..74.
    QImage shot = Shot();
    EXPECT_EQ(KindAt(shot, 0, 25), 'r');
    EXPECT_EQ(KindAt(shot, 99, 74), 'b');
    EXPECT_NE(KindAt(shot, 10, 24), 'r');
    EXPECT_NE(KindAt(shot, 90, 75), 'b');
    Save("image-window-fitted");
    wnd.SetImageStyle(IWS_FIT, 0);
    EXPECT_EQ(wnd.GetZoom(), 1);
}

TEST_F(ImageWndTest, TheBarsAnActualSizePictureNeeds) {
    // The window is 100 x 100; a bar is 17 pixels.
    struct Case {
        int w, h;
        bool horz, vert;
        CPoint offset; // the centring offsets of a dimension that fits
    };
    const Case cases[] = {
        {300, 50, true, false, {0, -(83 - 50) / 2}},
        {300, 90, true, true, {0, 0}}, // the bar's height leaves too little room
        {80, 300, false, true, {-(83 - 80) / 2, 0}},
        {90, 300, true, true, {0, 0}},
        {300, 300, true, true, {0, 0}},
        {100, 100, false, false, {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        ASSERT_TRUE(wnd.LoadImage(Picture(c.w, c.h)));
        EXPECT_EQ((wnd.GetStyle() & WS_HSCROLL) != 0, c.horz);
        EXPECT_EQ((wnd.GetStyle() & WS_VSCROLL) != 0, c.vert);
        EXPECT_EQ(BarShown(Qt::Horizontal), c.horz);
        EXPECT_EQ(BarShown(Qt::Vertical), c.vert);
        if (!c.horz && !c.vert)
            continue;
        EXPECT_EQ(wnd.GetScrollOffset(), c.offset);
        SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
        wnd.GetScrollInfo(c.horz ? SB_HORZ : SB_VERT, &si, SIF_ALL);
        EXPECT_EQ(si.nMax, (c.horz ? c.w : c.h) - 1);
        // The page is the room left beside the other bar.
        EXPECT_EQ(si.nPage, (UINT)(c.horz && c.vert ? 83 : 100));
    }
    // Fitting or clearing takes the bars away.
    ASSERT_TRUE(wnd.LoadImage(Picture(300, 300)));
    wnd.SetImageStyle(0, IWS_FIT);
    wnd.UpdateScrollBars(TRUE);
    EXPECT_EQ(wnd.GetStyle() & (WS_HSCROLL | WS_VSCROLL), 0u);
    EXPECT_FALSE(BarShown(Qt::Vertical));
    wnd.SetImageStyle(IWS_FIT, 0);
    wnd.UpdateScrollBars(TRUE);
    EXPECT_TRUE(BarShown(Qt::Vertical));
    wnd.Clear();
    EXPECT_EQ(wnd.GetStyle() & (WS_HSCROLL | WS_VSCROLL), 0u);
}

TEST_F(ImageWndTest, ScrollingMovesWithinThePicture) {
    ASSERT_TRUE(wnd.LoadImage(Picture(300, 50))); // horizontal limit 300 - 100 = 200
    auto h = [&](UINT code, UINT pos = 0) {
        wnd.SendMessage(WM_HSCROLL, MAKEWPARAM(code, pos), 0);
        return wnd.GetScrollOffset().x;
    };
    EXPECT_EQ(h(SB_PAGEDOWN), 20);
    EXPECT_EQ(h(SB_LINEDOWN), 21);
    EXPECT_EQ(h(SB_LINEUP), 20);
    EXPECT_EQ(h(SB_PAGEUP), 0);
    EXPECT_EQ(h(SB_PAGEUP), 0);
    EXPECT_EQ(h(SB_THUMBPOSITION, 190), 190);
    EXPECT_EQ(h(SB_PAGEDOWN), 200);
    EXPECT_EQ(h(SB_LINEDOWN), 200);
    EXPECT_EQ(wnd.GetScrollPos(SB_HORZ), 200);
    // Far right: the blue half fills the window, still centred vertically.
    QImage shot = Shot();
    EXPECT_EQ(KindAt(shot, 0, 40), 'b');
    EXPECT_NE(KindAt(shot, 0, 10), 'b');
    EXPECT_EQ(h(SB_TOP), 0);
    EXPECT_EQ(KindAt(Shot(), 0, 40), 'r');
    EXPECT_EQ(h(SB_BOTTOM), 200);
    // The bar's own page step goes through the window.
    for (QScrollBar* b : wnd.GetWidget()->findChildren<QScrollBar*>())
        if (b->orientation() == Qt::Horizontal)
            b->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(wnd.GetScrollOffset().x, 180);
    // The vertical direction has no room to move.
    wnd.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), 0);
    EXPECT_EQ(wnd.GetScrollOffset().y, -16);
    ASSERT_TRUE(wnd.LoadImage(Picture(300, 300)));
    wnd.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), 0);
    EXPECT_EQ(wnd.GetScrollOffset(), CPoint(0, 20));
    wnd.SendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 110), 0);
    Save("image-window-actual-size");
}

TEST_F(ImageWndTest, WithoutAPictureTheEmptyTextShows) {
    EXPECT_FALSE(wnd.LoadImage(AfxFromQt(dir.filePath("gone.jpg"))));
    QImage shot = Shot();
    int dark = 0;
    for (int y = 40; y < 60; ++y)
        for (int x = 0; x < 100; ++x)
            dark += KindAt(shot, x, y) == 'k';
    EXPECT_GT(dark, 20);
    EXPECT_EQ(KindAt(shot, 50, 5), KindAt(shot, 50, 95));
    Save("image-window-empty");
    // Clearing leaves the repainting to the owner.
    wnd.Clear();
    wnd.Invalidate();
    shot = Shot();
    dark = 0;
    for (int x = 0; x < 100; ++x)
        dark += KindAt(shot, x, 50) == 'k';
    EXPECT_EQ(dark, 0);
}

TEST_F(ImageWndTest, DoubleClicksAndContextClicksReachTheParent) {
    for (UINT message : {WM_LBUTTONDBLCLK, WM_RBUTTONUP}) {
        MSG msg{wnd.m_hWnd, message, 0, MAKELPARAM(5, 6), 0, {}};
        EXPECT_TRUE(wnd.PreTranslateMessage(&msg));
    }
    MSG other{wnd.m_hWnd, WM_LBUTTONDOWN, 0, MAKELPARAM(5, 6), 0, {}};
    EXPECT_FALSE(wnd.PreTranslateMessage(&other));
    ASSERT_EQ(parent.seen.size(), 2u);
    EXPECT_EQ(parent.seen[0], std::make_pair((UINT)WM_LBUTTONDBLCLK, CPoint(15, 26)));
    EXPECT_EQ(parent.seen[1], std::make_pair((UINT)WM_RBUTTONUP, CPoint(15, 26)));
}

TEST_F(ImageWndTest, FactoryMakesAWindowObjectNotYetAWindow) {
    std::unique_ptr<CImageWnd> made(CImageWnd::Create());
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->m_hWnd, nullptr);
    EXPECT_FALSE(made->LoadImage("nothing.png"));
    EXPECT_EQ(made->GetZoom(), 1);
}

class AnimateTest : public GuiTest {
protected:
    CWnd parent;
    CAnimateImageWnd anim;
    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "p", WS_POPUP | WS_VISIBLE, CRect(0, 0, 100, 50),
                                    nullptr, 0));
        ASSERT_TRUE(anim.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 40, 20),
                                &parent, 1));
        // Five 16 x 16 frames, each a grey of its own.
        anim.GetImageList().Create(16, 16, ILC_COLOR32, 5, 0);
        QImage strip(80, 16, QImage::Format_RGB32);
        for (int i = 0; i < 5; ++i)
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x)
                    strip.setPixel(i * 16 + x, y, qRgb(40 * i, 40 * i, 40 * i));
        CBitmap bmp;
        bmp.AttachImageData(strip);
        anim.GetImageList().Add(&bmp, (CBitmap*)nullptr);
        anim.SetFrameRange(2, 4);
    }
    void TearDown() override { parent.DestroyWindow(); }
};

TEST_F(AnimateTest, TheTimerRunsTheFrames) {
    anim.SetInterval(10);
    anim.StartAnimation();
    EXPECT_TRUE(WaitFor([&] { return anim.GetFrame() == 4; }));
    EXPECT_TRUE(WaitFor([&] { return anim.GetFrame() == 2; }));
}

} // namespace
