#include "core/Group.h"

#include "core/Checksum.h"
#include "core/HanziString.h"
#include "platform/base/Archive.h"

#include <algorithm>
#include <iterator>
#include <unordered_map>
#include <utility>
#include <vector>

IMPLEMENT_SERIAL(CGroup, CObList, 1)

namespace {

// Nesting depth of the group being loaded on this thread.
thread_local int t_loadDepth = 0;

struct LoadDepthGuard {
    LoadDepthGuard() {
        if (++t_loadDepth > CGroup::kMaxLoadDepth) {
            --t_loadDepth;
            AfxThrowArchiveException(CArchiveException::badIndex);
        }
    }
    ~LoadDepthGuard() { --t_loadDepth; }
};

// Smallest stored size of a child, to refuse counts the rest of the file cannot hold: a group
// stored by this class writes at least its two counts; every content record writes a field.
constexpr ULONGLONG kMinSubgroupBytes = 8;
constexpr ULONGLONG kMinContentBytes = 1;

} // namespace

// Every search and listing walks the contents end to end, one node after the next: nodes taken
// from blocks of up to 256 lie side by side, where blocks of 10 scattered them among the contents
// themselves and each step waited for memory. A small group's blocks stay as small as the group.
CGroup::CGroup(LPCTSTR lpszName) : CObList(10), m_contents(256) {
    SetName(lpszName);
}

CGroup::~CGroup() {
    CGroup::RemoveAll();
}

CGroupItem* CGroup::NodeOf(CObject* pChild) {
    if (pChild == nullptr)
        return nullptr;
    // One walk up the class chain answers both questions (no class is both).
    for (const CRuntimeClass* p = pChild->GetRuntimeClass(); p != nullptr; p = p->m_pBaseClass) {
        if (p == RUNTIME_CLASS(CGroup))
            return static_cast<CGroup*>(pChild);
        if (p == RUNTIME_CLASS(CContent))
            return static_cast<CContent*>(pChild);
    }
    return nullptr;
}

// ---- Serialization -----------------------------------------------------------------------------

CObject* CGroup::LoadChild(CArchive& ar, CRuntimeClass* pClass, const CRuntimeClass* pBase) {
    if (pClass == nullptr || !pClass->IsDerivedFrom(pBase))
        AfxThrowArchiveException(CArchiveException::badClass);
    CObject* pObject = pClass->CreateObject();
    if (pObject == nullptr)
        AfxThrowArchiveException(CArchiveException::badClass);
    try {
        pObject->Serialize(ar);
    } catch (...) {
        delete pObject;
        throw;
    }
    return pObject;
}

void CGroup::Serialize(CArchive& ar) {
    SerializeExtra(ar);
    if (ar.IsStoring()) {
        ar << (DWORD)GetCount() << (DWORD)m_contents.GetCount();
        for (POSITION pos = GetHeadPosition(); pos != nullptr;)
            GetNext(pos)->Serialize(ar);
        for (POSITION pos = m_contents.GetHeadPosition(); pos != nullptr;)
            m_contents.GetNext(pos)->Serialize(ar);
        return;
    }
    LoadDepthGuard depth;
    DWORD nSubgroups = 0, nContents = 0;
    ar >> nSubgroups >> nContents;
    ar.RequireBytes(nSubgroups * kMinSubgroupBytes + nContents * kMinContentBytes);
    for (DWORD i = 0; i < nSubgroups; ++i) {
        auto* pGroup =
            static_cast<CGroup*>(LoadChild(ar, GetRuntimeClass(), RUNTIME_CLASS(CGroup)));
        AddSubgroup(pGroup, FALSE, nullptr, TRUE, TRUE);
    }
    for (DWORD i = 0; i < nContents; ++i) {
        auto* pContent =
            static_cast<CContent*>(LoadChild(ar, GetContentClass(), RUNTIME_CLASS(CContent)));
        AddContent(pContent, FALSE, nullptr, TRUE, TRUE);
    }
}

void CGroup::SerializeExtra(CArchive&) {}

// ---- Simple virtual operations -----------------------------------------------------------------

