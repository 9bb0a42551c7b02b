// Path and folder functions over real temporary folders.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include "core/FileUtil.h"
#include "platform/base/OsPath.h"
#include "platform/base/tests/TempFolder.h"

namespace fs = std::filesystem;
using test_folders::ScopedEnv;
using test_folders::TempDir;

namespace {

void Touch(const fs::path& p, const std::string& content = "x") {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << content;
}

// The program path of an operating-system path.
CString P(const fs::path& p) {
    return ProgramPathFromOsPath(p.string());
}

struct JoinCase {
    const char* folder;
    const char* name;
    const char* expected;
};

} // namespace

TEST(FileUtilPaths, CombinePathJoinsAndCanonicalises) {
    const JoinCase cases[] = {
        {"\\a\\b", "c", "\\a\\b\\c"},
        {"\\a\\b\\", "c", "\\a\\b\\c"},
        {"/a/b", "../c", "\\a\\c"},
        {"\\a\\b", ".\\c\\.\\d", "\\a\\b\\c\\d"},
        {"\\a", "\\x\\y", "\\x\\y"}, // an absolute name stands alone
        {"", "c", "c"},
        {"\\a", "", "\\a"},
        {"a\\.", "..\\..\\c", "..\\c"},   // a relative path keeps what it cannot cancel
        {"\\", "..\\..\\c", "\\c"},       // nothing goes above the root
        {"资料", "乗\\x", "资料\\乗\\x"}, // 乗 ends with the byte of "\": one character
    };
    for (const JoinCase& c : cases) {
        CString out = "stale";
        CombinePath(c.folder, c.name, out);
        EXPECT_STREQ(out, c.expected) << c.folder << " + " << c.name;
    }
}

TEST(FileUtilPaths, ParentReplaceAndExtension) {
    EXPECT_STREQ(GetParentDirectory("\\a\\b\\c.txt"), "\\a\\b");
    EXPECT_STREQ(GetParentDirectory("\\a"), "\\");
    EXPECT_STREQ(GetParentDirectory("c.txt"), "");
    EXPECT_STREQ(GetParentDirectory("\\d\\乗"), "\\d");

    CString path = "\\d\\old.box";
    ReplaceFileName(path, "new.box");
    EXPECT_STREQ(path, "\\d\\new.box");
    path = "old.box";
    ReplaceFileName(path, "new.box");
    EXPECT_STREQ(path, "new.box");
    path = "\\d\\old.box";
    ReplaceFileName(path, ""); // the parent alone is not empty: it is taken
    EXPECT_STREQ(path, "\\d");

    const JoinCase extensions[] = {
        {"\\d\\f.txt", "gp", "\\d\\f.gp"},
        {"\\d.x\\f", "gp", "\\d.x\\f.gp"}, // a dot in a folder name is no extension
        {"f.tar.gz", "gp", "f.tar.gp"},
        {"f", "sdr", "f.sdr"},
    };
    for (const JoinCase& c : extensions) {
        CString p = c.folder;
        ChangeFileExtension(p, c.name);
        EXPECT_STREQ(p, c.expected) << c.folder;
    }
}

TEST(FileUtilPaths, ResolveRelativePathAgainstFolderOrFile) {
    CString path = "..\\photos\\me.jpg";
    EXPECT_TRUE(ResolveRelativePath(path, "\\home\\u\\book\\list.sms", TRUE));
    EXPECT_STREQ(path, "\\home\\u\\photos\\me.jpg");

    path = "me.jpg";
    EXPECT_TRUE(ResolveRelativePath(path, "\\home\\u", FALSE));
    EXPECT_STREQ(path, "\\home\\u\\me.jpg");

    path = "..";
    EXPECT_FALSE(ResolveRelativePath(path, "x", FALSE)); // cancels to nothing: left alone
    EXPECT_STREQ(path, "..");
}

