#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/base/Sync.h"
#include "platform/base/Thread.h"
#include "platform/base/Time.h"
#include "platform/base/tests/ChildProcess.h"
#include "platform/base/tests/TempFolder.h"

namespace {

// Blocks a worker until the test opens the gate, so "still running" is a fact, not a race.
struct Gate {
    HANDLE open = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    ~Gate() { CloseHandle(open); }
};

UINT WaitAtGateThenReturn42(LPVOID param) {
    WaitForSingleObject(static_cast<Gate*>(param)->open, INFINITE);
    return 42;
}

TEST(WorkerThreadTest, PolledHandleSignalsOnlyAfterTheThreadEnds) {
    Gate gate;
    CWinThread* worker = AfxBeginThread(WaitAtGateThenReturn42, &gate, 0, 0, CREATE_SUSPENDED);
    ASSERT_NE(nullptr, worker);
    worker->m_bAutoDelete = FALSE;
    worker->ResumeThread();

    DWORD code = 0;
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(worker->m_hThread, 0));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(worker->m_hThread, 30));
    ASSERT_TRUE(GetExitCodeThread(worker->m_hThread, &code));
    EXPECT_EQ(STILL_ACTIVE, code);

    SetEvent(gate.open);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(worker->m_hThread, 10000));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(worker->m_hThread, 0)); // stays signalled
    ASSERT_TRUE(GetExitCodeThread(worker->m_hThread, &code));
    EXPECT_EQ(42u, code);
    delete worker;
}

class CountingThread : public CWinThread {
public:
    CountingThread(std::atomic<int>* destroyed, BOOL initOk)
        : m_destroyed(destroyed), m_initOk(initOk) {}
    ~CountingThread() override { ++*m_destroyed; }
    BOOL InitInstance() override { return m_initOk; }
    int Run() override { return 7; }
    int ExitInstance() override { return 9; }

private:
    std::atomic<int>* m_destroyed;
    BOOL m_initOk;
};

TEST(WorkerThreadTest, DerivedThreadRunsInitThenRunOrExit) {
    struct Case {
        BOOL initOk;
        DWORD expectedCode;
    } cases[] = {{TRUE, 7}, {FALSE, 9}};
    for (const Case& c : cases) {
        std::atomic<int> destroyed{0};
        auto* thread = new CountingThread(&destroyed, c.initOk);
        thread->m_bAutoDelete = FALSE;
        ASSERT_TRUE(thread->CreateThread());
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread->m_hThread, 10000));
        DWORD code = 0;
        GetExitCodeThread(thread->m_hThread, &code);
        EXPECT_EQ(c.expectedCode, code);
        EXPECT_EQ(0, destroyed.load());
        delete thread;
        EXPECT_EQ(1, destroyed.load());
    }
}

TEST(WorkerThreadTest, AutoDeleteThreadFreesItselfAndItsHandle) {
    std::atomic<int> destroyed{0};
    auto* thread = new CountingThread(&destroyed, TRUE);
    ASSERT_TRUE(thread->CreateThread(CREATE_SUSPENDED));
    HANDLE h = thread->m_hThread;
    thread->ResumeThread();
    for (int i = 0; i < 1000 && destroyed.load() == 0; ++i)
        Sleep(5);
    EXPECT_EQ(1, destroyed.load());
    // The handle died with the object: a late wait fails instead of reading freed memory.
    SetLastError(0);
    EXPECT_EQ(WAIT_FAILED, WaitForSingleObject(h, 0));
    EXPECT_EQ((DWORD)ERROR_INVALID_HANDLE, GetLastError());
}

std::atomic<bool> g_slowFinished{false};

UINT SlowWorker(LPVOID) {
    Sleep(50);
    g_slowFinished = true;
    return 0;
}

TEST(WorkerThreadTest, DeletingARunningThreadObjectWaitsForItsEnd) {
    g_slowFinished = false;
    CWinThread* thread = AfxBeginThread(SlowWorker, nullptr, 0, 0, CREATE_SUSPENDED);
    ASSERT_NE(nullptr, thread);
    thread->m_bAutoDelete = FALSE;
    thread->ResumeThread();
    delete thread; // the thread still uses the object after its procedure returns
    EXPECT_TRUE(g_slowFinished.load());
}

