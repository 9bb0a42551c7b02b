// Events: recurrence against python-dateutil and a model of ten-day periods, the stored layout,
// the date questions the calendar, the filter and the reminder ask, and the texts.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "calendar/Event.h"
#include "calendar/tests/CalendarTestSupport.h"
#include "calendar/tests/RecurrenceOracle.h"
#include "testsupport/ArchiveBytes.h"

using namespace calendar_test;

namespace {

DWORD RandomBits(std::mt19937& rng, int width, double density) {
    std::bernoulli_distribution on(density);
    DWORD word = 0;
    while (word == 0) {
        for (int i = 0; i < width; ++i)
            if (on(rng))
                word |= 1u << i;
    }
    return word;
}

} // namespace

TEST(RecurrenceTest, AgreesWithDateutilForEveryKindAndEveryOneToFive) {
    const CDate from(1999, 1, 1), to(2031, 12, 31);
    std::mt19937 rng(20240315);
    std::uniform_int_distribution<int> dayOfSpan(0, to.DaysSince(from));
    std::vector<OracleRule> rules;
    struct KindCase {
        int kind, flags;
        const char* name;
    } kinds[] = {{0, 0, "day"},    {1, 0, "week"},   {3, 0, "month"},
                 {3, 1, "month from its end"}, {4, 0, "season"}, {5, 0, "year"}};
    for (const KindCase& k : kinds) {
        for (int every = 1; every <= 5; ++every) {
            for (int sample = 0; sample < 3; ++sample) {
                OracleRule r;
                r.rule.m_nKind = k.kind;
                r.rule.m_nFlags = k.flags;
                r.rule.m_nEvery = every;
                // Anchors include the last days of a year, where week counts cross years.
                r.rule.m_anchor = sample == 0 ? CDate(2004 + every, 12, 30)
                                              : from.PlusDays(dayOfSpan(rng));
                if (k.kind == 1)
                    r.rule.m_values[0] = RandomBits(rng, 7, 0.4);
                else if (k.kind == 3)
                    r.rule.m_values[0] = sample == 1 ? 1u : RandomBits(rng, 31, 0.15);
                else if (k.kind == 4)
                    for (int c = 0; c < 3; ++c)
                        r.rule.m_values[c] = RandomBits(rng, 31, 0.1);
                else if (k.kind == 5)
                    for (int m = 0; m < 12; ++m)
                        r.rule.m_values[m] = m % 3 == sample ? RandomBits(rng, 31, 0.1) : 0;
                if (sample == 2) {
                    r.rule.m_first.m_date = CDate(2003, 2, 17);
                    r.rule.m_last.m_date = CDate(2027, 11, 3);
                }
                r.what = std::string(k.name) + " every " + std::to_string(every) + " sample " +
                         std::to_string(sample);
                rules.push_back(r);
            }
        }
    }
    test_folders::TempDir dir;
    std::vector<std::set<int>> expected = AskOracle(rules, from, to, dir.str());
    ASSERT_EQ(expected.size(), rules.size());
    for (size_t i = 0; i < rules.size(); ++i) {
        std::set<int> got = MatchingDays(rules[i].rule, from, to);
        EXPECT_FALSE(expected[i].empty()) << rules[i].what;
        EXPECT_EQ(got, expected[i]) << rules[i].what;
    }
}

TEST(RecurrenceTest, TenDayPeriodsAgreeWithACountingModel) {
    // Periods 1-10, 11-20 and 21 to the month's end, 36 a year; the 31st is day 11.
    auto xunIndex = [](const CDate& d) {
        return (long long)d.GetYear() * 36 + (d.GetMonth() - 1) * 3 +
               (d.GetDay() > 20 ? 2 : (d.GetDay() - 1) / 10);
    };
    std::mt19937 rng(7);
    const CDate from(1999, 1, 1), to(2031, 12, 31);
    for (int every = 1; every <= 5; ++every) {
        for (const CDate& anchor : {CDate(2010, 12, 31), CDate(2000, 2, 29), CDate(2031, 5, 11)}) {
            CEventPeriodInfo rule;
            rule.m_nKind = CEventPeriodInfo::BY_XUN;
            rule.m_nEvery = every;
            rule.m_anchor = anchor;
            rule.m_values[0] = RandomBits(rng, 11, 0.3) | (1u << 10);
            for (CDate d = from; d <= to; d.NextDay()) {
                int bit = d.GetDay() > 20 ? d.GetDay() - 21 : (d.GetDay() - 1) % 10;
                long long periods = xunIndex(d) - xunIndex(anchor);
                bool want = periods % every == 0 && ((rule.m_values[0] >> bit) & 1);
                ASSERT_EQ(rule.Matches(d), want) << Ymd(d) << " every " << every;
            }
        }
    }
}

