#include "ecard/ECAccess.h"

#include "platform/base/Archive.h"

namespace {

const SECAccess kFullMasks = {{0x3FFCF, 0x3FF, 0xFFFF, 7, 3, 7}};

const char* const kWireNames[EC_ACCESS_CATEGORY_COUNT] = {"acc_indiv", "acc_family", "acc_work",
                                                          "acc_comm",  "acc_other",  "acc_state"};
const char* const kShortNames[EC_ACCESS_CATEGORY_COUNT] = {"indiv", "family", "work",
                                                           "comm",  "other",  "state"};

const SECCategoryRow kRows[EC_CATEGORY_ROW_COUNT] = {
    {"我的个人信息", 1, 16}, {"我的家庭信息", 17, 26}, {"我的工作信息", 27, 41},
    {"通信信息", 42, 44},    {"状态信息", 45, 47},
};

} // namespace

bool SECAccess::operator==(const SECAccess& other) const {
    for (int i = 0; i < EC_ACCESS_CATEGORY_COUNT; ++i)
        if (m_values[i] != other.m_values[i])
            return false;
    return true;
}

void SECAccess::SetAll(int nValue) {
    for (int& v : m_values)
        v = nValue;
}

void SECAccess::Merge(const SECAccess& source, SECAccess& target, const SECAccess* pSelector) {
    for (int i = 0; i < EC_ACCESS_CATEGORY_COUNT; ++i) {
        DWORD chosen = (DWORD)kFullMasks[i];
        if (pSelector != nullptr)
            chosen &= (DWORD)(*pSelector)[i];
        target[i] = (int)(((DWORD)target[i] & ~chosen) | ((DWORD)source[i] & chosen));
    }
}

void SECAccess::Serialize(CArchive& ar) {
    for (int& v : m_values) {
        if (ar.IsStoring())
            ar << v;
        else
            ar >> v;
    }
}

const SECAccess& GetECAccessFullMasks() {
    return kFullMasks;
}

int CategoryIndex(int nCategoryBit) {
    for (int i = 0; i < EC_ACCESS_CATEGORY_COUNT; ++i)
        if (nCategoryBit == 1 << i)
            return i;
    return -1;
}

int CategoryBit(int nIndex) {
    return nIndex >= 0 && nIndex < EC_ACCESS_CATEGORY_COUNT ? 1 << nIndex : 0;
}

LPCTSTR GetECAccessWireName(int nIndex) {
    return nIndex >= 0 && nIndex < EC_ACCESS_CATEGORY_COUNT ? kWireNames[nIndex] : "";
}

LPCTSTR GetECAccessShortName(int nIndex) {
    return nIndex >= 0 && nIndex < EC_ACCESS_CATEGORY_COUNT ? kShortNames[nIndex] : "";
}

const SECCategoryRow& GetECCategoryRow(int nRow) {
    return kRows[nRow >= 0 && nRow < EC_CATEGORY_ROW_COUNT ? nRow : 0];
}
