#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "contacts/tests/ContactsTestSupport.h"
#include "contacts/ui/PSheetNamebook.h"
#include "contacts/ui/tests/SheetHost.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/tests/GuiTestSupport.h"

#include <QTest>

namespace {

using contacts_test::AddValue;

// The list buttons of the contact sheet open the page's list editor on the button's list; what
// the editor commits reaches the page and, through it, the contact.
class ListButtonsTest : public GuiTest {
protected:
    void SetUp() override {
        m_oldBox = AfxSetMessageBoxHook([this](const MessageBoxCall& call) {
            questions.push_back(call.text.GetString());
            return answer;
        });
        ASSERT_TRUE(OpenSheetInForm(form, sheet));
        AddValue(zhang.m_personal.qq, "阿三", "12345");
        AddValue(zhang.m_personal.email, "zhang@example.com");
        zhang.m_personal.email.SetCurrentIndex(0);
        AddValue(zhang.m_work.email, "zhang@corp.example.com");
        AddValue(li.m_personal.qq, "小李", "67890");
        li.m_personal.qq.SetCurrentIndex(0);
        Pump();
    }
    void TearDown() override {
        AfxSetMessageBoxHook(m_oldBox);
        sheet.DestroyWindow();
        form.DestroyWindow();
    }
    static void Press(CWnd& page, UINT id) {
        page.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                         (LPARAM)page.GetDlgItem((int)id)->m_hWnd);
    }
    // Types a row into the editor and adds it, without committing.
    static void AddRow(CDlgEditstrlist& editor, const char* first) {
        editor.SetDlgItemText(CDlgEditstrlist::IDC_FIRST, first);
        editor.SendMessage(WM_COMMAND, MAKEWPARAM(CDlgEditstrlist::IDC_ADD, BN_CLICKED),
                           (LPARAM)editor.GetDlgItem(CDlgEditstrlist::IDC_ADD)->m_hWnd);
    }
    static std::vector<std::string> Values(const CXStringList& list) {
        std::vector<std::string> out;
        for (POSITION pos = list.GetHeadPosition(); pos != nullptr;)
            out.push_back(list.GetNext(pos).GetValue(0).GetString());
        return out;
    }

    CWnd form;
    CPSheetNamebook sheet;
    _CPersonInfo zhang, li;
    std::vector<std::string> questions;
    int answer = IDYES;
    MessageBoxHook m_oldBox;
};

