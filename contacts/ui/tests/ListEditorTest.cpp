#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <string>
#include <vector>

#include "contacts/tests/ContactsTestSupport.h"
#include "contacts/ui/DlgEditstrlist.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/ShellServices.h"
#include "platform/gui/tests/GuiTestSupport.h"

namespace {

using contacts_test::AddValue;

// The page's part: records what the editor reports and, like a page, writes the rows back on a
// commit.
class CEditorOwner : public CWnd {
public:
    std::vector<WPARAM> notices;
    CDlgEditstrlist* pEditor = nullptr;
    LRESULT OnNotice(WPARAM wParam, LPARAM) {
        notices.push_back(wParam);
        if (wParam == CDlgEditstrlist::NOTIFY_COMMITTED && pEditor)
            pEditor->Reload(FALSE);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CEditorOwner, CWnd)
ON_MESSAGE(WM_LIST_EDITOR_NOTIFY, &CEditorOwner::OnNotice)
END_MESSAGE_MAP()

class ListEditorTest : public GuiTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(owner.CreateEx(0, nullptr, "page", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                                   nullptr, nullptr));
        owner.pEditor = &editor;
        m_oldBox = AfxSetMessageBoxHook([this](const MessageBoxCall& call) {
            questions.push_back(call.text.GetString());
            return answer;
        });
        m_oldOpen = AfxSetShellOpenHook([this](const std::string& url) {
            opened.push_back(url);
            return true;
        });
        AddValue(qq, "10001", "小明");
        AddValue(qq, "20002", "阿强");
        qq.ElementAt(1, 1) = "阿强\n大学同学";
        qq.SetCurrentIndex(1);
        AddValue(mail, "a@example.com");
        AddValue(mail, "b@example.com");
        mail.SetCurrentIndex(0);
        ASSERT_TRUE(editor.Create());
        editor.ShowWindow(SW_SHOW);
        Pump();
    }
    void TearDown() override {
        AfxSetMessageBoxHook(m_oldBox);
        AfxSetShellOpenHook(m_oldOpen);
        if (editor.m_hWnd)
            editor.DestroyWindow();
        owner.DestroyWindow();
    }
    void EditQq() { editor.Configure(TRUE, "QQ", "QQ号码", "昵称", "QQ号码:", &qq, 0); }
    void EditMail() {
        editor.Configure(FALSE, "电子信箱", "电子信箱", nullptr, "信箱:", &mail,
                         CDlgEditstrlist::LINK_MAIL);
    }
    std::vector<std::string> Row(int row) {
        std::vector<std::string> cells;
        for (int c = 0; c <= editor.GetNoteColumn(); ++c)
            cells.push_back(editor.GetList().GetItemText(row, c).GetString());
        return cells;
    }
    BOOL Ticked(int row) { return editor.GetList().GetCheck(row); }
    void Click(UINT id) {
        editor.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                           (LPARAM)editor.GetDlgItem((int)id)->m_hWnd);
    }
    void SetText(UINT id, const char* text) { editor.SetDlgItemText((int)id, text); }
    BOOL Enabled(UINT id) { return editor.GetDlgItem((int)id)->IsWindowEnabled(); }
    void Select(int row) {
        CListCtrl& list = editor.GetList();
        for (int i = 0; i < list.GetItemCount(); ++i)
            list.SetItemState(i, 0, LVIS_SELECTED | LVIS_FOCUSED);
        list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }

    CEditorOwner owner;
    CDlgEditstrlist editor{&owner};
    CXStringList qq{2};
    CXStringList mail{1};
    std::vector<std::string> questions;
    std::vector<std::string> opened;
    int answer = IDYES;
    MessageBoxHook m_oldBox;
    ShellOpenHook m_oldOpen;
};

