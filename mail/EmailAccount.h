// An e-mail account: the user's identity, the outgoing (SMTP) and incoming (POP3) server settings,
// the record database of the account's messages, the tree of boxes under its root box, the cache
// of loaded messages (which owns them) and the SMTP client whose listener it is.
//
// An account lives in a folder of its own: "account.dat" (the settings, Serialize), the record
// database "mail.dat" and "mail.idx", and the root box "root.box" with the box files beside it.
// Create makes such a folder with the four standard boxes; Open opens one.
//
// The compose frames are the user interface's: the account opens one through the factory the
// program sets, keeps the list of the open ones (one frame per message) and is told when each
// closes.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/AccountPersonInfo.h"
#include "core/MsgAccountBase.h"
#include "mail/EmailBox.h"
#include "mail/MiniDB.h"
#include "mail/SmtpClientSocket.h"
#include "platform/base/Collections.h"
#include "platform/base/CString.h"
#include "platform/base/Types.h"

class CEmailAccount;
class CEmailMessage;
class CRegEmailAddress;

// What the account sees of an open compose frame.
class CIEmailComposeFrame {
public:
    // How the frame closed.
    enum : int { ActionCancel = 0, ActionSend = 1, ActionKeep = 3 };

    virtual ~CIEmailComposeFrame() = default;
    // The message the frame holds (null before its first fill), and its closing action.
    virtual CEmailMessage* GetComposeMessage() const = 0;
    virtual int GetCloseAction() const = 0;
    // The account takes the message over (null) once the frame has closed.
    virtual void SetComposeMessage(CEmailMessage* pMessage) = 0;
    // Brings the frame forward (a message opened again).
    virtual void ActivateFrame() = 0;
    // The program is closing or the account goes: the frame asks about unsaved changes and
    // closes (through the account's OnComposeClosed). FALSE when the user chose to stay.
    virtual BOOL QueryCloseFrame() = 0;
    // The account is being destroyed: the frame goes at once, without a question and without
    // calling the account again.
    virtual void OnAccountClosing() = 0;
};

class CEmailAccount : public CMsgAccountBase, public CSMTPClientSocket::IListener {
    DECLARE_DYNCREATE(CEmailAccount)
public:
    // Fields of SAccountPersonInfo as this account uses them.
    enum {
        PERSON_NAME = 0,
        PERSON_ORGANIZATION = 1,
        PERSON_EMAIL = 2,
        PERSON_REPLY_TO = 3,
        PERSON_ICON = 4
    };
    // Server record options: log on to the SMTP server with the POP3 user and password.
    enum : DWORD { OPTION_SMTP_USES_POP3_LOGIN = 1 };
    // Fields UpdateMessageField writes: the state and the flags.
    enum { FIELD_STATE = 0, FIELD_FLAGS = 9 };

    struct SServerInfo {
        CString m_strHost;
        DWORD m_dwPort = 0;
        DWORD m_dwAuthMode = 0; // 0 none, 1 CRAM-MD5, 2 LOGIN, 3 PLAIN
        CString m_strUser;
        CString m_strPassword;
        DWORD m_dwSsl = 0;
        DWORD m_dwOptions = 0;

        void Serialize(CArchive& ar);
        bool operator==(const SServerInfo& other) const;
        bool operator!=(const SServerInfo& other) const { return !(*this == other); }
    };

    // Who learns that a message changed box or state (a list that shows the box).
    class IObserver {
    public:
        virtual ~IObserver() = default;
        // The message's state or box changed; pOldBox is the box it was in (may equal its box).
        virtual void OnEmailMessageChanged(CEmailAccount* pAccount, CEmailMessage* pMessage,
                                           CEmailBox* pOldBox) = 0;
        // The account is being destroyed: forget it (it is removed from the observers itself).
        virtual void OnEmailAccountClosing(CEmailAccount* /*pAccount*/) {}
    };

