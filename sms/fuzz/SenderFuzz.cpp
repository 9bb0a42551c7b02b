// libFuzzer entry for the SMS sender loader: the input is a stored sender account (its settings,
// its root box with nested boxes and messages, its flags). Loading must end normally or in the
// archive's exception, and an account that loads must answer what the message views ask of it:
// counts, texts, list order, and filing each message in its state's box.
#include <cstdint>
#include <vector>

#include "core/fuzz/FuzzInput.h"
#include "sms/Sender.h"

namespace {

void CollectSms(_CSmsBox& box, std::vector<_CSms*>& messages) {
    box.GetBoxPath();
    box.CountSmsByState();
    box.TotalRecipientCount(TRUE);
    for (POSITION pos = box.GetFirstSubBoxPosition(); pos != nullptr;)
        CollectSms(*box.GetNextSubBox(pos), messages);
    for (POSITION pos = box.GetFirstSmsPosition(); pos != nullptr;)
        messages.push_back(box.GetNextSms(pos));
}

void UseSender(_CSender& sender) {
    std::vector<_CSms*> messages;
    CollectSms(sender.GetRootSmsBox(), messages);
    const _CSms* previous = nullptr;
    for (_CSms* sms : messages) {
        CString text = sms->GetStateText();
        text += sms->GetSenderText();
        text += sms->GetRecipientsText();
        text += sms->GetTimeText();
        text += _CSms::GetKindText(sms->m_nKind);
        sms->GetTextLength();
        sms->GetRecipientCount();
        if (previous != nullptr) {
            for (int column = _CSms::COLUMN_STATE; column <= _CSms::COLUMN_SIZE; ++column)
                sms->CompareTo(previous, column);
        }
        previous = sms;
    }
    // Filing moves messages between boxes: the list was taken before, so each is filed once.
    for (_CSms* sms : messages)
        sender.MoveSmsToStateBox(sms);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    _CSender sender("", FALSE);
    bool loaded = false;
    fuzz_input::LoadFromBytes(data, size, [&](CArchive& ar) {
        sender.Serialize(ar);
        loaded = true;
    });
    if (loaded)
        UseSender(sender);
    return 0;
}
