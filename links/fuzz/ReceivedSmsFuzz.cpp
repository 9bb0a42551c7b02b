// libFuzzer entry for a receive reply of the gateway: any bytes as the reply. Reading must end
// normally and add exactly the messages it counts, each a held message whose content lies inside
// the reply.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "links/ReceivedSmsReply.h"
#include "sms/Sender.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const CString reply(text.c_str()); // a reply is text: it ends at a zero byte
    _CSender account("fuzz", FALSE);
    _CSmsBox box;
    const int added = ParseReceivedSms(reply, account, box);
    if (added != box.GetSmsCount())
        std::abort();
    for (POSITION pos = box.GetFirstSmsPosition(); pos;) {
        _CSms* sms = box.GetNextSms(pos);
        if (sms->GetState() != _CSms::STATE_HELD ||
            text.find(sms->m_strContent.GetString()) == std::string::npos)
            std::abort();
    }
    return 0;
}
