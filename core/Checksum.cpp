#include "core/Checksum.h"

#include <cstring>

#include "core/KovDocumentScramble.h"

DWORD CalcStringChecksum(LPCTSTR text) {
    DWORD sum = 0;
    const size_t len = text ? std::strlen(text) : 0;
    for (size_t i = 0; i < len; ++i)
        sum += static_cast<DWORD>(static_cast<BYTE>(text[i])) * static_cast<DWORD>(i);
    return sum;
}

void ScrambleString(CString& text, BOOL bLeft) {
    const int len = text.GetLength();
    char* p = text.GetBuffer(len);
    for (int i = 0; i < len; ++i) {
        BYTE* b = reinterpret_cast<BYTE*>(p + i);
        if (bLeft)
            RotateBitsLeft(b, 1, i % 5 + 2);
        else
            RotateBitsRight(b, 1, i % 5 + 2);
    }
    text.ReleaseBuffer(len);
}
