// A parent window for control tests: it records every WM_NOTIFY it receives (code and a copy of
// the structure's bytes) and answers the codes a test chose to refuse or answer.
#pragma once

#include "GuiTestSupport.h"
#include "platform/gui/CommCtrl.h"

#include <cstring>
#include <functional>
#include <map>
#include <vector>

class CNotifyRecorder : public CWnd {
public:
    struct Entry {
        UINT code;
        UINT_PTR id;
        std::vector<unsigned char> bytes;
        template <class T> const T& As() const { return *reinterpret_cast<const T*>(bytes.data()); }
    };
    std::vector<Entry> notes;
    std::map<UINT, LRESULT> answers;
    // Runs for every notification before the answer is taken (may inspect or change it).
    std::function<LRESULT(NMHDR*)> handler;
    // How many bytes of each code's structure to keep (the header alone for codes not named).
    std::map<UINT, size_t> sizes;
    // When set, only notifications of this window keep more than their header: controls that
    // pass on a child's notifications (a list its header's) send the same code with another
    // structure.
    HWND sizedFrom = nullptr;

    BOOL OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult) override {
        auto* nm = reinterpret_cast<NMHDR*>(lParam);
        Entry e{nm->code, nm->idFrom, {}};
        auto sz = sizes.find(nm->code);
        bool sized = sz != sizes.end() && (!sizedFrom || nm->hwndFrom == sizedFrom);
        e.bytes.resize(sized ? sz->second : sizeof(NMHDR));
        std::memcpy(e.bytes.data(), nm, e.bytes.size());
        notes.push_back(std::move(e));
        LRESULT r = 0;
        if (auto a = answers.find(nm->code); a != answers.end())
            r = a->second;
        if (handler)
            r = handler(nm) | r;
        *pResult = r;
        return TRUE;
    }
    std::vector<UINT> Codes(bool skipCustomDraw = true) const {
        std::vector<UINT> out;
        for (auto& e : notes)
            if (!skipCustomDraw || e.code != NM_CUSTOMDRAW)
                out.push_back(e.code);
        return out;
    }
    BOOL CreateTop(int cx, int cy) {
        return CreateEx(0, nullptr, "parent", WS_POPUP | WS_VISIBLE, CRect(0, 0, cx, cy), nullptr,
                        0);
    }
};
