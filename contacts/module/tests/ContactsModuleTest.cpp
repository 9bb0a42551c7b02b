// The address book in the running program: the application started offscreen in folders of its
// own with the module registered, books opened by extension, new and saved through the frame's
// commands, and the close of the program asking for modified books.
#include "contacts/PersonDoc.h"
#include "contacts/SmsDoc.h"
#include "contacts/module/ContactsModule.h"
#include "contacts/module/tests/ProgramTest.h"
#include "contacts/ui/FormNamebook.h"
#include "contacts/ui/LeftView.h"
#include "contacts/ui/ViewPersonList.h"
#include "platform/base/Profile.h"
#include "platform/base/tests/TempFolder.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/HeaderCtrl.h"
#include "platform/gui/Menu.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/ToolBar.h"
#include "platform/gui/TrayIcon.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "shell/MainFrm.h"
#include "shell/OutbarWnd.h"
#include "shell/OptionPages.h"
#include "shell/RightPaneFrame.h"
#include "shell/SheetOption.h"
#include "shell/SmsApp.h"
#include "ui/tests/CmdUIProbe.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTimeEdit>
#include <QGuiApplication>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

class ContactsModuleTest : public ContactsProgramTest {
protected:
    ContactsModuleTest() : ContactsProgramTest(IDOK) {}
};

} // namespace

TEST_F(ContactsModuleTest, TheFirstFolderOpensCreatesSavesAndClosesBooks) {
    auto app = Start();
    ASSERT_TRUE(app);
    CMainFrame* frame = app->GetMainFrame();
    CLeftView* tree = module.GetTree();
    ASSERT_NE(tree, nullptr) << "the first folder is the address-book tree";
    EXPECT_EQ(frame->GetOutbar()->GetFolderWnd(FolderAddressBook), tree);

    // Opened by extension as the program opens the files it is given.
    CString a = WriteBook("family.sms", "我的通讯录", "王芳");
    CString b = WriteBook("school.sms", "同学", "小明");
    EXPECT_NE(frame->OpenFileByExtension(a), nullptr);
    EXPECT_NE(frame->OpenFileByExtension(b), nullptr);
    ASSERT_EQ(tree->GetFileCount(), 2);
    EXPECT_EQ(frame->GetOutbar()->GetSelFolder(), FolderAddressBook);

    // A damaged book: the document's message in a box, no root.
    CString bad = (dir.str() + "/bad.sms").c_str();
    std::ofstream(bad.GetString(), std::ios::binary) << std::string(64, '\x5a');
    shown.clear();
    EXPECT_EQ(frame->OpenFileByExtension(bad), nullptr);
    EXPECT_EQ(tree->GetFileCount(), 2);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].text.Find("打开文档失败。"), -1) << shown[0].text.GetString();

    // New through the frame's command: a third book, modified and without a path.
    frame->SendMessage(WM_COMMAND, CGroupTreeView::ID_FILE_NEW, 0);
    tree->GetTreeCtrl().EndEditLabelNow(FALSE);
    ASSERT_EQ(tree->GetFileCount(), 3);
    CQuillmarBaseDoc* fresh = tree->GetFileAt(2)->pDoc;
    EXPECT_TRUE(fresh->IsModified());
    tree->GetTreeCtrl().SelectItem(tree->GetFileAt(0)->hItem);
    tree->SendMessage(WM_GROUPVIEW_MODIFIED);
    tree->GetTreeCtrl().Expand(tree->GetFileAt(0)->hItem, TVE_EXPAND);

    // A group shows its contacts in the right pane's list, in the default columns.
    auto* docA = static_cast<CSmsDoc*>(tree->GetFileAt(0)->pDoc);
    CObject* family = docA->GetRootGroup().FindByName("家人", TRUE, FALSE, TRUE);
    ASSERT_NE(family, nullptr);
    tree->GetTreeCtrl().SelectItem((HTREEITEM) dynamic_cast<CGroupItem*>(family)->GetTreeItem());
    auto* list = dynamic_cast<CViewPersonList*>(frame->GetRightPane()->GetCurrentView());
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->GetListCtrl().GetItemCount(), 1);
    EXPECT_EQ(list->GetListCtrl().GetItemText(0, 0), "王芳");
    EXPECT_EQ(list->GetColumnFields().GetSize(), 9);
    EXPECT_EQ(app->m_options.m_namebook.m_fieldList.GetSize(), 9);
    Pump();
    frame->SaveScreenshot(ScreenPath("contacts-folder-three-books").c_str());

    // Saving the new book through the frame asks where and writes it.
    tree->GetTreeCtrl().SelectItem(tree->GetFileAt(2)->hItem);
    CString saved = (dir.str() + "/new.sms").c_str();
    AnswerFile(saved);
    frame->SendMessage(WM_COMMAND, CGroupTreeView::ID_FILE_SAVE, 0);
    EXPECT_FALSE(fresh->IsModified());
    EXPECT_EQ(fresh->GetPathName(), saved);
    onDialog = nullptr;

    // Closing the program asks for the modified book; Cancel keeps everything open.
    shown.clear();
    answers = {IDCANCEL};
    EXPECT_FALSE(Exit(*app));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "是否保存对 我的通讯录 的更改?");
    EXPECT_EQ(tree->GetFileCount(), 3);

    // No: the books close unsaved and the program ends.
    shown.clear();
    answers = {IDNO};
    EXPECT_TRUE(Exit(*app));
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_EQ(module.GetTree(), nullptr);
}

