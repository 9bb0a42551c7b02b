// libFuzzer entry for the stored string lists: the input is read as a run of lists, each after a
// byte choosing its kind (and, for multi-value lists, the number of strings in a value), until the
// data ends or the archive refuses it. Every list that loads must then answer what the record
// views ask of it: its current value, its joined texts, a search, a copy.
#include <cstdint>

#include "core/StringListCertificate.h"
#include "core/StringListEx.h"
#include "core/StringListXString.h"
#include "core/fuzz/FuzzInput.h"

namespace {

void UseList(const CStringListEx& list) {
    CStringListEx copy(list);
    const int current = copy.GetCurrentIndex();
    copy.SetAt(current, "x");
    copy.InsertAt(current, "y");
    copy.RemoveAt(current);
}

void UseList(const CXStringList& list) {
    CXStringList copy(list);
    CString text = copy.GetCurrentValue();
    text += copy.JoinValues(",");
    if (const CXString* current = copy.GetCurrent()) {
        text += current->GetNote();
        text += current->JoinStrings(",");
    }
    int item = 0, string = 0, pos = 0;
    copy.Find("1", item, string, pos, FALSE);
    copy.Append(list);
}

void UseList(const CCertificateList& list) {
    CCertificateList copy(list);
    copy.Append(list);
    CCertificateList back;
    back.FromXStringList(copy.ToXStringList());
    int item = 0, string = 0, pos = 0;
    back.Find("1", item, string, pos);
}

template <class List> void LoadAndUse(CArchive& ar, List&& list) {
    list.Serialize(ar);
    UseList(list);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz_input::LoadFromBytes(data, size, [](CArchive& ar) {
        // Every step reads at least its kind byte, so the loop ends with the data.
        for (;;) {
            BYTE kind = 0;
            ar >> kind;
            switch (kind % 3) {
            case 0:
                LoadAndUse(ar, CStringListEx());
                break;
            case 1:
                // Item sizes 0 to 4: the fields keep one to three strings a value.
                LoadAndUse(ar, CXStringList(kind / 3 % 5));
                break;
            default:
                LoadAndUse(ar, CCertificateList());
                break;
            }
        }
    });
    return 0;
}
