// The calendar joined to the main window: its navigation page, the calendar window of the right
// pane, and the first day of the week the options choose.
#pragma once

#include "shell/ShellModule.h"

class CCalendarManagerWnd;

class CCalendarModule : public CShellModule {
public:
    int GetFolder() const override { return FolderCalendar; }
    CRuntimeClass* GetFolderClass() const override;
    void RegisterViews() override;
    void ConnectFrame(CMainFrame* pFrame) override;
    void OnExit(CSmsApp* pApp) override;
    void OnStartWeekDayChanged(int nDay) override;

    // The page of the running main window, null when there is none.
    CCalendarManagerWnd* GetPage() const;

private:
    HWND m_hPage = nullptr;
};

// Registers the calendar with the shell (once per program).
void RegisterCalendarModule();
