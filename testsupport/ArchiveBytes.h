// Storing records into bytes and loading them back, for the tests of every record type.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/base/Archive.h"
#include "platform/base/Exception.h"
#include "platform/base/File.h"

namespace archive_bytes {

using Bytes = std::vector<unsigned char>;

// What `store` writes into an archive, as bytes.
template <class F> Bytes Write(F&& store) {
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        store(ar);
        ar.Close();
    }
    Bytes bytes(static_cast<size_t>(file.GetLength()));
    file.SeekToBegin();
    file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
    return bytes;
}

// What the object's Serialize writes, as bytes.
template <class T> Bytes Store(T& object) {
    return Write([&](CArchive& ar) { object.Serialize(ar); });
}

// Loads the object from the bytes and answers how many were left unread.
template <class T> size_t Load(T& object, Bytes bytes) {
    CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
    CArchive ar(&file, CArchive::load);
    object.Serialize(ar);
    size_t left = static_cast<size_t>(ar.GetBytesLeft());
    ar.Close();
    return left;
}

// The archive exception's cause when loading fails, -1 when it loads.
template <class T> int LoadFailure(T& object, const Bytes& bytes) {
    try {
        Load(object, bytes);
    } catch (CArchiveException* e) {
        int cause = e->m_cause;
        e->Delete();
        return cause;
    }
    return -1;
}

} // namespace archive_bytes