TEST(FileUtilPaths, RelativePathsFromAFileRoundTrip) {
    const char* const book = "\\home\\u\\book\\list.sms";
    const struct {
        const char* base;
        const char* path;
        const char* relative; // null: no relative form, the path stays absolute
    } cases[] = {
        {book, "\\home\\u\\book\\me.jpg", ".\\me.jpg"},
        {book, "/home/u/book/pics/me.jpg", ".\\pics\\me.jpg"},
        {book, "\\home\\u\\me.jpg", "..\\me.jpg"},
        {book, "\\home\\x\\pics\\me.jpg", "..\\..\\x\\pics\\me.jpg"},
        {book, "\\HOME\\U\\Book\\me.jpg", ".\\me.jpg"}, // the file system ignores case
        {"C:\\Books\\list.sms", "c:\\books\\pics\\me.jpg", ".\\pics\\me.jpg"},
        {"C:\\Books\\list.sms", "D:\\pics\\me.jpg", nullptr},
        {book, "D:\\pics\\me.jpg", nullptr},
        {"C:\\Books\\list.sms", "\\pics\\me.jpg", nullptr},
        {book, "me.jpg", nullptr},               // already relative
        {"list.sms", "\\pics\\me.jpg", nullptr}, // a base without a root
    };
    for (const auto& c : cases) {
        CString path = c.path;
        EXPECT_EQ(MakeRelativePath(path, c.base, TRUE) != FALSE, c.relative != nullptr) << c.path;
        EXPECT_STREQ(path, c.relative ? c.relative : c.path) << c.path;
        EXPECT_EQ(IsRelativePath(path) != FALSE, c.relative != nullptr || IsRelativePath(c.path))
            << c.path;
        if (!c.relative)
            continue;
        EXPECT_TRUE(ResolveRelativePath(path, c.base, TRUE));
        EXPECT_EQ(path.CompareNoCase(CanonicalizePath(c.path)), 0)
            << c.path << " came back as " << (LPCTSTR)path;
    }
}

TEST(FileUtilNames, ValidityStepsOverDoubleByteCharacters) {
    const struct {
        const char* name;
        bool valid;
        const char* cleaned;
    } cases[] = {
        {"report 2024.txt", true, "report 2024.txt"},
        {"张三", true, "张三"},
        {"乗亅", true, "乗亅"}, // second bytes are "\" and "|" but belong to the characters
        {"a\\b/c:d*e?f\"g<h>i|j", false, "abcdefghij"},
        {"乗?", false, "乗"},
        {"", true, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsValidFileName(c.name) != FALSE, c.valid) << c.name;
        EXPECT_STREQ(RemoveInvalidFileNameChars(c.name), c.cleaned) << c.name;
    }
}

TEST(FileUtilNames, MakeUniqueFileNameCountsPastTakenNames) {
    TempDir tmp;
    Touch(tmp.path() / "a.txt");
    Touch(tmp.path() / "a1.txt");
    CString out;
    EXPECT_STREQ(MakeUniqueFileName(out, P(tmp.path()), "a", ".txt", FALSE), "a2.txt");
    EXPECT_STREQ(out, "a2.txt");
    MakeUniqueFileName(out, P(tmp.path()), "a", ".txt", TRUE);
    EXPECT_STREQ(out, P(tmp.path()) + "\\a2.txt");
    MakeUniqueFileName(out, P(tmp.path()), "b", ".txt", FALSE);
    EXPECT_STREQ(out, "b.txt");

    // Names that differ only in case are the same name to the program, and a folder takes a
    // name as much as a file does.
    Touch(tmp.path() / "IN.BOX");
    fs::create_directory(tmp.path() / "in1.box");
    MakeUniqueFileName(out, P(tmp.path()), "in", ".box", FALSE);
    EXPECT_STREQ(out, "in2.box");
}

TEST(FileUtilFolders, SubdirectoryExistsIsCaseSensitiveAndWantsAFolder) {
    TempDir tmp;
    fs::create_directory(tmp.path() / "Users");
    fs::create_directory(tmp.path() / fs::path(u8"张三"));
    Touch(tmp.path() / "plain");
    const CString folder = P(tmp.path());
    EXPECT_TRUE(SubdirectoryExists(folder, "Users"));
    EXPECT_TRUE(SubdirectoryExists(folder, "张三"));
    EXPECT_FALSE(SubdirectoryExists(folder, "users"));
    EXPECT_FALSE(SubdirectoryExists(folder, "plain"));
    EXPECT_FALSE(SubdirectoryExists(folder, ""));
    EXPECT_FALSE(SubdirectoryExists(folder + "\\missing", "Users"));
}

