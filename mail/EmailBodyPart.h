// One MIME entity of a message: a text, or a file attached by its path, with its content headers
// and its child parts. The message owns the root part; parts own their children.
#pragma once

#include "mail/KovPtrArray.h"
#include "platform/base/CString.h"
#include "platform/base/Types.h"

class CArchive;

class CEmailBodyPart {
public:
    enum : int { ENCODING_NONE = 0, ENCODING_BASE64 = 1, ENCODING_QP = 2 };
    // Declared on the way out only, for a text that goes as it stands to a server that takes
    // 8-bit bodies; never stored.
    enum : int { ENCODING_8BIT = 3 };
    // Nine empty strings and three DWORDs.
    enum : int { MIN_STORED_SIZE = 21 };
    // Parts nest no deeper when loaded; a deeper record is damaged or hostile.
    enum : int { MAX_DEPTH = 64 };

    // A text/plain part in gb2312, quoted-printable, with a new boundary.
    CEmailBodyPart();
    // A deep copy; the copy has no parent.
    CEmailBodyPart(const CEmailBodyPart& other);
    CEmailBodyPart& operator=(const CEmailBodyPart& other);
    ~CEmailBodyPart() = default;

    // File path, text, name, content type, charset, content base, content id, content location,
    // boundary, DWORD transfer encoding, DWORD size limit, DWORD child count, the children.
    void Serialize(CArchive& ar) { SerializeAt(ar, 0); }

    // Stores the text with CR LF line ends and makes the part text/plain.
    void SetText(LPCTSTR lpszText);
    // Makes the part an attachment of the file: its name is the path's last component.
    void SetFile(LPCTSTR lpszPath);
    // Takes ownership; answers the child's index.
    int AddChild(CEmailBodyPart* pChild);
    // The index of the first child of the content type (case ignored) at or after the start;
    // -1 when there is none.
    int FindChild(LPCTSTR lpszContentType, int nStart = 0) const;
    // The children that are attachments.
    int GetAttachmentCount() const;
    // The bytes the attachments among the children take in the mail (their files' Base64 as it
    // is sent now; a file that is gone counts nothing).
    ULONGLONG GetAttachmentsSentSize() const;
    // Deletes the children that are attachments (a message filled again from its attachment list).
    void RemoveAttachments();
    void ClearChildren() { m_children.RemoveAll(); }

    // The part's header lines and the empty line after them. b8Bit: the server takes 8-bit
    // bodies, so a text with bytes over 127 may go as it stands (declared "8bit"); without it
    // such a text is sent quoted-printable.
    void FormatPartHeader(CString& out, BOOL b8Bit = FALSE) const;
    // The part's content, encoded, then (with bRecurse) each child behind a boundary line and the
    // closing boundary. FALSE when a file of the part or of a child could not be read (moved,
    // deleted, unreadable, over the size limit): the text is then not fit to send, and the first
    // such file's path goes to pUnreadable.
    BOOL FormatPartBody(CString& out, BOOL bRecurse, CString* pUnreadable = nullptr,
                        BOOL b8Bit = FALSE) const;
    // "base64", "quoted-printable", "8bit" or "".
    static CString GetEncodingName(int nEncoding);
    // How bytes stored with the encoding go out: base64 and quoted-printable as stored; without
    // one, as they stand while they are 7-bit lines of at most 998 bytes without NUL, "8bit" when
    // only the 7 bits are passed and the server takes 8-bit bodies, else quoted-printable.
    static int GetOutgoingEncoding(const CString& bytes, int nStored, BOOL b8Bit);
    // The charset a text is labelled with: by what it holds (MailCharsetOf) when the stored label
    // is empty or one of gb2312, gbk and gb18030, else the stored label.
    static CString GetOutgoingCharset(const CString& text, const CString& stored);
    // A multipart part: its own text is the preamble, which goes out as it stands.
    BOOL IsMultipart() const;
    // FALSE when a value written into the header as it stands holds a line break or a NUL, in
    // this part or a child.
    BOOL HasSafeHeaderValues() const;

    CEmailBodyPart* GetParent() const { return m_pParent; }
    const CKovPtrArray<CEmailBodyPart>& GetChildren() const { return m_children; }
    CEmailBodyPart* GetChild(int nIndex) const { return m_children.GetAt(nIndex); }
    int GetChildCount() const { return m_children.GetCount(); }

    CString m_strFilePath;
    CString m_strText;
    CString m_strName;
    CString m_strContentType = "text/plain";
    CString m_strCharset = "gb2312";
    CString m_strContentBase;
    CString m_strContentId;
    CString m_strContentLocation;
    CString m_strBoundary;
    int m_nEncoding = ENCODING_QP;
    DWORD m_dwSizeLimit;

private:
    void SerializeAt(CArchive& ar, int nDepth);
    void CopyFrom(const CEmailBodyPart& other);

    CEmailBodyPart* m_pParent = nullptr;
    CKovPtrArray<CEmailBodyPart> m_children;
};

// A new boundary: a new UUID's text, lower case, 8-4-4-4-12.
CString NewMimeBoundary();
// TRUE when the text holds no CR, LF or NUL: it can stand in a header line.
BOOL IsSafeHeaderValue(const CString& value);
