// What one e-card user lets another read of the own card: six bit masks, one per access category
// (personal, home, work, communication, other, status), each bit one field of that category.
#pragma once

#include "platform/base/CString.h"
#include "platform/base/Types.h"

class CArchive;

constexpr int EC_ACCESS_CATEGORY_COUNT = 6;

// The category bits, in the order of every access record.
enum ECAccessCategory {
    ECAC_INDIV = 1,
    ECAC_FAMILY = 2,
    ECAC_WORK = 4,
    ECAC_COMM = 8,
    ECAC_OTHER = 16,
    ECAC_STATE = 32,
};

struct SECAccess {
    int m_values[EC_ACCESS_CATEGORY_COUNT] = {0, 0, 0, 0, 0, 0};

    int& operator[](int i) { return m_values[i]; }
    int operator[](int i) const { return m_values[i]; }
    bool operator==(const SECAccess& other) const;

    void Clear() { SetAll(0); }
    void SetAll(int nValue);
    // For each category, the target's bits chosen by the selector (every bit without one) that
    // are fields of the category take the source's value; other bits keep theirs.
    static void Merge(const SECAccess& source, SECAccess& target,
                      const SECAccess* pSelector = nullptr);

    // Six 32-bit values.
    void Serialize(CArchive& ar);
};

// The bits of every category that stand for fields.
const SECAccess& GetECAccessFullMasks();
// 0..5 for a category bit, -1 for any other value.
int CategoryIndex(int nCategoryBit);
int CategoryBit(int nIndex);
// "acc_indiv" .. "acc_state": the names in replies and in the own-card download.
LPCTSTR GetECAccessWireName(int nIndex);
// "indiv" .. "state": the names of the set-access request.
LPCTSTR GetECAccessShortName(int nIndex);

// The categories shown as column groups of the access list: name, first and last column.
struct SECCategoryRow {
    LPCTSTR name;
    int nFirstColumn;
    int nLastColumn;
};
constexpr int EC_CATEGORY_ROW_COUNT = 5;
const SECCategoryRow& GetECCategoryRow(int nRow);
