// A use counter every record carries: how many users (an open editor, a running operation) hold
// the record right now. It is a plain counter on the user-interface thread, not a mutex.
#pragma once

#include "platform/base/Types.h"

class CLockBase {
public:
    CLockBase() = default;
    virtual ~CLockBase() = default;

    virtual int GetLockCount() const { return m_nLockCount; }
    // Both answer the new count.
    virtual int Lock() { return ++m_nLockCount; }
    virtual int Unlock() { return --m_nLockCount; }

    // Whether anyone holds the record. A group answers for its whole subtree (IsInUse), so this
    // test goes through the virtual IsInUse; a group's own IsLocked is its password lock.
    BOOL IsLocked() const { return IsInUse(); }
    virtual BOOL IsInUse() const { return m_nLockCount > 0; }

private:
    int m_nLockCount = 0;
};
