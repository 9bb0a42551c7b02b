#include "links/CommDevice.h"
#include "links/InstantMessage.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <iterator>

#include "core/HanziString.h"
#include "links/ReceivedSmsReply.h"
#include "links/SmsWordLists.h"
#include "platform/base/Archive.h"
#include "platform/base/Exception.h"
#include "platform/base/File.h"
#include "platform/base/ModuleDir.h"
#include "platform/base/OsPath.h"
#include "platform/base/Profile.h"
#include "sms/SenderDoc.h"

namespace {

constexpr int kWideMaxDefault = 70;
constexpr int kAnsiMaxDefault = 160;

// The phone's settings in the profile (the section also names the device of each port).
constexpr const char* kPhoneSection = COMM_PORT_PROFILE_SECTION;
constexpr const char* kPhonePort = "Port";
constexpr const char* kPhoneBaud = "BaudRate";
constexpr const char* kPhoneCentre = "ServiceCentre";
constexpr const char* kPhoneAutoConnect = "AutoConnect";
constexpr const char* kPhoneAutoCentre = "AutoGetServiceCentre";

// Every stored field of a message, one after another: what tells the store's messages apart.
std::string StoredKey(const _CSms& sms) {
    std::string key;
    auto add = [&key](const CString& text) {
        key.append(text.GetString(), static_cast<size_t>(text.GetLength()));
        key += '\x1f';
    };
    add(sms.m_sender.m_str);
    add(sms.m_strSubject);
    add(sms.m_strContent);
    add(sms.m_recipient.m_str);
    for (POSITION pos = sms.m_batchList.GetHeadPosition(); pos;)
        add(sms.m_batchList.GetNext(pos));
    key += std::to_string(sms.m_bBatch) + ',' + std::to_string(sms.GetState()) + ',' +
           std::to_string(sms.m_nKind) + ',' + std::to_string(sms.m_nSize) + ',' +
           std::to_string(sms.GetTime().GetTime());
    return key;
}

BOOL SameMonth(const CTime& a, const CTime& b) {
    return a.GetYear() == b.GetYear() && a.GetMonth() == b.GetMonth();
}

// The store read or written as a sender file; a failure is kept as text for the manager to
// report instead of being shown by the document.
class CIncomingStoreDoc : public CSenderDoc {
public:
    explicit CIncomingStoreDoc(BOOL bStandardBoxes) : CSenderDoc(bStandardBoxes) {}
    void ReportSaveLoadException(LPCTSTR, CException* e, BOOL, UINT) override {
        TCHAR text[512] = "";
        if (e && e->GetErrorMessage(text, sizeof text))
            m_strFailure = text;
        else
            m_strFailure = "文件无法读写";
    }
    CString m_strFailure;
};

// Holds the lock that two running copies of the program take around the store.
class CStoreLock {
public:
    CStoreLock() {
        std::filesystem::path folder = OsPathFromProgramPath(GetModuleDirectory() + "\\Sms");
        CreatePrivateFolders(folder);
        m_fd = open((folder / "incoming.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd >= 0)
            while (flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
            }
    }
    ~CStoreLock() {
        if (m_fd >= 0)
            close(m_fd); // releases the lock
    }
    CStoreLock(const CStoreLock&) = delete;
    CStoreLock& operator=(const CStoreLock&) = delete;

private:
    int m_fd = -1;
};

BOOL IncomingFileExists(const CString& path) {
    std::error_code ec;
    return std::filesystem::exists(OsPathFromProgramPath(path), ec);
}

// Puts an unreadable store aside so that what it holds is not lost; answers the text the user
// is told.
CString KeepDamagedStore(const CString& path, const CString& reason) {
    std::error_code ec;
    std::filesystem::path from = OsPathFromProgramPath(path);
    std::filesystem::path to = from;
    to += ".bad";
    std::filesystem::rename(from, to, ec);
    CString text;
    if (ec)
        text.Format("收到的短信存放文件“%s”无法读取(%s)，请检查该文件。", path.GetString(),
                    reason.GetString());
    else
        text.Format("收到的短信存放文件“%s”无法读取(%s)，已改名保存为“%s.bad”。", path.GetString(),
                    reason.GetString(), path.GetString());
    return text;
}

} // namespace

BOOL IsFatalResult(int nResult) {
    switch (nResult) {
    case 110:
    case 111:
    case 112:
    case 113:
    case 140:
    case 141:
    case 142:
    case 210:
    case 240:
    case SMS_RESULT_NOT_TRIED:
        return TRUE;
    default:
        return FALSE;
    }
}

void GetSmsMaxSizes(int& nWideMax, int& nAnsiMax) {
    CProfileStore profile;
    nWideMax = static_cast<int>(profile.GetProfileInt("SMS", "WideMaxSize", kWideMaxDefault));
    nAnsiMax = static_cast<int>(profile.GetProfileInt("SMS", "AnsiMaxSize", kAnsiMaxDefault));
    // Below 1 the split would never end; above the network's limits a part would not go whole.
    if (nWideMax < 1)
        nWideMax = kWideMaxDefault;
    if (nAnsiMax < 1)
        nAnsiMax = kAnsiMaxDefault;
    nWideMax = std::min(nWideMax, kWideMaxDefault);
    nAnsiMax = std::min(nAnsiMax, kAnsiMaxDefault);
}

std::vector<CString> SplitSmsContent(const CString& content, int nKind, int nWideMax,
                                     int nAnsiMax) {
    std::vector<CString> parts;
    if (content.IsEmpty())
        return parts;
    if (nKind != _CSms::KIND_MOBILE) {
        parts.push_back(content);
        return parts;
    }
    const BOOL wide = FindFirstDoubleByteChar(content) >= 0;
    const int step = std::max(1, wide ? nWideMax : nAnsiMax);
    for (int offset = 0; offset < content.GetLength();) {
        CString part = wide ? MidByChars(content, offset, step) : content.Mid(offset, step);
        if (part.IsEmpty())
            break;
        offset += part.GetLength();
        parts.push_back(part);
    }
    return parts;
}

CString StripCountryCode(const CString& number) {
    if (number.Left(3) == "+86")
        return number.Mid(3);
    if (number.Left(2) == "86")
        return number.Mid(2);
    return number;
}

CCommDevice::CCommDevice() : m_pAgent(std::make_unique<CMobileAgent>()) {
    m_pAgent->SetListener(this);
}

CCommDevice::~CCommDevice() {
    // The port's thread ends before anything it could call goes.
    m_pAgent->Close();
    if (m_pProgress) {
        CISendProgress* progress = m_pProgress;
        m_pProgress = nullptr;
        progress->DestroyProgress();
    }
}

_CSender* CCommDevice::SetSender(_CSender* pSender) {
    m_pSender = pSender;
    return m_pSender;
}

BOOL CCommDevice::BeginSend() {
    if (!m_pSender)
        return FALSE;
    m_nLastResult = 0;
    if (!m_pProgress && m_pHost)
        m_pProgress = m_pHost->CreateSendProgress(this);
    if (m_pProgress) {
        CString title;
        if (!m_pSender->GetName().IsEmpty())
            title.Format("“%s”发送短信", m_pSender->GetName().GetString());
        m_pProgress->ShowForRun(title);
    }
    m_bStopRequested = FALSE;
    m_bSending = TRUE;
    return TRUE;
}

void CCommDevice::EndSend() {
    m_bStopRequested = FALSE;
    m_bSending = FALSE;
    m_pSender = nullptr;
    if (m_pProgress)
        m_pProgress->SetFinished();
    // A message the phone stored during the run is taken now.
    if (m_bPhoneReceivePending && !m_bReceiving) {
        m_bPhoneReceivePending = FALSE;
        ReceiveSms(nullptr);
    }
}

void CCommDevice::SetProgressTotal(int n) {
    if (m_pProgress)
        m_pProgress->SetTotal(n);
}

void CCommDevice::OnProgressDestroyed(CISendProgress* pProgress) {
    if (m_pProgress == pProgress)
        m_pProgress = nullptr;
}

_CSms* CCommDevice::GetQueueHead() const {
    return m_replacementQueue.IsEmpty() ? nullptr
                                        : static_cast<_CSms*>(m_replacementQueue.GetHead());
}

CString CCommDevice::GetSendResultText(int nCode) const {
    if (nCode == SMS_RESULT_PHONE_ERROR)
        return m_strResultText;
    if (nCode == SMS_RESULT_REFUSED_WORDS)
        return GetSmsResultText(nCode) + ": " + m_strFilteredWord;
    return GetSmsResultText(nCode);
}

int CCommDevice::SendSms(_CSms** ppSms) {
    m_pCurrentSms = *ppSms;
    m_ppCallerSms = ppSms;
    m_replacementQueue.RemoveAll();
    m_sentRecipients.RemoveAll();
    m_unsentRecipients.RemoveAll();
    m_sentBox.DeleteAllSms();
    m_unsentBox.DeleteAllSms();

    _CSms* sms = m_pCurrentSms;
    int wideMax = 0, ansiMax = 0;
    GetSmsMaxSizes(wideMax, ansiMax);
    // The phone sends every part as UCS-2, where 70 characters fill a message.
    if (IsPhoneOpen())
        ansiMax = wideMax;
    const std::vector<CString> parts =
        SplitSmsContent(sms->m_strContent, sms->m_nKind, wideMax, ansiMax);
    if (!sms->m_bBatch)
        return SendToRecipient(parts, nullptr);

    int last = SMS_RESULT_NOT_TRIED;
    BOOL fatal = FALSE;
    for (POSITION pos = sms->m_batchList.GetHeadPosition(); pos;) {
        const CString entry = sms->m_batchList.GetNext(pos);
        if (fatal) {
            m_unsentRecipients.AddTail(entry);
            continue;
        }
        last = SendToRecipient(parts, &entry);
        fatal = IsFatalResult(last);
    }

    if (!m_sentRecipients.IsEmpty()) {
        if (!m_unsentRecipients.IsEmpty()) {
            auto* rest = new _CSms(sms->m_strSubject);
            rest->m_bBatch = TRUE;
            rest->SetState(sms->GetState());
            rest->m_nKind = sms->m_nKind;
            rest->m_strContent = sms->m_strContent;
            rest->m_nSize = sms->m_nSize;
            rest->m_sender = sms->m_sender;
            rest->m_batchList.AddTail(&m_unsentRecipients);
            m_unsentBox.AddSms(rest);
        }
        sms->m_batchList.RemoveAll();
        sms->m_batchList.AddTail(&m_sentRecipients);
        sms->SetState(_CSms::STATE_SENT);
        sms->SetTime(m_lastFullTime);
    } else if (!m_unsentRecipients.IsEmpty()) {
        sms->m_batchList.RemoveAll();
        sms->m_batchList.AddTail(&m_unsentRecipients);
    } else if (!sms->m_batchList.IsEmpty()) {
        // Every recipient got only some parts: the split copies stand in its place.
        sms->m_batchList.RemoveAll();
        sms->SetState(_CSms::STATE_ABANDONED);
    }

    if (!m_sentRecipients.IsEmpty() || !m_sentBox.IsSmsListEmpty())
        return !m_unsentRecipients.IsEmpty() || !m_unsentBox.IsSmsListEmpty()
                   ? SMS_RESULT_PARTLY_SENT
                   : SMS_RESULT_OK;
    return last;
}

int CCommDevice::SendToRecipient(const std::vector<CString>& parts, const CString* pEntry) {
    _CSms* sms = m_pCurrentSms;
    const CNameCodeString recipient(pEntry ? *pEntry : sms->m_recipient.m_str);
    const CString number = recipient.GetCode();
    if (m_pProgress)
        m_pProgress->BeginRecipient(recipient.GetDisplayText(), static_cast<int>(parts.size()));

    int result = SMS_RESULT_NOT_TRIED;
    size_t sent = 0;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (sms->m_nKind == _CSms::KIND_MOBILE) {
            result = SendPart(parts[i], number);
        } else if (sms->m_nKind == _CSms::KIND_INSTANT) {
            result = SendDirectPart(parts[i], number);
        } else {
            result = SMS_RESULT_NOT_TRIED; // notes are left through the card service only
        }
        if (m_pProgress)
            m_pProgress->ReportPartResult(result, i + 1 == parts.size());
        if (result != SMS_RESULT_OK)
            break;
        ++sent;
    }

