#include "platform/gui/tests/GuiTestSupport.h"
#include "ui/KovTreeCtrl.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

namespace {

class KovTreeCtrlTest : public GuiTest {
protected:
    CWnd parent;
    CKovTreeCtrl tree;
    QTemporaryDir dir;
    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "p", WS_POPUP | WS_VISIBLE, CRect(0, 0, 160, 120),
                                    nullptr, 0));
        ASSERT_TRUE(tree.Create(WS_CHILD | WS_VISIBLE | TVS_HASLINES | TVS_LINESATROOT,
                                CRect(0, 0, 160, 120), &parent, 1));
    }
    std::string File(const char* name) { return dir.filePath(name).toStdString(); }
};

constexpr UINT kOn = INDEXTOSTATEIMAGEMASK(2), kOff = INDEXTOSTATEIMAGEMASK(1);

TEST_F(KovTreeCtrlTest, StatePropagationUpAndDown) {
    HTREEITEM root = tree.InsertItem("全部");
    HTREEITEM g = tree.InsertItem("同事", root);
    HTREEITEM x = tree.InsertItem("张三", g);
    HTREEITEM y = tree.InsertItem("李四", g);
    HTREEITEM other = tree.InsertItem("朋友", root);
    tree.SetChildrenState(root, kOff, TVIS_STATEIMAGEMASK);
    for (HTREEITEM h : {g, x, y, other})
        EXPECT_EQ(tree.GetItemState(h, TVIS_STATEIMAGEMASK), kOff);

    // Off with every sibling off: every ancestor goes off.
    tree.SetItemState(root, kOn, TVIS_STATEIMAGEMASK);
    tree.SetItemState(g, kOn, TVIS_STATEIMAGEMASK);
    tree.PropagateStateToParents(x, kOn, kOff, TVIS_STATEIMAGEMASK, FALSE);
    EXPECT_EQ(tree.GetItemState(g, TVIS_STATEIMAGEMASK), kOff);
    EXPECT_EQ(tree.GetItemState(root, TVIS_STATEIMAGEMASK), kOff);
    // Off, but a sibling is on: the parent stays on, and so does everything above it.
    tree.SetItemState(y, kOn, TVIS_STATEIMAGEMASK);
    tree.PropagateStateToParents(x, kOn, kOff, TVIS_STATEIMAGEMASK, FALSE);
    EXPECT_EQ(tree.GetItemState(g, TVIS_STATEIMAGEMASK), kOn);
    EXPECT_EQ(tree.GetItemState(root, TVIS_STATEIMAGEMASK), kOn);

    EXPECT_TRUE(tree.UpdateStateFromChildren(g, kOn, kOff, TVIS_STATEIMAGEMASK));
    tree.SetItemState(y, kOff, TVIS_STATEIMAGEMASK);
    EXPECT_FALSE(tree.UpdateStateFromChildren(g, kOn, kOff, TVIS_STATEIMAGEMASK));
    EXPECT_EQ(tree.GetItemState(g, TVIS_STATEIMAGEMASK), kOff);
    tree.ToggleItemState(y, kOn, kOff, TVIS_STATEIMAGEMASK);
    EXPECT_EQ(tree.GetItemState(y, TVIS_STATEIMAGEMASK), kOn);
    tree.ToggleItemState(y, kOn, kOff, TVIS_STATEIMAGEMASK);
    EXPECT_EQ(tree.GetItemState(y, TVIS_STATEIMAGEMASK), kOff);

    EXPECT_TRUE(IsTreeItemUnder(tree, x, root));
    EXPECT_TRUE(IsTreeItemUnder(tree, g, g));
    EXPECT_FALSE(IsTreeItemUnder(tree, other, g));
    EXPECT_TRUE(DeleteTreeChildren(tree, g));
    EXPECT_EQ(tree.GetChildItem(g), nullptr);
    EXPECT_TRUE(tree.IsValidItem(g));
}

int CompareInts(void* a, void* b, int) {
    return (int)(intptr_t)a - (int)(intptr_t)b;
}

