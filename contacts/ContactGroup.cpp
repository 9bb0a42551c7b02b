#include "contacts/ContactGroup.h"

#include <algorithm>
#include <iterator>

#include "contacts/FieldOps.h"
#include "core/HanziString.h"
#include "core/LunarDate.h"
#include "core/StringUtil.h"
#include "platform/base/Archive.h"

IMPLEMENT_SERIAL(_CGroup, CGroup, 1)

namespace {

const DWORD kPropertyKeys[kGroupPropertyCount] = {
    GP_NAME,  GP_TYPE, GP_COUNTRY, GP_PROVINCE, GP_CITY, GP_POSTCODE, GP_ADDRESS,
    GP_PHONE, GP_FAX,  GP_EMAIL,   GP_HOMEPAGE, GP_NOTE, GP_MODIFIED};
const char* const kPropertyNames[kGroupPropertyCount] = {
    "姓名", "组类别", "国家",   "省/市/区", "城市", "邮政编码",    "地址",
    "电话", "传真",   "E-mail", "主页",     "附注", "最近修改时间"};
const char* const kTypeNames[] = {"普通组", "企业单位", "事业单位", "部门", "组织", "学校"};

// A link contact stands for its source; null when the source cannot be found.
_CPerson* Resolve(_CPerson* pPerson) {
    if (!pPerson->IsVirtual())
        return pPerson;
    return dynamic_cast<_CPerson*>(pPerson->GetVirtualSource());
}

// Walking a large group waits on memory once per contact, the contacts being spread over the
// heap. Keeping a second position a few contacts ahead and asking the processor to start loading
// those contacts lets the waits overlap; the walk itself goes on with its own position.
class CContactLookahead {
public:
    CContactLookahead(const _CGroup& group, POSITION start) : m_group(group), m_pos(start) {
        for (int i = 0; i < kAhead && m_pos != nullptr; ++i)
            Advance();
    }
    // Called once per contact taken by the walk.
    void Advance() {
        if (m_pos == nullptr)
            return;
        const char* p = reinterpret_cast<const char*>(m_group.GetNextPerson(m_pos));
        for (size_t at = 0; at < sizeof(_CPerson); at += 64)
            __builtin_prefetch(p + at);
    }

private:
    static constexpr int kAhead = 8;
    const _CGroup& m_group;
    POSITION m_pos;
};

} // namespace

BOOL GetGroupPropertyName(DWORD dwKey, CString& out) {
    for (int i = 0; i < kGroupPropertyCount; ++i)
        if (kPropertyKeys[i] == dwKey) {
            out = kPropertyNames[i];
            return TRUE;
        }
    return FALSE;
}

void GetGroupTypeName(int nType, CString& out) {
    if (nType >= 0 && nType < (int)(sizeof(kTypeNames) / sizeof(kTypeNames[0])))
        out = kTypeNames[nType];
    else
        out.Empty();
}

// ---- Construction and storage -------------------------------------------------------------------

_CGroup::_CGroup(LPCTSTR lpszName) : CGroup(lpszName) {
    m_timeModified = CTime::GetCurrentTime();
}

_CGroup::_CGroup(const _CGroup& source, BOOL bDeep) : CGroup(nullptr) {
    CopyInfoFrom(source);
    m_dwFlags = source.m_dwFlags;
    m_dwPasswordChecksum = source.m_dwPasswordChecksum;
    m_timeModified = CTime::GetCurrentTime();
    if (!bDeep)
        return;
    for (POSITION pos = source.GetFirstSubgroupPosition(); pos != nullptr;)
        AddSubgroup(new _CGroup(*source.GetNextGroup(pos), TRUE), FALSE, nullptr, TRUE, TRUE);
    for (POSITION pos = source.GetFirstContentPosition(); pos != nullptr;)
        AddContent(source.GetNextContent(pos)->Clone(), FALSE, nullptr, TRUE, TRUE);
}

_CGroup::~_CGroup() = default;

void _CGroup::CopyInfoFrom(const _CGroup& source) {
    m_info = source.m_info;
    SetName(source.m_strName);
}

