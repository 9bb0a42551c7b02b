#include "GuiTestSupport.h"

#include "platform/gui/ImageList.h"
#include "platform/gui/TreeCtrl.h"

#include <QApplication>
#include <QImage>
#include <QWidget>
#include <memory>

namespace {

using ImageListTest = GuiTest;

// A strip of 8x8 images, each a coloured square on magenta with one white pixel in the middle.
void MakeStrip(CBitmap& bmp, std::initializer_list<QRgb> colours) {
    QImage strip(8 * (int)colours.size(), 8, QImage::Format_RGB32);
    strip.fill(QColor(255, 0, 255));
    int i = 0;
    for (QRgb c : colours) {
        for (int y = 2; y < 6; ++y)
            for (int x = 2; x < 6; ++x)
                strip.setPixel(i * 8 + x, y, c);
        strip.setPixel(i * 8 + 4, 4, qRgb(255, 255, 255));
        ++i;
    }
    bmp.AttachImageData(strip);
}

QColor DrawnAt(CImageList& il, int image, UINT style, int x, int y) {
    QImage img(8, 8, QImage::Format_RGB32);
    img.fill(QColor(0, 128, 0));
    CDC dc;
    dc.AttachImage(&img);
    il.Draw(&dc, image, CPoint(0, 0), style);
    dc.DeleteDC();
    return QColor(img.pixel(x, y));
}

TEST_F(ImageListTest, MaskColourBecomesTransparentAndOverlaysDrawOnTop) {
    CImageList il;
    ASSERT_TRUE(il.Create(8, 8, ILC_COLOR32 | ILC_MASK, 4, 4));
    CBitmap bmp;
    MakeStrip(bmp, {qRgb(255, 0, 0), qRgb(0, 0, 255), qRgb(0, 0, 0)});
    EXPECT_EQ(il.Add(&bmp, RGB(255, 0, 255)), 0);
    EXPECT_EQ(il.GetImageCount(), 3);
    EXPECT_EQ(DrawnAt(il, 0, ILD_TRANSPARENT, 0, 0), QColor(0, 128, 0))
        << "mask colour shows through";
    EXPECT_EQ(DrawnAt(il, 0, ILD_TRANSPARENT, 3, 3), QColor(255, 0, 0));
    EXPECT_EQ(DrawnAt(il, 0, ILD_TRANSPARENT, 4, 4), QColor(255, 255, 255))
        << "white is not masked";
    EXPECT_EQ(DrawnAt(il, 0, ILD_MASK, 3, 3), QColor(0, 0, 0));
    EXPECT_EQ(DrawnAt(il, 0, ILD_MASK, 0, 0), QColor(255, 255, 255));

    ASSERT_TRUE(il.SetOverlayImage(1, 1));
    EXPECT_FALSE(il.SetOverlayImage(1, 16));
    EXPECT_EQ(DrawnAt(il, 0, ILD_TRANSPARENT | INDEXTOOVERLAYMASK(1), 3, 3), QColor(0, 0, 255));
    EXPECT_EQ(DrawnAt(il, 0, ILD_TRANSPARENT | INDEXTOOVERLAYMASK(2), 3, 3), QColor(255, 0, 0))
        << "an overlay number without an image draws nothing";
    // Removing an image in front of the overlay keeps the overlay on the same picture.
    ASSERT_TRUE(il.Remove(0));
    EXPECT_EQ(DrawnAt(il, 1, ILD_TRANSPARENT | INDEXTOOVERLAYMASK(1), 3, 3), QColor(0, 0, 255));
    QColor blended = DrawnAt(il, 1, ILD_BLEND50, 3, 3);
    EXPECT_NE(blended, QColor(0, 0, 0));

    CImageList copy;
    ASSERT_TRUE(copy.Create(&il));
    il.Remove(-1);
    EXPECT_EQ(il.GetImageCount(), 0);
    EXPECT_EQ(copy.GetImageCount(), 2) << "a duplicate is a private copy";
    EXPECT_FALSE(il.Draw(nullptr, 0, CPoint(0, 0), 0));
    EXPECT_EQ(CImageList::FromHandle(copy.GetSafeHandle()), &copy);
}

TEST_F(ImageListTest, DragImageFollowsEnterMoveLeaveAndEnd) {
    CImageList il;
    il.Create(8, 8, ILC_COLOR32 | ILC_MASK, 1, 1);
    CBitmap bmp;
    MakeStrip(bmp, {qRgb(255, 0, 0)});
    il.Add(&bmp, RGB(255, 0, 255));
    CWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "drag", WS_POPUP | WS_VISIBLE, CRect(100, 50, 300, 250),
                             nullptr, 0));
    CRect wr;
    wnd.GetWindowRect(&wr);

    EXPECT_FALSE(CImageList::DragMove(CPoint(1, 1))) << "no drag yet";
    ASSERT_TRUE(il.BeginDrag(0, CPoint(2, 3)));
    EXPECT_FALSE(il.BeginDrag(0, CPoint(0, 0))) << "one drag at a time";
    POINT tl{};
    EXPECT_FALSE(AfxGetDragImageState(&tl)) << "hidden until entered";
    ASSERT_TRUE(CImageList::DragEnter(&wnd, CPoint(10, 20)));
    EXPECT_TRUE(AfxGetDragImageState(&tl));
    EXPECT_EQ(tl.x, wr.left + 10 - 2);
    EXPECT_EQ(tl.y, wr.top + 20 - 3);
    CImageList::DragMove(CPoint(40, 40));
    AfxGetDragImageState(&tl);
    EXPECT_EQ(tl.x, wr.left + 38);
    CPoint pos, hot;
    ASSERT_NE(CImageList::GetDragImage(&pos, &hot), nullptr);
    EXPECT_EQ(hot, CPoint(2, 3));
    CImageList::DragLeave(&wnd);
    EXPECT_FALSE(AfxGetDragImageState(nullptr));
    CImageList::DragShowNolock(TRUE);
    EXPECT_TRUE(AfxGetDragImageState(nullptr));
    CImageList::EndDrag();
    EXPECT_FALSE(AfxGetDragImageState(nullptr));
    EXPECT_EQ(CImageList::GetDragImage(nullptr, nullptr), nullptr);
    EXPECT_TRUE(il.BeginDrag(0, CPoint(0, 0))) << "a new drag may start after the end";
    CImageList::EndDrag();
}

