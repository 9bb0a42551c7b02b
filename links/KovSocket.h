// A blocking socket that reads and writes lines ending in CR LF.
#pragma once

#include "platform/base/CString.h"
#include "platform/net/AsyncSocket.h"

class CKovSocket : public CSocket {
public:
    // The longest line ReadLine takes; a peer that sends more without a line end is refused.
    static constexpr int kMaxLine = 8 * 1024;

    // Shuts a valid socket down both ways and closes it; TRUE.
    BOOL CloseSocket();
    // Reads byte by byte up to a CR followed by LF; the text gets every byte before that pair.
    // Answers the text's length, or -1 when a read does not give exactly one byte or the line
    // grows past kMaxLine.
    int ReadLine(CString& rText);
    // The text, with "\r\n" after it when asked, in one send; answers the send's result.
    int SendLine(const CString& text, BOOL bAddLineEnd = TRUE);
};
