// A contact group: the container node of an address book. Its sub-groups are contact groups and
// its contents contacts; it carries a small address-card record of its own, a modification time
// and the password flags of the base. The tree-wide walks over contacts (find, birthdays, CSV
// import, export) start here.
#pragma once

#include "calendar/Birthday.h"
#include "contacts/Person.h"
#include "contacts/PersonFields.h"
#include "core/Group.h"
#include "core/StringListXString.h"
#include "platform/base/Collections.h"
#include "platform/base/CString.h"
#include "platform/base/Time.h"

#include <functional>

class CStdioFile;
class CICsvProgress;

// What a CSV import met besides its count: why nothing was imported (nStatus, a
// CCsvSource::Status, with the message to show) and how many values lost characters that GBK
// lacks.
struct SCsvImportReport {
    int nStatus = 0;
    int nLossyValues = 0;
    CString strMessage;
};

// The group's own record. Its name is the group's node name.
struct SGroupInfo {
    int nType = 0; // 0 普通组 .. 5 学校
    CString strCountry, strProvince, strCity, strPostCode, strAddress, strNote;
    CXStringList phones{1}, faxes{1}, email{1}, homepage{1};
};

// Display property keys (also the bits of a group search mask).
enum GroupProperty : DWORD {
    GP_NAME = 2,
    GP_TYPE = 4,
    GP_COUNTRY = 8,
    GP_PROVINCE = 16,
    GP_CITY = 32,
    GP_POSTCODE = 64,
    GP_ADDRESS = 128,
    GP_PHONE = 256,
    GP_FAX = 512,
    GP_EMAIL = 1024,
    GP_HOMEPAGE = 2048,
    GP_NOTE = 4096,
    GP_MODIFIED = 0x80000000,
};
constexpr int kGroupPropertyCount = 13;

BOOL GetGroupPropertyName(DWORD dwKey, CString& out);
// Types 0..5; other types give an empty text.
void GetGroupTypeName(int nType, CString& out);

// Receives one upcoming birthday: the contact as listed (a link stays a link), the birthday (a
// link's is its source's), 1 for a lunar anniversary (0 solar) and the days until it.
typedef void (*BirthdayCallback)(void* pContext, _CPerson* pPerson, const CBirthday& birthday,
                                 int bLunar, int nDays);

class _CGroup : public CGroup {
    DECLARE_SERIAL(_CGroup)
public:
    // What FindNext looks at.
    enum { FIND_CONTACTS = 1, FIND_GROUPS = 2 };
    // EnumUpcomingBirthdays flags.
    enum {
        BIRTHDAY_SOLAR = 1,
        BIRTHDAY_LUNAR = 2,
        BIRTHDAY_AS_SHOWN = 4,    // each birthday in the form it is shown in
        BIRTHDAY_AS_REMINDED = 8, // each birthday by the reminders it asks for
    };
    // ImportCsv flags.
    enum { IMPORT_SORTED = 1, IMPORT_MERGE = 2 };
    // ExportPersons formats and flags.
    enum { EXPORT_CARD_TEXT = 1, EXPORT_CSV = 2 };
    enum { EXPORT_SUBGROUPS = 1, EXPORT_LINKS = 2, EXPORT_CURRENT_ONLY = 4 };
    typedef CList<int, int> CPositionStack;

    explicit _CGroup(LPCTSTR lpszName = nullptr);
    // The record, flags and checksum; with bDeep also copies of every sub-group and contact.
    // The copy is detached and modified now.
    _CGroup(const _CGroup& source, BOOL bDeep);
    _CGroup(const _CGroup&) = delete;
    _CGroup& operator=(const _CGroup&) = delete;
    ~_CGroup() override;

    // Record, both counts, sub-groups, contacts, modification time, flags, checksum. A group
    // read with a password comes back locked.
    void Serialize(CArchive& ar) override;
    CRuntimeClass* GetContentClass() const override;
    void CopyFrom(const CGroup* pSource) override;
    CGroup* CreateSubGroup(LPCTSTR lpszName) override;

    SGroupInfo& GetInfo() { return m_info; }
    const SGroupInfo& GetInfo() const { return m_info; }
    CTime GetModifiedTime() const { return m_timeModified; }
    void SetModifiedTime(const CTime& t) { m_timeModified = t; }

