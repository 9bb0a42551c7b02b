// The one hub through which every short message leaves or enters the program. It sends the
// messages of a sender account with a progress window: it splits a mobile message into parts,
// sends each part to each recipient through the web gateway, checks the account's day and month
// limits, marks the text when it meets the word lists, files what was sent and what was not, and
// stops the whole run on a fatal result. It receives through the gateway into a holding box and
// hands new messages to the main window.
//
// It owns the phone link, closed until the user (or the start-up, when the profile asks for it)
// connects a phone. While the phone is open every mobile message goes through it, in parts of at
// most 70 characters sent as UCS-2, and receiving lists the phone's messages instead of asking
// the gateway; the phone's messages are deleted only once they are stored on disk.
//
// Received messages are never lost: the holding box is written to "Sms\incoming.dat" whenever
// messages enter it, before the main window is told, and a message the main window took stays in
// that file until the sender file that took it has been saved. Two running copies update the
// file under a lock and merge their messages into it.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "links/ListeningSocket.h"
#include "links/MobileAgent.h"
#include "links/SendProgress.h"
#include "links/SmsGateway.h"
#include "platform/base/Collections.h"
#include "platform/base/CString.h"
#include "platform/base/Time.h"
#include "sms/Sender.h"
#include "sms/SmsBox.h"

class CCommDevice;

// What the manager needs of the program around it: the main window and the windows it opens.
class CICommDeviceHost {
public:
    virtual ~CICommDeviceHost() = default;
    // The modeless progress window over the main window; null when none can be made.
    virtual CISendProgress* CreateSendProgress(CISendProgressOwner* pOwner) = 0;
    // Runs the receive window modally for the account.
    virtual void RunReceiveDialog(CCommDevice& device, _CSender& account) = 0;
    // New messages in the holding box for the account (the main window's WM_USER+300): it files
    // those it takes out of the box and answers non-zero when it filed any.
    virtual LRESULT OnSmsArrived(_CSender* pAccount, _CSmsBox* pHoldingBox) = 0;
    // The active account of the main window, or null.
    virtual _CSender* GetActiveSender() = 0;
    // Plays the arrival sound (a file of the program folder or the account's own).
    virtual void PlayArrivalSound(const CString& strPath) = 0;
    // Tells the user of a failure of the received-message store.
    virtual void ReportError(const CString& strText) = 0;
};

// Results that end a whole run.
BOOL IsFatalResult(int nResult);

// The largest part of a message with Chinese characters (in characters) and without (in bytes),
// from the profile's section "SMS": at most 70 and 160; a value below 1 counts as not set.
void GetSmsMaxSizes(int& nWideMax, int& nAnsiMax);

// The parts a content is sent in. A mobile message with a double-byte character goes in parts of
// nWideMax characters (a double-byte character is one and is never split), other mobile messages
// in parts of nAnsiMax bytes; the other kinds go whole. An empty content gives no part.
std::vector<CString> SplitSmsContent(const CString& content, int nKind, int nWideMax, int nAnsiMax);

// "86" or "+86" taken off the start of a number.
CString StripCountryCode(const CString& number);

