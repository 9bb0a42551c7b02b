#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "contacts/ContactFinder.h"
#include "contacts/tests/ContactsTestSupport.h"

namespace {

using contacts_test::AddFieldText;
using contacts_test::ContactsTest;

class ContactFinderTest : public ContactsTest {
protected:
    void SetUp() override {
        ContactsTest::SetUp();
        AddFieldText(*AddPerson(m_root, "张一"), PF_NOTE, "北京");
        m_sub = new _CGroup("北京同学");
        m_root.AddSubgroup(m_sub, FALSE, nullptr, TRUE, TRUE);
        _CPerson* z2 = AddPerson(*m_sub, "张二");
        AddFieldText(*z2, PF_MOBILE, "13800138000");
        z2->GetBirthday().SetBirthday(1990, 5, 20, FALSE, TRUE);
        AddPerson(*m_sub, "李三")->GetBirthday().SetBirthday(1985, 5, 25, FALSE, TRUE);
        AddPerson(*m_sub, "张四");
    }

    // Names of the items found, one call of Find.
    std::vector<std::string> Run(const SFindCriteria& criteria, BOOL bAll, BOOL bRestart) {
        std::vector<std::string> names;
        m_finder.Find(criteria, bAll, bRestart, [&](std::unique_ptr<SFindResult> r) {
            names.push_back(std::string(static_cast<CGroupItem*>(
                                            r->bPerson ? static_cast<CGroupItem*>(
                                                             static_cast<_CPerson*>(r->pItem))
                                                       : static_cast<_CGroup*>(r->pItem))
                                            ->GetName()
                                            .GetString()) +
                            (r->bPerson ? "" : "/") + ":" +
                            GetFindResultFieldNames(*r).GetString());
        });
        return names;
    }

    _CGroup m_root{""};
    _CGroup* m_sub = nullptr;
    CContactFinder m_finder{&m_root};
};

TEST_F(ContactFinderTest, NextMovesOnByItselfAndAllTakesTheRest) {
    SFindCriteria c;
    c.strText = "北京";
    c.personMasks[0] = GetPersonGroupFullMask(PFG_BASIC);
    c.personMasks[4] = GetPersonGroupFullMask(PFG_OTHER);
    c.dwGroupMask = GP_NAME;
    EXPECT_EQ((std::vector<std::string>{"张一:附注"}), Run(c, FALSE, TRUE));
    EXPECT_EQ((std::vector<std::string>{"北京同学/:姓名"}), Run(c, FALSE, FALSE));
    EXPECT_TRUE(Run(c, FALSE, FALSE).empty()) << "nothing else matches";

    c.strText = "张";
    EXPECT_EQ((std::vector<std::string>{"张一:姓名"}), Run(c, FALSE, TRUE));
    EXPECT_EQ((std::vector<std::string>{"张二:姓名", "张四:姓名"}), Run(c, TRUE, FALSE));
    // Started again, the search finds the first contact once more.
    EXPECT_EQ(3u, Run(c, TRUE, TRUE).size());
}

TEST_F(ContactFinderTest, InitialsFindNamesWithoutAnyFieldTicked) {
    SFindCriteria c;
    c.nMode = SFindCriteria::MODE_INITIALS;
    c.strText = "bj";
    EXPECT_EQ((std::vector<std::string>{"北京同学/:"}), Run(c, TRUE, TRUE));
    c.strText = "z";
    EXPECT_EQ(3u, Run(c, TRUE, TRUE).size());
    // A text search with no field ticked finds nothing.
    SFindCriteria none;
    none.strText = "张";
    EXPECT_TRUE(Run(none, TRUE, TRUE).empty());
}

TEST_F(ContactFinderTest, BirthdaysWithinTheRange) {
    SFindCriteria c;
    c.nMode = SFindCriteria::MODE_BIRTHDAY;
    c.from = CDate(2024, 5, 18);
    c.to = CDate(2024, 5, 22);
    EXPECT_EQ((std::vector<std::string>{"张二:生日"}), Run(c, TRUE, TRUE));
    c.to = CDate(2024, 5, 31);
    EXPECT_EQ((std::vector<std::string>{"张二:生日"}), Run(c, FALSE, TRUE));
    EXPECT_EQ((std::vector<std::string>{"李三:生日"}), Run(c, FALSE, FALSE));
    c.bIgnoreYear = FALSE;
    EXPECT_TRUE(Run(c, TRUE, TRUE).empty());
}

} // namespace
