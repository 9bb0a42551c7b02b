#include "platform/gui/Image.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "ui/ImageWnd.h"
#include "ui/KovListBox.h"
#include "ui/tests/ImageTestSupport.h"

#include <QElapsedTimer>
#include <filesystem>
#include <random>
#include <sys/stat.h>

using namespace image_test;

namespace {

const char* const kSamples[] = {"sample.bmp", "sample.jpg", "sample.png",
                                "sample.gif", "sample.ico", "sample.tif"};

class ImageFilesTest : public GuiTest {
protected:
    QTemporaryDir dir;
    CWnd parent;
    CImageWnd wnd;
    CImageListBox box;
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "p", WS_POPUP | WS_VISIBLE, CRect(0, 0, 400, 300),
                                    nullptr, 0));
        ASSERT_TRUE(wnd.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 150),
                               &parent, 1));
        ASSERT_TRUE(box.Create(WS_CHILD | WS_VISIBLE | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS,
                               CRect(210, 0, 330, 300), &parent, 2));
        wnd.SetEmptyText("没有照片");
    }
    void TearDown() override { parent.DestroyWindow(); }
    CString Path(const char* name) { return AfxFromQt(dir.filePath(QString::fromUtf8(name))); }
};

// The square shows dark text on white and nothing of the picture.
bool ShowsNotFound(const CImage* thumb) {
    if (!thumb)
        return false;
    const QImage& img = *thumb->GetQImage();
    int dark = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            char k = KindAt(img, x, y);
            if (k == 'r' || k == 'b' || k == 'g')
                return false;
            dark += k == 'k';
        }
    return dark > 10 && KindAt(img, 2, 2) == 'w';
}

TEST_F(ImageFilesTest, EachFormatLoadsByContentWhateverItsNameSays) {
    for (const char* sample : kSamples) {
        SCOPED_TRACE(sample);
        // The content decides: every sample is saved under a name that says nothing.
        QString upper = dir.filePath(QStringLiteral("照片.DAT"));
        QFile::remove(upper);
        ASSERT_TRUE(WriteBytes(upper, SampleBytes(sample)));
        CImage image;
        // A program path with the other separator and the name in another case.
        CString path = AfxFromQt(QDir::toNativeSeparators(dir.path()).replace('/', '\\')) +
                       "\\照片.dat";
        ASSERT_EQ(image.Load(path), S_OK);
        EXPECT_EQ(image.GetWidth(), 120);
        EXPECT_EQ(image.GetHeight(), 60);
        // A GIF shows its first frame (the second is all green).
        EXPECT_EQ(KindAt(*image.GetQImage(), 20, 30), 'r');
        EXPECT_EQ(KindAt(*image.GetQImage(), 100, 30), 'b');
        EXPECT_TRUE(wnd.LoadImage(path));
        int row = box.AddImage(path);
        ASSERT_GE(row, 0);
        const CImage* thumb = box.GetThumbnail(row);
        ASSERT_NE(thumb, nullptr);
        EXPECT_EQ(KindAt(*thumb->GetQImage(), 20, 45), 'r');
        EXPECT_EQ(KindAt(*thumb->GetQImage(), 70, 45), 'b');
    }
}