void _CGroup::Serialize(CArchive& ar) {
    // The name is stored twice; the second copy is the one a reader keeps.
    SGroupInfo& info = m_info;
    if (ar.IsStoring()) {
        ar << (DWORD)info.nType << m_strName << info.strAddress << info.strCity << info.strCountry
           << m_strName << info.strNote << info.strPostCode << info.strProvince;
    } else {
        DWORD type = 0;
        CString firstName;
        ar >> type >> firstName >> info.strAddress >> info.strCity >> info.strCountry >>
            m_strName >> info.strNote >> info.strPostCode >> info.strProvince;
        info.nType = (int)type;
    }
    info.email.Serialize(ar);
    info.faxes.Serialize(ar);
    info.phones.Serialize(ar);
    info.homepage.Serialize(ar);

    CGroup::Serialize(ar);

    if (ar.IsStoring()) {
        ar << (LONGLONG)m_timeModified.GetTime() << m_dwFlags << m_dwPasswordChecksum;
        return;
    }
    LONGLONG t = 0;
    ar >> t >> m_dwFlags >> m_dwPasswordChecksum;
    m_timeModified = CTime((__time64_t)t);
    if (m_dwFlags & FLAG_PASSWORD)
        m_dwFlags |= FLAG_LOCKED;
}

CRuntimeClass* _CGroup::GetContentClass() const {
    return RUNTIME_CLASS(_CPerson);
}

void _CGroup::CopyFrom(const CGroup* pSource) {
    if (auto* pSrc = dynamic_cast<const _CGroup*>(pSource))
        CopyInfoFrom(*pSrc);
    CGroup::CopyFrom(pSource);
    m_nCounter1 = m_nCounter2 = 0;
    m_timeModified = CTime::GetCurrentTime();
}

CGroup* _CGroup::CreateSubGroup(LPCTSTR lpszName) {
    return new _CGroup(lpszName);
}

// ---- Record texts
// ---------------------------------------------------------------------------------

void* _CGroup::LookupInfo(DWORD dwKey, int& nKind) {
    nKind = FIELD_TEXT;
    switch (dwKey) {
    case GP_NAME:
        return &m_strName;
    case GP_COUNTRY:
        return &m_info.strCountry;
    case GP_PROVINCE:
        return &m_info.strProvince;
    case GP_CITY:
        return &m_info.strCity;
    case GP_POSTCODE:
        return &m_info.strPostCode;
    case GP_ADDRESS:
        return &m_info.strAddress;
    case GP_NOTE:
        return &m_info.strNote;
    }
    nKind = FIELD_MULTI_VALUE;
    switch (dwKey) {
    case GP_PHONE:
        return &m_info.phones;
    case GP_FAX:
        return &m_info.faxes;
    case GP_EMAIL:
        return &m_info.email;
    case GP_HOMEPAGE:
        return &m_info.homepage;
    }
    nKind = FIELD_NONE;
    return nullptr;
}

void _CGroup::GetPropertyText(int nIndex, CString& out) {
    out.Empty();
    if (nIndex < 0 || nIndex >= kGroupPropertyCount)
        return;
    DWORD dwKey = kPropertyKeys[nIndex];
    if (dwKey == GP_TYPE) {
        GetGroupTypeName(m_info.nType, out);
        return;
    }
    if (dwKey == GP_MODIFIED) {
        out = "最近修改" + m_timeModified.Format(":%Y-%m-%d %H:%M:%S");
        return;
    }
    int nKind = 0;
    void* pData = LookupInfo(dwKey, nKind);
    if (nKind == FIELD_TEXT)
        out = *static_cast<CString*>(pData);
    else if (nKind == FIELD_MULTI_VALUE)
        out = JoinMultiValue(*static_cast<CXStringList*>(pData), "\n", "-");
}

void _CGroup::GetSummaryText(CString& out) {
    out.Empty();
    for (int i = 0; i < kGroupPropertyCount; ++i) {
        CString text;
        GetPropertyText(i, text);
        if (text.IsEmpty())
            continue;
        if (!out.IsEmpty())
            out += "\n";
        out += text;
    }
    int p = GetContentCount(FALSE, TRUE);
    int g = GetSubgroupCount();
    CString members;
    if (p != 0 && g != 0)
        members.Format("%d人+%d组", p, g);
    else if (p != 0)
        members.Format("%d人", p);
    else if (g != 0)
        members.Format("%d组", g);
    else
        members = "空";
    out += "\n组内成员: " + members;
}

