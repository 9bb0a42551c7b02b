// The cause code of the exception a piece of code throws, for tests of failure paths.
#pragma once

#include <gtest/gtest.h>

#include <functional>

// The m_cause of the E* that f throws (deleting it), or -1 when f returns normally.
template <class E> int ThrownCause(const std::function<void()>& f) {
    try {
        f();
    } catch (E* e) {
        int cause = e->m_cause;
        e->Delete();
        return cause;
    }
    return -1;
}
