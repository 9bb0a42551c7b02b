#include "platform/net/HttpFile.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <mutex>

#include <curl/curl.h>

#include "platform/base/Sync.h"
#include "platform/net/InternetException.h"

namespace {

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

DWORD ErrorFromCurl(CURLcode code) {
    switch (code) {
    case CURLE_OK:
        return 0;
    case CURLE_URL_MALFORMAT:
        return ERROR_INTERNET_INVALID_URL;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return ERROR_INTERNET_NAME_NOT_RESOLVED;
    case CURLE_COULDNT_CONNECT:
        return ERROR_INTERNET_CANNOT_CONNECT;
    case CURLE_OPERATION_TIMEDOUT:
        return ERROR_INTERNET_TIMEOUT;
    case CURLE_SEND_ERROR:
        return ERROR_INTERNET_CONNECTION_RESET;
    case CURLE_GOT_NOTHING:
    case CURLE_RECV_ERROR:
    case CURLE_PARTIAL_FILE:
        return ERROR_INTERNET_CONNECTION_ABORTED;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_UNSUPPORTED_PROTOCOL: // a reply without a status line
    case CURLE_BAD_CONTENT_ENCODING:
        return ERROR_HTTP_INVALID_SERVER_RESPONSE;
    case CURLE_ABORTED_BY_CALLBACK:
        return ERROR_INTERNET_OPERATION_CANCELLED;
    case CURLE_OUT_OF_MEMORY:
        return ERROR_NOT_ENOUGH_MEMORY;
    default:
        return ERROR_INTERNET_INTERNAL_ERROR;
    }
}

// The non-empty pieces of text between any of the separators.
std::vector<CString> SplitNonEmpty(const CString& text, const char* separators) {
    std::vector<CString> pieces;
    int pos = 0;
    while (pos <= text.GetLength()) {
        int end = text.Mid(pos).FindOneOf(separators);
        end = end < 0 ? text.GetLength() : pos + end;
        CString piece = text.Mid(pos, end - pos);
        pos = end + 1;
        if (!piece.IsEmpty())
            pieces.push_back(piece);
    }
    return pieces;
}

// "http=host:port ftp=host:port" or "host:port": the proxy for http requests, empty when the
// list names none.
CString HttpProxyFromList(const CString& list) {
    CString fallback;
    for (const CString& entry : SplitNonEmpty(list, " ;")) {
        int eq = entry.Find('=');
        if (eq < 0) {
            if (fallback.IsEmpty())
                fallback = entry;
        } else if (entry.Left(eq).CompareNoCase("http") == 0) {
            return entry.Mid(eq + 1);
        }
    }
    return fallback;
}

// The bypass list in curl's form: host names separated by commas; "<local>" (names without a
// dot) has no equivalent and is dropped.
CString BypassList(const CString& list) {
    CString result;
    for (const CString& entry : SplitNonEmpty(list, " ;,")) {
        if (entry.CompareNoCase("<local>") == 0)
            continue;
        if (!result.IsEmpty())
            result += ",";
        result += entry;
    }
    return result;
}

bool HasHeader(const std::vector<std::pair<CString, CString>>& headers, const char* name) {
    for (const auto& h : headers)
        if (h.first.CompareNoCase(name) == 0)
            return true;
    return false;
}

} // namespace

// The curl handles and what the callbacks collect. A transfer is driven by Pump on the caller's
// thread only while the caller waits for something; between reads the connection rests.
struct CHttpFile::Transfer {
    CURLM* multi = nullptr;
    CURL* easy = nullptr;
    curl_slist* headerList = nullptr;
    std::string body;   // the request body (curl reads it while the transfer runs)
    std::string buffer; // reply bytes not yet read
    size_t readPos = 0;
    size_t received = 0; // reply body bytes so far
    size_t maxReply = 0; // 0: no limit
    bool tooLarge = false;
    std::vector<std::pair<CString, CString>> replyHeaders;
    bool headersDone = false;
    long status = 0;
    bool finished = false;
    DWORD failure = 0;
    std::chrono::steady_clock::time_point lastActivity;

