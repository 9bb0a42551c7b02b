// Shared fixtures of the e-card tests: the contacts fixture (temporary program folder, pinned
// clock, recorded messages) and a few ready-made contacts.
#pragma once

#include "contacts/tests/ContactsTestSupport.h"
#include "ecard/ECContact.h"
#include "ecard/ECGroup.h"

namespace ecard_test {

using contacts_test::Messages;

class ECardTest : public contacts_test::ContactsTest {
protected:
    static CECContact* AddContact(CECGroup& group, UINT uid, const char* name) {
        auto* p = new CECContact(name);
        p->m_nUid = uid;
        group.InsertPerson(p);
        return p;
    }
};

} // namespace ecard_test
