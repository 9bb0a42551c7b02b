#include "links/AppVersionChecker.h"

#include <cstring>

#include "links/ServiceAddress.h"

const char* const CAppVersionChecker::kVersionPage = "Profiles/version.htm";
const char* const CAppVersionChecker::kDownloadPage = "download.htm";

CAppVersionChecker::CAppVersionChecker(CIAppVersionCheckerListener* pListener)
    : m_request(this), m_pListener(pListener) {}

const char* CAppVersionChecker::OwnVersion() {
    return "3.00";
}

BOOL CAppVersionChecker::StartCheck() {
    if (m_request.HasWorker())
        return TRUE;
    m_nStatus = STATUS_NONE;
    CString headers;
    headers.Format("Accept: text/*\r\nUser-Agent: %s\r\n", GetHttpAgentName());
    if (m_request.StartRequest(GetServiceUrl(kVersionPage), nullptr, headers, nullptr,
                               HTTP_VERB_GET) != 0) {
        m_nStatus = STATUS_FAILED;
        return FALSE;
    }
    return TRUE;
}

CString CAppVersionChecker::ParseVersionLine(const CString& line) {
    // Blanks separate as well, so that "Version 3.10" names 3.10 and not " 3.10" (which would
    // sort before every version).
    static const char kSeparators[] = "Version \t";
    const char* p = line.GetString();
    p += std::strspn(p, kSeparators);
    return CString(p, static_cast<int>(std::strcspn(p, kSeparators)));
}

void CAppVersionChecker::OnInetResponse(int nResult, const CString& strReply) {
    ++m_nChecks;
    if (nResult != INET_RESULT_OK) {
        m_nStatus = STATUS_FAILED;
    } else {
        int end = strReply.Find("\r\n");
        CString first = end < 0 ? strReply : strReply.Left(end);
        m_strNotes = end < 0 ? CString() : strReply.Mid(end + 2);
        if (!first.IsEmpty())
            m_strLatestVersion = ParseVersionLine(first);
        m_nStatus = std::strcmp(OwnVersion(), m_strLatestVersion.GetString()) < 0 ? STATUS_NEWER
                                                                                  : STATUS_LATEST;
    }
    if (m_pListener)
        m_pListener->OnVersionChecked();
}
