#include "mail/SmtpData.h"

#include <string>

CString MakeSmtpData(const CString& message) {
    const char* in = message.GetString();
    const int n = message.GetLength();
    std::string out;
    out.reserve(static_cast<size_t>(n) + static_cast<size_t>(n) / 32 + 8);
    bool lineStart = true;
    for (int i = 0; i < n; ++i) {
        const char c = in[i];
        if (c == '\r' || c == '\n') {
            out += "\r\n";
            if (c == '\r' && i + 1 < n && in[i + 1] == '\n')
                ++i;
            lineStart = true;
            continue;
        }
        if (lineStart && c == '.')
            out += '.';
        out += c;
        lineStart = false;
    }
    out += "\r\n.\r\n";
    return CString(out.data(), static_cast<int>(out.size()));
}

CString EncodeXtext(const CString& text) {
    static const char kHex[] = "0123456789ABCDEF";
    CString out;
    for (int i = 0; i < text.GetLength(); ++i) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        if (b >= '!' && b <= '~' && b != '+' && b != '=') {
            out += static_cast<char>(b);
        } else {
            out += '+';
            out += kHex[b >> 4];
            out += kHex[b & 15];
        }
    }
    return out;
}