BOOL _CGroup::SearchInfoFields(LPCTSTR lpszText, DWORD dwMask, CSearchItemArray& hits,
                               BOOL bMatchCase) {
    if (lpszText == nullptr)
        return FALSE;
    BOOL bFound = FALSE;
    for (int b = 0; b < 32; ++b) {
        DWORD dwKey = 1u << b;
        if ((dwMask & dwKey) == 0)
            continue;
        int nKind = 0;
        void* pData = LookupInfo(dwKey, nKind);
        if (pData != nullptr &&
            SearchFieldValue(pData, nKind, lpszText, bMatchCase, hits, 0, (int)dwKey))
            bFound = TRUE;
    }
    return bFound;
}

int _CGroup::MatchNameInitials(LPCTSTR lpszText) {
    return FindNoCase(GetNameInitials(), lpszText != nullptr ? lpszText : "");
}

// ---- Find
// -----------------------------------------------------------------------------------------

CObject* _CGroup::FindFirst(LPCTSTR lpszText, const DWORD* pPersonMasks, DWORD dwGroupMask,
                            CSearchItemArray& hits, BOOL bRestart, int nWhat, BOOL bInitialsOnly,
                            BOOL bMatchCase) {
    if (bRestart) {
        m_findStack.RemoveAll();
        m_bReported = FALSE;
    }
    hits.RemoveAll();
    return FindNext(lpszText, m_findStack, m_bReported, pPersonMasks, dwGroupMask, hits, nWhat,
                    bInitialsOnly, bMatchCase);
}

template <class GroupTest, class PersonTest, class Found>
CObject* _CGroup::Walk(CPositionStack& stack, BOOL& bReported, int nWhat, GroupTest& testGroup,
                       PersonTest& testPerson, Found& found) {
    // Going on past an item is resuming at once where the next call, the item stepped past,
    // would resume: after a group, at its first contact (or first sub-group); after a contact,
    // at the one behind it. Resuming in place, instead of walking the group again from its start
    // to the stored index, keeps a find-all linear.
    if ((nWhat & FIND_GROUPS) && stack.IsEmpty()) {
        bReported = TRUE;
        if (testGroup(this) && !found(static_cast<CObject*>(this))) {
            // The marker stands before the first contact: the next call goes on with this
            // group's own contacts instead of passing over them to the sub-groups.
            stack.AddTail(-1);
            bReported = FALSE;
            return this;
        }
    }
    if ((nWhat & FIND_CONTACTS) && (stack.IsEmpty() || (stack.GetCount() == 1 && !bReported))) {
        int nStart = stack.IsEmpty() ? 0 : stack.RemoveHead();
        int nIndex = 0;
        POSITION pos = GetFirstContentPosition();
        // Stepping hit by hit through a large group would count from its first contact at every
        // step; the mark of the last stop saves that while the list is as it was then.
        const UINT nChanges = GetContentList().GetChangeCount();
        if (m_walkMark.pos != nullptr && m_walkMark.nChanges == nChanges &&
            m_walkMark.nIndex <= nStart) {
            pos = m_walkMark.pos;
            nIndex = m_walkMark.nIndex;
        }
        CContactLookahead lookahead(*this, pos);
        for (; pos != nullptr; ++nIndex) {
            const POSITION at = pos;
            _CPerson* pPerson = GetNextPerson(pos);
            lookahead.Advance();
            if (nIndex < nStart)
                continue;
            if (testPerson(pPerson) && !found(static_cast<CObject*>(pPerson))) {
                m_walkMark = {at, nIndex, nChanges};
                stack.AddTail(nIndex);
                bReported = FALSE;
                return pPerson;
            }
        }
    }
    int nStart = 0;
    if (stack.IsEmpty())
        bReported = TRUE;
    else
        nStart = stack.RemoveHead();
    int nIndex = 0;
    for (POSITION pos = GetFirstSubgroupPosition(); pos != nullptr; ++nIndex) {
        _CGroup* pGroup = GetNextGroup(pos);
        if (nIndex < nStart || pGroup->IsLocked())
            continue;
        if (CObject* pFound =
                pGroup->Walk(stack, bReported, nWhat, testGroup, testPerson, found)) {
            stack.AddHead(nIndex);
            return pFound;
        }
    }
    stack.RemoveAll();
    return nullptr;
}

