// libFuzzer entry for the e-card reply parser: the first byte picks the reply kind, the rest is
// the reply text after its status number. Every parse must end, and whatever it made must be
// readable afterwards.
#include <cstdint>
#include <cstring>

#include "ecard/ECResponseParser.h"

namespace {

void UseContact(CECContact& contact) {
    CString text;
    contact.GetAllFieldsText(text);
    GetECReadableFieldsText(contact, TRUE, EC_RECORD_RECEIVED, "%s", ",");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    CString text(reinterpret_cast<const char*>(data) + 1, (int)(size - 1));
    const int kind = data[0] % 7;

    CECGroup root("", CECGroup::ROLE_ROOT);
    auto* friends = new CECGroup("friends", CECGroup::ROLE_FRIENDS);
    auto* strangers = new CECGroup("strangers", CECGroup::ROLE_STRANGERS);
    root.AddSubgroup(friends, FALSE);
    root.AddSubgroup(strangers, FALSE);
    CECContactMap set;
    for (UINT uid = 1; uid <= 3; ++uid) {
        auto* c = new CECContact("c");
        c->m_nUid = uid;
        friends->InsertPerson(c);
        set[uid] = c;
    }
    set[4] = nullptr;
    CECContact self("me");
    SECAccess defaults;
    SECAccount account;
    CECResultMap result;
    CECContactList added;

    CECResponseParser parser(text, kind);
    switch (kind) {
    case 0:
        parser.ParseAddContacts(set, result);
        break;
    case 1:
        parser.ParseDelFriends(set);
        break;
    case 2:
        parser.ParseContacts(set, &result);
        break;
    case 3:
        parser.ParseSetAccess(set);
        break;
    case 4:
        parser.ParseUserInfo(self, defaults);
        break;
    case 5:
        parser.ParseMessages(self, root, *strangers, added);
        break;
    default:
        parser.ParseAccount(account);
        break;
    }
    for (POSITION pos = set.GetStartPosition(); pos != nullptr;) {
        UINT uid = 0;
        CECContact* c = nullptr;
        set.GetNextAssoc(pos, uid, c);
        if (c != nullptr) {
            UseContact(*c);
            if (c->GetParent() == nullptr)
                delete c; // made by the add reply
        }
    }
    for (POSITION pos = result.GetStartPosition(); pos != nullptr;) {
        UINT uid = 0;
        SECResultEntry entry;
        result.GetNextAssoc(pos, uid, entry);
        if (entry.pNew != nullptr) {
            UseContact(*entry.pNew);
            delete entry.pNew;
        }
    }
    UseContact(self);
    return 0;
}
