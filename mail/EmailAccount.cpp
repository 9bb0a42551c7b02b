#include "mail/EmailAccount.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <unordered_map>
#include <vector>

#include "core/FileUtil.h"
#include "mail/EmailMessage.h"
#include "mail/MimeCodec.h"
#include "mail/RegEmailAddress.h"
#include "platform/base/Archive.h"
#include "platform/base/Document.h"
#include "platform/base/Exception.h"
#include "platform/base/File.h"
#include "platform/base/OsPath.h"

IMPLEMENT_DYNCREATE(CEmailAccount, CMsgAccountBase)

const char* const CEmailAccount::kSettingsFile = "account.dat";
const char* const CEmailAccount::kDataFile = "mail.dat";
const char* const CEmailAccount::kIndexFile = "mail.idx";
const char* const CEmailAccount::kRootBoxFile = "root.box";

namespace {
CEmailAccount::ComposeFactory& Factory() {
    static CEmailAccount::ComposeFactory s_factory;
    return s_factory;
}

CEmailAccount::SendFailureHandler& FailureHandler() {
    static CEmailAccount::SendFailureHandler s_handler;
    return s_handler;
}

CEmailAccount::SendProgressHandler& ProgressHandler() {
    static CEmailAccount::SendProgressHandler s_handler;
    return s_handler;
}

BOOL FileExists(const CString& path) {
    CFileStatus status;
    return CFile::GetStatus(path, status);
}

CString InFolder(const CString& folder, LPCTSTR name) {
    CString path;
    CombinePath(folder, name, path);
    return path;
}
} // namespace

// ---- Server record -------------------------------------------------------------------------

void CEmailAccount::SServerInfo::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar << m_strHost << m_dwPort << m_dwAuthMode << m_strUser << m_strPassword << m_dwSsl
           << m_dwOptions;
    } else {
        ar >> m_strHost >> m_dwPort >> m_dwAuthMode >> m_strUser >> m_strPassword >> m_dwSsl >>
            m_dwOptions;
    }
}

bool CEmailAccount::SServerInfo::operator==(const SServerInfo& o) const {
    return m_strHost == o.m_strHost && m_dwPort == o.m_dwPort && m_dwAuthMode == o.m_dwAuthMode &&
           m_strUser == o.m_strUser && m_strPassword == o.m_strPassword && m_dwSsl == o.m_dwSsl &&
           m_dwOptions == o.m_dwOptions;
}

// ---- Life ----------------------------------------------------------------------------------

void CEmailAccount::SetComposeFactory(ComposeFactory factory) {
    Factory() = std::move(factory);
}

void CEmailAccount::SetSendFailureHandler(SendFailureHandler handler) {
    FailureHandler() = std::move(handler);
}

void CEmailAccount::SetSendProgressHandler(SendProgressHandler handler) {
    ProgressHandler() = std::move(handler);
}

CEmailAccount::CEmailAccount() : m_root(this, "", CMsgBoxBase::BOX_UNTYPED) {
    // Every mail listed is cached: the table grows with them.
    m_cache.SetGrowth(TRUE);
    m_smtpServer.m_dwPort = 25;
    m_smtpServer.m_dwAuthMode = 2;
    m_smtpServer.m_dwOptions = OPTION_SMTP_USES_POP3_LOGIN;
    m_pop3Server.m_dwPort = 110;
}

CEmailAccount::~CEmailAccount() {
    m_bClosing = true;
    // Whoever watches the account lets go of it before it goes.
    const std::vector<IObserver*> observers = m_observers;
    m_observers.clear();
    for (IObserver* pObserver : observers)
        pObserver->OnEmailAccountClosing(this);
    // The mail being sent stays in the outbox, stored as waiting: nothing is lost by quitting.
    m_smtp.SetListener(nullptr);
    m_smtp.Abandon();
    if (m_nextSessionTimer != 0)
        m_pTimerSource->KillTimer(m_nextSessionTimer);
    ShowSending(false);
    const std::vector<CIEmailComposeFrame*> frames = m_composers;
    m_composers.clear();
    for (CIEmailComposeFrame* pFrame : frames) {
        CEmailMessage* pMessage = pFrame->GetComposeMessage();
        pFrame->SetComposeMessage(nullptr);
        pFrame->OnAccountClosing();
        // A message the cache does not own is the frame's: it goes with the frame.
        if (pMessage != nullptr && FindCachedMessage(pMessage->GetRecordId()) != pMessage)
            delete pMessage;
    }
    for (POSITION pos = m_cache.GetStartPosition(); pos != nullptr;) {
        DWORD id;
        CEmailMessage* pMessage;
        m_cache.GetNextAssoc(pos, id, pMessage);
        delete pMessage;
    }
    m_cache.RemoveAll();
    m_db.Close();
}

