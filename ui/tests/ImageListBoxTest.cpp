#include "platform/gui/tests/GuiTestSupport.h"
#include "ui/KovListBox.h"
#include "ui/tests/ImageTestSupport.h"

#include <QListWidget>

using namespace image_test;

namespace {

// Reaches the box's private image-list copy.
class CProbeListBox : public CKovListBox {
public:
    HIMAGELIST OwnCopy() const { return m_ownImageList.GetSafeHandle(); }
};

// count 16x16 images, image i filled with colours[i].
void MakeList(CImageList& list, std::initializer_list<QRgb> colours) {
    list.Create(16, 16, ILC_COLOR32 | ILC_MASK, (int)colours.size(), 1);
    QImage strip(16 * (int)colours.size(), 16, QImage::Format_RGB32);
    int i = 0;
    for (QRgb c : colours) {
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                strip.setPixel(i * 16 + x, y, c);
        ++i;
    }
    CBitmap bmp;
    bmp.AttachImageData(strip);
    list.Add(&bmp, RGB(255, 0, 255));
}

class ListBoxTest : public GuiTest {
protected:
    QTemporaryDir dir;
    CWnd parent;
    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "p", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 400),
                                    nullptr, 0));
    }
    void TearDown() override { parent.DestroyWindow(); }
    template <class Box> void Make(Box& box, DWORD extra, int id, int x = 0) {
        ASSERT_TRUE(box.Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_OWNERDRAWFIXED | extra,
                               CRect(x, 0, x + 120, 400), &parent, (UINT)id));
    }
    QImage Shot(CWnd& box) {
        Pump();
        auto* list = qobject_cast<QListWidget*>(box.GetWidget());
        return list ? list->viewport()->grab().toImage() : QImage();
    }
};

TEST_F(ListBoxTest, RowsKeepTheirTextInTheListBoxOrInTheirRecord) {
    CKovListBox keeps, records;
    Make(keeps, LBS_HASSTRINGS, 1);
    Make(records, 0, 2, 130);
    EXPECT_EQ(keeps.GetItemHeight(0), 40);
    for (CKovListBox* box : {&keeps, &records}) {
        EXPECT_EQ(box->AddItem("张三", 3), 0);
        EXPECT_EQ(box->AddItem("李四", 1), 1);
        EXPECT_EQ(box->GetItemImage(1), 1);
        EXPECT_EQ(box->GetItemImage(2), -1);
        EXPECT_EQ(box->GetItemImage(-1), -1);
    }
    CString text;
    keeps.GetText(1, text);
    EXPECT_EQ(text, CString("李四"));
    EXPECT_EQ(keeps.GetItemData(1), 0u);
    auto* kept = reinterpret_cast<const CString*>(records.GetItemData(1));
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(*kept, CString("李四"));
}

TEST_F(ListBoxTest, ARowShowsItsImageCentredAndTheSelectionColours) {
    CKovListBox box;
    Make(box, LBS_HASSTRINGS, 1);
    CImageList list;
    MakeList(list, {qRgb(0, 200, 0), qRgb(200, 0, 0)});
    ASSERT_TRUE(box.SetImageList(&list, TRUE));
    box.AddItem("绿", 0);
    box.AddItem("红", 1);
    box.SetCurSel(1);
    QImage shot = Shot(box);
    // The image starts 4 pixels in and is centred in the 40-pixel row: rows 12..27.
    EXPECT_EQ(KindAt(shot, 4, 12), 'g');
    EXPECT_EQ(KindAt(shot, 19, 27), 'g');
    EXPECT_EQ(KindAt(shot, 3, 20), 'w');
    EXPECT_EQ(KindAt(shot, 4, 11), 'w');
    EXPECT_EQ(KindAt(shot, 10, 40 + 20), 'r');
    EXPECT_EQ(shot.pixel(2, 40 + 2) & 0xFFFFFF, (QRgb)AfxQColor(box.m_selBackColor).rgb() & 0xFFFFFF);
}

