// Shared fixtures of the contacts tests: a temporary program folder, a pinned clock and a
// recorder for the messages the documents show.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "contacts/ContactGroup.h"
#include "contacts/Person.h"
#include "platform/base/Archive.h"
#include "platform/base/Document.h"
#include "platform/base/File.h"
#include "platform/base/Time.h"
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

inline void AddValue(CXStringList& list, const char* a, const char* b = nullptr) {
    CXString v(list.GetItemSize());
    v.ElementAt(0) = a;
    if (b != nullptr && list.GetItemSize() > 1)
        v.ElementAt(1) = b;
    list.AddTail(v);
}

} // namespace contacts_test
