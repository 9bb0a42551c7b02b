// How long a message being written is, against the limit the writer chose: the numbers the
// compose windows show beside the text and check before saving.
#pragma once

#include "platform/base/CString.h"

struct SSmsCount {
    // Characters for a mobile message; for the other kinds bytes, halved for Chinese coding.
    float fCurrent = 0;
    // The allowed count, negative for no limit.
    int nAllowed = -1;
    // The number of parts the text fills.
    int nParts = 0;
    // 0 Chinese, 1 English: chosen by the text for a mobile message, kept for the other kinds.
    int nCoding = 0;
    // Characters (mobile) or bytes (other kinds): the length the parts are cut from.
    int nLength = 0;
    int nPartSize = 0;

    // The allowed count is positive and the text needs more parts than the messages allowed.
    BOOL IsTooLong(int nMessages) const;
};

// Length limits of the compose windows.
enum { SmsLimitNone = 0, SmsLimitOnePart = 1, SmsLimitParts = 2 };

// Counts the text of a message of the kind (0 mobile, other kinds whole) for the limit and the
// number of messages entered (0 counts as 1), with the part sizes of Chinese text (characters)
// and English text (bytes).
SSmsCount CountSms(const CString& text, int nKind, int nCoding, int nLimit, int nMessages,
                   int nWideSize, int nAnsiSize);
