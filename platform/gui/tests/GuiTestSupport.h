// Shared set-up of the window tests: the Qt application, a private profile and program folder,
// and the folder where windows leave their pictures.
#pragma once

#include "platform/gui/Dialog.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/Wnd.h"
#include "platform/gui/WndPrivate.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <functional>
#include <string>
#include <vector>

class GuiTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static QTemporaryDir home;
        qputenv("QUILLMAR_HOME", home.path().toUtf8());
        qputenv("QUILLMAR_CONFIG", home.path().toUtf8());
        AfxEnsureGuiApp();
    }
    // Runs the event loop until pred holds or the time is up.
    template <class Pred> static bool WaitFor(Pred pred, int ms = 2000) {
        QElapsedTimer t;
        t.start();
        while (!pred()) {
            if (t.elapsed() > ms)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return true;
    }
    static void Pump() {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }
    // A window's rectangle in its parent's (or another window's) client coordinates.
    static CRect RectIn(CWnd* w, CWnd* parent) {
        CRect r;
        w->GetWindowRect(&r);
        parent->ScreenToClient(&r);
        return r;
    }
    static std::string ScreenPath(const char* name) {
        return std::string(QUILLMAR_SCREENS_DIR) + "/" + name + ".png";
    }
};

// A window test with a stand-in user: each message box is recorded in `shown` and answered from
// `answers` in turn (with the fallback once they run out); each modal dialog goes to `onDialog`,
// or is cancelled when there is none.
class ScriptedUserTest : public GuiTest {
protected:
    std::vector<MessageBoxCall> shown;
    std::vector<int> answers;
    std::function<void(CDialog&)> onDialog;

    void InstallScriptedUser(int fallback) {
        AfxSetMessageBoxHook([this, fallback](const MessageBoxCall& c) {
            shown.push_back(c);
            if (answers.empty())
                return fallback;
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
    }
    // Whatever the windows ask from now on gets the fallback answer or a cancel.
    void ForgetScript() {
        answers.clear();
        onDialog = nullptr;
    }
    void RemoveScriptedUser() {
        ForgetScript();
        AfxSetMessageBoxHook(nullptr);
        AfxSetModalDialogHook(nullptr);
    }
};