TEST_F(ListBoxTest, AnImageListIsCopiedBeforeTheOldCopyIsFreed) {
    CProbeListBox box;
    Make(box, LBS_HASSTRINGS, 1);
    CImageList list, other;
    MakeList(list, {qRgb(0, 200, 0), qRgb(200, 0, 0), qRgb(0, 0, 200)});
    MakeList(other, {qRgb(0, 200, 0)});
    ASSERT_TRUE(box.SetImageList(&list, FALSE));
    CImageList* copy = box.GetImageList();
    ASSERT_NE(copy, &list);
    EXPECT_EQ(copy->GetImageCount(), 3);
    // The box's own copy handed back to it.
    ASSERT_TRUE(box.SetImageList(copy, FALSE));
    ASSERT_NE(box.GetImageList(), nullptr);
    EXPECT_EQ(box.GetImageList()->GetImageCount(), 3);
    // Nor does its own copy, handed back as a shared list, go away.
    ASSERT_TRUE(box.SetImageList(box.GetImageList(), TRUE));
    EXPECT_EQ(box.GetImageList()->GetImageCount(), 3);
    // A second private copy replaces the first.
    ASSERT_TRUE(box.SetImageList(&other, FALSE));
    EXPECT_EQ(box.GetImageList()->GetImageCount(), 1);
    // Going over to a shared list lets the private copy go.
    ASSERT_TRUE(box.SetImageList(&list, TRUE));
    EXPECT_EQ(box.GetImageList(), &list);
    EXPECT_EQ(box.OwnCopy(), nullptr);
    EXPECT_FALSE(box.SetImageList(nullptr, FALSE));
    EXPECT_EQ(list.GetImageCount(), 3);
}

class ImageListBoxTest : public ListBoxTest {
protected:
    CImageListBox box;
    void SetUp() override {
        ListBoxTest::SetUp();
        Make(box, 0, 3);
    }
    CString Path(const char* name) { return AfxFromQt(dir.filePath(QString::fromUtf8(name))); }
};