TEST_F(ListButtonsTest, EachButtonOpensItsListAndACommitReachesTheContact) {
    sheet.ExchangeContact(zhang, TRUE);
    sheet.SetAllPagesChanged(FALSE);
    CPagePerson& person = sheet.m_pagePerson;
    CDlgEditstrlist* editor = person.GetListEditor();
    ASSERT_NE(editor, nullptr);

    Press(person, CPagePerson::IDC_QQ_BUTTON);
    EXPECT_TRUE(editor->IsWindowVisible());
    EXPECT_EQ(editor->GetNoteColumn(), 2);
    ASSERT_EQ(editor->GetList().GetItemCount(), 1);
    EXPECT_EQ(std::string(editor->GetList().GetItemText(0, 1).GetString()), "12345");
    CString caption;
    editor->GetWindowText(caption);
    EXPECT_STREQ(caption, "QQ");

    Press(person, CPagePerson::IDC_EMAIL_BUTTON);
    EXPECT_EQ(editor->GetNoteColumn(), 1);
    CString link;
    editor->GetDlgItemText(CDlgEditstrlist::IDC_LINK, link);
    EXPECT_STREQ(link, "给他写信");
    AddRow(*editor, "san@example.com");
    EXPECT_TRUE(person.HasUnsavedListEdits());
    EXPECT_EQ(person.SendMessage(WM_QUERY_UNSAVED_LIST_EDITS, 0, 0), TRUE);
    EXPECT_FALSE(person.IsChanged());
    editor->SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                        (LPARAM)editor->GetDlgItem(IDOK)->m_hWnd);
    EXPECT_FALSE(person.HasUnsavedListEdits());
    EXPECT_TRUE(person.IsChanged());
    CString shown;
    person.GetDlgItemText(CPagePerson::IDC_EMAIL, shown);
    EXPECT_STREQ(shown, "zhang@example.com");

    _CPersonInfo out(zhang);
    sheet.ExchangeContact(out, FALSE);
    EXPECT_EQ(Values(out.m_personal.email),
              (std::vector<std::string>{"zhang@example.com", "san@example.com"}));

    // The work page has its own editor.
    CPageUnit& unit = sheet.m_pageUnit;
    sheet.SetActivePage(&unit);
    Press(unit, CPageUnit::IDC_EMAIL_BUTTON);
    ASSERT_NE(unit.GetListEditor(), nullptr);
    EXPECT_NE(unit.GetListEditor(), editor);
    EXPECT_EQ(unit.GetListEditor()->GetList().GetItemCount(), 1);
    EXPECT_FALSE(editor->IsWindowVisible());

    // Leaving the form hides the open editor; coming back shows it again.
    EXPECT_TRUE(unit.GetListEditor()->IsWindowVisible());
    sheet.ShowActiveListEditor(FALSE);
    EXPECT_FALSE(unit.GetListEditor()->IsWindowVisible());
    sheet.ShowActiveListEditor(TRUE);
    EXPECT_TRUE(unit.GetListEditor()->IsWindowVisible());
    // A closed editor stays closed.
    unit.GetListEditor()->SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                                      (LPARAM)unit.GetListEditor()->GetDlgItem(IDCANCEL)->m_hWnd);
    EXPECT_FALSE(unit.GetListEditor()->IsWindowVisible());
    sheet.ShowActiveListEditor(TRUE);
    EXPECT_FALSE(unit.GetListEditor()->IsWindowVisible());
}

// Rows typed for one contact never reach another contact's list; the same contact loaded again
// asks about them.
TEST_F(ListButtonsTest, UncommittedRowsNeverReachAnotherContact) {
    sheet.ExchangeContact(zhang, TRUE);
    CPagePerson& person = sheet.m_pagePerson;
    CDlgEditstrlist* editor = person.GetListEditor();
    Press(person, CPagePerson::IDC_QQ_BUTTON);
    AddRow(*editor, "三哥");
    ASSERT_TRUE(editor->IsDirty());

    sheet.ExchangeContact(li, TRUE);
    EXPECT_TRUE(questions.empty());
    EXPECT_FALSE(editor->IsDirty());
    ASSERT_EQ(editor->GetList().GetItemCount(), 1);
    EXPECT_EQ(std::string(editor->GetList().GetItemText(0, 1).GetString()), "67890");
    _CPersonInfo out;
    sheet.ExchangeContact(out, FALSE);
    EXPECT_EQ(Values(out.m_personal.qq), (std::vector<std::string>{"小李"}));

    AddRow(*editor, "李哥");
    answer = IDYES;
    sheet.ExchangeContact(li, TRUE, TRUE);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0], "QQ的数据已被修改，需要保存吗？");
    EXPECT_FALSE(editor->IsDirty());
    _CPersonInfo out2;
    sheet.ExchangeContact(out2, FALSE);
    EXPECT_EQ(Values(out2.m_personal.qq), (std::vector<std::string>{"小李", "李哥"}));
}

TEST_F(ListButtonsTest, ReadOnlyPagesKeepTheirEditorReadOnly) {
    sheet.ExchangeContact(zhang, TRUE);
    CPagePerson& person = sheet.m_pagePerson;
    person.SetReadOnly(TRUE);
    Press(person, CPagePerson::IDC_QQ_BUTTON);
    EXPECT_FALSE(person.GetListEditor()->GetDlgItem(CDlgEditstrlist::IDC_ADD)->IsWindowEnabled());
}

} // namespace

