// Who stands behind a message account: five texts and one flag word, shared by the SMS sender
// account and the e-mail account. Both store it with one layout (the five texts in order, then
// the DWORD), but each account gives the fields its own meaning, so they are numbered here and
// named by the account that uses them.
#pragma once

#include "platform/base/CString.h"
#include "platform/base/Types.h"

class CArchive;

struct SAccountPersonInfo {
    static constexpr int kTextCount = 5;

    CString m_strText[kTextCount];
    DWORD m_dwValue = 0;

    // The five texts, then the DWORD. Loading replaces every field.
    void Serialize(CArchive& ar);
};
