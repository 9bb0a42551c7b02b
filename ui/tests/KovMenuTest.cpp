#include "platform/gui/tests/FrameTestSupport.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "ui/KovMenu.h"

#include "platform/gui/Dc.h"
#include "platform/gui/Frame.h"

#include <QApplication>
#include <QFontInfo>
#include <QImage>
#include <gtest/gtest.h>

namespace {

const ResMenuItem kItems[] = {
    {0, MF_POPUP, 0, "联系人"},
    {1, 0, 310, "新建联系人(&N)\tCtrl+N"},
    {1, MF_SEPARATOR, 0, ""},
    {1, MF_GRAYED, 311, "删除"},
    {1, MF_CHECKED, 312, "显示照片"},
    {1, MF_POPUP, 0, "排序"},
    {2, 0, 320, "按姓名"},
    {0, MF_POPUP, 0, "空"},
};
const ResMenu kMenus[] = {{9170, kItems, 8}};
const ResModule kModule = TestResources(nullptr, 0, kMenus, 1);

// A window that draws its menus the program's way.
class CMenuOwner : public CFrameWnd {
public:
    void OnMeasureItem(int, LPMEASUREITEMSTRUCT mis) { MeasureOwnerDrawnMenuItem(this, mis); }
    void OnDrawItem(int, LPDRAWITEMSTRUCT dis) { DrawOwnerDrawnMenuItem(this, dis); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CMenuOwner, CFrameWnd)
ON_WM_MEASUREITEM()
ON_WM_DRAWITEM()
END_MESSAGE_MAP()

class KovMenuTest : public GuiTest {
protected:
    static void SetUpTestSuite() {
        GuiTest::SetUpTestSuite();
        AfxRegisterResources(&kModule);
    }
    CImageList images;
    void SetUp() override {
        images.Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 0);
        CBitmap bmp;
        QImage img(16, 16, QImage::Format_ARGB32);
        img.fill(QColor(0, 160, 0));
        bmp.AttachImageData(img);
        images.Add(&bmp, (CBitmap*)nullptr);
        SetMenuImageList(&images);
        g_menuImageMap.SetAt(310, 0);
        g_menuImageMap.SetAt(311, 0);
        g_menuImageMap.SetAt(312, 0);
    }
    void TearDown() override {
        SetMenuImageList(nullptr);
        g_menuImageMap.RemoveAll();
        AfxSetPopupMenuHook(nullptr);
    }
    // Draws one item of the pop-up into a picture.
    static QImage DrawOne(CMenu* popup, int pos, UINT itemState, BOOL isSub = FALSE) {
        QImage img(160, 22, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::white);
        CDC dc;
        dc.AttachImage(&img);
        DRAWITEMSTRUCT dis{};
        dis.CtlType = ODT_MENU;
        dis.itemID = popup->GetMenuItemID(pos);
        dis.itemState = itemState;
        dis.hDC = dc.m_hDC;
        dis.rcItem = {0, 0, 160, 22};
        dis.itemData = (ULONG_PTR)popup->m_hMenu;
        DrawMenuItem(popup, pos, FALSE, isSub, &dis);
        return img;
    }
};

TEST_F(KovMenuTest, ColourHelpersMoveChannelsOnlyForFactorsInRange) {
    struct Row {
        double f;
        COLORREF dark, light;
    } rows[] = {
        {0.0, RGB(100, 200, 50), RGB(100, 200, 50)},  {1.5, RGB(100, 200, 50), RGB(100, 200, 50)},
        {-0.5, RGB(100, 200, 50), RGB(100, 200, 50)}, {0.5, RGB(50, 100, 25), RGB(177, 227, 152)},
        {1.0, RGB(0, 0, 0), RGB(255, 255, 255)},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(r.dark, DarkenColor(RGB(100, 200, 50), r.f)) << r.f;
        EXPECT_EQ(r.light, LightenColor(RGB(100, 200, 50), r.f)) << r.f;
    }
}

TEST_F(KovMenuTest, OwnerDrawMarksEveryItemWithItsMenu) {
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(9170));
    ASSERT_TRUE(SetMenuOwnerDraw(&menu));
    CMenu* popup = menu.GetSubMenu(0);
    CMenu* nested = popup->GetSubMenu(4);
    for (auto [m, pos] : {std::pair{popup, 0}, std::pair{popup, 1}, std::pair{nested, 0}}) {
        MENUITEMINFO mii{};
        mii.fMask = MIIM_FTYPE | MIIM_DATA;
        ASSERT_TRUE(m->GetMenuItemInfo(pos, &mii, TRUE));
        EXPECT_TRUE(mii.fType & MFT_OWNERDRAW);
        EXPECT_EQ((ULONG_PTR)m->m_hMenu, mii.dwItemData);
    }
    int pos = -1;
    BOOL bar = TRUE, sub = TRUE;
    EXPECT_EQ(popup->m_hMenu, LocateMenuItem(311, popup->m_hMenu, &pos, &bar, &sub, nullptr));
    EXPECT_EQ(2, pos);
    EXPECT_FALSE(bar);
    EXPECT_FALSE(sub);
    EXPECT_EQ(popup->m_hMenu, LocateMenuItem((UINT)(UINT_PTR)nested->m_hMenu, popup->m_hMenu, &pos,
                                             &bar, &sub, nullptr));
    EXPECT_EQ(4, pos);
    EXPECT_TRUE(sub);
    EXPECT_EQ(nullptr, LocateMenuItem(999, popup->m_hMenu, &pos, &bar, &sub, nullptr));
    EXPECT_EQ(nullptr, LocateMenuItem(310, nullptr, &pos, &bar, &sub, nullptr));

