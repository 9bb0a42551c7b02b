// Times pictures the size a phone camera takes: 20 JPEG photos of 4000 x 3000 made in a
// temporary folder, their thumbnails in an image list box, and one fitted paint of a photo in an
// image window. Targets: the 20 thumbnails in under a second, a paint in under 50 ms.
#include "platform/gui/WndPrivate.h"
#include "ui/bench/GuiBench.h"
#include "ui/ImageWnd.h"
#include "ui/KovListBox.h"

#include <QImage>
#include <QTemporaryDir>
#include <QWidget>
#include <chrono>
#include <cstdio>

int main() {
    StartGuiBenchmark();
    QTemporaryDir dir;
    std::vector<CString> paths;
    auto t = std::chrono::steady_clock::now();
    for (int i = 0; i < 20; ++i) {
        QString path = dir.filePath(QString("photo%1.jpg").arg(i, 2, 10, QChar('0')));
        BenchPhoto(i).save(path, "JPEG", 90);
        paths.push_back(AfxFromQt(path));
    }
    std::printf("made 20 photos of 4000 x 3000:  %.3f s\n", Seconds(t));

    CWnd host;
    host.CreateEx(0, nullptr, "bench", WS_POPUP | WS_VISIBLE, CRect(0, 0, 1000, 700), nullptr, 0);
    CImageListBox box;
    box.Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_OWNERDRAWFIXED, CRect(0, 0, 120, 700),
               &host, 1);
    t = std::chrono::steady_clock::now();
    for (const CString& path : paths)
        box.AddImage(path);
    std::printf("20 thumbnails:                  %.3f s (target < 1 s)\n", Seconds(t));

    CImageWnd wnd;
    wnd.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(130, 0, 930, 600), &host, 2);
    wnd.SetImageStyle(0, IWS_FIT);
    t = std::chrono::steady_clock::now();
    wnd.LoadImage(paths[0]);
    std::printf("load one photo:                 %.3f s\n", Seconds(t));
    wnd.GetWidget()->grab(); // the first paint sets up the backing picture
    double best = 1e9, total = 0;
    for (int i = 0; i < 5; ++i) {
        // Invalidated, so the window paints the photo again rather than showing its last picture.
        wnd.Invalidate();
        t = std::chrono::steady_clock::now();
        wnd.GetWidget()->grab();
        double s = Seconds(t);
        best = std::min(best, s);
        total += s;
    }
    std::printf("fitted paint (800 x 600):       %.1f ms best, %.1f ms mean (target < 50 ms)\n",
                best * 1000, total / 5 * 1000);
    host.DestroyWindow();
    return 0;
}
