// The window that shows a send run, and what it needs of the one who runs the sends. The
// manager of the short messages drives it; others that send through the gateway may as well.
#pragma once

#include "platform/base/CString.h"
#include "platform/base/Types.h"

class CISendProgress;

// The side that runs the sends, as the progress window sees it.
class CISendProgressOwner {
public:
    virtual ~CISendProgressOwner() = default;
    virtual BOOL IsSending() const = 0;
    // The user asked to stop: the run ends before its next part.
    virtual void SetStopRequested(BOOL bStop) = 0;
    // The text of a result code as the user should read it.
    virtual CString GetSendResultText(int nCode) const = 0;
    // The window is going away; the owner forgets it.
    virtual void OnProgressDestroyed(CISendProgress* pProgress) = 0;
};

class CISendProgress {
public:
    virtual ~CISendProgress() = default;
    // Shows the window for a new run; a non-empty title replaces the caption.
    virtual void ShowForRun(LPCTSTR lpszTitle) = 0;
    // The number of recipients of the run (ignored when not positive).
    virtual void SetTotal(int n) = 0;
    // A new row for a recipient with its number of parts.
    virtual void BeginRecipient(LPCTSTR lpszRecipient, int nParts) = 0;
    // One part's result; a non-zero code shows lpszText, or the owner's text of the code.
    virtual void ReportPartResult(int nCode, BOOL bLastPart, LPCTSTR lpszText = nullptr) = 0;
    // One recipient done.
    virtual void StepProgress() = 0;
    // The run has ended.
    virtual void SetFinished() = 0;
    // Handles the window's pending messages (a Cancel among them) and repaints it; nothing else
    // of the program is served meanwhile.
    virtual void PumpMessages() = 0;
    // The owner goes away: the window is destroyed without calling it back.
    virtual void DestroyProgress() = 0;
};
