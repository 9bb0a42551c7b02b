#include "contacts/PersonFields.h"

#include <cstring>

namespace {

struct SFieldRow {
    const char* name;
    int group; // 0: no (group, bit) row
    int bit;
    int parts; // strings per value of a multi-value field
};

const SFieldRow kFields[PERSON_FIELD_COUNT] = {
    {"姓名", 1, 1, 0},           {"性别", 1, 2, 0},           {"昵称", 1, 4, 0},
    {"生日", 1, 8, 0},           {"小灵通/传呼", 1, 64, 0},   {"手机", 1, 128, 1},
    {"电话", 1, 32768, 1},       {"网络地址", 1, 65536, 1},   {"爱好", 1, 256, 0},
    {"专长", 1, 512, 0},         {"个人自定义", 1, 1024, 0},  {"QQ", 1, 2048, 2},
    {"ICQ", 1, 4096, 2},         {"E-mail", 1, 8192, 1},      {"个人主页", 1, 16384, 1},
    {"国家(家庭)", 2, 1, 0},     {"省/市/区(家庭)", 2, 2, 0}, {"城市(家庭)", 2, 4, 0},
    {"家庭邮编", 2, 8, 0},       {"家庭地址", 2, 16, 0},      {"家庭电话", 2, 32, 1},
    {"家庭传真", 2, 64, 1},      {"配偶", 2, 128, 0},         {"家庭自定义", 2, 256, 0},
    {"家庭成员", 2, 512, 0},     {"单位名称", 4, 32768, 0},   {"国家(单位)", 4, 1, 0},
    {"省/市/区(单位)", 4, 2, 0}, {"城市(单位)", 4, 4, 0},     {"单位邮编", 4, 8, 0},
    {"单位地址", 4, 16, 0},      {"办公电话", 4, 32, 1},      {"宿舍电话", 4, 64, 1},
    {"单位传真", 4, 128, 1},     {"部门", 4, 256, 0},         {"职务", 4, 512, 0},
    {"办公室", 4, 1024, 0},      {"单位自定义", 4, 2048, 0},  {"单位E-mail", 4, 4096, 1},
    {"单位主页", 4, 8192, 1},    {"目前邮编", 8, 1, 0},       {"目前通信地址", 8, 2, 0},
    {"通信附注", 8, 4, 0},       {"证件", 16, 1, 3},          {"附注", 16, 2, 0},
    {"最近修改时间", 0, 0, 0},   {"头像", 1, 131072, 0},
};

const char* const kGroupNames[kPersonGroupCount] = {"个人基本信息", "家庭信息", "单位信息",
                                                    "目前通讯地址", "其他信息"};

const SFieldPickEntry kPickBasic[] = {{1, 1},    {2, 1},     {4, 1},      {8, 1},     {16, 0},
                                      {32, 0},   {64, 1},    {128, 1},    {65536, 1}, {32768, 1},
                                      {256, 1},  {512, 1},   {1024, 1},   {2048, 1},  {4096, 1},
                                      {8192, 1}, {16384, 1}, {131072, 1}, {0, 0}};
const SFieldPickEntry kPickHome[] = {{1, 1},  {2, 1},   {4, 1},   {8, 1},   {16, 1}, {32, 1},
                                     {64, 1}, {128, 1}, {256, 1}, {512, 1}, {0, 0}};
const SFieldPickEntry kPickWork[] = {
    {32768, 1}, {1, 1},   {2, 1},   {4, 1},    {8, 1},    {16, 1},   {32, 1},   {64, 1},
    {128, 1},   {256, 1}, {512, 1}, {1024, 1}, {2048, 1}, {4096, 1}, {8192, 1}, {0, 0}};
const SFieldPickEntry kPickAddress[] = {{1, 1}, {2, 1}, {4, 1}, {0, 0}};
const SFieldPickEntry kPickOther[] = {{1, 1}, {2, 1}, {0, 0}};

int GroupIndex(int nGroupBit) {
    for (int i = 0; i < kPersonGroupCount; ++i)
        if (kPersonGroupOrder[i] == nGroupBit)
            return i;
    return -1;
}

} // namespace

const int kPersonGroupOrder[kPersonGroupCount] = {PFG_BASIC, PFG_HOME, PFG_WORK, PFG_ADDRESS,
                                                  PFG_OTHER};

BOOL GetPersonFieldName(int nField, CString& out) {
    if (nField >= 0 && nField < PERSON_FIELD_COUNT) {
        out = kFields[nField].name;
        return TRUE;
    }
    if (nField == PF_HOME_LOCATION || nField == PF_WORK_LOCATION) {
        out = nField == PF_HOME_LOCATION ? "家庭位置" : "单位位置";
        return TRUE;
    }
    return FALSE;
}

BOOL GetPersonFieldGroupName(int nGroupBit, CString& out) {
    int i = GroupIndex(nGroupBit);
    if (i < 0)
        return FALSE;
    out = kGroupNames[i];
    return TRUE;
}

int GetPersonFieldAt(int nGroupBit, int nFieldBit) {
    if (nGroupBit == 0 || nFieldBit == 0)
        return -1;
    for (int i = 0; i < PERSON_FIELD_COUNT; ++i)
        if (kFields[i].group == nGroupBit && kFields[i].bit == nFieldBit)
            return i;
    return -1;
}

BOOL GetPersonFieldLocation(int nField, int& nGroupBit, int& nFieldBit) {
    if (nField < 0 || nField >= PERSON_FIELD_COUNT || kFields[nField].group == 0)
        return FALSE;
    nGroupBit = kFields[nField].group;
    nFieldBit = kFields[nField].bit;
    return TRUE;
}

int FindPersonFieldByName(LPCTSTR lpszText) {
    if (lpszText == nullptr || *lpszText == '\0')
        return -1;
    for (int i = 0; i < PERSON_FIELD_COUNT; ++i)
        if (CString(kFields[i].name).Find(lpszText) >= 0)
            return i;
    return -1;
}

int GetPersonFieldParts(int nField) {
    if (nField < 0 || nField >= PERSON_FIELD_COUNT || nField == PF_CERTIFICATES)
        return 0;
    return kFields[nField].parts;
}

BOOL IsPersonMultiValueField(int nField) {
    return nField >= 0 && nField < PERSON_FIELD_COUNT && kFields[nField].parts > 0;
}

const SFieldPickEntry* GetPersonFieldPickOrder(int nGroupBit) {
    switch (nGroupBit) {
    case PFG_BASIC:
        return kPickBasic;
    case PFG_HOME:
        return kPickHome;
    case PFG_WORK:
        return kPickWork;
    case PFG_ADDRESS:
        return kPickAddress;
    case PFG_OTHER:
        return kPickOther;
    default:
        return nullptr;
    }
}

DWORD GetPersonGroupFullMask(int nGroupBit) {
    DWORD mask = 0;
    for (int i = 0; i < PERSON_FIELD_COUNT; ++i)
        if (kFields[i].group == nGroupBit)
            mask |= (DWORD)kFields[i].bit;
    return mask;
}
