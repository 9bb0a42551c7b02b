// Every way a file comes into the program refuses what is not a regular file (a folder, a pipe,
// a device) at once, with the door's own failure message, and leaves what it reads into alone.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "calendar/ScheduleDoc.h"
#include "contacts/ContactGroup.h"
#include "contacts/CsvSource.h"
#include "contacts/PersonDoc.h"
#include "contacts/SmsDoc.h"
#include "ecard/ECUserDoc.h"
#include "platform/base/tests/TempFolder.h"
#include "sms/SenderDoc.h"

namespace {

std::vector<std::string> g_messages;

int Record(LPCTSTR text, UINT) {
    g_messages.push_back(text);
    return 1;
}

// Opens the path through one door; true when the door took it.
struct Door {
    const char* name;
    std::function<bool(const CString& path)> open;
    bool showsMessage; // false: the door answers its failure to its caller instead
};

template <class Doc> bool OpenAs(const CString& path) {
    Doc doc;
    return doc.OnOpenDocument(path) != FALSE;
}

TEST(DocumentDoors, RefuseFoldersPipesAndDevicesAtOnce) {
    test_folders::TempDir dir;
    CDocument::MessageHook oldHook = CDocument::SetMessageHook(&Record);
    const std::vector<Door> doors = {
        {"address book .sms", &OpenAs<CSmsDoc>, true},
        {"senders .sdr", &OpenAs<CSenderDoc>, true},
        {"schedule .sch", &OpenAs<CScheduleDoc>, true},
        {"e-card user User.dat", &OpenAs<CECUserDoc>, true},
        {"contact card .psn",
         [](const CString& path) {
             _CPerson person("张三");
             CPersonDoc doc;
             return doc.LoadPerson(&person, path) != FALSE;
         },
         true},
        {"CSV import",
         [](const CString& path) {
             _CGroup group("导入");
             CArray<int, int> columns;
             columns.Add(PF_NAME);
             SCsvImportReport report;
             bool took = group.ImportCsv(path, columns, 0, -1, &report) >= 0;
             EXPECT_EQ(CCsvSource::CSV_CANNOT_OPEN, report.nStatus);
             EXPECT_FALSE(report.strMessage.IsEmpty());
             EXPECT_EQ(0, group.GetContentCount(TRUE, TRUE));
             return took;
         },
         false},
    };
    const std::string fifo = (dir.path() / "pipe.sms").string();
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    std::filesystem::create_directory(dir.path() / "folder.sms");
    const std::vector<std::pair<const char*, std::string>> kinds = {
        {"folder", (dir.path() / "folder.sms").string()},
        {"pipe", fifo},
        {"endless device", "/dev/zero"},
        {"empty device", "/dev/null"},
    };

    // A door stuck on the pipe for a second is let go, so that the test fails instead of
    // hanging: a writer comes and goes, and the reader sees an empty file.
    std::atomic<bool> done{false};
    std::atomic<int> attempt{0}, rescued{0};
    std::thread watchdog([&] {
        int seen = -1, still = 0;
        while (!done) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            still = attempt == seen ? still + 1 : 0;
            seen = attempt;
            if (still < 10)
                continue;
            int fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                ++rescued;
                close(fd);
            }
        }
    });

    for (const Door& door : doors) {
        for (const auto& [kind, path] : kinds) {
            g_messages.clear();
            ++attempt;
            int before = rescued;
            auto start = std::chrono::steady_clock::now();
            EXPECT_FALSE(door.open(CString(path.c_str()))) << door.name << ": " << kind;
            auto took = std::chrono::steady_clock::now() - start;
            EXPECT_EQ(before, rescued.load()) << door.name << " waited on the " << kind;
            EXPECT_LT(took, std::chrono::seconds(1)) << door.name << ": " << kind;
            if (door.showsMessage)
                EXPECT_EQ(1u, g_messages.size()) << door.name << ": " << kind;
        }
    }
    done = true;
    watchdog.join();
    CDocument::SetMessageHook(oldHook);
}

} // namespace