TEST(EventTest, ManualEventStaysSetAutoEventReleasesOneWait) {
    struct Case {
        BOOL manual;
        DWORD secondWait;
    } cases[] = {{TRUE, WAIT_OBJECT_0}, {FALSE, WAIT_TIMEOUT}};
    for (const Case& c : cases) {
        HANDLE ev = CreateEvent(nullptr, c.manual, FALSE, nullptr);
        EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(ev, 0));
        SetEvent(ev);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ev, 0));
        EXPECT_EQ(c.secondWait, WaitForSingleObject(ev, 0));
        SetEvent(ev);
        ResetEvent(ev);
        EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(ev, 0));
        EXPECT_TRUE(CloseHandle(ev));
        EXPECT_FALSE(CloseHandle(ev));
    }
}

UINT SetEventLater(LPVOID param) {
    Sleep(30);
    SetEvent(static_cast<HANDLE>(param));
    return 0;
}

TEST(EventTest, WaitWakesWhenAnotherThreadSignals) {
    CEvent ev(FALSE, TRUE);
    ASSERT_NE(nullptr, AfxBeginThread(SetEventLater, (HANDLE)ev));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ev, 10000));
}

TEST(EventTest, WaitForMultipleObjectsAnyAndAll) {
    HANDLE evs[3] = {CreateEvent(nullptr, TRUE, FALSE, nullptr),
                     CreateEvent(nullptr, TRUE, FALSE, nullptr),
                     CreateEvent(nullptr, TRUE, FALSE, nullptr)};
    EXPECT_EQ(WAIT_TIMEOUT, WaitForMultipleObjects(3, evs, FALSE, 10));
    SetEvent(evs[2]);
    EXPECT_EQ(WAIT_OBJECT_0 + 2, WaitForMultipleObjects(3, evs, FALSE, 0));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForMultipleObjects(3, evs, TRUE, 0));
    SetEvent(evs[0]);
    SetEvent(evs[1]);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(3, evs, FALSE, 0)); // lowest index wins
    EXPECT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(3, evs, TRUE, 0));
    for (HANDLE h : evs)
        CloseHandle(h);
    EXPECT_EQ(WAIT_FAILED, WaitForMultipleObjects(3, evs, FALSE, 0));
}

UINT AddManyUnderLocks(LPVOID param) {
    auto* shared = static_cast<std::pair<CCriticalSection*, std::pair<LONG, long>*>*>(param);
    for (int i = 0; i < 10000; ++i) {
        InterlockedIncrement(&shared->second->first);
        CSingleLock lock(shared->first, TRUE);
        ++shared->second->second; // a plain counter, safe only under the lock
    }
    return 0;
}

TEST(LockTest, CriticalSectionAndInterlockedKeepCountsExact) {
    CCriticalSection cs;
    std::pair<LONG, long> counts{0, 0};
    std::pair<CCriticalSection*, std::pair<LONG, long>*> shared{&cs, &counts};
    std::vector<CWinThread*> threads;
    for (int i = 0; i < 4; ++i) {
        CWinThread* t = AfxBeginThread(AddManyUnderLocks, &shared, 0, 0, CREATE_SUSPENDED);
        t->m_bAutoDelete = FALSE;
        t->ResumeThread();
        threads.push_back(t);
    }
    for (CWinThread* t : threads) {
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(t->m_hThread, 30000));
        delete t;
    }
    EXPECT_EQ(40000, counts.first);
    EXPECT_EQ(40000, counts.second);
}

TEST(LockTest, InterlockedReturnValuesAndRecursiveCriticalSection) {
    volatile LONG v = 5;
    EXPECT_EQ(6, InterlockedIncrement(&v));
    EXPECT_EQ(5, InterlockedDecrement(&v));
    EXPECT_EQ(5, InterlockedExchange(&v, 9));
    EXPECT_EQ(9, InterlockedCompareExchange(&v, 1, 8)); // no match: unchanged
    EXPECT_EQ(9, v);
    EXPECT_EQ(9, InterlockedCompareExchange(&v, 1, 9));
    EXPECT_EQ(1, v);
    EXPECT_EQ(1, InterlockedExchangeAdd(&v, 10));
    EXPECT_EQ(11, v);

    CRITICAL_SECTION cs;
    InitializeCriticalSection(&cs);
    EnterCriticalSection(&cs);
    EXPECT_TRUE(TryEnterCriticalSection(&cs)); // the owner may enter again
    LeaveCriticalSection(&cs);
    LeaveCriticalSection(&cs);
    DeleteCriticalSection(&cs);
}

