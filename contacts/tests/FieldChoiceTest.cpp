#include <gtest/gtest.h>

#include <vector>

#include "contacts/FieldChoice.h"

namespace {

struct Fields : CArray<int, int> {
    Fields(std::initializer_list<int> list) {
        for (int f : list)
            Add(f);
    }
};

class FieldChoiceTest : public ::testing::Test {
protected:
    CPersonFieldSource m_source;
    CFieldChoice m_choice;
    void Init(std::initializer_list<int> chosen) {
        m_choice.Init(&m_source, CPersonFieldSource::kPositions, Fields(chosen));
    }
};

TEST_F(FieldChoiceTest, DamagedListLosesFieldsTheSourceCannotPlace) {
    // A profile edited by hand or damaged: numbers outside the table and a repeated field.
    Init({0, 5, 999, -3, 47, 5, 13});
    EXPECT_EQ((std::vector<int>{0, 5, 13}), m_choice.GetChosen());
    const std::vector<int> available = m_choice.GetAvailable();
    EXPECT_EQ(44u, available.size());
    EXPECT_EQ(1, available.front());
    EXPECT_EQ(46, available.back());
}

TEST_F(FieldChoiceTest, AddsAtTheEndBeforeOrAfterTheInsertionPoint) {
    struct Case {
        int at, mode;
        std::vector<int> want, added;
    } cases[] = {
        {-1, CFieldChoice::INSERT_AFTER, {0, 5, 6, 3, 7}, {3, 4}},
        {2, CFieldChoice::INSERT_BEFORE, {0, 5, 3, 7, 6}, {2, 3}},
        {1, CFieldChoice::INSERT_AFTER, {0, 5, 3, 7, 6}, {2, 3}},
        {0, CFieldChoice::INSERT_BEFORE, {3, 7, 0, 5, 6}, {0, 1}},
    };
    for (const Case& c : cases) {
        Init({0, 5, 6});
        EXPECT_EQ(c.added, m_choice.Add({3, 7}, c.at, c.mode)) << c.at << "/" << c.mode;
        EXPECT_EQ(c.want, m_choice.GetChosen()) << c.at << "/" << c.mode;
    }
}

TEST_F(FieldChoiceTest, RemovesAnyFieldIncludingTheName) {
    Init({0, 5, 6, 13});
    m_choice.Remove({0, 2});
    EXPECT_EQ((std::vector<int>{5, 13}), m_choice.GetChosen());
    EXPECT_EQ(0, m_choice.GetAvailable().front());
}

TEST_F(FieldChoiceTest, SelectedRunsMoveOnePlaceAsABlock) {
    Init({0, 5, 6, 13});
    EXPECT_EQ((std::vector<int>{0, 1}), m_choice.MoveUp({1, 2}));
    EXPECT_EQ((std::vector<int>{5, 6, 0, 13}), m_choice.GetChosen());
    EXPECT_EQ((std::vector<int>{2, 3}), m_choice.MoveDown({1, 2}));
    EXPECT_EQ((std::vector<int>{5, 13, 6, 0}), m_choice.GetChosen());
    // At the edge nothing moves past the end.
    EXPECT_EQ((std::vector<int>{0, 1}), m_choice.MoveUp({0, 1}));
    EXPECT_EQ((std::vector<int>{5, 13, 6, 0}), m_choice.GetChosen());
}

} // namespace
