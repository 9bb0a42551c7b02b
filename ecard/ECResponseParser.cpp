#include "ecard/ECResponseParser.h"

#include <set>
#include <string>
#include <string_view>

#include "core/DateTime.h"
#include "core/StringUtil.h"
#include "sms/Sms.h"

namespace {

// A text that does not decode counts as absent.
CString Decoded(const CString& value) {
    CString out;
    if (!UrlDecodeString(value, out))
        out.Empty();
    return out;
}

// Cuts at most nMax - 1 separators; the last part keeps the rest.
int SplitParts(const CString& text, char separator, CString* parts, int nMax) {
    const std::string_view view(text.GetString(), (size_t)text.GetLength());
    size_t nStart = 0;
    int n = 0;
    for (; n < nMax - 1; ++n) {
        const size_t at = view.find(separator, nStart);
        if (at == std::string_view::npos)
            break;
        parts[n] = CString(view.data() + nStart, (int)(at - nStart));
        nStart = at + 1;
    }
    parts[n] = CString(view.data() + nStart, (int)(view.size() - nStart));
    return n + 1;
}

} // namespace

CECResponseParser::CECResponseParser(CString& text, int nOperation)
    : m_text(text), m_nOperation(nOperation) {}

// ---- Pieces -----------------------------------------------------------------------------------

CString CECResponseParser::ExtractResponseValue(CString& record, LPCTSTR lpszKey, BOOL bRemove) {
    // Keys, "=" and "&" are ASCII and values arrive percent-encoded, so the record is searched
    // as bytes: replies run to megabytes.
    const std::string pattern = std::string(lpszKey != nullptr ? lpszKey : "") + "=";
    const std::string_view text(record.GetString(), (size_t)record.GetLength());
    for (size_t at = text.find(pattern); at != std::string_view::npos;
         at = text.find(pattern, at + 1)) {
        if (at > 0 && text[at - 1] != '&')
            continue;
        const size_t nValue = at + pattern.size();
        size_t nEnd = text.find('&', nValue);
        if (nEnd == std::string_view::npos)
            nEnd = text.size();
        CString value(text.data() + nValue, (int)(nEnd - nValue));
        if (bRemove) {
            const size_t nFrom = at > 0 ? at - 1 : at;
            record.Delete((int)nFrom, (int)(nEnd - nFrom));
        }
        return value;
    }
    return CString();
}

UINT CECResponseParser::ParseNumber(const CString& value) {
    unsigned long long n = 0;
    for (int i = 0; i < value.GetLength() && value[i] >= '0' && value[i] <= '9'; ++i) {
        n = n * 10 + (unsigned)(value[i] - '0');
        // A number too long for 32 bits would wrap to another user's number: refuse it.
        if (n > 0xFFFFFFFFull)
            return 0;
    }
    return (UINT)n;
}

int CECResponseParser::GetErrorCode(const CString& value, BOOL bNotFriend) {
    if (value.Find("notexist") >= 0)
        return EC_CONTACT_NOT_EXIST;
    if (value.Find("notpermit") >= 0)
        return EC_CONTACT_NOT_PERMITTED;
    if (bNotFriend && value.Find("notfriend") >= 0)
        return EC_CONTACT_NOT_FRIEND;
    if (value.Find("fail") >= 0)
        return EC_CONTACT_FAILED;
    return 0;
}

void CECResponseParser::ParseResponseTime(const CString& value, CTime& time) {
    if (value.IsEmpty())
        return;
    CString text = Decoded(value);
    if (text.IsEmpty() || !ParseTimeText(text, time))
        time = CTime(0);
}

template <class Fn> void CECResponseParser::ForEachRecord(Fn fn) {
    const std::string_view text(m_text.GetString(), (size_t)m_text.GetLength());
    for (size_t nPos = 0; nPos < text.size();) {
        const size_t nOpen = text.find('{', nPos);
        if (nOpen == std::string_view::npos)
            return;
        const size_t nClose = text.find('}', nOpen + 1);
        if (nClose == std::string_view::npos)
            return;
        nPos = nClose + 1;
        if (nClose > nOpen + 1)
            fn(CString(text.data() + nOpen + 1, (int)(nClose - nOpen - 1)));
    }
}

