#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "links/SerialPort.h"
#include "platform/base/Profile.h"
#include "platform/base/tests/TempFolder.h"
#include "platform/serial/tests/PseudoTerminal.h"

using test_serial::ElapsedMs;
using test_serial::PseudoTerminal;

namespace {

// A port whose data hook can be held, so that the thread is busy while the test acts.
class HeldPort : public CSerialPort {
public:
    ~HeldPort() override {
        Release();
        Close(TRUE);
    }
    void HoldNextData() { m_hold = true; }
    bool WaitUntilHeld() {
        std::unique_lock<std::mutex> lock(m_lock);
        return m_signal.wait_for(lock, std::chrono::seconds(5), [this] { return m_inHook; });
    }
    void Release() {
        std::lock_guard<std::mutex> lock(m_lock);
        m_hold = false;
        m_signal.notify_all();
    }
    std::atomic<int> idleCalls{0};

protected:
    void OnDataHook() override {
        std::unique_lock<std::mutex> lock(m_lock);
        m_inHook = true;
        m_signal.notify_all();
        m_signal.wait(lock, [this] { return !m_hold; });
        m_inHook = false;
    }
    void OnIdleHook() override { idleCalls++; }

private:
    std::mutex m_lock;
    std::condition_variable m_signal;
    bool m_hold = false;
    bool m_inHook = false;
};

class SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.ok());
        CProfileStore::ReloadForTesting();
        CProfileStore().WriteProfileString(COMM_PORT_PROFILE_SECTION, "COM2",
                                           pty.slavePath().c_str());
        CProfileStore().WriteProfileString(COMM_PORT_PROFILE_SECTION, "COM5",
                                           (dir.path() / "no-such-device").string().c_str());
    }
    void TearDown() override { CProfileStore::ReloadForTesting(); }

    // Every received byte, in order, until `count` came or the port closed.
    std::string Collect(CSerialPort& port, size_t count) {
        std::string got;
        SERIALMSG msg;
        while (got.size() < count && port.GetMessage(msg, 2000)) {
            EXPECT_EQ(2, msg.lParam);
            if (msg.message == WM_COMM_RXCHAR)
                got += (char)msg.wParam;
            if (msg.message == WM_COMM_CLOSED)
                break;
        }
        return got;
    }
    // The messages up to WM_COMM_CLOSED; false when it did not come.
    bool WaitClosed(CSerialPort& port, DWORD ms = 3000) {
        SERIALMSG msg;
        while (port.GetMessage(msg, ms))
            if (msg.message == WM_COMM_CLOSED)
                return true;
        return false;
    }

    test_folders::TempDir dir;
    test_folders::ScopedEnv config{"QUILLMAR_CONFIG", dir.str()};
    PseudoTerminal pty;
};

TEST_F(SerialPortTest, DeliversEveryByteInOrderAndNotifiesTheOwner) {
    CSerialPort port;
    std::atomic<int> notified{0};
    port.SetNotify([&] { notified++; });
    ASSERT_TRUE(port.Open(2, 115200));
    EXPECT_TRUE(port.IsOpen());
    EXPECT_TRUE(port.Open(2)); // already open
    std::string sent;
    for (int i = 0; i < 3000; i++)
        sent += (char)(i * 7 % 256);
    ASSERT_TRUE(pty.Send(sent));
    // Until the owner takes messages, the first one is the only one announced.
    for (int i = 0; i < 200 && notified.load() == 0; i++)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(1, notified.load());
    EXPECT_EQ(sent, Collect(port, sent.size()));
    EXPECT_NE(0u, port.GetLastReadTick());
}

TEST_F(SerialPortTest, WritesOneBufferAtATime) {
    HeldPort port;
    ASSERT_TRUE(port.Open(2, 9600, 'N', 8, 1, EV_RXCHAR | EV_CTS, 512));
    std::string tooLong(513, 'x');
    EXPECT_FALSE(port.Write(tooLong.data(), (UINT)tooLong.size()));

    // While the thread is busy the first write waits in the buffer and a second is refused.
    port.HoldNextData();
    ASSERT_TRUE(pty.Send("x"));
    ASSERT_TRUE(port.WaitUntilHeld());
    EXPECT_TRUE(port.Write("AT+CMGF=0\r"));
    EXPECT_FALSE(port.Write("ATZ\r"));
    port.Release();
    EXPECT_EQ("AT+CMGF=0\r", pty.Receive(10));
    EXPECT_EQ("", pty.Receive(1, 100));

    SERIALMSG msg;
    bool reported = false;
    while (!reported && port.GetMessage(msg, 2000))
        if (msg.message == WM_COMM_TXEMPTY) {
            EXPECT_EQ(0u, msg.wParam);
            reported = true;
        }
    EXPECT_TRUE(reported);
    EXPECT_TRUE(port.Write(std::string(512, 'y').c_str()));
    EXPECT_EQ(std::string(512, 'y'), pty.Receive(512));
}

TEST_F(SerialPortTest, APortThatDoesNotOpenStartsNothing) {
    CSerialPort port;
    EXPECT_FALSE(port.Open(5));
    EXPECT_FALSE(port.Open(8)); // no device named and, here, none of the machine's
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(port.Write("AT\r"));
    SERIALMSG msg;
    EXPECT_FALSE(port.PeekMessage(msg));
}

// The owner may be busy, or waiting in Close, while bytes keep coming: the thread queues them and
// stops at once, instead of waiting for the owner to take each one.
TEST_F(SerialPortTest, CloseEndsWhileTheOwnerTakesNothing) {
    CSerialPort port;
    ASSERT_TRUE(port.Open(2));
    ASSERT_TRUE(pty.Send(std::string(4000, 'R')));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    auto start = std::chrono::steady_clock::now();
    port.Close(TRUE);
    EXPECT_LT(ElapsedMs(start), 1500);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(WaitClosed(port, 100));
    EXPECT_FALSE(port.Write("AT\r"));
    // The port opens again afterwards.
    ASSERT_TRUE(port.Open(2));
    ASSERT_TRUE(pty.Send("OK"));
    EXPECT_EQ("OK", Collect(port, 2));
}

TEST_F(SerialPortTest, ADeviceThatGoesAwayEndsTheThread) {
    CSerialPort port;
    ASSERT_TRUE(port.Open(2));
    ASSERT_TRUE(pty.Send("RI"));
    EXPECT_EQ("RI", Collect(port, 2));
    pty.ReleaseSlave();
    pty.CloseMaster();
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(WaitClosed(port));
    EXPECT_LT(ElapsedMs(start), 1500);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(port.Write("AT\r"));
    port.Close(TRUE);
}

TEST_F(SerialPortTest, QuietWaitsCallTheIdleHook) {
    HeldPort port;
    port.SetWaitTimeout(20);
    ASSERT_TRUE(port.Open(2));
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_GE(port.idleCalls.load(), 2);
}

} // namespace
