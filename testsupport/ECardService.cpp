#include "testsupport/ECardService.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace test_net {

namespace {

int Hex(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator))
        parts.push_back(part);
    if (!text.empty() && text.back() == separator)
        parts.emplace_back();
    return parts;
}

unsigned Number(const std::string& text) {
    return (unsigned)std::strtoul(text.c_str(), nullptr, 10);
}

// Where each card field sits in the access records: its category (the index of its access
// value) and its own bit there. A reader sees a field only when that bit is granted: one field
// of a category may be open while its neighbour stays closed.
struct FieldAccess {
    const char* name;
    int category;
    unsigned bit;
};
const FieldAccess kFieldAccess[] = {
    {"psn_name", 0, 0x1},         {"psn_sex", 0, 0x2},         {"psn_nickname", 0, 0x4},
    {"psn_birthday", 0, 0x8},     {"psn_bp", 0, 0x40},         {"psn_mobile", 0, 0x80},
    {"psn_favor", 0, 0x100},      {"psn_specialty", 0, 0x200}, {"psn_selfdef", 0, 0x400},
    {"psn_qq", 0, 0x800},         {"psn_icq", 0, 0x1000},      {"psn_email", 0, 0x2000},
    {"psn_webpage", 0, 0x4000},   {"psn_phone", 0, 0x8000},    {"psn_netaddr", 0, 0x10000},
    {"psn_portrait", 0, 0x20000}, {"fml_country", 1, 0x1},     {"fml_province", 1, 0x2},
    {"fml_city", 1, 0x4},         {"fml_postcode", 1, 0x8},    {"fml_address", 1, 0x10},
    {"fml_tel", 1, 0x20},         {"fml_fax", 1, 0x40},        {"fml_mate", 1, 0x80},
    {"fml_selfdef", 1, 0x100},    {"fml_members", 1, 0x200},   {"wrk_country", 2, 0x1},
    {"wrk_province", 2, 0x2},     {"wrk_city", 2, 0x4},        {"wrk_postcode", 2, 0x8},
    {"wrk_address", 2, 0x10},     {"wrk_officetel", 2, 0x20},  {"wrk_dormtel", 2, 0x40},
    {"wrk_fax", 2, 0x80},         {"wrk_section", 2, 0x100},   {"wrk_rank", 2, 0x200},
    {"wrk_office", 2, 0x400},     {"wrk_selfdef", 2, 0x800},   {"wrk_email", 2, 0x1000},
    {"wrk_webpage", 2, 0x2000},   {"wrk_name", 2, 0x8000},     {"com_postcode", 3, 0x1},
    {"com_address", 3, 0x2},      {"com_letter", 3, 0x4},      {"oth_cert", 4, 0x1},
    {"oth_note", 4, 0x2},         {"sta_location", 5, 0x1},    {"sta_action", 5, 0x2},
    {"sta_note", 5, 0x4},
};

// The field's place in the access records; null for names every reader sees (the number, the
// user name, the modification time).
const FieldAccess* AccessOf(const std::string& name) {
    for (const FieldAccess& field : kFieldAccess)
        if (name == field.name)
            return &field;
    return nullptr;
}

const char* const kAccessNames[] = {"acc_indiv", "acc_family", "acc_work",
                                    "acc_comm",  "acc_other",  "acc_state"};
const char* const kShortNames[] = {"indiv", "family", "work", "comm", "other", "state"};

} // namespace

