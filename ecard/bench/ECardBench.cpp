// E-card figures: a download reply of 5 000 contacts with every field filled (about 5 MB) parsed
// into the set, and a user file of 10 000 contacts in nested groups saved and loaded. Prints the
// time of each step; the aim is under a second each.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/StringUtil.h"
#include "ecard/ECResponseParser.h"
#include "ecard/ECUserDoc.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// One contact record naming every field, list fields with three values, texts of Chinese words.
std::string Record(UINT uid) {
    const CString word = UrlEncodeString("北京");
    std::string record = "{uid=" + std::to_string(uid);
    for (int i = 0; i < EC_FIELD_ORDER_COUNT; ++i) {
        const int field = GetECFieldInOrder(i);
        if (field == ECF_UID)
            continue;
        const std::string name = GetECFieldName(field);
        std::string value = word.GetString();
        if (field == PF_SEX || field == PF_PICTURE)
            value = "1";
        else if (field == PF_BIRTHDAY)
            value = "1980-5-6";
        else if (field == PF_MODIFIED)
            value = "2024-01-02%2003%3A04%3A05";
        const int repeats = IsPersonMultiValueField(field) ? 2 : 1;
        for (int r = 0; r < repeats; ++r)
            record += "&" + name + "=" + value + std::to_string(r);
    }
    record += "&cursels=psn_mobile%3D1|friend|goaccessmodify=2024-01-02%2003%3A04%3A05|"
              "acc_indiv=262095&acc_family=1023&acc_work=65535&acc_comm=7&acc_other=3"
              "&acc_state=7&accmodify=2024-01-02%2003%3A04%3A05}";
    return record;
}

} // namespace

int main() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "quillmar-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        return 1;
    setenv("QUILLMAR_HOME", pattern.c_str(), 1);

    {
        CECGroup friends("friends", CECGroup::ROLE_FRIENDS);
        CECContactMap set;
        std::string reply;
        for (UINT uid = 1; uid <= 5000; ++uid) {
            auto* contact = new CECContact("");
            contact->m_nUid = uid;
            friends.InsertPerson(contact);
            set[uid] = contact;
            reply += Record(uid);
        }
        CString text(reply.data(), (int)reply.size());
        auto t = std::chrono::steady_clock::now();
        CECResponseParser(text, 3).ParseContacts(set, nullptr);
        std::printf("parse     download of 5000 contacts, %zu bytes: %.3f s\n", reply.size(),
                    Seconds(t));
    }

    {
        CECUserDoc doc;
        CECUser& user = doc.GetUser();
        user.SetUserNumber(20000001);
        UINT uid = 100;
        for (int g = 0; g < 100; ++g) {
            auto* outer = new CECGroup("外组");
            user.GetFriends().AddSubgroup(outer, FALSE);
            auto* inner = new CECGroup("内组");
            outer->AddSubgroup(inner, FALSE);
            for (int i = 0; i < 100; ++i) {
                auto* contact = new CECContact("张三");
                contact->m_nUid = uid++;
                contact->m_strUserName = "zhangsan";
                contact->SetFieldText(PF_MOBILE, "13900000000", FALSE, 0, "\n", "-");
                contact->SetFieldText(PF_HOME_ADDRESS, "北京市海淀区中关村大街", FALSE, 0, "\n",
                                      "-");
                (i % 2 ? outer : inner)->InsertPerson(contact);
            }
        }
        auto t = std::chrono::steady_clock::now();
        const BOOL saved = doc.SaveUser();
        const auto size = std::filesystem::file_size(std::filesystem::path(pattern) / "ECard" /
                                                     "Users" / "20000001" / "User.dat");
        std::printf("save      user of 10000 contacts, %s, %ju bytes: %.3f s\n",
                    saved ? "ok" : "FAILED", (uintmax_t)size, Seconds(t));
        CECUserDoc loaded;
        t = std::chrono::steady_clock::now();
        const BOOL ok = loaded.LoadUser(20000001);
        std::printf("load      %s, %d contacts: %.3f s\n", ok ? "ok" : "FAILED",
                    loaded.GetUser().GetFriends().GetContentCount(TRUE, TRUE), Seconds(t));
    }
    std::filesystem::remove_all(pattern);
    return 0;
}
