// Opening a value through the desktop, for every window that offers a value as a link (the
// contact views, the value list editor, the information base's web and mail cells): the desktop
// is handed only what BuildFieldActionAddress allows.
#pragma once

#include "core/FieldActionAddress.h"

// Hands the value to the desktop. A value that cannot be opened, or an address no program on the
// desktop takes (no dialler for "tel:"), is explained in a message. TRUE when the desktop took
// the address.
BOOL OpenFieldActionValue(FieldAction action, LPCTSTR lpszValue, LPCTSTR lpszOwnerName,
                          BOOL bQuoted);

// Explains why the desktop did not take a "mailto:" address of several recipients: ShellExecute's
// answer is shown as the error number; when no program took the address at all the message
// names the missing mail program before the length of the address.
void ShowMailtoFailure(INT_PTR nResult);

// Hands a web address to the desktop's browser; when none takes it, a message says so and shows
// the address, so that it can be typed elsewhere. TRUE when the desktop took it.
BOOL OpenWebAddress(LPCTSTR lpszAddress);
