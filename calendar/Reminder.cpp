#include "calendar/Reminder.h"

#include "core/DateTime.h"
#include "platform/base/ModuleDir.h"
#include "platform/sys/Sound.h"

void CReminder::Start() {
    if (m_pTimer != nullptr)
        m_pTimer->StartTimer(m_nPeriod);
}

void CReminder::Stop() {
    if (m_pTimer != nullptr)
        m_pTimer->StopTimer();
}

void CReminder::Check() {
    m_pending.RemoveAll();
    if (m_pSink == nullptr)
        return;
    CDateTime now = CDateTime::GetCurrent();
    m_pSink->GetDuePrompts(m_pending, now);
    for (POSITION pos = m_pending.GetHeadPosition(); pos != nullptr;) {
        const CPrompt& prompt = m_pending.GetNext(pos);
        int nResult = Prompt(prompt);
        m_pSink->OnPromptResult(nResult, prompt.m_pElement);
    }
}

CString CReminder::GetStandardSoundPath() {
    return GetModuleDirectory() + "\\" + kStandardSound;
}

int CReminder::Prompt(const CPrompt& prompt) {
    if (prompt.m_nSound != 0) {
        CString file = prompt.m_nSoundSource < 0 ? prompt.m_strSoundFile : GetStandardSoundPath();
        // No fallback sound: a file that cannot be played stays silent.
        PlaySound(file, nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT);
    }
    if (prompt.m_nPopup < 0)
        return 1;
    if (m_pWindows != nullptr)
        m_pWindows->ShowPromptWindow(prompt.m_strText);
    return 1;
}
