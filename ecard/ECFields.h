// The field numbers of an e-card contact: the contact fields 0..46 and five fields of the service
// (1000..1004), their names on the wire, their labels and their place in the access categories.
#pragma once

#include "platform/base/CString.h"
#include "platform/base/Types.h"

enum ECField {
    ECF_UID = 1000,
    ECF_USERNAME = 1001,
    ECF_LOCATION = 1002,
    ECF_ACTION = 1003,
    ECF_NOTE = 1004,
};

// Every field in the order uploads send them and full downloads clear missing ones: 0..46, then
// 1000..1004.
constexpr int EC_FIELD_ORDER_COUNT = 52;
int GetECFieldInOrder(int nIndex);

// The wire name of a field; null when it has none.
LPCTSTR GetECFieldName(int nField);
// The field of a wire name (exact, case-sensitive); -1 when unknown.
int GetECFieldId(LPCTSTR lpszName);

// The label of 1000..1004; FALSE for other numbers.
BOOL GetECExtraFieldLabel(int nField, CString& out);
// The access category bit and field bit of a field; FALSE when it has none (45, 1004, unknown).
BOOL GetECFieldLocation(int nField, int& nCategoryBit, int& nFieldBit);
// The e-card field of a (category, bit) pair beyond the contact fields; -1 when none.
int GetECExtraFieldAt(int nCategoryBit, int nFieldBit);
