// The event sheet, the task filter dialog and the events manager, driven as a user would: the
// sheet opens modally and the test's stand-in user reads and sets its controls.
#include "calendar/tests/RecurrenceOracle.h"
#include "calendar/ui/DlgTaskFilter.h"
#include "calendar/ui/ScheduleUI.h"
#include "calendar/ui/SheetEvent.h"
#include "calendar/ui/tests/CalendarUiTestSupport.h"
#include "platform/gui/DateTimeCtrl.h"

#include <functional>

using namespace calendar_ui_test;
using calendar_test::AskOracle;
using calendar_test::MatchingDays;
using calendar_test::OracleRule;

namespace {

class SheetEventTest : public CalendarWindowTest {
protected:
    // Runs the sheet over the event (or a new one preset to date); body acts on it open.
    INT_PTR RunSheet(_CEvent* pEvent, const CDate* pDate, std::function<void(CSheetEvent&)> body) {
        onDialog = [&](CDialog& d) {
            auto* sheet = dynamic_cast<CSheetEvent*>(&d);
            ASSERT_NE(sheet, nullptr);
            body(*sheet);
            if (sheet->GetSafeHwnd() != nullptr && ::IsWindow(sheet->GetSafeHwnd()) && !ended)
                sheet->EndDialog(IDCANCEL);
        };
        CSheetEvent sheet;
        if (pEvent != nullptr)
            sheet.SetEvent(pEvent);
        if (pDate != nullptr)
            sheet.PresetDates(*pDate, nullptr);
        ended = false;
        INT_PTR r = sheet.DoModal();
        if (r == IDOK && pEvent != nullptr)
            sheet.SaveTo(pEvent, TRUE);
        return r;
    }
    // OK as the button does; whether the sheet closed.
    bool PressOk(CSheetEvent& s) {
        s.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        Pump();
        ended = s.WasAccepted() != FALSE;
        return ended;
    }
    static CDate PickerDate(CWnd& page, UINT id) {
        auto* p = dynamic_cast<CDateTimeCtrl*>(page.GetDlgItem(id));
        EXPECT_NE(p, nullptr) << id;
        SYSTEMTIME st{};
        if (p != nullptr)
            p->GetTime(&st);
        return CDate(st.wYear, st.wMonth, st.wDay);
    }
    static bool Shown(CWnd& page, UINT id) {
        CWnd* w = page.GetDlgItem(id);
        return w != nullptr && (w->GetStyle() & WS_VISIBLE) != 0;
    }
    // A real click on a check box or radio button of a page.
    static void ClickBox(CWnd& page, UINT id) {
        CWnd* w = page.GetDlgItem(id);
        ASSERT_NE(w, nullptr) << id;
        QTest::mouseClick(w->GetWidget(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(6, w->GetWidget()->height() / 2));
        Pump();
    }
    bool ended = false;
};

TEST_F(SheetEventTest, ANewEventPresetToADateShowsItEverywhere) {
    const CDate date(2024, 5, 20);
    RunSheet(nullptr, &date, [&](CSheetEvent& s) {
        EXPECT_EQ(s.GetTab().GetItemCount(), 4);
        EXPECT_EQ(s.GetPageIndex(), CSheetEvent::PageGeneral);
        EXPECT_TRUE(PickerDate(s.GetGeneralPage(), CPageEventGeneral::IDC_START_DATE) == date);
        EXPECT_TRUE(PickerDate(s.GetGeneralPage(), CPageEventGeneral::IDC_END_DATE) == date);
        EXPECT_TRUE(PickerDate(s.GetPeriodPage(), CPageEventPeriod::IDC_FIRST) == date);
        EXPECT_TRUE(PickerDate(s.GetPeriodPage(), CPageEventPeriod::IDC_LAST) == date);
        EXPECT_TRUE(PickerDate(*s.GetPeriodPage().GetModePage(CEventPeriodInfo::BY_DAY),
                               CPageEventPeriodModeBase::IDC_INCLUDE) == date);
        // The summary says no rule while the event does not recur.
        s.SelectPage(CSheetEvent::PagePeriod);
        CString summary;
        s.GetPeriodPage().GetDlgItemText(CPageEventPeriod::IDC_SUMMARY, summary);
        EXPECT_EQ(calendar_test::Text(summary), "未指定重复");
    });
}

TEST_F(SheetEventTest, CancelLeavesTheEventAsItWasAfterEditsOnEveryPage) {
    _CEvent event;
    event.SetName("周会");
    event.m_base.m_nPercentDone = 30;
    INT_PTR r = RunSheet(&event, nullptr, [&](CSheetEvent& s) {
        s.GetGeneralPage().SetDlgItemText(CPageEventGeneral::IDC_TITLE, "改过的");
        for (int page = 0; page < 4; ++page)
            s.SelectPage(page);
        ClickBox(s.GetRemindPage(), CPageEventRemind::IDC_ENABLED);
        s.EndDialog(IDCANCEL);
        ended = true;
    });
    EXPECT_EQ(r, IDCANCEL);
    EXPECT_EQ(calendar_test::Text(event.GetTitle()), "周会");
    EXPECT_FALSE(event.m_remind.m_bEnabled);
    EXPECT_EQ(event.m_base.m_nPercentDone, 30);
}

TEST_F(SheetEventTest, ARecurringEventShowsTimesOnlyAndItsSummaryAndAllDayHidesThePickers) {
    _CEvent event;
    event.SetName("晨跑");
    event.m_base.m_bRecurring = TRUE;
    event.m_base.m_start = CDateTime(2024, 3, 15, 9, 5, 0);
    event.m_base.m_end = CDateTime(2024, 3, 15, 17, 30, 0);
    RunSheet(&event, nullptr, [&](CSheetEvent& s) {
        CPageEventGeneral& g = s.GetGeneralPage();
        EXPECT_FALSE(Shown(g, CPageEventGeneral::IDC_SINGLEDAY));
        EXPECT_TRUE(Shown(g, CPageEventGeneral::IDC_PERIOD_BUTTON));
        EXPECT_FALSE(Shown(g, CPageEventGeneral::IDC_START_DATE));
        EXPECT_TRUE(Shown(g, CPageEventGeneral::IDC_START_TIME));
        EXPECT_FALSE(Shown(g, CPageEventGeneral::IDC_END_DATE));
        EXPECT_TRUE(Shown(g, CPageEventGeneral::IDC_END_TIME));
        EXPECT_FALSE(g.GetDlgItem(CPageEventGeneral::IDC_HAS_END)->IsWindowEnabled());
        // The recurrence page's summary, taken when its tab is chosen.
        s.GetTab().SetCurSel(CSheetEvent::PagePeriod);
        NMHDR hdr{s.GetTab().GetSafeHwnd(), CSheetEvent::IDC_TAB, TCN_SELCHANGE};
        LRESULT result = 0;
        s.SendMessage(WM_NOTIFY, CSheetEvent::IDC_TAB, (LPARAM)&hdr);
        (void)result;
        EXPECT_EQ(s.GetPageIndex(), CSheetEvent::PagePeriod);
        CString summary;
        s.GetPeriodPage().GetDlgItemText(CPageEventPeriod::IDC_SUMMARY, summary);
        EXPECT_EQ(calendar_test::Text(summary), "执行时间为指定日的：09:05 - 17:30 （历时8小时25分）");
        // All day: no picker of the general page shows a time, the start no date either.
        s.SelectPage(CSheetEvent::PageGeneral);
        ClickBox(g, CPageEventGeneral::IDC_ALLDAY);
        for (UINT id : {CPageEventGeneral::IDC_START_DATE, CPageEventGeneral::IDC_START_TIME,
                        CPageEventGeneral::IDC_END_DATE, CPageEventGeneral::IDC_END_TIME})
            EXPECT_FALSE(Shown(g, id)) << id;
        // The reminder cannot count ahead of a start without a time.
        EXPECT_FALSE(s.GetRemindPage().GetDlgItem(CPageEventRemind::IDC_ADVANCE)->IsWindowEnabled());
        EXPECT_TRUE(PressOk(s));
    });
    EXPECT_TRUE(event.m_base.m_bAllDay);
    EXPECT_TRUE(event.m_base.m_bRecurring);
}

TEST_F(SheetEventTest, BadInputIsRefusedWithAMessageAndTheSheetStaysOpen) {
    struct Case {
        const char* what;
        std::function<void(CSheetEvent&)> spoil;
        const char* message;
    };
    const Case cases[] = {
        {"每 below 1",
         [](CSheetEvent& s) {
             s.GetGeneralPage().CheckDlgButton(CPageEventGeneral::IDC_RECURRING, BST_CHECKED);
             s.GetPeriodPage().SelectKind(CEventPeriodInfo::BY_WEEK);
             s.GetPeriodPage().GetModePage(CEventPeriodInfo::BY_WEEK)
                 ->SetDlgItemText(CPageEventPeriodModeBase::IDC_EVERY, "0");
         },
         "“每”后面必须是1到9999之间的数。"},
        {"完成率 above 100",
         [](CSheetEvent& s) { s.GetGeneralPage().SetDlgItemText(CPageEventGeneral::IDC_PERCENT, "101"); },
         "完成率必须是0到100之间的数。"},
        {"完成率 below 0",
         [](CSheetEvent& s) { s.GetGeneralPage().SetDlgItemText(CPageEventGeneral::IDC_PERCENT, "-1"); },
         "完成率必须是0到100之间的数。"},
        {"minutes 60",
         [](CSheetEvent& s) {
             s.GetRemindPage().CheckDlgButton(CPageEventRemind::IDC_ENABLED, BST_CHECKED);
             s.GetRemindPage().SetDlgItemText(CPageEventRemind::IDC_MINUTES, "60");
         },
         "提前的分钟数必须是0到59之间的数。"},
        {"end before start",
         [](CSheetEvent& s) {
             CPageEventGeneral& g = s.GetGeneralPage();
             g.CheckDlgButton(CPageEventGeneral::IDC_HAS_END, BST_CHECKED);
             auto* end = dynamic_cast<CDateTimeCtrl*>(g.GetDlgItem(CPageEventGeneral::IDC_END_DATE));
             SYSTEMTIME st{2024, 3, 5, 14, 0, 0, 0, 0};
             end->SetTime(&st);
         },
         "结束时间不能早于开始时间。"},
    };
    for (const Case& c : cases) {
        _CEvent event;
        event.SetName("原样");
        event.m_base.m_start = CDateTime(2024, 3, 15, 9, 0, 0);
        event.m_base.m_end = CDateTime(2024, 3, 15, 10, 0, 0);
        shown.clear();
        bool stayed = false;
        INT_PTR r = RunSheet(&event, nullptr, [&](CSheetEvent& s) {
            s.GetGeneralPage().SetDlgItemText(CPageEventGeneral::IDC_TITLE, "改过的");
            c.spoil(s);
            stayed = !PressOk(s);
        });
        EXPECT_TRUE(stayed) << c.what;
        EXPECT_EQ(r, IDCANCEL) << c.what;
        ASSERT_EQ(shown.size(), 1u) << c.what;
        EXPECT_EQ(calendar_test::Text(shown[0].text), c.message) << c.what;
        EXPECT_EQ(calendar_test::Text(event.GetTitle()), "原样") << c.what;
    }
}

TEST_F(SheetEventTest, TheYearTreeOffersFebruaryTheTwentyNinthAndItsParentsFollowTheirDays) {
    RunSheet(nullptr, nullptr, [&](CSheetEvent& s) {
        CPageEventPeriodModeBase* year = s.GetPeriodPage().GetModePage(CEventPeriodInfo::BY_YEAR);
        CTreeEventSelectDays& tree = year->GetTree();
        ASSERT_TRUE(tree.IsTwoLevel());
        HTREEITEM feb29 = tree.ItemAt(1, 28);
        ASSERT_NE(feb29, nullptr);
        EXPECT_EQ(calendar_test::Text(tree.GetItemText(feb29)), " 2月29日");
        EXPECT_EQ(tree.ItemAt(1, 29), nullptr);
        // Ticking a parent ticks its days; inverting leaves it empty and its parent unticked.
        tree.SetCheck(tree.ItemAt(1), TRUE);
        tree.OnParentToggled(tree.ItemAt(1));
        tree.SetCheck(tree.ItemAt(11, 30), TRUE);
        DWORD words[12] = {};
        tree.Store(words);
        EXPECT_EQ(words[1], 0x1FFFFFFFu);
        EXPECT_EQ(words[11], 1u << 30);
        tree.Invert();
        tree.Store(words);
        EXPECT_EQ(words[1], 0u);
        EXPECT_FALSE(tree.GetCheck(tree.ItemAt(1)));
        EXPECT_TRUE(tree.GetCheck(tree.ItemAt(0)));
        // Loading ticks a parent when any of its days is.
        DWORD one[12] = {};
        one[4] = 1u << 9;
        tree.Load(one);
        EXPECT_TRUE(tree.GetCheck(tree.ItemAt(4)));
        EXPECT_TRUE(tree.GetCheck(tree.ItemAt(4, 9)));
        EXPECT_FALSE(tree.GetCheck(tree.ItemAt(3)));
    });
}

// Each kind's tree ticked as a user would, OK, and the event's days over 2024-2027 against
// python-dateutil's rrule (ten-day periods against their own model).
TEST_F(SheetEventTest, RulesTickedInTheSheetGiveTheDaysOfTheOracle) {
    struct Pick {
        int kind;
        int every;
        std::vector<std::pair<int, int>> items; // top item, child (-1 for none)
        bool fromEnd;
    };
    const Pick picks[] = {
        {CEventPeriodInfo::BY_WEEK, 2, {{0, -1}, {2, -1}}, false},           // Mon, Wed
        {CEventPeriodInfo::BY_WEEK, 1, {{6, -1}}, false},                    // Sun
        {CEventPeriodInfo::BY_MONTH, 1, {{0, -1}, {14, -1}, {30, -1}}, false}, // 1, 15, 31
        {CEventPeriodInfo::BY_MONTH, 3, {{0, -1}}, true},                    // the last day
        {CEventPeriodInfo::BY_SEASON, 1, {{0, 0}, {2, 30}}, false},
        {CEventPeriodInfo::BY_YEAR, 1, {{1, 28}, {11, 24}}, false},           // 2月29日, 12月25日
        {CEventPeriodInfo::BY_YEAR, 2, {{0, 0}}, false},
    };
    const CDate from(2024, 1, 1), to(2027, 12, 31);
    std::vector<OracleRule> rules;
    std::vector<std::set<int>> ours;
    for (const Pick& p : picks) {
        _CEvent event;
        event.SetName("规则");
        INT_PTR r = RunSheet(&event, nullptr, [&](CSheetEvent& s) {
            ClickBox(s.GetGeneralPage(), CPageEventGeneral::IDC_RECURRING);
            s.SelectPage(CSheetEvent::PagePeriod);
            ClickBox(s.GetPeriodPage(), CPageEventPeriod::IDC_KIND_FIRST + p.kind);
            EXPECT_EQ(s.GetPeriodPage().GetKind(), p.kind);
            CPageEventPeriodModeBase* mode = s.GetPeriodPage().GetModePage(p.kind);
            mode->SetDlgItemInt(CPageEventPeriodModeBase::IDC_EVERY, p.every, FALSE);
            for (auto [top, child] : p.items)
                mode->GetTree().SetCheck(mode->GetTree().ItemAt(top, child), TRUE);
            if (p.fromEnd)
                ClickBox(*mode, CPageEventPeriodModeBase::IDC_FROM_END);
            EXPECT_TRUE(PressOk(s));
        });
        ASSERT_EQ(r, IDOK);
        EXPECT_EQ(event.m_period.m_nKind, p.kind);
        EXPECT_EQ(event.m_period.m_nEvery, p.every);
        OracleRule rule;
        rule.rule = event.m_period;
        rules.push_back(rule);
        std::set<int> days;
        for (CDate d = from; d <= to; d.NextDay())
            if (event.OccursOn(d))
                days.insert(calendar_test::Ymd(d));
        ours.push_back(days);
        EXPECT_FALSE(days.empty());
    }
    std::vector<std::set<int>> oracle = AskOracle(rules, from, to, ::testing::TempDir());
    ASSERT_EQ(oracle.size(), ours.size());
    for (size_t i = 0; i < ours.size(); ++i)
        EXPECT_TRUE(ours[i] == oracle[i]) << "rule " << i;
}

TEST_F(SheetEventTest, AWeeklyTaskWithAReminderComesOutOfTheSheet) {
    _CEvent event;
    const CDate date(2024, 3, 18);
    INT_PTR r = RunSheet(&event, &date, [&](CSheetEvent& s) {
        s.GetGeneralPage().SetDlgItemText(CPageEventGeneral::IDC_TITLE, "周报");
        ClickBox(s.GetGeneralPage(), CPageEventGeneral::IDC_RECURRING);
        s.SelectPage(CSheetEvent::PageRemind);
        ClickBox(s.GetRemindPage(), CPageEventRemind::IDC_ENABLED);
        EXPECT_TRUE(Shown(s.GetRemindPage(), CPageEventRemind::IDC_MINUTES));
        s.GetRemindPage().SetDlgItemText(CPageEventRemind::IDC_HOURS, "0");
        s.GetRemindPage().SetDlgItemText(CPageEventRemind::IDC_MINUTES, "15");
        EXPECT_EQ(s.GetRemindPage().IsDlgButtonChecked(CPageEventRemind::IDC_POPUP), BST_CHECKED);
        s.SelectPage(CSheetEvent::PagePeriod);
        ClickBox(s.GetPeriodPage(), CPageEventPeriod::IDC_KIND_FIRST + (UINT)CEventPeriodInfo::BY_WEEK);
        CTreeEventSelectDays& tree =
            s.GetPeriodPage().GetModePage(CEventPeriodInfo::BY_WEEK)->GetTree();
        EXPECT_EQ(calendar_test::Text(tree.GetItemText(tree.ItemAt(0))), "星期一");
        tree.SetCheck(tree.ItemAt(4), TRUE); // Friday
        EXPECT_TRUE(PressOk(s));
    });
    ASSERT_EQ(r, IDOK);
    EXPECT_EQ(calendar_test::Text(event.GetTitle()), "周报");
    EXPECT_TRUE(event.IsRecurring());
    EXPECT_EQ(event.m_period.m_nKind, CEventPeriodInfo::BY_WEEK);
    EXPECT_EQ(event.m_period.m_values[0], 1u << 4);
    EXPECT_TRUE(event.OccursOn(CDate(2024, 3, 22)));
    EXPECT_FALSE(event.OccursOn(CDate(2024, 3, 21)));
    EXPECT_TRUE(event.m_remind.m_bEnabled);
    EXPECT_EQ(event.m_remind.m_nMode, CEventRemindInfo::MODE_ADVANCE);
    EXPECT_EQ(event.m_remind.m_when[1], 15);
    EXPECT_EQ(event.m_remind.m_nPopup, 0);
}

// Each kind of reminder, stored through the page and shown again by a second sheet: the advance
// as hours and minutes before the start, the fixed time as the picker's date, hour and minute.
TEST_F(SheetEventTest, EachKindOfReminderIsStoredAndShownAgain) {
    struct Case {
        bool fixed;
        int hour, minute; // fixed: the time of day; advance: the amount before the start
    };
    const Case cases[] = {{true, 14, 37}, {true, 9, 5}, {false, 2, 45}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.fixed ? "fixed " : "advance ") << c.hour << ":" << c.minute);
        _CEvent event;
        const CDate date(2024, 3, 18);
        const UINT kind = c.fixed ? CPageEventRemind::IDC_FIXED : CPageEventRemind::IDC_ADVANCE;
        INT_PTR r = RunSheet(&event, &date, [&](CSheetEvent& s) {
            s.GetGeneralPage().SetDlgItemText(CPageEventGeneral::IDC_TITLE, "复诊");
            s.SelectPage(CSheetEvent::PageRemind);
            CPageEventRemind& page = s.GetRemindPage();
            ClickBox(page, CPageEventRemind::IDC_ENABLED);
            ClickBox(page, kind);
            if (c.fixed) {
                auto* picker = dynamic_cast<CDateTimeCtrl*>(page.GetDlgItem(CPageEventRemind::IDC_WHEN));
                ASSERT_NE(picker, nullptr);
                ASSERT_TRUE(picker->IsWindowEnabled());
                SYSTEMTIME st{};
                st.wYear = 2024, st.wMonth = 3, st.wDay = 17, st.wHour = (WORD)c.hour, st.wMinute = (WORD)c.minute;
                ASSERT_TRUE(picker->SetTime(&st));
            } else {
                CString t;
                t.Format("%d", c.hour);
                page.SetDlgItemText(CPageEventRemind::IDC_HOURS, t);
                t.Format("%d", c.minute);
                page.SetDlgItemText(CPageEventRemind::IDC_MINUTES, t);
            }
            EXPECT_TRUE(PressOk(s));
        });
        ASSERT_EQ(r, IDOK);
        const CEventRemindInfo& stored = event.m_remind;
        EXPECT_TRUE(stored.m_bEnabled);
        if (c.fixed) {
            EXPECT_EQ(stored.m_nMode, CEventRemindInfo::MODE_FIXED);
            const int expected[6] = {2024, 3, 17, c.hour, c.minute, 0};
            for (int i = 0; i < 6; ++i)
                EXPECT_EQ(stored.m_when[i], expected[i]) << "field " << i;
        } else {
            EXPECT_EQ(stored.m_nMode, CEventRemindInfo::MODE_ADVANCE);
            EXPECT_EQ(stored.m_when[0], c.hour);
            EXPECT_EQ(stored.m_when[1], c.minute);
        }

