#include "calendar/CalendarExtInfo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Answers a fixed number of entries named after the source, and records each question.
class CFixedInfo : public CCalendarExtInfo {
public:
    CFixedInfo(const char* name, int n) : m_name(name), m_n(n) {}
    int GetDayInfo(const CDate&, CKovCalendarCellItemList* pItems, BOOL bCountOnly) override {
        asked.push_back(bCountOnly != FALSE);
        if (!bCountOnly && pItems)
            for (int i = 0; i < m_n; ++i) {
                CKovCalendarCellItem item;
                item.m_strText = m_name.c_str();
                pItems->AddTail(item);
            }
        return m_n;
    }
    std::vector<bool> asked;

private:
    std::string m_name;
    int m_n;
};

TEST(CalendarExtInfoManager, AsksEverySourceInOrderAndSumsTheirEntries) {
    CFixedInfo a("a", 2), none("none", 0), broken("broken", -3), b("b", 1);
    CCalendarExtInfoManager manager;
    for (CCalendarExtInfo* p : {(CCalendarExtInfo*)&a, (CCalendarExtInfo*)&none,
                                (CCalendarExtInfo*)&broken, (CCalendarExtInfo*)&b,
                                (CCalendarExtInfo*)&a, (CCalendarExtInfo*)nullptr})
        manager.AddExtInfo(p);
    EXPECT_EQ(manager.GetExtInfoCount(), 4);

    CKovCalendarCellItemList items;
    // A source's negative answer does not take entries away from the others.
    EXPECT_EQ(manager.GetDayInfo(CDate(2024, 3, 5), &items, FALSE), 3);
    std::vector<std::string> texts;
    for (POSITION pos = items.GetHeadPosition(); pos;)
        texts.push_back((LPCTSTR)items.GetNext(pos).m_strText);
    EXPECT_EQ(texts, (std::vector<std::string>{"a", "a", "b"}));
    EXPECT_EQ(b.asked, (std::vector<bool>{false}));
}

TEST(CalendarExtInfoManager, CountingStopsAtTheFirstSourceWithAnEntry) {
    CFixedInfo none("none", 0), broken("broken", -1), a("a", 4), b("b", 1);
    CCalendarExtInfoManager manager;
    manager.AddExtInfo(&none);
    manager.AddExtInfo(&broken);
    manager.AddExtInfo(&a);
    manager.AddExtInfo(&b);
    CKovCalendarCellItemList items;
    EXPECT_EQ(manager.GetDayInfo(CDate(2024, 3, 5), &items, TRUE), 4);
    EXPECT_TRUE(items.IsEmpty());
    EXPECT_EQ(none.asked, (std::vector<bool>{true}));
    EXPECT_TRUE(b.asked.empty());

    // A source that leaves is asked no more; with none left there is nothing.
    manager.RemoveExtInfo(&a);
    EXPECT_EQ(manager.GetDayInfo(CDate(2024, 3, 5), nullptr, TRUE), 1);
    CCalendarExtInfoManager empty;
    EXPECT_EQ(empty.GetDayInfo(CDate(2024, 3, 5), &items, FALSE), 0);
}

} // namespace
