#include "platform/base/Sync.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

thread_local DWORD t_lastError = ERROR_SUCCESS;

// One lock and one condition for every waitable object: waits on several objects at once stay
// simple, and the program has only a handful of threads.
std::mutex g_lock;
std::condition_variable g_changed;
std::unordered_map<uintptr_t, std::shared_ptr<sync_detail::WaitableObject>> g_handles;
uintptr_t g_nextHandle = 0x100;

class EventObject : public sync_detail::WaitableObject {
public:
    EventObject(bool manual, bool signaled) : m_manual(manual), m_signaled(signaled) {}
    bool IsSignaled() const override { return m_signaled; }
    void OnWaitSatisfied() override {
        if (!m_manual)
            m_signaled = false;
    }
    bool m_manual;
    bool m_signaled;
};

// Ownership inside the process; the lock file (if named) only tells other processes it exists.
class MutexObject : public sync_detail::WaitableObject {
public:
    ~MutexObject() override {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool IsSignaled() const override {
        return m_count == 0 || m_owner == std::this_thread::get_id();
    }
    void OnWaitSatisfied() override {
        m_owner = std::this_thread::get_id();
        ++m_count;
    }
    std::thread::id m_owner;
    int m_count = 0;
    int m_fd = -1;
};

template <class T> std::shared_ptr<T> FindAs(HANDLE h) {
    return std::dynamic_pointer_cast<T>(sync_detail::FindHandle(h));
}

std::shared_ptr<EventObject> FindEvent(HANDLE h) {
    auto ev = FindAs<EventObject>(h);
    if (!ev)
        SetLastError(ERROR_INVALID_HANDLE);
    return ev;
}

// The folder for the lock files of named mutexes: private to the user, gone at logout where the
// session provides one. Without a session (a plain shell, a service) a private folder of the
// user's in the temporary folder stands in, as Qt does for its own sockets.
bool RuntimeFolder(std::string& out) {
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    if (xdg && *xdg) {
        out = xdg;
        return true;
    }
    const char* tmp = std::getenv("TMPDIR");
    out = std::string(tmp && *tmp == '/' ? tmp : "/tmp") + "/quillmar-" + std::to_string(::getuid());
    if (::mkdir(out.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    // Someone else may have made this name first in the shared /tmp; only our own private folder
    // is trusted.
    struct stat st;
    return ::lstat(out.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & 077) == 0;
}

std::string LockFileName(const char* name) {
    static const char hex[] = "0123456789ABCDEF";
    std::string file = "mutex-";
    for (const unsigned char* p = (const unsigned char*)name; *p && file.size() < 200; ++p) {
        if ((*p >= '0' && *p <= '9') || (*p >= 'A' && *p <= 'Z') || (*p >= 'a' && *p <= 'z') ||
            *p == '-' || *p == '_' || *p == '.') {
            file += (char)*p;
        } else {
            file += '%';
            file += hex[*p >> 4];
            file += hex[*p & 15];
        }
    }
    return file + ".lock";
}

// Opens the lock file of the name and holds a shared lock on it for as long as the handle lives.
// Whoever finds no other holder (the exclusive lock succeeds) is the creator. The gate file makes
// the test and the change to a shared lock one step for all processes, so two starting copies
// cannot both see themselves as first.
bool OpenNamedLock(const char* name, int& fd, bool& existed) {
    std::string folder;
    if (!RuntimeFolder(folder))
        return false;
    int gate =
        ::open((folder + "/mutex.gate").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (gate < 0)
        return false;
    bool ok = false;
    if (::flock(gate, LOCK_EX) == 0) {
        fd = ::open((folder + "/" + LockFileName(name)).c_str(),
                    O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd >= 0) {
            existed = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
            ok = ::flock(fd, LOCK_SH | LOCK_NB) == 0;
            if (!ok) {
                ::close(fd);
                fd = -1;
            }
        }
    }
    ::close(gate);
    return ok;
}

} // namespace

DWORD GetLastError() {
    return t_lastError;
}

void SetLastError(DWORD dwErrCode) {
    t_lastError = dwErrCode;
}

bool GetRuntimeFolder(std::string& out) {
    return RuntimeFolder(out);
}

namespace sync_detail {

Guard::Guard() {
    g_lock.lock();
}

Guard::~Guard() {
    g_lock.unlock();
}

void WakeWaiters() {
    g_changed.notify_all();
}

HANDLE AddHandle(std::shared_ptr<WaitableObject> object) {
    std::lock_guard<std::mutex> lock(g_lock);
    uintptr_t id = g_nextHandle;
    g_nextHandle += 4;
    g_handles[id] = std::move(object);
    return (HANDLE)id;
}

std::shared_ptr<WaitableObject> FindHandle(HANDLE h) {
    std::lock_guard<std::mutex> lock(g_lock);
    auto it = g_handles.find((uintptr_t)h);
    return it == g_handles.end() ? nullptr : it->second;
}

DWORD WaitForObjects(const std::vector<std::shared_ptr<WaitableObject>>& objects, bool waitAll,
                     DWORD ms) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    std::unique_lock<std::mutex> lock(g_lock);
    for (;;) {
        if (waitAll) {
            bool all = true;
            for (auto& obj : objects)
                all = all && obj->IsSignaled();
            if (all) {
                for (auto& obj : objects)
                    obj->OnWaitSatisfied();
                return WAIT_OBJECT_0;
            }
        } else {
            for (size_t i = 0; i < objects.size(); ++i) {
                if (objects[i]->IsSignaled()) {
                    objects[i]->OnWaitSatisfied();
                    return WAIT_OBJECT_0 + (DWORD)i;
                }
            }
        }
        if (ms == 0)
            return WAIT_TIMEOUT;
        if (ms == INFINITE) {
            g_changed.wait(lock);
        } else if (g_changed.wait_until(lock, deadline) == std::cv_status::timeout &&
                   std::chrono::steady_clock::now() >= deadline) {
            // One last look: the state may have changed just as the time ran out.
            ms = 0;
        }
    }
}

} // namespace sync_detail

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL bWaitAll, DWORD ms) {
    if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || !handles) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    std::vector<std::shared_ptr<sync_detail::WaitableObject>> objects;
    for (DWORD i = 0; i < count; ++i) {
        auto obj = sync_detail::FindHandle(handles[i]);
        if (!obj) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        objects.push_back(std::move(obj));
    }
    return sync_detail::WaitForObjects(objects, bWaitAll, ms);
}