void CEmailAccount::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar << m_strName << m_strExtra1 << m_strExtra2;
    } else {
        ar >> m_strName >> m_strExtra1 >> m_strExtra2;
    }
    m_person.Serialize(ar);
    m_smtpServer.Serialize(ar);
    m_pop3Server.Serialize(ar);
}

BOOL CEmailAccount::SaveSettings() {
    if (m_strFolder.IsEmpty())
        return FALSE;
    if (!SaveSerializedFile(InFolder(m_strFolder, kSettingsFile),
                            [this](CArchive& ar) { Serialize(ar); }))
        return FALSE;
    m_storedSettings = GetSettingsBytes();
    return TRUE;
}

std::string CEmailAccount::GetSettingsBytes() {
    CMemFile memory;
    if (!SerializeWithFile(&memory, CArchive::store, [this](CArchive& ar) { Serialize(ar); }))
        return std::string();
    const size_t length = static_cast<size_t>(memory.GetLength());
    BYTE* bytes = memory.Detach();
    std::string text(reinterpret_cast<const char*>(bytes), length);
    std::free(bytes);
    return text;
}

BOOL CEmailAccount::HasUnsavedSettings() {
    return IsOpen() && GetSettingsBytes() != m_storedSettings;
}

BOOL CEmailAccount::OpenStore(LPCTSTR lpszFolder, BOOL bCreate) {
    if (lpszFolder == nullptr || *lpszFolder == '\0' || m_db.IsOpen())
        return FALSE;
    const CString folder = lpszFolder;
    const CString settings = InFolder(folder, kSettingsFile);
    const CString rootPath = InFolder(folder, kRootBoxFile);
    m_strOpenProblem.Empty();
    if (bCreate) {
        if (!CreateDirectoryPath(folder, 2) || FileExists(settings) || FileExists(rootPath))
            return FALSE;
    } else {
        CFile file;
        if (!file.Open(settings, CFile::modeRead | CFile::shareDenyWrite))
            return FALSE;
        // The settings load into a scratch account first: a damaged file changes nothing here.
        CEmailAccount loaded;
        if (!SerializeWithFile(&file, CArchive::load,
                               [&loaded](CArchive& ar) { loaded.Serialize(ar); }))
            return FALSE;
        m_strName = loaded.m_strName;
        m_strExtra1 = loaded.m_strExtra1;
        m_strExtra2 = loaded.m_strExtra2;
        m_person = loaded.m_person;
        m_smtpServer = loaded.m_smtpServer;
        m_pop3Server = loaded.m_pop3Server;
        m_storedSettings = GetSettingsBytes();
    }
    m_strFolder = folder;
    m_strOpenProblem.Format("电子邮件帐户“%s”已损坏，没有打开。\n%s", (LPCTSTR)m_strName,
                            (LPCTSTR)DisplayPathFromProgramPath(folder));
    if (!m_db.Open(InFolder(folder, kDataFile), InFolder(folder, kIndexFile)))
        return FALSE;
    if (bCreate) {
        if (!m_root.Create(rootPath) || !m_root.Save() || !SaveSettings()) {
            m_db.Close();
            return FALSE;
        }
        // The standard boxes keep their kinds: adding a new box names its files by the kind and
        // then makes it a user box.
        for (int kind = CMsgBoxBase::BOX_INBOX; kind <= CMsgBoxBase::BOX_RECYCLE; ++kind) {
            auto* pBox = new CEmailBox(this, CMsgBoxBase::GetTypeName(kind), kind);
            if (m_root.AddSubgroup(pBox, FALSE) == nullptr) {
                delete pBox;
                m_db.Close();
                return FALSE;
            }
            pBox->SetBoxType(kind);
            pBox->Save();
        }
        return TRUE;
    }
    if (!m_root.Open(rootPath)) {
        if (!m_root.GetIrregularFile().IsEmpty())
            m_strOpenProblem.Format(
                "电子邮件帐户“%s”已损坏，没有打开：信箱文件\n%s\n不是普通文件。",
                (LPCTSTR)m_strName, (LPCTSTR)DisplayPathFromProgramPath(m_root.GetIrregularFile()));
        m_db.Close();
        return FALSE;
    }
    m_strOpenProblem.Empty();
    SettleMailInSeveralBoxes();
    return TRUE;
}

