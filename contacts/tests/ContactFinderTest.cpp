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

// Find-all and the step-by-step find against a walk written out here on its own: the group
// first (when groups are searched), then its contacts in order (a link by its source, a link
// without one never), then its sub-groups in order, passing over locked ones below the top.
class FindOrderTest : public ContactsTest {
protected:
    struct Item {
        CObject* pItem;
        std::string fields;
        bool operator==(const Item& o) const { return pItem == o.pItem && fields == o.fields; }
    };

    void SetUp() override {
        ContactsTest::SetUp();
        const char* const names[] = {"张三", "李四", "王五", "赵六", "北京人", "Zhang"};
        _CPerson* first = AddPerson(m_root, "张一");
        AddFieldText(*first, PF_NOTE, "北京路1号");
        AddPerson(m_root, "李二")->GetBirthday().SetBirthday(1980, 5, 21, FALSE, TRUE);
        auto* school = AddGroup(m_root, "北京同学");
        for (int i = 0; i < 30; ++i) {
            _CPerson* p = AddPerson(*school, names[i % 6]);
            if (i % 4 == 0)
                AddFieldText(*p, PF_HOME_ADDRESS, "北京市人民路12号");
            if (i % 5 == 0)
                p->GetBirthday().SetBirthday(1990, 5, 18 + i % 7, FALSE, TRUE);
        }
        auto* small = AddGroup(*school, "一班");
        AddFieldText(*AddPerson(*small, "王北"), PF_NOTE, "北京");
        AddGroup(*small, "空组");
        auto* locked = AddGroup(*school, "北京锁");
        AddFieldText(*AddPerson(*locked, "张锁"), PF_NOTE, "北京");
        locked->ModifyFlags(0, CGroup::FLAG_PASSWORD | CGroup::FLAG_LOCKED);
        // A group large enough that resuming by index would be seen to repeat or skip.
        auto* large = AddGroup(m_root, "大组");
        for (int i = 0; i < 400; ++i) {
            _CPerson* p = AddPerson(*large, names[(i * 7) % 6]);
            if (i % 9 == 0)
                AddFieldText(*p, PF_NOTE, "来自北京");
            if (i % 11 == 0)
                p->GetBirthday().SetBirthday(1975, 5, 20, FALSE, TRUE);
        }
        // Links at the top: one to a contact in the large group, one whose source is gone.
        POSITION pos = large->GetFirstPersonPosition();
        auto* link = static_cast<_CPerson*>(large->GetNextPerson(pos)->CreateVirtualCopy());
        m_root.AddContent(link, FALSE, nullptr, TRUE, TRUE);
        auto* dangling = new _CPerson("北京断链");
        dangling->SetVirtualLink("不存在", nullptr);
        m_root.AddContent(dangling, FALSE, nullptr, TRUE, TRUE);
    }

    static _CGroup* AddGroup(_CGroup& parent, const char* name) {
        auto* g = new _CGroup(name);
        parent.AddSubgroup(g, FALSE, nullptr, TRUE, TRUE);
        return g;
    }

    static std::string Fields(CObject* pItem, const CSearchItemArray& hits) {
        SFindResult r;
        r.pItem = pItem;
        r.hits.Copy(hits);
        return GetFindResultFieldNames(r).GetString();
    }

    // What the finder should give, by the independent walk.
    void Expected(_CGroup& group, bool top, const SFindCriteria& c, std::vector<Item>& out) {
        if (!top && group.IsLocked())
            return;
        const bool initials = c.nMode == SFindCriteria::MODE_INITIALS;
        const bool birthday = c.nMode == SFindCriteria::MODE_BIRTHDAY;
        bool anyPerson = false;
        for (DWORD m : c.personMasks)
            anyPerson = anyPerson || m != 0;
        const bool groups = !birthday && (c.dwGroupMask != 0 || (initials && !anyPerson));
        const bool persons = birthday || anyPerson || (initials && c.dwGroupMask == 0);
        CString text = c.strText;
        if (initials)
            text.MakeUpper();
        if (groups) {
            CSearchItemArray hits;
            if (initials ? group.MatchNameInitials(text) >= 0
                         : group.SearchInfoFields(text, c.dwGroupMask, hits, c.bMatchCase))
                out.push_back({&group, Fields(&group, hits)});
        }
        if (persons) {
            for (POSITION pos = group.GetFirstPersonPosition(); pos != nullptr;) {
                _CPerson* p = group.GetNextPerson(pos);
                _CPerson* target =
                    p->IsVirtual() ? dynamic_cast<_CPerson*>(p->GetVirtualSource()) : p;
                if (target == nullptr)
                    continue;
                CSearchItemArray hits;
                bool match = birthday  ? target->IsBirthdayInRange(c.from, c.to, c.bIgnoreYear,
                                                                   hits) != FALSE
                             : initials ? target->MatchNameInitials(text) >= 0
                                        : target->Search(text, c.personMasks, hits,
                                                         c.bMatchCase) != FALSE;
                if (match)
                    out.push_back({p, Fields(p, hits)});
            }
        }
        for (POSITION pos = group.GetFirstSubgroupPosition(); pos != nullptr;)
            Expected(*group.GetNextGroup(pos), false, c, out);
    }