CRuntimeClass* CGroup::GetContentClass() const {
    return nullptr;
}

BOOL CGroup::IsLocked() const {
    return (m_dwFlags & (FLAG_PASSWORD | FLAG_LOCKED)) == (FLAG_PASSWORD | FLAG_LOCKED);
}

CGroup* CGroup::GetLastSubGroup() const {
    return GetCount() > 0 ? static_cast<CGroup*>(GetTail()) : nullptr;
}

BOOL CGroup::IsFlag800Set() const {
    return (m_dwFlags & FLAG_800) != 0;
}

void CGroup::SetFlag800(BOOL bSet) {
    ModifyFlags(FLAG_800, bSet ? (DWORD)FLAG_800 : 0);
}

CGroup* CGroup::CreateSubGroup(LPCTSTR) {
    return nullptr;
}

void CGroup::SetPassword(LPCTSTR lpszPassword) {
    m_dwPasswordChecksum = CalcStringChecksum(lpszPassword);
}

BOOL CGroup::CheckPassword(LPCTSTR lpszPassword) const {
    return CalcStringChecksum(lpszPassword) == m_dwPasswordChecksum;
}

void CGroup::MoveContentsTo(CGroup*) {}

BOOL CGroup::IsInUse() const {
    if (GetLockCount() > 0)
        return TRUE;
    for (POSITION pos = m_contents.GetHeadPosition(); pos != nullptr;)
        if (static_cast<CContent*>(m_contents.GetNext(pos))->IsInUse())
            return TRUE;
    for (POSITION pos = GetHeadPosition(); pos != nullptr;)
        if (GetNextSubgroup(pos)->IsInUse())
            return TRUE;
    return FALSE;
}

// ---- Copying -----------------------------------------------------------------------------------

void CGroup::CopyFrom(const CGroup* pSource) {
    if (pSource == nullptr || pSource == this)
        return;
    DeleteAllSubgroups();
    DeleteAllContents();
    for (POSITION pos = pSource->GetHeadPosition(); pos != nullptr;) {
        const CGroup* pChild = pSource->GetNextSubgroup(pos);
        auto* pCopy = DYNAMIC_DOWNCAST(CGroup, GetRuntimeClass()->CreateObject());
        if (pCopy == nullptr)
            continue;
        pCopy->CopyFrom(pChild);
        AddSubgroup(pCopy, FALSE, nullptr, TRUE, TRUE);
    }
    CRuntimeClass* pContentClass = GetContentClass();
    for (POSITION pos = pSource->GetFirstContentPosition(); pos != nullptr;) {
        const CContent* pChild = pSource->GetNextContent(pos);
        if (pContentClass == nullptr)
            break;
        auto* pCopy = DYNAMIC_DOWNCAST(CContent, pContentClass->CreateObject());
        if (pCopy == nullptr)
            continue;
        pCopy->CopyFrom(pChild);
        AddContent(pCopy, FALSE, nullptr, TRUE, TRUE);
    }
    CopyAttributes(pSource);
}

void CGroup::CopyAttributes(const CGroup* pSource) {
    SetParent(nullptr);
    SetTreeItem(0);
    m_dwFlags = pSource->m_dwFlags & ~(DWORD)FLAGS_PER_INSTANCE;
    m_dwPasswordChecksum = pSource->m_dwPasswordChecksum;
}

// ---- Insertion and removal ---------------------------------------------------------------------

POSITION CGroup::InsertChild(CObList& list, CObject* pChild, CGroupItem* pNode, BOOL bSorted,
                             POSITION posRef, BOOL bAfter) {
    if (bSorted) {
        // A run of equal names compares alike (the comparison looks at the names alone), so the
        // collation is asked once per run: a box of thousands of messages mostly shares a handful
        // of names, and collating each would make moving many messages into it quadratic in
        // collations.
        const CGroupItem* pPrev = nullptr;
        int cmp = 0;
        for (POSITION pos = list.GetHeadPosition(); pos != nullptr;) {
            POSITION here = pos;
            const CGroupItem* pItem = NodeOf(list.GetNext(pos));
            if (pPrev == nullptr || pItem->GetName() != pPrev->GetName())
                cmp = pItem->CompareName(pNode);
            pPrev = pItem;
            if (bAfter ? cmp > 0 : cmp < 0)
                return list.InsertBefore(here, pChild);
        }
        return list.AddTail(pChild);
    }
    if (posRef != nullptr)
        return bAfter ? list.InsertAfter(posRef, pChild) : list.InsertBefore(posRef, pChild);
    return bAfter ? list.AddTail(pChild) : list.AddHead(pChild);
}