TEST_F(ImageFilesTest, FilesWithoutAWholePictureShowTheEmptyTextAndNotFound) {
    const QByteArray png = SampleBytes("sample.png");
    struct Case {
        const char* name;
        std::function<CString()> make;
    };
    std::vector<Case> cases = {
        {"missing", [&] { return Path("none.png"); }},
        {"empty", [&] { WriteBytes(dir.filePath("empty.png"), {}); return Path("empty.png"); }},
        {"text", [&] {
             WriteBytes(dir.filePath("note.jpg"), "这不是图片, just some words\n");
             return Path("note.jpg");
         }},
        {"folder", [&] { QDir(dir.path()).mkdir("album.png"); return Path("album.png"); }},
        {"device", [] { return CString("/dev/zero"); }},
        {"pipe", [&] {
             QString fifo = dir.filePath("pipe.jpg");
             EXPECT_EQ(mkfifo(fifo.toUtf8().constData(), 0600), 0);
             return AfxFromQt(fifo);
         }},
        {"over 64 MB", [&] {
             QString big = dir.filePath("big.png");
             WriteBytes(big, png);
             std::filesystem::resize_file(big.toStdString(), AFX_MAX_IMAGE_FILE + 1);
             return AfxFromQt(big);
         }},
        {"past the allocation limit", [&] {
             // The frame header of the JPEG claims 30000 x 30000 pixels.
             QByteArray jpg = SampleBytes("sample.jpg");
             int sof = jpg.indexOf(QByteArray::fromHex("ffc0"));
             EXPECT_GT(sof, 0);
             jpg[sof + 5] = jpg[sof + 7] = char(0x75);
             jpg[sof + 6] = jpg[sof + 8] = char(0x30);
             WriteBytes(dir.filePath("huge.jpg"), jpg);
             return Path("huge.jpg");
         }},
        {"placeable metafile", [&] {
             WriteBytes(dir.filePath("pic.wmf"),
                        QByteArray::fromHex("d7cdc69a0000000000000a000a00a005000000000000"
                                            "010009000003220000000000"));
             return Path("pic.wmf");
         }},
        {"enhanced metafile", [&] {
             QByteArray emf(88, '\0');
             emf[0] = 1;
             emf[4] = 88;
             emf.replace(40, 4, " EMF");
             WriteBytes(dir.filePath("pic.emf"), emf);
             return Path("pic.emf");
         }},
    };
    // Each format cut short inside its picture data, and the PNG without its last byte.
    for (const char* sample : kSamples) {
        cases.push_back({sample, [&, sample] {
                             QByteArray bytes = SampleBytes(sample);
                             QString cut = dir.filePath(QString("cut-") + sample);
                             WriteBytes(cut, bytes.left(bytes.size() * 2 / 5));
                             return AfxFromQt(cut);
                         }});
    }
    cases.push_back({"png without its last byte", [&] {
                         WriteBytes(dir.filePath("short.png"), png.left(png.size() - 1));
                         return Path("short.png");
                     }});
    cases.push_back({"jpeg without its last byte", [&] {
                         QByteArray jpg = SampleBytes("sample.jpg");
                         WriteBytes(dir.filePath("short.jpg"), jpg.left(jpg.size() - 1));
                         return Path("short.jpg");
                     }});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CString path = c.make();
        QElapsedTimer clock;
        clock.start();
        CImage image;
        EXPECT_EQ(image.Load(path), E_FAIL);
        EXPECT_TRUE(image.IsNull());
        EXPECT_FALSE(wnd.LoadImage(path));
        int row = box.AddImage(path);
        ASSERT_GE(row, 0);
        EXPECT_TRUE(ShowsNotFound(box.GetThumbnail(row)));
        // Nothing waits for a writer or reads a device without end.
        EXPECT_LT(clock.elapsed(), 5000);
    }
    // The window shows its text, and the old picture is gone.
    Pump();
    QImage shot = wnd.GetWidget()->grab().toImage();
    int dark = 0;
    for (int x = 0; x < shot.width(); ++x)
        dark += KindAt(shot, x, shot.height() / 2) == 'k';
    EXPECT_GT(dark, 3);
    EXPECT_EQ(wnd.GetZoom(), 1);
    wnd.SetImageStyle(0, IWS_FIT);
    EXPECT_EQ(wnd.GetZoom(), 0);
}

TEST_F(ImageFilesTest, DamagedBytesNeverTakeTheReaderOutOfItsFile) {
    // Bytes overwritten and files cut at random places, the same ones on every run; the
    // sanitizers of the test build see any read past the data.
    std::mt19937 random(23);
    for (const char* sample : kSamples) {
        const QByteArray good = SampleBytes(sample);
        for (int round = 0; round < 300; ++round) {
            QByteArray bytes = good;
            int changes = 1 + (int)(random() % 4);
            for (int i = 0; i < changes; ++i)
                bytes[(int)(random() % bytes.size())] = (char)(random() % 256);
            if (round % 3 == 0)
                bytes.truncate((int)(random() % bytes.size()));
            QImage image = AfxDecodeImage(bytes, SIZE{90, 90});
            if (!image.isNull()) {
                EXPECT_TRUE(image.width() <= 90 && image.height() <= 90) << sample << " " << round;
            }
        }
    }
}

TEST_F(ImageFilesTest, ALargePictureCanBeReadShrunkToABound) {
    QString path = WriteHalves(QDir(dir.path()), "wide.png", 400, 100);
    CImage image;
    ASSERT_EQ(image.Load(AfxFromQt(path), 90, 90), S_OK);
    EXPECT_EQ(image.GetWidth(), 90);
    EXPECT_EQ(image.GetHeight(), 22);
    // A picture within the bound keeps its size.
    ASSERT_EQ(image.Load(AfxFromQt(path), 1000, 1000), S_OK);
    EXPECT_EQ(image.GetWidth(), 400);
}

} // namespace
