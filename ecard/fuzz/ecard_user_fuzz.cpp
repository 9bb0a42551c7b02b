// libFuzzer entry for the e-card user's file: the input is opened as "User.dat". Opening must
// succeed or fail with its message and leave the user as it was; whatever loads must save again.
#include <cstdint>
#include <string>

#include "core/fuzz/FuzzInput.h"
#include "ecard/ECUserDoc.h"
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
    const std::string& path = fuzz_input::WriteScratchFile("ecarduserfuzz", data, size);
    const CString programPath = ProgramPathFromOsPath(path);
    CECUserDoc doc;
    doc.GetUser().GetAccount().m_strUserName = "before";
    if (doc.OnOpenDocument(programPath)) {
        CECUser& user = doc.GetUser();
        CString text;
        user.GetAllFieldsText(text);
        CList<int, int> position;
        for (int n = 0; n < 16 && user.GetRootGroup().SearchNext("a", position, FALSE); ++n) {
        }
        CDWordArray numbers;
        user.GetRootGroup().CollectNumbers(numbers);
        user.BuildUploadBody();
        doc.OnSaveDocument(programPath);
    } else if (doc.GetUser().GetAccount().m_strUserName != "before") {
        __builtin_trap(); // a failed load changed the user
    }
    return 0;
}