BOOL CEmailAccount::Create(LPCTSTR lpszFolder) {
    return OpenStore(lpszFolder, TRUE);
}

BOOL CEmailAccount::Open(LPCTSTR lpszFolder) {
    return OpenStore(lpszFolder, FALSE);
}

CEmailBox* CEmailAccount::FindBox(int nKind) {
    return dynamic_cast<CEmailBox*>(m_root.FindSubBoxByType(nKind));
}

// ---- Sending -------------------------------------------------------------------------------

BOOL CEmailAccount::PrepareSending() {
    m_smtp.SetListener(this);
    m_smtp.m_strHost = m_smtpServer.m_strHost;
    m_smtp.m_nPort = m_smtpServer.m_dwPort;
    m_smtp.m_nAuthMethod = static_cast<int>(m_smtpServer.m_dwAuthMode);
    const SServerInfo& login =
        (m_smtpServer.m_dwOptions & OPTION_SMTP_USES_POP3_LOGIN) ? m_pop3Server : m_smtpServer;
    m_smtp.m_strUser = login.m_strUser;
    m_smtp.m_strPassword = login.m_strPassword;
    return TRUE;
}

CString CEmailAccount::GetSendProblem(const CEmailMessage* pMessage) const {
    if (m_smtpServer.m_strHost.IsEmpty())
        return "帐户没有设置发送邮件服务器（SMTP）。";
    if (m_person.m_strText[PERSON_EMAIL].IsEmpty())
        return "帐户没有设置电子邮件地址。";
    if (pMessage == nullptr)
        return "没有要发送的邮件。";
    if (pMessage->m_to.GetCount() + pMessage->m_cc.GetCount() + pMessage->m_bcc.GetCount() == 0)
        return "请至少填写一个收件人。";
    return pMessage->GetSendProblem();
}

void CEmailAccount::OnAttachmentUnreadable(CEmailMessage* pMessage, const CString& strPath) {
    m_pUnreadable = pMessage;
    m_unsent.erase(std::remove(m_unsent.begin(), m_unsent.end(), pMessage), m_unsent.end());
    CString text;
    text.Format("邮件“%s”没有发出：无法读取附件 %s。文件可能已被移动或删除、不可读取，"
                "或超过 %u MB。邮件仍在原来的信箱中。",
                pMessage == nullptr || pMessage->m_strSubject.IsEmpty()
                    ? "（无主题）"
                    : (LPCTSTR)pMessage->m_strSubject,
                (LPCTSTR)strPath,
                static_cast<unsigned>(MAIL_ATTACHMENT_LIMIT / (1024 * 1024)));
    m_unreadable.Add(text);
}

void CEmailAccount::OnMessageSent(CEmailMessage* pMessage, BOOL bSuccess) {
    const bool unreadable = pMessage != nullptr && pMessage == m_pUnreadable;
    m_pUnreadable = nullptr;
    if (bSuccess)
        m_unsent.erase(std::remove(m_unsent.begin(), m_unsent.end(), pMessage), m_unsent.end());
    else if (m_nRefusalCode == 0 && !unreadable)
        m_nRefusalCode = m_smtp.GetLastReplyCode();
    if (pMessage == nullptr || !bSuccess || m_bClosing)
        return;
    CEmailBox* pOld = dynamic_cast<CEmailBox*>(pMessage->GetBox());
    pMessage->SetState(2);
    // The state is stored first: a mail found in both boxes at the next open stays in the sent
    // box that its state names.
    UpdateMessageField(pMessage, FIELD_STATE);
    if (CEmailBox* pSent = FindBox(CMsgBoxBase::BOX_SENT)) {
        if (pOld != pSent && pOld != nullptr)
            Refile(pMessage, pOld, pSent);
    }
    Notify(pMessage, pOld);
}