// ---- Contact records --------------------------------------------------------------------------

void CECResponseParser::ParseECContactFields(CECContact& contact, CString fields, BOOL bPartial) {
    contact.m_received.Clear();
    const CString cursels = Decoded(ExtractResponseValue(fields, "cursels", TRUE));
    std::set<int> seen;
    const std::string_view text(fields.GetString(), (size_t)fields.GetLength());
    for (size_t nStart = 0; nStart <= text.size();) {
        size_t nEnd = text.find('&', nStart);
        if (nEnd == std::string_view::npos)
            nEnd = text.size();
        const std::string_view pair = text.substr(nStart, nEnd - nStart);
        nStart = nEnd + 1;
        const size_t nEqual = pair.find('=');
        if (nEqual == std::string_view::npos)
            continue;
        const int nField = GetECFieldId(std::string(pair.substr(0, nEqual)).c_str());
        CString value;
        if (nField < 0 || !UrlDecodeString(std::string(pair.substr(nEqual + 1)).c_str(), value))
            continue;
        MarkECFieldReceived(contact.m_received, nField, TRUE);
        const BOOL bFirst = seen.insert(nField).second;
        // The user's own naming of a known contact wins over the name the service sends.
        if (!bPartial && nField == ECF_USERNAME && !contact.m_strUserName.IsEmpty())
            continue;
        contact.SetFieldText(nField, value, bFirst, 0, "\n", EC_ITEM_PART_SEPARATOR);
        int nKind = 0;
        void* pData = contact.GetFieldData(nField, nKind);
        if (nKind == FIELD_MULTI_VALUE && !cursels.IsEmpty()) {
            auto& list = *static_cast<CXStringList*>(pData);
            if (!list.IsEmpty()) {
                CString selections = cursels;
                list.SetCurrentIndex((int)ParseNumber(
                    ExtractResponseValue(selections, GetECFieldName(nField), FALSE)));
            }
        }
    }
    if (bPartial)
        return;
    for (int i = 0; i < EC_FIELD_ORDER_COUNT; ++i) {
        const int nField = GetECFieldInOrder(i);
        if (nField != ECF_UID && seen.count(nField) == 0)
            contact.SetFieldText(nField, nullptr, TRUE, 0, "\n", EC_ITEM_PART_SEPARATOR);
    }
}

void CECResponseParser::ParseECContactRecord(CECContact* pContact, CECContactMap& set,
                                             CString record, CECContact** ppNew,
                                             CECResultMap* pResult, BOOL bPartial) {
    CString parts[4];
    SplitParts(record, '|', parts, 4);
    CString& fields = parts[0];
    CString& flags = parts[1];
    CString& goAccess = parts[2];
    CString& access = parts[3];
    if (pContact == nullptr && fields.IsEmpty())
        return;

    // Reading the categories takes their pairs out of the access part: whether it came at all is
    // decided before.
    const BOOL bHasAccess = !access.IsEmpty();
    SECAccess values, masks;
    if (bHasAccess) {
        for (int j = 0; j < EC_ACCESS_CATEGORY_COUNT; ++j) {
            CString value = ExtractResponseValue(access, GetECAccessWireName(j), TRUE);
            if (value.IsEmpty())
                continue;
            values[j] = (int)ParseNumber(value);
            masks[j] = -1;
        }
    }
    const BOOL bUpToDate = flags.Find("uptodate") >= 0;
    const UINT nUid = ParseNumber(ExtractResponseValue(fields, "uid", TRUE));
    const CString error = ExtractResponseValue(fields, "error", TRUE);

    if (pContact == nullptr) {
        if (nUid == 0)
            return;
        CECContact* pFound = nullptr;
        if (!set.Lookup(nUid, pFound)) {
            if (ppNew == nullptr)
                return;
            SECResultEntry entry;
            if (pResult != nullptr && pResult->Lookup(nUid, entry) && entry.pNew != nullptr) {
                pContact = entry.pNew;
            } else {
                pContact = new CECContact("");
                pContact->m_nUid = nUid;
            }
            *ppNew = pContact;
        } else if (pFound != nullptr) {
            pContact = pFound;
        } else {
            return;
        }
    }

    if (error.Find("notexist") >= 0) {
        pContact->m_nExists = 0;
        pContact->UpdateStatus(CECContact::STATUS_DEREGISTERED, 0);
        return;
    }
    pContact->m_nExists = 1;
    pContact->UpdateStatus(flags.Find("friend") >= 0 ? (DWORD)CECContact::STATUS_FRIEND : 0u,
                           CECContact::STATUS_DEREGISTERED | CECContact::STATUS_FRIEND);
    if (bUpToDate) {
        if (pContact->m_strUserName.IsEmpty())
            pContact->m_strUserName = Decoded(ExtractResponseValue(fields, "username", FALSE));
    } else {
        ParseECContactFields(*pContact, fields, bPartial);
    }
    if (bHasAccess) {
        SECAccess::Merge(values, pContact->m_access, &masks);
        ParseResponseTime(ExtractResponseValue(access, "accmodify", FALSE),
                          pContact->m_timeAccessModify);
    }
    ParseResponseTime(ExtractResponseValue(goAccess, "goaccessmodify", FALSE),
                      pContact->m_timeGoAccessModify);
}

