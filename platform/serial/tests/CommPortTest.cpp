#include <gtest/gtest.h>
#include <sys/eventfd.h>

#include <chrono>
#include <fstream>

#include "platform/base/Profile.h"
#include "platform/base/tests/TempFolder.h"
#include "platform/serial/CommPort.h"
#include "platform/serial/tests/PseudoTerminal.h"

using test_serial::ElapsedMs;
using test_serial::PseudoTerminal;

namespace {

class CommPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.ok());
        CProfileStore::ReloadForTesting();
    }
    void TearDown() override { CProfileStore::ReloadForTesting(); }

    test_folders::TempDir dir;
    test_folders::ScopedEnv config{"QUILLMAR_CONFIG", dir.str()};
    PseudoTerminal pty;
};

TEST_F(CommPortTest, PortNumbersNameTheDevicesOfTheProfile) {
    CProfileStore().WriteProfileString(COMM_PORT_PROFILE_SECTION, "COM3", pty.slavePath().c_str());
    EXPECT_STREQ(pty.slavePath().c_str(), CCommPort::GetDevicePath(3));
    EXPECT_STREQ("", CCommPort::GetDevicePath(0));
    // Without an entry the port is one of the machine's serial devices, or nothing.
    CString fallback = CCommPort::GetDevicePath(9);
    EXPECT_TRUE(fallback.IsEmpty() || fallback.Find("/dev/tty") == 0) << (LPCSTR)fallback;
}

TEST_F(CommPortTest, OpensOnlyTerminalsAndOnlyOnce) {
    std::string file = (dir.path() / "plain").string();
    std::ofstream(file) << "x";
    CCommPort port;
    EXPECT_FALSE(port.Open((dir.path() / "missing").string().c_str()));
    EXPECT_FALSE(port.Open(file.c_str()));
    EXPECT_FALSE(port.Open(""));
    ASSERT_TRUE(port.Open(pty.slavePath().c_str()));
    CCommPort second;
    EXPECT_FALSE(second.Open(pty.slavePath().c_str()));
    port.Close();
    EXPECT_TRUE(second.Open(pty.slavePath().c_str()));
}

TEST_F(CommPortTest, AppliesTheSettingsText) {
    CCommPort port;
    ASSERT_TRUE(port.Open(pty.slavePath().c_str()));
    struct Case {
        const char* text;
        bool ok;
        speed_t speed;
        bool twoStops;
    } cases[] = {
        {"baud=9600 parity=N data=8 stop=1", true, B9600, false},
        {"baud=115200 parity=E data=7 stop=2", true, B115200, true},
        {"baud=19200 parity=O data=8 stop=1", true, B19200, false},
        {"baud=12345 parity=N data=8 stop=1", false, 0, false},
        {"baud=9600 parity=X data=8 stop=1", false, 0, false},
        {"baud=9600 parity=N data=9 stop=1", false, 0, false},
        {"baud=9600 parity=N data=8 stop=3", false, 0, false},
        {"baud=9600 parity=N data=8 stop=1 junk", false, 0, false},
        {"9600,N,8,1", false, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ASSERT_EQ(c.ok, (bool)port.SetState(c.text));
        if (!c.ok)
            continue;
        termios tio{};
        ASSERT_EQ(0, tcgetattr(pty.slave(), &tio));
        // A pseudo-terminal keeps 8 data bits without parity whatever it is told; speed and
        // stop bits show that the text was applied.
        EXPECT_EQ(c.speed, cfgetospeed(&tio));
        EXPECT_EQ(c.twoStops, (tio.c_cflag & CSTOPB) != 0);
    }
}

TEST_F(CommPortTest, WaitsForBytesAWakeUpOrTheTimeOut) {
    CCommPort port;
    ASSERT_TRUE(port.Open(pty.slavePath().c_str()));
    port.SetMask(EV_RXCHAR | EV_CTS);
    int wake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    ASSERT_GE(wake, 0);

    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(0u, port.WaitEvent(wake, 80));
    EXPECT_GE(ElapsedMs(start), 70);

    uint64_t one = 1;
    ASSERT_EQ(8, write(wake, &one, 8));
    EXPECT_EQ(EV_WAKE, port.WaitEvent(wake, 2000));
    ASSERT_EQ(8, read(wake, &one, 8));

    ASSERT_TRUE(pty.Send("AT\r"));
    EXPECT_EQ(EV_RXCHAR, port.WaitEvent(wake, 2000));
    BYTE buf[16];
    EXPECT_EQ(3, port.Read(buf, sizeof buf));
    EXPECT_EQ(0, memcmp(buf, "AT\r", 3));
    EXPECT_EQ(0, port.Read(buf, sizeof buf));

    EXPECT_EQ(5, port.Write((const BYTE*)"OK\r\n!", 5));
    EXPECT_EQ("OK\r\n!", pty.Receive(5));
    close(wake);
}

TEST_F(CommPortTest, ADeviceThatGoesAwayIsReportedNotWaitedOn) {
    CCommPort port;
    ASSERT_TRUE(port.Open(pty.slavePath().c_str()));
    port.SetMask(EV_RXCHAR);
    pty.ReleaseSlave();
    pty.CloseMaster();
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(port.WaitEvent(-1, 5000) & EV_GONE);
    EXPECT_LT(ElapsedMs(start), 1000);
    BYTE buf[4];
    EXPECT_EQ(-1, port.Read(buf, sizeof buf));
    EXPECT_EQ(-1, port.Write(buf, 1));
}

TEST_F(CommPortTest, AWriteNobodyReadsGivesUpAtItsTimeOut) {
    CCommPort port;
    ASSERT_TRUE(port.Open(pty.slavePath().c_str()));
    port.SetWriteTimeout(100);
    std::string big(1 << 20, 'x');
    auto start = std::chrono::steady_clock::now();
    int written = port.Write((const BYTE*)big.data(), (int)big.size());
    EXPECT_GE(written, 0);
    EXPECT_LT(written, (int)big.size());
    EXPECT_LT(ElapsedMs(start), 2000);
}

} // namespace