TEST_F(ContactsModuleTest, AContactShowsItsFormWhichKeepsTheSelectionWhileEditsAreUnsaved) {
    FamilyBook b = StartWithFamilyBook();
    ASSERT_NE(b.person, nullptr);
    auto& app = b.app;
    CMainFrame* frame = b.frame;
    CTreeCtrl& ctrl = b.tree->GetTreeCtrl();
    CSmsDoc* doc = b.doc;
    _CGroup* family = b.family;
    _CPerson* person = b.person;
    person->GetInfo().m_personal.strNickname = "芳芳";
    const HTREEITEM hPerson = (HTREEITEM)person->GetTreeItem();
    const HTREEITEM hFamily = (HTREEITEM)family->GetTreeItem();
    ASSERT_NE(hPerson, nullptr);
    auto text = [](CWnd* w) {
        CString t;
        w->GetWindowText(t);
        return t;
    };
    ctrl.SelectItem(hPerson);
    Pump();

    // The contact's form, its sheet filled from the contact and nothing to save.
    auto* form = dynamic_cast<CFormNamebook*>(frame->GetRightPane()->GetCurrentView());
    ASSERT_NE(form, nullptr);
    CPSheetNamebook& sheet = form->GetSheet();
    ASSERT_NE(sheet.GetSafeHwnd(), nullptr);
    EXPECT_EQ(form->GetPerson(), person);
    EXPECT_EQ(sheet.GetActiveIndex(), (int)CPSheetNamebook::PAGE_PERSON);
    CWnd* name = sheet.m_pagePerson.GetDlgItem(CPagePerson::IDC_NAME);
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(text(name), "王芳");
    EXPECT_FALSE(form->IsEditModified());
    frame->SaveScreenshot(ScreenPath("contacts-form").c_str());

    // An edit: the tree may not leave the contact; the user is told to save first.
    name->SetWindowText("王小芳");
    EXPECT_TRUE(form->IsEditModified());
    shown.clear();
    ctrl.SelectItem(hFamily);
    EXPECT_EQ(ctrl.GetSelectedItem(), hPerson);
    EXPECT_EQ(frame->GetRightPane()->GetCurrentView(), form);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "目前的联系人有数据被修改，请先保存！");
    EXPECT_EQ(person->GetName(), "王芳");

    // Confirmed: written into the contact, the book and the item follow, the form may be left.
    CTime::SetNowForTesting(1700000000);
    form->SendMessage(WM_COMMAND, CFormNamebook::ID_CONFIRM_EDIT, 0);
    CTime::ResetNowForTesting();
    EXPECT_EQ(person->GetName(), "王小芳");
    EXPECT_EQ(person->GetInfo().m_personal.strNickname, "芳芳");
    EXPECT_EQ(person->GetModifiedTime().GetTime(), 1700000000);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(ctrl.GetItemText((HTREEITEM)person->GetTreeItem()), "王小芳");
    EXPECT_FALSE(form->IsEditModified());

    // Discarding asks first; No keeps the edit, Yes reloads the contact.
    name = sheet.m_pagePerson.GetDlgItem(CPagePerson::IDC_NAME);
    name->SetWindowText("张三");
    shown.clear();
    answers = {IDNO, IDYES};
    form->SendMessage(WM_COMMAND, CFormNamebook::ID_DISCARD_EDIT, 0);
    EXPECT_TRUE(form->IsEditModified());
    form->SendMessage(WM_COMMAND, CFormNamebook::ID_DISCARD_EDIT, 0);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "您真的想放弃修改吗？");
    EXPECT_FALSE(form->IsEditModified());
    EXPECT_EQ(text(name), "王小芳");
    EXPECT_EQ(person->GetName(), "王小芳");

    // Resizing fits the page in place: an open certificate dialog on the other page stays.
    sheet.SetActivePage((int)CPSheetNamebook::PAGE_OTHER);
    sheet.m_pageOther.OnNew();
    ASSERT_NE(sheet.m_pageOther.GetCertificateDialog(), nullptr);
    CRect before;
    sheet.m_pageOther.GetWindowRect(&before);
    CRect rc;
    form->GetWindowRect(&rc);
    form->SetWindowPos(nullptr, 0, 0, rc.Width() + 120, rc.Height() + 80,
                       SWP_NOMOVE | SWP_NOZORDER);
    Pump();
    EXPECT_EQ(sheet.GetActiveIndex(), (int)CPSheetNamebook::PAGE_OTHER);
    EXPECT_NE(sheet.m_pageOther.GetCertificateDialog(), nullptr);
    CRect after;
    sheet.m_pageOther.GetWindowRect(&after);
    EXPECT_EQ(after.Width(), before.Width() + 120);
    EXPECT_EQ(after.Height(), before.Height() + 80);
    if (CEditCertificateDlg* d = sheet.m_pageOther.GetCertificateDialog())
        d->SendMessage(WM_COMMAND, IDCANCEL, 0);
    sheet.SetActivePage((int)CPSheetNamebook::PAGE_PERSON);

    // A field shown from elsewhere brings its page forward.
    form->SendMessage(CFormNamebook::WM_SHOW_FIELD, 43);
    EXPECT_EQ(sheet.GetActiveIndex(), (int)CPSheetNamebook::PAGE_OTHER);

    // Nothing unsaved: going up selects the contact's group and shows its list.
    form->SendMessage(WM_COMMAND, CFormNamebook::ID_GO_UP, 0);
    EXPECT_EQ(ctrl.GetSelectedItem(), hFamily);
    EXPECT_NE(dynamic_cast<CViewPersonList*>(frame->GetRightPane()->GetCurrentView()), nullptr);
    answers = {IDNO};
    EXPECT_TRUE(Exit(*app));
}

TEST_F(ContactsModuleTest, ContactsAndGroupsAreCreatedAndRenamedFromTheFrame) {
    FamilyBook b = StartWithFamilyBook();
    ASSERT_NE(b.person, nullptr);
    auto& app = b.app;
    CMainFrame* frame = b.frame;
    CLeftView* tree = b.tree;
    CTreeCtrl& ctrl = tree->GetTreeCtrl();
    CSmsDoc* doc = b.doc;
    _CGroup& root = doc->GetRootGroup();
    _CGroup* family = b.family;
    _CPerson* person = b.person;
    const HTREEITEM hRoot = tree->GetFileAt(0)->hItem;

    // Which commands each kind of item offers.
    struct Case {
        HTREEITEM item;
        bool newContact, newGroup, rename, contactBeside, groupBeside;
    };
    const Case cases[] = {
        {ctrl.GetParentItem(hRoot), false, false, false, false, false},
        {hRoot, true, true, true, false, false},
        {(HTREEITEM)family->GetTreeItem(), true, true, true, false, true},
        {(HTREEITEM)person->GetTreeItem(), true, false, true, true, false},
    };
    auto enabled = [&](UINT id) {
        TestCmdUI ui;
        ui.m_nID = id;
        tree->OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &ui, nullptr);
        EXPECT_TRUE(ui.m_bEnableChanged) << id;
        return bool(ui.enabled);
    };
    for (const Case& c : cases) {
        ASSERT_NE(c.item, nullptr);
        ctrl.SelectItem(c.item);
        const CString text = ctrl.GetItemText(c.item);
        EXPECT_EQ(enabled(CLeftView::ID_BOOK_NEW_CONTACT), c.newContact) << text.GetString();
        EXPECT_EQ(enabled(CLeftView::ID_BOOK_NEW_GROUP), c.newGroup) << text.GetString();
        EXPECT_EQ(enabled(CGroupTreeView::ID_NEW_GROUP), c.newGroup) << text.GetString();
        EXPECT_EQ(enabled(CLeftView::ID_BOOK_ADD_GROUP), c.newGroup) << text.GetString();
        EXPECT_EQ(enabled(CLeftView::ID_BOOK_RENAME), c.rename) << text.GetString();
        EXPECT_EQ(enabled(CLeftView::ID_BOOK_CONTACT_BEFORE), c.contactBeside) << text.GetString();
        EXPECT_EQ(enabled(CLeftView::ID_BOOK_CONTACT_AFTER), c.contactBeside) << text.GetString();
        EXPECT_EQ(enabled(CLeftView::ID_BOOK_GROUP_BEFORE), c.groupBeside) << text.GetString();
        EXPECT_EQ(enabled(CLeftView::ID_BOOK_GROUP_AFTER), c.groupBeside) << text.GetString();
    }

    // A new contact through the frame, in the group of the current contact, keeps the proposed
    // name and is selected with its form in the right pane.
    ctrl.SelectItem((HTREEITEM)person->GetTreeItem());
    frame->SendMessage(WM_COMMAND, CLeftView::ID_BOOK_NEW_CONTACT, 0);
    ASSERT_NE(ctrl.GetEditControl(), nullptr);
    ctrl.EndEditLabelNow(FALSE);
    Pump();
    auto* fresh = dynamic_cast<_CPerson*>(family->FindByName("新联系人", FALSE, TRUE, TRUE));
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(ctrl.GetSelectedItem(), (HTREEITEM)fresh->GetTreeItem());
    auto* form = dynamic_cast<CFormNamebook*>(frame->GetRightPane()->GetCurrentView());
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->GetPerson(), fresh);
    EXPECT_TRUE(doc->IsModified());

    // Renamed through the frame.
    frame->SendMessage(WM_COMMAND, CLeftView::ID_BOOK_RENAME, 0);
    ASSERT_NE(ctrl.GetEditControl(), nullptr);
    ctrl.GetEditControl()->SetWindowText("李雷");
    ctrl.EndEditLabelNow(FALSE);
    EXPECT_EQ(fresh->GetName(), "李雷");

    // A new group under the book's root by the toolbar's command, named in place.
    ctrl.SelectItem(hRoot);
    frame->SendMessage(WM_COMMAND, CGroupTreeView::ID_NEW_GROUP, 0);
    ASSERT_NE(ctrl.GetEditControl(), nullptr);
    ctrl.GetEditControl()->SetWindowText("同事");
    ctrl.EndEditLabelNow(FALSE);
    auto* work = dynamic_cast<_CGroup*>(root.FindByName("同事", TRUE, FALSE, FALSE));
    ASSERT_NE(work, nullptr);
    EXPECT_EQ(ctrl.GetSelectedItem(), (HTREEITEM)work->GetTreeItem());

    // A contact inserted beside the current one goes into the current one's group.
    ctrl.SelectItem((HTREEITEM)person->GetTreeItem());
    frame->SendMessage(WM_COMMAND, CLeftView::ID_BOOK_CONTACT_BEFORE, 0);
    ASSERT_NE(ctrl.GetEditControl(), nullptr);
    ctrl.GetEditControl()->SetWindowText("安娜");
    ctrl.EndEditLabelNow(FALSE);
    EXPECT_NE(family->FindByName("安娜", FALSE, TRUE, FALSE), nullptr);
    answers = {IDNO};
    EXPECT_TRUE(Exit(*app));
}