// ---- Runs of many contents ----------------------------------------------------------------------

// What a run keeps of the contents list, for the list as it stood at `changes` (its change
// count). Each part is built by one walk when first needed and kept up to date by the group's
// own insertions and removals.
//
// Placing in name order puts a content before the first entry whose name sorts after its own.
// That entry is the first of the "maxima": the entries whose name sorts after every name before
// them. They sort in increasing order, so the first one after a name is found by halving, and a
// new content changes them only by becoming one itself, where it is placed.
struct CGroup::CContentRun::Index {
    CGroup* pOwner = nullptr;
    int nRuns = 0;
    UINT changes = 0;
    bool bWhereBuilt = false;
    bool bListedTwice = false; // some content has two entries: `where` knows only the first
    std::unordered_map<const CObject*, POSITION> where;
    bool bMaximaBuilt = false;
    std::vector<std::pair<POSITION, const CGroupItem*>> maxima;

    // Forgets what no longer matches the list.
    void Sync(const CObList& list) {
        if (changes == list.GetChangeCount())
            return;
        ForgetWhere();
        maxima.clear();
        bMaximaBuilt = false;
        changes = list.GetChangeCount();
    }
    void ForgetWhere() {
        where.clear();
        bWhereBuilt = bListedTwice = false;
    }

    POSITION Find(const CObList& list, const CObject* pContent) {
        if (!bWhereBuilt) {
            where.reserve((size_t)list.GetCount());
            for (POSITION pos = list.GetHeadPosition(); pos != nullptr;) {
                POSITION here = pos;
                // The first entry of a content is the one found.
                if (!where.emplace(list.GetNext(pos), here).second)
                    bListedTwice = true;
            }
            bWhereBuilt = true;
        }
        auto it = where.find(pContent);
        return it != where.end() ? it->second : nullptr;
    }

    POSITION Insert(CObList& list, CContent* pContent, BOOL bSorted, POSITION posRef, BOOL bAfter) {
        POSITION pos = nullptr;
        if (bSorted && bAfter) {
            BuildMaxima(list);
            // The first maximum whose name sorts after the content's.
            auto above = std::upper_bound(
                maxima.begin(), maxima.end(), pContent,
                [](const CGroupItem* pNode, const std::pair<POSITION, const CGroupItem*>& m) {
                    return m.second->CompareName(pNode) > 0;
                });
            pos = above != maxima.end() ? list.InsertBefore(above->first, pContent)
                                        : list.AddTail(pContent);
            if (above == maxima.begin() || std::prev(above)->second->CompareName(pContent) < 0)
                maxima.insert(above, {pos, pContent});
        } else {
            pos = InsertChild(list, pContent, pContent, bSorted, posRef, bAfter);
            maxima.clear();
            bMaximaBuilt = false;
        }
        if (bWhereBuilt && !where.emplace(pContent, pos).second)
            ForgetWhere(); // which entry comes first is found by a walk
        changes = list.GetChangeCount();
        return pos;
    }