void CEmailAccount::OnSessionEnded() {
    ShowSending(false);
    std::vector<CEmailMessage*> again;
    for (CEmailMessage* pMessage : m_joinedLate)
        if (m_smtp.IsQueued(pMessage))
            again.push_back(pMessage);
    m_joinedLate.clear();
    m_smtp.ClearQueue();
    for (CEmailMessage* pMessage : again) {
        m_unsent.erase(std::remove(m_unsent.begin(), m_unsent.end(), pMessage), m_unsent.end());
        // Queued again at once: the mail stays busy until its own session has it.
        m_smtp.AddMessage(pMessage);
    }
    ReportUnsent();
    if (again.empty() || m_bClosing)
        return;
    m_unsent.insert(m_unsent.end(), again.begin(), again.end());
    if (m_nextSessionTimer == 0) {
        m_pTimerSource = AfxGetSocketEventSource();
        m_nextSessionTimer = m_pTimerSource->SetTimer(0, [this] {
            m_nextSessionTimer = 0;
            StartSending();
        });
    }
}

void CEmailAccount::StartSending() {
    PrepareSending();
    if (!m_smtp.Connect()) {
        m_smtp.Abandon();
        ReportUnsent();
        return;
    }
    ShowSending(true);
}

void CEmailAccount::ShowSending(bool bSending) {
    if (bSending == m_bShowingSend)
        return;
    m_bShowingSend = bSending;
    if (!ProgressHandler())
        return;
    CString text;
    if (bSending)
        text.Format("正在发送邮件：连接发送邮件服务器 %s（端口 %u）...",
                    (LPCTSTR)m_smtpServer.m_strHost, static_cast<unsigned>(m_smtpServer.m_dwPort));
    ProgressHandler()(this, text);
}

void CEmailAccount::ReportUnsent() {
    const size_t nUnsent = m_unsent.size();
    m_unsent.clear();
    // The code a mail was refused with; else the one that ended the session (0: the server
    // never answered in this session, so the connection itself failed).
    const int refusalCode = m_nRefusalCode;
    const int nCode = m_nRefusalCode != 0 ? m_nRefusalCode : m_smtp.GetLastReplyCode();
    m_nRefusalCode = 0;
    CString text;
    for (int i = 0; i < m_unreadable.GetSize(); ++i)
        text += (i > 0 ? "\n" : "") + m_unreadable[i];
    m_unreadable.RemoveAll();
    if ((nUnsent == 0 && text.IsEmpty()) || m_bClosing || !FailureHandler())
        return;
    if (nUnsent > 0 && !text.IsEmpty())
        text += "\n";
    if (nUnsent > 0 && refusalCode == 0 && m_smtp.WasServerSilent())
        text.AppendFormat(
            "%d 封邮件没有发出：服务器没有应答。发送邮件服务器 %s（端口 %u）接受了连接，"
            "却在 %u 秒内没有回答。请稍后再试，或检查帐户的服务器设置。"
            "邮件仍在原来的信箱中。",
            static_cast<int>(nUnsent), (LPCTSTR)m_smtpServer.m_strHost,
            static_cast<unsigned>(m_smtpServer.m_dwPort), (m_smtp.m_nReplyWaitMs + 999) / 1000);
    else if (nUnsent > 0 && nCode == 0)
        text.AppendFormat("%d 封邮件没有发出：无法连接发送邮件服务器 %s（端口 %u），或服务器没有应答。"
                          "请检查帐户的服务器设置和网络连接。邮件仍在原来的信箱中。",
                          static_cast<int>(nUnsent), (LPCTSTR)m_smtpServer.m_strHost,
                          static_cast<unsigned>(m_smtpServer.m_dwPort));
    else if (nUnsent > 0)
        text.AppendFormat("%d 封邮件没有发出：发送邮件服务器 %s（端口 %u）拒绝了邮件（应答代码 %d）。"
                          "请检查帐户的用户名、密码和收件人地址。邮件仍在原来的信箱中。",
                          static_cast<int>(nUnsent), (LPCTSTR)m_smtpServer.m_strHost,
                          static_cast<unsigned>(m_smtpServer.m_dwPort), nCode);
    FailureHandler()(this, text);
}