    ~Transfer() {
        if (multi && easy)
            curl_multi_remove_handle(multi, easy);
        if (easy)
            curl_easy_cleanup(easy);
        if (multi)
            curl_multi_cleanup(multi);
        curl_slist_free_all(headerList);
    }

    static size_t OnBody(char* data, size_t size, size_t count, void* user) {
        auto* t = static_cast<Transfer*>(user);
        size_t n = size * count;
        t->lastActivity = std::chrono::steady_clock::now();
        if (t->maxReply && t->received + n > t->maxReply) {
            t->tooLarge = true;
            return 0; // stops the transfer
        }
        if (t->readPos > 0 && t->readPos == t->buffer.size()) {
            t->buffer.clear();
            t->readPos = 0;
        }
        t->buffer.append(data, n);
        t->received += n;
        return n;
    }

    static size_t OnHeader(char* data, size_t size, size_t count, void* user) {
        auto* t = static_cast<Transfer*>(user);
        size_t n = size * count;
        t->lastActivity = std::chrono::steady_clock::now();
        std::string line(data, n);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        if (line.compare(0, 5, "HTTP/") == 0) {
            t->replyHeaders.clear(); // a new response (after an interim 1xx one)
        } else if (line.empty()) {
            long status = 0;
            curl_easy_getinfo(t->easy, CURLINFO_RESPONSE_CODE, &status);
            if (status >= 200) {
                t->headersDone = true;
                t->status = status;
            }
        } else {
            size_t colon = line.find(':');
            if (colon != std::string::npos) {
                size_t value = line.find_first_not_of(" \t", colon + 1);
                t->replyHeaders.emplace_back(
                    CString(line.data(), static_cast<int>(colon)),
                    value == std::string::npos ? CString() : CString(line.c_str() + value));
            }
        }
        return n;
    }
};

CHttpFile::CHttpFile(const InternetRequestSettings& settings, DWORD_PTR dwContext, LPCTSTR pstrVerb,
                     LPCTSTR pstrServer, INTERNET_PORT nPort, LPCTSTR pstrObject,
                     LPCTSTR pstrReferer, DWORD)
    : m_settings(settings), m_dwContext(dwContext), m_strVerb(pstrVerb), m_strServer(pstrServer),
      m_nPort(nPort), m_strObject(pstrObject) {
    if (m_strObject.IsEmpty() || m_strObject[0] != '/')
        m_strObject = "/" + m_strObject;
    if (pstrReferer && *pstrReferer)
        m_headers.emplace_back("Referer", pstrReferer);
}

CHttpFile::~CHttpFile() {
    Close();
}

void CHttpFile::Close() {
    m_transfer.reset();
}

BOOL CHttpFile::AddRequestHeaders(const CString& str, DWORD dwFlags) {
    return AddRequestHeaders(str.GetString(), dwFlags, str.GetLength());
}

BOOL CHttpFile::AddRequestHeaders(LPCTSTR pstrHeaders, DWORD dwFlags, int nLength) {
    if (!pstrHeaders)
        return FALSE;
    CString text = nLength < 0 ? CString(pstrHeaders) : CString(pstrHeaders, nLength);
    BOOL ok = TRUE;
    for (CString line : SplitNonEmpty(text, "\n")) {
        line.TrimRight('\r');
        if (line.IsEmpty())
            continue;
        int colon = line.Find(':');
        if (colon <= 0) {
            SetLastError(ERROR_HTTP_INVALID_HEADER);
            ok = FALSE;
            continue;
        }
        CString name = line.Left(colon);
        CString value = line.Mid(colon + 1);
        name.Trim();
        value.Trim(" \t");
        auto existing = m_headers.end();
        for (auto it = m_headers.begin(); it != m_headers.end(); ++it)
            if (it->first.CompareNoCase(name) == 0)
                existing = it;
        if (dwFlags & HTTP_ADDREQ_FLAG_REPLACE) {
            if (existing != m_headers.end()) {
                if (value.IsEmpty())
                    m_headers.erase(existing);
                else
                    existing->second = value;
            } else if (!value.IsEmpty()) {
                m_headers.emplace_back(name, value);
            }
        } else if ((dwFlags & HTTP_ADDREQ_FLAG_ADD_IF_NEW) && existing != m_headers.end()) {
            SetLastError(ERROR_HTTP_HEADER_ALREADY_EXISTS);
            ok = FALSE;
        } else {
            m_headers.emplace_back(name, value);
        }
    }
    return ok;
}