    std::vector<Item> Run(const SFindCriteria& c, BOOL bAll, BOOL bRestart) {
        std::vector<Item> items;
        m_finder.Find(c, bAll, bRestart, [&](std::unique_ptr<SFindResult> r) {
            items.push_back({r->pItem, Fields(r->pItem, r->hits)});
        });
        return items;
    }

    _CGroup m_root{""};
    CContactFinder m_finder{&m_root};
};

TEST_F(FindOrderTest, FindAllAndSteppingGiveTheWalkOrderFromAnyResumePoint) {
    struct Case {
        const char* label;
        SFindCriteria::Mode mode;
        const char* text;
        bool persons;
        DWORD groupMask;
        BOOL matchCase;
    };
    const Case cases[] = {
        {"text in contacts and group names", SFindCriteria::MODE_TEXT, "北京", true, GP_NAME, FALSE},
        {"text in contacts only", SFindCriteria::MODE_TEXT, "人民路1", true, 0, FALSE},
        {"group names only", SFindCriteria::MODE_TEXT, "组", false, GP_NAME, FALSE},
        {"no hit", SFindCriteria::MODE_TEXT, "不存在的", true, GP_NAME, FALSE},
        {"case matters", SFindCriteria::MODE_TEXT, "zhang", true, 0, TRUE},
        {"case ignored", SFindCriteria::MODE_TEXT, "zhang", true, 0, FALSE},
        {"initials, names of both", SFindCriteria::MODE_INITIALS, "bj", false, 0, FALSE},
        {"initials of contacts", SFindCriteria::MODE_INITIALS, "z", true, 0, FALSE},
        {"initials, no hit", SFindCriteria::MODE_INITIALS, "uv", true, 0, FALSE},
        {"birthdays", SFindCriteria::MODE_BIRTHDAY, "", true, 0, FALSE},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.label);
        SFindCriteria c;
        c.nMode = k.mode;
        c.strText = k.text;
        if (k.persons)
            for (int g = 0; g < kPersonGroupCount; ++g)
                c.personMasks[g] = GetPersonGroupFullMask(kPersonGroupOrder[g]);
        c.dwGroupMask = k.groupMask;
        c.bMatchCase = k.matchCase;
        c.from = CDate(2024, 5, 19);
        c.to = CDate(2024, 5, 21);

        std::vector<Item> expected;
        Expected(m_root, true, c, expected);
        EXPECT_EQ(expected, Run(c, TRUE, TRUE));

        // One item per call up to the end, where the search has nothing more.
        std::vector<Item> stepped = Run(c, FALSE, TRUE);
        while (!stepped.empty()) {
            std::vector<Item> next = Run(c, FALSE, FALSE);
            if (next.empty())
                break;
            stepped.push_back(next[0]);
            ASSERT_LE(stepped.size(), expected.size() + 1);
        }
        EXPECT_EQ(expected, stepped);

        // Find-all after some steps takes exactly the rest.
        for (size_t k2 : {size_t(1), expected.size() / 2, expected.size()}) {
            if (k2 == 0 || k2 > expected.size())
                continue;
            Run(c, FALSE, TRUE);
            for (size_t i = 1; i < k2; ++i)
                Run(c, FALSE, FALSE);
            std::vector<Item> rest = Run(c, TRUE, FALSE);
            EXPECT_EQ(std::vector<Item>(expected.begin() + (long)k2, expected.end()), rest)
                << "after " << k2 << " steps";
            // The search is then at its end: the next call starts from the top again.
            std::vector<Item> again = Run(c, FALSE, FALSE);
            EXPECT_EQ(std::vector<Item>(expected.begin(), expected.begin() + 1), again);
        }
    }
}

