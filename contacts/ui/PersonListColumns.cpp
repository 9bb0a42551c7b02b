#include "contacts/ui/PersonListColumns.h"

#include "contacts/ContactGroup.h"
#include "contacts/Person.h"
#include "contacts/PersonFields.h"

#include <cstring>

namespace {
const int kDefaultColumns[] = {PF_NAME,       PF_MOBILE,       PF_PAGER,      PF_EMAIL,   PF_QQ,
                               PF_HOME_PHONE, PF_OFFICE_PHONE, PF_DORM_PHONE, PF_BIRTHDAY};
} // namespace

void GetDefaultPersonColumns(CArray<int, int>& fields) {
    fields.RemoveAll();
    for (int f : kDefaultColumns)
        fields.Add(f);
}

void ValidPersonColumns(const CArray<int, int>& stored, CArray<int, int>& fields) {
    bool seen[kPersonColumnFieldCount] = {};
    fields.RemoveAll();
    fields.Add(PF_NAME);
    seen[PF_NAME] = true;
    for (int i = 0; i < stored.GetSize(); ++i) {
        int f = stored[i];
        if (f < 0 || f >= kPersonColumnFieldCount || seen[f])
            continue;
        seen[f] = true;
        fields.Add(f);
    }
    // Nothing usable stored (none at all, or only damaged entries): the defaults.
    bool any = false;
    for (int i = 0; i < stored.GetSize() && !any; ++i)
        any = stored[i] >= 0 && stored[i] < kPersonColumnFieldCount;
    if (!any)
        GetDefaultPersonColumns(fields);
}

int DefaultPersonColumnWidth(int nField) {
    switch (nField) {
    case PF_NAME:
        return 120;
    case PF_SEX:
        return 40;
    case PF_BIRTHDAY:
        return 98;
    case PF_MODIFIED:
        return 130;
    default:
        return 100;
    }
}

int PersonColumnWidth(const CArray<int, int>* pWidths, int nField, int nDefault) {
    if (pWidths != nullptr && nField >= 0 && nField < pWidths->GetSize()) {
        int w = (*pWidths)[nField];
        // A damaged width (none, or wider than any screen) takes the default.
        if (w > 0 && w <= kMaxPersonColumnWidth)
            return w;
    }
    return nDefault >= 0 ? nDefault : DefaultPersonColumnWidth(nField);
}

int ComparePersonRows(CObject* a, CObject* b, int nField, BOOL bAscending) {
    auto* groupA = dynamic_cast<CGroup*>(a);
    auto* groupB = dynamic_cast<CGroup*>(b);
    int result = 0;
    if ((groupA != nullptr) != (groupB != nullptr)) {
        // Groups stay on top in ascending order and at the bottom in descending order; the
        // final negation turns this around.
        result = groupA != nullptr ? -1 : 1;
    } else if (groupA != nullptr) {
        result = std::strcmp(groupA->GetName().GetString(), groupB->GetName().GetString());
    } else {
        auto* personA = dynamic_cast<CContent*>(a);
        auto* personB = dynamic_cast<CContent*>(b);
        if (personA == nullptr || personB == nullptr)
            return 0;
        result = nField >= 0
                     ? CContent::CompareByField(personA, personB, nField)
                     : std::strcmp(personA->GetName().GetString(), personB->GetName().GetString());
    }
    return bAscending ? result : -result;
}
