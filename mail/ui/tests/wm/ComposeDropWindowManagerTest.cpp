// Files dragged from another program onto the compose frame under a real X server and window
// manager: a small drag source (a file manager's part) offers the files, xdotool moves the
// pointer as a person's hand does, and the drop reaches the frame as Qt delivers it.
#include "../MailUiTestSupport.h"

#include "platform/gui/tests/wm/WmSession.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A program of the test's own, started with its output to a pipe the test reads.
class Child {
public:
    explicit Child(std::vector<std::string> args, bool readOutput) {
        int fds[2] = {-1, -1};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (readOutput && ::pipe(fds) == 0) {
            posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
            posix_spawn_file_actions_addclose(&actions, fds[0]);
        } else {
            posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        }
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (::posix_spawnp(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        if (fds[1] >= 0)
            ::close(fds[1]);
        m_out = fds[0];
    }
    ~Child() {
        if (m_pid > 0 && !Exited()) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_out >= 0)
            ::close(m_out);
    }
    bool Started() const { return m_pid > 0; }
    bool Exited() {
        if (m_pid <= 0 || m_done)
            return true;
        m_done = ::waitpid(m_pid, nullptr, WNOHANG) == m_pid;
        return m_done;
    }
    // A whole line of the output, when one has come; "" otherwise.
    std::string Line() {
        pollfd p{m_out, POLLIN, 0};
        while (m_out >= 0 && ::poll(&p, 1, 0) > 0) {
            char c;
            if (::read(m_out, &c, 1) != 1)
                break;
            if (c == '\n') {
                std::string line = m_pending;
                m_pending.clear();
                return line;
            }
            m_pending += c;
        }
        return std::string();
    }

private:
    pid_t m_pid = -1;
    int m_out = -1;
    bool m_done = false;
    std::string m_pending;
};

class ComposeDropTest : public MailUiTest {
protected:
    static void SetUpTestSuite() {
        WmSession::ChoosePlatform();
        MailUiTest::SetUpTestSuite();
    }
    void SetUp() override {
        if (!WmSession::Instance().Ready())
            GTEST_SKIP() << WmSession::Instance().Why();
        if (WmSession::Run("command -v xdotool").empty())
            GTEST_SKIP() << "xdotool is not installed (scripts/install-deps.sh installs it)";
        MailUiTest::SetUp();
    }
    static QPoint CentreOnScreen(CWnd* w) {
        QWidget* q = w->GetWidget();
        return q->mapToGlobal(q->rect().center());
    }
    static std::string N(int n) { return std::to_string(n); }
    // Drags the files from a drag source at the screen's top left onto the point, as a hand
    // does: press on the source, a first move that starts the drag, the way across, a rest over
    // the target, the release. Gives the action the source was told the drop took, once the
    // target has what it wanted (the source hands the data over until then).
    std::string DragFilesTo(const QStringList& files, QPoint to,
                            const std::function<bool()>& dropped) {
        std::vector<std::string> args = {QUILLMAR_DRAG_SOURCE, "20", "20"};
        for (const QString& f : files)
            args.push_back(f.toStdString());
        Child source(args, true);
        EXPECT_TRUE(source.Started());
        std::string line;
        WaitFor([&] { return !(line = source.Line()).empty() || source.Exited(); }, 10000);
        EXPECT_EQ("ready", line);
        const QPoint from(60, 60), mid((from.x() + to.x()) / 2, (from.y() + to.y()) / 2);
        Child hand({"xdotool", "mousemove", N(from.x()), N(from.y()), "mousedown", "1", "sleep",
                    "0.2", "mousemove", N(from.x() + 20), N(from.y() + 20), "sleep", "0.2",
                    "mousemove", N(mid.x()), N(mid.y()), "sleep", "0.2", "mousemove",
                    N(to.x()), N(to.y()), "sleep", "0.3", "mousemove", N(to.x() + 3),
                    N(to.y() + 3), "sleep", "0.4", "mouseup", "1"},
                   false);
        // The frame answers the drag while the hand moves: the loop runs meanwhile.
        EXPECT_TRUE(WaitFor([&] { return hand.Exited(); }, 15000));
        line.clear();
        WaitFor([&] { return !(line = source.Line()).empty() || source.Exited(); }, 10000);
        WaitFor(dropped, 5000);
        return line;
    }
    static CString BodyText(CEditEmailFrame* f) {
        CString text;
        f->GetBodyView()->GetEditCtrl().GetWindowText(text);
        return text;
    }
    static std::vector<std::string> AttachedNames(CEditEmailFrame* f) {
        std::vector<std::string> names;
        for (int i = 0; i < f->GetFileList().GetItemCount(); ++i)
            names.push_back(QFileInfo(AfxToQt(f->GetFileList().GetPath(i)).replace('\\', '/'))
                                .fileName()
                                .toStdString());
        return names;
    }
    static std::function<bool()> Attached(CEditEmailFrame* f, int n) {
        return [f, n] { return f->GetFileList().GetItemCount() == n; };
    }
    // Three files to drag and a compose frame on the screen, its body holding a typed line.
    CEditEmailFrame* OpenFrame() {
        MakeFile("report.txt", "1");
        MakeFile("plan.txt", "22");
        MakeFile("photo.png", "333");
        CEditEmailFrame* f = Compose();
        if (f == nullptr)
            return nullptr;
        f->MoveWindow(320, 60, 760, 560);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(f->GetWidget()));
        WaitFor([] { return false; }, 300); // the window manager places the frame
        QTest::keyClicks(f->GetBodyView()->GetEditCtrl().GetWidget(), "see attached");
        EXPECT_EQ("see attached", S(BodyText(f)));
        return f;
    }
};

TEST_F(ComposeDropTest, FilesDraggedOntoTheBodyAreAttachedAndNoTextIsInserted) {
    CEditEmailFrame* f = OpenFrame();
    ASSERT_NE(nullptr, f);
    ASSERT_FALSE(f->GetAttachBar().GetStyle() & WS_VISIBLE);
    EXPECT_EQ("copy", DragFilesTo({dir.path() + "/report.txt", dir.path() + "/plan.txt"},
                                  CentreOnScreen(&f->GetBodyView()->GetEditCtrl()), Attached(f, 2)));
    EXPECT_EQ((std::vector<std::string>{"report.txt", "plan.txt"}), AttachedNames(f));
    EXPECT_EQ("see attached", S(BodyText(f))) << "the body took the files' names as text";
    EXPECT_TRUE(f->GetAttachBar().GetStyle() & WS_VISIBLE);
    EXPECT_TRUE(f->IsChanged());
}

TEST_F(ComposeDropTest, FilesDraggedOntoTheAttachmentListJoinTheAttachments) {
    CEditEmailFrame* f = OpenFrame();
    ASSERT_NE(nullptr, f);
    ASSERT_TRUE(f->AddAttachment(P("report.txt")));
    Pump();
    ASSERT_TRUE(f->GetAttachBar().GetStyle() & WS_VISIBLE);
    EXPECT_EQ("copy", DragFilesTo({dir.path() + "/plan.txt", dir.path() + "/photo.png"},
                                  CentreOnScreen(&f->GetFileList()), Attached(f, 3)));
    EXPECT_EQ((std::vector<std::string>{"report.txt", "plan.txt", "photo.png"}), AttachedNames(f));
    EXPECT_EQ("see attached", S(BodyText(f)));
    QDir().mkpath(QUILLMAR_SCREENS_DIR);
    f->SaveScreenshot(ScreenPath("mail-compose-dragged-files").c_str());
}

} // namespace
