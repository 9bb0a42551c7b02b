#include "notes/WordPadDoc.h"

#include <cctype>
#include <cstring>

#include "platform/base/Archive.h"
#include "platform/base/Exception.h"

IMPLEMENT_DYNCREATE(CWordPadDoc, CQuillmarBaseDoc)

CWordPadDoc::CWordPadDoc() = default;

CWordPadDoc::~CWordPadDoc() = default;

void CWordPadDoc::Serialize(CArchive& ar) {
    CQuillmarBaseDoc::Serialize(ar);
    m_root.Serialize(ar);
    // The tree is the whole notebook: bytes after it mean a file that only starts like one (or
    // one whose tree was read wrongly), which must not open as a notebook missing its pages.
    BYTE extra;
    if (ar.IsLoading() && ar.Read(&extra, 1) != 0)
        AfxThrowArchiveException(CArchiveException::badSchema);
}

void CWordPadDoc::DeleteContents() {
    m_root.RemoveAll();
    m_root.ModifyFlags(0xFFFFFFFF, 0);
    m_root.SetPasswordChecksum(0);
    m_root.SetName("");
    CQuillmarBaseDoc::DeleteContents();
}

BOOL RtfHoldsObjects(const CString& rtf) {
    // A control word is a backslash and letters; the words that open an object or a picture
    // destination are looked for as whole words (\pictwgoal is no picture).
    const char* p = rtf.GetString();
    const int n = rtf.GetLength();
    for (int i = 0; i + 1 < n; ++i) {
        if (p[i] != '\\')
            continue;
        if (p[i + 1] == '\\' || p[i + 1] == '{' || p[i + 1] == '}') {
            ++i; // an escaped character
            continue;
        }
        int j = i + 1;
        while (j < n && std::isalpha((unsigned char)p[j]))
            ++j;
        const int len = j - i - 1;
        for (const char* word : {"object", "pict", "shppict", "nonshppict", "objdata"})
            if (len == (int)std::strlen(word) && std::strncmp(p + i + 1, word, len) == 0)
                return TRUE;
        i = j - 1;
    }
    return FALSE;
}
