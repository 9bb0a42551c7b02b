// Finding contacts and groups below a group: by a text in chosen fields, by the pinyin initials
// of the name, or by a birthday within a range of dates. The search resumes after the item it
// found last, across calls, in the searched group's own search position, until it is restarted.
#pragma once

#include <functional>
#include <memory>

#include "contacts/ContactGroup.h"
#include "core/Date.h"
#include "platform/base/CString.h"

// One item found: the contact or group, which of the two, and where the text was found.
struct SFindResult {
    CObject* pItem = nullptr;
    BOOL bPerson = FALSE;
    CSearchItemArray hits;
};

// The name of a hit's field from its group bit and field bit; an empty text leaves it out.
typedef std::function<CString(int nGroupBit, int nFieldBit)> FindHitNamer;
// The names of the fields of the hits, joined by ",": person fields by their group and bit (the
// contact's names, or the namer's), a group's by its property key.
CString GetFindResultFieldNames(const SFindResult& result, const FindHitNamer& nameOf = {});

// Search masks: one per person field group (kPersonGroupOrder), then one for the fields a kind of
// contact has beyond those (searched by groups of such contacts, see _CGroup::SearchPerson).
constexpr int kFindMaskCount = kPersonGroupCount + 1;

struct SFindCriteria {
    enum Mode { MODE_TEXT, MODE_INITIALS, MODE_BIRTHDAY };
    Mode nMode = MODE_TEXT;
    CString strText;          // the text, or the initials (MODE_INITIALS)
    DWORD personMasks[kFindMaskCount] = {};
    DWORD dwGroupMask = 0;
    // What the text search looks at (_CGroup::FIND_CONTACTS, FIND_GROUPS, as the caller judges
    // its masks); -1: contacts when any person mask is set, groups when the group mask is.
    int nScope = -1;
    BOOL bMatchCase = FALSE;
    CDate from, to;           // MODE_BIRTHDAY
    BOOL bIgnoreYear = TRUE;
};

class CContactFinder {
public:
    explicit CContactFinder(_CGroup* pGroup) : m_pGroup(pGroup) {}

    // Finds the next item (bAll: every item left), from the start with bRestart. Each item found
    // goes to the callback, which takes over the result. Answers the number found by this call.
    int Find(const SFindCriteria& criteria, BOOL bAll, BOOL bRestart,
             const std::function<void(std::unique_ptr<SFindResult>)>& onFound);
    // Forgets the search position.
    void Reset();

private:
    _CGroup* m_pGroup;
};