// Keys pressed in a field of the contact's sheet: the clipboard keys and Del edit the field,
// never the address-book records, and a key of the main window's table acts once.
TEST_F(ContactsModuleTest, ClipboardKeysAndDelInASheetFieldEditTheFieldAndFrameKeysActOnce) {
    FamilyBook b = StartWithFamilyBook();
    ASSERT_NE(b.person, nullptr);
    CMainFrame* frame = b.frame;
    CTreeCtrl& ctrl = b.tree->GetTreeCtrl();
    const int contacts = b.family->GetContentCount(FALSE, TRUE);
    auto text = [](CWnd* w) {
        CString t;
        w->GetWindowText(t);
        return t;
    };
    // As the user presses it on the focused field: through the program's pre-translation.
    auto press = [](CWnd* field, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(field->GetWidget(), key, mods);
        Pump();
    };

    // The contact copied in the tree: the tree's clipboard holds a record a paste could drop.
    ctrl.SelectItem((HTREEITEM)b.person->GetTreeItem());
    Pump();
    ctrl.SetFocus();
    frame->SendMessage(WM_COMMAND, CGroupTreeView::ID_COPY, 0);
    Pump();

    auto* form = dynamic_cast<CFormNamebook*>(frame->GetRightPane()->GetCurrentView());
    ASSERT_NE(form, nullptr);
    CWnd* nickname = form->GetSheet().m_pagePerson.GetDlgItem(CPagePerson::IDC_NICKNAME);
    ASSERT_NE(nickname, nullptr);
    frame->SetForegroundWindow();
    nickname->SetFocus();
    Pump();
    ASSERT_EQ(CWnd::GetFocus(), nickname);
    nickname->SetWindowText("芳芳");
    nickname->SendMessage(EM_SETSEL, 0, -1);

    press(nickname, Qt::Key_C, Qt::ControlModifier);
    nickname->SendMessage(EM_SETSEL, 4, 4);
    press(nickname, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(text(nickname), "芳芳芳芳") << "copied from the field and pasted into it";
    nickname->SendMessage(EM_SETSEL, 0, 4);
    press(nickname, Qt::Key_Delete);
    EXPECT_EQ(text(nickname), "芳芳") << "Del removed the field's selection";

    // The records stayed where they were: nothing deleted, nothing pasted, the contact shown.
    EXPECT_EQ(b.family->GetContentCount(FALSE, TRUE), contacts);
    EXPECT_EQ(b.family->FindByName("王芳", FALSE, TRUE, TRUE), b.person);
    EXPECT_EQ(form->GetPerson(), b.person);
    EXPECT_EQ(CWnd::GetFocus(), nickname);

    // F12 belongs to the main window: pressed in the field it hides the left pane once, it
    // does not hide it and show it again.
    ASSERT_TRUE(frame->IsLeftPaneVisible());
    press(nickname, Qt::Key_F12);
    EXPECT_FALSE(frame->IsLeftPaneVisible());
    press(nickname, Qt::Key_F12);
    EXPECT_TRUE(frame->IsLeftPaneVisible());

    // The edit dropped, the program ends.
    answers = {IDYES};
    form->SendMessage(WM_COMMAND, CFormNamebook::ID_DISCARD_EDIT, 0);
    answers = {IDNO};
    EXPECT_TRUE(Exit(*b.app));
}

TEST_F(ContactsModuleTest, AContactCardGivenToTheProgramJoinsTheOpenBook) {
    FamilyBook b = StartWithFamilyBook();
    ASSERT_NE(b.person, nullptr);
    _CPerson card("李梅");
    const CString path = (dir.str() + "/li.psn").c_str();
    ASSERT_TRUE(CPersonDoc::SavePersonAs(&card, path));

    // Opened as the shell opens a file by its type: the folder of the books takes it into the
    // group of the current contact, and the book is marked changed rather than a second book.
    b.tree->GetTreeCtrl().SelectItem((HTREEITEM)b.person->GetTreeItem());
    b.doc->SetModifiedFlag(FALSE);
    EXPECT_EQ(b.frame->OpenFileByExtension(path), b.doc);
    EXPECT_EQ(b.tree->GetFileCount(), 1);
    EXPECT_NE(b.family->FindByName("李梅", FALSE, TRUE, TRUE), nullptr);
    EXPECT_TRUE(b.doc->IsModified());

    answers = {IDNO};
    EXPECT_TRUE(Exit(*b.app));
}

// The user's keys after a click on a contact in the tree: Ctrl+C copies it, Ctrl+X cuts it. In
// the contact's form Ctrl+Alt+Q is the main window's 放弃修改, not the 'Q' of a button's caption.
TEST_F(ContactsModuleTest, ClipboardKeysAfterAClickInTheTreeAndTheDiscardKeyInTheForm) {
    FamilyBook b = StartWithFamilyBook();
    ASSERT_NE(b.person, nullptr);
    CMainFrame* frame = b.frame;
    CTreeCtrl& ctrl = b.tree->GetTreeCtrl();
    frame->SetForegroundWindow();
    Pump();
    auto click = [&](HTREEITEM item) {
        CRect r;
        ASSERT_TRUE(ctrl.GetItemRect(item, &r, TRUE));
        QTest::mouseClick(ctrl.GetWidget(), Qt::LeftButton, {}, QPoint(r.CenterPoint().x, r.CenterPoint().y));
        Pump();
    };
    auto pressOnFocus = [](Qt::Key key, Qt::KeyboardModifiers mods) {
        CWnd* focus = CWnd::GetFocus();
        ASSERT_NE(focus, nullptr);
        QTest::keyClick(focus->GetWidget(), key, mods);
        Pump();
    };
    click((HTREEITEM)b.person->GetTreeItem());
    EXPECT_EQ(ctrl.GetSelectedItem(), (HTREEITEM)b.person->GetTreeItem());
    pressOnFocus(Qt::Key_C, Qt::ControlModifier);
    EXPECT_NE(b.tree->GetClipboard().FindByName("王芳", FALSE, TRUE, TRUE), nullptr)
        << "Ctrl+C copied the contact";
    EXPECT_EQ(b.family->FindByName("王芳", FALSE, TRUE, TRUE), b.person);

    // The form: an edit, then Ctrl+Alt+Q in one of its fields asks to discard it.
    auto* form = dynamic_cast<CFormNamebook*>(frame->GetRightPane()->GetCurrentView());
    ASSERT_NE(form, nullptr);
    CWnd* nickname = form->GetSheet().m_pagePerson.GetDlgItem(CPagePerson::IDC_NICKNAME);
    ASSERT_NE(nickname, nullptr);
    nickname->SetFocus();
    Pump();
    nickname->SetWindowText("芳芳");
    ASSERT_TRUE(form->IsEditModified());
    std::vector<std::string> dialogs;
    onDialog = [&](CDialog& d) {
        CString title;
        d.GetWindowText(title);
        dialogs.push_back(title.GetString());
        d.EndDialog(IDCANCEL);
    };
    shown.clear();
    answers = {IDYES};
    pressOnFocus(Qt::Key_Q, Qt::ControlModifier | Qt::AltModifier);
    onDialog = nullptr;
    EXPECT_TRUE(dialogs.empty()) << dialogs.front();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "您真的想放弃修改吗？");
    EXPECT_FALSE(form->IsEditModified());
    CString nick;
    nickname->GetWindowText(nick);
    EXPECT_STREQ(nick, "") << "the key typed nothing into the field";

    // Back in the tree: Ctrl+X takes the contact out of its group.
    click((HTREEITEM)b.person->GetTreeItem());
    pressOnFocus(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(b.family->FindByName("王芳", FALSE, TRUE, TRUE), nullptr) << "Ctrl+X cut the contact";
    answers = {IDNO};
    EXPECT_TRUE(Exit(*b.app));
}

// The tree's label editor takes a paste once, by Ctrl+V and by Shift+Insert alike.
TEST_F(ContactsModuleTest, ABirthdayEnteredInTheOpenBookReachesTheCalendarOnceSaved) {
    FamilyBook b = StartWithFamilyBook();
    ASSERT_NE(b.person, nullptr);
    CTreeCtrl& ctrl = b.tree->GetTreeCtrl();
    b.frame->SetForegroundWindow();
    Pump();
    // 王芳 gets a birthday while the book is open, as the contact's form stores it.
    ASSERT_TRUE(b.person->GetBirthday().SetBirthday(1990, 3, 15, FALSE, TRUE));
    b.doc->SetModifiedFlag(TRUE);
    const CDate day(2026, 3, 15);
    auto namesOn = [&](const CDate& date) {
        CKovCalendarCellItemList items;
        const int n = b.tree->GetDayInfo(date, &items, FALSE);
        std::vector<std::string> names;
        for (POSITION pos = items.GetHeadPosition(); pos != nullptr;)
            names.push_back(items.GetNext(pos).m_strText.GetString());
        EXPECT_EQ(n, (int)names.size());
        return names;
    };
    // Real Ctrl+S on the tree, which has the focus after a click on the contact.
    CRect r;
    ASSERT_TRUE(ctrl.GetItemRect((HTREEITEM)b.person->GetTreeItem(), &r, TRUE));
    QTest::mouseClick(ctrl.GetWidget(), Qt::LeftButton, {}, QPoint(r.CenterPoint().x, r.CenterPoint().y));
    Pump();
    QTest::keyClick(CWnd::GetFocus()->GetWidget(), Qt::Key_S, Qt::ControlModifier);
    Pump();
    EXPECT_FALSE(b.doc->IsModified()) << "Ctrl+S saved the book";
    EXPECT_EQ(namesOn(day), std::vector<std::string>{"王芳"});
    EXPECT_TRUE(namesOn(CDate(2026, 3, 16)).empty());
    EXPECT_EQ(b.tree->GetDayInfo(day, nullptr, TRUE), 1);

    // The birthday moved and saved again: the old day is free, the new one holds the name.
    ASSERT_TRUE(b.person->GetBirthday().SetBirthday(1990, 3, 16, FALSE, TRUE));
    b.doc->SetModifiedFlag(TRUE);
    QTest::keyClick(CWnd::GetFocus()->GetWidget(), Qt::Key_S, Qt::ControlModifier);
    Pump();
    EXPECT_TRUE(namesOn(day).empty());
    EXPECT_EQ(namesOn(CDate(2026, 3, 16)), std::vector<std::string>{"王芳"});
    Exit(*b.app);
}

// A birthday set in the contact's form reaches the calendar as soon as the form is confirmed,
// before the book is saved: a solar one on its day, then a lunar one on its lunar day instead.
TEST_F(ContactsModuleTest, ABirthdayConfirmedInTheFormReachesTheCalendarBeforeTheBookIsSaved) {
    FamilyBook b = StartWithFamilyBook();
    ASSERT_NE(b.person, nullptr);
    b.tree->GetTreeCtrl().SelectItem((HTREEITEM)b.person->GetTreeItem());
    Pump();
    auto* form = dynamic_cast<CFormNamebook*>(b.frame->GetRightPane()->GetCurrentView());
    ASSERT_NE(form, nullptr);
    CPagePerson& page = form->GetSheet().m_pagePerson;
    auto namesOn = [&](const CDate& date) {
        CKovCalendarCellItemList items;
        b.tree->GetDayInfo(date, &items, FALSE);
        std::vector<std::string> names;
        for (POSITION pos = items.GetHeadPosition(); pos != nullptr;)
            names.push_back(items.GetNext(pos).m_strText.GetString());
        return names;
    };
    // The birthday dialog from the page's button, answered as the user fills it, then 确定.
    auto setBirthday = [&](bool lunar, const char* year, const char* month, const char* day) {
        onDialog = [=](CDialog& d) {
            const UINT calendar = lunar ? CDlgBirthday::IDC_LUNAR : CDlgBirthday::IDC_SOLAR;
            d.CheckRadioButton(CDlgBirthday::IDC_SOLAR, CDlgBirthday::IDC_LUNAR, calendar);
            d.SendMessage(WM_COMMAND, MAKEWPARAM(calendar, BN_CLICKED),
                          (LPARAM)d.GetDlgItem(calendar)->m_hWnd);
            d.CheckDlgButton(CDlgBirthday::IDC_NO_YEAR, year == nullptr ? BST_CHECKED : BST_UNCHECKED);
            d.SendMessage(WM_COMMAND, MAKEWPARAM(CDlgBirthday::IDC_NO_YEAR, BN_CLICKED),
                          (LPARAM)d.GetDlgItem(CDlgBirthday::IDC_NO_YEAR)->m_hWnd);
            if (year != nullptr)
                d.SetDlgItemText(CDlgBirthday::IDC_YEAR, year);
            d.SetDlgItemText(CDlgBirthday::IDC_MONTH, month);
            d.SetDlgItemText(CDlgBirthday::IDC_DAY, day);
            d.GetDlgItem(IDOK)->SendMessage(BM_CLICK);
        };
        page.SendMessage(WM_COMMAND, MAKEWPARAM(CPagePerson::IDC_BIRTHDAY_BUTTON, BN_CLICKED),
                         (LPARAM)page.GetDlgItem(CPagePerson::IDC_BIRTHDAY_BUTTON)->m_hWnd);
        onDialog = nullptr;
        ASSERT_TRUE(form->IsEditModified());
        form->SendMessage(WM_COMMAND, CFormNamebook::ID_CONFIRM_EDIT, 0);
        Pump();
    };
    CDate midAutumn;
    ASSERT_EQ(CDate::LunarToSolar(midAutumn, 2026, 8, 15, FALSE), 0);

    setBirthday(false, "1990", "3", "15");
    EXPECT_TRUE(b.doc->IsModified()) << "confirmed, not saved";
    EXPECT_EQ(namesOn(CDate(2026, 3, 15)), std::vector<std::string>{"王芳"});
    EXPECT_EQ(b.tree->GetDayInfo(CDate(2026, 3, 15), nullptr, TRUE), 1);
    EXPECT_TRUE(namesOn(midAutumn).empty());

    setBirthday(true, nullptr, "8", "15");
    EXPECT_TRUE(namesOn(CDate(2026, 3, 15)).empty()) << "the old day is free";
    EXPECT_EQ(namesOn(midAutumn), std::vector<std::string>{"王芳"});
    answers = {IDNO};
    Exit(*b.app);
}

TEST_F(ContactsModuleTest, TheTreesLabelEditorPastesOnce) {
    FamilyBook b = StartWithFamilyBook();
    ASSERT_NE(b.family, nullptr);
    CTreeCtrl& ctrl = b.tree->GetTreeCtrl();
    b.frame->SetForegroundWindow();
    ctrl.SelectItem((HTREEITEM)b.family->GetTreeItem());
    ctrl.SetFocus();
    Pump();
    struct {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
    } keys[] = {{Qt::Key_V, Qt::ControlModifier}, {Qt::Key_Insert, Qt::ShiftModifier}};
    for (const auto& k : keys) {
        SCOPED_TRACE(k.key);
        b.tree->SendMessage(WM_COMMAND, CGroupTreeView::ID_RENAME, 0);
        CEdit* edit = ctrl.GetEditControl();
        ASSERT_NE(edit, nullptr);
        edit->SetWindowText("");
        QGuiApplication::clipboard()->setText("AB");
        edit->SetFocus();
        Pump();
        QTest::keyClick(edit->GetWidget(), k.key, k.mods);
        Pump();
        CString text;
        edit->GetWindowText(text);
        EXPECT_STREQ(text, "AB");
        ctrl.EndEditLabelNow(TRUE);
        Pump();
    }
    EXPECT_STREQ(b.family->GetName(), "家人");
    answers = {IDNO};
    EXPECT_TRUE(Exit(*b.app));
}

// Plain Tab and Shift+Tab go between the tree and the contact list, from a row clicked in the
// list too, and still after a menu opened with Alt and a letter and left with Escape (whose
// Alt is let go in the menu, not in our window).
TEST_F(ContactsModuleTest, TabGoesBetweenTheTreeAndTheListEvenAfterAnAltLetterMenu) {
    FamilyBook b = StartWithFamilyBook();
    ASSERT_NE(b.person, nullptr);
    CMainFrame* frame = b.frame;
    frame->SetForegroundWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame->GetWidget()));
    CTreeCtrl& ctrl = b.tree->GetTreeCtrl();
    ctrl.SelectItem((HTREEITEM)b.family->GetTreeItem());
    ctrl.SetFocus();
    Pump();
    auto* list = dynamic_cast<CViewPersonList*>(frame->GetRightPane()->GetCurrentView());
    ASSERT_NE(list, nullptr);
    CListCtrl& rows = list->GetListCtrl();
    auto tab = [](Qt::KeyboardModifiers mods) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, mods);
        Pump();
    };
    // From the list: Tab to the tree, Shift+Tab back.
    auto toTreeAndBack = [&](const char* when) {
        SCOPED_TRACE(when);
        ASSERT_EQ(CWnd::GetFocus(), &rows);
        tab(Qt::NoModifier);
        EXPECT_EQ(CWnd::GetFocus(), &ctrl) << "list back to the tree";
        tab(Qt::ShiftModifier);
        EXPECT_EQ(CWnd::GetFocus(), &rows);
    };
    tab(Qt::NoModifier);
    EXPECT_EQ(CWnd::GetFocus(), &rows) << "tree to list";
    CRect row;
    ASSERT_TRUE(rows.GetItemRect(0, &row, LVIR_LABEL));
    QTest::mouseClick(rows.GetWidget(), Qt::LeftButton, {},
                      QPoint(row.CenterPoint().x, row.CenterPoint().y));
    Pump();
    toTreeAndBack("a row clicked");

    // 通讯录(A) opened from the list with Alt+A, left with Escape.
    QWidget* from = QApplication::focusWidget();
    QTest::keyPress(from, Qt::Key_Alt, Qt::AltModifier);
    QTest::keyPress(from, Qt::Key_A, Qt::AltModifier);
    auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(popup, nullptr);
    QTest::keyRelease(popup, Qt::Key_A, Qt::AltModifier);
    QTest::keyRelease(popup, Qt::Key_Alt, Qt::NoModifier);
    EXPECT_GE(GetKeyState(VK_MENU), 0) << "Alt no longer held";
    QTest::keyClick(popup, Qt::Key_Escape);
    Pump();
    if (auto* bar = frame->GetWidget()->findChild<QMenuBar*>(); bar && bar->hasFocus())
        QTest::keyClick(bar, Qt::Key_Escape);
    // Offscreen, a pop-up shown becomes the active window and does not hand the activation
    // and the focus back when it closes, as it does under a window manager.
    frame->GetWidget()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame->GetWidget()));
    rows.SetFocus();
    Pump();
    toTreeAndBack("after the menu");
    answers = {IDNO};
    EXPECT_TRUE(Exit(*b.app));
}

