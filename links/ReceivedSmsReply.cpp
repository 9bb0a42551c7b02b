#include "links/ReceivedSmsReply.h"

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "core/DateTime.h"
#include "core/HanziString.h"
#include "sms/Sender.h"

namespace {

// The text between two keys of a received record (to the end without a second key); FALSE
// when a key is missing.
BOOL Between(const CString& piece, LPCTSTR from, LPCTSTR to, CString& out) {
    int start = piece.Find(from);
    if (start < 0)
        return FALSE;
    start += static_cast<int>(std::strlen(from));
    if (!to) {
        out = piece.Mid(start);
        return TRUE;
    }
    int end = piece.Find(to, start);
    if (end < 0)
        return FALSE;
    out = piece.Mid(start, end - start);
    return TRUE;
}

} // namespace

int ParseReceivedSms(const CString& reply, _CSender& account, _CSmsBox& box) {
    int sepStart = reply.Find("sep=");
    if (sepStart < 0)
        return 0;
    sepStart += 4;
    int fromPos = reply.Find("from=", sepStart);
    if (fromPos <= sepStart)
        return 0; // no separator: nothing can be split safely
    const std::string sep(reply.GetString() + sepStart, fromPos - sepStart);

    // One pass over the reply, character by character, so that a separator is only seen where a
    // character starts and a long reply costs no more than its length.
    const char* text = reply.GetString();
    const size_t length = static_cast<size_t>(reply.GetLength());
    std::vector<std::pair<size_t, size_t>> pieces; // after each separator, to the next
    size_t pieceStart = std::string::npos;
    for (size_t pos = static_cast<size_t>(sepStart); pos < length;) {
        if (length - pos >= sep.size() && std::memcmp(text + pos, sep.data(), sep.size()) == 0) {
            if (pieceStart != std::string::npos)
                pieces.emplace_back(pieceStart, pos);
            pos += sep.size();
            pieceStart = pos;
            continue;
        }
        pos += IsDoubleByteLead(static_cast<unsigned char>(text[pos])) && pos + 1 < length ? 2 : 1;
    }
    if (pieceStart != std::string::npos)
        pieces.emplace_back(pieceStart, length);

    int added = 0;
    for (const auto& [start, end] : pieces) {
        const CString piece(text + start, static_cast<int>(end - start));
        CString from, to, time, content;
        if (!Between(piece, "from=", "to=", from) || !Between(piece, "to=", "time=", to) ||
            !Between(piece, "time=", "content=", time) ||
            !Between(piece, "content=", nullptr, content))
            continue;
        auto* sms = new _CSms();
        sms->m_bBatch = FALSE;
        sms->SetState(_CSms::STATE_HELD);
        sms->m_nKind = _CSms::KIND_MOBILE;
        sms->m_strContent = content;
        sms->m_nSize = content.GetLength();
        sms->m_sender = CNameCodeString(from);
        sms->m_recipient.Set(account.GetName(), to);
        CTime when;
        sms->SetTime(ParseTimeText(time, when) ? when : CTime::GetCurrentTime());
        box.AddSms(sms);
        ++added;
    }
    return added;
}
