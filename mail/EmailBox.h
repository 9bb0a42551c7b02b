// A box of e-mail: a message box of the account tree whose messages live in the account's record
// database. The box keeps only their ids, in its id list file; its group file holds its name, its
// kind and the file names of its sub-boxes, which lie in the same folder. Messages are loaded
// through the account when the box is listed.
#pragma once

#include <set>

#include "core/MsgBoxBase.h"
#include "mail/MiniDBGroup.h"
#include "platform/base/CString.h"
#include "platform/base/Types.h"

class CEmailAccount;
class CEmailMessage;

class CEmailBox : public CMsgBoxBase, public CMiniDBGroup {
    DECLARE_DYNCREATE(CEmailBox)
public:
    // An unnamed box without kind, owner or files.
    CEmailBox();
    // A box of the account (null: none yet) with that name and kind, without files yet.
    CEmailBox(CEmailAccount* pOwner, LPCTSTR lpszName, int nKind);
    ~CEmailBox() override;

    // The group file: name, kind, then the sub-box file names.
    void Serialize(CArchive& ar) override;
    // Opens the group file and its id list, then every sub-box named in it (a relative name lies
    // in this box's folder); a sub-box that does not open is left out, but one with a file that is
    // no regular file fails the whole open (GetIrregularFile names the file).
    BOOL Open(LPCTSTR lpszPath) override;

    // The message's parent becomes this box and its id enters the id list. FALSE for a message
    // without a record id or another box's message, or when the id list cannot be written.
    BOOL AddMessage(CContent* pMessage) override;
    // Detaches the message and frees its id; with bDelete the account also deletes it from its
    // database and the object goes. FALSE when the message is not in this box, or when bDelete
    // is asked for a message that is being composed or sent.
    BOOL RemoveMessage(CContent* pMessage, BOOL bDelete) override;
    // Iteration over the box's ids: each id gives the account's message (ids whose message does
    // not load are passed over).
    POSITION GetFirstMessagePosition() const override;
    CContent* GetNextMessage(POSITION& pos) const override;
    // Renames the box and saves its group file.
    void SetName(LPCTSTR lpszName) override;
    // A box without a group file gets one named by its kind in this box's folder, an id list
    // beside it and the kind 4 (user box); it then joins this box's sub-box names. Null, with
    // nothing added, when its files cannot be made.
    POSITION AddSubgroup(CGroup* pGroup, BOOL bSorted = TRUE, POSITION posRef = nullptr,
                         BOOL bAfter = TRUE, BOOL bSetParent = TRUE) override;
    // With bDelete the box deletes all its messages and those of its sub-boxes, and its files
    // (FALSE, nothing removed, while one of them is being composed or sent); it leaves this
    // box's sub-box names either way.
    BOOL RemoveSubgroup(CGroup* pGroup, BOOL bDelete) override;

    CEmailAccount* GetAccount() const;
    // The group file's path (empty before the box has files).
    const CString& GetFilePath() const { return CMiniDBGroup::GetPath(); }
    void SetOwner(CMsgAccountBase* pOwner) { m_pOwner = pOwner; }
    // The number of messages (ids) in the box.
    int GetMessageCount() const { return GetIdCount(); }
    // Whether the message is filed in this box.
    BOOL HoldsMessage(const CEmailMessage* pMessage) const;

    // The group file's base name for a kind: "in", "out", "sent", "recycle", else "mailbox".
    static CString GetKindFileName(int nKind);

    // Whether a message of this box or a box below it is being composed or sent.
    BOOL HasBusyMessage() const;

private:
    BOOL OpenTree(LPCTSTR lpszPath, std::set<CString>& opened);
    // Every message of this box and of the boxes below it is deleted, then the box's files.
    void DeleteContentsAndFiles();
};
