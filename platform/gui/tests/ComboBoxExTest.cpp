#include "GuiTestSupport.h"

#include "platform/gui/ComboBoxEx.h"

#include <QComboBox>

namespace {

using ComboBoxExTest = GuiTest;

TEST_F(ComboBoxExTest, ItemsCarryTextImageAndData) {
    CWnd parent;
    ASSERT_TRUE(
        parent.CreateEx(0, nullptr, "p", WS_POPUP | WS_VISIBLE, CRect(0, 0, 200, 200), nullptr, 0));
    CComboBoxEx combo;
    ASSERT_TRUE(
        combo.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, CRect(0, 0, 180, 200), &parent, 3));
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

    auto* box = qobject_cast<QComboBox*>(combo.GetWidget());
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(box->itemIcon(2).isNull());
    EXPECT_TRUE(box->itemIcon(0).isNull());
    get.iItem = 9;
    EXPECT_FALSE(combo.GetItem(&get));
    combo.SetCurSel(1);
    ASSERT_TRUE(parent.SaveScreenshot(ScreenPath("combo-box-ex").c_str()));
}

} // namespace
