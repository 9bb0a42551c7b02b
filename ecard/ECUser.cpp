#include "ecard/ECUser.h"

#include <set>

#include "core/StringUtil.h"
#include "ecard/ECRequest.h"
#include "platform/base/Archive.h"

IMPLEMENT_SERIAL(CECUser, CECContact, 1)

namespace {

const char kTimeFormat[] = "%Y-%m-%d %H:%M:%S";

CString Enc(const CString& text) {
    return UrlEncodeString(text);
}

// "number,modified,go-access-modified,access-modified" of a contact: what the service compares
// to decide whether the contact is up to date.
CString ContactTimes(CECContact* pContact) {
    CString times;
    times.Format("%s,%s,%s", (LPCTSTR)pContact->GetModifiedTime().Format(kTimeFormat),
                 (LPCTSTR)pContact->m_timeGoAccessModify.Format(kTimeFormat),
                 (LPCTSTR)pContact->m_timeAccessModify.Format(kTimeFormat));
    return times;
}

// Moves every sub-group and contact of the source to the end of the target, in their order.
void TakeChildren(CECGroup& target, CECGroup& source) {
    while (source.GetSubgroupCount() > 0) {
        auto* pGroup = static_cast<CGroup*>(source.GetHead());
        source.RemoveSubgroup(pGroup, FALSE);
        target.AddSubgroup(pGroup, FALSE, nullptr, TRUE, TRUE);
    }
    while (POSITION pos = source.GetFirstContentPosition()) {
        CContent* pContent = source.RemoveContentAt(pos, FALSE);
        target.AddContent(pContent, FALSE, nullptr, TRUE, TRUE);
    }
}

void CollectPointers(const CGroup& group, std::set<const CContent*>& out) {
    for (POSITION pos = group.GetFirstContentPosition(); pos != nullptr;)
        out.insert(group.GetNextContent(pos));
    for (POSITION pos = group.GetFirstSubgroupPosition(); pos != nullptr;)
        CollectPointers(*group.GetNextSubgroup(pos), out);
}

// The user numbers a message goes to: every batch entry's code, or the single recipient's.
void MessageRecipients(const _CSms& sms, CDWordArray& out) {
    auto add = [&out](const CString& code) {
        UINT nUid = CECResponseParser::ParseNumber(code);
        if (nUid != 0)
            out.Add(nUid);
    };
    if (!sms.m_bBatch) {
        add(sms.m_recipient.GetCode());
        return;
    }
    for (POSITION pos = sms.m_batchList.GetHeadPosition(); pos != nullptr;)
        add(CNameCodeString(sms.m_batchList.GetNext(pos)).GetCode());
}

} // namespace

CECUser::CECUser() {
    m_root.AddSubgroup(&m_friends, FALSE, nullptr, TRUE, TRUE);
    m_root.AddSubgroup(&m_strangers, FALSE, nullptr, TRUE, TRUE);
    m_root.AddSubgroup(&m_deregistered, FALSE, nullptr, TRUE, TRUE);
}

CECUser::~CECUser() {
    // A request still running is cancelled by the runner and never reaches this user again.
    m_runner.SetListener(nullptr);
    ReleaseMadeContacts();
    // The three groups are members of the user, not of the root.
    m_root.RemoveSubgroup(&m_friends, FALSE);
    m_root.RemoveSubgroup(&m_strangers, FALSE);
    m_root.RemoveSubgroup(&m_deregistered, FALSE);
}

void CECUser::Serialize(CArchive& ar) {
    CECGroup* groups[3] = {&m_friends, &m_strangers, &m_deregistered};
    if (ar.IsStoring()) {
        m_account.Serialize(ar);
        CECContact::Serialize(ar);
        for (CECGroup* pGroup : groups)
            pGroup->Serialize(ar);
        return;
    }
    SECAccount account;
    CECContact card(nullptr, FALSE);
    CECGroup loaded[3];
    account.Serialize(ar);
    card.Serialize(ar);
    for (CECGroup& group : loaded)
        group.Serialize(ar);

    m_account = account;
    CECContact::CopyFrom(&card);
    for (int i = 0; i < 3; ++i) {
        groups[i]->RemoveAll();
        groups[i]->SetName(loaded[i].GetName());
        groups[i]->ModifyFlags(~0u, loaded[i].GetFlags());
        TakeChildren(*groups[i], loaded[i]);
    }
}

