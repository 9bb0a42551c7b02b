#include "platform/base/Types.h"

#include <gtest/gtest.h>

TEST(Types, StoredIntegersKeepTheirWidths) {
    EXPECT_EQ(sizeof(DWORD), 4u);
    EXPECT_EQ(sizeof(WORD), 2u);
    EXPECT_EQ(sizeof(LONG), 4u);
    EXPECT_EQ(sizeof(LPARAM), sizeof(void*));
    EXPECT_EQ(sizeof(DWORD_PTR), sizeof(void*));
}

TEST(Types, WordAndColourMacros) {
    EXPECT_EQ(MAKELONG(0x1234, 0xABCD), (LONG)0xABCD1234);
    EXPECT_EQ(LOWORD(0xABCD1234u), 0x1234);
    EXPECT_EQ(HIWORD(0xABCD1234u), 0xABCD);
    COLORREF c = RGB(1, 2, 3);
    EXPECT_EQ(c, 0x030201u);
    EXPECT_EQ(GetRValue(c), 1);
    EXPECT_EQ(GetGValue(c), 2);
    EXPECT_EQ(GetBValue(c), 3);
}

TEST(Types, RectIntersectionAndUnion) {
    CRect a(0, 0, 10, 10), b(5, 5, 20, 20), c(30, 30, 40, 40);
    EXPECT_EQ(a & b, CRect(5, 5, 10, 10));
    EXPECT_EQ(a | b, CRect(0, 0, 20, 20));
    CRect none;
    EXPECT_FALSE(none.IntersectRect(&a, &c));
    EXPECT_TRUE(none.IsRectNull());
    EXPECT_TRUE(a.PtInRect(CPoint(0, 0)));
    EXPECT_FALSE(a.PtInRect(CPoint(10, 5)));
}