template <class Found>
CObject* _CGroup::WalkMatching(LPCTSTR lpszText, CPositionStack& stack, BOOL& bReported,
                               const DWORD* pPersonMasks, DWORD dwGroupMask,
                               CSearchItemArray& hits, int nWhat, BOOL bInitialsOnly,
                               BOOL bMatchCase, Found& found) {
    if (lpszText == nullptr)
        return nullptr;
    static const DWORD kNoMasks[kPersonGroupCount + 1] = {}; // with room for a sixth
    auto testGroup = [&](_CGroup* pGroup) {
        if (bInitialsOnly)
            return pGroup->MatchNameInitials(lpszText) >= 0;
        return pGroup->SearchInfoFields(lpszText, dwGroupMask, hits, bMatchCase) != FALSE;
    };
    auto testPerson = [&](_CPerson* pPerson) {
        _CPerson* pTarget = Resolve(pPerson);
        if (pTarget == nullptr)
            return false; // a link whose source is gone never matches
        if (bInitialsOnly)
            return pTarget->MatchNameInitials(lpszText) >= 0;
        return SearchPerson(pTarget, lpszText, pPersonMasks != nullptr ? pPersonMasks : kNoMasks,
                            hits, bMatchCase) != FALSE;
    };
    return Walk(stack, bReported, nWhat, testGroup, testPerson, found);
}

template <class Found>
CObject* _CGroup::WalkBirthdays(const CDate& from, const CDate& to, BOOL bIgnoreYear,
                                CPositionStack& stack, CSearchItemArray& hits, Found& found) {
    BOOL bReported = FALSE;
    auto testGroup = [](_CGroup*) { return false; };
    auto testPerson = [&](_CPerson* pPerson) {
        _CPerson* pTarget = Resolve(pPerson);
        return pTarget != nullptr &&
               pTarget->IsBirthdayInRange(from, to, bIgnoreYear, hits) != FALSE;
    };
    return Walk(stack, bReported, FIND_CONTACTS, testGroup, testPerson, found);
}

namespace {

// A single step stops at the first item.
struct StopAtFirst {
    bool operator()(CObject*) const { return false; }
};

// A find-all hands each item on with its hits and goes on.
struct ReportEach {
    CSearchItemArray& hits;
    const _CGroup::FoundCallback& onFound;
    int nCount = 0;
    bool operator()(CObject* pItem) {
        ++nCount;
        onFound(pItem, hits);
        hits.RemoveAll();
        return true;
    }
};

} // namespace

BOOL _CGroup::SearchPerson(_CPerson* pPerson, LPCTSTR lpszText, const DWORD* pPersonMasks,
                           CSearchItemArray& hits, BOOL bMatchCase) {
    return pPerson->Search(lpszText, pPersonMasks, hits, bMatchCase);
}

CObject* _CGroup::FindNext(LPCTSTR lpszText, CPositionStack& stack, BOOL& bReported,
                           const DWORD* pPersonMasks, DWORD dwGroupMask, CSearchItemArray& hits,
                           int nWhat, BOOL bInitialsOnly, BOOL bMatchCase) {
    StopAtFirst stop;
    return WalkMatching(lpszText, stack, bReported, pPersonMasks, dwGroupMask, hits, nWhat,
                        bInitialsOnly, bMatchCase, stop);
}

int _CGroup::FindAll(LPCTSTR lpszText, CPositionStack& stack, BOOL& bReported,
                     const DWORD* pPersonMasks, DWORD dwGroupMask, int nWhat,
                     BOOL bInitialsOnly, BOOL bMatchCase, const FoundCallback& onFound) {
    CSearchItemArray hits;
    ReportEach each{hits, onFound};
    if (lpszText == nullptr)
        return 0;
    WalkMatching(lpszText, stack, bReported, pPersonMasks, dwGroupMask, hits, nWhat,
                 bInitialsOnly, bMatchCase, each);
    return each.nCount;
}

_CPerson* _CGroup::FindNextBirthday(const CDate& from, const CDate& to, BOOL bIgnoreYear,
                                    CPositionStack& stack, CSearchItemArray& hits, BOOL bRestart) {
    if (bRestart)
        stack.RemoveAll();
    hits.RemoveAll();
    StopAtFirst stop;
    return static_cast<_CPerson*>(WalkBirthdays(from, to, bIgnoreYear, stack, hits, stop));
}