// 选项 > 通讯录 lists the books open in the tree, and 往上添加 takes one into the books opened
// at start.
TEST_F(ContactsModuleTest, TheOptionsAddressBookPageListsTheOpenBooks) {
    FamilyBook b = StartWithFamilyBook();
    ASSERT_NE(b.doc, nullptr);
    std::vector<CString> open, presets;
    bool addEnabled = false;
    onDialog = [&](CDialog& d) {
        auto* sheet = dynamic_cast<CSheetOption*>(&d);
        if (sheet == nullptr) {
            d.EndDialog(IDCANCEL);
            return;
        }
        sheet->SelectPage(1);
        auto* page = dynamic_cast<CPageOptionNamebook*>(sheet->GetPage(1));
        ASSERT_NE(page, nullptr);
        open = page->GetOpenPaths();
        auto* list = static_cast<CListCtrl*>(page->GetDlgItem(CPageOptionNamebook::IDC_OPEN_LIST));
        list->SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
        CWnd* add = page->GetDlgItem(CPageOptionNamebook::IDC_ADD_OPEN);
        addEnabled = add->IsWindowEnabled();
        page->SendMessage(WM_COMMAND, MAKEWPARAM(CPageOptionNamebook::IDC_ADD_OPEN, BN_CLICKED),
                          (LPARAM)add->GetSafeHwnd());
        presets = page->GetPresetPaths();
        sheet->SaveScreenshot(ScreenPath("options-open-books").c_str());
        d.EndDialog(IDCANCEL);
    };
    const UINT kOptions = 388; // the main window's 选项 command
    b.frame->SendMessage(WM_COMMAND, kOptions, 0);
    onDialog = nullptr;
    EXPECT_EQ(open, (std::vector<CString>{b.doc->GetPathName()}));
    EXPECT_TRUE(addEnabled);
    EXPECT_EQ(presets, (std::vector<CString>{b.doc->GetPathName()}));
    EXPECT_TRUE(Exit(*b.app));
}