    if (sent == 0) {
        if (pEntry)
            m_unsentRecipients.AddTail(*pEntry);
    } else if (sent == parts.size()) {
        result = SMS_RESULT_OK;
        m_lastFullTime = CTime::GetCurrentTime();
        if (pEntry) {
            m_sentRecipients.AddTail(*pEntry);
        } else {
            sms->SetState(_CSms::STATE_SENT);
            sms->SetTime(m_lastFullTime);
        }
    } else {
        result = SMS_RESULT_PARTLY_SENT;
        SplitPartlySent(parts, sent, recipient.m_str);
        if (!pEntry)
            sms->SetState(_CSms::STATE_ABANDONED);
    }
    if (m_pProgress)
        m_pProgress->StepProgress();
    return result;
}

void CCommDevice::SplitPartlySent(const std::vector<CString>& parts, size_t nSent,
                                  const CString& recipient) {
    _CSms* sms = m_pCurrentSms;
    CString sentText, restText;
    for (size_t i = 0; i < parts.size(); ++i)
        (i < nSent ? sentText : restText) += parts[i];

    auto makeCopy = [&](const CString& content) {
        auto* copy = new _CSms(sms->m_strSubject);
        copy->m_bBatch = FALSE;
        copy->m_nKind = sms->m_nKind;
        copy->m_sender = sms->m_sender;
        copy->m_recipient = CNameCodeString(recipient);
        copy->m_strContent = content;
        copy->m_nSize = content.GetLength();
        return copy;
    };
    _CSms* done = makeCopy(sentText);
    done->SetState(_CSms::STATE_SENT);
    done->SetTime(m_lastPartTime);
    m_sentBox.AddSms(done);
    _CSms* rest = makeCopy(restText);
    rest->SetState(sms->GetState());
    rest->SetTime(sms->GetTime());
    m_unsentBox.AddSms(rest);
}

int CCommDevice::SendPart(const CString& content, const CString& number) {
    if (IsFatalResult(m_nLastResult))
        return m_nLastResult;
    if (m_pProgress)
        m_pProgress->PumpMessages();
    if (m_bStopRequested)
        return SMS_RESULT_STOPPED;

    const CString user = m_pSender ? m_pSender->GetRecord().m_remote.m_strUserId : CString();
    const CTime now = CTime::GetCurrentTime();
    auto month = m_monthLimits.find(user);
    if (month != m_monthLimits.end()) {
        if (SameMonth(CTime(month->second), now))
            return SMS_RESULT_MONTH_LIMIT;
        m_monthLimits.erase(month);
    }
    auto day = m_dayLimits.find(user);
    if (day != m_dayLimits.end()) {
        const CTime then(day->second);
        if (SameMonth(then, now) && then.GetDay() == now.GetDay())
            return SMS_RESULT_DAY_LIMIT;
        m_dayLimits.erase(day);
    }

    m_strFilteredWord.Empty();
    int result = SMS_RESULT_NOT_TRIED;
    if (IsPhoneOpen()) {
        result = AgentSend(content, number);
    } else if (m_pSender) {
        const int illegal = FindFilteredWord(content, m_strFilteredWord);
        result = GatewaySend(*m_pSender, content, number, illegal, m_strResultText, ProgressPump());
    }

    m_lastPartTime = CTime::GetCurrentTime();
    if (result == SMS_RESULT_MONTH_LIMIT)
        m_monthLimits[user] = m_lastPartTime.GetTime();
    else if (result == SMS_RESULT_DAY_LIMIT)
        m_dayLimits[user] = m_lastPartTime.GetTime();
    m_nLastResult = result;
    return result;
}

int CCommDevice::SendDirectPart(const CString& strContent, const CString& strAddress) {
    // Straight to the other copy's listener over TCP; a direct message is never split.
    if (!m_pSender)
        return SMS_RESULT_NOT_TRIED;
    return SendInstantMessage(*m_pSender, strAddress, strContent,
                              m_pCurrentSms ? m_pCurrentSms->m_strSubject : CString(),
                              ProgressPump());
}

GatewayPump CCommDevice::ProgressPump() {
    if (!m_pProgress)
        return nullptr;
    return [this] {
        if (m_pProgress)
            m_pProgress->PumpMessages();
    };
}

void CCommDevice::FileSendResults(_CSmsBox* pBox) {
    _CSms* sms = m_pCurrentSms;
    if (!sms)
        return;
    _CSmsBox* box = pBox ? pBox : dynamic_cast<_CSmsBox*>(CIMessage::GetBox(sms));
    if (!box)
        return;
    _CSmsBox* root = dynamic_cast<_CSmsBox*>(box->GetRootGroup());
    POSITION scan = root ? root->GetFirstSubBoxPosition() : nullptr;
    _CSmsBox* sentBox = root ? root->FindNextSubBoxByType(CMsgBoxBase::BOX_SENT, scan) : nullptr;

    // Where the message stands: the copies take its place, after the message before it.
    POSITION before = nullptr;
    BOOL inBox = FALSE;
    for (POSITION pos = box->GetFirstSmsPosition(); pos;) {
        POSITION here = pos;
        if (box->GetNextSms(pos) == sms) {
            inBox = TRUE;
            break;
        }
        before = here;
    }
    auto placeInBox = [&](_CSms* copy) {
        if (before)
            before = box->AddSms(copy, FALSE, before, TRUE);
        else if (!box->IsSmsListEmpty())
            before = box->AddSms(copy, FALSE, box->GetFirstSmsPosition(), FALSE);
        else
            before = box->AddSms(copy);
    };

    // Without a sent box the sent copies stay beside the message, where the next send leaves
    // them alone (only pending messages go out again).
    while (!m_sentBox.IsSmsListEmpty()) {
        POSITION pos = m_sentBox.GetFirstSmsPosition();
        _CSms* copy = m_sentBox.GetNextSms(pos);
        m_sentBox.RemoveMessage(copy, FALSE);
        if (sentBox)
            sentBox->AddSms(copy);
        else
            placeInBox(copy);
    }

    if (sms->GetState() == _CSms::STATE_ABANDONED) {
        if (inBox)
            box->RemoveMessage(sms, TRUE);
        else
            delete sms;
        if (m_ppCallerSms)
            *m_ppCallerSms = nullptr;
        m_pCurrentSms = nullptr;
    } else if (sms->GetState() == _CSms::STATE_SENT && sentBox) {
        if (inBox)
            box->RemoveMessage(sms, FALSE);
        sentBox->AddSms(sms);
    } else {
        if (!inBox)
            placeInBox(sms);
        m_replacementQueue.AddHead(sms);
    }

    while (!m_unsentBox.IsSmsListEmpty()) {
        POSITION pos = m_unsentBox.GetFirstSmsPosition();
        _CSms* copy = m_unsentBox.GetNextSms(pos);
        m_unsentBox.RemoveMessage(copy, FALSE);
        m_replacementQueue.AddTail(copy);
        placeInBox(copy);
    }
}

BOOL CCommDevice::SendPendingInBox(_CSmsBox* pBox, BOOL bRecurse) {
    if (!pBox)
        return TRUE;
    SetProgressTotal(pBox->CountRecipientsByState(_CSms::STATE_PENDING, bRecurse));
    // The messages pending now, each sent once: filing adds copies to the boxes and moves
    // messages between them while the run goes on.
    std::vector<_CSms*> pending;
    std::vector<_CSmsBox*> boxes{pBox};
    for (size_t i = 0; i < boxes.size(); ++i) {
        for (POSITION pos = boxes[i]->GetFirstSmsPosition(); pos;) {
            _CSms* sms = boxes[i]->GetNextSms(pos);
            if (sms->GetState() == _CSms::STATE_PENDING)
                pending.push_back(sms);
        }
        if (!bRecurse)
            break;
        std::vector<_CSmsBox*> subs;
        for (POSITION pos = boxes[i]->GetFirstSubBoxPosition(); pos;)
            subs.push_back(boxes[i]->GetNextSubBox(pos));
        boxes.insert(boxes.begin() + static_cast<long>(i) + 1, subs.begin(), subs.end());
    }
    for (_CSms* sms : pending) {
        _CSms* current = sms;
        int result = SendSms(&current);
        FileSendResults(nullptr);
        if (IsFatalResult(result) || m_bStopRequested)
            return FALSE;
    }
    return TRUE;
}

// ---- Receiving ---------------------------------------------------------------------------

void CCommDevice::ReceiveSms(_CSender* pAccount) {
    if (m_bReceiving)
        return;
    if (!pAccount && m_pHost)
        pAccount = m_pHost->GetActiveSender();
    if (!pAccount || !m_pHost)
        return;
    m_bReceiving = TRUE;
    if (IsPhoneOpen()) {
        // Messages the phone stores meanwhile are taken in the same receive (a few rounds at
        // most; later ones wait on the phone for the next).
        for (int round = 0; round < 4; ++round) {
            m_bPhoneReceivePending = FALSE;
            ReceiveFromPhone(*pAccount);
            if (!m_bPhoneReceivePending || !IsPhoneOpen())
                break;
        }
    } else {
        m_pHost->RunReceiveDialog(*this, *pAccount);
    }
    m_bReceiving = FALSE;
}

void CCommDevice::ReceiveFromPhone(_CSender& account) {
    std::vector<MOBILE_SMS> list;
    m_pAgent->ListMessages(4, list);
    // A phone marks what it lists as read: an account that keeps the phone's copies takes only
    // the messages not listed before, so none is filed twice.
    const BOOL keep = account.GetRecord().m_receive.m_bKeepServerCopy;
    int taken = 0;
    for (const MOBILE_SMS& message : list) {
        if (keep && message.status != 0)
            continue;
        m_holdingBox.AddSms(MakeSmsFromPhone(message));
        ++taken;
    }
    if (taken == 0)
        return;
    BOOL stored = FALSE;
    HandOver(&account, &stored);
    // Only the listed ones (read by now) leave the phone, and only once they are on disk: a
    // message that came after the list is unread and stays.
    if (stored && !keep && IsPhoneOpen())
        m_pAgent->DeleteMessages(1);
}

int CCommDevice::FetchIncomingSms(_CSender& account, int& nReceived, const GatewayPump& pump) {
    nReceived = 0;
    CString text, reply;
    int code = PostToGateway(SMS_GATEWAY_RECEIVE_PAGE, FormatGatewayReceiveForm(account), text,
                             &reply, pump);
    SetResultText(text);
    if (code != SMS_RESULT_OK)
        return code;
    nReceived = ParseReceivedSms(reply, account, m_holdingBox);
    if (nReceived > 0)
        DeliverIncomingSms(nullptr, &account);
    return code;
}

LRESULT CCommDevice::DeliverIncomingSms(_CSms* pSms, _CSender* pAccount) {
    if (pSms)
        m_holdingBox.AddSms(pSms);
    return HandOver(pAccount, nullptr);
}

LRESULT CCommDevice::HandOver(_CSender* pAccount, BOOL* pStored) {
    // On disk before anyone is told: a crash from here on finds them again at the next start.
    const BOOL stored = SaveIncomingSms();
    if (pStored)
        *pStored = stored;

    std::vector<std::pair<_CSms*, std::unique_ptr<_CSms>>> before;
    for (POSITION pos = m_holdingBox.GetFirstSmsPosition(); pos;) {
        _CSms* held = m_holdingBox.GetNextSms(pos);
        before.emplace_back(held, std::make_unique<_CSms>(*held));
    }
    LRESULT answer = m_pHost ? m_pHost->OnSmsArrived(pAccount, &m_holdingBox) : 0;
    // What left the box went to the account: it stays in the store until the account is saved.
    std::set<const _CSms*> stillHeld;
    for (POSITION pos = m_holdingBox.GetFirstSmsPosition(); pos;)
        stillHeld.insert(m_holdingBox.GetNextSms(pos));
    for (auto& [held, copy] : before)
        if (!stillHeld.count(held))
            m_handed.push_back({pAccount, std::move(copy)});

    if (answer && pAccount && pAccount->GetRecord().m_receive.m_bPlaySound && m_pHost) {
        const SSenderReceiveScheme& receive = pAccount->GetRecord().m_receive;
        CString path;
        if (receive.m_nSoundChoice == SSenderReceiveScheme::SOUND_FILE &&
            !receive.m_strSoundFile.IsEmpty())
            path = receive.m_strSoundFile;
        else
            path = GetModuleDirectory() + "\\Sound\\msgarrival.wav";
        m_pHost->PlayArrivalSound(path);
    }
    return answer;
}

_CSms* CCommDevice::MakeSmsFromPhone(const MOBILE_SMS& message) {
    const SM_DELIVERED& m = message.message;
    auto* sms = new _CSms();
    sms->m_sender = CNameCodeString(StripCountryCode(m.originator));
    sms->m_strContent = m.text;
    sms->m_nSize = m.text.GetLength();
    sms->SetState(_CSms::STATE_HELD);
    sms->m_nKind = _CSms::KIND_MOBILE;
    // The centre's time stamp; a phone that gave none (or a bad one) gets the time it arrived.
    CTime stamp = CTime::GetCurrentTime();
    if (m.year >= 2000 && m.month >= 1 && m.month <= 12 && m.day >= 1 && m.day <= 31 &&
        m.hour >= 0 && m.hour < 24 && m.minute >= 0 && m.minute < 60 && m.second >= 0 &&
        m.second < 60)
        stamp = CTime(m.year, m.month, m.day, m.hour, m.minute, m.second);
    sms->SetTime(stamp);
    return sms;
}

void CCommDevice::OnNewSmsStored() {
    if (m_bSending || m_bReceiving) {
        m_bPhoneReceivePending = TRUE;
        return;
    }
    ReceiveSms(nullptr);
}

void CCommDevice::OnNewSms(const MOBILE_SMS& message) {
    _CSender* account = m_pHost ? m_pHost->GetActiveSender() : nullptr;
    DeliverIncomingSms(MakeSmsFromPhone(message), account);
}

void CCommDevice::OnSenderFileSaved(_CSender* pAccount) {
    auto gone = std::remove_if(m_handed.begin(), m_handed.end(),
                               [&](const Handed& h) { return h.account == pAccount; });
    if (gone == m_handed.end())
        return;
    m_handed.erase(gone, m_handed.end());
    SaveIncomingSms();
}

CString CCommDevice::GetIncomingFilePath() {
    return GetModuleDirectory() + "\\" + kIncomingFile;
}

BOOL CCommDevice::SaveIncomingSms() {
    std::vector<const _CSms*> ours;
    for (POSITION pos = m_holdingBox.GetFirstSmsPosition(); pos;)
        ours.push_back(m_holdingBox.GetNextSms(pos));
    for (const Handed& h : m_handed)
        ours.push_back(h.copy.get());
    if (ours.empty() && m_written.empty())
        return TRUE; // nothing of ours is there and nothing is to be added

    CStoreLock lock;
    const CString path = GetIncomingFilePath();
    std::unique_ptr<CIncomingStoreDoc> doc;
    if (IncomingFileExists(path)) {
        doc = std::make_unique<CIncomingStoreDoc>(FALSE);
        if (!doc->OnOpenDocument(path)) {
            if (m_pHost)
                m_pHost->ReportError(KeepDamagedStore(path, doc->m_strFailure));
            doc.reset();
        }
    }
    // A new store holds nothing of what was written before.
    std::multiset<std::string> inFile;
    if (doc)
        inFile = m_written;
    else
        doc = std::make_unique<CIncomingStoreDoc>(TRUE);

    // Ours that are no longer held or waiting leave, ours that are new join; what stays keeps
    // its place, and the messages of other running copies are left alone.
    std::multiset<std::string> current;
    std::vector<std::pair<std::string, const _CSms*>> keyed;
    for (const _CSms* sms : ours) {
        keyed.emplace_back(StoredKey(*sms), sms);
        current.insert(keyed.back().first);
    }
    std::multiset<std::string> release, added;
    std::set_difference(inFile.begin(), inFile.end(), current.begin(), current.end(),
                        std::inserter(release, release.end()));
    std::set_difference(current.begin(), current.end(), inFile.begin(), inFile.end(),
                        std::inserter(added, added.end()));
    _CSmsBox& root = doc->GetRootBox();
    for (POSITION pos = root.GetFirstSmsPosition(); pos && !release.empty();) {
        _CSms* stored = root.GetNextSms(pos);
        auto it = release.find(StoredKey(*stored));
        if (it != release.end()) {
            release.erase(it);
            root.RemoveMessage(stored, TRUE);
        }
    }
    for (const auto& [key, sms] : keyed) {
        auto it = added.find(key);
        if (it == added.end())
            continue;
        added.erase(it);
        root.AddSms(new _CSms(*sms));
    }

    if (root.IsSmsListEmpty()) {
        if (!DeleteIncomingFile()) {
            if (m_pHost)
                m_pHost->ReportError("无法删除收到的短信存放文件“" + path + "”。");
            return FALSE;
        }
    } else if (!doc->OnSaveDocument(path)) {
        if (m_pHost)
            m_pHost->ReportError("无法保存收到的短信到文件“" + path + "”(" + doc->m_strFailure +
                                 ")，原来的文件未被改动。");
        return FALSE;
    }
    m_written = std::move(current);
    return TRUE;
}

int CCommDevice::LoadIncomingSms() {
    CStoreLock lock;
    const CString path = GetIncomingFilePath();
    if (!IncomingFileExists(path))
        return 0;
    CIncomingStoreDoc doc(FALSE);
    if (!doc.OnOpenDocument(path)) {
        if (m_pHost)
            m_pHost->ReportError(KeepDamagedStore(path, doc.m_strFailure));
        return 0;
    }
    int taken = 0;
    _CSmsBox& root = doc.GetRootBox();
    while (!root.IsSmsListEmpty()) {
        POSITION pos = root.GetFirstSmsPosition();
        _CSms* sms = root.GetNextSms(pos);
        root.RemoveMessage(sms, FALSE);
        // Still in the file: it leaves it once it has been filed and its account saved.
        m_written.insert(StoredKey(*sms));
        m_holdingBox.AddSms(sms);
        ++taken;
    }
    return taken;
}

BOOL CCommDevice::DeleteIncomingFile() {
    std::error_code ec;
    std::filesystem::remove(OsPathFromProgramPath(GetIncomingFilePath()), ec);
    return !ec;
}

BOOL CCommDevice::CanClose(CString& strText) const {
    if (m_pAgent->IsOpen() && m_pAgent->IsBusy()) {
        strText = "移动设备正在通信，请稍后再尝试关闭！";
        return FALSE;
    }
    strText.Empty();
    return TRUE;
}

// ---- The phone link --------------------------------------------------------------------------

int CCommDevice::AgentSend(const CString& content, const CString& number) {
    // The progress window's Cancel stays alive while the phone takes the part.
    if (m_pProgress)
        m_pAgent->SetWaitPump(ProgressPump());
    const BOOL sent = m_pAgent->SendPduAndWait(content, number, PDU_DCS_UCS2);
    m_pAgent->SetWaitPump(m_agentPump);
    if (sent)
        return SMS_RESULT_OK;
    // The phone's last line is its verdict ("+CMS ERROR: 500"); lines before it are not.
    CString response = m_pAgent->GetResponse();
    response.Replace("\r", "\n");
    response.TrimRight('\n');
    const int lastBreak = response.ReverseFind('\n');
    if (lastBreak >= 0)
        response = response.Mid(lastBreak + 1);
    response.Trim();
    if (response.IsEmpty())
        response = IsPhoneOpen() ? "无回应" : "移动设备已断开";
    m_strResultText.Format("出错!(%s)", response.GetString());
    return SMS_RESULT_PHONE_ERROR;
}

void CCommDevice::SetAgentWaitPump(std::function<void()> pump) {
    m_agentPump = std::move(pump);
    m_pAgent->SetWaitPump(m_agentPump);
}

void CCommDevice::ServicePhone(DWORD ms) {
    // A running command takes the phone's lines itself.
    if (m_pAgent->IsBusy())
        return;
    m_pAgent->ProcessPortMessages(ms);
}

BOOL CCommDevice::InitAgent() {
    CProfileStore profile;
    CMobileAgent& agent = *m_pAgent;
    UINT port = profile.GetProfileInt(kPhoneSection, kPhonePort, 1);
    agent.SetComPort(port >= 1 && port <= 9 ? port : 1);
    UINT baud = profile.GetProfileInt(kPhoneSection, kPhoneBaud, 9600);
    agent.SetBaudRate(baud > 0 ? baud : 9600);
    agent.SetServiceCentre(profile.GetProfileString(kPhoneSection, kPhoneCentre, ""));
    agent.SetAutoConnect(profile.GetProfileInt(kPhoneSection, kPhoneAutoConnect, 0) != 0);
    agent.SetAutoGetServiceCentre(profile.GetProfileInt(kPhoneSection, kPhoneAutoCentre, 1) != 0);
    if (!agent.GetAutoConnect() || agent.IsOpen())
        return agent.IsOpen();
    if (!agent.Reconnect())
        return FALSE;
    agent.Setup();
    CString centre;
    if (agent.GetAutoGetServiceCentre() && agent.QueryServiceCentre(centre))
        agent.SetServiceCentre(centre);
    ServicePhone();
    return agent.IsOpen();
}

void CCommDevice::SaveAgentSettings() const {
    CProfileStore profile;
    const CMobileAgent& agent = *m_pAgent;
    profile.WriteProfileInt(kPhoneSection, kPhonePort, (int)agent.GetComPort());
    profile.WriteProfileInt(kPhoneSection, kPhoneBaud, (int)agent.GetBaudRate());
    profile.WriteProfileString(kPhoneSection, kPhoneCentre, agent.GetServiceCentre());
    profile.WriteProfileInt(kPhoneSection, kPhoneAutoConnect, agent.GetAutoConnect() ? 1 : 0);
    profile.WriteProfileInt(kPhoneSection, kPhoneAutoCentre,
                            agent.GetAutoGetServiceCentre() ? 1 : 0);
}

void CCommDevice::ShutdownAgent() {
    SaveAgentSettings();
    m_pAgent->Close();
}
