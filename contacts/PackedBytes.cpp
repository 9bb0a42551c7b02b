#include "contacts/PackedBytes.h"

#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <new>

#if defined(__has_include)
#if __has_include(<sanitizer/asan_interface.h>)
#include <sanitizer/asan_interface.h>
#endif
#endif
#ifndef ASAN_POISON_MEMORY_REGION
#define ASAN_POISON_MEMORY_REGION(addr, size) ((void)(addr), (void)(size))
#define ASAN_UNPOISON_MEMORY_REGION(addr, size) ((void)(addr), (void)(size))
#endif

namespace {

// Every block starts on a multiple of its size, so the block of any string is found from the
// string's address alone: a string lies in the first kBlockSize bytes of its block (a string of
// its own starts right after the header).
constexpr size_t kAlign = CPackedBytes::kBlockSize;

struct SBlock {
    std::atomic<size_t> refs; // strings and objects in the block, and the thread filling it
    size_t mapped;            // bytes mapped from the block's start
    size_t used;              // bytes handed out, header included
};

// The header takes a whole cache line, so that strings do not share one with the counter.
constexpr size_t kHeader = 64;
static_assert(sizeof(SBlock) <= kHeader);

// A thread's first blocks stay in small pages: a process that only ever reads small books does
// not pay for a huge page it barely uses. Once a thread has filled this much, it is reading a
// large book, and its further blocks ask for huge pages.
constexpr int kSmallPageBlocks = 4;

std::atomic<size_t> s_liveBlocks{0};

size_t RoundUp(size_t n, size_t to) {
    return (n + to - 1) / to * to;
}

SBlock* MapBlock(size_t bytes, bool bHuge) {
    const size_t length = RoundUp(bytes, static_cast<size_t>(sysconf(_SC_PAGESIZE)));
    // Mapped with room to spare, then trimmed to an aligned start.
    void* raw = mmap(nullptr, length + kAlign, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        throw std::bad_alloc();
    const uintptr_t from = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t start = RoundUp(from, kAlign);
    if (start > from)
        munmap(raw, start - from);
    const uintptr_t end = from + length + kAlign;
    if (end > start + length)
        munmap(reinterpret_cast<void*>(start + length), end - (start + length));
    void* p = reinterpret_cast<void*>(start);
    if (bHuge)
        madvise(p, length, MADV_HUGEPAGE); // only advice: small pages still work without it
    auto* pBlock = new (p) SBlock{{1}, length, kHeader};
    // What is not handed out yet may not be read.
    ASAN_POISON_MEMORY_REGION(static_cast<BYTE*>(p) + kHeader, length - kHeader);
    s_liveBlocks.fetch_add(1, std::memory_order_relaxed);
    return pBlock;
}

void Unref(SBlock* pBlock) {
    if (pBlock->refs.fetch_sub(1, std::memory_order_acq_rel) != 1)
        return;
    const size_t length = pBlock->mapped;
    // The addresses may come back in a later mapping, which must not find them poisoned.
    ASAN_UNPOISON_MEMORY_REGION(pBlock, length);
    pBlock->~SBlock();
    munmap(pBlock, length);
    s_liveBlocks.fetch_sub(1, std::memory_order_relaxed);
}

SBlock* BlockOf(const BYTE* p) {
    return reinterpret_cast<SBlock*>(reinterpret_cast<uintptr_t>(p) & ~(kAlign - 1));
}

// The block a thread is filling. Strings are handed out from it one after another and never
// taken back one by one: a block is given back whole, when its last string goes.
struct SCurrentBlock {
    SBlock* pBlock = nullptr;
    int nMade = 0;
    ~SCurrentBlock() {
        if (pBlock != nullptr)
            Unref(pBlock);
    }
};

thread_local SCurrentBlock t_current;

// n bytes starting on a multiple of align (a power of two, at most the header's size).
BYTE* Take(size_t n, size_t align) {
    const size_t need = n > 0 ? n : 1; // never null, however short
    if (need > kAlign - kHeader) {
        SBlock* pOwn = MapBlock(kHeader + need, true);
        pOwn->used = kHeader + need;
        BYTE* p = reinterpret_cast<BYTE*>(pOwn) + kHeader;
        ASAN_UNPOISON_MEMORY_REGION(p, need);
        return p; // the string holds the block's only reference
    }
    SCurrentBlock& current = t_current;
    size_t at = current.pBlock != nullptr ? RoundUp(current.pBlock->used, align) : 0;
    if (current.pBlock == nullptr || at > current.pBlock->mapped ||
        current.pBlock->mapped - at < need) {
        SBlock* pNew = MapBlock(kAlign, current.nMade >= kSmallPageBlocks);
        ++current.nMade;
        if (current.pBlock != nullptr)
            Unref(current.pBlock);
        current.pBlock = pNew;
        at = kHeader;
    }
    SBlock* pBlock = current.pBlock;
    BYTE* p = reinterpret_cast<BYTE*>(pBlock) + at;
    pBlock->used = at + need;
    pBlock->refs.fetch_add(1, std::memory_order_relaxed);
    ASAN_UNPOISON_MEMORY_REGION(p, need);
    return p;
}

} // namespace

CPackedBytes::CPackedBytes(const CPackedBytes& other) : m_p(other.m_p), m_n(other.m_n) {
    if (m_p != nullptr)
        BlockOf(m_p)->refs.fetch_add(1, std::memory_order_relaxed);
}

CPackedBytes& CPackedBytes::operator=(const CPackedBytes& other) {
    if (this != &other) {
        CPackedBytes copy(other);
        *this = std::move(copy);
    }
    return *this;
}

CPackedBytes::CPackedBytes(CPackedBytes&& other) noexcept : m_p(other.m_p), m_n(other.m_n) {
    other.m_p = nullptr;
    other.m_n = 0;
}

CPackedBytes& CPackedBytes::operator=(CPackedBytes&& other) noexcept {
    if (this != &other) {
        Reset();
        m_p = other.m_p;
        m_n = other.m_n;
        other.m_p = nullptr;
        other.m_n = 0;
    }
    return *this;
}

BYTE* CPackedBytes::Allocate(UINT n) {
    Reset();
    m_p = Take(n, 1);
    m_n = n;
    return m_p;
}

void CPackedBytes::Reset() {
    if (m_p == nullptr)
        return;
    // Other copies may still read the same bytes: the block goes, whole, with the last of them.
    SBlock* pBlock = BlockOf(m_p);
    m_p = nullptr;
    m_n = 0;
    Unref(pBlock);
}

size_t CPackedBytes::LiveBlocks() {
    return s_liveBlocks.load(std::memory_order_relaxed);
}

void* PackedBlocks::Allocate(size_t n, size_t align) {
    return Take(n, align);
}

void PackedBlocks::Free(void* p) {
    if (p != nullptr)
        Unref(BlockOf(static_cast<const BYTE*>(p)));
}
