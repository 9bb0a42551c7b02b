#include "platform/gui/tests/GuiTestSupport.h"
#include "shell/PromptInfoWnd.h"

#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

class CountingListener : public CIPromptInfoWndListener {
public:
    int closed = 0;
    HWND windowAtClose = nullptr;
    CPromptInfoWnd* prompt = nullptr;
    void OnPromptClosed() override {
        ++closed;
        windowAtClose = prompt ? prompt->m_hWnd : nullptr;
        prompt = nullptr; // the owner drops its pointer here
    }
};

class PromptInfoWndTest : public GuiTest {
protected:
    CountingListener listener;
    CPromptInfoWnd* prompt = nullptr;
    HWND hwnd = nullptr;
    void SetUp() override {
        prompt = new CPromptInfoWnd;
        ASSERT_TRUE(prompt->Create());
        hwnd = prompt->m_hWnd;
        listener.prompt = prompt;
        prompt->SetListener(&listener);
        prompt->SetText("您有 3 条新短信。");
    }
    void TearDown() override {
        if (IsWindow(hwnd))
            ::SendMessage(hwnd, WM_CLOSE);
    }
    // The window's timers are driven by hand, one tick at a time: no test waits on a clock.
    void Tick(UINT id) { ::SendMessage(hwnd, WM_TIMER, id); }
};

} // namespace

TEST_F(PromptInfoWndTest, SlidesInFromBelowTheWorkAreaIn41Steps) {
    CRect work;
    SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_FALSE(prompt->IsWindowVisible()); // created hidden
    prompt->ShowPrompt();
    CRect shown = prompt->GetShownRect();
    EXPECT_EQ(shown, CRect(work.right - 169, work.bottom - 122, work.right, work.bottom));
    EXPECT_EQ(prompt->GetCurrentTop(), shown.bottom);
    EXPECT_EQ(prompt->GetRunningTimers(), (UINT)CPromptInfoWnd::TIMER_SLIDE_IN);
    int steps = 0;
    while (prompt->GetRunningTimers() == CPromptInfoWnd::TIMER_SLIDE_IN && steps < 100) {
        Tick(CPromptInfoWnd::TIMER_SLIDE_IN);
        if (prompt->GetRunningTimers() == CPromptInfoWnd::TIMER_SLIDE_IN)
            ++steps;
    }
    EXPECT_EQ(steps, 41);
    EXPECT_EQ(prompt->GetCurrentTop(), shown.top - 1); // the last step overshoots
    EXPECT_EQ(prompt->GetRunningTimers(), (UINT)CPromptInfoWnd::TIMER_HOLD);
    EXPECT_TRUE(prompt->IsWindowVisible());
    EXPECT_TRUE(prompt->GetExStyle() & WS_EX_TOPMOST);
    CRect wr;
    prompt->GetWindowRect(&wr);
    EXPECT_EQ(wr.Width(), 169);
    EXPECT_EQ(wr.Height(), 122);
}

