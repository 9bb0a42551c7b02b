// The least message, box and account types the box and account tests need: a message with the
// box type its state belongs in and a time, a box with a name, a type and an owner, and a small
// account tree.
#pragma once

#include "core/Content.h"
#include "core/MsgAccountBase.h"
#include "core/MsgBoxBase.h"
#include "platform/base/CString.h"
#include "platform/base/Time.h"

#include <map>
#include <string>

namespace msgtest {

class TestMessage : public CContent, public CIMessage {
public:
    // A message record maps its state to a box type itself; the test message is made with that
    // box type directly.
    explicit TestMessage(int nStateBox = CMsgBoxBase::BOX_INBOX, LPCTSTR lpszName = nullptr,
                         CTime time = CTime(1000))
        : CContent(lpszName), m_nStateBox(nStateBox), m_time(time) {}

    int GetStateImage() const override { return m_nStateBox; }
    void SetMessageTime(const CTime& time) override { m_time = time; }
    CContent* Clone() const override { return new TestMessage(m_nStateBox, GetName(), m_time); }

    int m_nStateBox;
    CTime m_time;
};

// A message whose clone wrongly keeps the source's parent link.
class ParentKeepingMessage : public TestMessage {
public:
    using TestMessage::TestMessage;
    CContent* Clone() const override {
        CContent* pCopy = TestMessage::Clone();
        pCopy->SetParent(GetParent());
        return pCopy;
    }
};

// A message whose clone is not a message.
class OddCloneMessage : public TestMessage {
public:
    using TestMessage::TestMessage;
    CContent* Clone() const override { return new CContent(GetName()); }
};

// A message that cannot be cloned (the base Clone answers null).
class UncloneableMessage : public TestMessage {
public:
    using TestMessage::TestMessage;
    CContent* Clone() const override { return nullptr; }
};

class TestBox : public CMsgBoxBase {
public:
    TestBox(LPCTSTR lpszName, int nType, CMsgAccountBase* pOwner = nullptr) {
        SetName(lpszName);
        m_nBoxType = nType;
        m_pOwner = pOwner;
    }
    TestBox* Add(LPCTSTR lpszName, int nType) {
        auto* pBox = new TestBox(lpszName, nType, m_pOwner);
        AddSubgroup(pBox);
        return pBox;
    }
};

class TestAccount : public CMsgAccountBase {
public:
    TestAccount() : m_root("", CMsgBoxBase::BOX_UNTYPED, this) {}
    CMsgBoxBase* GetRootBox() override { return &m_root; }
    TestBox m_root;
};

// Two accounts: "A" with its standard boxes, user boxes at several depths and a box of type 5;
// "B" with an inbox and one user box. Boxes are found by their path from the account root.
class AccountTrees {
public:
    AccountTrees() {
        TestBox& a = m_a.m_root;
        m_boxes["A"] = &a;
        TestBox* inbox = Put("A/inbox", a.Add("inbox", CMsgBoxBase::BOX_INBOX));
        Put("A/inbox/inner", inbox->Add("inner", CMsgBoxBase::BOX_USER));
        Put("A/inbox/inner2", inbox->Add("inner2", CMsgBoxBase::BOX_USER));
        Put("A/outbox", a.Add("outbox", CMsgBoxBase::BOX_OUTBOX));
        Put("A/sent", a.Add("sent", CMsgBoxBase::BOX_SENT));
        TestBox* recycle = Put("A/recycle", a.Add("recycle", CMsgBoxBase::BOX_RECYCLE));
        Put("A/recycle/binned", recycle->Add("binned", CMsgBoxBase::BOX_USER));
        TestBox* mine = Put("A/mine", a.Add("mine", CMsgBoxBase::BOX_USER));
        Put("A/mine/mine2", mine->Add("mine2", CMsgBoxBase::BOX_USER));
        TestBox* any = Put("A/any", a.Add("any", CMsgBoxBase::BOX_ANY));
        Put("A/any/anyin", any->Add("anyin", CMsgBoxBase::BOX_USER));

        TestBox& b = m_b.m_root;
        m_boxes["B"] = &b;
        Put("B/inbox", b.Add("inbox", CMsgBoxBase::BOX_INBOX));
        Put("B/mine", b.Add("mine", CMsgBoxBase::BOX_USER));
    }

    // Null for an empty path: "no box". An unknown path throws, so a mistyped case fails.
    TestBox* Box(const std::string& path) { return path.empty() ? nullptr : m_boxes.at(path); }

    TestAccount m_a;
    TestAccount m_b;

private:
    TestBox* Put(const std::string& path, TestBox* pBox) {
        m_boxes[path] = pBox;
        return pBox;
    }
    std::map<std::string, TestBox*> m_boxes;
};

} // namespace msgtest