CString CECUser::GetSenderName() const {
    if (!m_account.m_strUserName.IsEmpty())
        return m_account.m_strUserName;
    if (!m_strUserName.IsEmpty())
        return m_strUserName;
    CString number;
    number.Format("%u", m_account.m_nUid);
    return number;
}

void CECUser::SetUserNumber(UINT nUid) {
    m_account.m_nUid = nUid;
    m_nUid = nUid;
}

// ---- Request sets -----------------------------------------------------------------------------

int CECUser::BeginRequest(CECSessionOwner* pOwner) {
    ReleaseMadeContacts();
    m_pCurrentSet = &m_requestSet;
    m_nBatch = 0;
    m_batchPos = nullptr;
    m_pOwner = pOwner;
    return 0;
}

void CECUser::AddToRequest(CECContact* pContact, BOOL bClearFirst) {
    if (bClearFirst)
        m_requestSet.RemoveAll();
    if (pContact != nullptr)
        m_requestSet[pContact->m_nUid] = pContact;
}

void CECUser::AddToRequest(CECGroup* pGroup, BOOL bClearFirst) {
    if (bClearFirst)
        m_requestSet.RemoveAll();
    if (pGroup != nullptr)
        pGroup->CollectContacts(m_requestSet);
}

void CECUser::AddNumberToRequest(UINT nUid, BOOL bClearFirst) {
    if (bClearFirst)
        m_requestSet.RemoveAll();
    if (nUid != 0 && m_requestSet.PLookup(nUid) == nullptr)
        m_requestSet[nUid] = nullptr;
}

void CECUser::NoteMadeContacts() {
    std::set<const CContent*> placed;
    CollectPointers(m_root, placed);
    std::set<CECContact*> known;
    for (POSITION pos = m_made.GetHeadPosition(); pos != nullptr;)
        known.insert(m_made.GetNext(pos));
    auto note = [&](CECContact* pContact) {
        if (pContact != nullptr && pContact->GetParent() == nullptr &&
            placed.count(pContact) == 0 && known.insert(pContact).second)
            m_made.AddTail(pContact);
    };
    for (POSITION pos = m_requestSet.GetStartPosition(); pos != nullptr;) {
        UINT nUid = 0;
        CECContact* pContact = nullptr;
        m_requestSet.GetNextAssoc(pos, nUid, pContact);
        note(pContact);
    }
    for (POSITION pos = m_resultSet.GetStartPosition(); pos != nullptr;) {
        UINT nUid = 0;
        SECResultEntry entry;
        m_resultSet.GetNextAssoc(pos, nUid, entry);
        note(entry.pNew);
    }
}

void CECUser::ReleaseMadeContacts() {
    if (m_made.IsEmpty())
        return;
    // Whether a contact was placed is told by the tree, never by the contact: a placed one may
    // since have been deleted with its group.
    std::set<const CContent*> placed;
    CollectPointers(m_root, placed);
    std::set<CECContact*> gone;
    while (!m_made.IsEmpty()) {
        CECContact* pContact = m_made.RemoveHead();
        if (placed.count(pContact) == 0)
            gone.insert(pContact);
    }
    for (POSITION pos = m_requestSet.GetStartPosition(); pos != nullptr;) {
        UINT nUid = 0;
        CECContact* pContact = nullptr;
        m_requestSet.GetNextAssoc(pos, nUid, pContact);
        if (gone.count(pContact) != 0)
            m_requestSet[nUid] = nullptr;
    }
    for (POSITION pos = m_resultSet.GetStartPosition(); pos != nullptr;) {
        UINT nUid = 0;
        SECResultEntry entry;
        m_resultSet.GetNextAssoc(pos, nUid, entry);
        if (gone.count(entry.pNew) != 0)
            m_resultSet[nUid].pNew = nullptr;
    }
    for (CECContact* pContact : gone)
        delete pContact;
}

// ---- Bodies -----------------------------------------------------------------------------------

