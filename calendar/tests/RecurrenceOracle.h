// The dates a recurrence rule gives, as the rule itself answers them and as python-dateutil's
// rrule computes them (calendar/tests/oracle/recurrence_oracle.py), for tests that compare the two.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "calendar/Event.h"

namespace calendar_test {

inline int Ymd(const CDate& d) {
    return d.GetYear() * 10000 + d.GetMonth() * 100 + d.GetDay();
}

inline std::set<int> MatchingDays(const CEventPeriodInfo& rule, const CDate& from, const CDate& to) {
    std::set<int> days;
    for (CDate d = from; d <= to; d.NextDay()) {
        if (rule.Matches(d))
            days.insert(Ymd(d));
    }
    return days;
}

struct OracleRule {
    CEventPeriodInfo rule;
    std::string what;
};

// Runs the dateutil oracle once over all rules; one set of dates per rule.
inline std::vector<std::set<int>> AskOracle(const std::vector<OracleRule>& rules, const CDate& from,
                                     const CDate& to, const std::string& folder) {
    std::string input = folder + "/rules.txt", output = folder + "/dates.txt";
    {
        std::ofstream out(input);
        for (const OracleRule& r : rules) {
            const CEventPeriodInfo& p = r.rule;
            out << p.m_nKind << ' ' << p.m_nEvery << ' ' << p.m_nFlags << ' ' << Ymd(p.m_anchor)
                << ' ' << (p.m_first.IsValid() ? Ymd(p.m_first.m_date) : 0) << ' '
                << (p.m_last.IsValid() ? Ymd(p.m_last.m_date) : 0) << ' ' << Ymd(from) << ' '
                << Ymd(to);
            for (DWORD v : p.m_values)
                out << ' ' << v;
            out << '\n';
        }
    }
    std::string command = std::string(QUILLMAR_PYTHON) + " " + QUILLMAR_SOURCE_DIR +
                          "/calendar/tests/oracle/recurrence_oracle.py < " + input + " > " +
                          output;
    EXPECT_EQ(std::system(command.c_str()), 0) << "python3 with python3-dateutil is needed";
    std::vector<std::set<int>> answers;
    std::ifstream in(output);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::set<int> days;
        for (int n; words >> n;)
            days.insert(n);
        answers.push_back(days);
    }
    return answers;
}

} // namespace calendar_test
