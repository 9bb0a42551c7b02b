#include "platform/gui/tests/GuiTestSupport.h"
#include "ui/AlignDlgItems.h"

#include <memory>
#include <vector>

namespace {

class AlignDlgItemsTest : public GuiTest {
protected:
    CWnd parent;
    std::vector<std::unique_ptr<CWnd>> children;
    void SetUp() override {
        ASSERT_TRUE(
            parent.CreateEx(0, nullptr, "parent", WS_POPUP, CRect(0, 0, 200, 100), nullptr, 0));
    }
    void AddChild(UINT id, CRect rc) {
        children.push_back(std::make_unique<CWnd>());
        ASSERT_TRUE(children.back()->CreateEx(0, nullptr, "", WS_CHILD | WS_VISIBLE, rc, &parent,
                                              id));
    }
    CRect ItemRect(UINT id) {
        CRect rc;
        CAlignDlgItems(&parent).GetItemRect(id, &rc);
        return rc;
    }
};

TEST(AlignValueTest, FractionsAndPixels) {
    struct Row {
        float value;
        int span, expected;
    } rows[] = {
        {1.0f, 200, 200}, {0.5f, 200, 100}, {1.5f, 200, 1},    {-0.5f, 200, -100},
        {-1.0f, 80, -80}, {25.9f, 80, 25},  {-12.7f, 80, -12}, {0.0f, 80, 0},
    };
    for (const Row& r : rows)
        EXPECT_EQ(AlignValue(r.value, r.span), r.expected) << r.value << " of " << r.span;
}

TEST_F(AlignDlgItemsTest, BaseRectFromClientCountsNegativeValuesFromTheFarEdge) {
    CAlignDlgItems align(&parent);
    align.SetBaseRectFromClient(0.1f, 10.0f, -0.5f, 1.0f);
    EXPECT_EQ(align.GetBaseRect(), CRect(20, 10, 100, 100));
    align.SetBaseRectFromClient(0.0f, 0.0f, -20.0f, -0.25f);
    EXPECT_EQ(align.GetBaseRect(), CRect(0, 0, 180, 75));
}

TEST_F(AlignDlgItemsTest, PlacingKeepsEdgesGivenNegativeValues) {
    AddChild(11, CRect(30, 40, 60, 50));
    CAlignDlgItems align(&parent);
    align.PlaceItemInset(11, 10.0f, -1.0f, 0.25f, -1.0f, FALSE);
    EXPECT_EQ(ItemRect(11), CRect(10, 40, 150, 50));
    align.SetBaseRect(CRect(100, 20, 200, 80));
    align.PlaceItemInset(11, 0.5f, 0.0f, 5.0f, 0.5f, TRUE);
    EXPECT_EQ(ItemRect(11), CRect(150, 20, 195, 50));
    // Measured from the reference's left and top, right and bottom alike.
    align.PlaceItemAt(11, 0.0f, -1.0f, 0.5f, 1.0f, TRUE);
    EXPECT_EQ(ItemRect(11), CRect(100, 20, 150, 80));
    EXPECT_EQ(align.GetItemEdge(11, ALIGN_RIGHT), 150);
    EXPECT_EQ(align.GetItemEdge(11, 10), -1);
}

TEST_F(AlignDlgItemsTest, AligningToControlsAndTheBaseRect) {
    AddChild(11, CRect(10, 10, 50, 30));
    AddChild(12, CRect(10, 40, 30, 50));
    AddChild(13, CRect(10, 60, 40, 70));
    AddChild(21, CRect(100, 5, 120, 15));
    AddChild(22, CRect(130, 5, 140, 15));
    CAlignDlgItems align(&parent);
    // Resizing: only the right side of 11 moves, to 4 pixels right of 21's left side.
    align.AlignItem(11, ALIGN_RIGHT, 4.0f, 21, ALIGN_LEFT, FALSE, FALSE);
    EXPECT_EQ(ItemRect(11), CRect(10, 10, 104, 30));
    // Moving: the right edge goes to the client's right edge less a tenth, the size is kept.
    align.AlignItem(12, ALIGN_RIGHT, -0.1f, 0, ALIGN_RIGHT, FALSE, TRUE);
    EXPECT_EQ(ItemRect(12), CRect(160, 40, 180, 50));
    // Fewer references than ids: the rest align to the first reference.
    const UINT ids[] = {11, 12, 13, 0};
    const UINT refs[] = {22, 21, 0};
    align.AlignItems(ids, ALIGN_TOP, 2.0f, refs, ALIGN_BOTTOM, FALSE, TRUE);
    EXPECT_EQ(ItemRect(11).top, 17);
    EXPECT_EQ(ItemRect(12).top, 17);
    EXPECT_EQ(ItemRect(13), CRect(10, 17, 40, 27));
    // No references: the base rectangle.
    align.SetBaseRect(CRect(0, 50, 200, 90));
    align.AlignItems(ids, ALIGN_BOTTOM, 0.0f, nullptr, ALIGN_BOTTOM, TRUE, FALSE);
    EXPECT_EQ(ItemRect(13), CRect(10, 17, 40, 90));
    align.AlignItemsToItem(ids, ALIGN_LEFT, 0.5f, 0, ALIGN_LEFT, TRUE, TRUE);
    EXPECT_EQ(ItemRect(12).left, 100);
}

TEST_F(AlignDlgItemsTest, DistributingSpreadsTheInnerControls) {
    AddChild(11, CRect(0, 0, 10, 10));
    AddChild(12, CRect(5, 12, 15, 22));
    AddChild(13, CRect(5, 14, 15, 34));
    AddChild(14, CRect(0, 90, 10, 100));
    CAlignDlgItems align(&parent);
    const UINT two[] = {11, 12, 0};
    EXPECT_EQ(align.DistributeItems(two, TRUE), 0.0f);
    EXPECT_EQ(ItemRect(12), CRect(5, 12, 15, 22));
    const UINT four[] = {11, 12, 13, 14, 0};
    // Free space 100 - 50 = 50 over three gaps.
    EXPECT_FLOAT_EQ(align.DistributeItems(four, TRUE), 50.0f / 3.0f);
    EXPECT_EQ(ItemRect(11), CRect(0, 0, 10, 10));
    EXPECT_EQ(ItemRect(12), CRect(5, 26, 15, 36));
    EXPECT_EQ(ItemRect(13), CRect(5, 53, 15, 73));
    EXPECT_EQ(ItemRect(14), CRect(0, 90, 10, 100));
    AddChild(15, CRect(100, 0, 110, 10));
    const UINT across[] = {11, 12, 15, 0};
    EXPECT_FLOAT_EQ(align.DistributeItems(across, FALSE), 40.0f);
    EXPECT_EQ(ItemRect(12), CRect(50, 26, 60, 36));
}

} // namespace