TEST_F(PromptInfoWndTest, ClickDuringTheHoldSlidesOutAtOnceAndAgainChangesNothing) {
    prompt->ShowPrompt();
    while (prompt->GetRunningTimers() == CPromptInfoWnd::TIMER_SLIDE_IN)
        Tick(CPromptInfoWnd::TIMER_SLIDE_IN);
    ASSERT_EQ(prompt->GetRunningTimers(), (UINT)CPromptInfoWnd::TIMER_HOLD);
    QTest::mouseClick(prompt->GetWidget(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_EQ(prompt->GetRunningTimers(), (UINT)CPromptInfoWnd::TIMER_SLIDE_OUT);
    int top = prompt->GetCurrentTop();
    Tick(CPromptInfoWnd::TIMER_SLIDE_OUT);
    EXPECT_EQ(prompt->GetCurrentTop(), top + 3);
    QTest::mouseClick(prompt->GetWidget(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_EQ(prompt->GetRunningTimers(), (UINT)CPromptInfoWnd::TIMER_SLIDE_OUT);
    EXPECT_EQ(prompt->GetCurrentTop(), top + 3);
}

TEST_F(PromptInfoWndTest, ClickBeforeShowingOrAfterTheEndDoesNothing) {
    QTest::mouseClick(prompt->GetWidget(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_EQ(prompt->GetRunningTimers(), 0u);
}

TEST_F(PromptInfoWndTest, HoldThenSlideOutThenTheListenerHearsOnceAfterTheWindowIsGone) {
    prompt->ShowPrompt();
    while (prompt->GetRunningTimers() == CPromptInfoWnd::TIMER_SLIDE_IN)
        Tick(CPromptInfoWnd::TIMER_SLIDE_IN);
    Tick(CPromptInfoWnd::TIMER_HOLD);
    ASSERT_EQ(prompt->GetRunningTimers(), (UINT)CPromptInfoWnd::TIMER_SLIDE_OUT);
    int bottom = prompt->GetShownRect().bottom;
    while (prompt->GetRunningTimers() == CPromptInfoWnd::TIMER_SLIDE_OUT)
        Tick(CPromptInfoWnd::TIMER_SLIDE_OUT);
    EXPECT_GE(prompt->GetCurrentTop(), bottom);
    EXPECT_EQ(listener.closed, 0); // the close message is posted, not sent
    ASSERT_TRUE(QTest::qWaitFor([&] { return listener.closed > 0; }, 2000));
    EXPECT_EQ(listener.closed, 1);
    EXPECT_EQ(listener.windowAtClose, nullptr); // told after the window was gone
    EXPECT_FALSE(IsWindow(hwnd));
    QTest::qWait(20);
    EXPECT_EQ(listener.closed, 1);
}

TEST_F(PromptInfoWndTest, ShowingAgainRestartsTheSlideFromTheBottom) {
    prompt->ShowPrompt();
    for (int i = 0; i < 10; ++i)
        Tick(CPromptInfoWnd::TIMER_SLIDE_IN);
    prompt->ShowPrompt();
    EXPECT_EQ(prompt->GetCurrentTop(), prompt->GetShownRect().bottom);
    EXPECT_EQ(prompt->GetRunningTimers(), (UINT)CPromptInfoWnd::TIMER_SLIDE_IN);
}

TEST_F(PromptInfoWndTest, PaintsAGradientAndTheTextCentred) {
    prompt->ShowPrompt();
    std::string path = ScreenPath("prompt-window");
    ASSERT_TRUE(prompt->SaveScreenshot(path.c_str()));
    QImage shot(QString::fromStdString(path));
    ASSERT_EQ(shot.size(), QSize(169, 122));
    // White at the top fading to the blue at the bottom.
    QColor top(shot.pixel(2, 1)), bottom(shot.pixel(2, 120));
    EXPECT_GT(top.red(), 240);
    EXPECT_LT(bottom.red(), 80);
    EXPECT_GT(bottom.blue(), 230);
    // Black text somewhere in the middle band, none in the corners.
    bool inked = false;
    for (int y = 40; y < 80 && !inked; ++y)
        for (int x = 5; x < 164 && !inked; ++x)
            inked = qGray(shot.pixel(x, y)) < 60;
    EXPECT_TRUE(inked);
}

// A titled notice (the phone's outcomes): the title at the top in its kind's colour, the text
// below it.
TEST_F(PromptInfoWndTest, ATitleStandsAboveTheTextInTheColourOfItsKind) {
    prompt->SetTitle("开启失败", CPromptInfoWnd::KIND_ERROR);
    prompt->SetText("没有成功开启移动设备。\n请检查移动设备是否已经与电脑正确连接。");
    prompt->SetHoldTime(15000);
    prompt->ShowPrompt();
    std::string path = ScreenPath("phone-prompt-failed");
    ASSERT_TRUE(prompt->SaveScreenshot(path.c_str()));
    QImage shot(QString::fromStdString(path));
    auto rows = [&](int from, int to, auto pred) {
        for (int y = from; y < to; ++y)
            for (int x = 5; x < shot.width() - 5; ++x)
                if (pred(QColor(shot.pixel(x, y))))
                    return true;
        return false;
    };
    auto red = [](const QColor& c) { return c.red() > 150 && c.green() < 60 && c.blue() < 60; };
    auto black = [](const QColor& c) { return qGray(c.rgb()) < 60; };
    EXPECT_TRUE(rows(3, 25, red)) << "the title, red for a failure";
    EXPECT_FALSE(rows(3, 25, black)) << "no text over the title";
    EXPECT_FALSE(rows(30, 117, red)) << "the title only once, at the top";
    EXPECT_TRUE(rows(30, 117, black)) << "the text below";
}