BOOL CHttpFile::SendRequest(const CString& strHeaders, LPVOID lpOptional, DWORD dwOptionalLength) {
    return SendRequest(strHeaders.GetString(), static_cast<DWORD>(strHeaders.GetLength()),
                       lpOptional, dwOptionalLength);
}

BOOL CHttpFile::SendRequest(LPCTSTR pstrHeaders, DWORD dwHeadersLength, LPVOID lpOptional,
                            DWORD dwOptionalLength) {
    if (m_sent)
        AfxThrowInternetException(m_dwContext, ERROR_INTERNET_INCORRECT_HANDLE_STATE);
    m_sent = true;
    if (pstrHeaders && *pstrHeaders)
        AddRequestHeaders(pstrHeaders, HTTP_ADDREQ_FLAG_ADD,
                          dwHeadersLength ? static_cast<int>(dwHeadersLength) : -1);
    Prepare(lpOptional, lpOptional ? dwOptionalLength : 0);
    Pump([this] { return m_transfer->headersDone; });
    if (!m_transfer->headersDone) {
        ThrowIfFailed();
        Fail(ERROR_HTTP_INVALID_SERVER_RESPONSE);
    }
    return TRUE;
}

void CHttpFile::Prepare(const void* body, DWORD bodyLength) {
    InitCurlOnce();
    auto t = std::make_unique<Transfer>();
    t->multi = curl_multi_init();
    t->easy = curl_easy_init();
    if (!t->multi || !t->easy)
        AfxThrowInternetException(m_dwContext, ERROR_NOT_ENOUGH_MEMORY);
    t->maxReply = m_settings.maxReplySize;
    CURL* e = t->easy;

    CString server = m_strServer;
    if (server.Find(':') >= 0 && server[0] != '[')
        server = "[" + server + "]";
    CString url;
    url.Format("http://%s:%u%s", server.GetString(), static_cast<unsigned>(m_nPort),
               m_strObject.GetString());
    curl_easy_setopt(e, CURLOPT_URL, url.GetString());
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(e, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(e, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(e, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(e, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(m_settings.connectTimeoutMs));
    curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, static_cast<long>(m_settings.requestTimeoutMs));

    if (m_settings.accessType == INTERNET_OPEN_TYPE_DIRECT) {
        curl_easy_setopt(e, CURLOPT_PROXY, "");
    } else if (m_settings.accessType == INTERNET_OPEN_TYPE_PROXY) {
        CString proxy = HttpProxyFromList(m_settings.proxyName);
        curl_easy_setopt(e, CURLOPT_PROXY, proxy.GetString());
        CString bypass = BypassList(m_settings.proxyBypass);
        if (!bypass.IsEmpty())
            curl_easy_setopt(e, CURLOPT_NOPROXY, bypass.GetString());
        if (!m_settings.proxyUser.IsEmpty()) {
            curl_easy_setopt(e, CURLOPT_PROXYUSERNAME, m_settings.proxyUser.GetString());
            curl_easy_setopt(e, CURLOPT_PROXYPASSWORD, m_settings.proxyPassword.GetString());
        }
    } // preconfigured: curl reads http_proxy and no_proxy from the environment

    // Only the headers the caller set go out, besides Host and Content-Length: curl's own
    // defaults are removed.
    for (const auto& h : m_headers) {
        if (h.first.CompareNoCase("Content-Length") == 0 || h.first.CompareNoCase("Host") == 0)
            continue;
        CString line = h.second.IsEmpty() ? h.first + ";" : h.first + ": " + h.second;
        t->headerList = curl_slist_append(t->headerList, line);
    }
    for (const char* name : {"Accept", "Expect", "Content-Type"})
        if (!HasHeader(m_headers, name))
            t->headerList = curl_slist_append(t->headerList, CString(name) + ":");
    curl_easy_setopt(e, CURLOPT_HTTPHEADER, t->headerList);
    if (!HasHeader(m_headers, "User-Agent") && !m_settings.agent.IsEmpty())
        curl_easy_setopt(e, CURLOPT_USERAGENT, m_settings.agent.GetString());

    if (body && bodyLength)
        t->body.assign(static_cast<const char*>(body), bodyLength);
    bool post = m_strVerb == "POST";
    if (m_strVerb == "HEAD") {
        curl_easy_setopt(e, CURLOPT_NOBODY, 1L);
    } else if (m_strVerb == "GET" && t->body.empty()) {
        curl_easy_setopt(e, CURLOPT_HTTPGET, 1L);
    } else {
        if (post || !t->body.empty()) {
            curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE,
                             static_cast<curl_off_t>(t->body.size()));
            curl_easy_setopt(e, CURLOPT_POSTFIELDS, t->body.data());
        }
        if (!post)
            curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, m_strVerb.GetString());
    }

    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &Transfer::OnBody);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, t.get());
    curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &Transfer::OnHeader);
    curl_easy_setopt(e, CURLOPT_HEADERDATA, t.get());
    if (curl_multi_add_handle(t->multi, e) != CURLM_OK)
        AfxThrowInternetException(m_dwContext, ERROR_INTERNET_INTERNAL_ERROR);
    m_transfer = std::move(t);
}

