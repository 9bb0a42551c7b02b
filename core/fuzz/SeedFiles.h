// What the seed writers of the fuzz targets share: storing into bytes and writing a seed file.
#pragma once

#include <filesystem>
#include <fstream>
#include <vector>

#include "testsupport/ArchiveBytes.h"

namespace seed_files {

using Bytes = std::vector<char>;

inline void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), (std::streamsize)bytes.size());
}

// What store writes into an archive, as bytes.
template <class Store> Bytes Stored(Store&& store) {
    const archive_bytes::Bytes bytes = archive_bytes::Write(store);
    return Bytes(bytes.begin(), bytes.end());
}

} // namespace seed_files
