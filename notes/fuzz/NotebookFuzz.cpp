// libFuzzer entry for the notebook file: the input is a ".ntp" file on disk. Opening must succeed
// or fail with its message; a notebook that opens is saved again and reopened.
#include <cstdint>
#include <string>

#include "core/fuzz/FuzzInput.h"
#include "notes/WordPadDoc.h"
#include "platform/base/OsPath.h"

namespace {

int IgnoreMessage(LPCTSTR, UINT) {
    return 1;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    CDocument::SetMessageHook(&IgnoreMessage);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = fuzz_input::WriteScratchFile("ntpfuzz", data, size);
    CWordPadDoc doc;
    if (!doc.OnOpenDocument(ProgramPathFromOsPath(path)))
        return 0;
    doc.OnSaveDocument(ProgramPathFromOsPath(path));
    CWordPadDoc again;
    again.OnOpenDocument(ProgramPathFromOsPath(path));
    return 0;
}
