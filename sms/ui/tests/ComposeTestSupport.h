// A compose form on its own: a window holding it, an address book with a contact and a group
// tree, the form writing for the book with the contact's box current, and a host with no
// account and no manager unless the test gives them.
#pragma once

#include "contacts/ContactGroup.h"
#include "contacts/Person.h"
#include "contacts/SmsDoc.h"
#include "platform/gui/ShellServices.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "sms/ui/ComposeHost.h"
#include "sms/ui/EditSmsForm.h"

#include <string>
#include <vector>

class FakeComposeHost : public CISmsComposeHost {
public:
    _CSender* GetActiveSender() override { return sender; }
    CCommDevice* GetCommDevice() override { return device; }
    CWnd* GetPickTree() override { return tree; }
    _CSender* sender = nullptr;
    CCommDevice* device = nullptr;
    CWnd* tree = nullptr;
};

inline _CPerson* MakePerson(const char* name, const char* mobile, const char* email = nullptr) {
    auto* p = new _CPerson(name);
    if (mobile != nullptr)
        p->GetInfo().m_personal.mobiles.AddTail(CXString(CString(mobile)));
    if (email != nullptr)
        p->GetInfo().m_personal.email.AddTail(CXString(CString(email)));
    return p;
}

class ComposeFormTest : public ScriptedUserTest {
protected:
    CWnd host;
    CEditSmsForm* form = nullptr; // deletes itself with its window
    CSmsDoc doc;
    FakeComposeHost composeHost;
    _CPerson* person = nullptr;
    std::vector<std::string> opened;
    ShellOpenHook oldOpen;

    void SetUp() override {
        InstallScriptedUser(IDOK);
        SetSmsComposeHost(&composeHost);
        oldOpen = AfxSetShellOpenHook([this](const std::string& url) {
            opened.push_back(url);
            return true;
        });
        person = MakePerson("王芳", "13912345678", "wf@example.com");
        doc.GetRootGroup().AddContent(person);
        doc.SetCurrentObject(person);
        doc.SetCurrentBox(&person->GetSmsBox());
        ASSERT_TRUE(host.CreateEx(0, nullptr, "host", WS_POPUP | WS_VISIBLE,
                                  CRect(0, 0, 860, 640), nullptr, 0));
        form = new CEditSmsForm;
        ASSERT_TRUE(form->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 860, 640),
                                 &host, AFX_IDW_PANE_FIRST));
        form->TakeDocument(&doc);
        form->SetComposeMode(CEditSmsForm::ModeNew);
        form->StartCompose(0, 0);
        Pump();
    }
    void TearDown() override {
        host.DestroyWindow();
        SetSmsComposeHost(nullptr);
        AfxSetShellOpenHook(oldOpen);
        RemoveScriptedUser();
    }

    CString Item(UINT id) {
        CString s;
        form->GetDlgItemText(id, s);
        return s;
    }
    void SetText(const char* text) {
        form->GetDlgItem(CEditSmsForm::IDC_TEXT)->SetWindowText(text);
        form->UpdateCounts();
    }
    void ChooseBatch() {
        form->CheckRadioButton(CEditSmsForm::IDC_RADIO_SINGLE, CEditSmsForm::IDC_RADIO_BATCH,
                               CEditSmsForm::IDC_RADIO_BATCH);
    }
    void SelectCombo(UINT id, int index, UINT notify = CBN_SELCHANGE) {
        auto* combo = static_cast<CComboBox*>(form->GetDlgItem(id));
        combo->SetCurSel(index);
        form->SendMessage(WM_COMMAND, MAKEWPARAM(id, notify), (LPARAM)combo->GetSafeHwnd());
    }
    std::vector<std::string> Row(int i) {
        std::vector<std::string> r;
        CListCtrl& list = form->GetBatchList();
        const int columns = list.GetHeaderCtrl()->GetItemCount();
        for (int c = 0; c < columns; ++c)
            r.push_back((LPCTSTR)list.GetItemText(i, c));
        return r;
    }
    _CSmsBox& Outbox() { return *person->GetSmsBox(1); }
};