TEST_F(ListEditorTest, TwoColumnRowsShowValuesNotesAndTheTick) {
    EditQq();
    Pump();
    ASSERT_EQ(editor.GetList().GetItemCount(), 2);
    EXPECT_EQ(editor.GetNoteColumn(), 2);
    EXPECT_EQ(Row(0), (std::vector<std::string>{"10001", "小明", ""}));
    EXPECT_EQ(Row(1), (std::vector<std::string>{"20002", "阿强", "大学同学"}));
    EXPECT_FALSE(Ticked(0));
    EXPECT_TRUE(Ticked(1));
    EXPECT_TRUE(editor.GetDlgItem(CDlgEditstrlist::IDC_SECOND)->IsWindowVisible());
    EXPECT_FALSE(editor.GetDlgItem(CDlgEditstrlist::IDC_LINK)->IsWindowVisible());
    EXPECT_FALSE(Enabled(IDOK));
    // The first edit stays left of the second value's label.
    EXPECT_LT(RectIn(editor.GetDlgItem(CDlgEditstrlist::IDC_FIRST), &editor).right,
              RectIn(editor.GetDlgItem(CDlgEditstrlist::IDC_SECOND_LABEL), &editor).left);
    EXPECT_GT(RectIn(editor.GetDlgItem(CDlgEditstrlist::IDC_FIRST), &editor).Width(), 60);
    CString text;
    editor.GetDlgItemText(CDlgEditstrlist::IDC_NOTE, text);
    EXPECT_EQ(std::string(text.GetString()), "大学同学");

    QDir().mkpath(QUILLMAR_SCREENS_DIR);
    EXPECT_TRUE(editor.GetWidget()->grab().toImage().save(
        QString::fromStdString(ScreenPath("contact-list-editor-qq")), "PNG"));

    // Unchanged rows go back byte for byte, the note after its newline.
    const CXStringList before = qq;
    editor.Reload(FALSE);
    ASSERT_EQ(qq.GetCount(), 2);
    EXPECT_EQ(std::string(qq.GetValue(1, 1).GetString()), "阿强");
    EXPECT_EQ(std::string(qq.ElementAt(1, 1).GetString()),
              std::string(before.GetValue(1, 1).GetString()) + "\n大学同学");
    EXPECT_EQ(qq.GetCurrentIndex(), 1);

    // Switching to one column drops the second column and shows the link button.
    EditMail();
    Pump();
    EXPECT_EQ(editor.GetNoteColumn(), 1);
    EXPECT_EQ(Row(0), (std::vector<std::string>{"a@example.com", ""}));
    EXPECT_TRUE(Ticked(0));
    EXPECT_FALSE(editor.GetDlgItem(CDlgEditstrlist::IDC_SECOND)->IsWindowVisible());
    CString link;
    editor.GetDlgItemText(CDlgEditstrlist::IDC_LINK, link);
    EXPECT_EQ(std::string(link.GetString()), "给他写信");
}

TEST_F(ListEditorTest, TheTickMovesButIsNeverRemoved) {
    EditQq();
    editor.GetList().SetCheck(1, FALSE);
    EXPECT_TRUE(Ticked(1));
    EXPECT_FALSE(editor.IsDirty());
    editor.GetList().SetCheck(0, TRUE);
    EXPECT_TRUE(Ticked(0));
    EXPECT_FALSE(Ticked(1));
    EXPECT_EQ(editor.GetDefaultRow(), 0);
    EXPECT_TRUE(editor.IsDirty());
    EXPECT_TRUE(Enabled(IDOK));
    Click(IDOK);
    EXPECT_EQ(owner.notices, (std::vector<WPARAM>{CDlgEditstrlist::NOTIFY_COMMITTED}));
    EXPECT_EQ(qq.GetCurrentIndex(), 0);
    EXPECT_FALSE(Enabled(IDOK));
    EXPECT_TRUE(editor.IsWindowVisible());
}

TEST_F(ListEditorTest, AddChangeAndDeleteRows) {
    EditQq();
    SetText(CDlgEditstrlist::IDC_FIRST, "30003");
    SetText(CDlgEditstrlist::IDC_SECOND, "小红");
    SetText(CDlgEditstrlist::IDC_NOTE, "邻居");
    Click(CDlgEditstrlist::IDC_ADD);
    ASSERT_EQ(editor.GetList().GetItemCount(), 3);
    EXPECT_EQ(Row(2), (std::vector<std::string>{"30003", "小红", "邻居"}));
    EXPECT_TRUE(editor.IsDirty());

    Select(0);
    SetText(CDlgEditstrlist::IDC_SECOND, "明明");
    Click(CDlgEditstrlist::IDC_CHANGE);
    EXPECT_EQ(Row(0), (std::vector<std::string>{"10001", "明明", ""}));

    // Deleting the ticked row leaves no preferred value.
    Select(1);
    Click(CDlgEditstrlist::IDC_DELETE);
    ASSERT_EQ(editor.GetList().GetItemCount(), 2);
    EXPECT_EQ(editor.GetDefaultRow(), -1);
    Click(IDOK);
    ASSERT_EQ(qq.GetCount(), 2);
    EXPECT_EQ(std::string(qq.GetValue(0, 1).GetString()), "明明");
    EXPECT_EQ(std::string(qq.ElementAt(1, 1).GetString()), "小红\n邻居");
    EXPECT_EQ(qq.GetCurrentIndex(), -1);
}

TEST_F(ListEditorTest, DeletingARowAboveTheTickKeepsTheTickedValue) {
    EditQq();
    Select(0);
    Click(CDlgEditstrlist::IDC_DELETE);
    EXPECT_EQ(editor.GetDefaultRow(), 0);
    Click(IDOK);
    ASSERT_EQ(qq.GetCount(), 1);
    EXPECT_EQ(qq.GetCurrentIndex(), 0);
    EXPECT_EQ(std::string(qq.GetValue(0, 0).GetString()), "20002");
}