    void Remove(CObList& list, POSITION pos) {
        if (bWhereBuilt) {
            if (bListedTwice)
                ForgetWhere(); // another entry of the content may come first now
            else
                where.erase(list.GetAt(pos));
        }
        maxima.clear();
        bMaximaBuilt = false;
        list.RemoveAt(pos);
        changes = list.GetChangeCount();
    }

private:
    void BuildMaxima(const CObList& list) {
        if (bMaximaBuilt)
            return;
        const CGroupItem* pPrev = nullptr;
        for (POSITION pos = list.GetHeadPosition(); pos != nullptr;) {
            POSITION here = pos;
            const CGroupItem* pItem = NodeOf(list.GetNext(pos));
            // A name equal to the one before compares alike.
            if (maxima.empty() || (pItem->GetName() != pPrev->GetName() &&
                                   pItem->CompareName(maxima.back().second) > 0))
                maxima.emplace_back(here, pItem);
            pPrev = pItem;
        }
        bMaximaBuilt = true;
    }
};

CGroup::CContentRun::CContentRun(CGroup* pGroup) {
    if (pGroup == nullptr)
        return;
    if (pGroup->m_pRunIndex == nullptr) {
        pGroup->m_pRunIndex = std::make_shared<Index>();
        pGroup->m_pRunIndex->pOwner = pGroup;
        pGroup->m_pRunIndex->changes = pGroup->m_contents.GetChangeCount();
    }
    ++pGroup->m_pRunIndex->nRuns;
    m_pIndex = pGroup->m_pRunIndex;
}

CGroup::CContentRun::~CContentRun() {
    if (std::shared_ptr<Index> pIndex = m_pIndex.lock())
        if (--pIndex->nRuns == 0)
            pIndex->pOwner->m_pRunIndex.reset();
}

CGroup::CContentRun::Index* CGroup::RunIndex() {
    if (m_pRunIndex == nullptr)
        return nullptr;
    m_pRunIndex->Sync(m_contents);
    return m_pRunIndex.get();
}

POSITION CGroup::AddSubgroup(CGroup* pGroup, BOOL bSorted, POSITION posRef, BOOL bAfter,
                             BOOL bSetParent) {
    if (pGroup == nullptr)
        return nullptr;
    POSITION pos = InsertChild(*this, pGroup, pGroup, bSorted, posRef, bAfter);
    if (bSetParent)
        pGroup->SetParent(this);
    return pos;
}

POSITION CGroup::AddContent(CContent* pContent, BOOL bSorted, POSITION posRef, BOOL bAfter,
                            BOOL bSetParent) {
    if (pContent == nullptr)
        return nullptr;
    POSITION pos = nullptr;
    if (CContentRun::Index* pIndex = RunIndex())
        pos = pIndex->Insert(m_contents, pContent, bSorted, posRef, bAfter);
    else
        pos = InsertChild(m_contents, pContent, pContent, bSorted, posRef, bAfter);
    if (bSetParent)
        pContent->SetParent(this);
    return pos;
}

POSITION CGroup::FindContent(const CObject* pContent) {
    if (CContentRun::Index* pIndex = RunIndex())
        return pIndex->Find(m_contents, pContent);
    return m_contents.Find(const_cast<CObject*>(pContent));
}

BOOL CGroup::RemoveSubgroup(CGroup* pGroup, BOOL bDelete) {
    POSITION pos = pGroup != nullptr ? Find(pGroup) : nullptr;
    if (pos == nullptr)
        return FALSE;
    // The entry goes first, so that the child's own destruction never sees itself listed here.
    RemoveAt(pos);
    if (bDelete)
        delete pGroup;
    else
        pGroup->SetParent(nullptr);
    return TRUE;
}

BOOL CGroup::RemoveContent(CContent* pContent, BOOL bDelete) {
    POSITION pos = pContent != nullptr ? FindContent(pContent) : nullptr;
    if (pos == nullptr)
        return FALSE;
    if (CContentRun::Index* pIndex = RunIndex())
        pIndex->Remove(m_contents, pos);
    else
        m_contents.RemoveAt(pos);
    if (bDelete)
        delete pContent;
    else
        pContent->SetParent(nullptr);
    return TRUE;
}

CContent* CGroup::RemoveContentAt(POSITION pos, BOOL bDelete) {
    if (pos == nullptr)
        return nullptr;
    auto* pContent = static_cast<CContent*>(m_contents.GetAt(pos));
    if (CContentRun::Index* pIndex = RunIndex())
        pIndex->Remove(m_contents, pos);
    else
        m_contents.RemoveAt(pos);
    if (bDelete) {
        delete pContent;
        return nullptr;
    }
    return pContent;
}