class CCommDevice : public CIMobileAgentNewSMListener,
                    public CISendProgressOwner,
                    public CIIncomingSmsSink {
public:
    // Where received messages wait to be filed, relative to the program folder.
    static constexpr const char* kIncomingFile = "Sms\\incoming.dat";

    CCommDevice();
    CCommDevice(const CCommDevice&) = delete;
    CCommDevice& operator=(const CCommDevice&) = delete;
    // Destroys the progress window.
    ~CCommDevice() override;

    void SetHost(CICommDeviceHost* pHost) { m_pHost = pHost; }
    CICommDeviceHost* GetHost() const { return m_pHost; }

    // ---- Sending: SetSender, BeginSend, then SendPendingInBox or, for each message, SendSms and
    // FileSendResults, then EndSend.
    _CSender* SetSender(_CSender* pSender);
    _CSender* GetSender() const { return m_pSender; }
    // FALSE without an account. Shows the progress window, titled with the account's name.
    virtual BOOL BeginSend();
    virtual void EndSend();
    // The number of recipients the run will serve, for the progress window.
    virtual void SetProgressTotal(int n);
    // Sends one message (whatever its state) and answers its result. The caller's pointer is
    // cleared when filing deletes the message.
    int SendSms(_CSms** ppSms);
    // Files the outcome of the last SendSms; null means the message's own box.
    void FileSendResults(_CSmsBox* pBox);
    // Sends the messages waiting (state 2) when the call begins, each once, with the box's
    // sub-boxes when asked. FALSE as soon as a result is fatal or the user stopped the run.
    BOOL SendPendingInBox(_CSmsBox* pBox, BOOL bRecurse);

    BOOL IsStopRequested() const { return m_bStopRequested; }
    void SetStopRequested(BOOL bStop) override { m_bStopRequested = bStop; }
    BOOL IsSending() const override { return m_bSending; }
    int GetLastResult() const { return m_nLastResult; }

    // The messages that stand in the box where the last message was: the kept message first,
    // then the split-off copies.
    int GetQueuedSmsCount() const { return (int)m_replacementQueue.GetCount(); }
    _CSms* GetQueueHead() const;
    const CObList& GetSendQueue() const { return m_replacementQueue; }

    // 990 gives the phone's text, 50 the table's text with the word that matched, any other the
    // table's text.
    CString GetSendResultText(int nCode) const override;
    void SetResultText(const CString& strText) { m_strResultText = strText; }
    const CString& GetResultText() const { return m_strResultText; }
    const CString& GetFilteredWord() const { return m_strFilteredWord; }

    CISendProgress* GetProgress() const { return m_pProgress; }
    void OnProgressDestroyed(CISendProgress* pProgress) override;

    // ---- Receiving.
    // Runs the receive window for the account, or for the main window's active account; nothing
    // while a receive runs or without an account.
    void ReceiveSms(_CSender* pAccount = nullptr);
    BOOL IsReceiving() const { return m_bReceiving; }
    // The receive request: posts it (pumping while it is on its way), keeps the reply's text and,
    // on success, takes the messages into the holding box and delivers them. Answers the code;
    // nReceived is the number of new messages.
    int FetchIncomingSms(_CSender& account, int& nReceived, const GatewayPump& pump = nullptr);
    // Adds the message, if any, to the holding box, stores the box and hands it to the main
    // window; plays the arrival sound when the window filed any and the account asks for it.
    // Answers the main window's answer.
    // Also where the listening socket hands the direct messages it took in.
    LRESULT DeliverIncomingSms(_CSms* pSms, _CSender* pAccount) override;
    _CSmsBox* GetHeldMessages() override { return &m_holdingBox; }
    void OnNewSms(const MOBILE_SMS& message) override;
    static _CSms* MakeSmsFromPhone(const MOBILE_SMS& message);
    _CSmsBox& GetHoldingBox() { return m_holdingBox; }

    // The sender file of the account has been saved: the messages the main window filed into it
    // leave the received-message store.
    void OnSenderFileSaved(_CSender* pAccount);
    // Writes what is held, and what was handed on but not yet saved, to the store, merged under
    // the lock with what other running copies keep there. FALSE, with the user told and the old
    // file kept, when it cannot be written.
    BOOL SaveIncomingSms();
    // Takes the store's messages into the holding box (they stay in the file until filed and
    // saved). A file that cannot be read is kept as "incoming.dat.bad" and the user told.
    // Answers the number taken.
    int LoadIncomingSms();
    // Removes the store; TRUE when it is absent or removed.
    BOOL DeleteIncomingFile();
    static CString GetIncomingFilePath();

    // FALSE, with the text to show, while the phone is open and a command runs.
    BOOL CanClose(CString& strText) const;

    // ---- The phone link.
    CMobileAgent* GetMobileAgent() const { return m_pAgent.get(); }
    BOOL IsPhoneOpen() const { return m_pAgent->IsOpen(); }
    // Reads the phone's settings from the profile and, when they ask for it, connects: probe,
    // set-up and (when asked) the service centre. TRUE when the phone is open afterwards.
    BOOL InitAgent();
    // Keeps the phone's settings in the profile and closes the link.
    void ShutdownAgent();
    // Writes the phone's port, rate, service centre and set-up flags to the profile.
    void SaveAgentSettings() const;
    // Called on the port's thread when the phone has sent something; must return at once (the
    // program posts itself a call of ServicePhone).
    void SetAgentNotify(std::function<void()> notify) { m_pAgent->SetNotify(std::move(notify)); }
    // Served while a command waits for the phone (outside a send run, whose progress window is
    // served instead).
    void SetAgentWaitPump(std::function<void()> pump);
    // On the owner's thread: handles what the phone sent between commands (calls ringing, new
    // messages), waiting up to ms milliseconds for it. Nothing while a command runs.
    void ServicePhone(DWORD ms = 0);
    // The phone stored a new message: it is received for the active account (once the send run
    // or receive under way has ended).
    void OnNewSmsStored() override;

protected:
    // One part to one number through the gateway (limits, word lists, post).
    virtual int SendPart(const CString& content, const CString& number);
    // A direct message (kind 1) to another running copy at the address, over TCP; 1000 while
    // that road is missing. The progress window is served while the address is looked up and
    // the connection made.
    virtual int SendDirectPart(const CString& content, const CString& address);

private:
    int SendToRecipient(const std::vector<CString>& parts, const CString* pEntry);
    // What keeps the progress window's Cancel alive while a part is on its way; null without
    // a progress window.
    GatewayPump ProgressPump();
    // One part to one number through the phone, as UCS-2.
    int AgentSend(const CString& content, const CString& number);
    // Takes the phone's received messages for the account, stores and hands them on, then
    // deletes them from the phone (unless the account keeps them there).
    void ReceiveFromPhone(_CSender& account);
    // Stores the holding box and hands it to the main window; pStored tells whether the store
    // was written.
    LRESULT HandOver(_CSender* pAccount, BOOL* pStored);
    // Two messages for a recipient who got some of the parts: the sent ones, the others.
    void SplitPartlySent(const std::vector<CString>& parts, size_t nSent, const CString& recipient);

    CICommDeviceHost* m_pHost = nullptr;
    _CSmsBox m_sentBox;
    _CSmsBox m_unsentBox;
    CISendProgress* m_pProgress = nullptr;
    CString m_strFilteredWord;
    _CSmsBox m_holdingBox;
    _CSms* m_pCurrentSms = nullptr;
    _CSms** m_ppCallerSms = nullptr;
    CStringList m_sentRecipients;
    CStringList m_unsentRecipients;
    CTime m_lastPartTime;
    CTime m_lastFullTime;
    int m_nLastResult = 0;
    CObList m_replacementQueue;
    _CSender* m_pSender = nullptr;
    BOOL m_bStopRequested = FALSE;
    BOOL m_bSending = FALSE;
    // Gateway user number -> when the gateway last reported its month (day) limit.
    std::map<CString, __time64_t> m_monthLimits;
    std::map<CString, __time64_t> m_dayLimits;
    CString m_strResultText;
    BOOL m_bReceiving = FALSE;
    // The phone reported a stored message while a run or a receive went on.
    BOOL m_bPhoneReceivePending = FALSE;
    std::unique_ptr<CMobileAgent> m_pAgent;
    std::function<void()> m_agentPump;

    // Copies of the messages the main window filed, by the account they went to, kept in the
    // store until that account's file is saved.
    struct Handed {
        _CSender* account;
        std::unique_ptr<_CSms> copy;
    };
    std::vector<Handed> m_handed;
    // The messages this copy of the program has put in the store, by their stored bytes.
    std::multiset<std::string> m_written;
};