int _CGroup::FindAllBirthdays(const CDate& from, const CDate& to, BOOL bIgnoreYear,
                              CPositionStack& stack, const FoundCallback& onFound) {
    CSearchItemArray hits;
    ReportEach each{hits, onFound};
    WalkBirthdays(from, to, bIgnoreYear, stack, hits, each);
    return each.nCount;
}

_CPerson* _CGroup::FindPersonByMobile(LPCTSTR lpszNumber) {
    for (POSITION pos = GetFirstContentPosition(); pos != nullptr;) {
        _CPerson* pPerson = GetNextPerson(pos);
        if (pPerson->HasMobile(lpszNumber))
            return pPerson;
    }
    for (POSITION pos = GetFirstSubgroupPosition(); pos != nullptr;)
        if (_CPerson* pFound = GetNextGroup(pos)->FindPersonByMobile(lpszNumber))
            return pFound;
    return nullptr;
}

// ---- Birthdays
// ------------------------------------------------------------------------------------

namespace {

// The days to each anniversary within one listing, worked out once per month and day (and lunar
// leap flag) instead of once per contact: counting a lunar one means converting candidate dates of
// several years, and a large book holds every month and day many times.
class CAnniversaries {
public:
    explicit CAnniversaries(const CDate& from) : m_solarFrom(from) {
        m_bLunarValid = m_lunarFrom.SetFromSolar(from);
        std::fill(std::begin(m_solarDays), std::end(m_solarDays), kUnknown);
        std::fill(std::begin(m_lunarDays), std::end(m_lunarDays), kUnknown);
    }
    // Whether lunar anniversaries can be counted from the date at all.
    BOOL IsLunarValid() const { return m_bLunarValid; }
    int SolarDaysTo(int month, int day) {
        if (month < 1 || month > 12 || day < 1 || day > 31)
            return CDate::DaysToNextAnniversary(m_solarFrom, month, day);
        int& days = m_solarDays[(month - 1) * 31 + day - 1];
        if (days == kUnknown)
            days = CDate::DaysToNextAnniversary(m_solarFrom, month, day);
        return days;
    }
    int LunarDaysTo(int month, int day, BOOL leap) {
        if (month < 1 || month > 12 || day < 1 || day > 30)
            return CLunarDate::DaysToNextAnniversary(m_lunarFrom, month, day, leap);
        int& days = m_lunarDays[((month - 1) * 30 + day - 1) * 2 + (leap ? 1 : 0)];
        if (days == kUnknown)
            days = CLunarDate::DaysToNextAnniversary(m_lunarFrom, month, day, leap);
        return days;
    }

private:
    static constexpr int kUnknown = -2;
    const CDate m_solarFrom;
    CLunarDate m_lunarFrom;
    BOOL m_bLunarValid = FALSE;
    int m_solarDays[12 * 31];
    int m_lunarDays[12 * 30 * 2];
};

} // namespace

// What one listing of upcoming birthdays carries down the tree.
struct _CGroup::SBirthdayListing {
    const CDate& from;
    int nDays;
    int nFlags;
    void* pContext;
    BirthdayCallback pfnCallback;
    CAnniversaries anniversaries;
};

int _CGroup::EnumUpcomingBirthdays(const CDate& from, int nDays, int nFlags, void* pContext,
                                   BirthdayCallback pfnCallback) {
    SBirthdayListing listing{from, nDays, nFlags, pContext, pfnCallback, CAnniversaries(from)};
    return ListBirthdays(listing);
}

