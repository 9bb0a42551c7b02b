#include "platform/gui/tests/GuiTestSupport.h"
#include "ui/ContentView.h"
#include "ui/tests/TestImages.h"

#include <QDir>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

// The owner: keeps the notifications it gets.
class OwnerWnd : public CWnd {
public:
    std::vector<std::pair<WPARAM, LPARAM>> notes;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_CONTENTVIEW_NOTIFY)
            notes.push_back({wParam, lParam});
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

class CountedContentView : public CContentView {
public:
    explicit CountedContentView(bool* pDeleted) : m_pDeleted(pDeleted) {}
    ~CountedContentView() override { *m_pDeleted = true; }

private:
    bool* m_pDeleted;
};

const char* const kNames[] = {"张三", "李四", "王五", "赵六", "孙七", "周八", "吴九", "郑十"};

class ContentViewTest : public GuiTest {
protected:
    OwnerWnd owner;
    CContentView* view = nullptr; // deletes itself with its window
    CImageList icons, rows;

    void SetUp() override {
        ASSERT_TRUE(owner.CreateEx(0, nullptr, "通讯组", WS_POPUP | WS_VISIBLE,
                                   CRect(100, 100, 240, 360), nullptr, 0));
        MakeFigureImageList(icons, 32, 6);
        MakeFigureImageList(rows, 16, 6);
        view = new CContentView;
        ASSERT_TRUE(view->Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 140, 260), &owner, 1));
        view->SetImageList(&icons, 1);
        view->SetImageList(&rows, 0);
        owner.SetForegroundWindow();
    }
    void TearDown() override {
        if (owner.m_hWnd != nullptr)
            owner.DestroyWindow();
    }
    void Fill(int n) {
        for (int i = 0; i < n; ++i)
            view->AddItem(i % 6, i % 6, kNames[i % 8], (void*)(INT_PTR)(i + 1));
    }
    LRESULT Mouse(UINT message, CPoint pt, WPARAM keys = 0) {
        return view->SendMessage(message, keys, MAKELPARAM(pt.x, pt.y));
    }
    void Click(CPoint pt) {
        Mouse(WM_LBUTTONDOWN, pt, MK_LBUTTON);
        Mouse(WM_LBUTTONUP, pt);
    }
    int Hit(CPoint pt) {
        int index = -2;
        int hit = view->HitTest(pt, &index);
        return hit * 100 + index;
    }
    static int Side() { return GetSystemMetrics(SM_CXVSCROLL); }
};

} // namespace

TEST_F(ContentViewTest, ItemsSitInTheirLayoutAndHitTestsFindImagesCaptionsAndButtons) {
    Fill(16);
    CRect content;
    view->GetContentRect(&content);
    EXPECT_EQ(content, CRect(5, 5, 135, 260));
    struct Case {
        BOOL icon;
        int first; // rows scrolled
        int index;
        CRect image;
    } cases[] = {
        {TRUE, 0, 0, CRect(54, 5, 86, 37)},   {TRUE, 0, 2, CRect(54, 109, 86, 141)},
        {TRUE, 2, 2, CRect(54, 5, 86, 37)},   {FALSE, 0, 0, CRect(5, 5, 21, 21)},
        {FALSE, 0, 3, CRect(5, 68, 21, 84)},  {FALSE, 1, 3, CRect(5, 47, 21, 63)},
    };
    for (const Case& c : cases) {
        view->SetIconLayout(c.icon);
        view->ScrollLines(view->GetFirstVisible(), FALSE, FALSE);
        view->ScrollLines(c.first, TRUE, FALSE);
        SCOPED_TRACE(testing::Message() << c.icon << " " << c.first << " " << c.index);
        EXPECT_EQ(view->GetImageRect(c.index), c.image);
        CRect caption = view->GetCaptionRect(c.index);
        if (c.icon) {
            EXPECT_EQ(caption.top, c.image.bottom + 3);
            EXPECT_NEAR(caption.CenterPoint().x, content.CenterPoint().x, 1);
        } else {
            EXPECT_EQ(caption.left, c.image.right + 2);
            EXPECT_NEAR(caption.CenterPoint().y, c.image.CenterPoint().y, 1);
        }
        EXPECT_EQ(Hit(c.image.CenterPoint()), 100 + c.index);
        EXPECT_EQ(Hit(caption.CenterPoint()), 200 + c.index);
    }
    // Background, and the buttons in the content's right-hand corners.
    view->SetIconLayout(TRUE);
    view->ScrollLines(1, TRUE, FALSE);
    ASSERT_TRUE(view->IsUpButtonShown());
    ASSERT_TRUE(view->IsDownButtonShown());
    EXPECT_EQ(view->GetUpButtonRect(), CRect(135 - Side(), 5, 135, 5 + Side()));
    EXPECT_EQ(view->GetDownButtonRect(), CRect(135 - Side(), 255 - Side(), 135, 255));
    EXPECT_EQ(Hit(CPoint(10, 30)), -1);
    EXPECT_EQ(Hit(view->GetUpButtonRect().CenterPoint()), 300 - 1);
    EXPECT_EQ(Hit(view->GetDownButtonRect().CenterPoint()), 400 - 1);
}

