#include "ecard/ECFields.h"

#include <cstring>

#include "contacts/PersonFields.h"

namespace {

struct SWireName {
    const char* name;
    int field;
};

// Searched in this order both ways.
const SWireName kWireNames[] = {
    {"uid", 1000},        {"username", 1001},    {"sta_location", 1002}, {"sta_action", 1003},
    {"sta_note", 1004},   {"psn_name", 0},       {"psn_sex", 1},         {"psn_nickname", 2},
    {"psn_birthday", 3},  {"psn_portrait", 46},  {"psn_bp", 4},          {"psn_mobile", 5},
    {"psn_phone", 6},     {"psn_netaddr", 7},    {"psn_favor", 8},       {"psn_specialty", 9},
    {"psn_selfdef", 10},  {"psn_qq", 11},        {"psn_icq", 12},        {"psn_email", 13},
    {"psn_webpage", 14},  {"fml_country", 15},   {"fml_province", 16},   {"fml_city", 17},
    {"fml_postcode", 18}, {"fml_address", 19},   {"fml_tel", 20},        {"fml_fax", 21},
    {"fml_mate", 22},     {"fml_selfdef", 23},   {"fml_members", 24},    {"wrk_name", 25},
    {"wrk_country", 26},  {"wrk_province", 27},  {"wrk_city", 28},       {"wrk_postcode", 29},
    {"wrk_address", 30},  {"wrk_officetel", 31}, {"wrk_dormtel", 32},    {"wrk_fax", 33},
    {"wrk_section", 34},  {"wrk_rank", 35},      {"wrk_office", 36},     {"wrk_selfdef", 37},
    {"wrk_email", 38},    {"wrk_webpage", 39},   {"com_postcode", 40},   {"com_address", 41},
    {"com_letter", 42},   {"oth_cert", 43},      {"oth_note", 44},       {"modifytime", 45},
};

struct SExtraField {
    int field;
    const char* label;
    int category; // 0: none
    int bit;
};

const SExtraField kExtraFields[] = {
    {ECF_UID, "用户ID", 32, 16},       {ECF_USERNAME, "用户名称", 32, 1},
    {ECF_LOCATION, "目前位置", 32, 2}, {ECF_ACTION, "目前活动", 32, 4},
    {ECF_NOTE, "个人说明", 0, 0},
};

} // namespace

int GetECFieldInOrder(int nIndex) {
    if (nIndex < 0 || nIndex >= EC_FIELD_ORDER_COUNT)
        return -1;
    return nIndex < PERSON_FIELD_COUNT ? nIndex : ECF_UID + (nIndex - PERSON_FIELD_COUNT);
}

LPCTSTR GetECFieldName(int nField) {
    for (const SWireName& w : kWireNames)
        if (w.field == nField)
            return w.name;
    return nullptr;
}

int GetECFieldId(LPCTSTR lpszName) {
    if (lpszName == nullptr)
        return -1;
    for (const SWireName& w : kWireNames)
        if (std::strcmp(w.name, lpszName) == 0)
            return w.field;
    return -1;
}

BOOL GetECExtraFieldLabel(int nField, CString& out) {
    for (const SExtraField& f : kExtraFields)
        if (f.field == nField) {
            out = f.label;
            return TRUE;
        }
    return FALSE;
}

BOOL GetECFieldLocation(int nField, int& nCategoryBit, int& nFieldBit) {
    if (nField >= 0 && nField < PERSON_FIELD_COUNT)
        return GetPersonFieldLocation(nField, nCategoryBit, nFieldBit);
    for (const SExtraField& f : kExtraFields)
        if (f.field == nField && f.category != 0) {
            nCategoryBit = f.category;
            nFieldBit = f.bit;
            return TRUE;
        }
    return FALSE;
}

int GetECExtraFieldAt(int nCategoryBit, int nFieldBit) {
    for (const SExtraField& f : kExtraFields)
        if (f.category != 0 && f.category == nCategoryBit && f.bit == nFieldBit)
            return f.field;
    return -1;
}