    // A window's handlers measure only items of the menus they marked; the rest (another menu's
    // id, a control's item whose data is no menu) is left to the window's own handling.
    const struct {
        UINT type, id;
        HMENU data;
        BOOL measured;
    } items[] = {
        {ODT_MENU, 311, popup->m_hMenu, TRUE},
        {ODT_MENU, 999, popup->m_hMenu, FALSE},
        {ODT_LISTBOX, 311, popup->m_hMenu, FALSE},
    };
    for (const auto& item : items) {
        MEASUREITEMSTRUCT mis{item.type, 0, item.id, 0, 0, (ULONG_PTR)item.data};
        EXPECT_EQ(item.measured, MeasureOwnerDrawnMenuItem(nullptr, &mis)) << item.id;
        EXPECT_EQ(item.measured, mis.itemHeight > 0) << item.id;
        DRAWITEMSTRUCT dis{};
        dis.CtlType = item.type;
        dis.itemID = item.id;
        dis.itemData = (ULONG_PTR)item.data;
        if (!item.measured) { // drawing needs a device context; a refused item never reaches it
            EXPECT_FALSE(DrawOwnerDrawnMenuItem(nullptr, &dis)) << item.id;
        }
    }

    auto* frame = new CMenuOwner;
    ASSERT_TRUE(frame->Create(nullptr, "menu", WS_OVERLAPPEDWINDOW, CRect(0, 0, 300, 200), nullptr,
                              MAKEINTRESOURCE(9170)));
    HMENU hBar = frame->GetMenu()->m_hMenu;
    EXPECT_EQ(hBar, LocateMenuItem((UINT)(UINT_PTR)CMenu::FromHandle(hBar)->GetSubMenu(0)->m_hMenu,
                                   hBar, &pos, &bar, &sub, frame));
    EXPECT_TRUE(bar);
    frame->DestroyWindow();
}

TEST_F(KovMenuTest, MeasuresSeparatorsBarItemsAndPopupItems) {
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(9170));
    CMenu* popup = menu.GetSubMenu(0);
    MEASUREITEMSTRUCT mis{ODT_MENU, 0, 0, 99, 99, 0};
    MeasureMenuItem(popup, 1, FALSE, &mis);
    EXPECT_EQ(0u, mis.itemWidth);
    EXPECT_EQ(3u, mis.itemHeight);
    MeasureMenuItem(popup, 0, FALSE, &mis);
    EXPECT_GT(mis.itemWidth, 16u + 12u);
    EXPECT_EQ((UINT)std::max(GetSystemMetrics(SM_CYMENU), 20), mis.itemHeight);
    MEASUREITEMSTRUCT barItem{ODT_MENU, 0, 0, 0, 0, 0};
    MeasureMenuItem(&menu, 0, TRUE, &barItem);
    EXPECT_EQ(18u, barItem.itemHeight);
    EXPECT_LT(barItem.itemWidth, mis.itemWidth);
    MEASUREITEMSTRUCT other{ODT_LISTBOX, 0, 0, 7, 7, 0};
    MeasureMenuItem(popup, 0, FALSE, &other);
    EXPECT_EQ(7u, other.itemWidth); // not a menu item: untouched
}

