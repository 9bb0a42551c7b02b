// What the seed writers of the fuzz targets share: storing into bytes and writing a seed file.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/base/OsPath.h"
#include "testsupport/ArchiveBytes.h"

namespace seed_files {

using Bytes = std::vector<char>;

inline void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), (std::streamsize)bytes.size());
}

// The one argument of a writer of whole documents: the folder its seeds go into, made if need be.
// Empty, with the usage told, when it is missing.
inline std::filesystem::path SeedFolder(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return {};
    }
    std::filesystem::create_directories(argv[1]);
    return argv[1];
}

// A seed document's path in the folder, as the documents' save takes it.
inline CString SeedPath(const std::filesystem::path& folder, const char* name) {
    return ProgramPathFromOsPath((folder / name).string());
}

// What store writes into an archive, as bytes.
template <class Store> Bytes Stored(Store&& store) {
    const archive_bytes::Bytes bytes = archive_bytes::Write(store);
    return Bytes(bytes.begin(), bytes.end());
}

} // namespace seed_files