TEST(LastErrorTest, EachThreadHasItsOwn) {
    SetLastError(1234);
    std::atomic<DWORD> seen{99};
    struct Probe : CWinThread {
        std::atomic<DWORD>* seen;
        BOOL InitInstance() override {
            *seen = GetLastError();
            SetLastError(5);
            return FALSE;
        }
    };
    auto* t = new Probe;
    t->seen = &seen;
    t->m_bAutoDelete = FALSE;
    ASSERT_TRUE(t->CreateThread());
    WaitForSingleObject(t->m_hThread, 10000);
    delete t;
    EXPECT_EQ(0u, seen.load());
    EXPECT_EQ(1234u, GetLastError());
}

// --- the named mutex of the single-instance test, across processes ---

const char* const kMutexName = "{5D1C2E7A-0B44-4F1E-9A63-3C2B8E0F71D4}";
const int kProbeSawExisting = 10;
const int kProbeSawNew = 11;

TEST(NamedMutexChild, Probe) {
    if (!child_process::Role())
        GTEST_SKIP() << "runs only as a child process";
    HANDLE h = CreateMutex(nullptr, FALSE, kMutexName);
    std::_Exit(h && GetLastError() == ERROR_ALREADY_EXISTS ? kProbeSawExisting : kProbeSawNew);
}

TEST(NamedMutexChild, HoldUntilKilled) {
    if (!child_process::Role())
        GTEST_SKIP() << "runs only as a child process";
    HANDLE h = CreateMutex(nullptr, FALSE, kMutexName);
    std::printf(h && GetLastError() == ERROR_SUCCESS ? "\nheld\n" : "\nrefused\n");
    std::fflush(stdout);
    for (;;)
        pause();
}

int Probe() {
    return child_process::Run("NamedMutexChild.Probe", "probe");
}

TEST(NamedMutexTest, FirstCreatorOwnsTheNameUntilItCloses) {
    test_folders::TempDir runtime;
    test_folders::ScopedEnv env("XDG_RUNTIME_DIR", runtime.str());

    HANDLE first = CreateMutex(nullptr, FALSE, kMutexName);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ((DWORD)ERROR_SUCCESS, GetLastError());
    EXPECT_EQ(kProbeSawExisting, Probe());

    HANDLE again = CreateMutex(nullptr, FALSE, kMutexName); // this process, second time
    EXPECT_EQ((DWORD)ERROR_ALREADY_EXISTS, GetLastError());
    CloseHandle(again);
    EXPECT_EQ(kProbeSawExisting, Probe()); // the first handle still holds it

    CloseHandle(first);
    EXPECT_EQ(kProbeSawNew, Probe());
}

TEST(NamedMutexTest, ACrashedHolderLeavesTheNameFree) {
    test_folders::TempDir runtime;
    test_folders::ScopedEnv env("XDG_RUNTIME_DIR", runtime.str());

    std::string out;
    pid_t holder = child_process::StartAndReadUntil("NamedMutexChild.HoldUntilKilled", "hold",
                                                    {"\nheld\n", "refused"}, out);
    ASSERT_GT(holder, 0);
    ASSERT_NE(std::string::npos, out.find("\nheld\n")) << out;

    EXPECT_EQ(kProbeSawExisting, Probe());
    HANDLE mine = CreateMutex(nullptr, FALSE, kMutexName);
    EXPECT_EQ((DWORD)ERROR_ALREADY_EXISTS, GetLastError());
    CloseHandle(mine);

    kill(holder, SIGKILL);
    EXPECT_EQ(-1, child_process::Wait(holder)); // killed, not exited
    mine = CreateMutex(nullptr, FALSE, kMutexName);
    EXPECT_EQ((DWORD)ERROR_SUCCESS, GetLastError());
    CloseHandle(mine);
}

} // namespace
