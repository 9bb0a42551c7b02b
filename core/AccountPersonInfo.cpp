#include "core/AccountPersonInfo.h"

#include "platform/base/Archive.h"

void SAccountPersonInfo::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        for (const CString& text : m_strText)
            ar << text;
        ar << m_dwValue;
    } else {
        for (CString& text : m_strText)
            ar >> text;
        ar >> m_dwValue;
    }
}
