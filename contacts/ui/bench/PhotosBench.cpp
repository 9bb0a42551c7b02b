// Times a contact's photos the size a phone camera takes: 30 JPEG photos of 4000 x 3000 made in
// a temporary folder. The photo list editor showing every thumbnail (target under 3 s) and the
// photo page showing the next photo (target under 0.3 s).
#include "contacts/ui/DlgEditPhotoes.h"
#include "contacts/ui/PagePhotoes.h"
#include "platform/gui/WndPrivate.h"
#include "ui/bench/GuiBench.h"

#include <QImage>
#include <QTemporaryDir>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {

constexpr int kPhotos = 30;

} // namespace

int main() {
    StartGuiBenchmark();
    QTemporaryDir dir;
    CStringListEx photos;
    auto t = std::chrono::steady_clock::now();
    for (int i = 0; i < kPhotos; ++i) {
        QString name = QString("photo%1.jpg").arg(i, 2, 10, QChar('0'));
        BenchPhoto(i).save(dir.filePath(name), "JPEG", 90);
        photos.AddTail(AfxFromQt(name)); // stored relative to the book's file
    }
    std::printf("made %d photos of 4000 x 3000:    %.3f s\n", kPhotos, Seconds(t));
    const CString book = AfxFromQt(dir.filePath("book.sms"));

    CPropertySheet sheet("联系人");
    CPagePhotoes page;
    page.SetDocumentPath(book);
    sheet.AddPage(&page);
    if (!sheet.Create()) {
        std::printf("the sheet could not be made\n");
        return 1;
    }
    sheet.SetWindowPos(nullptr, 0, 0, 640, 560, SWP_NOMOVE | SWP_NOZORDER);
    sheet.ShowWindow(SW_SHOW);
    page.ExchangePhotos(photos, TRUE);
    page.GetImageWnd().GetWidget()->grab();

    // The next photo: loaded and painted in the picture window.
    double worst = 0, total = 0;
    int loaded = 0;
    for (int i = 1; i < kPhotos; ++i) {
        t = std::chrono::steady_clock::now();
        loaded += page.ShowPhoto(page.GetCurrent() + 1) ? 1 : 0;
        page.GetImageWnd().GetWidget()->grab();
        const double s = Seconds(t);
        worst = std::max(worst, s);
        total += s;
    }
    std::printf("page, next photo (%d shown):      %.3f s mean, %.3f s worst (target < 0.3 s)\n",
                loaded, total / (kPhotos - 1), worst);
    // Shown at its own size, the photo is read whole.
    t = std::chrono::steady_clock::now();
    page.SendMessage(WM_COMMAND, CPagePhotoes::ID_PHOTO_ACTUAL_SIZE);
    page.GetImageWnd().GetWidget()->grab();
    std::printf("page, actual size of a photo:     %.3f s\n", Seconds(t));

    // The editor from its start until every thumbnail is drawn.
    double shown = 0;
    int thumbnails = 0;
    CStringList list;
    for (POSITION pos = photos.GetHeadPosition(); pos;)
        list.AddTail(photos.GetNext(pos));
    CDlgEditPhotoes dlg(list, 0, book, &page);
    t = std::chrono::steady_clock::now();
    AfxSetModalDialogHook([&](CDialog& d) {
        CImageListBox& box = dlg.GetListBox();
        for (int i = 0; i < box.GetCount(); ++i)
            thumbnails += box.GetThumbnail(i) != nullptr;
        d.GetWidget()->grab();
        shown = Seconds(t);
        d.EndDialog(IDCANCEL);
    });
    dlg.DoModal();
    AfxSetModalDialogHook(nullptr);
    std::printf("editor, %d of %d thumbnails shown: %.3f s (target < 3 s)\n", thumbnails, kPhotos,
                shown);
    sheet.DestroyWindow();
    return 0;
}