std::string FormDecode(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() + 0 && Hex(text[i + 1]) >= 0 &&
            Hex(text[i + 2]) >= 0) {
            out += (char)(Hex(text[i + 1]) * 16 + Hex(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string FormEncode(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            out += (char)c;
        } else {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%%%02X", c);
            out += buf;
        }
    }
    return out;
}

FormPairs ParseForm(const std::string& body) {
    FormPairs pairs;
    for (const std::string& pair : Split(body, '&')) {
        size_t equal = pair.find('=');
        if (equal == std::string::npos)
            pairs.emplace_back(pair, "");
        else
            pairs.emplace_back(pair.substr(0, equal), FormDecode(pair.substr(equal + 1)));
    }
    return pairs;
}

std::string FormValue(const FormPairs& form, const std::string& name) {
    for (const auto& p : form)
        if (p.first == name)
            return p.second;
    return std::string();
}

void ECardService::Attach(ServiceStandIn& server) {
    server.SetHandler(
        [this](const RecordedRequest& request, Reply& reply) { return Handle(request, reply); });
}

bool ECardService::Handle(const RecordedRequest& request, Reply& reply) {
    if (request.method != "POST" || request.page.compare(0, 6, "ecard/") != 0)
        return false;
    std::lock_guard<std::mutex> guard(lock);
    reply = Reply::Text(Page(request.page.substr(6), ParseForm(request.body)));
    return true;
}

ECardService::User* ECardService::Authenticated(const FormPairs& form, unsigned& uid) {
    uid = Number(FormValue(form, "UserID"));
    auto it = users.find(uid);
    if (it == users.end() || it->second.password != FormValue(form, "Password"))
        return nullptr;
    return &it->second;
}

std::string ECardService::ContactRecord(unsigned reader, unsigned uid) {
    auto it = users.find(uid);
    if (it == users.end())
        return "{uid=" + std::to_string(uid) + "&error=notexist}";
    const User& user = it->second;
    const auto granted = user.access.find(reader);
    std::string record = "{uid=" + std::to_string(uid) + "&username=" + FormEncode(user.name);
    for (const auto& field : user.card) {
        const FieldAccess* access = AccessOf(field.first);
        const unsigned value = access == nullptr ? 1u
                               : granted != user.access.end()
                                   ? (unsigned)granted->second[access->category] & access->bit
                                   : (unsigned)user.defaultAccess[access->category] & access->bit;
        if (value != 0)
            record += "&" + field.first + "=" + FormEncode(field.second);
    }
    if (!user.cursels.empty())
        record += "&cursels=" + FormEncode(user.cursels);
    record += user.friends.count(reader) ? "|friend|" : "||";
    record += "goaccessmodify=2024-01-02%2003%3A04%3A05|";
    // What the reader lets this user read.
    const User& self = users[reader];
    const auto mine = self.access.find(uid);
    for (int i = 0; i < 6; ++i)
        record += std::string(i ? "&" : "") + kAccessNames[i] + "=" +
                  std::to_string((unsigned)(mine != self.access.end() ? mine->second[i]
                                                                      : self.defaultAccess[i]));
    return record + "&accmodify=2024-02-03%2004%3A05%3A06}";
}

std::string ECardService::Contacts(unsigned reader, const FormPairs& form, const char* key,
                                   bool all) {
    std::string out;
    bool any = false;
    for (const auto& p : form) {
        if (p.first != key)
            continue;
        any = true;
        out += ContactRecord(reader, Number(p.second));
    }
    if (!any && all)
        for (unsigned uid : users[reader].friends)
            out += ContactRecord(reader, uid);
    return out;
}

std::string ECardService::Page(const std::string& page, const FormPairs& form) {
    unsigned uid = Number(FormValue(form, "UID"));
    if (page == "checkuid.asp")
        return users.count(uid) ? "210" : "0";
    if (page == "assignuid.asp") {
        while (users.count(nextNumber))
            ++nextNumber;
        return "0#" + std::to_string(nextNumber++) + "#8";
    }
    if (page == "register.asp") {
        uid = Number(FormValue(form, "UserID"));
        if (uid == 0 || users.count(uid))
            return "210#号码已被使用";
        User& user = users[uid];
        user.name = FormValue(form, "UserName");
        user.password = FormValue(form, "Password");
        user.email = FormValue(form, "Email");
        user.secureEmail = FormValue(form, "SecureEmail");
        user.certType = FormValue(form, "CertType");
        user.cert = FormValue(form, "Cert");
        return "0#注册成功";
    }
    // The gateway's user is named by its mobile number: what was sent to that number is its mail.
    if (page == "sms/sendsms.asp") {
        gatewayQueue[FormValue(form, "Phone")].push_back(
            {FormValue(form, "User"), FormValue(form, "Content")});
        return "0#短信已提交";
    }
    if (page == "sms/incoming.asp") {
        std::string out = "0\r\nsep=|||";
        auto& queue = gatewayQueue[FormValue(form, "User")];
        for (const GatewaySms& sms : queue)
            out += "from=" + sms.from + "to=" + FormValue(form, "User") +
                   "time=2026-01-02 03:04:05content=" + sms.content + "|||";
        queue.clear();
        return out;
    }
    User* user = Authenticated(form, uid);
    if (user == nullptr)
        return "990#用户号码或密码错误";
    if (page == "checkpassword.asp")
        return "0";
    if (page == "deregister.asp") {
        if (FormValue(form, "SecureCode") != "8888")
            return "990#安全码错误";
        users.erase(uid);
        return "0#注销成功";
    }
    if (page == "changepassword.asp") {
        user->password = FormValue(form, "NewPassword");
        return "0";
    }
    if (page == "gensecurecode.asp")
        return "0#安全码已发送到您的邮箱";
    if (page == "downaccount.asp") {
        std::string secure = std::string(user->secureEmail.empty() ? "" : "email,") +
                             (user->cert.empty() ? "" : "cert");
        return "0#username=" + FormEncode(user->name) + "&email=" + FormEncode(user->email) +
               "&secure=" + FormEncode(secure);
    }
    if (page == "modifyaccount.asp") {
        user->name = FormValue(form, "UserName");
        user->email = FormValue(form, "Email");
        return "0";
    }
    if (page == "leavemessage.asp") {
        std::string refused;
        for (const std::string& to : Split(FormValue(form, "Contacts"), ',')) {
            auto it = users.find(Number(to));
            if (it == users.end()) {
                refused += (refused.empty() ? "" : ",") + to;
                continue;
            }
            it->second.inbox.push_back({uid, Number(to), user->name, FormValue(form, "Title"),
                                        FormValue(form, "Message"), "2024-03-04 05:06:07"});
        }
        return refused.empty() ? "0#留言已发送" : "990#无此用户：" + refused;
    }
    if (page == "recvmessage.asp") {
        std::string out = "0#";
        for (const Message& m : user->inbox)
            out += "{fromuid=" + std::to_string(m.from) + "&fromname=" + FormEncode(m.fromName) +
                   "&touid=" + std::to_string(m.to) + "&sendtime=" + FormEncode(m.sendTime) +
                   "&title=" + FormEncode(m.title) + "&content=" + FormEncode(m.content) + "}";
        user->inbox.clear();
        return out;
    }
    if (page == "addfriends.asp" || page == "addcontacts.asp") {
        std::string out = "0#";
        for (const auto& p : form) {
            if (p.first != "Contacts")
                continue;
            std::string list = p.second.substr(0, p.second.find('|'));
            for (const std::string& item : Split(list, ',')) {
                unsigned other = Number(item);
                if (other == 0)
                    continue;
                if (users.count(other))
                    (page == "addfriends.asp" ? user->friends : user->contacts).insert(other);
                out += ContactRecord(uid, other);
            }
        }
        return out;
    }
    if (page == "delfriends.asp") {
        std::string out = "0#";
        for (const std::string& item : Split(FormValue(form, "Contacts"), ',')) {
            unsigned other = Number(item);
            if (!user->friends.erase(other))
                out += "{uid=" + std::to_string(other) + "&error=notexist}";
        }
        return out;
    }
    if (page == "downcontacts.asp")
        return "0#" + Contacts(uid, form, "Contact", false);
    if (page == "syncallfriends.asp")
        return "0#" + Contacts(uid, form, "Contact", true);
    if (page == "setcntaccess.asp") {
        const std::string text = FormValue(form, "Contacts");
        const size_t bar = text.find('|');
        std::vector<int> values(6, 0);
        for (const std::string& entry : Split(text.substr(bar + 1), ';'))
            for (int i = 0; i < 6; ++i)
                if (entry.compare(0, std::string(kShortNames[i]).size() + 1,
                                  std::string(kShortNames[i]) + "=") == 0)
                    values[i] = (int)std::strtol(entry.c_str() + entry.find('=') + 1, nullptr, 10);
        std::string out = "0#";
        for (const std::string& item : Split(text.substr(0, bar), ',')) {
            if (item.empty())
                continue;
            unsigned other = Number(item);
            if (other == 0)
                std::copy(values.begin(), values.end(), user->defaultAccess);
            else if (!user->friends.count(other))
                out += "{uid=" + item + "&error=notfriend}";
            else
                user->access[other] = values;
        }
        return out;
    }
    if (page == "uploaduserinfo.asp") {
        user->card.clear();
        for (const auto& p : form) {
            if (p.first == "cursels")
                user->cursels = p.second;
            else if (p.first != "N" && p.first != "UserID" && p.first != "Password")
                user->card.push_back(p);
        }
        return "0";
    }
    if (page == "downuserinfo.asp") {
        std::string out = "0#username=" + FormEncode(user->name);
        for (const auto& field : user->card)
            out += "&" + field.first + "=" + FormEncode(field.second);
        out += "|";
        for (int i = 0; i < 6; ++i)
            out += std::string(i ? "&" : "") + kAccessNames[i] + "=" +
                   std::to_string((unsigned)user->defaultAccess[i]);
        return out;
    }
    if (page == "sms/getsuffixcode.asp")
        return "0#" + user->suffix;
    if (page == "sms/gencheckcode.asp")
        return "0#校验码已发送";
    if (page == "sms/getsmsbalance.asp")
        return "0#余额" + user->balance + "条";
    if (page == "sms/getsmsmaxsize.asp")
        return "0#" + user->maxSize;
    if (page == "sms/getsignature.asp")
        return "0#" + user->signature;
    if (page == "sms/getsignnotif.asp")
        return "0#" + user->notice;
    if (page == "sms/chargesms.asp") {
        if (FormValue(form, "CardPwd") != "pw")
            return "990#充值卡密码错误";
        user->balance = std::to_string(Number(user->balance) + 50);
        return "0#充值成功";
    }
    if (page == "sms/editsuffixcode.asp") {
        if (FormValue(form, "CheckCode") != "1234")
            return "990#校验码错误";
        user->suffix = FormValue(form, "SuffixCode");
        return "0#后缀已修改";
    }
    if (page == "sms/setsignature.asp") {
        user->signature = FormValue(form, "Signature");
        return "0#签名已设置";
    }
    return "990#未知的页面";
}

} // namespace test_net