TEST(RecurrenceTest, EveryOneIgnoresTheAnchorAndOtherCountsRunBeforeIt) {
    CEventPeriodInfo weekly;
    weekly.m_nKind = CEventPeriodInfo::BY_WEEK;
    weekly.m_values[0] = 1; // Mondays
    EXPECT_TRUE(weekly.Matches(CDate(2024, 3, 11)));  // no anchor needed
    weekly.m_nEvery = 2;
    weekly.m_anchor = CDate(2024, 3, 11);
    EXPECT_TRUE(weekly.Matches(CDate(2024, 2, 26)));  // two weeks before
    EXPECT_FALSE(weekly.Matches(CDate(2024, 3, 4)));  // one week before
    EXPECT_TRUE(weekly.Matches(CDate(2024, 3, 25)));
}

TEST(RecurrenceTest, NumbersAFileMayHoldCountAsTheNearestRule) {
    // every 0 or below would divide by zero; a kind outside 0..5 is read as by day.
    for (int every : {0, -3}) {
        CEventPeriodInfo rule;
        rule.m_nKind = CEventPeriodInfo::BY_MONTH;
        rule.m_nEvery = every;
        rule.m_values[0] = 1u << 4;
        rule.m_anchor = CDate(2024, 1, 1);
        EXPECT_TRUE(rule.Matches(CDate(2024, 7, 5))) << every;
        EXPECT_FALSE(rule.Matches(CDate(2024, 7, 6))) << every;
    }
    CEventPeriodInfo odd;
    odd.m_nKind = 77;
    odd.m_nEvery = 2;
    odd.m_anchor = CDate(2024, 1, 1);
    EXPECT_TRUE(odd.Matches(CDate(2024, 1, 3)));
    EXPECT_FALSE(odd.Matches(CDate(2024, 1, 4)));
    CString text;
    odd.GetText(text);
    EXPECT_EQ(Text(text), "每2天");
}

TEST(RecurrenceTest, TextsNameThePeriodAndTheDays) {
    struct Row {
        int kind, every;
        std::vector<DWORD> words;
        const char* want;
    } rows[] = {
        {1, 1, {0x5}, "每周:第1天,第3天"},
        {3, 2, {0x1}, "每2月:第1天"},
        {5, 1, {0x4001, 0, 0x10}, "每年-第1月:第1天,第15天;第3月:第5天"},
        {4, 3, {0, 0x2}, "每3季-第2月:第2天"},
        {2, 1, {}, "每旬"},
        {0, 4, {}, "每4天"},
    };
    for (const Row& row : rows) {
        CEventPeriodInfo rule;
        rule.m_nKind = row.kind;
        rule.m_nEvery = row.every;
        for (size_t i = 0; i < row.words.size(); ++i)
            rule.m_values[i] = row.words[i];
        CString text;
        rule.GetText(text);
        EXPECT_EQ(Text(text), row.want);
    }
}

// ---- Stored layout -----------------------------------------------------------------------------

class EventStoreTest : public CalendarTest {};

