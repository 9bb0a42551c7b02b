// The messages of a successful receive reply of the gateway: "sep=" names the separator (the text
// up to the first "from="); the reply is split at every separator, the header before the first is
// dropped, and every other piece with all of "from=", "to=", "time=" and "content=" is a message.
#pragma once

#include "platform/base/CString.h"

class _CSender;
class _CSmsBox;

// Each message becomes a held message of the account, appended to the box: the sender from the
// stored name-code text, the account's name and the receiver number as recipient, the time read
// from the time text or, when that is no real time, now. Answers how many were added.
int ParseReceivedSms(const CString& reply, _CSender& account, _CSmsBox& box);