    // Display property by index 0..12; an empty text for any other index.
    void GetPropertyText(int nIndex, CString& out);
    // Non-empty properties, then the member count line.
    void GetSummaryText(CString& out);
    // Searches the record by a mask of property keys; the type is never searched.
    BOOL SearchInfoFields(LPCTSTR lpszText, DWORD dwMask, CSearchItemArray& hits, BOOL bMatchCase);
    // Position of the text, ignoring case, in the initials of the name; -1 when absent.
    int MatchNameInitials(LPCTSTR lpszText);

    // Starts (bRestart) or continues the group's own resumable search.
    CObject* FindFirst(LPCTSTR lpszText, const DWORD* pPersonMasks, DWORD dwGroupMask,
                       CSearchItemArray& hits, BOOL bRestart, int nWhat = FIND_CONTACTS,
                       BOOL bInitialsOnly = FALSE, BOOL bMatchCase = FALSE);
    // The next group or contact that matches, resuming at the positions in the stack (outermost
    // sub-group first, the last contact found last). Null, with the stack emptied, at the end.
    CObject* FindNext(LPCTSTR lpszText, CPositionStack& stack, BOOL& bReported,
                      const DWORD* pPersonMasks, DWORD dwGroupMask, CSearchItemArray& hits,
                      int nWhat, BOOL bInitialsOnly, BOOL bMatchCase);
    // The group's own search position: FindFirst resumes there, at the item found last, until the
    // caller steps past it.
    void StepPastLastHit() {
        if (!m_findStack.IsEmpty())
            m_findStack.GetTail() += 1;
    }
    void ClearFindState() {
        m_findStack.RemoveAll();
        m_bReported = FALSE;
    }
    CPositionStack& GetFindStack() { return m_findStack; }
    BOOL& FindReported() { return m_bReported; }
    // The same walk over contacts whose birthday lies in the range.
    _CPerson* FindNextBirthday(const CDate& from, const CDate& to, BOOL bIgnoreYear,
                               CPositionStack& stack, CSearchItemArray& hits, BOOL bRestart);
    // Receives one item of a find-all with the places it matched at (the callback may take
    // them); it must leave the tree as it is.
    typedef std::function<void(CObject* pItem, CSearchItemArray& hits)> FoundCallback;
    // Every item FindNext would give, one call after another with each last item stepped past,
    // from the resume position in the stack to the end, in one walk over the tree. The stack is
    // left empty, as after the last FindNext. Answers the number of items.
    int FindAll(LPCTSTR lpszText, CPositionStack& stack, BOOL& bReported,
                const DWORD* pPersonMasks, DWORD dwGroupMask, int nWhat, BOOL bInitialsOnly,
                BOOL bMatchCase, const FoundCallback& onFound);
    // The text search of one contact in the finds above (hits replace the array's content): the
    // contact's Search over the five person masks. A group whose contacts have fields beyond a
    // contact's own searches them under a sixth mask, which its callers then pass.
    virtual BOOL SearchPerson(_CPerson* pPerson, LPCTSTR lpszText, const DWORD* pPersonMasks,
                              CSearchItemArray& hits, BOOL bMatchCase);
    // The same for FindNextBirthday.
    int FindAllBirthdays(const CDate& from, const CDate& to, BOOL bIgnoreYear,
                         CPositionStack& stack, const FoundCallback& onFound);

    // The first contact, here then in the sub-groups depth-first, with the number among its
    // mobile numbers.
    _CPerson* FindPersonByMobile(LPCTSTR lpszNumber);
    // Calls back for each birthday within `days` days of `from`; answers the number of calls.
    int EnumUpcomingBirthdays(const CDate& from, int nDays, int nFlags, void* pContext,
                              BirthdayCallback pfnCallback);
    // Every contact's birthday into the two day maps, sub-groups first, locked ones too.
    void AddBirthdaysTo(CBirthdayMap& solarMap, CBirthdayMap& lunarMap);
    // Messages in the state in every contact's SMS box, sub-groups included.
    int CountPersonSmsByState(int nState);
    // No contact (locked ones included) and no sub-group.
    BOOL IsEmptyGroup() const { return IsEmpty(); }
    // Every sub-group, then every contact, of the other group sorted into this one.
    void TakeChildrenFrom(_CGroup* pOther) { MoveAllFrom(pOther); }
    // With bDelete deletes the sub-groups, otherwise only empties the list.
    void ClearSubgroups(BOOL bDelete);
    // The texts of one field of every contact, joined by the separator (e-mail: the current
    // address only); sub-groups follow with bRecursive.
    void CollectFieldValues(int nField, CString& out, BOOL bRecursive, LPCTSTR lpszSeparator);