// ---- Compose frames ------------------------------------------------------------------------

CIEmailComposeFrame* CEmailAccount::FindComposeFrame(const CEmailMessage* pMessage) const {
    if (pMessage == nullptr)
        return nullptr;
    for (CIEmailComposeFrame* pFrame : m_composers)
        if (pFrame->GetComposeMessage() == pMessage)
            return pFrame;
    return nullptr;
}

BOOL CEmailAccount::IsMessageBusy(const CEmailMessage* pMessage) const {
    return pMessage != nullptr && (FindComposeFrame(pMessage) != nullptr ||
                                   const_cast<CSMTPClientSocket&>(m_smtp).IsQueued(pMessage));
}

CIEmailComposeFrame* CEmailAccount::Compose(CEmailMessage* pMessage) {
    if (CIEmailComposeFrame* pOpen = FindComposeFrame(pMessage)) {
        pOpen->ActivateFrame();
        return pOpen;
    }
    // A message the SMTP client is about to send cannot be edited underneath it.
    if (pMessage != nullptr && m_smtp.IsQueued(pMessage))
        return nullptr;
    if (!Factory())
        return nullptr;
    CIEmailComposeFrame* pFrame = Factory()(this, pMessage);
    if (pFrame != nullptr)
        m_composers.push_back(pFrame);
    return pFrame;
}

BOOL CEmailAccount::OnComposeClosed(CIEmailComposeFrame* pFrame) {
    auto it = std::find(m_composers.begin(), m_composers.end(), pFrame);
    if (pFrame == nullptr || it == m_composers.end())
        return TRUE;
    CEmailMessage* pMessage = pFrame->GetComposeMessage();
    const int action = pFrame->GetCloseAction();
    if (pMessage != nullptr && action != CIEmailComposeFrame::ActionCancel) {
        // A mail that could not be stored stays with its frame: queued, it would be in no box
        // and lost on the next start.
        if (!SaveMessage(pMessage))
            return FALSE;
        if (action == CIEmailComposeFrame::ActionSend) {
            if (m_smtp.IsBusy())
                m_joinedLate.push_back(pMessage);
            m_smtp.AddMessage(pMessage);
            if (std::find(m_unsent.begin(), m_unsent.end(), pMessage) == m_unsent.end())
                m_unsent.push_back(pMessage);
            StartSending();
        }
    }
    m_composers.erase(std::find(m_composers.begin(), m_composers.end(), pFrame));
    pFrame->SetComposeMessage(nullptr);
    if (pMessage != nullptr && action == CIEmailComposeFrame::ActionCancel &&
        pMessage->GetBox() == nullptr && FindCachedMessage(pMessage->GetRecordId()) != pMessage)
        delete pMessage;
    return TRUE;
}

BOOL CEmailAccount::CloseComposeFrames() {
    const std::vector<CIEmailComposeFrame*> frames = m_composers;
    for (CIEmailComposeFrame* pFrame : frames) {
        if (std::find(m_composers.begin(), m_composers.end(), pFrame) == m_composers.end())
            continue;
        if (!pFrame->QueryCloseFrame())
            return FALSE;
    }
    return m_composers.empty();
}

// ---- Messages ------------------------------------------------------------------------------

CEmailMessage* CEmailAccount::FindCachedMessage(DWORD dwId) const {
    CEmailMessage* pMessage = nullptr;
    if (dwId == CMiniDBRecord::NO_ID || !m_cache.Lookup(dwId, pMessage))
        return nullptr;
    return pMessage;
}

