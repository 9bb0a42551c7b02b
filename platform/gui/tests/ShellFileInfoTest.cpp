#include "GuiTestSupport.h"

#include "platform/gui/ShellFileInfo.h"

#include <QImage>

namespace {

class ShellFileInfoTest : public GuiTest {};

QImage IconOf(const char* path, DWORD attributes, UINT flags) {
    SHFILEINFO info{};
    if (!SHGetFileInfo(path, attributes, &info, sizeof info, flags | SHGFI_ICON) || !info.hIcon)
        return QImage();
    QImage img = AfxIconImage(info.hIcon);
    DestroyIcon(info.hIcon);
    return img;
}

bool HasInk(const QImage& img) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(img.pixel(x, y)) != 0)
                return true;
    return false;
}

TEST_F(ShellFileInfoTest, MadeUpNamesGiveAnIconOfTheAskedSizeForEveryKindOfFile) {
    struct Case {
        const char* name;
        DWORD attributes;
        UINT flags;
        int size;
    } cases[] = {
        {"foo.txt", FILE_ATTRIBUTE_NORMAL, SHGFI_USEFILEATTRIBUTES, 32},
        {"foo.pdf", FILE_ATTRIBUTE_NORMAL, SHGFI_USEFILEATTRIBUTES | SHGFI_SMALLICON, 16},
        {"foo.qqzzxx", FILE_ATTRIBUTE_NORMAL, SHGFI_USEFILEATTRIBUTES, 32}, // no such type
        {"foo.", FILE_ATTRIBUTE_NORMAL, SHGFI_USEFILEATTRIBUTES, 32},       // no extension
        {"文件夹", FILE_ATTRIBUTE_DIRECTORY, SHGFI_USEFILEATTRIBUTES, 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QImage img = IconOf(c.name, c.attributes, c.flags);
        ASSERT_FALSE(img.isNull());
        EXPECT_EQ(c.size, img.width());
        EXPECT_EQ(c.size, img.height());
        EXPECT_TRUE(HasInk(img));
    }
}

TEST_F(ShellFileInfoTest, OneExtensionGivesOnePictureAndTheTypeNameComesFromTheDesktop) {
    QImage a = IconOf("foo.txt", FILE_ATTRIBUTE_NORMAL, SHGFI_USEFILEATTRIBUTES);
    QImage b = IconOf("D:\\别处\\报告.TXT", FILE_ATTRIBUTE_NORMAL, SHGFI_USEFILEATTRIBUTES);
    EXPECT_EQ(a, b);
    SHFILEINFO info{};
    ASSERT_NE(0u, SHGetFileInfo("foo.txt", FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                                SHGFI_USEFILEATTRIBUTES | SHGFI_TYPENAME | SHGFI_DISPLAYNAME));
    EXPECT_EQ(nullptr, info.hIcon);
    EXPECT_STRNE("", info.szTypeName);
    EXPECT_STREQ("foo.txt", info.szDisplayName);
}

TEST_F(ShellFileInfoTest, WithoutTheAttributesOnlyExistingFilesAreAnswered) {
    QTemporaryDir dir;
    const QString file = dir.path() + QString::fromUtf8(u8"/笔记.txt");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("plain text\n");
    f.close();
    SHFILEINFO info{};
    EXPECT_NE(0u, SHGetFileInfo(AfxFromQt(file), 0, &info, sizeof info, SHGFI_ICON));
    EXPECT_NE(nullptr, info.hIcon);
    DestroyIcon(info.hIcon);
    const CString missing = AfxFromQt(dir.path() + "/missing.txt");
    EXPECT_EQ(0u, SHGetFileInfo(missing, 0, &info, sizeof info, SHGFI_ICON));
    EXPECT_EQ(0u, SHGetFileInfo(nullptr, 0, &info, sizeof info, SHGFI_ICON));
}

} // namespace