    // Reads contacts from a CSV file (GBK, UTF-8 or UTF-16, see CCsvSource) whose columns map to
    // fields (-1: not imported). Answers the number of data records; -1, with the reason in the
    // report, when the file cannot be read, is too large, is not text, has no header record or
    // a quote that never closes, memory runs out, or the progress listener (may be null) stops
    // the reading: then the group and every contact in it are as they were.
    int ImportCsv(LPCTSTR lpszPath, const CArray<int, int>& columnFields, DWORD dwFlags,
                  int nGroupColumn, SCsvImportReport* pReport = nullptr,
                  CICsvProgress* pProgress = nullptr);
    // Writes the contacts as card text or CSV lines; FALSE for a locked group.
    BOOL ExportPersons(CStdioFile& file, const CArray<int, int>& fields, int nFormat,
                       DWORD dwFlags);

    POSITION GetFirstPersonPosition() const { return GetFirstContentPosition(); }
    _CPerson* GetNextPerson(POSITION& pos) const {
        return static_cast<_CPerson*>(GetNextContent(pos));
    }
    _CGroup* GetNextGroup(POSITION& pos) const {
        return static_cast<_CGroup*>(GetNextSubgroup(pos));
    }

private:
    // The storage of a property key within the record; null for the type and unknown keys.
    void* LookupInfo(DWORD dwKey, int& nKind);
    void CopyInfoFrom(const _CGroup& source);
    // The resumable walk shared by the finds. Each item that passes its test goes to `found`,
    // which answers whether the walk goes on past it; where it does not, the walk stops at the
    // item, its position in the stack, and answers it. Null, with the stack emptied, at the end.
    template <class GroupTest, class PersonTest, class Found>
    CObject* Walk(CPositionStack& stack, BOOL& bReported, int nWhat, GroupTest& testGroup,
                  PersonTest& testPerson, Found& found);
    // FindNext's tests over the hits array, handed to the walk.
    template <class Found>
    CObject* WalkMatching(LPCTSTR lpszText, CPositionStack& stack, BOOL& bReported,
                          const DWORD* pPersonMasks, DWORD dwGroupMask, CSearchItemArray& hits,
                          int nWhat, BOOL bInitialsOnly, BOOL bMatchCase, Found& found);
    template <class Found>
    CObject* WalkBirthdays(const CDate& from, const CDate& to, BOOL bIgnoreYear,
                           CPositionStack& stack, CSearchItemArray& hits, Found& found);
    struct SBirthdayListing;
    // EnumUpcomingBirthdays for this group and its sub-groups.
    int ListBirthdays(SBirthdayListing& listing);
    struct SExportBuffer;
    // ExportPersons into the buffer, which goes to the file as it fills.
    BOOL ExportPersonsTo(SExportBuffer& buffer, const CArray<int, int>& fields, int nFormat,
                         DWORD dwFlags);
    void ExportPerson(SExportBuffer& buffer, _CPerson* pPerson, const CArray<int, int>& fields,
                      int nFormat, DWORD dwFlags);

    SGroupInfo m_info;
    CTime m_timeModified;
    int m_nCounter1 = 0;
    int m_nCounter2 = 0;
    CPositionStack m_findStack;
    BOOL m_bReported = FALSE;
    // Where the walk last stopped among the contacts: a step from there on starts at that node
    // instead of counting from the first contact, while the content list has not changed since.
    struct SWalkMark {
        POSITION pos = nullptr;
        int nIndex = 0;
        UINT nChanges = 0;
    } m_walkMark;
};

// For tests only: the next imports fail as if memory ran out after reading that many records
// (negative: never). Answers the previous number.
int SetCsvImportFailureForTesting(int nRecords);
