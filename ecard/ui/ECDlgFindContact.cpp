#include "ecard/ui/ECDlgFindContact.h"

#include "contacts/PersonFields.h"
#include "ecard/ECAccess.h"
#include "ecard/ECFields.h"

SFindSettings& CECDlgFindContact::GetECSettings() {
    static SFindSettings settings = [] {
        SFindSettings s;
        for (DWORD& mask : s.personMasks)
            mask = 0xFFFFFFFF;
        s.dwGroupMask = 0;
        return s;
    }();
    return settings;
}

SFieldTable CECDlgFindContact::GetFieldTable() const {
    SFieldTable table = GetPersonFieldTable(FALSE);
    SFieldTableGroup status;
    status.nGroupBit = ECAC_STATE;
    status.strName = GetECCategoryRow(EC_CATEGORY_ROW_COUNT - 1).name; // "状态信息"
    for (int b = 0; b < 32; ++b)
        if (GetECExtraFieldAt(ECAC_STATE, 1 << b) >= 0)
            status.fieldBits.push_back(1 << b);
    table.groups.push_back(std::move(status));
    return table;
}

int CECDlgFindContact::GetFieldNumber(int nGroupBit, int nFieldBit) const {
    const int nField = GetPersonFieldAt(nGroupBit, nFieldBit);
    return nField >= 0 ? nField : GetECExtraFieldAt(nGroupBit, nFieldBit);
}

BOOL CECDlgFindContact::GetFieldName(int nField, CString& out) const {
    if (nField >= ECF_UID)
        return GetECExtraFieldLabel(nField, out);
    return GetPersonFieldName(nField, out);
}

BOOL CECDlgFindContact::HasPersonCriteria(const SFindSettings& settings) const {
    for (DWORD mask : settings.personMasks)
        if (mask != 0)
            return TRUE;
    return FALSE;
}
