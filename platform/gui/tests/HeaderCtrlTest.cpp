#include "NotifyRecorder.h"

#include "platform/gui/HeaderCtrl.h"

#include <QImage>
#include <memory>

namespace {

class HeaderCtrlTest : public GuiTest {
protected:
    CNotifyRecorder parent;
    CHeaderCtrl header;

    void SetUp() override { Make(HDS_BUTTONS | HDS_FULLDRAG | HDS_DRAGDROP); }
    void Make(DWORD style) {
        if (!parent.m_hWnd) {
            ASSERT_TRUE(parent.CreateTop(300, 100));
        }
        ASSERT_TRUE(header.Create(WS_CHILD | WS_VISIBLE | style, CRect(0, 0, 300, 24), &parent, 4));
        for (UINT c :
             {HDN_ITEMCHANGING, HDN_ITEMCHANGED, HDN_ITEMCLICK, HDN_BEGINTRACK, HDN_ENDTRACK,
              HDN_TRACK, HDN_BEGINDRAG, HDN_ENDDRAG, HDN_DIVIDERDBLCLICK, HDN_ITEMDBLCLICK})
            parent.sizes[c] = sizeof(NMHEADER);
        const char* names[] = {"主题", "发件人", "日期"};
        int widths[] = {100, 80, 60};
        for (int i = 0; i < 3; ++i) {
            HDITEM hd{};
            hd.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT | HDI_LPARAM;
            hd.pszText = const_cast<LPSTR>(names[i]);
            hd.cxy = widths[i];
            hd.fmt = HDF_STRING | HDF_LEFT;
            hd.lParam = 10 + i; // the field number a column shows
            ASSERT_EQ(header.SendMessage(HDM_INSERTITEM, (WPARAM)i, (LPARAM)&hd), i);
        }
        parent.notes.clear();
    }
    int Width(int i) {
        HDITEM hd{};
        hd.mask = HDI_WIDTH;
        header.GetItem(i, &hd);
        return hd.cxy;
    }
    void Mouse(UINT msg, int x, WPARAM keys = 0) {
        header.SendMessage(msg, keys, MAKELPARAM(x, 10));
    }
    std::vector<int> Order() {
        std::vector<int> o((size_t)header.GetItemCount());
        header.GetOrderArray(o.data(), (int)o.size());
        return o;
    }
};

TEST_F(HeaderCtrlTest, HitTestFindsItemsAndDividers) {
    HDITEM zero{};
    zero.mask = HDI_WIDTH;
    zero.cxy = 0;
    ASSERT_TRUE(header.SetItem(1, &zero));
    struct Case {
        int x, y;
        int item;
        UINT flags;
    } cases[] = {
        {50, 10, 0, HHT_ONHEADER},     {99, 10, 0, HHT_ONDIVIDER}, {97, 10, 0, HHT_ONDIVIDER},
        {101, 10, 1, HHT_ONDIVOPENED}, // the hidden column opens from the divider's right side
        {130, 10, 2, HHT_ONHEADER},    {250, 10, -1, HHT_TORIGHT}, {50, 40, -1, HHT_BELOW},
    };
    for (auto& c : cases) {
        HDHITTESTINFO hi{{c.x, c.y}, 0, 0};
        EXPECT_EQ(header.SendMessage(HDM_HITTEST, 0, (LPARAM)&hi), c.item) << c.x;
        EXPECT_EQ(hi.flags, c.flags) << c.x;
    }
}

TEST_F(HeaderCtrlTest, DraggingADividerAsksAtEveryStepAndTheParentMayAdjust) {
    // The parent refuses widths below 90 for the first column and trims others.
    parent.handler = [](NMHDR* nm) -> LRESULT {
        if (nm->code != HDN_ITEMCHANGING)
            return 0;
        auto* hn = reinterpret_cast<NMHEADER*>(nm);
        if (hn->iItem == 0 && hn->pitem->cxy < 90) {
            hn->pitem->cxy = 91;
            return TRUE;
        }
        return 0;
    };
    Mouse(WM_LBUTTONDOWN, 100, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, 120, MK_LBUTTON);
    EXPECT_EQ(Width(0), 120);
    Mouse(WM_MOUSEMOVE, 80, MK_LBUTTON);
    EXPECT_EQ(Width(0), 120) << "refused: the width stays";
    Mouse(WM_MOUSEMOVE, 95, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 95);
    EXPECT_EQ(Width(0), 95);
    EXPECT_EQ(parent.Codes(), (std::vector<UINT>{HDN_BEGINTRACK, HDN_ITEMCHANGING, HDN_ITEMCHANGED,
                                                 HDN_ITEMCHANGING, HDN_ITEMCHANGING,
                                                 HDN_ITEMCHANGED, HDN_ENDTRACK}));
    CRect second;
    header.GetItemRect(1, &second);
    EXPECT_EQ(second.left, 95);

    // Refusing the start leaves the divider alone.
    parent.notes.clear();
    parent.answers[HDN_BEGINTRACK] = TRUE;
    Mouse(WM_LBUTTONDOWN, 95, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, 150, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 150);
    EXPECT_EQ(Width(0), 95);
    EXPECT_EQ(parent.Codes(), (std::vector<UINT>{HDN_BEGINTRACK}));
}

TEST_F(HeaderCtrlTest, ReleaseAppliesTheWidthWhenTheLastStepWasRefused) {
    // The parent refuses every other change, as a parent that re-reads the widths after each
    // change does.
    bool refuse = false;
    parent.handler = [&](NMHDR* nm) -> LRESULT {
        if (nm->code != HDN_ITEMCHANGING)
            return 0;
        refuse = !refuse;
        return refuse ? TRUE : 0;
    };
    Mouse(WM_LBUTTONDOWN, 100, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, 130, MK_LBUTTON);
    EXPECT_EQ(Width(0), 100) << "refused";
    Mouse(WM_LBUTTONUP, 130);
    EXPECT_EQ(Width(0), 130);
    EXPECT_EQ(parent.Codes(), (std::vector<UINT>{HDN_BEGINTRACK, HDN_ITEMCHANGING, HDN_ITEMCHANGING,
                                                 HDN_ITEMCHANGED, HDN_ENDTRACK}));

    // A release that is refused too leaves the last accepted width.
    parent.notes.clear();
    parent.handler = [](NMHDR* nm) -> LRESULT { return nm->code == HDN_ITEMCHANGING; };
    Mouse(WM_LBUTTONDOWN, 130, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, 160, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 160);
    EXPECT_EQ(Width(0), 130);
    EXPECT_EQ(parent.Codes().back(), HDN_ENDTRACK);
}

TEST_F(HeaderCtrlTest, WithoutFullDragTheWidthChangesOnRelease) {
    header.ModifyStyle(HDS_FULLDRAG, 0);
    Mouse(WM_LBUTTONDOWN, 180, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, 200, MK_LBUTTON);
    EXPECT_EQ(Width(1), 80);
    Mouse(WM_LBUTTONUP, 200);
    EXPECT_EQ(Width(1), 100);
    EXPECT_EQ(parent.Codes(), (std::vector<UINT>{HDN_BEGINTRACK, HDN_TRACK, HDN_ITEMCHANGING,
                                                 HDN_ITEMCHANGED, HDN_ENDTRACK}));
    EXPECT_EQ(parent.notes[1].As<NMHEADER>().iItem, 1);
}

TEST_F(HeaderCtrlTest, ClicksAndReorderingByDrag) {
    Mouse(WM_LBUTTONDOWN, 130, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 130);
    ASSERT_EQ(parent.Codes(), (std::vector<UINT>{HDN_ITEMCLICK}));
    EXPECT_EQ(parent.notes[0].As<NMHEADER>().iItem, 1);
    Mouse(WM_LBUTTONDBLCLK, 99);
    EXPECT_EQ(parent.Codes().back(), HDN_DIVIDERDBLCLICK);

    // Dragging the third column to the front.
    parent.notes.clear();
    Mouse(WM_LBUTTONDOWN, 220, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, 100, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, 10, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 10);
    EXPECT_EQ(parent.Codes(), (std::vector<UINT>{HDN_BEGINDRAG, HDN_ENDDRAG}));
    EXPECT_EQ(parent.notes[1].As<NMHEADER>().iItem, 2);
    EXPECT_EQ(Order(), (std::vector<int>{2, 0, 1}));
    CRect third;
    header.GetItemRect(2, &third);
    EXPECT_EQ(third.left, 0);
    HDITEM hd{};
    hd.mask = HDI_ORDER | HDI_LPARAM;
    header.GetItem(2, &hd);
    EXPECT_EQ(hd.iOrder, 0);
    EXPECT_EQ(hd.lParam, 12);

    // The parent can refuse where the column lands.
    parent.answers[HDN_ENDDRAG] = TRUE;
    Mouse(WM_LBUTTONDOWN, 130, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, 290, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 290);
    EXPECT_EQ(Order(), (std::vector<int>{2, 0, 1}));

    // Order arrays must name every column once.
    int bad[] = {0, 0, 1};
    EXPECT_FALSE(header.SendMessage(HDM_SETORDERARRAY, 3, (LPARAM)bad));
    int good[] = {1, 2, 0};
    EXPECT_TRUE(header.SendMessage(HDM_SETORDERARRAY, 3, (LPARAM)good));
    EXPECT_EQ(header.OrderToIndex(0), 1);
}

TEST_F(HeaderCtrlTest, DragImageOfAColumnAndDragsThatDoNotReorder) {
    CRect second;
    header.GetItemRect(1, &second);
    std::unique_ptr<CImageList> drag(header.CreateDragImage(1));
    ASSERT_NE(drag, nullptr);
    IMAGEINFO ii{};
    ASSERT_TRUE(drag->GetImageInfo(0, &ii));
    EXPECT_EQ(CRect(ii.rcImage).Size(), second.Size());
    // The column as drawn: its face colour and some darker text.
    QImage img(second.Width(), second.Height(), QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    {
        CDC dc;
        dc.AttachImage(&img);
        drag->Draw(&dc, 0, CPoint(0, 0), ILD_TRANSPARENT);
    }
    int dark = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            dark += qGray(img.pixel(x, y)) < 100;
    EXPECT_GT(dark, 0);
    CImageList byMessage;
    ASSERT_TRUE(byMessage.Attach((HIMAGELIST)header.SendMessage(HDM_CREATEDRAGIMAGE, 0)));
    EXPECT_EQ(byMessage.GetImageCount(), 1);
    EXPECT_EQ(header.CreateDragImage(3), nullptr);
    HDITEM zero{};
    zero.mask = HDI_WIDTH;
    header.SetItem(2, &zero);
    EXPECT_EQ(header.CreateDragImage(2), nullptr) << "nothing to show";

    // A parent refusing the start does the dragging itself: the columns stay.
    parent.notes.clear();
    parent.answers[HDN_BEGINDRAG] = TRUE;
    Mouse(WM_LBUTTONDOWN, 20, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, 150, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 150);
    EXPECT_EQ(parent.Codes(), (std::vector<UINT>{HDN_BEGINDRAG}));
    EXPECT_EQ(Order(), (std::vector<int>{0, 1, 2}));
    // Without HDS_DRAGDROP a press that moves away is no drag and no click.
    parent.answers.clear();
    parent.notes.clear();
    header.ModifyStyle(HDS_DRAGDROP, 0);
    Mouse(WM_LBUTTONDOWN, 20, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, 150, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 150);
    EXPECT_TRUE(parent.Codes().empty());
    EXPECT_EQ(Order(), (std::vector<int>{0, 1, 2}));
}

TEST_F(HeaderCtrlTest, LayoutTakesItsBandOffTheTop) {
    RECT rc{0, 0, 300, 200};
    WINDOWPOS wp{};
    HDLAYOUT layout{&rc, &wp};
    ASSERT_TRUE(header.SendMessage(HDM_LAYOUT, 0, (LPARAM)&layout));
    EXPECT_GT(wp.cy, 10);
    EXPECT_EQ(wp.cx, 300);
    EXPECT_EQ(rc.top, wp.cy);
    // Deleting keeps the other columns' texts and data.
    ASSERT_TRUE(header.DeleteItem(0));
    char buf[16] = {};
    HDITEM hd{};
    hd.mask = HDI_TEXT | HDI_LPARAM;
    hd.pszText = buf;
    hd.cchTextMax = sizeof buf;
    ASSERT_TRUE(header.GetItem(0, &hd));
    EXPECT_STREQ(buf, "发件人");
    EXPECT_EQ(hd.lParam, 11);
    // A short buffer takes whole characters only.
    hd.cchTextMax = 4;
    ASSERT_TRUE(header.GetItem(0, &hd));
    EXPECT_STREQ(buf, "发");
}

// A fully owner-drawn header draws each item through the parent's WM_DRAWITEM.
class DrawingParent : public CNotifyRecorder {
public:
    std::vector<UINT> drawn;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override {
        if (message == WM_DRAWITEM) {
            auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
            EXPECT_EQ(dis->CtlType, (UINT)ODT_HEADER);
            drawn.push_back(dis->itemID);
            CDC::FromHandle(dis->hDC)->FillSolidRect(&dis->rcItem, RGB(0, 0, 200));
            *pResult = TRUE;
            return TRUE;
        }
        return CNotifyRecorder::OnWndMsg(message, wParam, lParam, pResult);
    }
};

TEST_F(HeaderCtrlTest, OwnerDrawnItemsAndSortArrows) {
    DrawingParent owner;
    ASSERT_TRUE(owner.CreateTop(200, 40));
    CHeaderCtrl h;
    ASSERT_TRUE(h.Create(WS_CHILD | WS_VISIBLE | HDS_BUTTONS, CRect(0, 0, 200, 24), &owner, 5));
    HDITEM a{};
    a.mask = HDI_WIDTH | HDI_FORMAT | HDI_TEXT;
    a.cxy = 80;
    a.fmt = HDF_OWNERDRAW;
    a.pszText = const_cast<LPSTR>("图");
    h.InsertItem(0, &a);
    a.fmt = HDF_STRING | HDF_SORTDOWN;
    a.pszText = const_cast<LPSTR>("名称");
    h.InsertItem(1, &a);
    QImage img(200, 24, QImage::Format_RGB32);
    CDC dc;
    dc.AttachImage(&img);
    h.SendMessage(WM_PAINT, (WPARAM)dc.GetSafeHdc(), 0);
    EXPECT_EQ(owner.drawn, (std::vector<UINT>{0}));
    EXPECT_EQ(QColor(img.pixel(40, 12)), QColor(0, 0, 200));
    // The arrow is drawn near the right end of the sorted column.
    bool arrow = false;
    for (int x = 140; x < 160 && !arrow; ++x)
        for (int y = 6; y < 18 && !arrow; ++y)
            arrow = QColor(img.pixel(x, y)) == QColor(AfxQColor(GetSysColor(COLOR_BTNSHADOW)));
    EXPECT_TRUE(arrow);
}

} // namespace
