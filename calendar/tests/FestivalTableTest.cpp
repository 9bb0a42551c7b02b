// Festival files and lookups: every kind of entry, the eves, leap months, the movable feasts
// (Easter against python-dateutil), damaged lines, and the shipped files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "calendar/FestivalTable.h"
#include "calendar/tests/CalendarTestSupport.h"

using namespace calendar_test;

namespace {

class FestivalTableTest : public CalendarTest {
protected:
    // Writes a festival file (the literals are GBK already) and loads it.
    void Load(const std::string& text, const char* name = "f.txt") {
        std::string path = m_dir.str() + "/" + name;
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
        ASSERT_TRUE(table.LoadFile(path.c_str()));
    }
    std::vector<std::string> Solar(const CDate& d) {
        CStringList solar, lunar;
        table.GetFestivals(d, solar, lunar);
        return Names(solar);
    }
    std::vector<std::string> Lunar(const CDate& d) {
        CStringList solar, lunar;
        table.GetFestivals(d, solar, lunar);
        return Names(lunar);
    }
    static std::vector<std::string> Names(const CStringList& list) {
        std::vector<std::string> out;
        for (POSITION pos = list.GetHeadPosition(); pos != nullptr;)
            out.push_back(Text(list.GetNext(pos)));
        return out;
    }
    // Every date of a year on which the lunar names include the name.
    std::vector<CDate> LunarDaysOf(int year, const std::string& name) {
        std::vector<CDate> days;
        for (CDate d(year, 1, 1); d.GetYear() == year; d.NextDay()) {
            for (const std::string& n : Lunar(d))
                if (n == name)
                    days.push_back(d);
        }
        return days;
    }

    CFestivalTable table;
};

using V = std::vector<std::string>;

} // namespace

TEST_F(FestivalTableTest, EntriesOfEverySectionNameTheirDays) {
    Load("0101,元旦  // 新年\n"
         "0300,二月末\n"
         "[SolarWeek]\n0520,母亲节\n1144,感恩节\n"
         "[SolarAntiWeek]\n0511,阵亡将士纪念日\n"
         "[Lunar]\n0100,除夕\n0815,中秋节\n"
         "[Other]\n0102,仍属农历\n");
    Load("  0101,新年,其余不计  \n", "g.txt");
    EXPECT_EQ(Solar(CDate(2024, 1, 1)), (V{"元旦", "新年"}));
    EXPECT_EQ(Solar(CDate(2024, 2, 29)), V{"二月末"});
    EXPECT_EQ(Solar(CDate(2023, 2, 28)), V{"二月末"});
    EXPECT_EQ(Solar(CDate(2024, 5, 12)), V{"母亲节"});
    EXPECT_EQ(Solar(CDate(2024, 5, 5)), V{});
    EXPECT_EQ(Solar(CDate(2024, 11, 28)), V{"感恩节"});
    EXPECT_EQ(Solar(CDate(2024, 11, 21)), V{});
    EXPECT_EQ(Solar(CDate(2024, 5, 27)), V{"阵亡将士纪念日"});
    EXPECT_EQ(Solar(CDate(2025, 5, 26)), V{"阵亡将士纪念日"});
    EXPECT_EQ(Solar(CDate(2024, 5, 20)), V{});
    // The eve of the lunar year, whether the twelfth month has 29 or 30 days.
    EXPECT_EQ(Lunar(CDate(2024, 2, 9)), V{"除夕"});
    EXPECT_EQ(Lunar(CDate(2025, 1, 28)), V{"除夕"});
    EXPECT_EQ(Lunar(CDate(2024, 9, 17)), V{"中秋节"});
    EXPECT_EQ(Lunar(CDate(2024, 2, 11)), V{"仍属农历"}); // an unknown section keeps [Lunar]
    CStringList all;
    EXPECT_EQ(table.GetFestivals(CDate(2024, 1, 1), all), 2);
}

TEST_F(FestivalTableTest, LeapMonthsHaveNoFestivalsAndNoSecondEve) {
    // Lunar 2023 repeats its second month.
    ASSERT_EQ(CDate::GetLunarLeapMonth(2023), 2);
    Load("[Lunar]\n0215,二月十五\n0200,二月前夕\n");
    EXPECT_EQ(LunarDaysOf(2023, "二月十五"), std::vector<CDate>{CDate(2023, 3, 6)});
    EXPECT_EQ(LunarDaysOf(2023, "二月前夕"), std::vector<CDate>{CDate(2023, 2, 19)});
}

