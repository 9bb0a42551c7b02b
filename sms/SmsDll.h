// A gateway plug-in library chosen in a sender account's send scheme. The account's gateway page
// lists the gateways the library offers; nothing else of the library is used.
#pragma once

#include "core/Dll.h"
#include "platform/base/Collections.h"

class CSmsDll : public CDll {
public:
    // The exports a plug-in may have, in this order; only the first is looked up.
    static const char* const s_exportNames[2];
    // The size of the buffer the library writes its list into.
    static constexpr int kListBufferSize = 1024;

    CSmsDll() = default;
    explicit CSmsDll(LPCTSTR path) : CDll(path) {}

    // Empties the list, then fills it with the gateway names the library gives (its text up to
    // the first zero byte, split at "\n"; empty names are left out). 0 when the library has no
    // list export or nothing is loaded. Answers the number of names.
    int GetGatewayList(CStringList& list);
};
