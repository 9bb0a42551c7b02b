// A reminder falling due shows a real prompt window with its text.
#include <QImage>
#include <gtest/gtest.h>

#include "calendar/Reminder.h"
#include "core/DateTime.h"
#include "platform/base/Time.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "shell/PromptInfoWnd.h"
#include "shell/ReminderPromptWindows.h"

namespace {

class OneDuePrompt : public CReminder::ISink {
public:
    int results = 0;
    void GetDuePrompts(CReminder::CPromptList& list, const CDateTime& now) override {
        if (now.m_time.m_nHour < 10)
            return;
        CReminder::CPrompt prompt;
        prompt.m_strText = "任务执行提醒：\n交周报\n执行时间：\n2024- 3-15 10:00";
        list.AddTail(prompt);
    }
    void OnPromptResult(int nResult, CScheduleElement*) override { results += nResult; }
};

class KeptWindows : public CReminderPromptWindows {
public:
    CPromptInfoWnd* shown = nullptr;

protected:
    void OnPromptShown(CPromptInfoWnd* pWnd) override { shown = pWnd; }
};

class ReminderPromptTest : public GuiTest {
protected:
    void TearDown() override { CTime::ResetNowForTesting(); }
};

} // namespace

TEST_F(ReminderPromptTest, ADueReminderShowsItsTextInAPromptWindow) {
    OneDuePrompt sink;
    KeptWindows windows;
    CReminder reminder;
    reminder.SetSink(&sink);
    reminder.SetPromptWindows(&windows);
    struct tm t {};
    t.tm_year = 124, t.tm_mon = 2, t.tm_mday = 15, t.tm_hour = 9, t.tm_min = 59, t.tm_isdst = -1;
    CTime::SetNowForTesting(mktime(&t));
    reminder.Check();
    EXPECT_EQ(windows.shown, nullptr);
    t.tm_hour = 10, t.tm_min = 0;
    CTime::SetNowForTesting(mktime(&t));
    reminder.Check();
    ASSERT_NE(windows.shown, nullptr);
    EXPECT_EQ(sink.results, 1);
    CPromptInfoWnd* prompt = windows.shown;
    HWND hwnd = prompt->m_hWnd;
    // Slid all the way in, as the user sees it.
    while (prompt->GetRunningTimers() == CPromptInfoWnd::TIMER_SLIDE_IN)
        ::SendMessage(hwnd, WM_TIMER, CPromptInfoWnd::TIMER_SLIDE_IN);
    EXPECT_TRUE(prompt->IsWindowVisible());
    std::string path = ScreenPath("reminder-prompt");
    ASSERT_TRUE(prompt->SaveScreenshot(path.c_str()));
    QImage shot(QString::fromStdString(path));
    ASSERT_EQ(shot.size(), QSize(169, 122));
    // Four lines of dark text down the middle of the window.
    int inkedRows = 0;
    for (int y = 5; y < 117; ++y) {
        bool inked = false;
        for (int x = 5; x < 164 && !inked; ++x)
            inked = qGray(shot.pixel(x, y)) < 60;
        inkedRows += inked;
    }
    EXPECT_GT(inkedRows, 30);
    ::SendMessage(hwnd, WM_CLOSE);
}