CString CECUser::GetAuthBody() const {
    return GetECAuthBody(m_account.m_nUid, m_account.m_strPassword);
}

CString CECUser::BuildAddBody() {
    CString plain, items;
    for (POSITION pos = m_requestSet.GetStartPosition(); pos != nullptr;) {
        UINT nUid = 0;
        CECContact* pContact = nullptr;
        m_requestSet.GetNextAssoc(pos, nUid, pContact);
        if (pContact == nullptr) {
            if (!plain.IsEmpty())
                plain += ",";
            plain.AppendFormat("%u", nUid);
            continue;
        }
        CString item;
        item.Format("%u|flags=allinfo|%s", nUid, (LPCTSTR)ContactTimes(pContact));
        items += "&Contacts=" + Enc(item);
    }
    plain += "|flags=allinfo";
    return GetAuthBody() + "&Contacts=" + Enc(plain) + items;
}

CString CECUser::BuildRemoveBody() {
    CString list;
    for (POSITION pos = m_requestSet.GetStartPosition(); pos != nullptr;) {
        UINT nUid = 0;
        CECContact* pContact = nullptr;
        m_requestSet.GetNextAssoc(pos, nUid, pContact);
        if (!list.IsEmpty())
            list += ",";
        list.AppendFormat("%u", nUid);
    }
    return GetAuthBody() + "&Contacts=" + list;
}

CString CECUser::BuildDownloadBody() {
    CString body = GetAuthBody();
    for (POSITION pos = m_pCurrentSet->GetStartPosition(); pos != nullptr;) {
        UINT nUid = 0;
        CECContact* pContact = nullptr;
        m_pCurrentSet->GetNextAssoc(pos, nUid, pContact);
        CString item;
        if (pContact != nullptr)
            item.Format("%u,%s", nUid, (LPCTSTR)ContactTimes(pContact));
        else
            item.Format("%u", nUid);
        body += "&Contact=" + Enc(item);
    }
    return body;
}

CString CECUser::BuildAccessBody(BOOL bDefault) {
    CString users;
    if (bDefault) {
        users = "0";
    } else {
        for (POSITION pos = m_requestSet.GetStartPosition(); pos != nullptr;) {
            UINT nUid = 0;
            CECContact* pContact = nullptr;
            m_requestSet.GetNextAssoc(pos, nUid, pContact);
            if (pContact == nullptr ||
                (pContact->m_dwStatus & CECContact::STATUS_ACCESS_PENDING) == 0)
                continue;
            users.AppendFormat("%u", nUid);
            if (pos != nullptr)
                users += ",";
        }
    }
    CString access;
    for (int i = 0; i < EC_ACCESS_CATEGORY_COUNT; ++i) {
        if (i > 0)
            access += ";";
        access.AppendFormat("%s=%d,%d", GetECAccessShortName(i), m_pendingAccess[i],
                            m_pendingMasks[i]);
    }
    return GetAuthBody() + "&Contacts=" + Enc(users + "|" + access);
}

CString CECUser::BuildUploadBody() {
    CString body = GetAuthBody();
    CString selections;
    for (int i = 0; i < EC_FIELD_ORDER_COUNT; ++i) {
        const int nField = GetECFieldInOrder(i);
        LPCTSTR name = GetECFieldName(nField);
        int nKind = 0;
        void* pData = m_uploadCard.GetFieldData(nField, nKind);
        if (name == nullptr || pData == nullptr)
            continue;
        switch (nKind) {
        case FIELD_TEXT:
            body.AppendFormat("&%s=%s", name, (LPCTSTR)Enc(*static_cast<CString*>(pData)));
            break;
        case FIELD_INT:
            body.AppendFormat("&%s=%d", name, *static_cast<int*>(pData));
            break;
        case FIELD_INT8:
            body.AppendFormat("&%s=%u", name, *static_cast<UINT*>(pData));
            break;
        case FIELD_DATE: {
            const auto& date = *static_cast<CDate*>(pData);
            CString text;
            text.Format("%d-%d-%d", date.GetYear(), date.GetMonth(), date.GetDay());
            body.AppendFormat("&%s=%s", name, (LPCTSTR)Enc(text));
            break;
        }
        case FIELD_TIME:
            body.AppendFormat("&%s=%s", name,
                              (LPCTSTR)Enc(static_cast<CTime*>(pData)->Format(kTimeFormat)));
            break;
        case FIELD_MULTI_VALUE:
        case FIELD_CERTIFICATES: {
            const CXStringList list = nKind == FIELD_CERTIFICATES
                                          ? static_cast<CCertificateList*>(pData)->ToXStringList()
                                          : *static_cast<CXStringList*>(pData);
            if (list.IsEmpty())
                body.AppendFormat("&%s=", name);
            for (int item = 0; item < list.GetCount(); ++item) {
                CString value;
                for (int s = 0; s < list.GetItemSize(); ++s) {
                    if (s > 0)
                        value += EC_ITEM_PART_SEPARATOR;
                    value += list.GetValue(item, s);
                }
                body.AppendFormat("&%s=%s", name, (LPCTSTR)Enc(value));
            }
            if (!list.IsEmpty() && list.GetCurrentIndex() != 0) {
                if (!selections.IsEmpty())
                    selections += "&";
                selections.AppendFormat("%s=%d", name, list.GetCurrentIndex());
            }
            break;
        }
        }
    }
    body += "&cursels=" + Enc(selections);
    return body;
}

