// Opening a file's folder with the desktop, and the scroll-bar sizes views lay themselves out by.
#include "platform/gui/tests/GuiTestSupport.h"

#include <QDir>
#include <QUrl>
#include <string>
#include <vector>

#include "core/SystemInformation.h"
#include "core/ui/OpenFolder.h"
#include "core/ui/ScrollBarSize.h"
#include "platform/base/OsPath.h"
#include "platform/gui/ShellServices.h"

namespace {

class OpenFolderTest : public GuiTest {
protected:
    QTemporaryDir tmp;
    std::vector<std::string> opened;
    bool answer = true;
    void SetUp() override {
        AfxSetShellOpenHook([this](const std::string& url) {
            opened.push_back(url);
            return answer;
        });
    }
    void TearDown() override { AfxSetShellOpenHook(nullptr); }
    // The program path of a name inside the temporary folder.
    CString Path(const QString& name) {
        return ProgramPathFromOsPath((tmp.path() + "/" + name).toStdString());
    }
    std::string FolderUrl(const QString& name) {
        return QUrl::fromLocalFile(tmp.path() + "/" + name)
            .toString(QUrl::FullyEncoded)
            .toStdString();
    }
};

} // namespace

TEST_F(OpenFolderTest, OpensTheFolderNeverTheFile) {
    ASSERT_TRUE(QDir(tmp.path()).mkpath(QString::fromUtf8(u8"照片")));
    struct Row {
        CString path;
        bool result;
        std::string url; // empty: nothing handed to the desktop
    } rows[] = {
        {Path(QString::fromUtf8(u8"照片/a.jpg")), true, FolderUrl(QString::fromUtf8(u8"照片"))},
        // Only the folder has to exist: the file may be gone already.
        {Path(QString::fromUtf8(u8"照片/gone.exe")), true, FolderUrl(QString::fromUtf8(u8"照片"))},
        {Path("missing/a.jpg"), false, ""},
        {"a.jpg", false, ""}, // no folder part
        {"", false, ""},
    };
    for (const Row& r : rows) {
        opened.clear();
        EXPECT_EQ(OpenContainingFolder(r.path) != FALSE, r.result) << r.path.GetString();
        EXPECT_EQ(opened,
                  r.url.empty() ? std::vector<std::string>{} : std::vector<std::string>{r.url})
            << r.path.GetString();
    }
    EXPECT_FALSE(OpenContainingFolder(nullptr));
}

TEST_F(OpenFolderTest, ADesktopThatDoesNotOpenIsAFailure) {
    answer = false;
    EXPECT_FALSE(OpenContainingFolder(Path("a.txt")));
    EXPECT_EQ(opened.size(), 1u);
}

using ScrollBarSize = GuiTest;

TEST_F(ScrollBarSize, CarriesTheCorrection) {
    const int correction = CSystemInformation::Get().HasScrollBarCorrection() ? 1 : 0;
    // The program is made for a platform version that asks for it.
    EXPECT_EQ(correction, 1);
    EXPECT_EQ(GetVScrollBarWidth(), GetSystemMetrics(SM_CXVSCROLL) + correction);
    EXPECT_EQ(GetHScrollBarHeight(), GetSystemMetrics(SM_CYHSCROLL) + correction);
}
