#include "sms/SmsDll.h"

#include "core/StringUtil.h"

#include <cstring>

const char* const CSmsDll::s_exportNames[2] = {"GetGatewayList", "SendSms"};

namespace {
typedef void (*GetGatewayListProc)(char* buffer, int size);
}

int CSmsDll::GetGatewayList(CStringList& list) {
    list.RemoveAll();
    auto proc = reinterpret_cast<GetGatewayListProc>(GetProc(s_exportNames[0]));
    if (proc == nullptr)
        return 0;
    // The library may forget the terminating zero: the buffer starts zeroed and the last byte is
    // made a zero again after the call, so reading never runs past the buffer.
    char buffer[kListBufferSize];
    std::memset(buffer, 0, sizeof(buffer));
    proc(buffer, kListBufferSize);
    buffer[kListBufferSize - 1] = '\0';
    CStringList pieces;
    SplitString(buffer, pieces, "\n");
    // "a\nb\n" splits into "a", "b" and an empty piece; a gateway without a name is no gateway.
    for (POSITION pos = pieces.GetHeadPosition(); pos != nullptr;) {
        const CString& name = pieces.GetNext(pos);
        if (!name.IsEmpty())
            list.AddTail(name);
    }
    return (int)list.GetCount();
}