TEST_F(EventStoreTest, StoresFixedBlocksAndReadsThemBackByteForByte) {
    _CEvent e;
    e.SetName("周会");
    e.m_base.m_strContent = "议程";
    e.m_base.m_strPlace = "三楼";
    e.m_base.m_strPeople = "全体";
    e.m_base.m_nState = 1;
    e.m_base.m_bRecurring = TRUE;
    e.m_remind.m_bEnabled = TRUE;
    e.m_remind.m_when[0] = 1;
    e.m_remind.m_when[5] = 42;
    e.m_remind.m_nSound = 1;
    e.m_remind.m_nSoundSource = -1;
    e.m_remind.m_strSoundFile = "/tmp/ding.wav";
    e.m_period.m_nKind = CEventPeriodInfo::BY_WEEK;
    e.m_period.m_nEvery = 2;
    e.m_period.m_nFlags = 0;
    e.m_period.m_values[0] = 0x15;
    e.m_period.m_anchor = CDate(2023, 12, 27);
    e.m_period.m_first = CDateTime(2024, 1, 1, 0, 0, 0);
    e.m_display.m_nShowMode = 2;
    e.SetLastReminded(CDateTime(2024, 3, 1, 8, 59, 55));
    archive_bytes::Bytes bytes = archive_bytes::Store(e);

    // 8 ints, four strings (1-byte lengths), two date-times, 12 reminder words, the 14 words
    // of the rule, two date-times, 2 display words, one date-time.
    const size_t strings = (1 + 4) + (1 + 4) + (1 + 4) + (1 + 4);
    ASSERT_EQ(bytes.size(), 32 + strings + 30 + 48 + 56 + 30 + 8 + 15);
    auto dword = [&](size_t at) {
        return (DWORD)bytes[at] | (DWORD)bytes[at + 1] << 8 | (DWORD)bytes[at + 2] << 16 |
               (DWORD)bytes[at + 3] << 24;
    };
    size_t remind = 32 + strings + 30;
    EXPECT_EQ(dword(remind + 7 * 4), 42u); // when[5]
    EXPECT_EQ(dword(remind + 8 * 4), 42u); // and again
    size_t rule = remind + 48;
    EXPECT_EQ(dword(rule), 1u);                // kind 1, no flags
    EXPECT_EQ(dword(rule + 4), 2u);            // every
    EXPECT_EQ(dword(rule + 8), 0x15u);         // values[0]
    EXPECT_EQ(dword(rule + 8 + 9 * 4), 2023u); // the anchor in values[9..11]
    EXPECT_EQ(dword(rule + 8 + 11 * 4), 27u);

    _CEvent back;
    EXPECT_EQ(archive_bytes::Load(back, bytes), 0u);
    EXPECT_TRUE(archive_bytes::Store(back) == bytes);
    EXPECT_EQ(Text(back.GetTitle()), "周会");
    EXPECT_EQ(back.m_period.m_anchor, CDate(2023, 12, 27));
    EXPECT_TRUE(back.m_remind.m_strSoundFile.IsEmpty()); // the sound file is not kept
    CDateTime last;
    EXPECT_TRUE(back.GetLastReminded(last));
    EXPECT_EQ(last, CDateTime(2024, 3, 1, 8, 59, 55));
}

TEST_F(EventStoreTest, AnchorsTravelWhereEachKindLeavesRoom) {
    struct Row {
        int kind;
        CDate anchor, want;
        DWORD head; // the first word of the rule
    } rows[] = {
        {0, CDate(2020, 5, 6), CDate(2020, 5, 6), 1u << 16},
        {3, CDate(2020, 5, 6), CDate(2020, 5, 6), 3 | (1u << 16)},
        {5, CDate(2020, 5, 6), CDate(2020, 1, 1), 5 | (2020u << 16)}, // only the year is kept
        {4, CDate(1, 13, 1), CDate(2024, 3, 15), 4 | (1u << 16)},    // no real anchor: today
    };
    for (const Row& row : rows) {
        _CEvent e;
        e.m_period.m_nKind = row.kind;
        e.m_period.m_nFlags = 1;
        e.m_period.m_anchor = row.anchor;
        archive_bytes::Bytes bytes = archive_bytes::Store(e);
        _CEvent back;
        archive_bytes::Load(back, bytes);
        EXPECT_EQ(back.m_period.m_anchor, row.want) << row.kind;
        archive_bytes::Bytes again = archive_bytes::Store(back);
        size_t rule = again.size() - 15 - 8 - 30 - 56;
        DWORD head = (DWORD)again[rule] | (DWORD)again[rule + 1] << 8 |
                     (DWORD)again[rule + 2] << 16 | (DWORD)again[rule + 3] << 24;
        EXPECT_EQ(head, row.head) << row.kind;
    }
}

TEST_F(EventStoreTest, ShortRecordsFailWithTheArchiveException) {
    _CEvent e;
    archive_bytes::Bytes bytes = archive_bytes::Store(e);
    for (size_t n : {size_t(0), size_t(7), size_t(40), bytes.size() - 1}) {
        _CEvent back;
        EXPECT_EQ(archive_bytes::LoadFailure(back, archive_bytes::Bytes(bytes.begin(),
                                                                         bytes.begin() + n)),
                  (int)CArchiveException::endOfFile)
            << n;
    }
}

// ---- Date questions ----------------------------------------------------------------------------

class EventDatesTest : public CalendarTest {};

