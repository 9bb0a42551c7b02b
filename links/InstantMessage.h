// Direct instant messages between two running copies of the program. The sender connects to the
// receiver's address on the instant-message port, writes one record (three archive strings: the
// content, the sender as name and own address, the subject) and closes; there is no reply. The
// receiver's listener reads each connection by notices into a bounded buffer and hands every
// complete record on as a received short message.
#pragma once

#include <functional>

#include "links/InstantMessageRecord.h"
#include "platform/base/CString.h"
#include "platform/base/Types.h"

class _CSender;
class _CSms;

// The port both ends use.
constexpr UINT kInstantMessagePort = 7086;

// The port the sender connects to: kInstantMessagePort unless a test chose another.
UINT GetInstantMessageSendPort();
// For tests only (they never use the real port): answers the previous port; 0 restores the real.
UINT SetInstantMessageSendPortForTesting(UINT nPort);

// The name a sending account signs its instant messages with: its signature, else its name.
CString GetInstantMessageSenderName(_CSender& account);

// Sends one instant message from the account to the address (the recipient's code) on the
// send port: 0 when the record was written, 1000 when nothing could be sent (no socket, no
// connection, a record over the limit, an error while writing). A host name is looked up off
// the calling thread; pump, when given, is called again and again while the send waits.
int SendInstantMessage(_CSender& account, LPCTSTR lpszAddress, const CString& content,
                       const CString& subject, const std::function<void()>& pump = nullptr);
