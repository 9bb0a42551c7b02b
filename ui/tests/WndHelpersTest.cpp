#include "platform/gui/Frame.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "ui/BufferDC.h"
#include "ui/WndHelpers.h"

#include <QImage>

namespace {

class WndHelpersTest : public GuiTest {
protected:
    CWnd top, child, grandchild, stranger;
    void SetUp() override {
        ASSERT_TRUE(top.CreateEx(0, nullptr, "top", WS_POPUP, CRect(0, 0, 200, 100), nullptr, 0));
        ASSERT_TRUE(
            child.CreateEx(0, nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 50), &top, 11));
        ASSERT_TRUE(grandchild.CreateEx(0, nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 50, 20),
                                        &child, 12));
        ASSERT_TRUE(stranger.CreateEx(0, nullptr, "", WS_CHILD | WS_VISIBLE, CRect(100, 0, 150, 20),
                                      &top, 13));
    }
};

TEST_F(WndHelpersTest, ParentDepth) {
    struct Row {
        CWnd *ancestor, *wnd;
        int limit, depth;
    } rows[] = {
        {&top, &top, 0, 0},          {&top, &child, 0, 1},           {&top, &grandchild, 0, 2},
        {&child, &grandchild, 0, 1}, {&stranger, &grandchild, 0, 0}, {&top, &grandchild, 1, 0},
        {&top, &grandchild, 2, 2},   {&grandchild, &top, 0, 0},
    };
    for (const Row& r : rows)
        EXPECT_EQ(GetParentDepth(r.ancestor->m_hWnd, r.wnd->m_hWnd, r.limit), r.depth)
            << r.limit << " " << r.depth;
    EXPECT_EQ(GetParentDepth(top.m_hWnd, nullptr, 0), 0);
}

TEST_F(WndHelpersTest, GroupsOfControlsSkipMissingIds) {
    const UINT ids[] = {11, 99, 13, 0};
    EnableDlgItems(&top, ids, FALSE);
    EXPECT_FALSE(child.IsWindowEnabled());
    EXPECT_FALSE(stranger.IsWindowEnabled());
    EnableDlgItems(&top, ids, TRUE);
    EXPECT_TRUE(child.IsWindowEnabled());
    ShowDlgItems(&top, ids, SW_HIDE);
    EXPECT_FALSE(child.GetStyle() & WS_VISIBLE);
    EXPECT_FALSE(stranger.GetStyle() & WS_VISIBLE);
    const UINT none[] = {0};
    ShowDlgItems(&top, none, SW_SHOW);
    EXPECT_FALSE(child.GetStyle() & WS_VISIBLE);
}

// A window that updates command 501, handles 502 without updating it and knows nothing of 503.
class CMenuOwner : public CWnd {
public:
    void OnUpdate501(CCmdUI* pCmdUI) {
        pCmdUI->Enable(TRUE);
        pCmdUI->SetCheck(1);
        pCmdUI->SetText("已更新");
    }
    void On502() {}
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CMenuOwner, CWnd)
ON_UPDATE_COMMAND_UI(501, &CMenuOwner::OnUpdate501)
ON_COMMAND(502, &CMenuOwner::On502)
END_MESSAGE_MAP()

TEST_F(WndHelpersTest, MenuItemsFollowTheTargetsHandlers) {
    CMenuOwner owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    CMenu menu, sub;
    ASSERT_TRUE(menu.CreatePopupMenu());
    ASSERT_TRUE(sub.CreatePopupMenu());
    menu.AppendMenu(MF_STRING | MF_GRAYED, 501, "旧");
    menu.AppendMenu(MF_SEPARATOR, 0, (LPCTSTR) nullptr);
    menu.AppendMenu(MF_STRING, 502, "打开");
    menu.AppendMenu(MF_STRING, 503, "无人处理");
    menu.AppendMenu(MF_POPUP, (UINT_PTR)sub.Detach(), "子菜单");
    UpdateMenuItemsUI(&owner, &menu);
    EXPECT_FALSE(menu.GetMenuState(0, MF_BYPOSITION) & MF_GRAYED);
    EXPECT_TRUE(menu.GetMenuState(0, MF_BYPOSITION) & MF_CHECKED);
    CString text;
    menu.GetMenuString(0, text, MF_BYPOSITION);
    EXPECT_EQ(text, "已更新");
    EXPECT_FALSE(menu.GetMenuState(2, MF_BYPOSITION) & MF_GRAYED);
    EXPECT_TRUE(menu.GetMenuState(3, MF_BYPOSITION) & MF_GRAYED);
    EXPECT_FALSE(menu.GetMenuState(4, MF_BYPOSITION) & MF_GRAYED) << "a submenu is left alone";
    owner.DestroyWindow();
}

TEST(WndHelpers, FieldMaskSetIsEmptyOnlyWithoutAnyBit) {
    DWORD masks[5] = {0, 0, 0, 0, 0};
    EXPECT_TRUE(IsFieldMaskSetEmpty(masks));
    masks[4] = 0x80000000u;
    EXPECT_FALSE(IsFieldMaskSetEmpty(masks));
}

TEST_F(WndHelpersTest, BufferedDrawingLandsAtTheAreaOnFlush) {
    QImage img(60, 40, QImage::Format_RGB32);
    img.fill(Qt::white);
    CDC target;
    ASSERT_TRUE(target.AttachImage(&img));
    CRect area(20, 10, 50, 30);
    {
        CBufferDC dc(&target, &top, &area);
        dc.FillSolidRect(0, 0, 30, 20, RGB(255, 0, 0));
        dc.FillSolidRect(0, 0, 5, 5, RGB(0, 0, 255));
        EXPECT_EQ(img.pixel(25, 15), qRgb(255, 255, 255)) << "nothing shows before the flush";
        dc.Flush();
    }
    EXPECT_EQ(img.pixel(22, 12), qRgb(0, 0, 255)) << "the surface's origin is the area's corner";
    EXPECT_EQ(img.pixel(45, 25), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(10, 5), qRgb(255, 255, 255)) << "outside the area";
    EXPECT_EQ(img.pixel(55, 35), qRgb(255, 255, 255));

    CBufferDC whole(&target, &top);
    EXPECT_EQ(whole.GetArea(), CRect(0, 0, 200, 100)) << "no area: the client rectangle";
}

} // namespace