TEST_F(ContentViewTest, WithoutAnImageListItemsHaveNoSizeAndNoClickHitsThem) {
    view->SetImageList(nullptr, 0);
    view->SetImageList(nullptr, 1);
    Fill(3);
    EXPECT_EQ(view->GetItemSize(), CSize(0, 0));
    for (BOOL icon : {FALSE, TRUE}) {
        view->SetIconLayout(icon);
        for (CPoint pt : {CPoint(5, 5), CPoint(8, 8), CPoint(70, 10), CPoint(20, 30)}) {
            EXPECT_EQ(Hit(pt), -1) << pt.x << "," << pt.y;
            Click(pt);
        }
    }
    EXPECT_EQ(view->GetCurSel(), -1);
    EXPECT_TRUE(owner.notes.empty());
    // An empty list is no better than none.
    CImageList empty;
    empty.Create(32, 32, ILC_COLOR32 | ILC_MASK, 0, 0);
    view->SetImageList(&empty, 1);
    EXPECT_EQ(view->GetItemSize(), CSize(0, 0));
}

TEST_F(ContentViewTest, InsertClampsTheIndexAndSelectionClampsAndTellsTheOwner) {
    Fill(5);
    struct Case {
        int index;
        int expected;
    } inserts[] = {{-3, 0}, {99, 6}, {2, 2}};
    for (const Case& c : inserts)
        EXPECT_EQ(view->InsertItem(c.index, 0, 0, "新", nullptr), c.expected) << c.index;
    EXPECT_EQ(view->GetItemCount(), 8);
    EXPECT_EQ(CString(view->GetItem(0)->strCaption), "新");
    EXPECT_EQ(CString(view->GetItem(1)->strCaption), "张三");
    EXPECT_EQ(view->GetItem(8), nullptr);
    EXPECT_EQ(view->GetItem(-1), nullptr);
    EXPECT_EQ(view->GetItemData(8), nullptr);

    // Index 9 of 8 selects the last one; the owner hears new and old in one word.
    EXPECT_EQ(view->SetCurSel(9), -1);
    EXPECT_EQ(view->GetCurSel(), 7);
    ASSERT_EQ(owner.notes.size(), 1u);
    EXPECT_EQ(owner.notes[0].first, (WPARAM)CContentView::NotifySelChanged);
    EXPECT_EQ(owner.notes[0].second, (LPARAM)((7 << 16) | 0xFFFF));
    // The same selection again says nothing.
    EXPECT_EQ(view->SetCurSel(7), 7);
    EXPECT_EQ(owner.notes.size(), 1u);
    EXPECT_EQ(view->SetCurSel(3), 7);
    EXPECT_EQ(owner.notes.back().second, (LPARAM)((3 << 16) | 7));
    // An item inserted above keeps the selection on its item.
    void* selected = view->GetItemData(3);
    view->InsertItem(0, 0, 0, "又一个", nullptr);
    EXPECT_EQ(view->GetCurSel(), 4);
    EXPECT_EQ(view->GetItemData(4), selected);
}

TEST_F(ContentViewTest, CaptionsOutliveTheTextsTheyWereMadeFrom) {
    // A contact renamed or deleted while shown: the text handed in changes or goes away.
    auto name = std::make_unique<CString>("欧阳修");
    view->AddItem(0, 0, *name, nullptr);
    CString renamed("司马光");
    view->AddItem(1, 1, renamed, nullptr);
    name.reset();
    renamed = "改了名字的联系人";
    EXPECT_EQ(CString(view->GetItem(0)->strCaption), "欧阳修");
    EXPECT_EQ(CString(view->GetItem(1)->strCaption), "司马光");
    // Painting and hit testing read the captions.
    view->SetIconLayout(TRUE);
    EXPECT_TRUE(view->GetCaptionRect(0).Width() > 0);
    view->UpdateWindow();
    Pump();
}