// ---- Replies ----------------------------------------------------------------------------------

int CECResponseParser::ParseContacts(CECContactMap& set, CECResultMap* pResult) {
    ForEachRecord([&](const CString& record) {
        CECContact* pNew = nullptr;
        ParseECContactRecord(nullptr, set, record, pResult != nullptr ? &pNew : nullptr, pResult,
                             FALSE);
        if (pNew != nullptr)
            (*pResult)[pNew->m_nUid].pNew = pNew;
    });
    return 0;
}

void CECResponseParser::ApplyAddResult(CECContact* pContact, UINT nUid, int nCode,
                                       CECContactMap& request, CECResultMap& result,
                                       CString* pRecord) {
    if (nCode == 0) {
        if (pContact == nullptr) {
            pContact = new CECContact("");
            pContact->m_nUid = nUid;
            request[nUid] = pContact;
            result[nUid] = SECResultEntry();
        }
        if (pRecord != nullptr)
            ParseECContactRecord(pContact, request, *pRecord, nullptr, nullptr, FALSE);
    }
    if (pContact != nullptr) {
        pContact->m_nResult = nCode;
    } else {
        SECResultEntry& entry = result[nUid];
        entry.nCode = nCode;
        entry.bHasCode = TRUE;
    }
}

int CECResponseParser::ParseAddContacts(CECContactMap& request, CECResultMap& result) {
    std::set<UINT> answered;
    ForEachRecord([&](const CString& text) {
        CString record = text;
        const UINT nUid = ParseNumber(ExtractResponseValue(record, "uid", TRUE));
        CECContact* pContact = nullptr;
        if (nUid == 0 || !request.Lookup(nUid, pContact))
            return;
        const int nCode = GetErrorCode(ExtractResponseValue(record, "error", TRUE), FALSE);
        ApplyAddResult(pContact, nUid, nCode, request, result, &record);
        answered.insert(nUid);
    });
    // Collected first: applying a result adds contacts to the set being walked.
    CDWordArray unanswered;
    for (POSITION pos = request.GetStartPosition(); pos != nullptr;) {
        UINT nUid = 0;
        CECContact* pContact = nullptr;
        request.GetNextAssoc(pos, nUid, pContact);
        if (answered.count(nUid) == 0)
            unanswered.Add(nUid);
    }
    for (int i = 0; i < unanswered.GetSize(); ++i) {
        CECContact* pContact = nullptr;
        request.Lookup(unanswered[i], pContact);
        ApplyAddResult(pContact, unanswered[i], 0, request, result, nullptr);
    }
    return 0;
}

