#include "sms/SmsCounter.h"

#include "core/HanziString.h"

BOOL SSmsCount::IsTooLong(int nMessages) const {
    if (nMessages <= 0)
        nMessages = 1;
    return nAllowed > 0 && nParts > nMessages;
}

SSmsCount CountSms(const CString& text, int nKind, int nCoding, int nLimit, int nMessages,
                   int nWideSize, int nAnsiSize) {
    SSmsCount c;
    if (nMessages <= 0)
        nMessages = 1;
    int nDivisor = 1;
    if (nKind == 0) {
        c.nLength = CountDoubleByteAwareChars(text);
        c.fCurrent = (float)c.nLength;
        c.nCoding = FindFirstDoubleByteChar(text) >= 0 ? 0 : 1;
        c.nPartSize = c.nCoding == 0 ? nWideSize : nAnsiSize;
    } else {
        c.nLength = text.GetLength();
        c.nCoding = nCoding;
        nDivisor = nCoding == 0 ? 2 : 1;
        c.fCurrent = (float)c.nLength / (float)nDivisor;
        c.nPartSize = nWideSize;
    }
    int nTotal = -2;
    if (nLimit == SmsLimitOnePart)
        nTotal = c.nPartSize;
    else if (nLimit == SmsLimitParts)
        nTotal = c.nPartSize * nMessages;
    c.nAllowed = nTotal / nDivisor;
    // A part size below 1 (a damaged setting) would never cut the text.
    c.nParts = c.nPartSize > 0 ? (c.nLength + c.nPartSize - 1) / c.nPartSize : 0;
    return c;
}