namespace {

// A value entered in a box whose list the editor shows becomes the editor's ticked row; a box
// the editor is not showing leaves the editor alone.
TEST_F(ListButtonsTest, AValueEnteredInTheBoxReachesTheEditorShowingItsList) {
    sheet.ExchangeContact(zhang, TRUE);
    CPagePerson& person = sheet.m_pagePerson;
    CDlgEditstrlist* editor = person.GetListEditor();
    Press(person, CPagePerson::IDC_EMAIL_BUTTON);
    auto enter = [&](UINT comboId, const char* text) {
        person.SetDlgItemText((int)comboId, text);
        NMHDR hdr{person.GetDlgItem((int)comboId)->m_hWnd, comboId, (UINT)NM_RETURN};
        person.SendMessage(WM_NOTIFY, comboId, (LPARAM)&hdr);
    };
    enter(CPagePerson::IDC_QQ, "99999");
    EXPECT_EQ(editor->GetList().GetItemCount(), 1);
    enter(CPagePerson::IDC_EMAIL, "new@example.com");
    ASSERT_EQ(editor->GetList().GetItemCount(), 2);
    EXPECT_TRUE(editor->GetList().GetCheck(1));
    EXPECT_FALSE(editor->IsDirty());
    EXPECT_TRUE(person.IsChanged());
    _CPersonInfo out;
    sheet.ExchangeContact(out, FALSE);
    EXPECT_EQ(Values(out.m_personal.email),
              (std::vector<std::string>{"zhang@example.com", "new@example.com"}));
    EXPECT_EQ(out.m_personal.email.GetCurrentIndex(), 1);
}

} // namespace

namespace {

// Enter typed in a box's edit, as the user presses it: the box takes the text as a new value and
// tells its page, which hands it to the editor showing that list or else keeps it in the
// contact's list. A text the list already has adds nothing.
TEST_F(ListButtonsTest, EnterInABoxAddsItsTextAsTheCurrentValue) {
    sheet.ExchangeContact(zhang, TRUE);
    sheet.SetAllPagesChanged(FALSE);
    CPagePerson& person = sheet.m_pagePerson;
    CDlgEditstrlist* editor = person.GetListEditor();
    Press(person, CPagePerson::IDC_QQ_BUTTON);
    form.SetForegroundWindow();
    auto enter = [&](UINT comboId, const char* text) {
        CWnd* box = person.GetDlgItem((int)comboId);
        box->SetFocus();
        box->SetWindowText("");
        QTest::keyClicks(box->GetWidget(), text);
        QTest::keyClick(box->GetWidget(), Qt::Key_Return);
        Pump();
    };
    enter(CPagePerson::IDC_QQ, "abc");
    ASSERT_EQ(editor->GetList().GetItemCount(), 2);
    EXPECT_EQ(std::string(editor->GetList().GetItemText(1, 0).GetString()), "abc");
    EXPECT_TRUE(editor->GetList().GetCheck(1));
    EXPECT_FALSE(editor->IsDirty());
    EXPECT_TRUE(person.IsChanged());

    // A box the editor does not show: its list takes the value.
    person.SetChanged(FALSE);
    enter(CPagePerson::IDC_MOBILES, "13900000000");
    EXPECT_TRUE(person.IsChanged());
    EXPECT_EQ(editor->GetList().GetItemCount(), 2) << "the editor keeps showing the QQ list";
    const int mobiles = person.GetMultiValueCombo(CPagePerson::IDC_MOBILES)->GetCount();
    enter(CPagePerson::IDC_MOBILES, "13900000000");
    EXPECT_EQ(person.GetMultiValueCombo(CPagePerson::IDC_MOBILES)->GetCount(), mobiles);

    _CPersonInfo out(zhang);
    sheet.ExchangeContact(out, FALSE);
    EXPECT_EQ(Values(out.m_personal.qq), (std::vector<std::string>{"阿三", "abc"}));
    EXPECT_EQ(out.m_personal.qq.GetCurrentIndex(), 1);
    EXPECT_EQ(Values(out.m_personal.mobiles), (std::vector<std::string>{"13900000000"}));
    EXPECT_EQ(out.m_personal.mobiles.GetCurrentIndex(), 0);
}

} // namespace