int CECResponseParser::ParseResultCodes(CECContactMap& request, BOOL bNotFriend,
                                        BOOL bPendingOnly) {
    std::set<UINT> answered;
    ForEachRecord([&](const CString& text) {
        CString record = text;
        const UINT nUid = ParseNumber(ExtractResponseValue(record, "uid", TRUE));
        CECContact* pContact = nullptr;
        if (nUid == 0 || !request.Lookup(nUid, pContact))
            return;
        const int nCode = GetErrorCode(ExtractResponseValue(record, "error", TRUE), bNotFriend);
        if (pContact != nullptr)
            pContact->m_nResult = nCode;
        answered.insert(nUid);
    });
    for (POSITION pos = request.GetStartPosition(); pos != nullptr;) {
        UINT nUid = 0;
        CECContact* pContact = nullptr;
        request.GetNextAssoc(pos, nUid, pContact);
        if (pContact == nullptr || answered.count(nUid) != 0)
            continue;
        if (!bPendingOnly || (pContact->m_dwStatus & CECContact::STATUS_ACCESS_PENDING) != 0)
            pContact->m_nResult = 0;
    }
    return 0;
}

int CECResponseParser::ParseDelFriends(CECContactMap& request) {
    return ParseResultCodes(request, FALSE, FALSE);
}

int CECResponseParser::ParseSetAccess(CECContactMap& request) {
    return ParseResultCodes(request, TRUE, TRUE);
}

int CECResponseParser::ParseUserInfo(CECContact& card, SECAccess& defaultAccess) {
    CString parts[2];
    SplitParts(m_text, '|', parts, 2);
    ParseECContactFields(card, parts[0], TRUE);
    SECAccess values;
    if (!parts[1].IsEmpty())
        for (int j = 0; j < EC_ACCESS_CATEGORY_COUNT; ++j)
            values[j] =
                (int)ParseNumber(ExtractResponseValue(parts[1], GetECAccessWireName(j), TRUE));
    SECAccess::Merge(values, defaultAccess);
    return 0;
}

int CECResponseParser::ParseMessages(const CECContact& self, CECGroup& root, CECGroup& strangers,
                                     CECContactList& newStrangers) {
    ForEachRecord([&](const CString& text) {
        CString record = text;
        const CString from = Decoded(ExtractResponseValue(record, "fromuid", FALSE));
        const UINT nFrom = ParseNumber(from);
        if (nFrom == 0)
            return;
        const CString fromName = Decoded(ExtractResponseValue(record, "fromname", FALSE));
        const CString to = Decoded(ExtractResponseValue(record, "touid", FALSE));
        const CString sendTime = Decoded(ExtractResponseValue(record, "sendtime", FALSE));
        CECContact* pContact = root.FindByNumber(nFrom);
        if (pContact == nullptr) {
            pContact = new CECContact(fromName);
            pContact->m_nUid = nFrom;
            strangers.InsertPerson(pContact);
            newStrangers.AddTail(pContact);
        }
        _CSmsBox* pInbox = pContact->GetSmsBox(0);
        if (pInbox == nullptr)
            return;
        auto* pSms = new _CSms("");
        pSms->SetState(_CSms::STATE_UNREAD);
        pSms->m_nKind = _CSms::KIND_NOTE;
        pSms->m_strSubject = Decoded(ExtractResponseValue(record, "title", FALSE));
        pSms->m_strContent = Decoded(ExtractResponseValue(record, "content", FALSE));
        pSms->m_nSize = pSms->m_strContent.GetLength();
        CString fromCode, toCode;
        fromCode.Format("%u", nFrom);
        toCode.Format("%u", ParseNumber(to));
        pSms->m_sender.Set(pContact->m_strUserName, fromCode);
        pSms->m_recipient.Set(self.m_strUserName, toCode);
        CTime time = CTime::GetCurrentTime();
        if (sendTime.IsEmpty() || !ParseTimeText(sendTime, time))
            time = CTime::GetCurrentTime();
        pSms->SetTime(time);
        pInbox->AddSms(pSms);
    });
    return 0;
}

int CECResponseParser::ParseAccount(SECAccount& account) {
    account.m_strUserName = Decoded(ExtractResponseValue(m_text, "username", FALSE));
    account.m_strEmail = Decoded(ExtractResponseValue(m_text, "email", FALSE));
    const CString secure = Decoded(ExtractResponseValue(m_text, "secure", FALSE));
    // The service only tells whether these are set, never their values.
    account.m_strSecureEmail = secure.Find("email") >= 0 ? "1" : "";
    account.m_strCert = secure.Find("cert") >= 0 ? "1" : "";
    return 0;
}