POSITION CGroup::MoveSubGroup(CGroup* pGroup, BOOL bSorted, POSITION posRef, BOOL bAfter) {
    if (!RemoveSubgroup(pGroup, FALSE))
        return nullptr;
    return AddSubgroup(pGroup, bSorted, posRef, bAfter, TRUE);
}

POSITION CGroup::MoveContent(CContent* pContent, CGroup* pDest, BOOL bSorted, POSITION posRef,
                             BOOL bAfter) {
    if (pContent == nullptr)
        return nullptr;
    if (CGroup* pOld = pContent->GetParent())
        pOld->RemoveContent(pContent, FALSE);
    if (pDest == nullptr) {
        delete pContent;
        return nullptr;
    }
    return pDest->AddContent(pContent, bSorted, posRef, bAfter, TRUE);
}

POSITION CGroup::RepositionContent(CContent* pContent, BOOL bSorted, POSITION posRef, BOOL bAfter) {
    if (!RemoveContent(pContent, FALSE))
        return nullptr;
    return AddContent(pContent, bSorted, posRef, bAfter, TRUE);
}

BOOL CGroup::MoveTo(CGroup* pDest, BOOL bSorted, POSITION posRef, BOOL bAfter) {
    // A group put inside itself would own itself and vanish from the tree.
    if (pDest == nullptr || pDest->IsSelfOrDescendantOf(this))
        return FALSE;
    CGroup* pOld = GetParent();
    if (pOld == pDest) {
        // Within one list: take the entry out first so the group is listed once.
        return pOld->MoveSubGroup(this, bSorted, posRef, bAfter) != nullptr;
    }
    if (pDest->AddSubgroup(this, bSorted, posRef, bAfter, TRUE) == nullptr)
        return FALSE;
    if (pOld != nullptr) {
        if (POSITION pos = pOld->Find(this))
            pOld->RemoveAt(pos);
    }
    SetParent(pDest);
    return TRUE;
}

void CGroup::MoveAllFrom(CGroup* pSource) {
    if (pSource == nullptr || pSource == this || IsSelfOrDescendantOf(pSource))
        return;
    while (pSource->GetCount() > 0) {
        auto* pGroup = static_cast<CGroup*>(pSource->RemoveHead());
        AddSubgroup(pGroup, TRUE, nullptr, TRUE, TRUE);
    }
    while (pSource->m_contents.GetCount() > 0) {
        auto* pContent = static_cast<CContent*>(pSource->m_contents.RemoveHead());
        AddContent(pContent, TRUE, nullptr, TRUE, TRUE);
    }
}

void CGroup::RemoveFromParent(BOOL bDelete) {
    if (CGroup* pParent = GetParent())
        pParent->RemoveSubgroup(this, bDelete);
    else if (bDelete)
        delete this;
}

void CGroup::DeleteAllSubgroups() {
    while (GetCount() > 0)
        delete RemoveHead();
}

void CGroup::DeleteAllContents() {
    while (m_contents.GetCount() > 0)
        delete m_contents.RemoveHead();
}

void CGroup::RemoveAll() {
    DeleteAllContents();
    DeleteAllSubgroups();
}

// ---- Questions about the tree ------------------------------------------------------------------

CGroup* CGroup::GetRootGroup() {
    CGroup* pGroup = this;
    while (pGroup->GetParent() != nullptr)
        pGroup = pGroup->GetParent();
    return pGroup;
}

const CGroup* CGroup::GetRootGroup() const {
    return const_cast<CGroup*>(this)->GetRootGroup();
}

BOOL CGroup::IsSelfOrDescendantOf(const CGroup* pGroup) const {
    for (const CGroup* p = this; p != nullptr; p = p->GetParent())
        if (p == pGroup)
            return TRUE;
    return FALSE;
}