// ---- Operations -------------------------------------------------------------------------------

int CECUser::PostRequestAsync(LPCTSTR lpszPage, const CString& body) {
    if (!IsECServiceAddressSet())
        return EC_RESULT_NOT_STARTED;
    return m_runner.StartRequest(GetECPageUrl(lpszPage), body) == 0 ? 0 : EC_RESULT_NOT_STARTED;
}

int CECUser::SendNextBatch() {
    m_batchSet.RemoveAll();
    for (int n = 0; n < EC_DOWNLOAD_BATCH && m_batchPos != nullptr; ++n) {
        UINT nUid = 0;
        CECContact* pContact = nullptr;
        m_requestSet.GetNextAssoc(m_batchPos, nUid, pContact);
        m_batchSet[nUid] = pContact;
    }
    return PostRequestAsync("downcontacts.asp", BuildDownloadBody());
}

void CECUser::StartOperation(int nOperation) {
    if (IsBusy() || (m_requestSet.IsEmpty() && nOperation != EC_OP_SYNC_FRIENDS))
        return;
    int nResult = 0;
    switch (nOperation) {
    case EC_OP_ADD_FRIENDS:
    case EC_OP_ADD_CONTACTS:
        m_nOperation = nOperation;
        nResult = PostRequestAsync(
            nOperation == EC_OP_ADD_FRIENDS ? "addfriends.asp" : "addcontacts.asp", BuildAddBody());
        break;
    case EC_OP_REMOVE_FRIENDS:
        m_nOperation = nOperation;
        nResult = PostRequestAsync("delfriends.asp", BuildRemoveBody());
        break;
    case EC_OP_DOWNLOAD:
        m_nOperation = nOperation;
        if (m_nBatch == 0 && m_requestSet.GetCount() > EC_DOWNLOAD_BATCH) {
            m_pCurrentSet = &m_batchSet;
            m_batchPos = m_requestSet.GetStartPosition();
            nResult = SendNextBatch();
        } else {
            m_pCurrentSet = &m_requestSet;
            nResult = PostRequestAsync("downcontacts.asp", BuildDownloadBody());
        }
        break;
    case EC_OP_SYNC_FRIENDS:
        m_nOperation = nOperation;
        m_pCurrentSet = &m_requestSet;
        nResult = PostRequestAsync("syncallfriends.asp", BuildDownloadBody());
        break;
    case EC_OP_SET_ACCESS:
        m_nOperation = nOperation;
        nResult = PostRequestAsync("setcntaccess.asp", BuildAccessBody(FALSE));
        break;
    default:
        return;
    }
    if (m_pListener == nullptr)
        return;
    if (nResult != 0)
        m_pListener->OnECUserStartFailed(this, nResult);
    else
        m_pListener->OnECUserSessionBegin(this);
}

