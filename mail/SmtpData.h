// The forms texts take on their way into SMTP commands and the DATA phase.
#pragma once

#include "platform/base/CString.h"

// The message text as the DATA phase sends it: every line end (CR LF, a bare CR or a bare LF)
// becomes CR LF, a line that begins with "." gets a second one, and the terminating line follows.
// Stuffing is done here once, over the whole text, so no line of any part can end the data early.
CString MakeSmtpData(const CString& message);

// RFC 3461 xtext: "!" to "~" stand as they are except "+" and "="; every other byte is "+" and two
// upper-case hexadecimal digits.
CString EncodeXtext(const CString& text);