CGroup* CGroup::GetSiblingGroup(BOOL bNext) const {
    CGroup* pParent = GetParent();
    if (pParent == nullptr)
        return nullptr;
    POSITION pos = pParent->Find(const_cast<CGroup*>(this));
    if (pos == nullptr)
        return nullptr;
    if (bNext)
        pParent->GetNext(pos);
    else
        pParent->GetPrev(pos);
    return pos != nullptr ? static_cast<CGroup*>(pParent->GetAt(pos)) : nullptr;
}

int CGroup::GetContentCount(BOOL bRecursive, BOOL bIncludeLocked) const {
    int n = (int)m_contents.GetCount();
    if (bRecursive) {
        for (POSITION pos = GetHeadPosition(); pos != nullptr;) {
            const CGroup* pChild = GetNextSubgroup(pos);
            if (bIncludeLocked || !pChild->IsLocked())
                n += pChild->GetContentCount(TRUE, bIncludeLocked);
        }
    }
    return n;
}

BOOL CGroup::HasContents(BOOL bRecursive) const {
    if (m_contents.GetCount() > 0)
        return TRUE;
    if (bRecursive) {
        for (POSITION pos = GetHeadPosition(); pos != nullptr;)
            if (GetNextSubgroup(pos)->HasContents(TRUE))
                return TRUE;
    }
    return FALSE;
}

BOOL CGroup::IsEmpty() const {
    return GetCount() == 0 && m_contents.GetCount() == 0;
}

void CGroup::ClearTreeItems(BOOL bRecursive) {
    SetTreeItem(0);
    if (bRecursive) {
        for (POSITION pos = GetHeadPosition(); pos != nullptr;)
            GetNextSubgroup(pos)->ClearTreeItems(TRUE);
    }
}

CString CGroup::GetNameInitials() const {
    CString initials;
    CHanziString(GetName()).GetPinyinInitials(initials);
    return initials;
}

// ---- Finding by name and path ------------------------------------------------------------------

POSITION CGroup::FindSubgroupNode(LPCTSTR lpszName, POSITION posStart) const {
    CString name = lpszName != nullptr ? lpszName : "";
    for (POSITION pos = posStart != nullptr ? posStart : GetHeadPosition(); pos != nullptr;) {
        POSITION here = pos;
        if (GetNextSubgroup(pos)->GetName() == name)
            return here;
    }
    return nullptr;
}

POSITION CGroup::FindContentNode(LPCTSTR lpszName, POSITION posStart) const {
    CString name = lpszName != nullptr ? lpszName : "";
    for (POSITION pos = posStart != nullptr ? posStart : GetFirstContentPosition();
         pos != nullptr;) {
        POSITION here = pos;
        if (GetNextContent(pos)->GetName() == name)
            return here;
    }
    return nullptr;
}

namespace {

// The first content named so, skipping links unless they are accepted.
CContent* FindContentNamed(const CGroup* pGroup, const CString& name, BOOL bIncludeLinks) {
    for (POSITION pos = pGroup->GetFirstContentPosition(); pos != nullptr;) {
        CContent* pContent = pGroup->GetNextContent(pos);
        if (pContent->GetName() == name && (bIncludeLinks || !pContent->IsVirtual()))
            return pContent;
    }
    return nullptr;
}

CGroup* FindSubgroupNamed(const CGroup* pGroup, const CString& name) {
    POSITION pos = pGroup->FindSubgroupNode(name);
    return pos != nullptr ? static_cast<CGroup*>(pGroup->GetAt(pos)) : nullptr;
}

// Reads one component of a path from pos: up to the next "\", or a quoted name whose doubled
// quotes stand for one (what follows its closing quote up to the next "\" is ignored). pos
// ends after the separator, or at -1 when the path ends.
CString ReadPathComponent(const CString& path, int& pos) {
    CString component;
    int sep;
    if (pos < path.GetLength() && path[pos] == '"') {
        int i = pos + 1;
        for (;;) {
            int quote = path.Find('"', i);
            if (quote < 0) {
                component += path.Mid(i);
                pos = -1;
                return component;
            }
            component += path.Mid(i, quote - i);
            if (quote + 1 < path.GetLength() && path[quote + 1] == '"') {
                component += '"';
                i = quote + 2;
                continue;
            }
            sep = path.Find('\\', quote + 1);
            break;
        }
    } else {
        sep = path.Find('\\', pos);
        component = sep < 0 ? path.Mid(pos) : path.Mid(pos, sep - pos);
        component.Replace("\"\"", "\"");
    }
    pos = sep < 0 ? -1 : sep + 1;
    return component;
}

} // namespace

