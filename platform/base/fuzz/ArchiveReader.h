// Reads whatever an archive holds as a mixed sequence of values, the way record loaders read
// files: strings, counts, times, byte arrays, string lists. Used by the fuzz target and by the unit
// test that feeds it mutated archives.
//
// Returns normally at the end of the data or when the archive refuses it with a
// CArchiveException. Anything else (a crash, another exception, a sanitizer report, a huge
// allocation) is a fault of the reader.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/base/Archive.h"
#include "platform/base/Collections.h"
#include "platform/base/File.h"

namespace archive_fuzz {

inline void ReadMixedArchive(const uint8_t* data, size_t size) {
    CMemFile file(const_cast<BYTE*>(data), static_cast<UINT>(size));
    // A small buffer so that values cross buffer boundaries often.
    CArchive ar(&file, CArchive::load, 128);
    try {
        // Every step reads at least its opcode byte, so the loop ends with the data.
        for (;;) {
            BYTE op = 0;
            ar >> op;
            switch (op % 9) {
            case 0: {
                CString s;
                ar >> s;
                break;
            }
            case 1:
                ar.ReadCount();
                break;
            case 2: {
                CTime t;
                ar >> t;
                break;
            }
            case 3: {
                CByteArray bytes;
                bytes.Serialize(ar);
                break;
            }
            case 4: {
                CStringList list;
                list.Serialize(ar);
                break;
            }
            case 5: {
                CDWordArray words;
                words.Serialize(ar);
                break;
            }
            case 6: {
                CString line;
                ar.ReadString(line);
                break;
            }
            case 7: {
                DWORD d = 0;
                LONGLONG q = 0;
                ar >> d >> q;
                break;
            }
            default: {
                CStringArray strings;
                strings.Serialize(ar);
                break;
            }
            }
        }
    } catch (CArchiveException* e) {
        e->Delete();
    }
    ar.Abort();
}

} // namespace archive_fuzz