BOOL CEmailAccount::SaveMessage(CEmailMessage* pMessage) {
    if (pMessage == nullptr)
        return FALSE;
    const bool bNew = pMessage->GetRecordId() == CMiniDBRecord::NO_ID;
    if (bNew) {
        if (m_db.Append(pMessage) < 0) {
            pMessage->SetRecordId(CMiniDBRecord::NO_ID);
            return FALSE;
        }
    } else if (!m_db.Rewrite(pMessage)) {
        return FALSE;
    }
    const DWORD id = pMessage->GetRecordId();
    CEmailMessage* pCached = FindCachedMessage(id);
    // One object per id: another object stored under this id replaces one that nobody holds.
    if (pCached != nullptr && pCached != pMessage) {
        if (IsMessageBusy(pCached) || pCached->GetBox() != nullptr)
            return FALSE;
        delete pCached;
    }
    m_cache[id] = pMessage;
    if (pMessage->GetBox() != nullptr) {
        // Stored again where it is filed: a list showing it shows the new text.
        Notify(pMessage, dynamic_cast<CEmailBox*>(pMessage->GetBox()));
        return TRUE;
    }
    CEmailBox* pBox = FindBox(pMessage->GetStateImage());
    if (pBox != nullptr && pBox->AddMessage(pMessage)) {
        Notify(pMessage, nullptr);
        return TRUE;
    }
    m_cache.RemoveKey(id);
    // A new record that no box lists would never be found again.
    if (bNew) {
        m_db.Delete(id);
        pMessage->SetRecordId(CMiniDBRecord::NO_ID);
    }
    return FALSE;
}

CEmailMessage* CEmailAccount::GetMessage(DWORD dwId) {
    if (CEmailMessage* pCached = FindCachedMessage(dwId))
        return pCached;
    if (dwId == CMiniDBRecord::NO_ID)
        return nullptr;
    auto* pMessage = new CEmailMessage();
    if (!m_db.Load(dwId, pMessage)) {
        delete pMessage;
        return nullptr;
    }
    m_cache[dwId] = pMessage;
    // Loaded by id, not by listing its box: it still knows where it is filed.
    if (CEmailBox* pBox = FindBoxHolding(&m_root, dwId))
        pMessage->SetParent(pBox);
    return pMessage;
}

CEmailBox* CEmailAccount::FindBoxHolding(CEmailBox* pBox, DWORD dwId) {
    if (pBox->HasId(dwId))
        return pBox;
    for (POSITION pos = pBox->GetFirstSubgroupPosition(); pos != nullptr;)
        if (auto* pSub = dynamic_cast<CEmailBox*>(pBox->GetNextSubgroup(pos)))
            if (CEmailBox* pFound = FindBoxHolding(pSub, dwId))
                return pFound;
    return nullptr;
}

void CEmailAccount::Uncache(DWORD dwId, BOOL bDelete) {
    CEmailMessage* pMessage = FindCachedMessage(dwId);
    if (pMessage == nullptr)
        return;
    m_cache.RemoveKey(dwId);
    if (bDelete)
        delete pMessage;
}

BOOL CEmailAccount::DeleteMessage(DWORD dwId) {
    Uncache(dwId, FALSE);
    return m_db.Delete(dwId);
}

BOOL CEmailAccount::UpdateMessageField(CEmailMessage* pMessage, int nField) {
    if (pMessage == nullptr || pMessage->GetRecordId() == CMiniDBRecord::NO_ID)
        return FALSE;
    DWORD offset;
    switch (nField) {
    case FIELD_STATE:
        offset = 4;
        break;
    case FIELD_FLAGS:
        offset = 8;
        break;
    default:
        return FALSE;
    }
    int kind = 0;
    const void* pData = pMessage->GetFieldData(nField, kind);
    if (pData == nullptr)
        return FALSE;
    return m_db.WriteInRecord(pMessage->GetRecordId(), offset, pData, sizeof(DWORD));
}

