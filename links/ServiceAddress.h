// Where the service's web server is: its base address is a profile setting (section "Service",
// entry "BaseAddress") and every page of the service is named relative to it.
#pragma once

#include "platform/base/CString.h"

// Used while the profile holds no address of its own. The name is reserved and reaches no one,
// so that no account data goes to a stranger's host before the service's host is set.
#define QUILLMAR_DEFAULT_SERVICE_ADDRESS "http://service.quillmar.example/"

// The base address, always ending in "/". An empty or non-http setting gives the default.
CString GetServiceBaseAddress();
// Stores an address (a "/" is added when it has none); null or empty restores the default.
// FALSE when the address is not an http URL or the profile cannot be written.
BOOL SetServiceBaseAddress(LPCTSTR address);
// The full address of a page ("ecard/sms/sendsms.asp" or "/Profiles/board.htm").
CString GetServiceUrl(LPCTSTR page);