TEST_F(ContentViewTest, HeldArrowButtonsScrollEveryTickAndStopAtTheEnd) {
    Fill(8);
    view->SetIconLayout(TRUE); // five rows fit
    EXPECT_FALSE(view->IsUpButtonShown());
    EXPECT_TRUE(view->IsDownButtonShown());
    CPoint down = view->GetDownButtonRect().CenterPoint();
    Mouse(WM_LBUTTONDOWN, down, MK_LBUTTON);
    EXPECT_EQ(view->GetFirstVisible(), 1);
    EXPECT_TRUE(view->IsDownButtonPushed());
    EXPECT_TRUE(view->IsAutoScrolling());
    EXPECT_TRUE(WaitFor([&] { return CWnd::GetFocus() == view; }));
    // The ticks of the 200 ms timer, sent here so the test needs not wait for them.
    std::vector<int> firsts;
    for (int i = 0; i < 4; ++i) {
        view->SendMessage(WM_TIMER, CContentView::TimerAutoScroll);
        firsts.push_back(view->GetFirstVisible());
    }
    EXPECT_EQ(firsts, (std::vector<int>{2, 3, 3, 3}));
    // At the end the down button went away, lost its pushed look and the timer stopped.
    EXPECT_FALSE(view->IsDownButtonShown());
    EXPECT_FALSE(view->IsDownButtonPushed());
    EXPECT_FALSE(view->IsAutoScrolling());
    EXPECT_TRUE(view->IsUpButtonShown());
    Mouse(WM_LBUTTONUP, down);

    // The up button, released before the end: the timer stops with the release.
    CPoint up = view->GetUpButtonRect().CenterPoint();
    Mouse(WM_LBUTTONDOWN, up, MK_LBUTTON);
    EXPECT_EQ(view->GetFirstVisible(), 2);
    EXPECT_TRUE(view->IsUpButtonPushed());
    Mouse(WM_LBUTTONUP, up);
    EXPECT_FALSE(view->IsUpButtonPushed());
    EXPECT_FALSE(view->IsAutoScrolling());
    // Another window taking the mouse ends the hold as a release would.
    Mouse(WM_LBUTTONDOWN, up, MK_LBUTTON);
    ASSERT_TRUE(view->IsAutoScrolling());
    owner.SetCapture();
    EXPECT_FALSE(view->IsUpButtonPushed());
    EXPECT_FALSE(view->IsAutoScrolling());
    ReleaseCapture();
    EXPECT_EQ(view->GetFirstVisible(), 1);
    view->ScrollLines(1, TRUE, FALSE);
    view->SendMessage(WM_TIMER, CContentView::TimerAutoScroll);
    EXPECT_EQ(view->GetFirstVisible(), 2);

    // Wheel, keys, and a downward step limited to what is left below.
    struct Step {
        UINT message;
        WPARAM wParam;
        int first;
    } steps[] = {
        {WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 1},  {WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)-240), 3},
        {WM_KEYDOWN, VK_PRIOR, 0},              {WM_KEYDOWN, VK_NEXT, 3},
        {WM_KEYDOWN, VK_UP, 2},                 {WM_KEYDOWN, VK_DOWN, 3},
        {WM_KEYDOWN, VK_DOWN, 3},
    };
    for (const Step& s : steps) {
        view->SendMessage(s.message, s.wParam, 0);
        EXPECT_EQ(view->GetFirstVisible(), s.first) << s.message << " " << s.wParam;
    }
    EXPECT_EQ(view->ScrollLines(10, FALSE, TRUE), 3);
    EXPECT_EQ(view->ScrollLines(10, TRUE, TRUE), 3);
    // The selection never follows the keys.
    EXPECT_EQ(view->GetCurSel(), -1);

    // A taller window: the rows left empty at the bottom pull the items down.
    view->MoveWindow(0, 0, 140, 420);
    EXPECT_EQ(view->GetFirstVisible(), 0);
    EXPECT_FALSE(view->IsUpButtonShown());
    EXPECT_FALSE(view->IsDownButtonShown());
    view->MoveWindow(0, 0, 140, 260);
    view->ScrollLines(2, TRUE, FALSE);
    Mouse(WM_LBUTTONDOWN, view->GetDownButtonRect().CenterPoint(), MK_LBUTTON);
    view->DeleteAllItems();
    EXPECT_EQ(view->GetFirstVisible(), 0);
    EXPECT_FALSE(view->IsUpButtonShown());
    EXPECT_FALSE(view->IsDownButtonShown());
    EXPECT_FALSE(view->IsDownButtonPushed());
    EXPECT_FALSE(view->IsAutoScrolling());
    Mouse(WM_LBUTTONUP, CPoint(1, 1));
}

