// Writes the valid sender files the corpus of the sender fuzz target starts from, stored by the
// sender itself: `sms_fuzz_seeds <source folder>/sms/fuzz/corpus`.
#include <cstdio>
#include <filesystem>

#include "core/fuzz/SeedFiles.h"
#include "sms/Sender.h"

namespace {

// The standard boxes with a received, a pending batch and a sent message, one in a user box.
void FillBoxes(_CSender& sender) {
    _CSmsBox& root = sender.GetRootSmsBox();
    auto* received = new _CSms();
    received->SetState(_CSms::STATE_UNREAD);
    received->m_sender = CNameCodeString("李四", "139");
    received->m_strContent = "晚上见";
    root.GetSubBoxAt(0)->AddSms(received);
    auto* pending = new _CSms("通知");
    pending->SetState(_CSms::STATE_PENDING);
    pending->m_bBatch = TRUE;
    pending->m_batchList.AddTail("137");
    pending->m_batchList.AddTail("王五<136>");
    root.GetSubBoxAt(1)->AddSubBox("mine", CMsgBoxBase::BOX_USER)->AddSms(pending);
    auto* sent = new _CSms("回复");
    sent->SetState(_CSms::STATE_SENT);
    sent->m_nKind = _CSms::KIND_INSTANT;
    root.GetSubBoxAt(2)->AddSms(sent);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder(argv[1]);
    auto store = [](_CSender& sender) {
        return seed_files::Stored([&](CArchive& ar) { sender.Serialize(ar); });
    };
    _CSender plain("张三");
    seed_files::WriteFile(folder / "standard-boxes.bin", store(plain));
    _CSender full("张三");
    full.GetRecord().m_mobile.m_strMobileNumber = "13800000000";
    full.ModifyFlags(0, CMsgAccountBase::FLAG_PASSWORD);
    FillBoxes(full);
    seed_files::WriteFile(folder / "messages.bin", store(full));
    _CSender bare("", FALSE);
    seed_files::WriteFile(folder / "no-boxes.bin", store(bare));
    return 0;
}
