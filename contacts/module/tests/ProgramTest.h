// The whole program started offscreen for the address-book tests: settings, user and runtime
// folders of the test's own (AppFolders), no tray, the contacts module registered, the stand-in
// user answering fallbackAnswer, and helpers that start and end the program and open a book in it.
#pragma once

#include "contacts/SmsDoc.h"
#include "contacts/module/ContactsModule.h"
#include "contacts/ui/LeftView.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/TrayIcon.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "shell/MainFrm.h"
#include "shell/SmsApp.h"
#include "shell/tests/ProgramRun.h"

#include <memory>

class ContactsProgramTest : public ScriptedUserTest {
protected:
    explicit ContactsProgramTest(int fallbackAnswer) : m_nFallbackAnswer(fallbackAnswer) {}

    AppFolders folders;
    test_folders::TempDir& dir = folders.dir;
    CDocument::MessageHook oldDocHook = nullptr;
    CContactsModule module;

    void SetUp() override {
        AfxSetTrayAvailableForTesting(0);
        oldDocHook = CDocument::SetMessageHook(nullptr);
        InstallScriptedUser(m_nFallbackAnswer);
        AfxRegisterShellModule(&module);
    }
    void TearDown() override {
        AfxUnregisterShellModule(nullptr);
        RemoveScriptedUser();
        CDocument::SetMessageHook(oldDocHook);
        AfxSetTrayAvailableForTesting(-1);
    }
    static std::unique_ptr<CSmsApp> Start() { return StartProgram(); }
    static BOOL Exit(CSmsApp& app) { return ExitProgram(app); }
    // Writes a book named name whose group 家人 holds person.
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
    // The program started with one book whose group 家人 holds 王芳, its root and the group
    // expanded; person stays null when any step failed.
    struct FamilyBook {
        std::unique_ptr<CSmsApp> app;
        CMainFrame* frame = nullptr;
        CLeftView* tree = nullptr;
        CSmsDoc* doc = nullptr;
        _CGroup* family = nullptr;
        _CPerson* person = nullptr;
    };
    FamilyBook StartWithFamilyBook() {
        FamilyBook b;
        b.app = Start();
        if (!b.app)
            return b;
        b.frame = b.app->GetMainFrame();
        b.tree = module.GetTree();
        CString path = WriteBook("family.sms", "我的通讯录", "王芳");
        if (b.tree == nullptr || b.frame->OpenFileByExtension(path) == nullptr)
            return b;
        b.doc = static_cast<CSmsDoc*>(b.tree->GetFileAt(0)->pDoc);
        b.family =
            dynamic_cast<_CGroup*>(b.doc->GetRootGroup().FindByName("家人", TRUE, FALSE, TRUE));
        if (b.family == nullptr)
            return b;
        b.tree->GetTreeCtrl().Expand(b.tree->GetFileAt(0)->hItem, TVE_EXPAND);
        b.tree->GetTreeCtrl().Expand((HTREEITEM)b.family->GetTreeItem(), TVE_EXPAND);
        b.person = dynamic_cast<_CPerson*>(b.family->FindByName("王芳", FALSE, TRUE, TRUE));
        return b;
    }
    // A file dialog answers with path; any other dialog is cancelled.
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

private:
    int m_nFallbackAnswer;
};