    // Opens a compose frame for the account with the message (null: a new mail) and shows it;
    // null when no frame could be made.
    using ComposeFactory = std::function<CIEmailComposeFrame*(CEmailAccount*, CEmailMessage*)>;
    static void SetComposeFactory(ComposeFactory factory);
    // Told, with what to say to the user, when mails the account was asked to send were not
    // sent: the session could not start or ended before them. The mails stay in their box.
    using SendFailureHandler = std::function<void(CEmailAccount*, const CString&)>;
    static void SetSendFailureHandler(SendFailureHandler handler);

    // SMTP port 25, LOGIN, SMTP logs on as the POP3 user, POP3 port 110; no host, no mailbox,
    // no password; charset "gb2312".
    CEmailAccount();
    // Closes any SMTP session (the mail being sent stays in the outbox), closes open compose
    // frames, deletes the cached messages and closes the database.
    ~CEmailAccount() override;
    CEmailAccount(const CEmailAccount&) = delete;
    CEmailAccount& operator=(const CEmailAccount&) = delete;

    // The account name, the two further strings, the identity, the SMTP then the POP3 record.
    void Serialize(CArchive& ar) override;

    // Makes the account's folder (it must not hold an account yet): the settings, the database
    // and the root box with the inbox, outbox, sent box and recycle box. FALSE when any cannot be
    // made.
    BOOL Create(LPCTSTR lpszFolder);
    // Opens the account of the folder. FALSE when its settings, database or root box do not open.
    BOOL Open(LPCTSTR lpszFolder);
    // Writes the settings file (replaced in one step).
    BOOL SaveSettings();
    // Whether the settings differ from what the settings file was last read or written with
    // (a save that failed). The mails and boxes are stored as they change and never are.
    BOOL HasUnsavedSettings();
    const CString& GetFolder() const { return m_strFolder; }
    BOOL IsOpen() const { return m_db.IsOpen(); }

    CMsgBoxBase* GetRootBox() override { return &m_root; }
    CString& GetName() override { return m_strName; }
    CEmailBox* GetEmailRootBox() { return &m_root; }
    // The first box of the kind directly under the root box, or null.
    CEmailBox* FindBox(int nKind);

    // Points the SMTP client at this account and gives it host, port, login method, user and
    // password (the POP3 ones with OPTION_SMTP_USES_POP3_LOGIN).
    virtual BOOL PrepareSending();

    // Opens the compose frame of the message: the frame that holds it already comes forward.
    CIEmailComposeFrame* Compose(CEmailMessage* pMessage);
    // The frame closed (or asks to): cancel deletes a message in no box, send saves and queues,
    // keep saves. FALSE, with the frame keeping its message, when the save failed: the frame
    // stays open and says so.
    BOOL OnComposeClosed(CIEmailComposeFrame* pFrame);
    // Asks every open compose frame to close (program close, account removal). FALSE when one
    // stayed open.
    BOOL CloseComposeFrames();
    int GetComposeFrameCount() const { return static_cast<int>(m_composers.size()); }
    CIEmailComposeFrame* GetComposeFrameAt(int i) const {
        return i >= 0 && i < GetComposeFrameCount() ? m_composers[static_cast<size_t>(i)] : nullptr;
    }
    // The frame that holds the message, or null.
    CIEmailComposeFrame* FindComposeFrame(const CEmailMessage* pMessage) const;
    // A message that is being composed or sent may be neither deleted nor moved.
    BOOL IsMessageBusy(const CEmailMessage* pMessage) const;
    // Why the message cannot be sent from this account (Chinese, for the user); empty when it
    // can: the account needs an SMTP host and a sender address, the message a recipient, and
    // every address must be one the SMTP client takes.
    CString GetSendProblem(const CEmailMessage* pMessage) const;