int CECUser::StartUserInfoOperation(int nOperation) {
    if (IsBusy())
        return EC_RESULT_BUSY;
    CString body;
    LPCTSTR page = nullptr;
    switch (nOperation) {
    case EC_OP_UPLOAD_CARD:
        page = "uploaduserinfo.asp";
        body = BuildUploadBody();
        break;
    case EC_OP_DOWNLOAD_CARD:
        page = "downuserinfo.asp";
        body = GetAuthBody();
        break;
    case EC_OP_SET_DEFAULT_ACCESS:
        page = "setcntaccess.asp";
        body = BuildAccessBody(TRUE);
        break;
    default:
        return 0;
    }
    m_nOperation = nOperation;
    BeginSession(PostRequestAsync(page, body));
    return 0;
}

void CECUser::BeginSession(int nSent) {
    if (m_pListener != nullptr)
        m_pListener->OnECUserSessionBegin(this);
    if (m_pOwner != nullptr)
        m_pOwner->OnECSessionBegin(this);
    // A request that could not start gets no reply to wait for: it is handled here as failed
    // with that code, so the windows do not wait for ever.
    if (nSent != 0) {
        OnInetResponse(nSent, CString());
        OnInetStateChanged();
    }
}

int CECUser::SendCurrentMessage() {
    if (m_pProgress != nullptr && m_bProgressRunning)
        m_pProgress->BeginMessage(m_pCurrentMessage->m_recipient.GetDisplayText());
    CDWordArray recipients;
    MessageRecipients(*m_pCurrentMessage, recipients);
    return PostRequestAsync("leavemessage.asp",
                            GetAuthBody() + GetECMessageBody(recipients,
                                                             m_pCurrentMessage->m_strSubject,
                                                             m_pCurrentMessage->m_strContent,
                                                             m_pCurrentMessage->GetFlags() & 3));
}

int CECUser::LeaveMessages(CECSessionOwner* pOwner, const CObList& messages) {
    if (IsBusy())
        return EC_RESULT_BUSY;
    BeginRequest(pOwner);
    for (POSITION pos = messages.GetHeadPosition(); pos != nullptr;)
        if (auto* pSms = dynamic_cast<_CSms*>(messages.GetNext(pos)))
            m_queue.AddTail(pSms);
    if (m_queue.IsEmpty())
        return 0;
    m_nOperation = EC_OP_LEAVE_MESSAGES;
    m_pCurrentMessage = static_cast<_CSms*>(m_queue.RemoveHead());
    if (m_pProgress != nullptr) {
        CString caption;
        caption.Format("\"%s\"发送短信", (LPCTSTR)GetSenderName());
        m_pProgress->Start(caption, (int)messages.GetCount());
        m_bProgressRunning = TRUE;
    }
    BeginSession(SendCurrentMessage());
    return 0;
}

int CECUser::ReceiveMessages(CECSessionOwner* pOwner) {
    if (IsBusy())
        return EC_RESULT_BUSY;
    BeginRequest(pOwner);
    m_nOperation = EC_OP_RECEIVE_MESSAGES;
    BeginSession(PostRequestAsync("recvmessage.asp", GetAuthBody()));
    return 0;
}

int CECUser::DownAccount() {
    CString text;
    const int nCode = PostECRequest("downaccount.asp", GetAuthBody(), &text);
    if (nCode == 0)
        CECResponseParser(text, -1).ParseAccount(m_account);
    return nCode;
}

void CECUser::CancelRequest() {
    if (!IsBusy())
        return;
    m_bCancelled = TRUE;
    m_runner.CancelRequest();
}

BOOL CECUser::PollRequest() {
    if (!m_runner.IsDone())
        return FALSE;
    m_runner.DispatchResult();
    return TRUE;
}

CString CECUser::GetErrorText(int nCode) const {
    return GetECErrorText(nCode, m_strLastReply);
}

// ---- Replies ----------------------------------------------------------------------------------

