#include "GuiTestSupport.h"

#include "platform/gui/Dialog.h"
#include "platform/gui/DocManager.h"
#include "platform/gui/Frame.h"
#include "platform/gui/SingleInstance.h"
#include "platform/gui/Resource.h"
#include "platform/gui/WinApp.h"

#include <QFile>
#include <QProcess>
#include <QTest>
#include <QTemporaryDir>
#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

const UINT IDD_QUESTION = 7180;
const ResDialogItem kQuestionItems[] = {
    {"BUTTON", "确定", IDOK, 7, 7, 50, 14, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0},
};
const ResDialog kQuestion[] = {{IDD_QUESTION, "问题", DS_SETFONT | WS_POPUP | WS_CAPTION, 0, 0, 0,
                                120, 40, 9, "宋体", kQuestionItems, 1}};
ResModule QuestionModule() {
    ResModule m{};
    m.dialogs = kQuestion;
    m.dialogCount = 1;
    return m;
}
const ResModule kQuestionModule = QuestionModule();
const AfxResourceRegistrar kQuestionRegistrar(&kQuestionModule);

// An application that records the files it is asked to open.
class CRecordingApp : public CWinApp {
public:
    CRecordingApp() : CWinApp("墨川测试") {}
    std::vector<CString> opened;
    CDocument doc;
    BOOL refuse = FALSE;
    CDocument* OpenDocumentFile(LPCTSTR lpszFileName) override {
        opened.push_back(lpszFileName);
        return refuse ? nullptr : &doc;
    }
};

class SingleInstanceTest : public GuiTest {
protected:
    QTemporaryDir dir;
    CString Folder() const { return AfxFromQt(dir.path()); }

    // Runs the later copy's side on its own thread while this one serves the event loop.
    BOOL HandOverFromThread(LPCTSTR channel, const CHandOverRequest& request) {
        std::atomic<int> result{-1};
        CString folder = Folder(), name = channel;
        std::thread t([&] { result = CSingleInstance::HandOver(name, request, folder, 3000); });
        WaitFor([&] { return result >= 0; }, 5000);
        t.join();
        return result == TRUE;
    }
};

TEST_F(SingleInstanceTest, RequestsSurviveTheWireAndDamagedOnesAreRefused) {
    CHandOverRequest req;
    req.bRestore = TRUE;
    req.ddeCommands = {CSingleInstance::OpenCommand("C:\\数据\\通讯录.sms"), "[open(\"b.psn\")]"};
    std::string bytes = CSingleInstance::Encode(req);
    CHandOverRequest back;
    ASSERT_EQ(CSingleInstance::decodeComplete, CSingleInstance::Decode(bytes, back));
    EXPECT_TRUE(back.bRestore);
    EXPECT_EQ(req.ddeCommands, back.ddeCommands);
    EXPECT_EQ(CString("[open(\"C:\\数据\\通讯录.sms\")]"), back.ddeCommands[0]);
    // Every shorter piece is a request still on its way.
    for (size_t n = 0; n < bytes.size(); ++n)
        EXPECT_EQ(CSingleInstance::decodeIncomplete,
                  CSingleInstance::Decode(bytes.substr(0, n), back))
            << n;

    auto record = [](char kind, const std::string& payload) {
        std::string r(1, kind);
        uint32_t n = (uint32_t)payload.size();
        for (int i = 0; i < 4; ++i)
            r += (char)((n >> (8 * i)) & 0xFF);
        return r + payload;
    };
    const std::string end = record('Z', "");
    std::string many = "QMH1";
    for (int i = 0; i <= CSingleInstance::kMaxCommands; ++i)
        many += record('E', "[open(\"x\")]");
    struct Row {
        const char* what;
        std::string bytes;
    } rows[] = {
        {"wrong magic", "QMH2" + end},
        {"unknown kind", "QMH1" + record('X', "") + end},
        {"restore with a payload", "QMH1" + record('R', "x") + end},
        // Only a bounded request is held: restore records cannot pile up without end.
        {"restore twice", "QMH1" + record('R', "") + record('R', "") + end},
        {"empty command", "QMH1" + record('E', "") + end},
        {"over-long command",
         "QMH1" + record('E', std::string(CSingleInstance::kMaxCommandLength + 1, 'a')) + end},
        {"command with a zero byte", "QMH1" + record('E', std::string("[open(\0)]", 9)) + end},
        {"bytes after the end", "QMH1" + end + "x"},
        {"too many commands", many + end},
        {"huge length", "QMH1" + std::string("E\xFF\xFF\xFF\x7F", 5)},
    };
    for (const Row& r : rows)
        EXPECT_EQ(CSingleInstance::decodeBad, CSingleInstance::Decode(r.bytes, back)) << r.what;
}