TEST_F(EventDatesTest, BaseSpanShowModesAndSingleDayEvents) {
    std::unique_ptr<_CEvent> e(MakeEvent("出差", CDateTime(2024, 3, 10, 9, 0, 0),
                                         CDateTime(2024, 3, 13, 17, 0, 0)));
    struct Row {
        int mode;
        const char* shown; // days 9..14
    } rows[] = {{0, "011110"}, {1, "010000"}, {2, "000010"}, {3, "010010"}};
    for (const Row& row : rows) {
        e->m_display.m_nShowMode = row.mode;
        std::string got;
        for (int d = 9; d <= 14; ++d)
            got += e->ShowsOn(CDate(2024, 3, d)) ? '1' : '0';
        EXPECT_EQ(got, row.shown) << row.mode;
        EXPECT_TRUE(e->OccursOn(CDate(2024, 3, 11)));
    }
    e->m_display.m_bShowOnCalendar = FALSE;
    EXPECT_FALSE(e->ShowsOn(CDate(2024, 3, 10)));
    EXPECT_EQ(e->CountDays(), 4);

    e->m_base.m_bSingleDay = TRUE;
    CDate last;
    EXPECT_TRUE(e->GetEndDate(last));
    EXPECT_EQ(last, CDate(2024, 3, 10));
    // Only one date given: that day alone; none: no day at all.
    e->m_base.m_bSingleDay = FALSE;
    e->m_base.m_end.SetNull();
    EXPECT_TRUE(e->OccursOn(CDate(2024, 3, 10)));
    EXPECT_FALSE(e->OccursOn(CDate(2024, 3, 11)));
    EXPECT_TRUE(e->IsRangeReversed());
    e->m_base.m_start.SetNull();
    EXPECT_FALSE(e->OccursOn(CDate(2024, 3, 10)));
    EXPECT_FALSE(e->HasDate());
}

TEST_F(EventDatesTest, OccursInRangeWalksOnlyTheOverlap) {
    std::unique_ptr<_CEvent> monthly(MakeRule("月报", CEventPeriodInfo::BY_MONTH, 1, 1u << 19,
                                              CDate(2024, 1, 1), CDate(2024, 1, 1),
                                              CDate(2024, 12, 31)));
    EXPECT_TRUE(monthly->OccursInRange(CDate(2024, 5, 1), CDate(2024, 5, 31)));
    EXPECT_FALSE(monthly->OccursInRange(CDate(2024, 5, 21), CDate(2024, 6, 19)));
    EXPECT_FALSE(monthly->OccursInRange(CDate(2025, 1, 1), CDate(2025, 12, 31)));
    // A rule without a last date goes on (a weekly task with no end is in every week after its
    // start), as a single day is matched; without a first date it reaches back.
    monthly->m_period.m_last.SetNull();
    EXPECT_TRUE(monthly->OccursInRange(CDate(2024, 5, 1), CDate(2024, 5, 31)));
    EXPECT_TRUE(monthly->OccursInRange(CDate(2031, 7, 1), CDate(2031, 7, 31)));
    EXPECT_FALSE(monthly->OccursInRange(CDate(2031, 7, 21), CDate(2031, 8, 19)));
    EXPECT_FALSE(monthly->OccursInRange(CDate(2023, 1, 1), CDate(2023, 12, 31)));
    for (const CDate& d : {CDate(2024, 5, 20), CDate(2031, 7, 20)})
        EXPECT_EQ(monthly->OccursOn(d), monthly->OccursInRange(d, d));
    monthly->m_period.m_first.SetNull();
    EXPECT_TRUE(monthly->OccursInRange(CDate(2023, 1, 1), CDate(2023, 1, 31)));
    std::unique_ptr<_CEvent> once(MakeEvent("会", CDateTime(2024, 5, 3, 9, 0, 0),
                                            CDateTime(2024, 5, 4, 9, 0, 0)));
    EXPECT_TRUE(once->OccursInRange(CDate(2024, 5, 4), CDate(2024, 6, 1)));
    EXPECT_FALSE(once->OccursInRange(CDate(2024, 5, 5), CDate(2024, 6, 1)));
}