TEST_F(FestivalTableTest, EasterAgreesWithDateutilAndBlackFridaysAreEveryFridayThe13th) {
    test_folders::TempDir dir;
    std::string out = dir.str() + "/easter.txt";
    std::string command = std::string(QUILLMAR_PYTHON) +
                          " -c \"from dateutil.easter import easter\n"
                          "for y in range(1901, 2051): print(easter(y).strftime('%Y %m %d'))\" > " +
                          out;
    ASSERT_EQ(std::system(command.c_str()), 0) << "python3 with python3-dateutil is needed";
    std::ifstream in(out);
    int year, month, day, n = 0;
    while (in >> year >> month >> day) {
        EXPECT_EQ(CFestivalTable::GetEasterDate(year), CDate(year, month, day)) << year;
        ++n;
    }
    EXPECT_EQ(n, 150);
    EXPECT_TRUE(CFestivalTable::GetEasterDate(1900).IsNull());
    EXPECT_TRUE(CFestivalTable::GetEasterDate(2051).IsNull());

    Load("[Easter]复活节\n[BlackFri] 黑色星期五\n0401,愚人节\n");
    EXPECT_EQ(Solar(CDate(2021, 4, 4)), V{"复活节"});
    EXPECT_EQ(Solar(CDate(2024, 3, 31)), V{"复活节"});
    EXPECT_EQ(Solar(CDate(2024, 4, 1)), V{"愚人节"}); // the section line kept [Solar]
    int fridays = 0;
    for (CDate d(2024, 1, 1); d.GetYear() == 2024; d.NextDay())
        fridays += !Solar(d).empty() && Solar(d).back() == "黑色星期五";
    EXPECT_EQ(fridays, 2); // September and December
}

TEST_F(FestivalTableTest, DamagedLinesAddNothingHarmful) {
    std::string huge(200000, 'x');
    Load("101,太短\n0102,\n0103, \n\n// 注释\n[\n[Solar\nab04,坏月份\n0105\n"
         "01" + std::string("\0", 1) + "06,含零\n0107,有效\n99" + huge + "," + huge + "\n" +
         "0108," + huge + "\n");
    EXPECT_EQ(Solar(CDate(2024, 1, 1)), V{});
    EXPECT_EQ(Solar(CDate(2024, 1, 2)), V{});
    EXPECT_EQ(Solar(CDate(2024, 1, 3)), V{});
    EXPECT_EQ(Solar(CDate(2024, 1, 6)), V{});
    EXPECT_EQ(Solar(CDate(2024, 1, 7)), V{"有效"});
    ASSERT_EQ(Solar(CDate(2024, 1, 8)).size(), 1u);
    EXPECT_EQ(Solar(CDate(2024, 1, 8))[0].size(), huge.size());
    EXPECT_FALSE(table.LoadFile((m_dir.str() + "/missing.txt").c_str()));
}

TEST_F(FestivalTableTest, EveryShippedEntryLineYieldsAName) {
    const std::filesystem::path folder =
        std::filesystem::path(QUILLMAR_SOURCE_DIR) / "res/app/Calendar/Festivals";
    int files = 0, lines = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        ++files;
        std::ifstream in(entry.path(), std::ios::binary);
        std::string line, section = "[Solar]";
        bool namesSources = false;
        while (std::getline(in, line)) {
            if (line.rfind("//", 0) == 0) {
                namesSources |= line.find("来源") != std::string::npos;
                continue;
            }
            if (line.empty())
                continue;
            if (line[0] == '[') {
                section = line;
                continue;
            }
            ++lines;
            CFestivalTable one;
            std::string path = m_dir.str() + "/one.txt";
            std::ofstream(path, std::ios::binary | std::ios::trunc) << section << "\n" << line;
            ASSERT_TRUE(one.LoadFile(path.c_str()));
            EXPECT_EQ(one.GetEntryCount(), 1) << entry.path() << ": " << line;
        }
        EXPECT_TRUE(namesSources) << entry.path();
    }
    EXPECT_EQ(files, 3);
    EXPECT_GT(lines, 40);

    // Loaded from the program folder as the calendar does.
    std::filesystem::create_directories(m_dir.path() / "Calendar");
    std::filesystem::copy(folder, m_dir.path() / "Calendar" / "Festivals");
    EXPECT_EQ(table.LoadProgramFolder(), 3);
    struct Row {
        CDate date;
        V names;
    } rows[] = {
        {CDate(2024, 2, 9), {"除夕"}},      {CDate(2024, 2, 10), {"春节"}},
        {CDate(2024, 10, 1), {"国庆节"}},   {CDate(2024, 5, 12), {"母亲节", "护士节"}},
        {CDate(2024, 3, 31), {"复活节"}},   {CDate(2024, 6, 16), {"父亲节"}},
        {CDate(2024, 6, 10), {"端午节"}},   {CDate(2024, 3, 8), {"妇女节"}},
    };
    for (const Row& row : rows) {
        CStringList names;
        table.GetFestivals(row.date, names);
        V got = Names(names);
        for (const std::string& want : row.names)
            EXPECT_NE(std::find(got.begin(), got.end(), want), got.end())
                << row.date.GetMonth() << "-" << row.date.GetDay() << " " << want;
    }
}