BOOL CEmailAccount::MoveMessage(CEmailMessage* pMessage, CEmailBox* pDest) {
    if (pMessage == nullptr || pDest == nullptr || pDest->GetAccount() != this ||
        IsMessageBusy(pMessage))
        return FALSE;
    auto* pOld = dynamic_cast<CEmailBox*>(pMessage->GetBox());
    if (pOld == pDest)
        return TRUE;
    if (!Refile(pMessage, pOld, pDest))
        return FALSE;
    Notify(pMessage, pOld);
    return TRUE;
}

BOOL CEmailAccount::Refile(CEmailMessage* pMessage, CEmailBox* pOld, CEmailBox* pDest) {
    const DWORD id = pMessage->GetRecordId();
    if (id == CMiniDBRecord::NO_ID)
        return FALSE;
    // Each step writes one slot to the disk: between the two the mail is in both boxes.
    const BOOL bListedBefore = pDest->HasId(id);
    if (!pDest->AddId(id))
        return FALSE;
    if (pOld != nullptr && !pOld->RemoveMessage(pMessage, FALSE)) {
        if (!bListedBefore)
            pDest->RemoveId(id);
        return FALSE;
    }
    return pDest->AddMessage(pMessage);
}

void CEmailAccount::SettleMailInSeveralBoxes() {
    std::vector<CEmailBox*> boxes;
    std::function<void(CEmailBox*)> collect = [&](CEmailBox* pBox) {
        boxes.push_back(pBox);
        for (POSITION pos = pBox->GetFirstSubgroupPosition(); pos != nullptr;)
            if (auto* pSub = dynamic_cast<CEmailBox*>(pBox->GetNextSubgroup(pos)))
                collect(pSub);
    };
    collect(&m_root);
    std::unordered_map<DWORD, std::vector<CEmailBox*>> holders;
    for (CEmailBox* pBox : boxes)
        for (POSITION pos = pBox->GetFirstIdPosition(); pos != nullptr;)
            holders[pBox->GetNextId(pos)].push_back(pBox);
    for (const auto& [id, held] : holders) {
        if (held.size() < 2)
            continue;
        CEmailBox* pKeep = held.front();
        // Only a mail in two boxes is read here, so an open costs no more than it did.
        CEmailMessage stored;
        if (m_db.Load(id, &stored)) {
            CEmailBox* pByState = FindBox(stored.GetStateImage());
            if (std::find(held.begin(), held.end(), pByState) != held.end())
                pKeep = pByState;
        }
        for (CEmailBox* pBox : held)
            if (pBox != pKeep)
                pBox->RemoveId(id);
    }
}

// ---- Identity ------------------------------------------------------------------------------

void CEmailAccount::FillSender(CRegEmailAddress& address) const {
    CRegEmailAddress parsed(m_person.m_strText[PERSON_EMAIL]);
    address.m_strName = m_person.m_strText[PERSON_NAME];
    address.m_strAddress = parsed.m_strAddress;
}

void CEmailAccount::FillReplyTo(CRegEmailAddress& address) const {
    if (m_person.m_strText[PERSON_REPLY_TO].IsEmpty()) {
        FillSender(address);
        return;
    }
    CRegEmailAddress parsed(m_person.m_strText[PERSON_REPLY_TO]);
    address.m_strName = m_person.m_strText[PERSON_NAME];
    address.m_strAddress = parsed.m_strAddress;
}

// ---- Observers -----------------------------------------------------------------------------

void CEmailAccount::AddObserver(IObserver* pObserver) {
    if (pObserver != nullptr &&
        std::find(m_observers.begin(), m_observers.end(), pObserver) == m_observers.end())
        m_observers.push_back(pObserver);
}

void CEmailAccount::RemoveObserver(IObserver* pObserver) {
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), pObserver),
                      m_observers.end());
}

void CEmailAccount::Notify(CEmailMessage* pMessage, CEmailBox* pOldBox) {
    const std::vector<IObserver*> observers = m_observers;
    for (IObserver* pObserver : observers)
        if (std::find(m_observers.begin(), m_observers.end(), pObserver) != m_observers.end())
            pObserver->OnEmailMessageChanged(this, pMessage, pOldBox);
}