TEST_F(SingleInstanceTest, TheRunningCopyGetsTheLaterCopysRequest) {
    CSingleInstance first("channel", Folder());
    ASSERT_TRUE(first.Listen());
    EXPECT_TRUE(QFile::exists(AfxToQt(first.GetServerName())));
    CSingleInstance second("channel", Folder());
    EXPECT_FALSE(second.Listen()) << "one copy listens on a channel";
    CSingleInstance other("其他", Folder());
    EXPECT_TRUE(other.Listen()) << "another channel is free";

    std::vector<CHandOverRequest> got;
    first.SetHandler([&](const CHandOverRequest& r) { got.push_back(r); });
    CHandOverRequest req;
    req.bRestore = TRUE;
    req.ddeCommands = {CSingleInstance::OpenCommand("/home/用户/a.sms")};
    EXPECT_TRUE(HandOverFromThread("channel", req));
    ASSERT_TRUE(WaitFor([&] { return !got.empty(); }));
    EXPECT_TRUE(got[0].bRestore);
    EXPECT_EQ(req.ddeCommands, got[0].ddeCommands);

    // Nobody listening: the later copy goes on by itself.
    EXPECT_FALSE(HandOverFromThread("nobody", req));
}

namespace {

int OpenDescriptors() {
    int n = 0;
    if (DIR* d = ::opendir("/proc/self/fd")) {
        while (::readdir(d))
            ++n;
        ::closedir(d);
    }
    return n;
}

// A connection that says nothing, as a hung or hostile copy's would.
int IdleConnection(const CString& path) {
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", AfxToQt(path).toLocal8Bit().data());
    if (fd >= 0 && ::connect(fd, (sockaddr*)&addr, sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

// Connections that never say anything take at most a few descriptors, each only for a while:
// they can neither use up the running copy's descriptors (which would cost it the socket) nor
// keep a later copy's real request from getting through.
TEST_F(SingleInstanceTest, IdleConnectionsCannotShutTheChannel) {
    UINT oldLimit = CSingleInstance::SetReadLimitMs(300);
    CSingleInstance first("busy", Folder());
    ASSERT_TRUE(first.Listen());
    std::vector<CHandOverRequest> got;
    first.SetHandler([&](const CHandOverRequest& r) { got.push_back(r); });

    // Room for the idle connections' own ends and a few more, not for the running copy to
    // hold one descriptor for each of them as well.
    const int kIdle = 150;
    rlimit old{};
    ::getrlimit(RLIMIT_NOFILE, &old);
    rlimit tight = old;
    tight.rlim_cur = (rlim_t)(OpenDescriptors() + kIdle + 24);
    ASSERT_EQ(0, ::setrlimit(RLIMIT_NOFILE, &tight));
    std::vector<int> idle;
    for (int i = 0; i < kIdle; ++i) {
        int fd = IdleConnection(first.GetServerName());
        if (fd >= 0)
            idle.push_back(fd);
        if (i % 10 == 9)
            Pump();
    }
    QTest::qWait(100);
    ::setrlimit(RLIMIT_NOFILE, &old);
    EXPECT_GT(idle.size(), (size_t)kIdle / 2);
    EXPECT_TRUE(first.IsListening());
    EXPECT_TRUE(QFile::exists(AfxToQt(first.GetServerName())));

    // Once the silent ones have had their time, a real request gets through.
    QTest::qWait(400);
    CHandOverRequest req;
    req.ddeCommands = {CSingleInstance::OpenCommand("/home/用户/b.sms")};
    EXPECT_TRUE(HandOverFromThread("busy", req));
    EXPECT_TRUE(WaitFor([&] { return !got.empty(); }));
    ASSERT_EQ(1u, got.size());
    EXPECT_EQ(req.ddeCommands, got[0].ddeCommands);

    for (int fd : idle)
        ::close(fd);
    CSingleInstance::SetReadLimitMs(oldLimit);
}

TEST_F(SingleInstanceTest, ASocketLeftBehindIsTakenOver) {
    CString path;
    {
        CSingleInstance probe("left", Folder());
        path = probe.GetServerName();
    }
    QFile stale(AfxToQt(path));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();
    CSingleInstance again("left", Folder());
    EXPECT_TRUE(again.Listen());
}

TEST_F(SingleInstanceTest, AHandedOverFileOpensAsTheShellsOpenCommandWould) {
    CRecordingApp app;
    auto* frame = new CFrameWnd;
    ASSERT_TRUE(frame->Create(nullptr, "墨川", WS_OVERLAPPEDWINDOW, CRect(0, 0, 300, 200)));
    app.m_pMainWnd = frame;
    frame->ShowWindow(SW_SHOWMINIMIZED);

    CHandOverRequest req;
    req.bRestore = TRUE;
    req.ddeCommands = {CSingleInstance::OpenCommand("/tmp/甲.psn"), "[print(\"/tmp/乙.psn\")]"};
    AfxCarryOutHandOver(req);
    EXPECT_FALSE(frame->IsIconic()) << "the window comes back";
    EXPECT_EQ(std::vector<CString>{"/tmp/甲.psn"}, app.opened) << "only open is understood";

    // While the frame is disabled, a command waits and is carried out once it is enabled again.
    frame->EnableWindow(FALSE);
    AfxCarryOutHandOver(req);
    EXPECT_EQ(1u, app.opened.size());
    QTest::qWait(500);
    EXPECT_EQ(1u, app.opened.size()) << "still waiting while the frame is disabled";
    frame->EnableWindow(TRUE);
    ASSERT_TRUE(WaitFor([&] { return app.opened.size() == 2; }));
    EXPECT_EQ(CString("/tmp/甲.psn"), app.opened[1]);

    // Nor while a modal dialog runs over the frame: the command would act under the question.
    // It is carried out after the question is answered.
    {
        CDialog question(IDD_QUESTION, frame);
        AfxSetModalDialogHook([&](CDialog& d) {
            AfxCarryOutHandOver(req);
            d.EndDialog(IDOK);
        });
        EXPECT_EQ(IDOK, question.DoModal());
        AfxSetModalDialogHook(nullptr);
        EXPECT_EQ(2u, app.opened.size()) << "nothing opened under the modal dialog";
        ASSERT_TRUE(WaitFor([&] { return app.opened.size() == 3; }));
    }
    app.opened.resize(1);

    struct Row {
        const char* command;
        const char* opens; // null: not carried out
    } rows[] = {
        {"[open(\"/a b/c.sms\")]", "/a b/c.sms"},
        {"  [OPEN(\"d.sdr\")]  ", "d.sdr"},
        {"[open(e.ntp)]", "e.ntp"},
        {"[open(\"\")]", nullptr},
        {"[open(\"f.sms\")", nullptr},
        {"open(\"g.sms\")", nullptr},
        {"[printto(\"h\",\"p\",\"d\",\"o\")]", nullptr},
        {"", nullptr},
    };
    for (const Row& r : rows) {
        app.opened.clear();
        CString cmd = r.command;
        BOOL ok = app.OnDDECommand(cmd.GetBuffer());
        EXPECT_EQ(r.opens != nullptr, ok) << r.command;
        if (r.opens) {
            EXPECT_EQ(std::vector<CString>{r.opens}, app.opened) << r.command;
        } else {
            EXPECT_TRUE(app.opened.empty()) << r.command;
        }
    }
    app.refuse = TRUE;
    CString cmd = "[open(\"i.sms\")]";
    EXPECT_FALSE(app.OnDDECommand(cmd.GetBuffer())) << "a file that does not open";
    frame->DestroyWindow();
}

TEST_F(SingleInstanceTest, TheApplicationListensUnderItsName) {
    bool had = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
    QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", dir.path().toLocal8Bit());
    {
        CRecordingApp app;
        EXPECT_EQ(CString("墨川测试"), app.GetShellOpenChannel());
        ASSERT_TRUE(app.EnableShellOpen());
        EXPECT_TRUE(app.EnableShellOpen()) << "a second call keeps listening";
        EXPECT_TRUE(QFile::exists(AfxToQt(CSingleInstance("墨川测试").GetServerName())));
        EXPECT_FALSE(CSingleInstance("墨川测试").Listen()) << "a later copy finds it taken";
    }
    EXPECT_FALSE(QFile::exists(AfxToQt(CSingleInstance("墨川测试").GetServerName())))
        << "the socket goes with the application";
    if (had)
        qputenv("XDG_RUNTIME_DIR", saved);
    else
        qunsetenv("XDG_RUNTIME_DIR");
}

// The later copy of the cross-process test: run by that test in a process of its own.
TEST(SingleInstanceHelper, DISABLED_HandOverAsALaterCopy) {
    const char* folder = std::getenv("QUILLMAR_HANDOVER_DIR");
    const char* file = std::getenv("QUILLMAR_HANDOVER_FILE");
    ASSERT_TRUE(folder && file);
    AfxEnsureGuiApp();
    CHandOverRequest req;
    req.bRestore = TRUE;
    req.ddeCommands = {CSingleInstance::OpenCommand(AfxFromQt(QString::fromUtf8(file)))};
    EXPECT_TRUE(CSingleInstance::HandOver("quillmar-test", req, AfxFromQt(QString::fromUtf8(folder))));
}

TEST_F(SingleInstanceTest, ASecondProcessHandsItsFileToTheFirst) {
    CRecordingApp app;
    CSingleInstance server("quillmar-test", Folder());
    ASSERT_TRUE(server.Listen());
    auto* frame = new CFrameWnd;
    ASSERT_TRUE(frame->Create(nullptr, "墨川", WS_OVERLAPPEDWINDOW, CRect(0, 0, 300, 200)));
    app.m_pMainWnd = frame;
    frame->ShowWindow(SW_SHOWMINIMIZED);

    QProcess later;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QUILLMAR_HANDOVER_DIR", dir.path());
    env.insert("QUILLMAR_HANDOVER_FILE", QString::fromUtf8(u8"/home/用户/通讯录.sms"));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    // Run as one shard of a sharded test run, the later copy would inherit the shard settings
    // and might find its test in another shard, running nothing.
    env.remove("GTEST_TOTAL_SHARDS");
    env.remove("GTEST_SHARD_INDEX");
    env.remove("GTEST_OUTPUT"); // nor write over the report of this run
    later.setProcessEnvironment(env);
    later.start(QCoreApplication::applicationFilePath(),
                {"--gtest_filter=SingleInstanceHelper.DISABLED_HandOverAsALaterCopy",
                 "--gtest_also_run_disabled_tests"});
    ASSERT_TRUE(later.waitForStarted(5000));
    ASSERT_TRUE(WaitFor([&] { return later.state() == QProcess::NotRunning; }, 60000));
    EXPECT_EQ(0, later.exitCode()) << later.readAllStandardOutput().toStdString();
    ASSERT_TRUE(WaitFor([&] { return !app.opened.empty(); }));
    EXPECT_EQ(CString("/home/用户/通讯录.sms"), app.opened[0]);
    EXPECT_FALSE(frame->IsIconic());
    frame->DestroyWindow();
}

} // namespace