TEST_F(KovMenuTest, DrawsImagesChecksAndStatesOfEachItem) {
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(9170));
    CMenu* popup = menu.GetSubMenu(0);
    COLORREF hl = GetSysColor(COLOR_HIGHLIGHT);
    QColor selectedFill(GetRValue(LightenColor(hl, 0.7)), GetGValue(LightenColor(hl, 0.7)),
                        GetBValue(LightenColor(hl, 0.7)));
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    QColor faceColour(GetRValue(face), GetGValue(face), GetBValue(face));

    QImage normal = DrawOne(popup, 0, 0);
    EXPECT_EQ(QColor(0, 160, 0), normal.pixelColor(8, 8)); // its image in the icon column
    QImage selected = DrawOne(popup, 0, ODS_SELECTED);
    EXPECT_EQ(selectedFill, selected.pixelColor(150, 3));
    // Grayed and selected is drawn as not selected.
    QImage grayedSelected = DrawOne(popup, 2, ODS_SELECTED | ODS_GRAYED);
    EXPECT_NE(selectedFill, grayedSelected.pixelColor(150, 3));
    // Checked: the mark box instead of the image.
    QImage checked = DrawOne(popup, 3, ODS_CHECKED);
    EXPECT_NE(QColor(0, 160, 0), checked.pixelColor(3, 3));
    COLORREF box = LightenColor(hl, 0.85);
    EXPECT_EQ(QColor(GetRValue(box), GetGValue(box), GetBValue(box)), checked.pixelColor(2, 2));
    // A sub-menu item never shows an image.
    g_menuImageMap.SetAt((UINT)(UINT_PTR)popup->GetSubMenu(4)->m_hMenu, 0);
    QImage sub = DrawOne(popup, 4, 0, TRUE);
    EXPECT_EQ(faceColour, sub.pixelColor(8, 8));
    // A separator is background, etched line and icon column only.
    QImage sep = DrawOne(popup, 1, 0);
    EXPECT_EQ(faceColour, sep.pixelColor(8, 2));
}

TEST_F(KovMenuTest, ItemsAreMeasuredInTheDesktopMenuFont) {
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(9170));
    CMenu* popup = menu.GetSubMenu(0);
    auto width = [&] {
        MEASUREITEMSTRUCT mis{ODT_MENU, 0, 0, 0, 0, 0};
        MeasureMenuItem(popup, 0, FALSE, &mis);
        return (int)mis.itemWidth;
    };
    int normal = width();
    QFont saved = QApplication::font("QMenu");
    QFont big = saved;
    big.setPixelSize(QFontInfo(saved).pixelSize() * 2);
    QApplication::setFont(big, "QMenu");
    int doubled = width();
    QApplication::setFont(saved, "QMenu");
    EXPECT_GT(doubled, normal * 3 / 2) << normal;
}

