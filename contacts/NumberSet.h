// Expanding a number template: every "*" of the template stands for any digit, and each number it
// stands for is handed to a number sink (such as the recipient list of a message being written).
#pragma once

#include "platform/base/CString.h"
#include "platform/base/Types.h"

// Receives numbers one at a time.
class CINumberPicker {
public:
    virtual ~CINumberPicker() = default;
    virtual void OnNumbersPicked(LPCTSTR lpszNumber) = 0;
};

// Receives every complete combination of the digit enumerator.
class CIArrayNumberPicker {
public:
    virtual ~CIArrayNumberPicker() = default;
    virtual void OnDigits(const char* pDigits, int nCount) = 0;
};

// Calls the picker for every combination of nCount digits '0'..'9', the first position varying
// slowest, so the combinations come in ascending numeric order.
void ExpandNumberDigits(char* pDigits, int nCount, CIArrayNumberPicker& picker);

class CNumberSet : public CIArrayNumberPicker {
public:
    // Hands every number the template stands for to the sink, in ascending order of the wildcard
    // digits. A template without a wildcard stands for nothing. There is no bound on the count
    // (ten to the power of the wildcards): the caller limits the wildcards.
    void Generate(LPCTSTR lpszTemplate, CINumberPicker* pSink);
    // Fills the wildcards of the template, from the left, with the digits and passes the number on.
    void OnDigits(const char* pDigits, int nCount) override;

private:
    CString m_strTemplate;
    CINumberPicker* m_pSink = nullptr;
    char m_chWildcard = '*';
};
