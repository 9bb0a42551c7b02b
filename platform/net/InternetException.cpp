#include "platform/net/InternetException.h"

#include <cstring>

IMPLEMENT_DYNAMIC(CInternetException, CException)

CInternetException::CInternetException(DWORD dwError) : m_dwError(dwError) {}

namespace {

LPCTSTR MessageFor(DWORD error) {
    switch (error) {
    case ERROR_INTERNET_TIMEOUT:
        return "网络操作超时";
    case ERROR_INTERNET_INVALID_URL:
        return "网址格式不正确";
    case ERROR_INTERNET_NAME_NOT_RESOLVED:
        return "无法解析服务器名称";
    case ERROR_INTERNET_OPERATION_CANCELLED:
        return "网络操作已取消";
    case ERROR_INTERNET_CANNOT_CONNECT:
        return "无法连接到服务器";
    case ERROR_INTERNET_CONNECTION_ABORTED:
    case ERROR_INTERNET_CONNECTION_RESET:
        return "与服务器的连接已中断";
    case ERROR_HTTP_INVALID_SERVER_RESPONSE:
        return "服务器的应答无效";
    case ERROR_NOT_ENOUGH_MEMORY:
        return "服务器的应答过长";
    default:
        return "网络连接出错";
    }
}

} // namespace

BOOL CInternetException::GetErrorMessage(LPTSTR buf, UINT max, UINT* helpId) const {
    if (helpId)
        *helpId = 0;
    if (!buf || max == 0)
        return FALSE;
    // Cut at a character boundary when the buffer is short: a GBK lead byte has bit 7 set.
    const char* text = MessageFor(m_dwError);
    size_t length = std::strlen(text), n = 0;
    while (n < length) {
        size_t size = (static_cast<unsigned char>(text[n]) & 0x80) && n + 1 < length ? 2 : 1;
        if (n + size > max - 1)
            break;
        n += size;
    }
    std::memcpy(buf, text, n);
    buf[n] = '\0';
    return TRUE;
}

void AfxThrowInternetException(DWORD_PTR dwContext, DWORD dwError) {
    auto* e = new CInternetException(dwError);
    e->m_dwContext = dwContext;
    throw e;
}