// The tick is seven two-pixel strokes rising to the right after a dip, the radio mark a round
// dot; both sit in a box lighter when selected, in gray when the item is disabled.
TEST_F(KovMenuTest, CheckedItemsShowATickOrADot) {
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(9170));
    CMenu* popup = menu.GetSubMenu(0);
    COLORREF hl = GetSysColor(COLOR_HIGHLIGHT);
    auto q = [](COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); };
    QColor text = q(GetSysColor(COLOR_MENUTEXT)), gray = q(GetSysColor(COLOR_GRAYTEXT));
    // The image box of a 22 pixel high item is (1, 1)-(19, 21): the mark starts at (7, 8).
    const int x = 7, y = 8;
    const int rise[7] = {2, 3, 4, 3, 2, 1, 0};
    struct Row {
        UINT state;
        QColor box, mark;
    } rows[] = {
        {ODS_CHECKED, q(LightenColor(hl, 0.85)), text},
        {ODS_CHECKED | ODS_SELECTED, q(LightenColor(hl, 0.55)), text},
        {ODS_CHECKED | ODS_DISABLED, q(LightenColor(hl, 0.85)), gray},
    };
    for (const Row& row : rows) {
        QImage img = DrawOne(popup, 3, row.state);
        EXPECT_EQ(row.box, img.pixelColor(3, 3)) << row.state;
        EXPECT_EQ(q(hl), img.pixelColor(1, 10)) << "the box's frame";
        for (int i = 0; i < 7; ++i) {
            int top = y + rise[i];
            EXPECT_EQ(row.mark, img.pixelColor(x + i, top)) << row.state << " stroke " << i;
            EXPECT_EQ(row.mark, img.pixelColor(x + i, top + 1)) << row.state << " stroke " << i;
            EXPECT_EQ(row.box, img.pixelColor(x + i, top - 1)) << row.state << " above " << i;
            EXPECT_EQ(row.box, img.pixelColor(x + i, top + 2)) << row.state << " below " << i;
        }
    }

    // An item with a checked-state bitmap is a radio item: a dot from (7, 8) to (13, 14).
    CBitmap dotBitmap;
    QImage dotImage(6, 6, QImage::Format_RGB32);
    dotImage.fill(Qt::black);
    dotBitmap.AttachImageData(dotImage);
    MENUITEMINFO mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_CHECKMARKS;
    mii.hbmpChecked = (HBITMAP)dotBitmap.m_hObject;
    ASSERT_TRUE(popup->SetMenuItemInfo(3, &mii, TRUE));
    QImage radio = DrawOne(popup, 3, ODS_CHECKED);
    QColor box = q(LightenColor(hl, 0.85));
    for (auto [px, py] : {std::pair{10, 11}, {9, 10}, {11, 12}, {8, 11}, {12, 11}, {10, 9}})
        EXPECT_EQ(text, radio.pixelColor(px, py)) << "dot at " << px << "," << py;
    for (auto [px, py] : {std::pair{7, 8}, {12, 8}, {7, 13}, {12, 13}, {14, 11}, {10, 15}})
        EXPECT_EQ(box, radio.pixelColor(px, py)) << "outside the dot at " << px << "," << py;
}

TEST_F(KovMenuTest, PopupOfAMissingSubMenuShowsNothing) {
    int shown = 0;
    AfxSetPopupMenuHook([&](HMENU, CWnd*, POINT, UINT) -> UINT {
        ++shown;
        return 310;
    });
    CWnd owner;
    ASSERT_TRUE(
        owner.CreateEx(0, nullptr, "o", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr, nullptr));
    EXPECT_FALSE(ShowPopupMenu(9170, 5, POINT{0, 0}, TPM_RETURNCMD, &owner));
    EXPECT_FALSE(ShowPopupMenu(4242, 0, POINT{0, 0}, TPM_RETURNCMD, &owner));
    EXPECT_EQ(0, shown);
    EXPECT_EQ(310, ShowPopupMenu(9170, 0, POINT{0, 0}, TPM_RETURNCMD, &owner));
    EXPECT_EQ(1, shown);
    owner.DestroyWindow();
}

TEST_F(KovMenuTest, OwnerDrawnPopupPicture) {
    auto* frame = new CMenuOwner;
    ASSERT_TRUE(frame->Create(nullptr, "menu", WS_OVERLAPPEDWINDOW, CRect(0, 0, 300, 200)));
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(9170));
    ASSERT_TRUE(SetMenuOwnerDraw(&menu));
    QImage img = AfxRenderPopupMenu(menu.GetSubMenu(0)->m_hMenu, frame, 0);
    EXPECT_FALSE(img.isNull());
    img.save(QString::fromStdString(ScreenPath("kov-menu-popup")));
    frame->DestroyWindow();
}

} // namespace
