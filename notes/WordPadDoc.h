// A notebook file (".ntp"): the scrambled document file holding one tree of note groups and pages.
// The pages' rich text is stored as bytes; the editor that shows a page works on a copy of them.
#pragma once

#include "core/QuillmarBaseDoc.h"
#include "notes/NoteGroup.h"

class CWordPadDoc : public CQuillmarBaseDoc {
    DECLARE_DYNCREATE(CWordPadDoc)
public:
    CWordPadDoc();
    ~CWordPadDoc() override;

    // The version word, then the root group's tree, which ends the file: a file with bytes after
    // it does not load.
    void Serialize(CArchive& ar) override;
    void DeleteContents() override;

    CNoteGroup& GetRootGroup() { return m_root; }

private:
    CNoteGroup m_root;
};

// Whether stored rich text holds what the editor cannot keep (embedded objects, pictures): such a
// page is shown but not rewritten, or they would be lost.
BOOL RtfHoldsObjects(const CString& rtf);
