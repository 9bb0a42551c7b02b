// What the fuzz targets share: a scratch file holding the input, for readers that open a file by
// name, and an archive over the input bytes, for readers of stored records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "platform/base/Archive.h"
#include "platform/base/Exception.h"
#include "platform/base/File.h"

namespace fuzz_input {

// One scratch file per fuzzing process, named after the target, rewritten for each input and
// removed at exit.
inline const std::string& ScratchPath(const char* tag) {
    static const std::string path = [tag] {
        std::string pattern = std::string("/tmp/quillmar-") + tag + "-XXXXXX";
        const int fd = mkstemp(pattern.data());
        if (fd < 0)
            std::abort();
        close(fd);
        return pattern;
    }();
    static const bool removedAtExit = [] {
        return std::atexit([] { std::remove(path.c_str()); }) == 0;
    }();
    (void)removedAtExit;
    return path;
}

// The scratch file with exactly the input in it.
inline const std::string& WriteScratchFile(const char* tag, const uint8_t* data, size_t size) {
    const std::string& path = ScratchPath(tag);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, f) != size)
        std::abort();
    std::fclose(f);
    return path;
}

// Runs read over a loading archive of the input. The read ends normally or in the archive's
// exception: anything else (a crash, another exception, a sanitizer report, a huge allocation)
// is a fault of the reader.
template <class Read> void LoadFromBytes(const uint8_t* data, size_t size, Read&& read) {
    CMemFile file(const_cast<BYTE*>(data), static_cast<UINT>(size));
    // A small buffer so that values cross buffer boundaries often.
    CArchive ar(&file, CArchive::load, 128);
    try {
        read(ar);
    } catch (CArchiveException* e) {
        e->Delete();
    }
    ar.Abort();
}

} // namespace fuzz_input