// Stepping resumes in a group at the index after the last hit, and keeps where it stopped so
// that it need not count from the group's first contact again. Whatever happens to the group
// between two steps, the next step must give what resuming at that index in the group as it is
// now gives: edits of contacts are seen, and a list that gained or lost contacts (the one found
// last included) is counted afresh.
TEST_F(FindOrderTest, SteppingSeesEditsBetweenSteps) {
    SFindCriteria c;
    c.nMode = SFindCriteria::MODE_TEXT;
    c.strText = "北京";
    for (int g = 0; g < kPersonGroupCount; ++g)
        c.personMasks[g] = GetPersonGroupFullMask(kPersonGroupOrder[g]);
    auto matches = [&](_CPerson* p) {
        CSearchItemArray hits;
        return p->Search(c.strText, c.personMasks, hits, FALSE) != FALSE;
    };
    auto personAt = [](_CGroup& g, int index) {
        POSITION pos = g.GetContentList().FindIndex(index);
        return static_cast<_CPerson*>(g.GetContentList().GetAt(pos));
    };
    enum Edit { NoteAfter, NoteRemovedFromNext, AddedAtHead, RemovedAtHead, FoundOneRemoved,
                AddedBehind };
    for (Edit edit : {NoteAfter, NoteRemovedFromNext, AddedAtHead, RemovedAtHead, FoundOneRemoved,
                      AddedBehind}) {
        SCOPED_TRACE(testing::Message() << "edit " << edit);
        _CGroup root("");
        auto* large = new _CGroup("大组");
        root.AddSubgroup(large, FALSE, nullptr, TRUE, TRUE);
        for (int i = 0; i < 200; ++i) {
            _CPerson* p = AddPerson(*large, "张三");
            if (i % 9 == 0)
                AddFieldText(*p, PF_NOTE, "来自北京");
        }
        CContactFinder finder(&root);
        auto step = [&](BOOL bRestart) {
            CObject* pFound = nullptr;
            finder.Find(c, FALSE, bRestart,
                        [&](std::unique_ptr<SFindResult> r) { pFound = r->pItem; });
            return pFound;
        };
        // Five hits in: the one found last is at index 36.
        CObject* pFifth = step(TRUE);
        for (int i = 1; i < 5; ++i)
            pFifth = step(FALSE);
        ASSERT_EQ(personAt(*large, 36), pFifth);
        switch (edit) {
        case NoteAfter:
            AddFieldText(*personAt(*large, 38), PF_NOTE, "北京");
            break;
        case NoteRemovedFromNext:
            personAt(*large, 45)->SetFieldText(PF_NOTE, "无关", TRUE, 0, "\n", "-");
            break;
        case AddedAtHead:
            AddFieldText(*static_cast<_CPerson*>(large->GetContentList().GetAt(
                             large->AddContent(new _CPerson("李四"), FALSE, nullptr, FALSE))),
                         PF_NOTE, "北京");
            break;
        case RemovedAtHead:
            large->RemoveContentAt(large->GetFirstContentPosition(), TRUE);
            break;
        case FoundOneRemoved:
            large->RemoveContentAt(large->GetContentList().FindIndex(36), TRUE);
            break;
        case AddedBehind:
            AddFieldText(*static_cast<_CPerson*>(large->GetContentList().GetAt(
                             large->AddContent(new _CPerson("李四"), FALSE,
                                               large->GetContentList().FindIndex(36), TRUE))),
                         PF_NOTE, "北京");
            break;
        }
        // The next step resumes at index 37 of the group as it now is.
        _CPerson* pWant = nullptr;
        for (int i = 37; i < large->GetContentList().GetCount() && pWant == nullptr; ++i)
            if (matches(personAt(*large, i)))
                pWant = personAt(*large, i);
        ASSERT_NE(nullptr, pWant);
        EXPECT_EQ(pWant, step(FALSE));
        // And the step after it as well.
        _CPerson* pThen = nullptr;
        int at = 0;
        for (POSITION pos = large->GetFirstContentPosition(); pos != nullptr; ++at)
            if (large->GetNextPerson(pos) == pWant)
                break;
        for (int i = at + 1; i < large->GetContentList().GetCount() && pThen == nullptr; ++i)
            if (matches(personAt(*large, i)))
                pThen = personAt(*large, i);
        EXPECT_EQ(pThen, step(FALSE));
    }
}
