#include "contacts/SmsDoc.h"

#include "core/LunarDate.h"
#include "core/StringUtil.h"
#include "platform/base/Archive.h"

IMPLEMENT_DYNCREATE(CSmsDoc, CQuillmarBaseDoc)

CSmsDoc::CSmsDoc() = default;

CSmsDoc::~CSmsDoc() = default;

void CSmsDoc::Serialize(CArchive& ar) {
    CQuillmarBaseDoc::Serialize(ar);
    m_root.Serialize(ar);
}

void CSmsDoc::DeleteContents() {
    // The selection pointed into the tree that is going away.
    SetCurrentObject(nullptr);
    SetCurrentBox(nullptr);
    m_root.RemoveAll();
    m_solarBirthdays.RemoveAll();
    m_lunarBirthdays.RemoveAll();
    CQuillmarBaseDoc::DeleteContents();
}

BOOL CSmsDoc::OnSaveDocument(LPCTSTR lpszPathName) {
    if (!CQuillmarBaseDoc::OnSaveDocument(lpszPathName))
        return FALSE;
    RebuildBirthdayMaps();
    return TRUE;
}

void CSmsDoc::RebuildBirthdayMaps() {
    m_solarBirthdays.RemoveAll();
    m_lunarBirthdays.RemoveAll();
    m_root.AddBirthdaysTo(m_solarBirthdays, m_lunarBirthdays);
}

int CSmsDoc::GetCalendarItems(const CDate& date, CKovCalendarCellItemList& items, BOOL bTestOnly) {
    CStringList solarNames, lunarNames;
    CString names;
    if (m_solarBirthdays.Lookup(BirthdayKey(date.GetMonth(), date.GetDay()), names))
        SplitString(names, solarNames, "\n");
    CLunarDate lunar;
    if (date.IsValid() && lunar.SetFromSolar(date) &&
        m_lunarBirthdays.Lookup(BirthdayKey(lunar.GetMonth(), lunar.GetDay()), names))
        SplitString(names, lunarNames, "\n");
    if (bTestOnly)
        return solarNames.IsEmpty() && lunarNames.IsEmpty() ? 0 : 1;
    int nAdded = 0;
    for (int pass = 0; pass < 2; ++pass) {
        const CStringList& list = pass == 0 ? solarNames : lunarNames;
        for (POSITION pos = list.GetHeadPosition(); pos != nullptr; ++nAdded) {
            CKovCalendarCellItem item;
            item.m_nKind = CKovCalendarCellItem::KIND_BIRTHDAY;
            item.m_strText = list.GetNext(pos);
            item.m_nColour = pass == 0 ? 1 : 0;
            items.AddTail(item);
        }
    }
    return nAdded;
}

int CSmsDoc::GetObjectKind(CObject* pObject) {
    if (dynamic_cast<_CPerson*>(pObject) != nullptr)
        return KIND_PERSON;
    if (dynamic_cast<_CGroup*>(pObject) != nullptr)
        return KIND_GROUP;
    return KIND_NONE;
}

_CSmsBox* CSmsDoc::GetSelectedPersonBox() const {
    auto* pPerson = dynamic_cast<_CPerson*>(GetCurrentObject());
    return pPerson != nullptr ? &pPerson->GetSmsBox() : nullptr;
}

_CGroup* CSmsDoc::GetSelectedGroup() const {
    return dynamic_cast<_CGroup*>(GetCurrentObject());
}
