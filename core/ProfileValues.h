// The options' values in the profile: a value missing from the profile keeps the current one.
#pragma once

#include "platform/base/Profile.h"

// The profile of the application key, shared by every options section.
CProfileStore& OptionsProfile();
void ReadProfileValue(LPCTSTR section, LPCTSTR entry, int& value);
void ReadProfileValue(LPCTSTR section, LPCTSTR entry, CString& value);
void WriteProfileValue(LPCTSTR section, LPCTSTR entry, int value);
