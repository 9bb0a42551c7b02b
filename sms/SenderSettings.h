// The settings of an SMS sender account, one record per property page: who the user is, the
// phone, the gateway servers, the web account, how to send and how to receive. Each record
// stores itself in the sender file in its own fixed layout.
#pragma once

#include "core/AccountPersonInfo.h"
#include "platform/base/CString.h"
#include "platform/base/Types.h"

class CArchive;
class _CSender;

// What a sender account keeps in the shared person record, by field number. Its DWORD is the
// flag "open this account when the program starts".
enum SenderPersonField : int {
    SENDER_NAME = 0, // also the account's name
    SENDER_SIGNATURE = 1,
    SENDER_EMAIL = 2,
    SENDER_ORGANISATION = 3,
    SENDER_REMARKS = 4,
};

struct SSenderMobileInfo {
    enum : int { PHONE_CHINESE = 0, PHONE_ENGLISH = 1 };
    enum : int { NETWORK_CMCC_GSM = 0, NETWORK_UNICOM_GSM = 1, NETWORK_UNICOM_CDMA = 2 };

    CString m_strBrand;
    int m_nPhoneType = PHONE_CHINESE;
    CString m_strModel;
    CString m_strMobileNumber;
    int m_nNetwork = NETWORK_CMCC_GSM;
    CString m_strRemarks;

    // Brand, network, model and number. The phone type and the remarks are not part of the
    // file: after loading they are back at their defaults.
    void Serialize(CArchive& ar);
};

struct SSenderServers {
    static constexpr int kDefaultPort = 1234;

    CString m_strSendServer;
    int m_nSendPort = kDefaultPort;
    CString m_strRecvServer;
    int m_nRecvPort = kDefaultPort;
    BOOL m_bRecvSameAsSend = TRUE;

    void Serialize(CArchive& ar);
};

// The account on the web SMS gateway.
struct SSenderRemoteAccount {
    // What the server does with a new message for the user.
    enum : int { ACTION_KEEP = 0, ACTION_FORWARD = 1, ACTION_KEEP_AND_FORWARD = 2 };

    CString m_strUserId;
    CString m_strPassword;
    int m_nServerAction = ACTION_KEEP;
    BOOL m_bAppendSignature = TRUE;
    BOOL m_bAppendOwnNumber = FALSE;
    CString m_strSignature;

    void Serialize(CArchive& ar);
};

struct SSenderSendScheme {
    int m_nReserved = 0;
    // The gateway plug-in library. A path read from a file is only data: the pages load the
    // library only once the user has chosen or confirmed it.
    CString m_strGatewayLibrary;

    void Serialize(CArchive& ar);
};

struct SSenderReceiveScheme {
    enum : int { UNIT_MINUTES = 0, UNIT_SECONDS = 1 };
    enum : int { SOUND_DEFAULT = 0, SOUND_FILE = 1 };
    // Where new messages are filed.
    enum : int { STORE_IN_SENDER = 0, STORE_IN_CONTACT = 1, STORE_IN_BOTH = 2 };

    BOOL m_bKeepServerCopy = FALSE;
    BOOL m_bAutoReceive = FALSE;
    int m_nInterval = 1;
    int m_nIntervalUnit = UNIT_MINUTES;
    BOOL m_bPlaySound = TRUE;
    int m_nSoundChoice = SOUND_DEFAULT;
    CString m_strSoundFile;
    int m_nStoreNewIn = STORE_IN_SENDER;

    // The shortest interval the automatic receiving runs at: 5 seconds, or 1 minute.
    int GetMinimumInterval() const;
    // Raises the interval to that minimum.
    void ApplyMinimumInterval();
    // Loading applies the minimum too, so that a damaged file cannot make the receiver poll the
    // server without pause.
    void Serialize(CArchive& ar);
};

// The six records in page order, and the account they belong to (not stored).
struct SSenderAccountRecord {
    SAccountPersonInfo m_person;
    SSenderMobileInfo m_mobile;
    SSenderServers m_servers;
    SSenderRemoteAccount m_remote;
    SSenderSendScheme m_send;
    SSenderReceiveScheme m_receive;
    _CSender* m_pOwner = nullptr;

    void Serialize(CArchive& ar);
};
