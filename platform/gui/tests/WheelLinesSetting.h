// The user's lines per wheel notch, written where the window layer reads them, for the tests of
// windows that scroll with the wheel.
#pragma once

#include "platform/base/Profile.h"
#include "platform/gui/ScrollView.h"

#include <cstring>

// Null removes the setting. The kept value is forgotten unless bKeepCached.
inline void SetUserWheelLines(const char* value, bool bKeepCached = false) {
    HKEY key = nullptr;
    if (RegCreateKey(HKEY_CURRENT_USER, "Control Panel\\Desktop", &key) != ERROR_SUCCESS)
        return;
    if (value)
        RegSetValueEx(key, "WheelScrollLines", 0, REG_SZ, (const BYTE*)value,
                      (DWORD)std::strlen(value) + 1);
    else
        RegDeleteValue(key, "WheelScrollLines");
    RegCloseKey(key);
    if (!bKeepCached)
        AfxResetMouseScrollLines();
}
