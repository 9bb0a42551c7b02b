// One logged-in user of the e-card service: the account, the own card, the address book of other
// users in three fixed groups (friends, strangers, deregistered users), the access values to send,
// and the one request of this user that may run at a time.
//
// Requests of a user run on a worker thread; nothing of the user is touched there. The window
// that shows the user polls PollRequest on the user-interface thread, which hands the reply back:
// it is parsed there, the listeners are told there, and a batch or message queue goes on from
// there.
#pragma once

#include "ecard/ECAccount.h"
#include "ecard/ECGroup.h"
#include "ecard/ECResponseParser.h"
#include "ecard/ECUnion.h"
#include "links/AsyncInternet.h"
#include "sms/Sms.h"

class CECUser;

// The operations of a user, numbered as the service's pages know them.
enum ECOperation {
    EC_OP_NONE = 0,
    EC_OP_ADD_FRIENDS = 1,
    EC_OP_REMOVE_FRIENDS = 2,
    EC_OP_DOWNLOAD = 3,
    EC_OP_SYNC_FRIENDS = 5,
    EC_OP_SET_ACCESS = 6,
    EC_OP_ADD_CONTACTS = 7,
    EC_OP_UPLOAD_CARD = 8,
    EC_OP_DOWNLOAD_CARD = 9,
    EC_OP_SET_DEFAULT_ACCESS = 10,
    EC_OP_LEAVE_MESSAGES = 11,
    EC_OP_RECEIVE_MESSAGES = 12,
};

// Most contacts one download request carries.
constexpr int EC_DOWNLOAD_BATCH = 5000;

// The window of the user follows its requests through this.
class CIECUserListener {
public:
    virtual ~CIECUserListener() = default;
    virtual void OnECUserResult(CECUser* pUser, int nResult) = 0;
    virtual void OnECUserStartFailed(CECUser* pUser, int nCode) = 0;
    virtual void OnECUserSessionBegin(CECUser* pUser) = 0;
    virtual void OnECUserSessionEnd(CECUser* pUser) = 0;
};

// The view that began a request follows that one request through this.
class CECSessionOwner {
public:
    virtual ~CECSessionOwner() = default;
    virtual void OnECSessionBegin(CECUser* pUser) = 0;
    virtual void OnECSessionResult(CECUser* pUser, int nResult) = 0;
    virtual void OnECSessionEnd(CECUser* pUser) = 0;
};

// The progress of leaving messages, shown by the window layer's send-progress dialog.
class CIECSendProgress {
public:
    virtual ~CIECSendProgress() = default;
    // A new run: a fresh window with the caption, told how many messages go.
    virtual void Start(LPCTSTR lpszCaption, int nMessages) = 0;
    // The message now going, by its recipients' text.
    virtual void BeginMessage(LPCTSTR /*lpszRecipients*/) {}
    // The outcome of one message (0 sent, else the code and its text).
    virtual void ReportResult(int nCode, LPCTSTR lpszText) = 0;
    virtual void Step() = 0;
    virtual BOOL IsCancelled() const = 0;
    // The run is over.
    virtual void ClearBusy() = 0;
};

class CECUser : public CECContact, public CIAsyncInetListener {
    DECLARE_SERIAL(CECUser)
public:
    CECUser();
    ~CECUser() override;

    // The account number, the six account strings, the own card, then the friends, strangers
    // and deregistered groups. A load reads everything aside first: a damaged file changes
    // nothing of the user.
    void Serialize(CArchive& ar) override;

    SECAccount& GetAccount() { return m_account; }
    // The name the user goes by as a sender and in the progress caption: the account's user
    // name, else the one the service gave the own card, else the number.
    CString GetSenderName() const;
    // The number of the account and of the own card.
    void SetUserNumber(UINT nUid);
    CECGroup& GetRootGroup() { return m_root; }
    CECGroup& GetFriends() { return m_friends; }
    CECGroup& GetStrangers() { return m_strangers; }
    CECGroup& GetDeregistered() { return m_deregistered; }
    CECContact& GetUploadCard() { return m_uploadCard; }
    CECUnionGroup& GetUnionGroup(int i) { return m_unions[i < 0 || i > 2 ? 0 : i]; }
    // What operations 6 and 10 send: one value and one change mask per category.
    SECAccess m_pendingAccess;
    SECAccess m_pendingMasks;

    void SetListener(CIECUserListener* pListener) { m_pListener = pListener; }
    void SetSendProgress(CIECSendProgress* pProgress) { m_pProgress = pProgress; }

