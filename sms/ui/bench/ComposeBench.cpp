// The compose form's two costly paths: 10 000 generated numbers into the batch list with every
// check on (each number is checked against the rows before it), and recounting a 10 000-character
// text (done after each key press). Prints both times.
#include "contacts/NumberSet.h"
#include "platform/gui/Wnd.h"
#include "platform/gui/WndPrivate.h"
#include "sms/SmsCounter.h"
#include "sms/ui/EditSmsForm.h"

#include <QApplication>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>

int main() {
    QTemporaryDir home;
    qputenv("QUILLMAR_HOME", home.path().toUtf8());
    qputenv("QUILLMAR_CONFIG", home.path().toUtf8());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    AfxEnsureGuiApp();
    CWnd host;
    host.CreateEx(0, nullptr, "host", WS_POPUP, CRect(0, 0, 860, 640), nullptr, 0);
    auto* form = new CEditSmsForm;
    form->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 860, 640), &host,
                 AFX_IDW_PANE_FIRST);
    form->StartEdit(nullptr, FALSE);
    form->SetOption(CEditSmsForm::OptDuplicates, TRUE);
    form->SetOption(CEditSmsForm::OptIllegal, TRUE);
    form->SetOption(CEditSmsForm::OptEmpty, TRUE);

    using Clock = std::chrono::steady_clock;
    auto start = Clock::now();
    form->GetBatchList().SetRedraw(FALSE);
    CNumberSet set;
    set.Generate("136****0000", form);
    form->GetBatchList().SetRedraw(TRUE);
    const double generate = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("10000 generated numbers into the batch list, all checks on: %.3f s (%d rows)\n",
                generate, form->GetRowCount());

    CString text;
    for (int i = 0; i < 10000; ++i)
        text += i % 2 ? "字" : "a";
    const int runs = 100;
    start = Clock::now();
    int parts = 0;
    for (int i = 0; i < runs; ++i)
        parts += CountSms(text, 0, 0, SmsLimitParts, 100, 70, 160).nParts;
    const double count = std::chrono::duration<double>(Clock::now() - start).count() / runs;
    std::printf("recounting a 10000-character text: %.3f ms (%d parts)\n", count * 1000,
                parts / runs);
    host.DestroyWindow();
    return 0;
}
