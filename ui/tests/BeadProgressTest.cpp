#include "platform/gui/tests/GuiTestSupport.h"
#include "ui/BeadProgressCtrl.h"
#include "ui/ToolTipWnd.h"

#include <QImage>

namespace {

using BeadProgressTest = GuiTest;

// A 200x100 owner window with a tip drawing on it.
class ToolTipTest : public GuiTest {
protected:
    CWnd owner;
    CToolTipWnd tip;
    void SetUp() override {
        ASSERT_TRUE(owner.CreateEx(0, nullptr, "o", WS_POPUP | WS_VISIBLE, CRect(0, 0, 200, 100),
                                   nullptr, 0));
        tip.SetOwner(&owner);
    }
};

// Three 10x10 beads: pending red, current green, done blue.
void MakeBeads(CImageList& il) {
    il.Create(10, 10, ILC_COLOR32 | ILC_MASK, 3, 1);
    QImage strip(30, 10, QImage::Format_RGB32);
    const QRgb colours[] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)};
    for (int i = 0; i < 3; ++i)
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                strip.setPixel(i * 10 + x, y, colours[i]);
    CBitmap bmp;
    bmp.AttachImageData(strip);
    il.Add(&bmp, RGB(255, 0, 255));
}

// The colour of each bead position in a 35x20 area (3 per row, 2 rows).
std::vector<char> Beads(CBeadProgressCtrl& bar, int count, int pos) {
    bar.SetBeadCount(count);
    bar.SetPos(pos);
    QImage img(35, 20, QImage::Format_RGB32);
    CDC dc;
    dc.AttachImage(&img);
    bar.Draw(&dc, CRect(0, 0, 35, 20));
    dc.DeleteDC();
    std::vector<char> out;
    for (int i = 0; i < 6; ++i) {
        QColor c(img.pixel((i % 3) * 10 + 5, (i / 3) * 10 + 5));
        out.push_back(c == QColor(255, 0, 0)   ? 'p'
                      : c == QColor(0, 255, 0) ? 'c'
                      : c == QColor(0, 0, 255) ? 'd'
                                               : '.');
    }
    return out;
}

TEST_F(BeadProgressTest, BeadsShowDoneCurrentAndPendingAndWrapIntoRows) {
    CImageList il;
    MakeBeads(il);
    CBeadProgressCtrl bar;
    bar.SetBkColor(RGB(128, 128, 128));
    bar.SetImages(&il, 0, 1, 2);
    struct Case {
        int count, pos;
        const char* expect;
    };
    const Case cases[] = {
        {0, 0, "......"},  // background only
        {4, -1, "pppp.."}, // nothing started yet
        {4, 9, "dddd.."},  // past the end: all done
        {5, 2, "ddcpp."},  // the fourth bead goes to the second row
    };
    for (const Case& c : cases) {
        auto got = Beads(bar, c.count, c.pos);
        EXPECT_EQ(std::string(got.begin(), got.end()), c.expect) << c.count << "/" << c.pos;
    }
}

TEST_F(ToolTipTest, TipStaysInsideTheOwner) {
    QImage img(200, 100, QImage::Format_RGB32);
    CDC dc;
    dc.AttachImage(&img);
    CRect client(0, 0, 200, 100);
    CRect r = tip.PlaceTip(&dc, "张三的电话", CPoint(10, 10), FALSE, client);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 28) << "below the cursor";
    EXPECT_EQ(tip.PlaceTip(&dc, "张三的电话", CPoint(10, 10), TRUE, client).top, 10);
    r = tip.PlaceTip(&dc, "张三的电话", CPoint(190, 95), TRUE, client);
    EXPECT_EQ(r.right, 200);
    EXPECT_EQ(r.bottom, 100);
    CString wide('W', 80);
    r = tip.PlaceTip(&dc, wide, CPoint(50, 10), TRUE, client);
    EXPECT_EQ(r.left, 0) << "wider than the owner: starts at the left edge";
    EXPECT_GT(r.right, 200);

    tip.DrawTip(&dc, "张三的电话", CPoint(20, 20), TRUE, FALSE);
    CRect shown = tip.GetTipRect();
    EXPECT_EQ(QColor(img.pixel(shown.left + 3, shown.CenterPoint().y)), QColor(0xFF, 0xFF, 0xC8));
}

TEST_F(ToolTipTest, ASecondDelayedTipReplacesTheFirst) {
    tip.SetDelay(30);
    tip.ShowTip("first", 5, 5, TRUE, TRUE);
    tip.ShowTip("second", 40, 40, TRUE, TRUE);
    EXPECT_FALSE(tip.IsShown());
    EXPECT_EQ(CToolTipWnd::GetCurrentTip(), &tip);
    ASSERT_TRUE(WaitFor([&] { return tip.IsShown() != FALSE; }));
    EXPECT_EQ(tip.GetText(), CString("second"));
    EXPECT_EQ(tip.GetTipRect().left, 40);
    tip.HideTip();
    EXPECT_FALSE(tip.IsShown());

    // A tip that is no longer the current one is not drawn when its wait ends.
    {
        CToolTipWnd other;
        other.SetOwner(&owner);
        other.SetDelay(10);
        tip.SetDelay(10);
        tip.ShowTip("old", 1, 1, TRUE, TRUE);
        other.ShowTip("new", 1, 1, TRUE, TRUE);
        ASSERT_TRUE(WaitFor([&] { return other.IsShown() != FALSE; }));
        Pump();
        EXPECT_FALSE(tip.IsShown());
    }
    EXPECT_EQ(CToolTipWnd::GetCurrentTip(), nullptr) << "a destroyed tip is forgotten";
}

TEST_F(GuiTest, TipWithoutOwnerIsShownOnTheScreen) {
    CToolTipWnd tip;
    tip.ShowTip("王五 13800138000", 30, 40, TRUE, FALSE);
    ASSERT_TRUE(tip.IsShown());
    QWidget* shown = tip.GetScreenTip();
    ASSERT_NE(shown, nullptr) << "reported shown, so something must show it";
    EXPECT_TRUE(shown->isVisible());
    CRect r = tip.GetTipRect();
    EXPECT_EQ(CRect(30, 40, 30 + r.Width(), 40 + r.Height()), r);
    EXPECT_EQ(QRect(r.left, r.top, r.Width(), r.Height()), shown->geometry());
    QImage img = shown->grab().toImage();
    EXPECT_EQ(QColor(img.pixel(3, r.Height() / 2)), QColor(0xFF, 0xFF, 0xC8)) << "the tip's fill";
    tip.HideTip();
    EXPECT_FALSE(tip.IsShown());
    EXPECT_FALSE(shown->isVisible());

    // Near the bottom right corner of the screen it moves back inside.
    int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    tip.ShowTip("王五", cx - 5, cy - 5, FALSE, FALSE);
    EXPECT_EQ(cx, tip.GetTipRect().right);
    EXPECT_EQ(cy, tip.GetTipRect().bottom);
    EXPECT_TRUE(shown->isVisible());
}

} // namespace
