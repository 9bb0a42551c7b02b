#include "core/ProfileValues.h"

CProfileStore& OptionsProfile() {
    static CProfileStore store;
    return store;
}

void ReadProfileValue(LPCTSTR section, LPCTSTR entry, int& value) {
    value = (int)OptionsProfile().GetProfileInt(section, entry, value);
}

void ReadProfileValue(LPCTSTR section, LPCTSTR entry, CString& value) {
    value = OptionsProfile().GetProfileString(section, entry, value);
}

void WriteProfileValue(LPCTSTR section, LPCTSTR entry, int value) {
    OptionsProfile().WriteProfileInt(section, entry, value);
}
