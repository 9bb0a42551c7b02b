// Unique identifiers: random (version 4) UUIDs and their text form, for MIME boundaries and mail
// envelope ids.
#pragma once

#include "platform/base/Types.h"

struct UUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
};
typedef LONG RPC_STATUS;
typedef unsigned char* RPC_CSTR;

#define RPC_S_OK 0
#define RPC_S_OUT_OF_MEMORY 14
#define RPC_S_INVALID_ARG 87

// A new random identifier.
RPC_STATUS UuidCreate(UUID* pUuid);
// "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx" in lower case, without braces; freed with
// RpcStringFreeA.
RPC_STATUS UuidToStringA(const UUID* pUuid, RPC_CSTR* pString);
RPC_STATUS RpcStringFreeA(RPC_CSTR* pString);