// The window of a drag image lets the screen behind show wherever the image is transparent and
// paints its drawn pixels in their own colour, whether or not the desktop composites
// translucent windows (without compositing a translucent window shows black there).
// An item's drag image is its label drawn on a transparent ground: drawn over something, that
// shows through around the letters (it was a black box).
TEST_F(ImageListTest, AnItemsDragImageShowsWhatIsBehindAroundItsLabel) {
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "tree", WS_POPUP | WS_VISIBLE, CRect(0, 0, 200, 100),
                                nullptr, 0));
    CTreeCtrl tree;
    ASSERT_TRUE(tree.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 100), &parent, 1));
    HTREEITEM item = tree.InsertItem("新联系人");
    std::unique_ptr<CImageList> image(tree.CreateDragImage(item));
    ASSERT_NE(image, nullptr);
    IMAGEINFO info{};
    ASSERT_TRUE(image->GetImageInfo(0, &info));
    const int w = info.rcImage.right - info.rcImage.left, h = info.rcImage.bottom - info.rcImage.top;
    QImage drawn(w, h, QImage::Format_RGB32);
    drawn.fill(QColor(0, 128, 0));
    {
        CDC dc;
        dc.AttachImage(&drawn);
        image->Draw(&dc, 0, CPoint(0, 0), ILD_TRANSPARENT);
    }
    int ground = 0, letters = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            QColor c = drawn.pixelColor(x, y);
            ground += c == QColor(0, 128, 0);
            letters += c.green() < 60;
        }
    EXPECT_GT(ground, w * h / 2) << "what is behind shows around the label";
    EXPECT_GT(letters, 10) << "the label's letters";
}

TEST_F(ImageListTest, TheDragWindowShowsOnlyTheImagesDrawnPixels) {
    CImageList il;
    il.Create(8, 8, ILC_COLOR32 | ILC_MASK, 1, 1);
    CBitmap bmp;
    MakeStrip(bmp, {qRgb(255, 0, 0)});
    il.Add(&bmp, RGB(255, 0, 255));
    ASSERT_TRUE(il.BeginDrag(0, CPoint(0, 0)));
    ASSERT_TRUE(CImageList::DragEnter(nullptr, CPoint(300, 200)));
    Pump();
    QWidget* shown = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && (w->windowFlags() & Qt::WindowTransparentForInput) &&
            w->pos() == QPoint(300, 200))
            shown = w;
    ASSERT_NE(shown, nullptr);
    EXPECT_FALSE(shown->testAttribute(Qt::WA_TranslucentBackground));
    const QRegion shape = shown->mask();
    EXPECT_FALSE(shape.contains(QPoint(0, 0))) << "the transparent ground is not part of it";
    EXPECT_FALSE(shape.contains(QPoint(7, 7)));
    EXPECT_TRUE(shape.contains(QPoint(3, 3)));
    EXPECT_TRUE(shape.contains(QPoint(5, 2)));
    QImage drawn = shown->grab().toImage();
    EXPECT_EQ(QColor(drawn.pixel(3, 3)), QColor(255, 0, 0));
    EXPECT_EQ(QColor(drawn.pixel(5, 2)), QColor(255, 0, 0));
    EXPECT_EQ(QColor(drawn.pixel(4, 4)), QColor(255, 255, 255));
    CImageList::EndDrag();
}

} // namespace