TEST(FileUtilFolders, IsDirectoryEmpty) {
    TempDir tmp;
    const CString folder = P(tmp.path());
    EXPECT_TRUE(IsDirectoryEmpty(folder));
    fs::create_directory(tmp.path() / "sub");
    EXPECT_FALSE(IsDirectoryEmpty(folder));
    EXPECT_TRUE(IsDirectoryEmpty(folder + "\\sub"));
    EXPECT_TRUE(IsDirectoryEmpty(folder + "\\missing"));
}

TEST(FileUtilFolders, DeleteDirectoryRemovesTheWholeTree) {
    TempDir tmp;
    const fs::path root = tmp.path() / "Users" / "12345";
    Touch(root / "User.dat");
    Touch(root / "Images" / "a.bmp");
    Touch(root / "Images" / "deep" / "b.bmp");
    fs::create_directories(root / "empty");
    EXPECT_TRUE(DeleteDirectory(P(root)));
    EXPECT_FALSE(fs::exists(root));
    EXPECT_TRUE(fs::exists(tmp.path() / "Users"));

    Touch(tmp.path() / "file");
    EXPECT_FALSE(DeleteDirectory(P(tmp.path() / "file")));
    EXPECT_TRUE(fs::exists(tmp.path() / "file"));
    EXPECT_FALSE(DeleteDirectory(P(tmp.path() / "missing")));
}

TEST(FileUtilFolders, DeletingNeverFollowsALinkOutOfTheFolder) {
    TempDir tmp;
    const fs::path outside = tmp.path() / "outside";
    Touch(outside / "keep.txt");
    const fs::path folder = tmp.path() / "box";
    Touch(folder / "x.txt");
    fs::create_directory_symlink(outside, folder / "link");
    fs::create_symlink(outside / "keep.txt", folder / "filelink");

    EXPECT_TRUE(DeleteDirectoryContents(P(folder)));
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_TRUE(fs::exists(outside / "keep.txt"));
}

TEST(FileUtilFolders, DeleteDirectoryContentsKeepsTheFolder) {
    TempDir tmp;
    Touch(tmp.path() / "f" / "a.txt");
    Touch(tmp.path() / "f" / "s" / "b.txt");
    EXPECT_TRUE(DeleteDirectoryContents(P(tmp.path() / "f")));
    EXPECT_TRUE(fs::is_directory(tmp.path() / "f"));
    EXPECT_TRUE(fs::is_empty(tmp.path() / "f"));
    EXPECT_TRUE(DeleteDirectoryContents(P(tmp.path() / "f"))); // already empty
}

// A chain of folders longer than any path the system takes: what lies deep inside cannot be named,
// so it cannot be deleted by path, whoever runs the test (root included).
struct DeepChain {
    static constexpr int kLevels = 24;
    const std::string name = std::string(200, 'd');
    fs::path top;

    explicit DeepChain(const fs::path& parent) : top(parent / name) {
        int fd = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY);
        for (int i = 0; i < kLevels && fd >= 0; ++i) {
            ::mkdirat(fd, name.c_str(), 0755);
            int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
            ::close(fd);
            fd = next;
        }
        if (fd >= 0) {
            ::close(::openat(fd, "a.txt", O_WRONLY | O_CREAT, 0644));
            ::close(fd);
        }
    }
    ~DeepChain() { RemoveAt(AT_FDCWD, top.c_str()); }
    // Removes a folder tree through descriptors, one level at a time.
    static void RemoveAt(int parentFd, const char* entry) {
        int fd = ::openat(parentFd, entry, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
        if (fd < 0) {
            ::unlinkat(parentFd, entry, 0);
            return;
        }
        if (DIR* d = ::fdopendir(::dup(fd))) {
            std::vector<std::string> names;
            while (dirent* e = ::readdir(d))
                if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                    names.push_back(e->d_name);
            ::closedir(d);
            for (const std::string& n : names)
                RemoveAt(fd, n.c_str());
        }
        ::close(fd);
        ::unlinkat(parentFd, entry, AT_REMOVEDIR);
    }
};

TEST(FileUtilFolders, DeleteDirectoryContentsReportsASubFolderThatStays) {
    TempDir tmp;
    Touch(tmp.path() / "f" / "a.txt");
    DeepChain deep(tmp.path() / "f");
    ASSERT_TRUE(fs::is_directory(deep.top));
    EXPECT_FALSE(DeleteDirectoryContents(P(tmp.path() / "f")));
    EXPECT_TRUE(fs::exists(deep.top));
    EXPECT_FALSE(fs::exists(tmp.path() / "f" / "a.txt"));
}