TEST_F(ImageListBoxTest, ThumbnailsAreFittedAndCentredOnWhite) {
    EXPECT_EQ(box.GetItemHeight(0), 96);
    QDir d(dir.path());
    WriteHalves(d, "wide.png", 120, 60);
    WriteHalves(d, "tall.png", 300, 600);
    WriteHalves(d, "small.png", 40, 30);
    ASSERT_EQ(box.AddImage(Path("wide.png")), 0);
    ASSERT_EQ(box.AddImage(Path("tall.png")), 1);
    ASSERT_EQ(box.InsertImage(0, Path("small.png")), 0);
    // The 90-pixel square: the wide picture shrinks to 90 x 45 at y 22..66.
    const QImage& wide = *box.GetThumbnail(1)->GetQImage();
    EXPECT_EQ(wide.size(), QSize(90, 90));
    EXPECT_EQ(KindAt(wide, 1, 21), 'w');
    EXPECT_EQ(KindAt(wide, 1, 23), 'r');
    EXPECT_EQ(KindAt(wide, 88, 65), 'b');
    EXPECT_EQ(KindAt(wide, 88, 68), 'w');
    // The tall one to 45 x 90 at x 22..66.
    const QImage& tall = *box.GetThumbnail(2)->GetQImage();
    EXPECT_EQ(KindAt(tall, 21, 45), 'w');
    EXPECT_EQ(KindAt(tall, 24, 45), 'r');
    EXPECT_EQ(KindAt(tall, 65, 45), 'b');
    EXPECT_EQ(KindAt(tall, 68, 45), 'w');
    // The small one keeps its size, centred: x 25..64, y 30..59.
    const QImage& small = *box.GetThumbnail(0)->GetQImage();
    EXPECT_EQ(KindAt(small, 24, 40), 'w');
    EXPECT_EQ(KindAt(small, 25, 30), 'r');
    EXPECT_EQ(KindAt(small, 64, 59), 'b');
    EXPECT_EQ(KindAt(small, 65, 59), 'w');
    EXPECT_EQ(KindAt(small, 64, 60), 'w');
    // A transparent part of a picture shows the white square.
    QImage clear(40, 30, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    for (int y = 0; y < 30; ++y)
        for (int x = 20; x < 40; ++x)
            clear.setPixel(x, y, qRgb(0, 0, 200));
    ASSERT_TRUE(clear.save(dir.filePath("clear.png"), "PNG"));
    ASSERT_EQ(box.AddImage(Path("clear.png")), 3);
    const QImage& cleared = *box.GetThumbnail(3)->GetQImage();
    EXPECT_EQ(KindAt(cleared, 30, 45), 'w');
    EXPECT_EQ(KindAt(cleared, 50, 45), 'b');
    // Rows are drawn with the thumbnail centred in the row (3 pixels all round).
    QImage shot = Shot(box);
    EXPECT_EQ(KindAt(shot, (120 - 90) / 2 + 25, 3 + 30), 'r');
}

TEST_F(ImageListBoxTest, RowsAreNamedAfterTheirFiles) {
    WriteHalves(QDir(dir.path()), "小明.photo.png", 20, 20);
    box.AddImage(AfxFromQt(dir.path()) + "\\小明.photo.png");
    box.AddImage("无扩展名");
    auto text = [&](int row) { return *reinterpret_cast<const CString*>(box.GetItemData(row)); };
    EXPECT_EQ(text(0), CString("小明.photo"));
    EXPECT_EQ(text(1), CString("无扩展名"));
    ASSERT_NE(box.GetThumbnail(1), nullptr); // "Not Found!" square
}

TEST_F(ImageListBoxTest, DeletingOnlyTakesRowsTheListBoxHad) {
    QDir d(dir.path());
    WriteHalves(d, "a.png", 20, 20);
    box.AddImage(Path("a.png"));
    box.AddImage(Path("missing.png"));
    const CImage* first = box.GetThumbnail(0);
    const CImage* second = box.GetThumbnail(1);
    EXPECT_EQ(box.DeleteImage(-1), -1);
    EXPECT_EQ(box.DeleteImage(2), LB_ERR);
    EXPECT_EQ(box.DeleteImage(7), LB_ERR);
    EXPECT_EQ(box.GetCount(), 2);
    EXPECT_EQ(box.GetThumbnail(0), first);
    EXPECT_EQ(box.GetThumbnail(1), second);
    EXPECT_TRUE(box.GetWidget()->updatesEnabled()) << "redraw is on again";
    EXPECT_EQ(box.DeleteImage(0), 1);
    EXPECT_EQ(box.GetThumbnail(0), second);
    EXPECT_EQ(box.GetThumbnail(1), nullptr);
    // Replacing: the row goes and the new picture takes its place.
    EXPECT_EQ(box.ReplaceImage(0, Path("a.png")), 0);
    EXPECT_EQ(*reinterpret_cast<const CString*>(box.GetItemData(0)), CString("a"));
    EXPECT_EQ(KindAt(*box.GetThumbnail(0)->GetQImage(), 40, 45), 'r');
    EXPECT_EQ(box.ReplaceImage(4, Path("a.png")), LB_ERR);
    EXPECT_EQ(box.GetCount(), 1);
    box.ResetContent();
    EXPECT_EQ(box.GetCount(), 0);
    EXPECT_EQ(box.GetThumbnail(0), nullptr);
}

TEST_F(ImageListBoxTest, SelectionAndFocusFrameTheRow) {
    QDir d(dir.path());
    WriteHalves(d, "a.png", 120, 60);
    box.AddImage(Path("a.png"));
    box.AddImage(Path("没有这个文件.jpg"));
    box.AddImage(AfxFromQt(SamplePath("sample.gif")));
    box.SetCurSel(0);
    QImage shot = Shot(box);
    const QRgb sel = AfxQColor(box.m_selBackColor).rgb() & 0xFFFFFF;
    // Three frames in the selection colour; the outer two may carry the focus frames instead.
    EXPECT_EQ(shot.pixel(60, 2) & 0xFFFFFF, sel);
    for (int i = 0; i < 2; ++i) {
        QRgb c = shot.pixel(60, i) & 0xFFFFFF;
        EXPECT_TRUE(c == sel || c == 0xFF0000u) << i;
    }
    EXPECT_EQ(KindAt(shot, 60, 3), 'w');
    // The row of the file that is not there.
    EXPECT_EQ(KindAt(shot, 60, 96 + 5), 'w');
    QDir().mkpath(QUILLMAR_SCREENS_DIR);
    EXPECT_TRUE(box.GetWidget()->grab().toImage().save(
        QString::fromStdString(ScreenPath("image-list-thumbnails")), "PNG"));
}

} // namespace

namespace {

TEST_F(ListBoxTest, ImageListsFillFromIconAndBitmapResources) {
    CImageList list;
    ASSERT_TRUE(list.Create(16, 16, ILC_COLOR32 | ILC_MASK, 0, 4));
    AddIconResourceRepeated(list, 125, 3);
    const UINT ids[] = {126, 127};
    AddIconResources(list, ids, 2);
    AddIconRepeated(list, nullptr, 2); // nothing to add
    ASSERT_EQ(list.GetImageCount(), 5);
    EXPECT_EQ(list.GetImage(0), list.GetImage(2));
    EXPECT_NE(list.GetImage(2), list.GetImage(3));
    EXPECT_NE(list.GetImage(3), list.GetImage(4));
    // The bead strip: three 10-pixel images.
    CImageList beads;
    ASSERT_TRUE(beads.Create(10, 10, ILC_COLOR32 | ILC_MASK, 0, 3));
    AddMaskedBitmapToImageList(beads, 123, RGB(255, 0, 255));
    EXPECT_EQ(beads.GetImageCount(), 3);
}

} // namespace