    // Stores the message (a new one is appended and takes its id, a stored one rewritten), caches
    // it and, when it is in no box, files it in the box of its state. FALSE when it could not be
    // stored or filed (a new message is then not left in the database).
    BOOL SaveMessage(CEmailMessage* pMessage);
    // The cached message of the id, else loaded and cached; null when it does not load.
    CEmailMessage* GetMessage(DWORD dwId);
    // The cached message of the id, or null (nothing is loaded).
    CEmailMessage* FindCachedMessage(DWORD dwId) const;
    // Takes the id out of the cache; with bDelete the message goes too.
    void Uncache(DWORD dwId, BOOL bDelete);
    // Uncaches the message (not deleting it) and deletes its record.
    BOOL DeleteMessage(DWORD dwId);
    // Rewrites one field of the stored record in place (FIELD_STATE, FIELD_FLAGS). FALSE for
    // another field, a message never stored, or a record too short to hold the field.
    BOOL UpdateMessageField(CEmailMessage* pMessage, int nField);
    // Moves the message from its box into another box of the account. FALSE when it is busy or
    // the box will not take it.
    BOOL MoveMessage(CEmailMessage* pMessage, CEmailBox* pDest);

    // The identity's display name and e-mail address (the reply address when one is set).
    void FillSender(CRegEmailAddress& address) const;
    void FillReplyTo(CRegEmailAddress& address) const;
    CString GetMailerName() const { return "Quillmar"; }
    const CString& GetCharset() const { return m_strCharset; }

    // The SMTP client's report: a sent message becomes state 2 (stored in place) and moves to the
    // sent box when there is one; a failed one stays as it was.
    void OnMessageSent(CEmailMessage* pMessage, BOOL bSuccess) override;
    // The mail stays where it is; the user is told which file could not be read.
    void OnAttachmentUnreadable(CEmailMessage* pMessage, const CString& strPath) override;
    // What the session did not reach waits in the outbox, not in the client's queue, so that
    // it can be opened, moved or deleted until it is sent again.
    void OnSessionEnded() override;

    void AddObserver(IObserver* pObserver);
    void RemoveObserver(IObserver* pObserver);

    CSMTPClientSocket& GetSmtpClient() { return m_smtp; }
    CMiniDB& GetDatabase() { return m_db; }
    int GetCachedCount() const { return static_cast<int>(m_cache.GetCount()); }

    // File names inside the account's folder.
    static const char* const kSettingsFile;
    static const char* const kDataFile;
    static const char* const kIndexFile;
    static const char* const kRootBoxFile;

    CString m_strUnstored;
    CString m_strName;
    CString m_strExtra1;
    CString m_strExtra2;
    SAccountPersonInfo m_person;
    SServerInfo m_smtpServer;
    SServerInfo m_pop3Server;

private:
    void Notify(CEmailMessage* pMessage, CEmailBox* pOldBox);
    // Tells the send-failure handler of the mails asked to be sent and not reported sent.
    void ReportUnsent();
    static CEmailBox* FindBoxHolding(CEmailBox* pBox, DWORD dwId);
    BOOL OpenStore(LPCTSTR lpszFolder, BOOL bCreate);
    // The settings as the settings file holds them.
    std::string GetSettingsBytes();

    CString m_strFolder;
    // The settings last read from or written to the settings file.
    std::string m_storedSettings;
    CMiniDB m_db;
    CEmailBox m_root;
    CSMTPClientSocket m_smtp;
    // The mails asked to be sent that the server has not taken yet (only compared, never used:
    // one may be gone meanwhile).
    std::vector<const CEmailMessage*> m_unsent;
    // The reply code of the first mail the server refused in the running session (0: none).
    int m_nRefusalCode = 0;
    // What the user is told of the mails of the running session whose attachment could not be
    // read, one line each; the mail that is told of here is no refusal.
    CStringArray m_unreadable;
    const CEmailMessage* m_pUnreadable = nullptr;
    CString m_strCharset = "gb2312";
    CMap<DWORD, DWORD, CEmailMessage*, CEmailMessage*> m_cache;
    std::vector<CIEmailComposeFrame*> m_composers;
    std::vector<IObserver*> m_observers;
    // Set while the destructor runs: frames and the SMTP client no longer reach the account.
    bool m_bClosing = false;
};
