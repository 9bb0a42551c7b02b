// The calendar joined to the main window: its navigation page, the calendar window of the right
// pane, and the first day of the week the options choose.
#pragma once

#include "calendar/Reminder.h"
#include "shell/ReminderPromptWindows.h"
#include "shell/ShellModule.h"

class CCalendarManagerWnd;
class CScheduleTreeView;

// The reminder's prompt windows, which close with the program.
class CCalendarPromptWindows : public CReminderPromptWindows {
public:
    // Closes the prompts still showing.
    void CloseAll();

protected:
    void OnPromptShown(CPromptInfoWnd* pWnd) override;
    std::vector<HWND> m_shown;
};

class CCalendarModule : public CShellModule, public CReminder::ITimer {
public:
    // The main window's timer that checks the reminders.
    enum { ReminderTimer = 1000 };

    CCalendarModule();
    ~CCalendarModule() override;
    int GetFolder() const override { return FolderCalendar; }
    CRuntimeClass* GetFolderClass() const override;
    void RegisterViews() override;
    void ConnectFrame(CMainFrame* pFrame) override;
    void OnExit(CSmsApp* pApp) override;
    void OnStartWeekDayChanged(int nDay) override;
    // Schedule files open into the tree of the "任务日程" folder.
    std::vector<CString> GetExtensions() const override { return {".sch"}; }
    CDocument* OpenFile(CMainFrame* pFrame, LPCTSTR lpszPath, const CString& ext) override;
    BOOL CloseFiles(CMainFrame* pFrame) override;
    std::vector<CString> GetOpenFiles(const CString& ext) const override;
    // Starts the reminder: it checks on the main window's timer from now on, whether or not
    // the folder was ever opened.
    void OnStartup(CSmsApp* pApp) override;
    void OnFrameTimer(CMainFrame* pFrame, UINT_PTR nIDEvent) override;

    // CReminder::ITimer
    void StartTimer(UINT nPeriod) override;
    void StopTimer() override;

    CReminder& GetReminder() { return m_reminder; }
    CScheduleTreeView* GetScheduleTree() const;

    // The page of the running main window, null when there is none.
    CCalendarManagerWnd* GetPage() const;

private:
    HWND m_hPage = nullptr;
    HWND m_hFrame = nullptr;
    CReminder m_reminder;
    CCalendarPromptWindows m_promptWindows;
};

// Registers the calendar with the shell (once per program).
void RegisterCalendarModule();
