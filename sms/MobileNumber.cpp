#include "sms/MobileNumber.h"

#include <cstring>

BOOL IsMobileNumber(LPCTSTR lpszText) {
    if (lpszText == nullptr || std::strlen(lpszText) != 11)
        return FALSE;
    if (lpszText[0] != '1' || lpszText[1] != '3')
        return FALSE;
    for (int i = 0; i < 11; ++i)
        if (lpszText[i] < '0' || lpszText[i] > '9')
            return FALSE;
    return TRUE;
}
