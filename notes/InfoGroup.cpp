#include "notes/InfoGroup.h"

#include <algorithm>
#include <set>

IMPLEMENT_DYNCREATE(CInfoGroup, CGroup)

namespace {

// Blocks written inside one another go at most this deep; a deeper file is damaged.
constexpr int kMaxBlockDepth = 64;
thread_local int t_nBlockDepth = 0;

struct BlockDepth {
    BlockDepth() { ++t_nBlockDepth; }
    ~BlockDepth() { --t_nBlockDepth; }
};

} // namespace

CInfoGroup::CInfoGroup(LPCTSTR lpszName) : CGroup(lpszName) {}

CInfoGroup::~CInfoGroup() = default;

CRuntimeClass* CInfoGroup::GetContentClass() const {
    return RUNTIME_CLASS(CInfoContent);
}

CGroup* CInfoGroup::CreateSubGroup(LPCTSTR lpszName) {
    return new CInfoGroup(lpszName);
}

BOOL CInfoGroup::LoadFile(LPCTSTR lpszPath) {
    return LoadFileFrom(lpszPath, nullptr);
}

BOOL CInfoGroup::LoadFileFrom(LPCTSTR lpszPath, const CInfoReader* pParent) {
    CInfoReader reader;
    if (pParent != nullptr) {
        // A file naming itself or one of the files it is read from would never end; a chain of
        // files too long is cut as well.
        if (pParent->IsBeingRead(lpszPath) ||
            pParent->GetFileDepth() >= CInfoReader::kMaxFileDepth)
            return FALSE;
        reader.InheritOpenFiles(*pParent);
    }
    if (!reader.Open(lpszPath))
        return FALSE;
    m_strSourcePath = lpszPath;
    Parse(reader);
    return TRUE;
}

BOOL CInfoGroup::Parse(CInfoReader& reader) {
    CString raw, key, value;
    // The block begins at its first line that says anything.
    for (;;) {
        if (!reader.ReadLine(raw))
            return FALSE;
        CString line = InfoStripLine(raw);
        if (line.IsEmpty())
            continue;
        InfoSplitKey(line, key, value);
        break;
    }
    if (key != "GROUP")
        return FALSE;
    SetName(value);
    BlockDepth depth;
    if (t_nBlockDepth > kMaxBlockDepth)
        return FALSE;

    std::set<CString> seen{"GROUP"};
    BOOL bBody = FALSE;
    while (reader.ReadLine(raw)) {
        CString line = InfoStripLine(raw);
        if (line.IsEmpty())
            continue;
        InfoSplitKey(line, key, value);
        if (!bBody) {
            if (key == "BEGIN") {
                bBody = TRUE;
                continue;
            }
            if (!seen.insert(key).second)
                continue; // a header key counts once
            if (key == "版本")
                m_nVersion = InfoParseInt(value);
            else if (key == "描述")
                m_strDescription = value;
            else if (key == "标题")
                m_strTitle = value;
            else if (key == "条目字段数")
                m_nItemFieldCount = std::max(0, std::min(InfoParseInt(value), 256));
            else if (key == "条目字段")
                InfoSplitList(value, m_itemFields);
            else if (key == "条目字段宽度") {
                CStringList widths;
                InfoSplitList(value, widths);
                m_itemFieldWidths.RemoveAll();
                for (POSITION pos = widths.GetHeadPosition(); pos != nullptr;)
                    m_itemFieldWidths.Add(InfoParseInt(widths.GetNext(pos)));
            }
            continue;
        }
        if (key == "END")
            return TRUE;
        if (key == "GROUP") {
            auto* pGroup = new CInfoGroup;
            BOOL ok;
            if (value.Find('"') >= 0) {
                CString path;
                ok = InfoResolveFileName(value, path) && pGroup->LoadFileFrom(path, &reader);
            } else {
                reader.Back();
                ok = pGroup->Parse(reader);
            }
            if (ok)
                AddSubgroup(pGroup, FALSE, nullptr, TRUE, TRUE);
            else
                delete pGroup;
            continue;
        }
        if (key == "CONTENT") {
            auto* pItem = new CInfoContent;
            pItem->TakeDefaults(m_nItemFieldCount, m_itemFields, m_itemFieldWidths);
            reader.Back();
            if (pItem->Parse(reader))
                AddContent(pItem, FALSE, nullptr, TRUE, TRUE);
            else
                delete pItem;
        }
    }
    return TRUE;
}
