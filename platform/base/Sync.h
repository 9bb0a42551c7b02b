// Handles and synchronisation objects: the per-thread last error, waitable handles (threads,
// events, mutexes), critical sections, interlocked operations and the framework's lock classes.
//
// A HANDLE is a number from a process-wide table, never a pointer, and numbers are not reused: a
// wait on a handle that was closed fails with ERROR_INVALID_HANDLE instead of touching freed
// memory.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/base/Types.h"

DWORD GetLastError();
void SetLastError(DWORD dwErrCode);

#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0x00000000u
#define WAIT_ABANDONED 0x00000080u
#define WAIT_TIMEOUT 258u
#define WAIT_FAILED 0xFFFFFFFFu
#define MAXIMUM_WAIT_OBJECTS 64
#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)

typedef struct _SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;

// Waits until the object is signalled (WAIT_OBJECT_0) or ms milliseconds have passed
// (WAIT_TIMEOUT); 0 only tests, INFINITE never times out. A thread handle is signalled once the
// thread has ended; an auto-reset event is reset by the wait that it releases.
DWORD WaitForSingleObject(HANDLE h, DWORD ms);
// WAIT_OBJECT_0 + index of the first signalled object (bWaitAll FALSE), or WAIT_OBJECT_0 once all
// are signalled together (bWaitAll TRUE).
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL bWaitAll, DWORD ms);
BOOL CloseHandle(HANDLE h);

HANDLE CreateEvent(LPSECURITY_ATTRIBUTES attrs, BOOL bManualReset, BOOL bInitialState, LPCSTR name);
BOOL SetEvent(HANDLE h);
BOOL ResetEvent(HANDLE h);

// A mutex. With a name it is also visible to other processes of the user: the first creator gets
// GetLastError() == ERROR_SUCCESS, every later one (in this or another process)
// ERROR_ALREADY_EXISTS until all holders have closed it or ended, even by a crash. This is what the
// single-instance test needs; waiting on a mutex excludes the threads of this process only.
HANDLE CreateMutex(LPSECURITY_ATTRIBUTES attrs, BOOL bInitialOwner, LPCSTR name);
// The user's private folder for the lock files of named mutexes and other rendezvous points of
// the program's copies ($XDG_RUNTIME_DIR, else a private folder in /tmp); false when there is none
// that can be trusted.
bool GetRuntimeFolder(std::string& out);
BOOL ReleaseMutex(HANDLE h);

struct CRITICAL_SECTION {
    void* impl = nullptr;
};
typedef CRITICAL_SECTION* LPCRITICAL_SECTION;
// Critical sections are recursive: the owning thread may enter again and must leave as often.
void InitializeCriticalSection(LPCRITICAL_SECTION cs);
void DeleteCriticalSection(LPCRITICAL_SECTION cs);
void EnterCriticalSection(LPCRITICAL_SECTION cs);
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION cs);
void LeaveCriticalSection(LPCRITICAL_SECTION cs);

// Increment and Decrement answer the new value, Exchange, ExchangeAdd and CompareExchange the old
// one: callers test the results that way.
inline LONG InterlockedIncrement(volatile LONG* p) {
    return __atomic_add_fetch(p, 1, __ATOMIC_SEQ_CST);
}
inline LONG InterlockedDecrement(volatile LONG* p) {
    return __atomic_sub_fetch(p, 1, __ATOMIC_SEQ_CST);
}
inline LONG InterlockedExchange(volatile LONG* p, LONG value) {
    return __atomic_exchange_n(p, value, __ATOMIC_SEQ_CST);
}
inline LONG InterlockedExchangeAdd(volatile LONG* p, LONG value) {
    return __atomic_fetch_add(p, value, __ATOMIC_SEQ_CST);
}
inline LONG InterlockedCompareExchange(volatile LONG* p, LONG exchange, LONG comparand) {
    __atomic_compare_exchange_n(p, &comparand, exchange, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
    return comparand;
}

class CSyncObject {
public:
    CSyncObject() = default;
    CSyncObject(const CSyncObject&) = delete;
    CSyncObject& operator=(const CSyncObject&) = delete;
    virtual ~CSyncObject();

    virtual BOOL Lock(DWORD dwTimeout = INFINITE);
    virtual BOOL Unlock() = 0;
    operator HANDLE() const { return m_hObject; }

    HANDLE m_hObject = nullptr;
};

class CEvent : public CSyncObject {
public:
    CEvent(BOOL bInitiallyOwn = FALSE, BOOL bManualReset = FALSE, LPCSTR name = nullptr,
           LPSECURITY_ATTRIBUTES attrs = nullptr);
    BOOL SetEvent();
    BOOL ResetEvent();
    BOOL Unlock() override { return TRUE; }
};

class CCriticalSection : public CSyncObject {
public:
    CCriticalSection();
    ~CCriticalSection() override;
    BOOL Lock(DWORD dwTimeout = INFINITE) override; // waits without limit whatever the time-out
    BOOL Unlock() override;
    operator CRITICAL_SECTION*() { return &m_sect; }

    CRITICAL_SECTION m_sect;
};

// Locks the object for a scope; the destructor unlocks what is still locked.
class CSingleLock {
public:
    explicit CSingleLock(CSyncObject* pObject, BOOL bInitialLock = FALSE);
    CSingleLock(const CSingleLock&) = delete;
    CSingleLock& operator=(const CSingleLock&) = delete;
    ~CSingleLock();

    BOOL Lock(DWORD dwTimeout = INFINITE);
    BOOL Unlock();
    BOOL IsLocked() const { return m_bAcquired; }

private:
    CSyncObject* m_pObject;
    BOOL m_bAcquired = FALSE;
};

// The handle table, for the other kinds of handles of the platform (threads).
namespace sync_detail {

// State is read and changed only under the table's lock (see Guard).
class WaitableObject {
public:
    virtual ~WaitableObject() = default;
    virtual bool IsSignaled() const = 0;
    // Called when a wait has been released by this object (auto-reset, mutex ownership).
    virtual void OnWaitSatisfied() {}
};

HANDLE AddHandle(std::shared_ptr<WaitableObject> object);
// The wait of WaitForMultipleObjects on objects already looked up.
DWORD WaitForObjects(const std::vector<std::shared_ptr<WaitableObject>>& objects, bool waitAll,
                     DWORD ms);
std::shared_ptr<WaitableObject> FindHandle(HANDLE h);

// Holds the table's lock; WakeWaiters after a state change lets every waiting thread re-test.
class Guard {
public:
    Guard();
    ~Guard();
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;
};
void WakeWaiters();

} // namespace sync_detail