// The main window's keys pressed in the options sheet, which runs modal over it: the folder,
// the open books, the tree's selection and the left pane stay as they were, and nothing starts
// behind the sheet (a new book, its name's editor, a save).
TEST_F(ContactsModuleTest, TheMainWindowsKeysPressedInTheOptionsSheetLeaveItAsItWas) {
    FamilyBook b = StartWithFamilyBook();
    ASSERT_NE(b.person, nullptr);
    CMainFrame* frame = b.frame;
    CTreeCtrl& ctrl = b.tree->GetTreeCtrl();
    const HTREEITEM selected = (HTREEITEM)b.person->GetTreeItem();
    ctrl.SelectItem(selected);
    frame->SetForegroundWindow();
    ctrl.SetFocus();
    Pump();
    b.doc->SetModifiedFlag(FALSE);
    const int folder = frame->GetOutbar()->GetSelFolder();
    const int files = b.tree->GetFileCount();
    const int contacts = b.family->GetContentCount(FALSE, TRUE);
    struct Key {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
    };
    const Key keys[] = {
        {Qt::Key_2, Qt::ControlModifier}, {Qt::Key_1, Qt::ControlModifier},
        {Qt::Key_N, Qt::ControlModifier}, {Qt::Key_Delete, Qt::NoModifier},
        {Qt::Key_S, Qt::ControlModifier}, {Qt::Key_X, Qt::ControlModifier},
        {Qt::Key_3, Qt::ControlModifier}, {Qt::Key_F12, Qt::NoModifier},
    };
    int sheets = 0;
    bool typed = false;
    onDialog = [&](CDialog& d) {
        if (dynamic_cast<CSheetOption*>(&d) == nullptr) {
            d.EndDialog(IDCANCEL);
            return;
        }
        ++sheets;
        d.SetForegroundWindow();
        CWnd* focus = nullptr;
        ASSERT_TRUE(WaitFor([&] {
            focus = CWnd::GetFocus();
            return focus != nullptr && focus->GetTopLevelParent() == &d;
        })) << "the keyboard is the sheet's";
        for (const Key& k : keys) {
            QTest::keyClick(focus->GetWidget(), k.key, k.mods);
            Pump();
            if (CWnd::GetFocus() != focus)
                break;
        }
        typed = CWnd::GetFocus() == focus;
        if (typed)
            QTest::keyClick(focus->GetWidget(), Qt::Key_Escape);
        d.EndDialog(IDCANCEL); // where a key took the focus away, Escape could not end it
    };
    shown.clear();
    const UINT kOptions = 388; // the main window's 选项 command
    frame->SendMessage(WM_COMMAND, kOptions, 0);
    onDialog = nullptr;
    Pump();
    EXPECT_EQ(sheets, 1);
    EXPECT_TRUE(typed) << "the keys left the focus in the sheet";
    EXPECT_EQ(frame->GetOutbar()->GetSelFolder(), folder);
    EXPECT_EQ(b.tree->GetFileCount(), files);
    EXPECT_EQ(ctrl.GetSelectedItem(), selected);
    EXPECT_EQ(ctrl.GetEditControl(), nullptr) << "no name is edited behind the sheet";
    EXPECT_EQ(b.family->GetContentCount(FALSE, TRUE), contacts);
    EXPECT_FALSE(b.doc->IsModified());
    EXPECT_TRUE(frame->IsLeftPaneVisible());
    EXPECT_TRUE(shown.empty()) << shown.front().text.GetString();
    EXPECT_TRUE(Exit(*b.app));
}

