// libFuzzer entry for the mail record: the input is a stored message. Loading must end normally
// or fail; a message that loads must answer the list texts and format itself (its attachment
// paths taken away, so no file is read), and store again into the same bytes' meaning.
#include <cstdint>

#include "core/fuzz/FuzzInput.h"
#include "mail/EmailMessage.h"

namespace {

void DropFiles(CEmailBodyPart& part) {
    part.m_strFilePath.Empty();
    for (int i = 0; i < part.GetChildCount(); ++i)
        DropFiles(*part.GetChild(i));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CMemFile file(const_cast<BYTE*>(data), static_cast<UINT>(size));
    CEmailMessage message;
    if (!message.LoadFromFile(&file))
        return 0;
    for (int field = 0; field < 12; ++field)
        message.GetText(field);
    message.GetAttachmentCount();
    message.GetPlainText();
    DropFiles(message.GetRoot());
    CString text;
    message.FormatMessage(text);
    CMemFile stored;
    if (!message.SaveToFile(&stored))
        __builtin_trap();
    stored.SeekToBegin();
    CEmailMessage again;
    if (!again.LoadFromFile(&stored))
        __builtin_trap();
    return 0;
}
