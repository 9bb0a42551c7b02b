#include "contacts/FieldActions.h"

#include <cstring>
#include <string>

#include "contacts/PersonFields.h"
#include "platform/base/Gbk.h"

FieldAction GetPersonFieldAction(int nField) {
    switch (nField) {
    case PF_MOBILE:
    case PF_PHONE:
    case PF_HOME_PHONE:
    case PF_OFFICE_PHONE:
    case PF_DORM_PHONE:
        return FIELD_ACTION_DIAL;
    case PF_EMAIL:
    case PF_WORK_EMAIL:
        return FIELD_ACTION_MAIL;
    case PF_HOMEPAGE:
    case PF_WORK_HOMEPAGE:
        return FIELD_ACTION_WEB;
    default:
        return FIELD_ACTION_NONE;
    }
}

FieldAction GetGroupPropertyAction(int nProperty) {
    switch (nProperty) {
    case 7:
        return FIELD_ACTION_DIAL;
    case 9:
        return FIELD_ACTION_MAIL;
    case 10:
        return FIELD_ACTION_WEB;
    default:
        return FIELD_ACTION_NONE;
    }
}

CString GetPersonFieldMenuCaption(int nField) {
    const char* caption = nullptr;
    switch (nField) {
    case PF_MOBILE: caption = "手机"; break;
    case PF_PHONE: caption = "电话"; break;
    case PF_EMAIL: caption = "个人邮箱"; break;
    case PF_HOMEPAGE: caption = "个人主页"; break;
    case PF_HOME_PHONE: caption = "家庭电话"; break;
    case PF_OFFICE_PHONE: caption = "办公电话"; break;
    case PF_DORM_PHONE: caption = "宿舍电话"; break;
    case PF_WORK_EMAIL: caption = "单位邮箱"; break;
    case PF_WORK_HOMEPAGE: caption = "单位主页"; break;
    default: return CString();
    }
    return CString(caption) + ":";
}

CString GetGroupPropertyMenuCaption(int nProperty) {
    switch (nProperty) {
    case 7: return "组电话:";
    case 9: return "组邮箱:";
    case 10: return "组主页:";
    default: return CString();
    }
}
