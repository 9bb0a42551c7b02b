// The contact field table: 47 numbered fields (0..46) in five field groups. The numbers are the
// shared vocabulary of list columns, find, merge, CSV import and export and the card text.
#pragma once

#include "platform/base/Collections.h"
#include "platform/base/CString.h"
#include "platform/base/Types.h"

enum PersonField {
    PF_NAME = 0,
    PF_SEX = 1,
    PF_NICKNAME = 2,
    PF_BIRTHDAY = 3,
    PF_PAGER = 4,
    PF_MOBILE = 5,
    PF_PHONE = 6,
    PF_WEB = 7,
    PF_HOBBY = 8,
    PF_SPECIALITY = 9,
    PF_PERSONAL_CUSTOM = 10,
    PF_QQ = 11,
    PF_ICQ = 12,
    PF_EMAIL = 13,
    PF_HOMEPAGE = 14,
    PF_HOME_COUNTRY = 15,
    PF_HOME_PROVINCE = 16,
    PF_HOME_CITY = 17,
    PF_HOME_POSTCODE = 18,
    PF_HOME_ADDRESS = 19,
    PF_HOME_PHONE = 20,
    PF_HOME_FAX = 21,
    PF_SPOUSE = 22,
    PF_HOME_CUSTOM = 23,
    PF_FAMILY = 24,
    PF_COMPANY = 25,
    PF_WORK_COUNTRY = 26,
    PF_WORK_PROVINCE = 27,
    PF_WORK_CITY = 28,
    PF_WORK_POSTCODE = 29,
    PF_WORK_ADDRESS = 30,
    PF_OFFICE_PHONE = 31,
    PF_DORM_PHONE = 32,
    PF_WORK_FAX = 33,
    PF_DEPARTMENT = 34,
    PF_TITLE = 35,
    PF_OFFICE = 36,
    PF_WORK_CUSTOM = 37,
    PF_WORK_EMAIL = 38,
    PF_WORK_HOMEPAGE = 39,
    PF_CUR_POSTCODE = 40,
    PF_CUR_ADDRESS = 41,
    PF_CUR_NOTE = 42,
    PF_CERTIFICATES = 43,
    PF_NOTE = 44,
    PF_MODIFIED = 45,
    PF_PICTURE = 46,
    PERSON_FIELD_COUNT = 47,
    // Text-only pseudo-fields: country, province and city run together.
    PF_HOME_LOCATION = 48,
    PF_WORK_LOCATION = 49,
};

// Field group bits; search and merge masks hold one 32-bit mask per group, in this order.
enum PersonFieldGroup {
    PFG_BASIC = 1,
    PFG_HOME = 2,
    PFG_WORK = 4,
    PFG_ADDRESS = 8,
    PFG_OTHER = 16,
};
constexpr int kPersonGroupCount = 5;
// The group bits in the order merges and searches walk them.
extern const int kPersonGroupOrder[kPersonGroupCount];

// A value marked kind 7 is plain text to be parsed into the field (see _CPerson::ApplyFieldValue).
constexpr int kFieldKindPlainText = 7;

// One search hit: kind (0), group bit (0 for a group's own block), field bit, value index,
// part index and byte position.
struct SSearchItemInfo {
    int nKind = 0;
    int nGroup = 0;
    int nField = 0;
    int nValue = 0;
    int nPart = 0;
    int nPos = 0;
};
typedef CArray<SSearchItemInfo, const SSearchItemInfo&> CSearchItemArray;

// Field picker order of one group: (bit, used) pairs ended by (0, 0).
struct SFieldPickEntry {
    int nBit;
    int bUsed;
};

// Names: 0..46 from the table, 48 and 49 the pseudo-fields; FALSE for any other number.
BOOL GetPersonFieldName(int nField, CString& out);
// Names of the five group bits; FALSE for anything else.
BOOL GetPersonFieldGroupName(int nGroupBit, CString& out);
// The field of a (group, bit) pair; -1 when there is none.
int GetPersonFieldAt(int nGroupBit, int nFieldBit);
// FALSE when the field has no (group, bit) row (45 and anything outside 0..46).
BOOL GetPersonFieldLocation(int nField, int& nGroupBit, int& nFieldBit);
// The first field, in number order, whose name contains the text; -1 for none or an empty text.
int FindPersonFieldByName(LPCTSTR lpszText);
// Strings per value of a multi-value field (1 or 2); 0 for other fields.
int GetPersonFieldParts(int nField);
// Whether the field holds a multi-value list (the certificates count as one too).
BOOL IsPersonMultiValueField(int nField);
// The picker order of a group bit; null for anything else.
const SFieldPickEntry* GetPersonFieldPickOrder(int nGroupBit);
// The mask of every field bit of a group.
DWORD GetPersonGroupFullMask(int nGroupBit);