        RunSheet(&event, nullptr, [&](CSheetEvent& s) {
            CPageEventRemind& page = s.GetRemindPage();
            EXPECT_EQ(page.IsDlgButtonChecked(kind), BST_CHECKED);
            if (c.fixed) {
                auto* picker = dynamic_cast<CDateTimeCtrl*>(page.GetDlgItem(CPageEventRemind::IDC_WHEN));
                ASSERT_NE(picker, nullptr);
                SYSTEMTIME st{};
                ASSERT_EQ(picker->GetTime(&st), (DWORD)GDT_VALID);
                EXPECT_EQ(st.wDay, 17);
                EXPECT_EQ(st.wHour, c.hour);
                EXPECT_EQ(st.wMinute, c.minute);
            } else {
                CString hours, minutes;
                page.GetDlgItemText(CPageEventRemind::IDC_HOURS, hours);
                page.GetDlgItemText(CPageEventRemind::IDC_MINUTES, minutes);
                EXPECT_EQ(atoi(hours), c.hour);
                EXPECT_EQ(atoi(minutes), c.minute);
            }
        });
    }
}

// ---- Filter dialog --------------------------------------------------------------------------

TEST_F(SheetEventTest, TheFilterDialogTurnsOffACriterionWithNoValueAndClearsAllButTheDate) {
    CTaskFilter filter;
    filter.SetCriteria(0x7F, CTaskFilter::BY_DATE | CTaskFilter::BY_STATUS);
    filter.SetChoice(CTaskFilter::BY_STATUS, 0x3);
    onDialog = [&](CDialog& d) {
        EXPECT_EQ(d.IsDlgButtonChecked(1024), BST_CHECKED);
        EXPECT_EQ(d.IsDlgButtonChecked(1207), BST_CHECKED);
        EXPECT_EQ(d.IsDlgButtonChecked(1274), BST_UNCHECKED);
        EXPECT_FALSE(d.GetDlgItem(1277)->IsWindowEnabled());
        ClickBox(d, 1276); // 按重要性筛选, no value ticked
        EXPECT_TRUE(d.GetDlgItem(1277)->IsWindowEnabled());
        ClickBox(d, 1280); // 按紧急性筛选 with 高
        ClickBox(d, 1283);
        d.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    };
    CDlgTaskFilter dlg(&filter);
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(filter.GetCriteria(), CTaskFilter::BY_DATE | CTaskFilter::BY_STATUS | CTaskFilter::BY_URGENCY);
    EXPECT_EQ(filter.GetChoice(CTaskFilter::BY_URGENCY), 0x4);

    onDialog = [&](CDialog& d) {
        ClickBox(d, CDlgTaskFilter::IDC_CLEAR);
        EXPECT_EQ(d.IsDlgButtonChecked(1024), BST_UNCHECKED);
        EXPECT_FALSE(d.GetDlgItem(1207)->IsWindowEnabled());
        d.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    };
    CDlgTaskFilter again(&filter);
    ASSERT_EQ(again.DoModal(), IDOK);
    EXPECT_EQ(filter.GetCriteria(), CTaskFilter::BY_DATE);
}