// Drives the transfer until enough() holds or the transfer has ended. Waits in short steps so
// that the cancel flag and the receive time-out are seen even when nothing arrives.
template <class Enough> void CHttpFile::Pump(Enough enough) {
    Transfer& t = *m_transfer;
    t.lastActivity = std::chrono::steady_clock::now();
    curl_off_t lastUploaded = -1;
    while (!t.finished && !enough()) {
        int running = 0;
        if (curl_multi_perform(t.multi, &running) != CURLM_OK)
            Fail(ERROR_INTERNET_INTERNAL_ERROR);
        int left = 0;
        while (CURLMsg* msg = curl_multi_info_read(t.multi, &left)) {
            if (msg->msg == CURLMSG_DONE) {
                t.finished = true;
                t.failure = t.tooLarge ? static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY)
                                       : ErrorFromCurl(msg->data.result);
            }
        }
        if (t.finished || enough())
            break;
        if (m_settings.cancel && m_settings.cancel->load())
            Fail(ERROR_INTERNET_OPERATION_CANCELLED);

        curl_off_t uploaded = 0, connectTime = 0;
        curl_easy_getinfo(t.easy, CURLINFO_SIZE_UPLOAD_T, &uploaded);
        curl_easy_getinfo(t.easy, CURLINFO_CONNECT_TIME_T, &connectTime);
        auto now = std::chrono::steady_clock::now();
        if (uploaded != lastUploaded) {
            lastUploaded = uploaded;
            t.lastActivity = now;
        }
        // Before the connection is made the connect time-out applies (curl's own).
        if (connectTime > 0 && m_settings.receiveTimeoutMs &&
            now - t.lastActivity > std::chrono::milliseconds(m_settings.receiveTimeoutMs))
            Fail(ERROR_INTERNET_TIMEOUT);
        curl_multi_poll(t.multi, nullptr, 0, 50, nullptr);
    }
}

