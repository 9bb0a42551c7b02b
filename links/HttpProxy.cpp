#include "links/HttpProxy.h"

#include <mutex>

#include "platform/net/InternetSession.h"

namespace {

std::mutex& SettingsLock() {
    static std::mutex lock;
    return lock;
}

HttpProxySettings& Settings() {
    static HttpProxySettings settings;
    return settings;
}

} // namespace

void SetHttpProxySettings(const HttpProxySettings& settings) {
    std::lock_guard<std::mutex> lock(SettingsLock());
    Settings() = settings;
}

HttpProxySettings GetHttpProxySettings() {
    std::lock_guard<std::mutex> lock(SettingsLock());
    return Settings();
}

CString FormatHttpProxyName(const HttpProxySettings& settings) {
    CString server = settings.strServer;
    server.Trim();
    if (settings.nScheme != HTTP_PROXY_CUSTOM || server.IsEmpty())
        return CString();
    // SOCKS 5 servers resolve the service's host name themselves (the h), so a desktop that can
    // reach no name server of its own still gets through; SOCKS 4 cannot carry names.
    const char* prefix = "http://";
    if (settings.nType == HTTP_PROXY_TYPE_SOCKS4)
        prefix = "socks4://";
    else if (settings.nType == HTTP_PROXY_TYPE_SOCKS5)
        prefix = "socks5h://";
    if (server.Find(':') >= 0 && server[0] != '[')
        server = "[" + server + "]"; // an IPv6 address
    CString port = settings.strPort;
    port.Trim();
    CString name = prefix + server;
    if (!port.IsEmpty())
        name += ":" + port;
    return name;
}

std::unique_ptr<CInternetSession> MakeHttpSession(LPCTSTR agent, DWORD flags) {
    HttpProxySettings settings = GetHttpProxySettings();
    if (settings.nScheme == HTTP_PROXY_DIRECT)
        return std::make_unique<CInternetSession>(agent, 1, INTERNET_OPEN_TYPE_DIRECT, nullptr,
                                                  nullptr, flags);
    if (settings.nScheme != HTTP_PROXY_CUSTOM)
        return std::make_unique<CInternetSession>(agent, 1, PRE_CONFIG_INTERNET_ACCESS, nullptr,
                                                  nullptr, flags);
    CString name = FormatHttpProxyName(settings);
    if (name.IsEmpty())
        return nullptr;
    auto session = std::make_unique<CInternetSession>(agent, 1, INTERNET_OPEN_TYPE_PROXY, name,
                                                      nullptr, flags);
    if (!settings.strUser.IsEmpty()) {
        session->SetOption(INTERNET_OPTION_PROXY_USERNAME,
                           const_cast<char*>(settings.strUser.GetString()),
                           static_cast<DWORD>(settings.strUser.GetLength()));
        session->SetOption(INTERNET_OPTION_PROXY_PASSWORD,
                           const_cast<char*>(settings.strPassword.GetString()),
                           static_cast<DWORD>(settings.strPassword.GetLength()));
    }
    return session;
}
