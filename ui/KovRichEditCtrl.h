// The rich edit control the program's windows use, and streaming a rich edit control's content
// to and from files and byte buffers (notes, help pages, exported texts).
//
// The format goes to the control as given: SF_TEXT, SF_RTF and their flags.
#pragma once

#include "core/ByteArrayWrapper.h"
#include "platform/gui/RichEditCtrl.h"

class CKovRichEditCtrl : public CRichEditCtrl {
    DECLARE_DYNAMIC(CKovRichEditCtrl)
public:
    CKovRichEditCtrl() = default;

    // Whatever the owner ties to the control; null until set.
    void* m_pData = nullptr;

protected:
    // The control leaves the dialog keys to the default handling.
    UINT OnGetDlgCode();
    DECLARE_MESSAGE_MAP()
};

// Replaces the content with the file's. FALSE, the content unchanged, when the file cannot be
// opened or read.
BOOL StreamInFromFile(CRichEditCtrl& ctrl, const char* lpszPath, UINT nFormat);
// Writes the content as the file's new contents, replaced in one step as a document is saved.
// FALSE when the file cannot be written or a write fails (a full disk): the old file is then as
// it was.
BOOL StreamOutToFile(CRichEditCtrl& ctrl, const char* lpszPath, UINT nFormat);
// A buffer in write mode receives the content at its write position; a buffer in read mode gives
// the new content from its read position, which is then put back so that the same bytes can be
// read again. Answers the control's count of bytes streamed.
long StreamWithByteBuffer(CRichEditCtrl& ctrl, CByteArrayWrapper& buffer, UINT nFormat);
// The number of bytes the content takes in the format, counted without keeping them.
long GetStreamOutLength(CRichEditCtrl& ctrl, UINT nFormat);