// ---- Events manager -------------------------------------------------------------------------

class RecordingSink : public CEventsManager::CSink {
public:
    CScheduleDoc* doc = nullptr;
    CScheduleDoc* GetDocumentOf(CScheduleElement*) override { return doc; }
    CScheduleDoc* GetDocumentOfGroup(CGroup*) override { return doc; }
};

TEST_F(SheetEventTest, TheEventsManagerCreatesNothingOnCancelAndMakesAnEditedReminderDueAgain) {
    CScheduleDoc doc;
    auto* group = new CScheduleGroup("工作");
    doc.GetRootGroup().AddSubgroup(group);
    RecordingSink sink;
    sink.doc = &doc;
    CEventsManager events;
    events.m_pSink = &sink;

    onDialog = [](CDialog& d) { d.EndDialog(IDCANCEL); };
    EXPECT_EQ(events.NewTask(group, &doc, nullptr, nullptr), nullptr);
    EXPECT_EQ(group->GetTaskHolder().GetSubgroupCount(), 0);

    onDialog = [&](CDialog& d) {
        auto& s = dynamic_cast<CSheetEvent&>(d);
        s.GetGeneralPage().SetDlgItemText(CPageEventGeneral::IDC_TITLE, "写报告");
        EXPECT_TRUE(PressOk(s));
    };
    const CDate date(2024, 3, 20);
    CTask* task = events.NewTask(group, &doc, nullptr, &date);
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(CEventsManager::GroupOf(task), group);
    EXPECT_EQ(doc.GetDayInfo(date, nullptr, TRUE), 1);
    // A sub-task under it, then the reminder given once and the task edited.
    CTask* sub = events.NewTask(task, &doc, task, nullptr);
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(CEventsManager::GroupOf(sub), group);
    task->GetEvent()->SetLastReminded(CDateTime(2024, 3, 20, 8, 0, 0));
    onDialog = [&](CDialog& d) {
        auto& s = dynamic_cast<CSheetEvent&>(d);
        EXPECT_EQ(calendar_test::Text([&] {
                      CString t;
                      s.GetGeneralPage().GetDlgItemText(CPageEventGeneral::IDC_TITLE, t);
                      return t;
                  }()),
                  "写报告");
        EXPECT_TRUE(PressOk(s));
    };
    EXPECT_TRUE(events.EditTask(task));
    CDateTime last;
    EXPECT_FALSE(task->GetEvent()->GetLastReminded(last));
    EXPECT_EQ(doc.GetDayInfo(date, nullptr, TRUE), 1);
    events.DeleteTask(task);
    EXPECT_EQ(group->GetTaskHolder().GetSubgroupCount(), 0);
    EXPECT_EQ(doc.GetDayInfo(date, nullptr, TRUE), 0);
}

