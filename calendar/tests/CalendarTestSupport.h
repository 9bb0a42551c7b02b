// Shared fixtures of the calendar tests: a temporary program folder, a clock pinned to a local
// moment, a recorder for the messages documents show, and events made in one line.
#pragma once

#include <gtest/gtest.h>

#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "calendar/Event.h"
#include "platform/base/Document.h"
#include "platform/base/Time.h"
#include "platform/base/tests/TempFolder.h"

namespace calendar_test {

// Pins "now" to a local date and time.
inline void PinLocal(int year, int month, int day, int hour = 12, int minute = 0, int second = 0) {
    struct tm t {};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    CTime::SetNowForTesting(mktime(&t));
}

inline std::vector<std::string>& Messages() {
    static std::vector<std::string> s_messages;
    return s_messages;
}

inline int RecordMessage(LPCTSTR text, UINT) {
    Messages().push_back(text != nullptr ? text : "");
    return 1;
}

class CalendarTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_home.emplace("QUILLMAR_HOME", m_dir.str().c_str());
        m_config.emplace("QUILLMAR_CONFIG", m_dir.str().c_str());
        PinLocal(2024, 3, 15, 8, 0, 0);
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

// A one-off event from start to end (dates and times).
inline _CEvent* MakeEvent(const char* title, const CDateTime& start, const CDateTime& end) {
    auto* e = new _CEvent;
    e->SetName(title);
    e->m_base.m_start = start;
    e->m_base.m_end = end;
    return e;
}

// A recurring event of the kind with the first value word, anchored at the date.
inline _CEvent* MakeRule(const char* title, int kind, int every, DWORD word0, const CDate& anchor,
                         const CDate& first = CDate(), const CDate& last = CDate()) {
    auto* e = new _CEvent;
    e->SetName(title);
    e->m_base.m_bRecurring = TRUE;
    e->m_period.m_nKind = kind;
    e->m_period.m_nEvery = every;
    e->m_period.m_values[0] = word0;
    e->m_period.m_anchor = anchor;
    e->m_period.m_first.m_date = first;
    e->m_period.m_last.m_date = last;
    return e;
}

inline std::string Text(const CString& s) {
    return std::string((LPCTSTR)s);
}

} // namespace calendar_test