TEST_F(ContentViewTest, ClicksSelectImagesDoubleClicksActivateAndTheHotItemFollowsTheMouse) {
    Fill(4);
    view->SetIconLayout(TRUE);
    // A caption selects nothing; an image selects its item.
    Click(view->GetCaptionRect(1).CenterPoint());
    EXPECT_EQ(view->GetCurSel(), -1);
    Click(view->GetImageRect(1).CenterPoint());
    EXPECT_EQ(view->GetCurSel(), 1);
    ASSERT_EQ(owner.notes.size(), 1u);
    EXPECT_EQ(owner.notes[0].second, (LPARAM)((1 << 16) | 0xFFFF));
    Mouse(WM_LBUTTONDBLCLK, view->GetImageRect(1).CenterPoint(), MK_LBUTTON);
    Mouse(WM_LBUTTONUP, view->GetImageRect(1).CenterPoint());
    ASSERT_EQ(owner.notes.size(), 2u);
    EXPECT_EQ(owner.notes[1], std::make_pair((WPARAM)CContentView::NotifyActivated, (LPARAM)1));
    // A double click on a caption activates nothing.
    Mouse(WM_LBUTTONDBLCLK, view->GetCaptionRect(2).CenterPoint(), MK_LBUTTON);
    Mouse(WM_LBUTTONUP, view->GetCaptionRect(2).CenterPoint());
    EXPECT_EQ(owner.notes.size(), 2u);

    // Hot tracking: over an image only, and not while a button is held.
    Mouse(WM_MOUSEMOVE, view->GetImageRect(2).CenterPoint());
    EXPECT_EQ(view->GetHotItem(), 2);
    Mouse(WM_MOUSEMOVE, view->GetCaptionRect(2).CenterPoint());
    EXPECT_EQ(view->GetHotItem(), -1);
    Mouse(WM_LBUTTONDOWN, CPoint(8, 250), MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, view->GetImageRect(0).CenterPoint(), MK_LBUTTON);
    EXPECT_EQ(view->GetHotItem(), -1);
    Mouse(WM_LBUTTONUP, view->GetImageRect(0).CenterPoint());
    Mouse(WM_MOUSEMOVE, view->GetImageRect(0).CenterPoint());
    EXPECT_EQ(view->GetHotItem(), 0);

    // The right button: down takes the focus, a double click switches the layout.
    owner.SetFocus();
    Mouse(WM_RBUTTONDOWN, CPoint(8, 8), MK_RBUTTON);
    Mouse(WM_RBUTTONUP, CPoint(8, 8));
    EXPECT_TRUE(WaitFor([&] { return CWnd::GetFocus() == view; }));
    Mouse(WM_RBUTTONDBLCLK, CPoint(8, 8), MK_RBUTTON);
    EXPECT_FALSE(view->IsIconLayout());
    EXPECT_EQ(view->GetImageList(), &rows);
}

TEST_F(ContentViewTest, TheObjectGoesAwayWithItsWindow) {
    bool deleted = false;
    auto* counted = new CountedContentView(&deleted);
    ASSERT_TRUE(counted->Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 50, 50), &owner, 2));
    counted->AddItem(0, 0, "临时", nullptr);
    counted->DestroyWindow();
    EXPECT_TRUE(deleted);
    // With its parent as well.
    deleted = false;
    counted = new CountedContentView(&deleted);
    ASSERT_TRUE(counted->Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 50, 50), &owner, 2));
    owner.DestroyWindow();
    EXPECT_TRUE(deleted);
}

TEST_F(ContentViewTest, ScreenshotsOfBothLayoutsWithHotSelectedAndBothButtons) {
    QDir().mkpath(QUILLMAR_SCREENS_DIR);
    for (BOOL icon : {TRUE, FALSE}) {
        view->DeleteAllItems();
        Fill(icon ? 8 : 16);
        view->SetIconLayout(icon);
        view->ScrollLines(1, TRUE, FALSE);
        ASSERT_TRUE(view->IsUpButtonShown());
        ASSERT_TRUE(view->IsDownButtonShown());
        view->SetCurSel(2);
        Mouse(WM_MOUSEMOVE, view->GetImageRect(3).CenterPoint());
        ASSERT_EQ(view->GetHotItem(), 3);
        Pump();
        ASSERT_TRUE(owner.SaveScreenshot(
            ScreenPath(icon ? "content-view-icons" : "content-view-rows").c_str()));
    }
}