namespace {

class ContactsWalkTest : public ContactsModuleTest {
protected:
    // Chooses an entry of the main window's menu bar as a user does: each pop-up on the way
    // opens (its entries updated by the windows first), the entry must be enabled, and its
    // command reaches the windows through the message queue. path holds the entries' texts up
    // to their tab.
    static bool ChooseFromMenuBar(CMainFrame* frame, const std::vector<const char*>& path) {
        QMenuBar* bar = frame->GetWidget()->findChild<QMenuBar*>();
        CMenu* menu = frame->GetMenu();
        if (bar == nullptr || menu == nullptr) {
            ADD_FAILURE() << "the main window has no menu bar";
            return false;
        }
        QList<QAction*> actions = bar->actions();
        for (const char* want : path) {
            int pos = -1;
            for (int i = 0; i < (int)menu->GetMenuItemCount() && pos < 0; ++i) {
                CString text;
                menu->GetMenuString((UINT)i, text, MF_BYPOSITION);
                const int tab = text.Find('\t');
                if ((tab < 0 ? text : text.Left(tab)) == want)
                    pos = i;
            }
            if (pos < 0 || pos >= actions.size()) {
                ADD_FAILURE() << "no menu entry " << want;
                return false;
            }
            QAction* action = actions[pos];
            if (QMenu* sub = action->menu()) {
                emit sub->aboutToShow();
                actions = sub->actions();
                menu = menu->GetSubMenu(pos);
                continue;
            }
            if (!action->isEnabled()) {
                ADD_FAILURE() << "menu entry " << want << " is disabled";
                return false;
            }
            action->trigger();
            Pump();
            return true;
        }
        ADD_FAILURE() << "the menu path ends in a pop-up";
        return false;
    }
    // The entries of the menu bar's pop-up named top, updated as when it opens: their texts and
    // actions.
    struct Entry {
        CString text;
        QAction* action;
    };
    static std::vector<Entry> OpenMenu(CMainFrame* frame, const char* top) {
        QMenuBar* bar = frame->GetWidget()->findChild<QMenuBar*>();
        CMenu* menu = frame->GetMenu();
        if (bar == nullptr || menu == nullptr)
            return {};
        for (int i = 0; i < (int)menu->GetMenuItemCount() && i < bar->actions().size(); ++i) {
            CString text;
            menu->GetMenuString((UINT)i, text, MF_BYPOSITION);
            QMenu* sub = bar->actions()[i]->menu();
            if (text != top || sub == nullptr)
                continue;
            emit sub->aboutToShow();
            CMenu* popup = menu->GetSubMenu(i);
            std::vector<Entry> entries;
            for (int k = 0; popup != nullptr && k < (int)popup->GetMenuItemCount() &&
                            k < sub->actions().size();
                 ++k) {
                Entry e{CString(), sub->actions()[k]};
                popup->GetMenuString((UINT)k, e.text, MF_BYPOSITION);
                entries.push_back(e);
            }
            return entries;
        }
        return {};
    }
};

} // namespace