TEST_F(ListEditorTest, ClosingAsksAboutUncommittedRows) {
    struct Case {
        int answer;
        bool stillOpen;
        int valuesAfter;
        std::vector<WPARAM> notices;
    };
    const Case cases[] = {
        {IDCANCEL, true, 2, {}},
        {IDNO, false, 2, {CDlgEditstrlist::NOTIFY_CLOSED}},
        {IDYES, false, 3, {CDlgEditstrlist::NOTIFY_COMMITTED, CDlgEditstrlist::NOTIFY_CLOSED}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        editor.ShowWindow(SW_SHOW);
        editor.Detach();
        EditQq();
        owner.notices.clear();
        questions.clear();
        SetText(CDlgEditstrlist::IDC_FIRST, "40004");
        Click(CDlgEditstrlist::IDC_ADD);
        answer = c.answer;
        Click(IDCANCEL);
        ASSERT_EQ(questions.size(), 1u);
        EXPECT_EQ(questions[0], "QQ的数据已被修改，需要保存吗？");
        EXPECT_EQ(bool(editor.IsWindowVisible()), c.stillOpen);
        EXPECT_EQ(editor.GetList().GetItemCount(), 3);
        EXPECT_EQ(qq.GetCount(), c.valuesAfter);
        EXPECT_EQ(owner.notices, c.notices);
        if (c.answer == IDYES)
            qq.RemoveAt(qq.FindIndex(2));
    }
}

// Rows made on one contact's list never reach another list: switching lists asks first, and the
// owner dropping the list (another contact loaded) drops them silently.
TEST_F(ListEditorTest, UncommittedRowsStayWithTheirOwnList) {
    EditQq();
    SetText(CDlgEditstrlist::IDC_FIRST, "40004");
    Click(CDlgEditstrlist::IDC_ADD);
    answer = IDCANCEL;
    EditMail();
    EXPECT_EQ(editor.GetEditedList(), &qq);
    EXPECT_EQ(editor.GetList().GetItemCount(), 3);

    answer = IDYES;
    EditMail();
    EXPECT_EQ(editor.GetEditedList(), &mail);
    EXPECT_EQ(qq.GetCount(), 3);
    EXPECT_EQ(mail.GetCount(), 2);
    qq.RemoveAt(qq.FindIndex(2));

    SetText(CDlgEditstrlist::IDC_FIRST, "c@example.com");
    Click(CDlgEditstrlist::IDC_ADD);
    questions.clear();
    editor.Detach();
    EXPECT_TRUE(questions.empty());
    EXPECT_FALSE(editor.IsDirty());
    EXPECT_EQ(mail.GetCount(), 2);
    EditQq();
    EXPECT_EQ(editor.GetList().GetItemCount(), 2);
    EXPECT_EQ(qq.GetCount(), 2);

    // The same list reloaded asks; No keeps the list as it was.
    SetText(CDlgEditstrlist::IDC_FIRST, "50005");
    Click(CDlgEditstrlist::IDC_ADD);
    answer = IDNO;
    editor.Reload(TRUE);
    EXPECT_EQ(questions.size(), 1u);
    EXPECT_EQ(editor.GetList().GetItemCount(), 2);
    EXPECT_EQ(qq.GetCount(), 2);
}

TEST_F(ListEditorTest, AddValueAppendsTicksAndCommits) {
    EditMail();
    editor.AddValue("new@example.com", TRUE);
    ASSERT_EQ(mail.GetCount(), 3);
    EXPECT_EQ(std::string(mail.GetCurrentValue().GetString()), "new@example.com");
    EXPECT_TRUE(Ticked(2));
    EXPECT_FALSE(Ticked(0));
    EXPECT_FALSE(editor.IsDirty());
}

TEST_F(ListEditorTest, TheLinkButtonOpensOnlyAValue) {
    EditMail();
    SetText(CDlgEditstrlist::IDC_FIRST, "");
    Click(CDlgEditstrlist::IDC_LINK);
    EXPECT_TRUE(opened.empty());
    SetText(CDlgEditstrlist::IDC_FIRST, "a b@example.com");
    Click(CDlgEditstrlist::IDC_LINK);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], "mailto:a%20b@example.com");

    editor.Configure(FALSE, "主页", "主页", nullptr, "主页:", &qq, CDlgEditstrlist::LINK_WEB);
    SetText(CDlgEditstrlist::IDC_FIRST, "www.example.com");
    Click(CDlgEditstrlist::IDC_LINK);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1], "http://www.example.com");
}

TEST_F(ListEditorTest, ReadOnlyEditorOffersNoChanges) {
    editor.SetReadOnly(TRUE);
    EditQq();
    EXPECT_FALSE(Enabled(CDlgEditstrlist::IDC_ADD));
    EXPECT_FALSE(Enabled(CDlgEditstrlist::IDC_CHANGE));
    EXPECT_FALSE(Enabled(CDlgEditstrlist::IDC_DELETE));
    EXPECT_TRUE(editor.GetDlgItem(CDlgEditstrlist::IDC_FIRST)->GetStyle() & ES_READONLY);
}

} // namespace
