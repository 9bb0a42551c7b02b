// What the seed writers of the fuzz targets share: storing into bytes and writing a seed file.
#pragma once

#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/base/Archive.h"
#include "platform/base/File.h"

namespace seed_files {

using Bytes = std::vector<char>;

inline void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), (std::streamsize)bytes.size());
}

// What store writes into an archive, as bytes.
template <class Store> Bytes Stored(Store&& store) {
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        store(ar);
        ar.Close();
    }
    Bytes bytes((size_t)file.GetLength());
    file.SeekToBegin();
    file.Read(bytes.data(), (UINT)bytes.size());
    return bytes;
}

} // namespace seed_files