// A user's first session with the address book, every step through the main window's menus:
// a new book, a group and contacts in it, a contact filled in the form and confirmed, the list
// sorted and its context menu used, the book saved as a file, closed and opened again.
TEST_F(ContactsWalkTest, AUserMakesABookFromTheMenusAndFindsItAgainAfterReopening) {
    auto app = Start();
    ASSERT_TRUE(app);
    CMainFrame* frame = app->GetMainFrame();
    CLeftView* tree = module.GetTree();
    ASSERT_NE(tree, nullptr);
    CTreeCtrl& ctrl = tree->GetTreeCtrl();
    auto text = [](CWnd* w) {
        CString t;
        w->GetWindowText(t);
        return t;
    };
    // Names the item the tree is editing in place, as typed and confirmed with Enter.
    auto typeLabel = [&](const char* label) {
        CEdit* edit = ctrl.GetEditControl();
        if (edit == nullptr)
            return false;
        edit->SetWindowText(label);
        ctrl.EndEditLabelNow(FALSE);
        Pump();
        return true;
    };

    // 文件 > 新建: a book of its own, named in place.
    const int books = tree->GetFileCount();
    ASSERT_TRUE(ChooseFromMenuBar(frame, {"文件(&F)", "新建(&N)"}));
    ASSERT_TRUE(typeLabel("我的朋友"));
    ASSERT_EQ(tree->GetFileCount(), books + 1);
    auto* doc = static_cast<CSmsDoc*>(tree->GetFileAt(books)->pDoc);
    EXPECT_STREQ(doc->GetRootGroup().GetName(), "我的朋友");
    // The new book is the selected item and the pane shows its (empty) list, not nothing.
    EXPECT_EQ(ctrl.GetSelectedItem(), tree->GetFileAt(books)->hItem);
    auto* bookList = dynamic_cast<CViewPersonList*>(frame->GetRightPane()->GetCurrentView());
    ASSERT_NE(bookList, nullptr);
    EXPECT_TRUE(bookList->IsWindowVisible());
    EXPECT_EQ(bookList->GetListCtrl().GetItemCount(), 0);

    // 通讯录 > 新建组 on the book's root, then 新建联系人 in that group.
    ctrl.SelectItem(tree->GetFileAt(books)->hItem);
    ASSERT_TRUE(ChooseFromMenuBar(frame, {"通讯录(&A)", "新建组(&G)"}));
    ASSERT_TRUE(typeLabel("同学"));
    auto* school =
        dynamic_cast<_CGroup*>(doc->GetRootGroup().FindByName("同学", TRUE, FALSE, FALSE));
    ASSERT_NE(school, nullptr);
    EXPECT_EQ(ctrl.GetSelectedItem(), (HTREEITEM)school->GetTreeItem());
    ASSERT_TRUE(ChooseFromMenuBar(frame, {"通讯录(&A)", "新建联系人(&N)"}));
    ASSERT_TRUE(typeLabel("张伟"));
    auto* zhang = dynamic_cast<_CPerson*>(school->FindByName("张伟", FALSE, TRUE, FALSE));
    ASSERT_NE(zhang, nullptr);

    // The form: name, a mobile number entered in its box and a birthday picked, confirmed by
    // 编辑 > 确认修改.
    auto* form = dynamic_cast<CFormNamebook*>(frame->GetRightPane()->GetCurrentView());
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->GetPerson(), zhang);
    CPagePerson& page = form->GetSheet().m_pagePerson;
    CWnd* name = page.GetDlgItem(CPagePerson::IDC_NAME);
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(text(name), "张伟");
    name->SetWindowText("张伟强");
    frame->SetForegroundWindow();
    CWnd* mobiles = page.GetDlgItem(CPagePerson::IDC_MOBILES);
    ASSERT_NE(mobiles, nullptr);
    mobiles->SetFocus();
    QTest::keyClicks(mobiles->GetWidget(), "13912345678");
    QTest::keyClick(mobiles->GetWidget(), Qt::Key_Return);
    Pump();
    auto* picker =
        qobject_cast<QDateTimeEdit*>(page.GetDlgItem(CPagePerson::IDC_BIRTHDAY)->GetWidget());
    ASSERT_NE(picker, nullptr);
    picker->setDate(QDate(1990, 10, 1));
    Pump();
    EXPECT_TRUE(form->IsEditModified());
    frame->SaveScreenshot(ScreenPath("contacts-walk-form").c_str());
    ASSERT_TRUE(ChooseFromMenuBar(frame, {"编辑(&E)", "确认修改(&M)"}));
    EXPECT_FALSE(form->IsEditModified());
    EXPECT_STREQ(zhang->GetName(), "张伟强");
    EXPECT_EQ(ctrl.GetItemText((HTREEITEM)zhang->GetTreeItem()), "张伟强");
    ASSERT_EQ(zhang->GetInfo().m_personal.mobiles.GetCount(), 1);
    EXPECT_STREQ(zhang->GetInfo().m_personal.mobiles.GetHead().GetValue(0), "13912345678");
    const CBirthday& birthday = zhang->GetInfo().m_personal.birthday;
    EXPECT_EQ(birthday.GetYear(), 1990);
    EXPECT_EQ(birthday.GetMonth(), 10);
    EXPECT_EQ(birthday.GetDay(), 1);

    // A second contact, then the group's list sorted by name with a click on its header.
    ctrl.SelectItem((HTREEITEM)school->GetTreeItem());
    ASSERT_TRUE(ChooseFromMenuBar(frame, {"通讯录(&A)", "新建联系人(&N)"}));
    ASSERT_TRUE(typeLabel("艾米"));
    ctrl.SelectItem((HTREEITEM)school->GetTreeItem());
    Pump();
    auto* list = dynamic_cast<CViewPersonList*>(frame->GetRightPane()->GetCurrentView());
    ASSERT_NE(list, nullptr);
    CListCtrl& rows = list->GetListCtrl();
    ASSERT_EQ(rows.GetItemCount(), 2);
    CHeaderCtrl* header = rows.GetHeaderCtrl();
    ASSERT_NE(header, nullptr);
    auto clickName = [&] {
        CRect rc;
        ASSERT_TRUE(header->GetItemRect(0, &rc));
        QTest::mouseClick(header->GetWidget(), Qt::LeftButton, {},
                          QPoint(rc.CenterPoint().x, rc.CenterPoint().y));
        Pump();
    };
    clickName();
    EXPECT_EQ(rows.GetItemText(0, 0), "艾米");
    clickName();
    EXPECT_EQ(rows.GetItemText(0, 0), "张伟强") << "a second click sorts the other way";

    // The first row's context menu: details view, copy, then open, which shows the contact's
    // form.
    std::vector<UINT> picks = {59411, 57634, 32847};
    std::vector<UINT> offered;
    PopupMenuHook oldPopup = AfxSetPopupMenuHook([&](HMENU hMenu, CWnd*, POINT, UINT) -> UINT {
        CMenu* m = CMenu::FromHandle(hMenu);
        UINT pick = picks.empty() ? 0u : picks.front();
        if (!picks.empty())
            picks.erase(picks.begin());
        offered.push_back(m->GetMenuState(pick, MF_BYCOMMAND));
        return pick;
    });
    // The row clicked with the right button: selected, the list focused.
    frame->SetForegroundWindow();
    rows.SetFocus();
    rows.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    for (int i = 0; i < 3; ++i) {
        list->SendMessage(WM_CONTEXTMENU, (WPARAM)rows.m_hWnd, MAKELPARAM(-1, -1));
        Pump();
    }
    AfxSetPopupMenuHook(oldPopup);
    ASSERT_EQ(offered.size(), 3u);
    for (size_t i = 0; i < offered.size(); ++i)
        EXPECT_FALSE(offered[i] & (MF_GRAYED | MF_DISABLED)) << "entry " << i << " is disabled";
    form = dynamic_cast<CFormNamebook*>(frame->GetRightPane()->GetCurrentView());
    ASSERT_NE(form, nullptr) << "打开 shows the contact's form";
    EXPECT_EQ(form->GetPerson(), zhang);
    EXPECT_EQ(school->GetContentCount(FALSE, TRUE), 2) << "copying left the records as they were";

    // The contact's menu in the tree, right-clicked: 创建虚拟联系人 puts a link to it beside it.
    PopupMenuHook oldTreePopup = AfxSetPopupMenuHook([&](HMENU hMenu, CWnd*, POINT, UINT) -> UINT {
        offered.push_back(CMenu::FromHandle(hMenu)->GetMenuState(488, MF_BYCOMMAND));
        return 488u;
    });
    offered.clear();
    CRect itemRect;
    ASSERT_TRUE(ctrl.GetItemRect((HTREEITEM)zhang->GetTreeItem(), &itemRect, TRUE));
    ctrl.SendMessage(WM_RBUTTONDOWN, MK_RBUTTON,
                     MAKELPARAM(itemRect.CenterPoint().x, itemRect.CenterPoint().y));
    Pump();
    AfxSetPopupMenuHook(oldTreePopup);
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_FALSE(offered[0] & (MF_GRAYED | MF_DISABLED));
    auto links = [](_CGroup* g) {
        int n = 0;
        for (POSITION pos = g->GetContentList().GetHeadPosition(); pos != nullptr;)
            if (auto* p = dynamic_cast<_CPerson*>(g->GetContentList().GetNext(pos));
                p != nullptr && p->IsVirtual())
                ++n;
        return n;
    };
    EXPECT_EQ(links(school), 1);

    // 文件 > 另存为 into the temporary folder, then 文件 > 关闭.
    const CString path = (dir.str() + "/friends.sms").c_str();
    AnswerFile(path);
    ASSERT_TRUE(ChooseFromMenuBar(frame, {"文件(&F)", "另存为(&A)..."}));
    EXPECT_EQ(doc->GetPathName(), path);
    EXPECT_FALSE(doc->IsModified());
    onDialog = nullptr;
    shown.clear();
    ASSERT_TRUE(ChooseFromMenuBar(frame, {"文件(&F)", "关闭(&C)"}));
    EXPECT_TRUE(shown.empty()) << "a saved book closes without asking";
    ASSERT_EQ(tree->GetFileCount(), books);
    // Nothing of the closed book stays on screen.
    frame->SaveScreenshot(ScreenPath("contacts-walk-closed").c_str());
    CView* shownView = frame->GetRightPane()->GetCurrentView();
    if (auto* closedForm = dynamic_cast<CFormNamebook*>(shownView))
        EXPECT_EQ(closedForm->GetPerson(), nullptr);
    if (auto* closedList = dynamic_cast<CViewPersonList*>(shownView))
        EXPECT_EQ(closedList->GetListCtrl().GetItemCount(), 0);

    // 文件 > 打开 the same file: the contact with its fields.
    AnswerFile(path);
    ASSERT_TRUE(ChooseFromMenuBar(frame, {"文件(&F)", "打开(&O)..."}));
    onDialog = nullptr;
    ASSERT_EQ(tree->GetFileCount(), books + 1);
    doc = static_cast<CSmsDoc*>(tree->GetFileAt(books)->pDoc);
    EXPECT_STREQ(doc->GetRootGroup().GetName(), "我的朋友");
    school = dynamic_cast<_CGroup*>(doc->GetRootGroup().FindByName("同学", TRUE, FALSE, FALSE));
    ASSERT_NE(school, nullptr);
    zhang = dynamic_cast<_CPerson*>(school->FindByName("张伟强", FALSE, TRUE, FALSE));
    ASSERT_NE(zhang, nullptr);
    EXPECT_NE(school->FindByName("艾米", FALSE, TRUE, FALSE), nullptr);
    EXPECT_EQ(links(school), 1) << "the link was saved with the book";
    ASSERT_EQ(zhang->GetInfo().m_personal.mobiles.GetCount(), 1);
    EXPECT_STREQ(zhang->GetInfo().m_personal.mobiles.GetHead().GetValue(0), "13912345678");
    EXPECT_EQ(zhang->GetInfo().m_personal.birthday.GetYear(), 1990);
    EXPECT_EQ(zhang->GetInfo().m_personal.birthday.GetMonth(), 10);
    EXPECT_EQ(zhang->GetInfo().m_personal.birthday.GetDay(), 1);

    answers = {IDNO};
    EXPECT_TRUE(Exit(*app));
}

