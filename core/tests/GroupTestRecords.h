// Small record classes for the group and document tests: a card with one field of every kind
// that can stand as a link, a folder that stores its name, flags and password checksum, a bare
// folder that stores nothing of its own, and a document holding one folder tree.
#pragma once

#include <string>
#include <vector>

#include "core/Content.h"
#include "core/Group.h"
#include "core/QuillmarBaseDoc.h"

// Field numbers of CTestCard; the kind of each is the field kind of the same number, except
// kFieldShout, a text computed on request (no storage to point at).
enum {
    kFieldName = 0,
    kFieldNote = 1,
    kFieldPhones = 2,
    kFieldAge = 3,
    kFieldBirthday = 4,
    kFieldCreated = 5,
    kFieldCertificates = 6,
    kFieldRank = 7,
    kFieldScore = 8,
    kFieldFlags = 9,
    kFieldShout = 10,
};

class CTestCard : public CContent {
    DECLARE_SERIAL(CTestCard)
public:
    explicit CTestCard(LPCTSTR lpszName = nullptr);

    void Serialize(CArchive& ar) override;
    void CopyFrom(const CContent* pSource) override;
    CContent* Clone() const override;
    CContent* CreateInstance(LPCTSTR lpszName) const override;
    void* GetFieldData(int nField, int& nKind) override;
    BOOL GetFieldValue(int nField, FieldValue& value) override;
    CString GetText() override;
    BOOL IsVirtual() const override { return m_bVirtual; }
    void GetVirtualPath(CString& strPath) const override { strPath = m_strLinkPath; }
    void SetVirtualLink(LPCTSTR lpszPath, CContent* pSource) override;

    CString m_strNote;
    CXStringList m_phones{2};
    int m_nAge = 0;
    CDate m_birthday;
    CTime m_created;
    CCertificateList m_certificates;
    int m_nRank = 0;
    int m_nScore = 0;
    DWORD m_dwFlags = 0;
    BOOL m_bVirtual = FALSE;
    CString m_strLinkPath;
};

class CTestFolder : public CGroup {
    DECLARE_SERIAL(CTestFolder)
public:
    explicit CTestFolder(LPCTSTR lpszName = nullptr) : CGroup(lpszName) {}
    CRuntimeClass* GetContentClass() const override { return RUNTIME_CLASS(CTestCard); }
    CGroup* CreateSubGroup(LPCTSTR lpszName) override { return new CTestFolder(lpszName); }
    void SerializeExtra(CArchive& ar) override;
    void CopyFrom(const CGroup* pSource) override;
};

class CBareFolder : public CGroup {
    DECLARE_SERIAL(CBareFolder)
public:
    CRuntimeClass* GetContentClass() const override { return RUNTIME_CLASS(CTestCard); }
};

class CTestBookDoc : public CQuillmarBaseDoc {
    DECLARE_DYNCREATE(CTestBookDoc)
public:
    void Serialize(CArchive& ar) override;
    void DeleteContents() override { m_root.RemoveAll(); }

    CTestFolder m_root;
    // Throws a file error after this many children were stored (-1: never).
    static int s_nFailAfterChildren;
};

// A card with every field filled from the seed.
CTestCard* MakeFullCard(LPCTSTR lpszName, int nSeed);

// The names of a group's children in list order, sub-groups first, then contents.
std::vector<std::string> ChildNames(const CGroup& group);

// Messages shown through the document message hook while an instance lives.
class MessageRecorder {
public:
    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;
    const std::vector<std::string>& Messages() const;

private:
    CDocument::MessageHook m_old;
};
