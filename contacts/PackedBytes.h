// Byte strings written once and then only read, kept side by side in large shared blocks of
// memory: the stored details a contact read from a file keeps until something asks for them.
//
// A book of a million contacts holds several hundred MiB of such bytes. One allocation each would
// touch the memory a small page at a time, and on a virtual machine every first touch of a small
// page is an expensive fault; large blocks can be backed by huge pages instead. A block is shared
// by every string in it and goes when the last of them goes: each string holds its block, not its
// book, so a contact moved to another book, to the clipboard or into an undo record keeps its
// bytes however long the book it came from is gone.
#pragma once

#include <cstddef>

#include "platform/base/Types.h"

class CPackedBytes {
public:
    CPackedBytes() = default;
    ~CPackedBytes() { Reset(); }
    // A copy shares the same bytes (they never change once written).
    CPackedBytes(const CPackedBytes& other);
    CPackedBytes& operator=(const CPackedBytes& other);
    CPackedBytes(CPackedBytes&& other) noexcept;
    CPackedBytes& operator=(CPackedBytes&& other) noexcept;

    // Drops what the string held and gives room for n bytes, for the caller to fill before the
    // string is copied or read.
    BYTE* Allocate(UINT n);
    void Reset();

    const BYTE* Get() const { return m_p; }
    UINT Size() const { return m_n; }
    bool IsNull() const { return m_p == nullptr; }

    // Blocks of memory mapped right now, process-wide.
    static size_t LiveBlocks();
    // The size of a shared block; a string longer than a block has one of its own.
    static constexpr size_t kBlockSize = size_t(2) << 20;

private:
    BYTE* m_p = nullptr;
    UINT m_n = 0;
};

// Memory for objects as numerous as a book's contacts, taken from the same blocks as the strings
// (next to the bytes read with them) and holding their block in the same way. Freed memory is not
// handed out again: it comes back with the whole block, when everything in it is gone.
namespace PackedBlocks {
// align: a power of two up to 64.
void* Allocate(size_t n, size_t align);
void Free(void* p);
} // namespace PackedBlocks
