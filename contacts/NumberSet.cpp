#include "contacts/NumberSet.h"

#include <vector>

namespace {

void ExpandFrom(char* pDigits, int nCount, int nPos, CIArrayNumberPicker& picker) {
    if (nPos == nCount) {
        picker.OnDigits(pDigits, nCount);
        return;
    }
    for (char c = '0'; c <= '9'; ++c) {
        pDigits[nPos] = c;
        ExpandFrom(pDigits, nCount, nPos + 1, picker);
    }
}

} // namespace

void ExpandNumberDigits(char* pDigits, int nCount, CIArrayNumberPicker& picker) {
    if (pDigits != nullptr && nCount > 0)
        ExpandFrom(pDigits, nCount, 0, picker);
}

void CNumberSet::Generate(LPCTSTR lpszTemplate, CINumberPicker* pSink) {
    m_strTemplate = lpszTemplate != nullptr ? lpszTemplate : "";
    m_pSink = pSink;
    int nWildcards = 0;
    for (int i = 0; i < m_strTemplate.GetLength(); ++i)
        if (m_strTemplate[i] == m_chWildcard)
            ++nWildcards;
    if (nWildcards == 0 || m_pSink == nullptr)
        return;
    std::vector<char> digits((size_t)nWildcards, '0');
    ExpandNumberDigits(digits.data(), nWildcards, *this);
}

void CNumberSet::OnDigits(const char* pDigits, int nCount) {
    if (m_pSink == nullptr)
        return;
    CString number = m_strTemplate;
    int k = 0;
    for (int i = 0; i < number.GetLength() && k < nCount; ++i)
        if (number[i] == m_chWildcard)
            number.SetAt(i, pDigits[k++]);
    m_pSink->OnNumbersPicked(number);
}