// Ends the transfer for good: later reads throw the same error.
void CHttpFile::Fail(DWORD error) {
    if (m_transfer) {
        m_transfer->finished = true;
        if (!m_transfer->failure)
            m_transfer->failure = error;
        if (m_transfer->multi && m_transfer->easy) {
            curl_multi_remove_handle(m_transfer->multi, m_transfer->easy);
            curl_easy_cleanup(m_transfer->easy);
            m_transfer->easy = nullptr;
        }
    }
    AfxThrowInternetException(m_dwContext, error);
}

void CHttpFile::ThrowIfFailed() {
    if (m_transfer && m_transfer->failure)
        AfxThrowInternetException(m_dwContext, m_transfer->failure);
}

size_t CHttpFile::Buffered() const {
    return m_transfer ? m_transfer->buffer.size() - m_transfer->readPos : 0;
}

BOOL CHttpFile::QueryInfoStatusCode(DWORD& dwStatusCode) const {
    dwStatusCode = 0;
    if (!m_transfer || !m_transfer->headersDone)
        return FALSE;
    dwStatusCode = static_cast<DWORD>(m_transfer->status);
    return TRUE;
}

BOOL CHttpFile::QueryInfo(LPCTSTR pstrHeaderName, CString& strValue) const {
    if (m_transfer && pstrHeaderName) {
        for (auto it = m_transfer->replyHeaders.rbegin(); it != m_transfer->replyHeaders.rend();
             ++it) {
            if (it->first.CompareNoCase(pstrHeaderName) == 0) {
                strValue = it->second;
                return TRUE;
            }
        }
    }
    SetLastError(ERROR_HTTP_HEADER_NOT_FOUND);
    return FALSE;
}

UINT CHttpFile::Read(void* lpBuf, UINT nCount) {
    if (!m_transfer || !m_transfer->headersDone)
        AfxThrowInternetException(m_dwContext, ERROR_INTERNET_INCORRECT_HANDLE_STATE);
    if (nCount == 0)
        return 0;
    Pump([this] { return Buffered() > 0; });
    size_t n = std::min<size_t>(nCount, Buffered());
    if (n == 0) {
        ThrowIfFailed();
        return 0;
    }
    Transfer& t = *m_transfer;
    std::memcpy(lpBuf, t.buffer.data() + t.readPos, n);
    t.readPos += n;
    return static_cast<UINT>(n);
}

BOOL CHttpFile::ReadString(CString& rString) {
    rString.Empty();
    if (!m_transfer || !m_transfer->headersDone)
        AfxThrowInternetException(m_dwContext, ERROR_INTERNET_INCORRECT_HANDLE_STATE);
    Transfer& t = *m_transfer;
    // Offsets from readPos: the body callback moves unread bytes to the front of the buffer
    // when everything before them has been read.
    size_t scanned = 0;
    size_t newline = std::string::npos;
    Pump([&] {
        newline = t.buffer.find('\n', t.readPos + scanned);
        scanned = t.buffer.size() - t.readPos;
        return newline != std::string::npos;
    });
    if (newline == std::string::npos)
        newline = t.buffer.find('\n', t.readPos);
    size_t end;
    if (newline != std::string::npos) {
        end = newline + 1;
    } else {
        ThrowIfFailed(); // a line cut by a failure is not a line
        if (Buffered() == 0)
            return FALSE;
        end = t.buffer.size();
    }
    size_t length = end - t.readPos;
    if (newline != std::string::npos) {
        --length;
        if (length > 0 && t.buffer[t.readPos + length - 1] == '\r')
            --length;
    }
    rString = CString(t.buffer.data() + t.readPos, static_cast<int>(length));
    t.readPos = end;
    return TRUE;
}
