// The record one instant message travels as: three archive strings (the content, the sender as
// name and own address, the subject), nothing before or after them.
#pragma once

#include <vector>

#include "platform/base/CString.h"
#include "platform/base/Types.h"

// The most a record may take on the wire; the listener drops larger ones and the sender refuses
// to send them.
constexpr int kInstantMessageMaxRecord = 64 * 1024;

struct InstantMessageRecord {
    CString content;
    // The sender's stored name-and-code form: name, newline, address.
    CString sender;
    CString subject;
};

// The record's bytes.
std::vector<BYTE> StoreInstantMessage(const InstantMessageRecord& record);

// Whether a sender text has the stored name-and-code form: a name, a newline and a dotted IPv4
// address, or the name or the address alone. A name is GBK text without control characters.
bool IsInstantMessageSender(const CString& sender);

// The sender a received record is filed under: the name the record states (none when it states
// an address alone) with the address the connection came from, whatever address the record
// claims, so that a reply goes back to the machine that sent it. Empty when peerAddress is.
CString InstantMessageSenderFromPeer(const CString& stated, const CString& peerAddress);

// How far a buffer holds a record: complete (the bytes are exactly the three strings, with a
// sender of the form above), incomplete (the bytes stop early; more may come) or damaged (no more
// bytes can make a record of them: a bad sender, bytes after the third string, a broken string).
enum class InstantMessageParse { complete, incomplete, damaged };
InstantMessageParse ParseInstantMessage(const std::vector<BYTE>& bytes,
                                        InstantMessageRecord& record);