DWORD WaitForSingleObject(HANDLE h, DWORD ms) {
    return WaitForMultipleObjects(1, &h, FALSE, ms);
}

BOOL CloseHandle(HANDLE h) {
    std::shared_ptr<sync_detail::WaitableObject> doomed;
    {
        std::lock_guard<std::mutex> lock(g_lock);
        auto it = g_handles.find((uintptr_t)h);
        if (it == g_handles.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        doomed = std::move(it->second);
        g_handles.erase(it);
    }
    return TRUE; // the object itself goes when its last waiter lets go of it
}

HANDLE CreateEvent(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCSTR) {
    SetLastError(ERROR_SUCCESS);
    return sync_detail::AddHandle(std::make_shared<EventObject>(bManualReset, bInitialState));
}

namespace {
BOOL SetEventState(HANDLE h, bool signaled) {
    auto ev = FindEvent(h);
    if (!ev)
        return FALSE;
    {
        sync_detail::Guard guard;
        ev->m_signaled = signaled;
    }
    if (signaled)
        sync_detail::WakeWaiters();
    return TRUE;
}
} // namespace

BOOL SetEvent(HANDLE h) {
    return SetEventState(h, true);
}

BOOL ResetEvent(HANDLE h) {
    return SetEventState(h, false);
}

HANDLE CreateMutex(LPSECURITY_ATTRIBUTES, BOOL bInitialOwner, LPCSTR name) {
    auto mutex = std::make_shared<MutexObject>();
    bool existed = false;
    if (name && *name && !OpenNamedLock(name, mutex->m_fd, existed)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    if (bInitialOwner && !existed)
        mutex->OnWaitSatisfied();
    HANDLE h = sync_detail::AddHandle(mutex);
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return h;
}

BOOL ReleaseMutex(HANDLE h) {
    auto mutex = FindAs<MutexObject>(h);
    if (!mutex) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    {
        sync_detail::Guard guard;
        if (mutex->m_count == 0 || mutex->m_owner != std::this_thread::get_id()) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        if (--mutex->m_count == 0)
            mutex->m_owner = std::thread::id();
    }
    sync_detail::WakeWaiters();
    return TRUE;
}

void InitializeCriticalSection(LPCRITICAL_SECTION cs) {
    cs->impl = new std::recursive_mutex;
}

void DeleteCriticalSection(LPCRITICAL_SECTION cs) {
    delete static_cast<std::recursive_mutex*>(cs->impl);
    cs->impl = nullptr;
}

void EnterCriticalSection(LPCRITICAL_SECTION cs) {
    static_cast<std::recursive_mutex*>(cs->impl)->lock();
}

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION cs) {
    return static_cast<std::recursive_mutex*>(cs->impl)->try_lock();
}

void LeaveCriticalSection(LPCRITICAL_SECTION cs) {
    static_cast<std::recursive_mutex*>(cs->impl)->unlock();
}

CSyncObject::~CSyncObject() {
    if (m_hObject)
        CloseHandle(m_hObject);
}

BOOL CSyncObject::Lock(DWORD dwTimeout) {
    return WaitForSingleObject(m_hObject, dwTimeout) == WAIT_OBJECT_0;
}

CEvent::CEvent(BOOL bInitiallyOwn, BOOL bManualReset, LPCSTR name, LPSECURITY_ATTRIBUTES attrs) {
    m_hObject = CreateEvent(attrs, bManualReset, bInitiallyOwn, name);
}

BOOL CEvent::SetEvent() {
    return ::SetEvent(m_hObject);
}

BOOL CEvent::ResetEvent() {
    return ::ResetEvent(m_hObject);
}

CCriticalSection::CCriticalSection() {
    InitializeCriticalSection(&m_sect);
}

CCriticalSection::~CCriticalSection() {
    DeleteCriticalSection(&m_sect);
}

BOOL CCriticalSection::Lock(DWORD) {
    EnterCriticalSection(&m_sect);
    return TRUE;
}

BOOL CCriticalSection::Unlock() {
    LeaveCriticalSection(&m_sect);
    return TRUE;
}

CSingleLock::CSingleLock(CSyncObject* pObject, BOOL bInitialLock) : m_pObject(pObject) {
    if (bInitialLock)
        Lock();
}

CSingleLock::~CSingleLock() {
    Unlock();
}

BOOL CSingleLock::Lock(DWORD dwTimeout) {
    if (!m_bAcquired && m_pObject)
        m_bAcquired = m_pObject->Lock(dwTimeout);
    return m_bAcquired;
}

BOOL CSingleLock::Unlock() {
    if (m_bAcquired && m_pObject)
        m_bAcquired = !m_pObject->Unlock();
    return !m_bAcquired;
}
