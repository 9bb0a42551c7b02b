// The main window's side of the reminder's prompts: each prompt is a new slide-in notice at the
// bottom right of the screen, which closes and deletes itself.
#pragma once

#include "calendar/Reminder.h"

class CPromptInfoWnd;

class CReminderPromptWindows : public CReminder::IPromptWindows {
public:
    BOOL ShowPromptWindow(LPCTSTR lpszText) override;

protected:
    // Each window as it starts to show; nothing keeps it after this.
    virtual void OnPromptShown(CPromptInfoWnd* /*pWnd*/) {}
};