    // The request set becomes the current set, batching starts over and the owner is kept.
    int BeginRequest(CECSessionOwner* pOwner);
    // A contact under its number, or every contact of the group and its sub-groups.
    void AddToRequest(CECContact* pContact, BOOL bClearFirst = FALSE);
    void AddToRequest(CECGroup* pGroup, BOOL bClearFirst = FALSE);
    // A number without a contact (a user not yet in the address book).
    void AddNumberToRequest(UINT nUid, BOOL bClearFirst = FALSE);
    CECContactMap& GetRequestSet() { return m_requestSet; }
    CECContactMap& GetCurrentSet() { return *m_pCurrentSet; }
    CECResultMap& GetResultSet() { return m_resultSet; }
    int GetOperation() const { return m_nOperation; }
    BOOL IsBusy() const { return m_runner.HasWorker(); }
    int GetLastResult() const { return m_nLastResult; }
    const CString& GetLastReplyText() const { return m_strLastReply; }
    CECContactList& GetNewStrangers() { return m_newStrangers; }

    // Operations 1, 2, 3, 5, 6 and 7 over the request set. Nothing happens while a request runs
    // or (but for 5) when the set is empty.
    void StartOperation(int nOperation);
    // Operations 8, 9 and 10, after BeginRequest: 3 while a request runs, else 0.
    int StartUserInfoOperation(int nOperation);
    // Operation 11: the messages (owned by their boxes) are queued and sent one by one.
    int LeaveMessages(CECSessionOwner* pOwner, const CObList& messages);
    int ReceiveMessages(CECSessionOwner* pOwner);
    // Reads the account fields into the account, waiting for the reply.
    int DownAccount();

    // Hands a finished request back (on the user-interface thread); FALSE while it runs.
    BOOL PollRequest();
    // The user stops the wait: the request running stops soon, and unless its reply had already
    // come it ends with EC_RESULT_STOPPED, which owners are not told of as a failure; a message
    // run or a batched download goes no further. The session ends as usual.
    void CancelRequest();
    BOOL IsCancelling() const { return m_bCancelled; }
    CAsyncInternet& GetRunner() { return m_runner; }

    // GetECErrorText with this user's last reply text for 990.
    CString GetErrorText(int nCode) const;
    CString GetAuthBody() const;

    // The bodies of the operations, as they are sent.
    CString BuildAddBody();
    CString BuildRemoveBody();
    CString BuildDownloadBody();
    CString BuildAccessBody(BOOL bDefault);
    CString BuildUploadBody();

    void OnInetResponse(int nResult, const CString& strReply) override;
    void OnInetStateChanged() override;

private:
    int PostRequestAsync(LPCTSTR lpszPage, const CString& body);
    int SendNextBatch();
    // Tells the listeners a session began, after the request was sent with that result.
    void BeginSession(int nSent);
    int SendCurrentMessage();
    void EndSession();
    // Contacts the replies made that nobody placed under the root are deleted and forgotten.
    void ReleaseMadeContacts();
    void NoteMadeContacts();

    int m_nOperation = EC_OP_NONE;
    CECSessionOwner* m_pOwner = nullptr;
    int m_nLastResult = 0;
    CString m_strLastReply;
    CECContactMap m_requestSet;
    CECResultMap m_resultSet;
    CECContactMap m_batchSet;
    CECContactMap* m_pCurrentSet = &m_requestSet;
    int m_nBatch = 0;
    POSITION m_batchPos = nullptr;
    CObList m_queue;
    _CSms* m_pCurrentMessage = nullptr;
    CIECSendProgress* m_pProgress = nullptr;
    BOOL m_bProgressRunning = FALSE;
    BOOL m_bCancelled = FALSE; // the user stopped the session's wait
    CIECUserListener* m_pListener = nullptr;
    CAsyncInternet m_runner{this};
    CECGroup m_root{"", CECGroup::ROLE_ROOT};
    CECGroup m_friends{"我的好友", CECGroup::ROLE_FRIENDS};
    CECGroup m_strangers{"陌生人", CECGroup::ROLE_STRANGERS};
    CECGroup m_deregistered{"已注销者", CECGroup::ROLE_DEREGISTERED};
    CECContact m_uploadCard{""};
    CECContactList m_newStrangers;
    SECAccount m_account;
    CECUnionGroup m_unions[3];
    CList<CECContact*, CECContact*> m_made;
};