// Books opened and saved are offered under 文件 > 最近的文件, newest first, after a restart too,
// and choosing one opens it.
TEST_F(ContactsWalkTest, OpenedAndSavedBooksAreOfferedAsRecentFilesAcrossRestarts) {
    // The recent books offered, by file name: enabled entries "&1 name" and so on.
    auto recent = [](const std::vector<Entry>& entries) {
        std::vector<std::string> names;
        for (const Entry& e : entries)
            if (e.action->isEnabled() && e.text.Left(1) == "&" && e.text.Right(4) == ".sms")
                names.push_back(QFileInfo(QString::fromLocal8Bit(e.text.Mid(3).GetString()))
                                    .fileName()
                                    .toStdString());
        return names;
    };
    const CString family = WriteBook("family.sms", "我的通讯录", "王芳");
    const CString saved = (dir.str() + "/friends.sms").c_str();
    {
        auto app = Start();
        ASSERT_TRUE(app);
        CMainFrame* frame = app->GetMainFrame();
        EXPECT_TRUE(recent(OpenMenu(frame, "文件(&F)")).empty());
        ASSERT_NE(frame->OpenFileByExtension(family), nullptr);
        EXPECT_EQ(recent(OpenMenu(frame, "文件(&F)")), (std::vector<std::string>{"family.sms"}));
        ASSERT_TRUE(ChooseFromMenuBar(frame, {"文件(&F)", "新建(&N)"}));
        module.GetTree()->GetTreeCtrl().EndEditLabelNow(FALSE);
        AnswerFile(saved);
        ASSERT_TRUE(ChooseFromMenuBar(frame, {"文件(&F)", "另存为(&A)..."}));
        onDialog = nullptr;
        EXPECT_EQ(recent(OpenMenu(frame, "文件(&F)")),
                  (std::vector<std::string>{"friends.sms", "family.sms"}));
        ASSERT_TRUE(Exit(*app));
    }
    auto app = Start();
    ASSERT_TRUE(app);
    CMainFrame* frame = app->GetMainFrame();
    std::vector<Entry> entries = OpenMenu(frame, "文件(&F)");
    ASSERT_EQ(recent(entries), (std::vector<std::string>{"friends.sms", "family.sms"}));
    for (const Entry& e : entries)
        if (e.text.Right(10) == "family.sms")
            e.action->trigger();
    Pump();
    CLeftView* tree = module.GetTree();
    ASSERT_EQ(tree->GetFileCount(), 1);
    EXPECT_EQ(tree->GetFileAt(0)->pDoc->GetPathName(), family);
    EXPECT_EQ(recent(OpenMenu(frame, "文件(&F)")),
              (std::vector<std::string>{"family.sms", "friends.sms"}));
    EXPECT_TRUE(Exit(*app));
}

// 确认修改 clicked on the tool bar with the mouse: the keyboard stays in the form, so the next
// letter reaches the field and Ctrl+S saves the book.
TEST_F(ContactsModuleTest, TheToolBarsConfirmLeavesTheKeyboardInTheForm) {
    FamilyBook b = StartWithFamilyBook();
    ASSERT_NE(b.person, nullptr);
    CMainFrame* frame = b.frame;
    const CString path = b.doc->GetPathName();
    frame->SetForegroundWindow();
    b.tree->GetTreeCtrl().SelectItem((HTREEITEM)b.person->GetTreeItem());
    Pump();
    auto* form = dynamic_cast<CFormNamebook*>(frame->GetRightPane()->GetCurrentView());
    ASSERT_NE(form, nullptr);
    CWnd* nickname = form->GetSheet().m_pagePerson.GetDlgItem(CPagePerson::IDC_NICKNAME);
    ASSERT_NE(nickname, nullptr);
    nickname->SetFocus();
    Pump();
    QTest::keyClicks(nickname->GetWidget(), "ab");
    Pump();
    ASSERT_TRUE(form->IsEditModified());

    CToolBar& bar = frame->GetToolBar();
    const int index = bar.CommandToIndex(CFormNamebook::ID_CONFIRM_EDIT);
    ASSERT_GE(index, 0);
    CRect r;
    bar.GetItemRect(index, &r);
    QTest::mouseClick(bar.GetWidget(), Qt::LeftButton, {}, QPoint(r.CenterPoint().x, r.CenterPoint().y));
    Pump();
    EXPECT_FALSE(form->IsEditModified());
    EXPECT_EQ(b.person->GetInfo().m_personal.strNickname, "ab");
    ASSERT_EQ(CWnd::GetFocus(), nickname) << "the keyboard left the field";

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier);
    Pump();
    EXPECT_FALSE(b.doc->IsModified()) << "Ctrl+S saved the book";
    EXPECT_EQ(b.doc->GetPathName(), path);
    answers = {IDNO};
    EXPECT_TRUE(Exit(*b.app));
}

// Alt with a letter that names no control of the form types nothing into the field; Alt with
// the letter of a label still goes to its field.
TEST_F(ContactsModuleTest, AnAltLetterTypesNothingIntoAField) {
    FamilyBook b = StartWithFamilyBook();
    ASSERT_NE(b.person, nullptr);
    b.frame->SetForegroundWindow();
    b.tree->GetTreeCtrl().SelectItem((HTREEITEM)b.person->GetTreeItem());
    Pump();
    auto* form = dynamic_cast<CFormNamebook*>(b.frame->GetRightPane()->GetCurrentView());
    ASSERT_NE(form, nullptr);
    CPagePerson& page = form->GetSheet().m_pagePerson;
    CWnd* hobby = page.GetDlgItem(CPagePerson::IDC_HOBBY);
    CWnd* nickname = page.GetDlgItem(CPagePerson::IDC_NICKNAME);
    ASSERT_NE(hobby, nullptr);
    ASSERT_NE(nickname, nullptr);
    hobby->SetFocus();
    Pump();
    ASSERT_EQ(CWnd::GetFocus(), hobby);
    for (Qt::Key key : {Qt::Key_Y, Qt::Key_J, Qt::Key_1}) {
        QTest::keyClick(hobby->GetWidget(), key, Qt::AltModifier);
        Pump();
    }
    CString text;
    hobby->GetWindowText(text);
    EXPECT_STREQ(text, "");
    EXPECT_FALSE(form->IsEditModified());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_K, Qt::AltModifier);
    Pump();
    EXPECT_EQ(CWnd::GetFocus(), nickname) << "昵称(K) takes the keyboard";
    answers = {IDNO};
    EXPECT_TRUE(Exit(*b.app));
}
