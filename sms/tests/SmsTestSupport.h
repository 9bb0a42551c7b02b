// Storing records into bytes and loading them back, the pieces stored layouts are made of, and
// small helpers the record tests share.
#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/base/Archive.h"
#include "platform/base/CString.h"
#include "platform/base/Exception.h"
#include "platform/base/File.h"
#include "platform/base/Time.h"
#include "testsupport/ArchiveBytes.h"

namespace smstest {

using archive_bytes::Bytes;
using archive_bytes::Load;
using archive_bytes::LoadFailure;
using archive_bytes::Store;

// Every proper prefix of a stored record must end in the archive's end-of-file error, whatever
// the record reads there, when loaded into a fresh object from make.
template <class T>
void ExpectEveryTruncationFails(const Bytes& whole, std::function<std::unique_ptr<T>()> make) {
    for (size_t n = 0; n < whole.size(); ++n) {
        std::unique_ptr<T> object = make();
        EXPECT_EQ(LoadFailure(*object, Bytes(whole.begin(), whole.begin() + n)),
                  CArchiveException::endOfFile)
            << "length " << n;
    }
}

inline std::string S(const CString& s) {
    return std::string(static_cast<const char*>(s));
}

inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline Bytes Dword(DWORD v) {
    return {Bytes::value_type(v), Bytes::value_type(v >> 8), Bytes::value_type(v >> 16),
            Bytes::value_type(v >> 24)};
}

// A string of at most 254 bytes: its one-byte length, then the bytes.
inline Bytes Str(const std::string& s) {
    Bytes out{static_cast<unsigned char>(s.size())};
    out.insert(out.end(), s.begin(), s.end());
    return out;
}

// A time in the marker form: 0x8000000A, then eight bytes of seconds.
inline Bytes Time64(long long t) {
    return Cat(
        {Dword(0x8000000A), Dword(static_cast<DWORD>(t)), Dword(static_cast<DWORD>(t >> 32))});
}

// Pins "now" for the life of the object.
class PinnedNow {
public:
    explicit PinnedNow(__time64_t now) { CTime::SetNowForTesting(now); }
    ~PinnedNow() { CTime::ResetNowForTesting(); }
    PinnedNow(const PinnedNow&) = delete;
    PinnedNow& operator=(const PinnedNow&) = delete;
};

} // namespace smstest
