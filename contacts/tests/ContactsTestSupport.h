// Shared fixtures of the contacts tests: a temporary program folder, a pinned clock and a
// recorder for the messages the documents show.
#pragma once

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/resource.h>

#include "contacts/ContactGroup.h"
#include "contacts/Person.h"
#include "platform/base/Archive.h"
#include "platform/base/Document.h"
#include "platform/base/File.h"
#include "platform/base/Time.h"
#include "platform/base/tests/FileSizeLimit.h"
#include "platform/base/tests/TempFolder.h"

namespace contacts_test {

inline std::vector<std::string>& Messages() {
    static std::vector<std::string> s_messages;
    return s_messages;
}

inline int RecordMessage(LPCTSTR text, UINT) {
    Messages().push_back(text != nullptr ? text : "");
    return 1;
}

inline void WriteBytes(const CString& path, const std::string& bytes) {
    std::ofstream(path.GetString(), std::ios::binary) << bytes;
}

inline std::string ReadBytes(const CString& path) {
    std::ifstream in(path.GetString(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

using test_folders::WithFileSizeLimit;

class ContactsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_home.emplace("QUILLMAR_HOME", m_dir.str().c_str());
        m_config.emplace("QUILLMAR_CONFIG", m_dir.str().c_str());
        CTime::SetNowForTesting(1700000000); // 2023-11-14
        Messages().clear();
        m_oldHook = CDocument::SetMessageHook(RecordMessage);
    }
    void TearDown() override {
        CDocument::SetMessageHook(m_oldHook);
        CTime::ResetNowForTesting();
    }
    CString PathOf(const char* name) const { return CString((m_dir.str() + "/" + name).c_str()); }
    static _CPerson* AddPerson(CGroup& group, const char* name) {
        auto* p = new _CPerson(name);
        group.AddContent(p, FALSE, nullptr, TRUE, TRUE);
        return p;
    }
    static void WriteBytes(const CString& path, const std::string& bytes) {
        contacts_test::WriteBytes(path, bytes);
    }
    static std::string ReadBytes(const CString& path) { return contacts_test::ReadBytes(path); }

    test_folders::TempDir m_dir;
    std::optional<test_folders::ScopedEnv> m_home, m_config;
    CDocument::MessageHook m_oldHook = nullptr;
};

// Stores an object into memory and reads it back into another.
template <class T> void RoundTrip(T& from, T& to) {
    CMemFile mem;
    {
        CArchive ar(&mem, CArchive::store);
        from.Serialize(ar);
        ar.Close();
    }
    mem.SeekToBegin();
    CArchive ar(&mem, CArchive::load);
    to.Serialize(ar);
    ar.Close();
}

// The bytes the objects store, one after the other into one archive.
template <class... T> std::string StoredBytes(T&... objects) {
    CMemFile mem;
    {
        CArchive ar(&mem, CArchive::store);
        (objects.Serialize(ar), ...);
        ar.Close();
    }
    std::string bytes((size_t)mem.GetLength(), '\0');
    mem.SeekToBegin();
    mem.Read(bytes.data(), (UINT)bytes.size());
    return bytes;
}

inline void AddValue(CXStringList& list, const char* a, const char* b = nullptr) {
    CXString v(list.GetItemSize());
    v.ElementAt(0) = a;
    if (b != nullptr && list.GetItemSize() > 1)
        v.ElementAt(1) = b;
    list.AddTail(v);
}

// Adds the text to a contact's field through the contact's own interface: a text field gets it
// appended, a list one more value holding the whole text.
inline void AddFieldText(_CPerson& p, int nField, const char* text) {
    p.SetFieldText(nField, text, FALSE, 0, "\x01", "\x02");
}

// Makes value i of a contact's list field the current one.
inline void SetCurrentValue(_CPerson& p, int nField, int i) {
    int nKind = 0;
    if (auto* list = static_cast<CXStringList*>(p.GetFieldData(nField, nKind)); nKind == 2)
        list->SetCurrentIndex(i);
}

// A contact with a value in every field kind.
inline void FillEveryKind(_CPerson& p) {
    _CPersonInfo& info = p.GetInfo();
    info.m_address.strAddress = "北京市海淀区中关村大街1号";
    info.m_home.strCountry = "中国";
    info.m_home.strProvince = "广东";
    info.m_home.strCity = "广州";
    info.m_home.strAddress = "天河路2号";
    AddValue(info.m_home.phones, "020-12345678");
    info.m_personal.strNickname = "小三";
    info.m_personal.nSex = 1;
    info.m_personal.nPicture = 17;
    info.m_personal.nReserved = 77;
    info.m_personal.birthday.SetBirthday(1980, 3, 5, FALSE, TRUE);
    info.m_personal.birthday.SetRemindLunar(TRUE);
    AddValue(info.m_personal.mobiles, "13800138000");
    AddValue(info.m_personal.mobiles, "13900139000");
    info.m_personal.mobiles.SetCurrentIndex(1);
    AddValue(info.m_personal.qq, "12345", "阿三");
    AddValue(info.m_personal.email, "zhang@example.com");
    info.m_other.certificates.AddTail(SCertificate{"身份证", "110101198003050011", "本人"});
    info.m_other.strNote = "备注";
    info.m_work.strCompany = "墨川公司";
    AddValue(info.m_work.dormPhones, "62751234");
    info.m_extra.AddTail("extra");
    info.m_extra.SetCurrentIndex(0);
    p.SetModifiedTime(CTime(1600000000));
}

} // namespace contacts_test
