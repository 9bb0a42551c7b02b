// The address book in the running program: the application started offscreen in folders of its
// own with the module registered, books opened by extension, new and saved through the frame's
// commands, and the close of the program asking for modified books.
#include "contacts/SmsDoc.h"
#include "contacts/module/ContactsModule.h"
#include "contacts/ui/LeftView.h"
#include "contacts/ui/ViewPersonList.h"
#include "platform/base/Profile.h"
#include "platform/base/tests/TempFolder.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/TrayIcon.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "shell/MainFrm.h"
#include "shell/OutbarWnd.h"
#include "shell/RightPaneFrame.h"
#include "shell/SmsApp.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

class ContactsModuleTest : public GuiTest {
protected:
    test_folders::TempDir dir;
    test_folders::ScopedEnv home{"QUILLMAR_HOME", (dir.path() / "home").string()};
    test_folders::ScopedEnv config{"QUILLMAR_CONFIG", (dir.path() / "config").string()};
    test_folders::ScopedEnv runtime{"XDG_RUNTIME_DIR", dir.str()};
    std::vector<MessageBoxCall> boxes;
    std::vector<int> answers; // in turn; IDOK once they run out
    std::function<void(CDialog&)> onDialog;
    CDocument::MessageHook oldDocHook = nullptr;
    CContactsModule module;

    void SetUp() override {
        CProfileStore::ReloadForTesting();
        AfxSetTrayAvailableForTesting(0);
        oldDocHook = CDocument::SetMessageHook(nullptr);
        AfxSetMessageBoxHook([this](const MessageBoxCall& c) {
            boxes.push_back(c);
            if (answers.empty())
                return IDOK;
            int a = answers.front();
            answers.erase(answers.begin());
            return a;
        });
        AfxSetModalDialogHook([this](CDialog& d) {
            if (onDialog)
                onDialog(d);
            else
                d.EndDialog(IDCANCEL);
        });
        AfxRegisterShellModule(&module);
    }
    void TearDown() override {
        AfxUnregisterShellModule(nullptr);
        AfxSetMessageBoxHook(nullptr);
        AfxSetModalDialogHook(nullptr);
        CDocument::SetMessageHook(oldDocHook);
        AfxSetTrayAvailableForTesting(-1);
        CProfileStore::ReloadForTesting();
    }
    std::unique_ptr<CSmsApp> Start() {
        auto app = std::make_unique<CSmsApp>();
        if (!app->InitInstance())
            return nullptr;
        Pump();
        return app;
    }
    // Closes as the exit command does; FALSE when the window stayed.
    static BOOL Exit(CSmsApp& app) {
        CMainFrame* frame = app.GetMainFrame();
        HWND h = frame->GetSafeHwnd();
        frame->CloseForExit();
        if (::IsWindow(h))
            return FALSE;
        app.ExitInstance();
        return TRUE;
    }
    CString WriteBook(const char* file, const char* name, const char* person) {
        CSmsDoc doc;
        doc.GetRootGroup().SetName(name);
        auto* family = new _CGroup("家人");
        doc.GetRootGroup().AddSubgroup(family);
        family->AddContent(new _CPerson(person));
        CString path = (dir.str() + "/" + file).c_str();
        EXPECT_TRUE(doc.OnSaveDocument(path));
        return path;
    }
    void AnswerFile(const CString& path) {
        onDialog = [path](CDialog& d) {
            if (auto* f = dynamic_cast<CFileDialog*>(&d)) {
                CStringArray a;
                a.Add(path);
                f->Answer(a);
                f->EndDialog(IDOK);
            } else {
                d.EndDialog(IDCANCEL);
            }
        };
    }
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
    boxes.clear();
    EXPECT_EQ(frame->OpenFileByExtension(bad), nullptr);
    EXPECT_EQ(tree->GetFileCount(), 2);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.Find("打开文档失败。"), -1) << boxes[0].text.GetString();

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
    boxes.clear();
    answers = {IDCANCEL};
    EXPECT_FALSE(Exit(*app));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "是否保存对 我的通讯录 的更改?");
    EXPECT_EQ(tree->GetFileCount(), 3);

    // No: the books close unsaved and the program ends.
    boxes.clear();
    answers = {IDNO};
    EXPECT_TRUE(Exit(*app));
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(module.GetTree(), nullptr);
}
