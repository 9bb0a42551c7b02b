// Writes the valid user file the user-file corpus started from: `ecard_fuzz_seeds <folder>`.
#include <cstdio>
#include <string>

#include "ecard/ECUserDoc.h"
#include "platform/base/OsPath.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    CECUserDoc doc;
    CECUser& user = doc.GetUser();
    user.SetUserNumber(20000001);
    user.GetAccount().m_strUserName = "seed";
    user.GetAccount().m_strPassword = "abcd";
    user.m_strLocation = "home";
    auto* group = new CECGroup("mine");
    user.GetFriends().AddSubgroup(group, FALSE);
    for (UINT uid = 1; uid <= 3; ++uid) {
        auto* c = new CECContact("friend");
        c->m_nUid = uid;
        c->SetFieldText(5, "13900000000", FALSE, 0, "\n", "-");
        (uid == 2 ? *group : user.GetFriends()).InsertPerson(c);
    }
    auto* stranger = new CECContact("stranger");
    stranger->m_nUid = 9;
    user.GetStrangers().InsertPerson(stranger);
    const std::string path = std::string(argv[1]) + "/user.dat";
    return doc.OnSaveDocument(ProgramPathFromOsPath(path)) ? 0 : 1;
}
