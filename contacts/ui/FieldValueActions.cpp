#include "contacts/ui/FieldValueActions.h"

#include "platform/gui/Menu.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/ShellServices.h"

namespace {

// The value list of a contact field or a group property that has an action; null otherwise.
CXStringList* PersonList(_CPerson& person, int nField) {
    if (GetPersonFieldAction(nField) == FIELD_ACTION_NONE)
        return nullptr;
    int nKind = 0;
    void* pData = person.GetFieldData(nField, nKind);
    return nKind == 2 ? static_cast<CXStringList*>(pData) : nullptr;
}

CXStringList* GroupList(_CGroup& group, int nProperty) {
    SGroupInfo& info = group.GetInfo();
    switch (nProperty) {
    case 7: return &info.phones;
    case 9: return &info.email;
    case 10: return &info.homepage;
    default: return nullptr;
    }
}

int FillMenu(CMenu& menu, CXStringList* pList, const CString& caption, UINT nFirstId,
             BOOL bWithCaption) {
    if (pList == nullptr)
        return 0;
    int n = 0;
    for (POSITION pos = pList->GetHeadPosition(); pos != nullptr; ++n) {
        const CString value = pList->GetNext(pos).GetValue(0);
        menu.AppendMenu(MF_STRING, nFirstId + n, bWithCaption ? caption + value : value);
        if (n == pList->GetCurrentIndex())
            menu.CheckMenuItem(nFirstId + n, MF_BYCOMMAND | MF_CHECKED);
    }
    return n;
}

// Value j of the list, or for j < 0 its current value (the first when none is current); FALSE
// when there is none.
BOOL ValueAt(CXStringList* pList, int j, CString& value) {
    if (pList == nullptr)
        return FALSE;
    if (j < 0)
        j = pList->GetCurrentIndex() >= 0 ? pList->GetCurrentIndex() : 0;
    if (j < 0 || j >= (int)pList->GetCount())
        return FALSE;
    value = pList->GetValue(j, 0);
    return TRUE;
}

} // namespace

CXStringList* GetFieldValueList(_CPerson& person, int nField) {
    return PersonList(person, nField);
}

CXStringList* GetPropertyValueList(_CGroup& group, int nProperty) {
    return GroupList(group, nProperty);
}

int FillFieldMenu(CMenu& menu, _CPerson& person, int nField, UINT nFirstId, BOOL bWithCaption) {
    return FillMenu(menu, PersonList(person, nField), GetPersonFieldMenuCaption(nField), nFirstId,
                    bWithCaption);
}

int FillFieldMenu(CMenu& menu, _CGroup& group, int nProperty, UINT nFirstId, BOOL bWithCaption) {
    return FillMenu(menu, GroupList(group, nProperty), GetGroupPropertyMenuCaption(nProperty),
                    nFirstId, bWithCaption);
}

BOOL OpenFieldValue(_CPerson& person, int nField, int j, BOOL bQuoted) {
    CString value;
    if (!ValueAt(PersonList(person, nField), j, value))
        return FALSE;
    return OpenFieldActionValue(GetPersonFieldAction(nField), value, person.GetName(), bQuoted);
}

BOOL OpenPropertyValue(_CGroup& group, int nProperty, int j, BOOL bQuoted) {
    CString value;
    if (!ValueAt(GroupList(group, nProperty), j, value))
        return FALSE;
    return OpenFieldActionValue(GetGroupPropertyAction(nProperty), value, group.GetName(),
                                bQuoted);
}

CString JoinMailRecipients(const CStringArray& values, LPCTSTR lpszName, BOOL bQuoted) {
    CString recipients;
    for (int i = 0; i < values.GetSize(); ++i) {
        CString address, error;
        if (!BuildFieldActionAddress(FIELD_ACTION_MAIL, values[i], lpszName, bQuoted, address,
                                     error))
            continue;
        if (!recipients.IsEmpty())
            recipients += ";";
        recipients += address.Mid(7); // after "mailto:"
    }
    return recipients;
}

BOOL OpenMailtoAddress(const CString& address) {
    INT_PTR result = ShellExecute(nullptr, "open", address, nullptr, nullptr, SW_SHOWNORMAL);
    if (result > 32)
        return TRUE;
    ShowMailtoFailure(result);
    return FALSE;
}

namespace {

void CollectValues(_CPerson& person, const int* pFields, int nFields, CStringArray& values) {
    for (int i = 0; i < nFields; ++i)
        if (CXStringList* pList = PersonList(person, pFields[i]))
            for (int j = 0; j < (int)pList->GetCount(); ++j)
                values.Add(pList->GetValue(j, 0));
}

} // namespace

BOOL MailAllFieldValues(_CPerson& person, const int* pFields, int nFields, BOOL bQuoted) {
    CStringArray values;
    CollectValues(person, pFields, nFields, values);
    const CString recipients = JoinMailRecipients(values, person.GetName(), bQuoted);
    return !recipients.IsEmpty() && OpenMailtoAddress("mailto:" + recipients);
}

int OpenAllFieldValues(_CPerson& person, const int* pFields, int nFields) {
    CStringArray values;
    CollectValues(person, pFields, nFields, values);
    int opened = 0;
    for (int i = 0; i < values.GetSize(); ++i)
        if (OpenFieldActionValue(FIELD_ACTION_WEB, values[i], person.GetName(), FALSE))
            ++opened;
    return opened;
}