void CECUser::OnInetResponse(int nResult, const CString& strReply) {
    if (m_bCancelled && nResult != 0) {
        // Stopped by the user: nothing came back, and nothing went wrong that needs telling.
        m_strLastReply.Empty();
        m_nLastResult = EC_RESULT_STOPPED;
        if (m_nOperation == EC_OP_LEAVE_MESSAGES && m_pProgress != nullptr &&
            m_bProgressRunning) {
            m_pProgress->ReportResult(EC_RESULT_STOPPED, GetErrorText(EC_RESULT_STOPPED));
            m_pProgress->Step();
        }
        if (m_pListener != nullptr)
            m_pListener->OnECUserResult(this, EC_RESULT_STOPPED);
        return;
    }
    CString text;
    const int nCode = ParseECReply(nResult, strReply, text);
    m_strLastReply = LimitServerText(text);
    int nOutcome = nCode;
    if (nCode == 0) {
        CECResponseParser parser(text, m_nOperation);
        switch (m_nOperation) {
        case EC_OP_ADD_FRIENDS:
        case EC_OP_ADD_CONTACTS:
            m_resultSet.RemoveAll();
            nOutcome = parser.ParseAddContacts(m_requestSet, m_resultSet);
            NoteMadeContacts();
            break;
        case EC_OP_REMOVE_FRIENDS:
            nOutcome = parser.ParseDelFriends(m_requestSet);
            break;
        case EC_OP_DOWNLOAD:
            parser.ParseContacts(*m_pCurrentSet, nullptr);
            break;
        case EC_OP_SYNC_FRIENDS:
            m_resultSet.RemoveAll();
            parser.ParseContacts(*m_pCurrentSet, &m_resultSet);
            NoteMadeContacts();
            break;
        case EC_OP_SET_ACCESS:
            parser.ParseSetAccess(m_requestSet);
            break;
        case EC_OP_DOWNLOAD_CARD:
            parser.ParseUserInfo(*this, m_access);
            break;
        case EC_OP_LEAVE_MESSAGES:
            if (m_pCurrentMessage != nullptr) {
                m_pCurrentMessage->SetState(_CSms::STATE_SENT);
                if (auto* pBox = dynamic_cast<_CSmsBox*>(m_pCurrentMessage->GetParent()))
                    pBox->MoveSmsToBoxOfType(m_pCurrentMessage, 2);
            }
            if (m_pProgress != nullptr && m_bProgressRunning) {
                m_pProgress->ReportResult(0, "");
                m_pProgress->Step();
            }
            break;
        case EC_OP_RECEIVE_MESSAGES:
            m_newStrangers.RemoveAll();
            parser.ParseMessages(*this, m_root, m_strangers, m_newStrangers);
            break;
        default:
            break;
        }
    } else if (m_nOperation == EC_OP_LEAVE_MESSAGES && m_pProgress != nullptr &&
               m_bProgressRunning) {
        m_pProgress->ReportResult(nCode, GetErrorText(nCode));
        m_pProgress->Step();
    }
    m_nLastResult = nOutcome;
    if (m_pListener != nullptr)
        m_pListener->OnECUserResult(this, nOutcome);
    if (m_pOwner != nullptr)
        m_pOwner->OnECSessionResult(this, nOutcome);
}

void CECUser::OnInetStateChanged() {
    if (m_nOperation == EC_OP_LEAVE_MESSAGES) {
        while (!m_queue.IsEmpty() && m_pProgress != nullptr && m_bProgressRunning &&
               !m_pProgress->IsCancelled() && !m_bCancelled) {
            m_pCurrentMessage = static_cast<_CSms*>(m_queue.RemoveHead());
            const int nSent = SendCurrentMessage();
            if (nSent == 0)
                return;
            // Not started: counted as failed, and the next one is tried.
            OnInetResponse(nSent, CString());
        }
        if (m_pProgress != nullptr && m_bProgressRunning)
            m_pProgress->ClearBusy();
        m_bProgressRunning = FALSE;
        m_pCurrentMessage = nullptr;
        m_queue.RemoveAll();
    } else if (m_nOperation == EC_OP_DOWNLOAD && m_batchPos != nullptr && !m_bCancelled) {
        ++m_nBatch;
        if (SendNextBatch() == 0)
            return;
        m_batchPos = nullptr;
    }
    EndSession();
}

void CECUser::EndSession() {
    m_bCancelled = FALSE;
    m_batchPos = nullptr;
    if (m_pListener != nullptr)
        m_pListener->OnECUserSessionEnd(this);
    if (m_pOwner != nullptr)
        m_pOwner->OnECSessionEnd(this);
}
