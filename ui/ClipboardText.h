// Puts a GBK text on the clipboard as plain text.
#pragma once

#include "platform/base/Types.h"

// FALSE when the clipboard cannot be opened (another window holds it) or takes nothing.
BOOL CopyTextToClipboard(const char* lpszText);