TEST_F(KovTreeCtrlTest, SortedInsertionFindsThePlaceAmongTheChildren) {
    HTREEITEM parentItem = tree.InsertItem("组");
    // Into an empty parent: the first child.
    EXPECT_EQ(InsertTreeItemSorted(tree, "b", (void*)20, parentItem, 0, CompareInts, TRUE),
              TVI_FIRST);
    HTREEITEM b = InsertTreeItemSorted(tree, "b", (void*)20, parentItem, 0, CompareInts, FALSE);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(tree.GetChildItem(parentItem), b);
    HTREEITEM a = InsertTreeItemSorted(tree, "a", (void*)10, parentItem, 0, CompareInts, FALSE);
    HTREEITEM c = InsertTreeItemSorted(tree, "c", (void*)30, parentItem, 0, CompareInts, FALSE);
    EXPECT_EQ(InsertTreeItemSorted(tree, "b2", (void*)20, parentItem, 0, CompareInts, TRUE), a)
        << "an equal key goes before its equal";
    std::vector<HTREEITEM> order;
    for (HTREEITEM h = tree.GetChildItem(parentItem); h; h = tree.GetNextSiblingItem(h))
        order.push_back(h);
    EXPECT_EQ(order, (std::vector<HTREEITEM>{a, b, c}));
    EXPECT_EQ(tree.GetItemData(c), (DWORD_PTR)30);
    // Null parent: among the roots.
    HTREEITEM r = InsertTreeItemSorted(tree, "r", (void*)0, nullptr, 0, CompareInts, FALSE);
    EXPECT_EQ(tree.GetRootItem(), r);
}

TEST_F(KovTreeCtrlTest, PatternShowsThroughWhiteButNotThroughTheDrawing) {
    // Not a bitmap: no picture, painting as usual.
    {
        QFile f(QString::fromStdString(File("bad.bmp")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a picture at all");
    }
    EXPECT_FALSE(tree.LoadPattern(File("bad.bmp").c_str()));
    EXPECT_FALSE(tree.HasPattern());

    QImage tile(8, 8, QImage::Format_RGB32);
    tile.fill(QColor(0, 160, 0));
    tile.setPixel(0, 0, qRgb(200, 200, 0));
    ASSERT_TRUE(tile.save(QString::fromStdString(File("pattern.bmp"))));
    ASSERT_TRUE(tree.LoadPattern(File("pattern.bmp").c_str()));

    // An icon with pure white pixels: they show the picture, not white.
    CImageList icons;
    icons.Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1);
    QImage icon(16, 16, QImage::Format_RGB32);
    icon.fill(QColor(255, 255, 255));
    for (int y = 4; y < 12; ++y)
        for (int x = 4; x < 12; ++x)
            icon.setPixel(x, y, qRgb(200, 0, 0));
    CBitmap bmp;
    bmp.AttachImageData(icon);
    icons.Add(&bmp, RGB(255, 0, 255));
    tree.SetImageList(&icons, TVSIL_NORMAL);
    HTREEITEM h = tree.InsertItem("联系人", 0, 0);
    std::string path = ScreenPath("tree-over-pattern");
    ASSERT_TRUE(parent.SaveScreenshot(path.c_str()));
    QImage shot(QString::fromStdString(path));
    ASSERT_FALSE(shot.isNull());
    CRect label;
    tree.GetItemRect(h, &label, TRUE);
    int iconLeft = label.left - 3 - 16;
    CRect row;
    tree.GetItemRect(h, &row, FALSE);
    int iconTop = row.top + (row.Height() - 16) / 2;
    EXPECT_EQ(QColor(shot.pixel(iconLeft + 8, iconTop + 8)), QColor(200, 0, 0));
    // White corner of the icon and empty space below the items: the tiled picture.
    QColor corner(shot.pixel(iconLeft + 1, iconTop + 1));
    EXPECT_EQ(corner, QColor(tile.pixel((iconLeft + 1) % 8, (iconTop + 1) % 8)));
    EXPECT_EQ(QColor(shot.pixel(80, 100)), QColor(tile.pixel(0, 100 % 8)));
    EXPECT_EQ(QColor(shot.pixel(80, 104)), QColor(200, 200, 0)) << "tiled from the client origin";
    // Some of the label's ink is there.
    bool ink = false;
    for (int y = label.top; y < label.bottom && !ink; ++y)
        for (int x = label.left; x < label.right && !ink; ++x)
            ink = qGreen(shot.pixel(x, y)) < 100;
    EXPECT_TRUE(ink);
    tree.SetImageList(nullptr, TVSIL_NORMAL);
}

} // namespace
