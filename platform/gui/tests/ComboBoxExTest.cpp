#include "GuiTestSupport.h"

#include "platform/gui/ComboBoxEx.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QPainter>
#include <QStyleOptionViewItem>

namespace {

class ComboBoxExTest : public GuiTest {
protected:
    CWnd parent;
    CComboBoxEx combo;
    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "p", WS_POPUP | WS_VISIBLE, CRect(0, 0, 200, 200),
                                    nullptr, 0));
        ASSERT_TRUE(combo.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, CRect(0, 0, 180, 200),
                                 &parent, 3));
    }
    // The image lists of a test are gone by now: the combo box lets go of them.
    void TearDown() override { combo.SetImageList(nullptr); }
};

TEST_F(ComboBoxExTest, ItemsCarryTextImageAndData) {
    CImageList faces;
    ASSERT_TRUE(faces.Create(16, 16, ILC_COLOR32 | ILC_MASK, 4, 4));
    QImage strip(48, 16, QImage::Format_ARGB32);
    strip.fill(QColor(200, 30, 30));
    CBitmap bmp;
    bmp.AttachImageData(strip);
    faces.Add(&bmp, (CBitmap*)nullptr);
    combo.SendMessage(CBEM_SETIMAGELIST, 0, (LPARAM)faces.GetSafeHandle());

    const char* names[] = {"微笑", "大笑", "哭泣"};
    for (int i = 0; i < 3; ++i) {
        COMBOBOXEXITEM it{};
        it.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_LPARAM;
        it.iItem = -1;
        it.pszText = const_cast<LPSTR>(names[i]);
        it.iImage = it.iSelectedImage = i;
        it.lParam = 70 + i;
        ASSERT_EQ(combo.SendMessage(CBEM_INSERTITEM, 0, (LPARAM)&it), i);
    }
    // Inserting at the front moves the others down with their images.
    COMBOBOXEXITEM first{};
    first.mask = CBEIF_TEXT | CBEIF_IMAGE;
    first.iItem = 0;
    first.pszText = const_cast<LPSTR>("无");
    first.iImage = -1;
    ASSERT_EQ(combo.InsertItem(&first), 0);
    EXPECT_EQ(combo.GetCount(), 4);
    EXPECT_EQ(combo.GetItemImage(0), -1);
    EXPECT_EQ(combo.GetItemImage(3), 2);

    char buf[16] = {};
    COMBOBOXEXITEM get{};
    get.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_LPARAM;
    get.iItem = 2;
    get.pszText = buf;
    get.cchTextMax = sizeof buf;
    ASSERT_TRUE(combo.SendMessage(CBEM_GETITEM, 0, (LPARAM)&get));
    EXPECT_STREQ(buf, "大笑");
    EXPECT_EQ(get.iImage, 1);
    EXPECT_EQ(get.lParam, 71);
    // A short buffer takes whole characters only.
    get.cchTextMax = 4;
    ASSERT_TRUE(combo.SendMessage(CBEM_GETITEM, 0, (LPARAM)&get));
    EXPECT_STREQ(buf, "大");
    get.cchTextMax = sizeof buf;

    auto* box = qobject_cast<QComboBox*>(combo.GetWidget());
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(box->itemIcon(2).isNull());
    EXPECT_TRUE(box->itemIcon(0).isNull());
    get.iItem = 9;
    EXPECT_FALSE(combo.GetItem(&get));
    combo.SetCurSel(1);
    ASSERT_TRUE(parent.SaveScreenshot(ScreenPath("combo-box-ex").c_str()));
}

// Where the first pixel of a colour is in a row of the drop-down list, as its delegate draws it.
int FirstColumnOf(QComboBox* box, int row, QColor colour) {
    QImage img(200, 24, QImage::Format_ARGB32);
    img.fill(Qt::white);
    {
        QPainter painter(&img);
        QStyleOptionViewItem opt;
        opt.initFrom(box->view());
        opt.rect = QRect(0, 0, 200, 24);
        opt.decorationSize = box->iconSize();
        opt.features |= QStyleOptionViewItem::HasDecoration;
        box->view()->itemDelegate()->paint(&painter, opt, box->model()->index(row, 0));
    }
    for (int x = 0; x < img.width(); ++x)
        if (QColor(img.pixel(x, 12)) == colour)
            return x;
    return -1;
}

TEST_F(ComboBoxExTest, OverlaysAndIndentsOfItems) {
    // Image 0 a red face, image 1 a blue mark in the top left corner, used as overlay 1.
    CImageList faces;
    ASSERT_TRUE(faces.Create(16, 16, ILC_COLOR32 | ILC_MASK, 2, 2));
    QImage strip(32, 16, QImage::Format_RGB32);
    strip.fill(QColor(255, 0, 255)); // the mask colour
    {
        QPainter p(&strip);
        p.fillRect(0, 0, 16, 16, QColor(200, 30, 30));
        p.fillRect(16, 0, 6, 6, QColor(20, 20, 220));
    }
    CBitmap bmp;
    bmp.AttachImageData(strip);
    faces.Add(&bmp, RGB(255, 0, 255));
    ASSERT_TRUE(faces.SetOverlayImage(1, 1));
    combo.SetImageList(&faces);
    struct Row {
        int overlay, indent;
    } rows[] = {{0, 0}, {1, 2}, {1, 0}};
    for (auto& r : rows) {
        COMBOBOXEXITEM it{};
        it.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_OVERLAY | CBEIF_INDENT;
        it.iItem = -1;
        it.pszText = const_cast<LPSTR>("头像");
        it.iImage = 0;
        it.iOverlay = r.overlay;
        it.iIndent = r.indent;
        ASSERT_GE(combo.InsertItem(&it), 0);
    }
    auto* box = qobject_cast<QComboBox*>(combo.GetWidget());
    ASSERT_NE(box, nullptr);
    for (int i = 0; i < 3; ++i) {
        COMBOBOXEXITEM get{};
        get.mask = CBEIF_OVERLAY | CBEIF_INDENT;
        get.iItem = i;
        ASSERT_TRUE(combo.SendMessage(CBEM_GETITEM, 0, (LPARAM)&get));
        EXPECT_EQ(get.iOverlay, rows[i].overlay) << i;
        EXPECT_EQ(get.iIndent, rows[i].indent) << i;
        // The overlay shows over the image's corner.
        QImage icon = box->itemIcon(i).pixmap(16, 16).toImage();
        EXPECT_EQ(QColor(icon.pixel(2, 2)),
                  rows[i].overlay ? QColor(20, 20, 220) : QColor(200, 30, 30))
            << i;
        EXPECT_EQ(QColor(icon.pixel(12, 12)), QColor(200, 30, 30)) << i;
    }
    // Each indent level moves the row ten pixels right in the drop-down list.
    int plain = FirstColumnOf(box, 2, QColor(200, 30, 30));
    ASSERT_GE(plain, 0);
    EXPECT_EQ(FirstColumnOf(box, 1, QColor(200, 30, 30)), plain + 20);
    // Taking the overlay away again.
    COMBOBOXEXITEM none{};
    none.mask = CBEIF_OVERLAY;
    none.iItem = 1;
    none.iOverlay = 0;
    ASSERT_TRUE(combo.SetItem(&none));
    EXPECT_EQ(QColor(box->itemIcon(1).pixmap(16, 16).toImage().pixel(2, 2)), QColor(200, 30, 30));
    combo.SetImageList(nullptr);
}

} // namespace
