// What the compose form and the compose dialog do alike with their controls: the subjects list,
// the type's colour, the spin of the number of messages and the counts beside the text.
#pragma once

#include "platform/base/CString.h"
#include "platform/gui/WinDefs.h"
#include "sms/SmsCounter.h"

class CComboBox;
class CWnd;

// The controls of one window that show the counts.
struct SCountControls {
    UINT nCurrent, nAllowed, nParts, nChinese, nEnglish;
};

// The lines of "Profiles\SmsSubjects.inf" in the program folder (a missing file gives none).
void FillSmsSubjects(CComboBox* pCombo);
// The type's text is red for mobile messages and blue for the other kinds.
void ColourSmsType(CWnd* pCombo, BOOL bMobile);
// The position after the spin's step goes into the edit (within 1 to 100).
void ApplySpinDelta(CWnd* pParent, NMHDR* pNMHDR, UINT nEdit);
// Counts the text of the window for its controls: the limit combo, the number of messages in the
// edit and, for the other kinds, the coding chosen; writes the counts back and answers them.
SSmsCount CountAndShow(CWnd* pParent, const CString& text, int nKind, int& nCoding, UINT nLimit,
                       UINT nMessages, int nWideSize, int nAnsiSize, const SCountControls& ids);
