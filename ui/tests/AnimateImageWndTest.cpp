#include "platform/gui/tests/GuiTestSupport.h"
#include "ui/AnimateImageWnd.h"

#include <QImage>
#include <QWidget>

#include <vector>

namespace {

using AnimateImageWndTest = GuiTest;

// Five 10x10 images, each one flat colour (image i has red = 40 * i + 20).
void MakeImages(CImageList& il) {
    il.Create(10, 10, ILC_COLOR32 | ILC_MASK, 5, 1);
    QImage strip(50, 10, QImage::Format_RGB32);
    for (int i = 0; i < 5; ++i)
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                strip.setPixel(i * 10 + x, y, qRgb(40 * i + 20, 0, 0));
    CBitmap bmp;
    bmp.AttachImageData(strip);
    il.Add(&bmp, RGB(255, 0, 255));
}

TEST_F(AnimateImageWndTest, StepsThroughItsRunAndDrawsTheFrameOnItsGround) {
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "p", WS_POPUP | WS_VISIBLE, CRect(0, 0, 100, 60),
                                nullptr, 0));
    CAnimateImageWnd wnd;
    MakeImages(wnd.GetImageList());
    wnd.SetFrameRange(2, 4);
    ASSERT_TRUE(wnd.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 30, 20), &parent,
                           1));

    // Frames 2, 3, 4, 2, ... whatever frame was shown before the start.
    wnd.SetFrame(0, TRUE);
    wnd.StartAnimation();
    std::vector<int> seen{wnd.GetFrame()};
    for (int i = 0; i < 4; ++i) {
        wnd.SendMessage(WM_TIMER, CAnimateImageWnd::TIMER_ANIMATE);
        seen.push_back(wnd.GetFrame());
    }
    EXPECT_EQ((std::vector<int>{2, 3, 4, 2, 3}), seen);
    // A second start does not restart the run; a stopped window no longer steps.
    wnd.StartAnimation();
    EXPECT_EQ(3, wnd.GetFrame());
    wnd.StopAnimation();
    wnd.SendMessage(WM_TIMER, CAnimateImageWnd::TIMER_ANIMATE);
    EXPECT_EQ(3, wnd.GetFrame());
    EXPECT_FALSE(wnd.IsAnimating());

    // The image is centred 3 pixels left of the middle, on the red ground of this class.
    Pump();
    QImage shot = wnd.GetWidget()->grab().toImage();
    const int left = (30 - 10) / 2 - 3;
    EXPECT_EQ(qRgb(140, 0, 0), shot.pixel(left, 10) | 0xff000000u);
    EXPECT_EQ(qRgb(140, 0, 0), shot.pixel(left + 9, 10) | 0xff000000u);
    EXPECT_EQ(qRgb(255, 0, 0), shot.pixel(left + 11, 10) | 0xff000000u);
    EXPECT_EQ(qRgb(255, 0, 0), shot.pixel(left - 1, 10) | 0xff000000u);

    wnd.StartAnimation();
    wnd.DestroyWindow();
    EXPECT_FALSE(wnd.IsAnimating());
    parent.DestroyWindow();
}

} // namespace
