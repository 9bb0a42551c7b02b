#include "GuiTestSupport.h"

#include "platform/gui/Controls.h"
#include "platform/gui/Dc.h"

#include <QImage>

namespace {

class CPainted : public CWnd {
public:
    int paints = 0;
    int erases = 0;
    void OnPaint() {
        ++paints;
        CPaintDC dc(this);
        CRect rc;
        GetClientRect(&rc);
        dc.FillSolidRect(&rc, RGB(255, 255, 225));
        dc.SetTextColor(RGB(0, 0, 128));
        dc.SetBkMode(TRANSPARENT);
        CRect text(rc);
        text.DeflateRect(6, 6);
        dc.DrawText("墨川提示：您有 3 条新短信，请及时查看。", -1, &text, DT_WORDBREAK | DT_LEFT);
        dc.Draw3dRect(&rc, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
    }
    BOOL OnEraseBkgnd(CDC*) {
        ++erases;
        return TRUE;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CPainted, CWnd)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

using PaintTest = GuiTest;

} // namespace

TEST_F(PaintTest, WindowPaintsThroughItsHandlerAndScreenshotShowsIt) {
    CPainted w;
    ASSERT_TRUE(
        w.CreateEx(0, nullptr, "提示", WS_POPUP | WS_VISIBLE, CRect(0, 0, 169, 122), nullptr, 0));
    CButton ok;
    ASSERT_TRUE(ok.Create("确定", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, CRect(90, 90, 160, 115),
                          &w, IDOK));
    std::string path = ScreenPath("paint-window");
    ASSERT_TRUE(w.SaveScreenshot(path.c_str()));
    EXPECT_GT(w.paints, 0);
    EXPECT_EQ(w.erases, w.paints); // each paint starts by erasing
    QImage shot(QString::fromStdString(path));
    ASSERT_FALSE(shot.isNull());
    EXPECT_EQ(shot.size(), QSize(169, 122));
    EXPECT_EQ(QColor(shot.pixel(3, 80)), QColor(255, 255, 225));
    // The dark blue text is there, across more than one line.
    int inkedRows = 0;
    for (int y = 0; y < 80; ++y) {
        bool inked = false;
        for (int x = 0; x < 169 && !inked; ++x)
            inked = qBlue(shot.pixel(x, y)) > 60 && qRed(shot.pixel(x, y)) < 80;
        inkedRows += inked;
    }
    EXPECT_GT(inkedRows, 15);
}

TEST_F(PaintTest, ClientDcOutsidePaintMeasuresWithTheWindowFont) {
    CPainted w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "m", WS_POPUP, CRect(0, 0, 100, 50), nullptr, 0));
    CFont big;
    big.CreatePointFont(240, "宋体");
    w.SetFont(&big, FALSE);
    EXPECT_EQ(w.GetFont(), &big);
    CClientDC dc(&w);
    CSize s = dc.GetTextExtent("中");
    QImage img(10, 10, QImage::Format_RGB32);
    CDC plain;
    plain.AttachImage(&img);
    EXPECT_GT(s.cy, plain.GetTextExtent("中").cy);
}

namespace {

// Paints itself white and counts its paints.
class CWhite : public CWnd {
public:
    int paints = 0;
    void OnPaint() {
        ++paints;
        CPaintDC dc(this);
        CRect rc;
        GetClientRect(&rc);
        dc.FillSolidRect(&rc, RGB(255, 255, 255));
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CWhite, CWnd)
ON_WM_PAINT()
END_MESSAGE_MAP()

class DirectDrawTest : public GuiTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(
            w.CreateEx(0, nullptr, "d", WS_POPUP | WS_VISIBLE, CRect(0, 0, 100, 60), nullptr, 0));
        Pump();
        ASSERT_GT(w.paints, 0);
    }
    QColor At(int x, int y) {
        Pump();
        return QColor(w.GetWidget()->grab().toImage().pixel(x, y));
    }
    CWhite w;
};

} // namespace

TEST_F(DirectDrawTest, ClientDcDrawingReachesTheWindowWithoutAPaint) {
    int paints = w.paints;
    {
        CClientDC dc(&w);
        dc.FillSolidRect(10, 10, 20, 20, RGB(255, 0, 0));
    }
    EXPECT_EQ(At(15, 15), QColor(255, 0, 0));
    EXPECT_EQ(At(50, 15), QColor(255, 255, 255));
    EXPECT_EQ(w.paints, paints) << "showing the drawing does not ask the window to paint";
    // A window DC from GetDC, given back with ReleaseDC, shows the same way.
    CDC* dc = w.GetDC();
    dc->FillSolidRect(60, 10, 10, 10, RGB(0, 0, 255));
    w.ReleaseDC(dc);
    EXPECT_EQ(At(65, 15), QColor(0, 0, 255));
}

TEST_F(DirectDrawTest, InvertingTwiceRestoresAndInvalidatingRepaintsOnlyThatPart) {
    CRect drag(5, 5, 45, 45);
    for (int pass = 0; pass < 2; ++pass) {
        CClientDC dc(&w);
        dc.InvertRect(&drag);
        EXPECT_EQ(At(20, 20), pass == 0 ? QColor(0, 0, 0) : QColor(255, 255, 255)) << pass;
    }
    {
        CClientDC dc(&w);
        dc.FillSolidRect(10, 10, 10, 10, RGB(255, 0, 0));
        dc.FillSolidRect(70, 10, 10, 10, RGB(255, 0, 0));
    }
    int paints = w.paints;
    CRect left(0, 0, 50, 60);
    w.InvalidateRect(&left);
    EXPECT_EQ(At(15, 15), QColor(255, 255, 255)) << "the invalid part was painted again";
    EXPECT_EQ(At(75, 15), QColor(255, 0, 0)) << "the paint changed nothing outside it";
    EXPECT_GT(w.paints, paints);
}