TEST_F(EventDatesTest, ReminderMomentsFixedAdvanceAndPerOccurrence) {
    std::unique_ptr<_CEvent> e(MakeEvent("会", CDateTime(2024, 3, 16, 0, 30, 0),
                                         CDateTime(2024, 3, 16, 2, 0, 0)));
    CDateTime t;
    EXPECT_EQ(e->GetRemindTime(t), 0);
    e->m_remind.m_bEnabled = TRUE;
    e->m_remind.m_when[0] = 1; // an hour before: the day before at 23:30
    EXPECT_EQ(e->GetRemindTime(t), 1);
    EXPECT_EQ(t, CDateTime(2024, 3, 15, 23, 30, 0));
    EXPECT_TRUE(e->RemindsOn(t, CDate(2024, 3, 15)));
    EXPECT_FALSE(e->RemindsOn(t, CDate(2024, 3, 16)));

    e->m_remind.m_nMode = CEventRemindInfo::MODE_FIXED;
    int fixed[6] = {2024, 3, 14, 10, 0, 0};
    std::copy(fixed, fixed + 6, e->m_remind.m_when);
    EXPECT_EQ(e->GetRemindTime(t), 1);
    EXPECT_EQ(t, CDateTime(2024, 3, 14, 10, 0, 0));

    // Recurring: before every occurrence, whatever the base start's date.
    std::unique_ptr<_CEvent> weekly(
        MakeRule("周会", CEventPeriodInfo::BY_WEEK, 1, 1, CDate(2024, 1, 1))); // Mondays
    weekly->m_base.m_start = CDateTime(2024, 1, 1, 0, 20, 0);
    weekly->m_remind.m_bEnabled = TRUE;
    weekly->m_remind.m_when[1] = 30;
    EXPECT_EQ(weekly->GetRemindTime(t), -1);
    EXPECT_FALSE(t.IsValid());
    EXPECT_EQ(t.m_time, CTimeOfDay(23, 50, 0));
    EXPECT_TRUE(weekly->RemindsOn(t, CDate(2024, 3, 17)));  // Sunday night for Monday
    EXPECT_FALSE(weekly->RemindsOn(t, CDate(2024, 3, 18))); // Monday night is for Tuesday
}

TEST_F(EventDatesTest, PeriodAndEndTextsAndSortingOrder) {
    std::unique_ptr<_CEvent> e(
        MakeRule("周会", CEventPeriodInfo::BY_WEEK, 1, 0x5, CDate(2024, 1, 1), CDate(2024, 1, 1)));
    e->m_base.m_start = CDateTime(2023, 1, 1, 9, 5, 0);
    CString text;
    e->GetPeriodText(text);
    EXPECT_EQ(Text(text), "每周:第1天,第3天/2024- 1- 1 09:05");
    e->GetEndText(text);
    EXPECT_EQ(Text(text), "");
    e->m_base.m_bAllDay = TRUE;
    e->GetPeriodText(text);
    EXPECT_EQ(Text(text), "每周:第1天,第3天/2024- 1- 1");

    std::unique_ptr<_CEvent> early(MakeEvent("乙", CDateTime(2024, 1, 1, 8, 0, 0), CDateTime()));
    std::unique_ptr<_CEvent> late(MakeEvent("甲", CDateTime(2024, 1, 1, 9, 0, 0), CDateTime()));
    std::unique_ptr<_CEvent> undated(MakeEvent("丙", CDateTime(), CDateTime()));
    std::unique_ptr<_CEvent> undated2(MakeEvent("丁", CDateTime(), CDateTime()));
    EXPECT_LT(early->CompareName(late.get()), 0);
    EXPECT_GT(early->CompareName(undated.get()), 0);
    EXPECT_LT(undated->CompareName(early.get()), 0);
    EXPECT_LT(undated->CompareName(undated2.get()), 0); // 丙 before 丁 by pinyin
    EXPECT_EQ(Text(_CEvent::GetStateName(2)), "已完成");
    EXPECT_EQ(Text(_CEvent::GetStateName(5)), "");
}

TEST_F(EventDatesTest, CopySettingsLeavesDisplayAndLastReminderAlone) {
    std::unique_ptr<_CEvent> a(MakeRule("甲", 3, 2, 7, CDate(2024, 1, 1)));
    a->m_remind.m_strSoundFile = "a.wav";
    a->m_remind.m_extra.AddTail("x");
    a->m_display.m_nShowMode = 3;
    a->SetLastReminded(CDateTime(2024, 1, 1, 1, 1, 1));
    _CEvent b;
    b.CopySettings(*a);
    EXPECT_EQ(Text(b.GetTitle()), "甲");
    EXPECT_EQ(b.m_period.m_nEvery, 2);
    EXPECT_EQ(Text(b.m_remind.m_strSoundFile), "a.wav");
    EXPECT_EQ(b.m_remind.m_extra.GetCount(), 1);
    EXPECT_EQ(b.m_display.m_nShowMode, 0);
    CDateTime last;
    EXPECT_FALSE(b.GetLastReminded(last));
}