TEST_F(SheetEventTest, ScreensOfEachPageTheYearTreeAndTheFilterDialog) {
    _CEvent event;
    event.SetName("每周例会");
    event.m_base.m_bRecurring = TRUE;
    event.m_remind.m_bEnabled = TRUE;
    event.m_period.m_nKind = CEventPeriodInfo::BY_WEEK;
    event.m_period.m_values[0] = 0x5;
    RunSheet(&event, nullptr, [&](CSheetEvent& s) {
        const char* names[] = {"event-sheet-general", "event-sheet-remind", "event-sheet-period",
                               "event-sheet-display"};
        for (int page = 0; page < 4; ++page) {
            s.SelectPage(page);
            Pump();
            EXPECT_TRUE(s.SaveScreenshot(ScreenPath(names[page]).c_str()));
        }
        const char* kinds[] = {"event-sheet-period-day", nullptr, "event-sheet-period-xun",
                               "event-sheet-period-month", "event-sheet-period-season",
                               "event-sheet-period-year"};
        for (int kind = 0; kind < 6; ++kind) {
            if (kinds[kind] == nullptr)
                continue;
            ClickBox(s.GetPeriodPage(), CPageEventPeriod::IDC_KIND_FIRST + kind);
            if (kind == CEventPeriodInfo::BY_YEAR) {
                CTreeEventSelectDays& tree = s.GetPeriodPage().GetModePage(kind)->GetTree();
                tree.Expand(tree.ItemAt(1), TVE_EXPAND);
                tree.EnsureVisible(tree.ItemAt(1, 28));
            }
            Pump();
            EXPECT_TRUE(s.SaveScreenshot(ScreenPath(kinds[kind]).c_str()));
        }
    });
    CTaskFilter filter;
    onDialog = [&](CDialog& d) {
        ClickBox(d, 1024);
        ClickBox(d, 1216);
        EXPECT_TRUE(d.SaveScreenshot(ScreenPath("task-filter").c_str()));
        d.EndDialog(IDCANCEL);
    };
    CDlgTaskFilter dlg(&filter);
    dlg.DoModal();
}

} // namespace
