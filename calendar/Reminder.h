// The reminder: on every tick of a periodic timer it asks its sink for the prompts due now,
// gives each (a sound, a small window) and reports the outcome back. It owns no schedule data
// and no window: the owner supplies the timer and the prompt windows.
#pragma once

#include "platform/base/Collections.h"
#include "platform/base/CString.h"
#include "platform/base/Types.h"

class CDateTime;
class CScheduleElement;

class CReminder {
public:
    class CPrompt {
    public:
        CScheduleElement* m_pElement = nullptr; // handed back to the sink
        int m_nPopup = 0;                       // below 0: no window
        int m_nSound = 0;                       // non-zero: a sound
        int m_nSoundSource = 0;                 // below 0: m_strSoundFile; else the standard sound
        CString m_strText;
        CString m_strSoundFile;
    };
    typedef CList<CPrompt, const CPrompt&> CPromptList;

    class ISink {
    public:
        virtual ~ISink() = default;
        // Appends the prompts due at `now`.
        virtual void GetDuePrompts(CPromptList& list, const CDateTime& now) = 0;
        virtual void OnPromptResult(int nResult, CScheduleElement* pElement) = 0;
    };
    class ITimer {
    public:
        virtual ~ITimer() = default;
        // A timer of the given period that calls Check on every tick.
        virtual void StartTimer(UINT nPeriod) = 0;
        virtual void StopTimer() = 0;
    };
    // Opens one prompt window with the text; FALSE when it could not be made. The windows close
    // by themselves: the reminder keeps no pointer to any of them.
    class IPromptWindows {
    public:
        virtual ~IPromptWindows() = default;
        virtual BOOL ShowPromptWindow(LPCTSTR lpszText) = 0;
    };

    static constexpr UINT kCheckPeriod = 5000;
    static constexpr const char* kStandardSound = "Sound\\WAVE0025.wav";

    CReminder() : m_pending(10) {}
    virtual ~CReminder() = default;
    CReminder(const CReminder&) = delete;
    CReminder& operator=(const CReminder&) = delete;

    void SetSink(ISink* pSink) { m_pSink = pSink; }
    void SetTimerOwner(ITimer* pTimer) { m_pTimer = pTimer; }
    void SetPromptWindows(IPromptWindows* pWindows) { m_pWindows = pWindows; }
    UINT GetPeriod() const { return m_nPeriod; }

    void Start();
    void Stop();
    // One tick: collect the prompts due now and give them.
    virtual void Check();
    virtual BOOL IsEnabled() { return TRUE; }
    // Plays the sound and opens the window the prompt asks for; answers 1.
    virtual int Prompt(const CPrompt& prompt);

    const CPromptList& GetPending() const { return m_pending; }
    BOOL IsChecking() const { return m_bChecking; }
    // The full path of the standard reminder sound in the program folder.
    static CString GetStandardSoundPath();

private:
    UINT m_nPeriod = kCheckPeriod;
    BOOL m_bChecking = FALSE;
    CPromptList m_pending;
    ISink* m_pSink = nullptr;
    ITimer* m_pTimer = nullptr;
    IPromptWindows* m_pWindows = nullptr;
};
