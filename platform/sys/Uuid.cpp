#include "platform/sys/Uuid.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <random>

#include <sys/random.h>

namespace {

// Random bytes from the kernel; should it refuse, from the C++ library's own random device.
void FillRandom(BYTE* out, size_t n) {
    size_t done = 0;
    while (done < n) {
        ssize_t got = ::getrandom(out + done, n - done, 0);
        if (got <= 0)
            break;
        done += static_cast<size_t>(got);
    }
    if (done < n) {
        std::random_device device;
        for (; done < n; ++done)
            out[done] = static_cast<BYTE>(device());
    }
}

} // namespace

RPC_STATUS UuidCreate(UUID* pUuid) {
    if (!pUuid)
        return RPC_S_INVALID_ARG;
    BYTE bytes[16];
    FillRandom(bytes, sizeof bytes);
    std::memcpy(&pUuid->Data1, bytes, 4);
    std::memcpy(&pUuid->Data2, bytes + 4, 2);
    std::memcpy(&pUuid->Data3, bytes + 6, 2);
    std::memcpy(pUuid->Data4, bytes + 8, 8);
    pUuid->Data3 = static_cast<WORD>((pUuid->Data3 & 0x0FFF) | 0x4000);   // version 4: random
    pUuid->Data4[0] = static_cast<BYTE>((pUuid->Data4[0] & 0x3F) | 0x80); // the RFC 4122 variant
    return RPC_S_OK;
}

RPC_STATUS UuidToStringA(const UUID* pUuid, RPC_CSTR* pString) {
    if (!pUuid || !pString)
        return RPC_S_INVALID_ARG;
    const size_t size = 37;
    char* text = new (std::nothrow) char[size];
    if (!text) {
        *pString = nullptr;
        return RPC_S_OUT_OF_MEMORY;
    }
    const BYTE* d = pUuid->Data4;
    std::snprintf(text, size, "%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x",
                  static_cast<unsigned>(pUuid->Data1), static_cast<unsigned>(pUuid->Data2),
                  static_cast<unsigned>(pUuid->Data3), d[0], d[1], d[2], d[3], d[4], d[5], d[6],
                  d[7]);
    *pString = reinterpret_cast<RPC_CSTR>(text);
    return RPC_S_OK;
}

RPC_STATUS RpcStringFreeA(RPC_CSTR* pString) {
    if (!pString)
        return RPC_S_INVALID_ARG;
    delete[] reinterpret_cast<char*>(*pString);
    *pString = nullptr;
    return RPC_S_OK;
}
