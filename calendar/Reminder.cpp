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
    // A tick that comes while the prompts are given (a prompt or its outcome may run a message
    // loop) is skipped: the list being walked stays as it is.
    if (m_bChecking || m_pSink == nullptr)
        return;
    m_bChecking = TRUE;
    m_pending.RemoveAll();
    CDateTime now = CDateTime::GetCurrent();
    m_pSink->GetDuePrompts(m_pending, now);
    for (POSITION pos = m_pending.GetHeadPosition(); pos != nullptr;) {
        const CPrompt& prompt = m_pending.GetNext(pos);
        int nResult = Prompt(prompt);
        m_pSink->OnPromptResult(nResult, prompt.m_pElement);
    }
    m_bChecking = FALSE;
}

CString CReminder::GetStandardSoundPath() {
    return GetModuleDirectory() + "\\" + kStandardSound;
}

int CReminder::Prompt(const CPrompt& prompt) {
    if (prompt.m_nSound != 0) {
        // A file of its own that has no name (the file keeps none) takes the standard sound.
        CString file = prompt.m_nSoundSource < 0 && !prompt.m_strSoundFile.IsEmpty()
                           ? prompt.m_strSoundFile
                           : GetStandardSoundPath();
        // No fallback sound: a file that cannot be played stays silent.
        PlaySound(file, nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT);
    }
    if (prompt.m_nPopup < 0)
        return 1;
    if (m_pWindows != nullptr)
        m_pWindows->ShowPromptWindow(prompt.m_strText);
    return 1;
}
