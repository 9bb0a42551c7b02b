// The check of a mobile number typed at the gateway registration.
#pragma once

#include "platform/base/Types.h"

// TRUE when the text is exactly 11 characters long, begins with "13" and holds only digits.
BOOL IsMobileNumber(LPCTSTR lpszText);