int _CGroup::ListBirthdays(SBirthdayListing& listing) {
    const int nDays = listing.nDays;
    const int nFlags = listing.nFlags;
    void* const pContext = listing.pContext;
    const BirthdayCallback pfnCallback = listing.pfnCallback;
    int nCount = 0;
    const BOOL bLunarFrom = listing.anniversaries.IsLunarValid();
    CContactLookahead lookahead(*this, GetFirstContentPosition());
    for (POSITION pos = GetFirstContentPosition(); pos != nullptr;) {
        // A link is reported as itself, so that the list can mark it, with its source's birthday.
        _CPerson* pPerson = GetNextPerson(pos);
        lookahead.Advance();
        _CPerson* pSource = Resolve(pPerson);
        if (pSource == nullptr)
            continue;
        const CBirthday& birthday = static_cast<const _CPerson*>(pSource)->GetBirthday();
        if (!birthday.IsValid())
            continue;
        // A birthday kept as a lunar month and day has no solar anniversary of its own and is
        // always shown in its lunar form.
        const BOOL bLunarOnly =
            CDate::IsYearUnknown(birthday.GetYear()) && birthday.IsLunarMonthDay();
        // Each contact starts again from the caller's flags.
        int flags = nFlags;
        if (flags & BIRTHDAY_AS_SHOWN)
            flags =
                birthday.IsShowLunar() || bLunarOnly ? (flags | BIRTHDAY_LUNAR) : BIRTHDAY_SOLAR;
        if (flags & BIRTHDAY_AS_REMINDED) {
            if (birthday.IsRemindSolar())
                flags |= BIRTHDAY_SOLAR;
            if (birthday.IsRemindLunar())
                flags |= BIRTHDAY_LUNAR;
        }
        if ((flags & BIRTHDAY_SOLAR) && !bLunarOnly) {
            int n = listing.anniversaries.SolarDaysTo(birthday.GetMonth(), birthday.GetDay());
            if (n >= 0 && n <= nDays) {
                if (pfnCallback != nullptr)
                    pfnCallback(pContext, pPerson, birthday, 0, n);
                ++nCount;
            }
        }
        if ((flags & BIRTHDAY_LUNAR) && bLunarFrom) {
            CLunarDate lunar;
            BOOL bHave = FALSE;
            if (bLunarOnly) {
                lunar =
                    CLunarDate(-1, birthday.GetMonth(), birthday.GetDay(), birthday.IsLeapMonth());
                bHave = TRUE;
            } else {
                bHave = lunar.SetFromSolar(birthday);
            }
            if (bHave) {
                int n = listing.anniversaries.LunarDaysTo(lunar.GetMonth(), lunar.GetDay(),
                                                          lunar.IsLeapMonth());
                if (n >= 0 && n <= nDays) {
                    if (pfnCallback != nullptr)
                        pfnCallback(pContext, pPerson, birthday, 1, n);
                    ++nCount;
                }
            }
        }
    }
    for (POSITION pos = GetFirstSubgroupPosition(); pos != nullptr;) {
        _CGroup* pGroup = GetNextGroup(pos);
        if (!pGroup->IsLocked())
            nCount += pGroup->ListBirthdays(listing);
    }
    return nCount;
}

void _CGroup::AddBirthdaysTo(CBirthdayMap& solarMap, CBirthdayMap& lunarMap) {
    for (POSITION pos = GetFirstSubgroupPosition(); pos != nullptr;)
        GetNextGroup(pos)->AddBirthdaysTo(solarMap, lunarMap);
    CContactLookahead lookahead(*this, GetFirstContentPosition());
    for (POSITION pos = GetFirstContentPosition(); pos != nullptr;) {
        _CPerson* pPerson = GetNextPerson(pos);
        lookahead.Advance();
        pPerson->AddBirthdayTo(solarMap, lunarMap);
    }
}

// ---- Counting and collecting
// ----------------------------------------------------------------------

int _CGroup::CountPersonSmsByState(int nState) {
    int nCount = 0;
    for (POSITION pos = GetFirstSubgroupPosition(); pos != nullptr;)
        nCount += GetNextGroup(pos)->CountPersonSmsByState(nState);
    for (POSITION pos = GetFirstContentPosition(); pos != nullptr;)
        nCount += GetNextPerson(pos)->CountSmsByState(nState);
    return nCount;
}

void _CGroup::ClearSubgroups(BOOL bDelete) {
    if (bDelete)
        DeleteAllSubgroups();
    else
        CObList::RemoveAll();
}

void _CGroup::CollectFieldValues(int nField, CString& out, BOOL bRecursive, LPCTSTR lpszSeparator) {
    for (POSITION pos = GetFirstContentPosition(); pos != nullptr;) {
        _CPerson* pPerson = GetNextPerson(pos);
        CString text;
        pPerson->GetFieldText(text, nField, FALSE, nullptr, "\n", "-", nField == PF_EMAIL);
        if (text.IsEmpty())
            continue;
        if (!out.IsEmpty())
            out += lpszSeparator != nullptr ? lpszSeparator : "";
        out += text;
    }
    if (!bRecursive)
        return;
    for (POSITION pos = GetFirstSubgroupPosition(); pos != nullptr;)
        GetNextGroup(pos)->CollectFieldValues(nField, out, TRUE, lpszSeparator);
}
