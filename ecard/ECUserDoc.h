// The document of one logged-in e-card user, kept as "ECard\Users\<number>\User.dat" in the
// program's folder, and the list of users kept there.
#pragma once

#include "core/QuillmarBaseDoc.h"
#include "ecard/ECUser.h"

class CECUserDoc : public CQuillmarBaseDoc {
    DECLARE_DYNCREATE(CECUserDoc)
public:
    CECUserDoc();
    ~CECUserDoc() override;

    // The version word, then the user.
    void Serialize(CArchive& ar) override;
    // The user is replaced only by a load that read the whole file, so nothing is emptied here:
    // a file that cannot be read leaves the user as it was.
    void DeleteContents() override;

    CECUser& GetUser() { return m_user; }
    // The current object when it is an e-card contact.
    CECContact* GetCurrentContact() const;

    // Reads or writes the user's own file (the folder is made when missing).
    BOOL LoadUser(UINT nUid);
    BOOL SaveUser();

    int m_nFlag = 0;

private:
    CECUser m_user;
};

// "<program folder>\ECard\Users".
CString GetECUsersFolder();
// The user's folder and file.
CString GetECUserFolder(UINT nUid);
CString GetECUserFilePath(UINT nUid);
// The number a folder name stands for: all digits (leading zeros allowed), not 0 and within 32
// bits; 0 for any other name.
UINT ParseECUserFolderName(LPCTSTR lpszName);
// The numbers of the users kept in the users folder, in folder-listing order.
int GetLocalECUsers(CDWordArray& numbers);
