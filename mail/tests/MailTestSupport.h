// What the mail tests share: golden files, bytes and texts.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

#include "platform/base/CString.h"

namespace mailtest {

inline std::string TestData(const std::string& name) {
    return std::string(MAIL_TESTDATA) + "/" + name;
}

// The file's bytes; an empty string when it cannot be read.
inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline CString Bytes(const std::string& s) {
    return CString(s.data(), static_cast<int>(s.size()));
}

inline std::string S(const CString& s) {
    return std::string(s.GetString(), static_cast<size_t>(s.GetLength()));
}

// The text with the value of its Message-ID header (new at every formatting) replaced by "<id>".
inline std::string WithoutMessageId(const std::string& text) {
    const std::string name = "\r\nMessage-ID: ";
    const size_t at = text.find(name);
    if (at == std::string::npos)
        return text;
    const size_t end = text.find("\r\n", at + name.size());
    return text.substr(0, at + name.size()) + "<id>" +
           (end == std::string::npos ? std::string() : text.substr(end));
}

// Bytes as lower-case hexadecimal ("-" for none), the form the Python reader hands texts back in.
inline std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out.empty() ? "-" : out;
}

} // namespace mailtest
