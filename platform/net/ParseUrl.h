// Splitting a URL into service type, server, object path and port.
#pragma once

#include "platform/base/CString.h"
#include "platform/net/InternetDefs.h"

// TRUE for "scheme://[user[:password]@]server[:port][/object]" with a known scheme, a server
// name and a valid port. The object keeps its query and is "/" when the URL has none; the port is
// the scheme's default when the URL gives none. The user part is dropped. A URL holding blanks or
// control characters, an unknown scheme, an empty server or a bad port gives FALSE, with the
// service AFX_INET_SERVICE_UNK when the scheme was not recognised.
BOOL AfxParseURL(LPCTSTR pstrURL, DWORD& dwServiceType, CString& strServer, CString& strObject,
                 INTERNET_PORT& nPort);
