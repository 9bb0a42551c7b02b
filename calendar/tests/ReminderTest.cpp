// The reminder's tick under a pinned clock, with a schedule document as its sink, stand-ins for
// the timer and the prompt windows, and sounds played into ALSA's file plugin.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "calendar/Reminder.h"
#include "calendar/ScheduleDoc.h"
#include "calendar/tests/CalendarTestSupport.h"
#include "platform/sys/Sound.h"
#include "platform/sys/WaveFile.h"

using namespace calendar_test;

namespace {

class RecordingWindows : public CReminder::IPromptWindows {
public:
    std::vector<std::string> texts;
    BOOL bCanCreate = TRUE;
    BOOL ShowPromptWindow(LPCTSTR lpszText) override {
        if (!bCanCreate)
            return FALSE;
        texts.push_back(lpszText);
        return TRUE;
    }
};

class RecordingTimer : public CReminder::ITimer {
public:
    std::vector<UINT> started;
    int stopped = 0;
    void StartTimer(UINT nPeriod) override { started.push_back(nPeriod); }
    void StopTimer() override { ++stopped; }
};

// The schedule tree's part: asks its document, remembers the outcomes.
class DocSink : public CReminder::ISink {
public:
    explicit DocSink(CScheduleDoc& doc) : m_doc(doc) {}
    std::vector<std::pair<int, CScheduleElement*>> results;
    void GetDuePrompts(CReminder::CPromptList& list, const CDateTime& now) override {
        m_doc.CollectDuePrompts(list, now);
    }
    void OnPromptResult(int nResult, CScheduleElement* pElement) override {
        results.emplace_back(nResult, pElement);
    }

private:
    CScheduleDoc& m_doc;
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class ReminderTest : public CalendarTest {
protected:
    void SetUp() override {
        CalendarTest::SetUp();
        // The shipped sounds in the test's program folder.
        std::filesystem::create_directories(m_dir.path() / "Sound");
        std::filesystem::copy_file(std::filesystem::path(QUILLMAR_SOURCE_DIR) /
                                       "res/app/Sound/WAVE0025.wav",
                                   m_dir.path() / "Sound" / "WAVE0025.wav");
        m_out = m_dir.str() + "/out.raw";
        SetSoundDeviceForTesting(("file:'" + m_out + "',raw").c_str());
        reminder.SetSink(&sink);
        reminder.SetTimerOwner(&timer);
        reminder.SetPromptWindows(&windows);
        group = new CScheduleGroup("组");
        doc.GetRootGroup().AddSubgroup(group);
    }
    void TearDown() override {
        PlaySound(nullptr, nullptr, 0);
        WaitForSoundIdleForTesting(10000);
        SetSoundDeviceForTesting(nullptr);
        CalendarTest::TearDown();
    }
    _CEvent* AddFixed(const char* title, int h, int m, int popup, int sound, int source) {
        _CEvent* e = MakeEvent(title, CDateTime(2024, 3, 15, 10, 0, 0), CDateTime(2024, 3, 15, 11, 0, 0));
        e->m_remind.m_bEnabled = TRUE;
        e->m_remind.m_nMode = CEventRemindInfo::MODE_FIXED;
        int when[6] = {2024, 3, 15, h, m, 0};
        std::copy(when, when + 6, e->m_remind.m_when);
        e->m_remind.m_nPopup = popup;
        e->m_remind.m_nSound = sound;
        e->m_remind.m_nSoundSource = source;
        group->AddContent(e, FALSE);
        doc.IndexEvent(e);
        return e;
    }
    void TickAt(int h, int m, int s) {
        PinLocal(2024, 3, 15, h, m, s);
        reminder.Check();
    }
    std::string Played() {
        EXPECT_TRUE(WaitForSoundIdleForTesting(10000));
        return ReadAll(m_out);
    }
    static std::string SamplesOf(const std::string& path) {
        SWaveData wave;
        EXPECT_TRUE(ReadWaveFile(path.c_str(), wave)) << path;
        return wave.samples;
    }

    CScheduleDoc doc;
    CScheduleGroup* group = nullptr;
    DocSink sink{doc};
    RecordingTimer timer;
    RecordingWindows windows;
    CReminder reminder;
    std::string m_out;
};

} // namespace

TEST_F(ReminderTest, StartsItsTimerAndPromptsOnceAtTheRightTick) {
    reminder.Start();
    EXPECT_EQ(timer.started, std::vector<UINT>{5000});
    _CEvent* e = AddFixed("交周报", 10, 0, 0, 0, 0);
    TickAt(9, 59, 54);
    EXPECT_TRUE(windows.texts.empty());
    TickAt(9, 59, 55);
    ASSERT_EQ(windows.texts.size(), 1u);
    EXPECT_EQ(windows.texts[0], "任务执行提醒：\n交周报\n执行时间：\n2024- 3-15 10:00");
    ASSERT_EQ(sink.results.size(), 1u);
    EXPECT_EQ(sink.results[0].first, 1);
    EXPECT_EQ(sink.results[0].second, e->GetScheduleElement());
    TickAt(10, 0, 0);
    TickAt(23, 59, 59);
    EXPECT_EQ(windows.texts.size(), 1u);
    EXPECT_EQ(reminder.GetPending().GetCount(), 0);
    CDateTime last;
    ASSERT_TRUE(e->GetLastReminded(last));
    EXPECT_EQ(last, CDateTime(2024, 3, 15, 9, 59, 55));
    reminder.Stop();
    EXPECT_EQ(timer.stopped, 1);
}

TEST_F(ReminderTest, ASoundOnlyPromptPlaysTheStandardSoundAndOpensNoWindow) {
    AddFixed("只响铃", 10, 0, -1, 1, 0);
    TickAt(10, 0, 0);
    EXPECT_TRUE(windows.texts.empty());
    EXPECT_EQ(sink.results.size(), 1u);
    std::string want = SamplesOf(m_dir.str() + "/Sound/WAVE0025.wav");
    ASSERT_GT(want.size(), 1000u);
    EXPECT_TRUE(Played() == want);
}

TEST_F(ReminderTest, TheStandardSourcePlaysTheStandardSoundEvenWhenAFileIsNamed) {
    // A sound of its own, a second of silence.
    std::string own = m_dir.str() + "/own.wav";
    {
        std::string data(16000, '\0');
        std::string fmt = std::string("\x01\x00\x01\x00\x40\x1f\x00\x00\x80\x3e\x00\x00\x02\x00\x10\x00", 16);
        std::string body = "WAVEfmt " + std::string("\x10\x00\x00\x00", 4) + fmt + "data" +
                           std::string("\x80\x3e\x00\x00", 4) + data;
        uint32_t size = (uint32_t)body.size();
        std::ofstream(own, std::ios::binary)
            << "RIFF" << std::string(reinterpret_cast<const char*>(&size), 4) << body;
    }
    _CEvent* standard = AddFixed("标准", 10, 0, -1, 1, 0);
    standard->m_remind.m_strSoundFile = own.c_str();
    TickAt(10, 0, 0);
    EXPECT_TRUE(Played() == SamplesOf(m_dir.str() + "/Sound/WAVE0025.wav"));
    _CEvent* custom = AddFixed("自定义", 11, 0, -1, 1, -1);
    custom->m_remind.m_strSoundFile = own.c_str();
    TickAt(11, 0, 0);
    EXPECT_TRUE(Played() == SamplesOf(own));
}

TEST_F(ReminderTest, APromptWindowThatCannotBeMadeIsSkipped) {
    windows.bCanCreate = FALSE;
    AddFixed("甲", 10, 0, 0, 0, 0);
    AddFixed("乙", 10, 0, 0, 0, 0);
    TickAt(10, 0, 0);
    EXPECT_EQ(sink.results.size(), 2u); // both prompts went on and were reported
}

TEST_F(ReminderTest, AnOwnSoundWithNoFileNameAfterAReloadPlaysTheStandardSound) {
    // The file keeps no sound file name: what was read back asks for its own sound, unnamed.
    AddFixed("读回的", 10, 0, -1, 1, -1);
    TickAt(10, 0, 0);
    EXPECT_TRUE(Played() == SamplesOf(m_dir.str() + "/Sound/WAVE0025.wav"));
}

namespace {
// A sink whose outcome handling runs the timer again, as a message loop inside it would.
class ReenteringSink : public DocSink {
public:
    ReenteringSink(CScheduleDoc& doc, CReminder& reminder) : DocSink(doc), m_reminder(reminder) {}
    int reentered = 0;
    void OnPromptResult(int nResult, CScheduleElement* pElement) override {
        DocSink::OnPromptResult(nResult, pElement);
        ++reentered;
        m_reminder.Check();
    }

private:
    CReminder& m_reminder;
};
} // namespace

TEST_F(ReminderTest, ATickDuringThePromptsIsSkippedAndTheListStaysWhole) {
    ReenteringSink reentering(doc, reminder);
    reminder.SetSink(&reentering);
    AddFixed("甲", 10, 0, 0, 0, 0);
    AddFixed("乙", 10, 0, 0, 0, 0);
    TickAt(10, 0, 0);
    EXPECT_EQ(reentering.reentered, 2);
    EXPECT_EQ(reentering.results.size(), 2u);
    EXPECT_EQ(windows.texts.size(), 2u);
    EXPECT_FALSE(reminder.IsChecking());
    reminder.SetSink(&sink);
}
