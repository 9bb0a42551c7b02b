#include "links/ServiceAddress.h"

#include "platform/base/Profile.h"
#include "platform/net/ParseUrl.h"

namespace {

const char kSection[] = "Service";
const char kEntry[] = "BaseAddress";

bool IsHttpAddress(const CString& address) {
    DWORD service = 0;
    CString server, object;
    INTERNET_PORT port = 0;
    return AfxParseURL(address, service, server, object, port) && service == AFX_INET_SERVICE_HTTP;
}

CString WithSlash(CString address) {
    if (address.IsEmpty() || address[address.GetLength() - 1] != '/')
        address += '/';
    return address;
}

} // namespace

CString GetServiceBaseAddress() {
    CString address = CProfileStore().GetProfileString(kSection, kEntry, "");
    address.Trim();
    if (!IsHttpAddress(address))
        return QUILLMAR_DEFAULT_SERVICE_ADDRESS;
    return WithSlash(address);
}

BOOL SetServiceBaseAddress(LPCTSTR address) {
    CString value(address);
    value.Trim();
    CProfileStore store;
    if (value.IsEmpty())
        return store.WriteProfileString(kSection, kEntry, nullptr);
    if (!IsHttpAddress(value))
        return FALSE;
    return store.WriteProfileString(kSection, kEntry, WithSlash(value));
}

CString GetServiceUrl(LPCTSTR page) {
    CString relative(page);
    while (!relative.IsEmpty() && relative[0] == '/')
        relative = relative.Mid(1);
    return GetServiceBaseAddress() + relative;
}
