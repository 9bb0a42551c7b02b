// Turns the text of a successful reply of the e-card service (after its status number) into
// changes of the user's data. Records stand between "{" and "}" as key=value pairs joined by "&";
// a contact record has up to four parts separated by "|": fields, flags, go-access time, access.
// Text values are percent-encoded; numbers are their leading decimal digits.
//
// Whatever a reply holds, parsing ends: unknown names, undecodable values and records without a
// usable number are skipped, and per-contact failures become the contacts' result codes.
#pragma once

#include "ecard/ECAccount.h"
#include "ecard/ECGroup.h"
#include "platform/base/Collections.h"

// One entry of a request's result set: a contact the reply named that the set did not hold, and
// the result code of a number that has no contact object.
struct SECResultEntry {
    CECContact* pNew = nullptr;
    int nCode = 0;
    BOOL bHasCode = FALSE;
};
typedef CMap<UINT, UINT, SECResultEntry, const SECResultEntry&> CECResultMap;
typedef CList<CECContact*, CECContact*> CECContactList;

// Per-contact result codes.
enum {
    EC_CONTACT_NOT_EXIST = 101,
    EC_CONTACT_NOT_PERMITTED = 102,
    EC_CONTACT_NOT_FRIEND = 103,
    EC_CONTACT_FAILED = 110,
};

// Separates the strings of one list item inside a value.
#define EC_ITEM_PART_SEPARATOR "^~`@"

class CECResponseParser {
public:
    // The text is edited while parsing. nOperation is the running operation (-1: the account).
    CECResponseParser(CString& text, int nOperation);
    virtual ~CECResponseParser() = default;

    int GetOperation() const { return m_nOperation; }

    // Add as friends or as contacts: each answered number of the request set gets its code and,
    // on success, the record's data (a number without an object gets a new contact in the set and
    // an entry in the result set). Numbers not answered count as added.
    int ParseAddContacts(CECContactMap& request, CECResultMap& result);
    int ParseDelFriends(CECContactMap& request);
    // Download: contacts of the set are updated; with a result set, records of numbers the set
    // lacks make new contacts there (the caller places or deletes them).
    int ParseContacts(CECContactMap& set, CECResultMap* pResult);
    int ParseSetAccess(CECContactMap& request);
    // The own card ("fields|access", no braces): fields are added, none cleared; the six access
    // values replace the default access.
    int ParseUserInfo(CECContact& card, SECAccess& defaultAccess);
    // Left messages into the inboxes of their senders under the root; unknown senders become
    // strangers (appended to the group and to the list).
    int ParseMessages(const CECContact& self, CECGroup& root, CECGroup& strangers,
                      CECContactList& newStrangers);
    int ParseAccount(SECAccount& account);

    // The value of the key in the record: the key and "=" at the start or after "&"; empty when
    // absent. With bRemove the pair (and its leading "&") is cut out of the record.
    static CString ExtractResponseValue(CString& record, LPCTSTR lpszKey, BOOL bRemove);
    // The leading decimal digits as a 32-bit number; 0 when there are none or they do not fit.
    static UINT ParseNumber(const CString& value);
    // 101, 102, 103 (only with bNotFriend) or 110 by the first error word found; 0 otherwise.
    static int GetErrorCode(const CString& value, BOOL bNotFriend);
    // An empty value leaves the time; one that is not a time clears it.
    static void ParseResponseTime(const CString& value, CTime& time);
    // Reads the fields part into the contact. Partial: nothing is cleared and a sent user name
    // is always taken.
    static void ParseECContactFields(CECContact& contact, CString fields, BOOL bPartial);

private:
    // Calls fn(record) for each non-empty text between "{" and the next "}".
    template <class Fn> void ForEachRecord(Fn fn);
    // One contact record into the given contact, or into the set's contact of its number; a
    // number the set lacks makes a new contact when ppNew is given (reusing one the result set
    // already holds).
    void ParseECContactRecord(CECContact* pContact, CECContactMap& set, CString record,
                              CECContact** ppNew, CECResultMap* pResult, BOOL bPartial);
    void ApplyAddResult(CECContact* pContact, UINT nUid, int nCode, CECContactMap& request,
                        CECResultMap& result, CString* pRecord);
    int ParseResultCodes(CECContactMap& request, BOOL bNotFriend, BOOL bPendingOnly);

    CString& m_text;
    int m_nOperation;
};