CObject* CGroup::FindByName(LPCTSTR lpszName, BOOL bGroup, BOOL bIncludeLinks, BOOL bRecursive) {
    CString name = lpszName != nullptr ? lpszName : "";
    CObject* pFound = bGroup ? static_cast<CObject*>(FindSubgroupNamed(this, name))
                             : static_cast<CObject*>(FindContentNamed(this, name, bIncludeLinks));
    if (pFound != nullptr || !bRecursive)
        return pFound;
    for (POSITION pos = GetHeadPosition(); pos != nullptr;) {
        if (CObject* pHit = GetNextSubgroup(pos)->FindByName(name, bGroup, bIncludeLinks, TRUE))
            return pHit;
    }
    return nullptr;
}

void CGroup::CollectPathNames(CStringList& names, const CGroup* pStop, BOOL bIncludeTop) const {
    for (const CGroup* pGroup = this; pGroup != nullptr; pGroup = pGroup->GetParent()) {
        BOOL bEnd = pStop != nullptr ? pGroup == pStop : pGroup->GetParent() == nullptr;
        if (bEnd && !bIncludeTop)
            break;
        names.AddHead(pGroup->GetName());
        if (bEnd)
            break;
    }
}

void CGroup::BuildPathText(const CStringList& names, CString& strPath) {
    strPath.Empty();
    for (POSITION pos = names.GetHeadPosition(); pos != nullptr;) {
        CString name = names.GetNext(pos);
        if (name.FindOneOf("\\\"\n") >= 0) {
            name.Replace("\"", "\"\"");
            name = "\"" + name + "\"";
        }
        strPath += name;
        if (pos != nullptr)
            strPath += '\\';
    }
}

void CGroup::GetPath(CString& strPath, const CGroup* pStop, BOOL bIncludeTop) const {
    CStringList names;
    CollectPathNames(names, pStop, bIncludeTop);
    BuildPathText(names, strPath);
}

CContent* CGroup::FindItemByPath(LPCTSTR lpszPath, BOOL bIncludeLinks) {
    CString path = lpszPath != nullptr ? lpszPath : "";
    CGroup* pGroup = this;
    int pos = 0;
    for (;;) {
        if (pGroup->IsLocked() || pos < 0 || pos >= path.GetLength())
            return nullptr;
        CString component = ReadPathComponent(path, pos);
        if (pos < 0 || pos >= path.GetLength())
            return FindContentNamed(pGroup, component, bIncludeLinks);
        pGroup = FindSubgroupNamed(pGroup, component);
        if (pGroup == nullptr)
            return nullptr;
    }
}

CGroup* CGroup::FindOrCreateSubgroupByPath(LPCTSTR lpszPath, BOOL& bCreate) {
    CString rest = lpszPath != nullptr ? lpszPath : "";
    CGroup* pGroup = this;
    for (;;) {
        rest.TrimLeft('\\');
        if (rest.IsEmpty())
            return pGroup;
        int sep = rest.Find('\\');
        CString component = sep < 0 ? rest : rest.Left(sep);
        rest = sep < 0 ? CString() : rest.Mid(sep + 1);
        rest.TrimLeft('\\');
        if (CGroup* pFound = FindSubgroupNamed(pGroup, component)) {
            if (bCreate && rest.IsEmpty())
                bCreate = FALSE;
            pGroup = pFound;
            continue;
        }
        if (!bCreate)
            return nullptr;
        CGroup* pNew = pGroup->CreateSubGroup(component);
        if (pNew == nullptr)
            return nullptr;
        pGroup->AddSubgroup(pNew, TRUE, nullptr, TRUE, TRUE);
        pGroup = pNew;
    }
}