TEST(FileUtilFolders, CreateDirectoryPathWithinDepth) {
    TempDir tmp;
    const CString base = P(tmp.path());
    EXPECT_FALSE(CreateDirectoryPath(base + "\\a\\b\\c", 2)); // needs three levels
    EXPECT_FALSE(fs::exists(tmp.path() / "a" / "b" / "c"));
    EXPECT_TRUE(CreateDirectoryPath(base + "\\a\\b\\c\\", 3));
    EXPECT_TRUE(fs::is_directory(tmp.path() / "a" / "b" / "c"));
    EXPECT_TRUE(CreateDirectoryPath(base + "\\a\\b", 1)); // already there
    EXPECT_TRUE(CreateDirectoryPath(base + "\\资料", 1));
    EXPECT_TRUE(fs::is_directory(tmp.path() / fs::path(u8"资料")));

    EXPECT_FALSE(CreateDirectoryPath(base + "\\x", 0));
    EXPECT_FALSE(CreateDirectoryPath(base + "\\x", -1));
    EXPECT_FALSE(CreateDirectoryPath("\\", 5));
    EXPECT_FALSE(CreateDirectoryPath("", 5));
    Touch(tmp.path() / "file");
    EXPECT_FALSE(CreateDirectoryPath(base + "\\file\\sub", 2));
}

TEST(FileUtilFolders, CreatedFoldersAreTheUsersAlone) {
    test_folders::ScopedUmask mask(022);
    TempDir tmp;
    EXPECT_TRUE(CreateDirectoryPath(P(tmp.path()) + "\\p\\q", 2));
    EXPECT_EQ(0700, test_folders::ModeOf(tmp.path() / "p"));
    EXPECT_EQ(0700, test_folders::ModeOf(tmp.path() / "p" / "q"));
}

TEST(FileUtilFiles, RenameFileInPlaceNeverReplaces) {
    TempDir tmp;
    Touch(tmp.path() / "old.txt", "old");
    Touch(tmp.path() / "taken.txt", "taken");
    CString path = P(tmp.path() / "old.txt");

    EXPECT_FALSE(RenameFileInPlace(path, "taken.txt"));
    EXPECT_STREQ(path, P(tmp.path() / "old.txt"));
    std::ifstream taken(tmp.path() / "taken.txt");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(taken), {}), "taken");

    EXPECT_TRUE(RenameFileInPlace(path, "new.txt"));
    EXPECT_STREQ(path, P(tmp.path() / "new.txt"));
    EXPECT_TRUE(fs::exists(tmp.path() / "new.txt"));
    EXPECT_FALSE(fs::exists(tmp.path() / "old.txt"));

    CString missing = P(tmp.path() / "missing.txt");
    EXPECT_FALSE(RenameFileInPlace(missing, "other.txt"));
    EXPECT_STREQ(missing, P(tmp.path() / "missing.txt"));
}

TEST(FileUtilFiles, DeleteFileByPath) {
    TempDir tmp;
    Touch(tmp.path() / "a.txt");
    EXPECT_TRUE(DeleteFileByPath(P(tmp.path() / "a.txt")));
    EXPECT_FALSE(fs::exists(tmp.path() / "a.txt"));
    EXPECT_FALSE(DeleteFileByPath(P(tmp.path() / "a.txt")));
    fs::create_directory(tmp.path() / "dir");
    EXPECT_FALSE(DeleteFileByPath(P(tmp.path() / "dir")));
    EXPECT_TRUE(fs::exists(tmp.path() / "dir"));
}

TEST(FileUtilPaths, ProgramFolderPaths) {
    TempDir tmp;
    ScopedEnv home("QUILLMAR_HOME", tmp.str());
    EXPECT_STREQ(GetAppFilePath("Profiles\\SmsSubjects.inf"),
                 GetModuleDirectory() + "\\Profiles\\SmsSubjects.inf");
    EXPECT_STREQ(GetModuleDirectory(), P(tmp.path()));
    const CString self = GetModuleFilePath();
    EXPECT_EQ(self.Find(GetModuleDirectory() + "\\"), 0) << self.GetString();
    EXPECT_LE(self.GetLength(), 260);
    EXPECT_FALSE(GetSystemDir().IsEmpty());
}
