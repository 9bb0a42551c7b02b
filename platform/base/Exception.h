// Exceptions of files, archives and memory. The system's code throws them as pointers
// (`throw new CFileException(...)`, or through the AfxThrow... helpers) and catches
// `CException*`, calling Delete() when done; these classes keep that convention.
#pragma once

#include "platform/base/CString.h"
#include "platform/base/Object.h"
#include "platform/base/Types.h"

class CException : public CObject {
    DECLARE_DYNAMIC(CException)
public:
    explicit CException(BOOL bAutoDelete = TRUE);
    ~CException() override = default;

    // Copies the message for the user into buf (at most max bytes including the terminator,
    // never cutting a double-byte character). FALSE, with an empty buf, when there is none.
    virtual BOOL GetErrorMessage(LPTSTR buf, UINT max, UINT* helpId = nullptr) const;
    // The message as a string; empty when there is none.
    CString GetErrorMessage() const;

    // Shows the message to the user through the report hook; nMessageId is a string-table text
    // used when the exception has no message of its own. Returns the hook's answer.
    virtual int ReportError(UINT nType = 0, UINT nMessageId = 0);

    // Frees an exception that was thrown with new. An exception that lives on the stack or inside
    // another object (the one handed to CFile::Open, say) is left alone.
    void Delete();

    // How ReportError shows a message (GBK text, message-box type). The window layer installs one
    // that opens a message box; the default writes the text to stderr and answers 1 (OK).
    typedef int (*ReportHook)(LPCTSTR text, UINT type);
    static ReportHook SetReportHook(ReportHook hook);

    static void* operator new(size_t size);
    static void operator delete(void* p);

protected:
    BOOL m_bAutoDelete;
    BOOL m_bOnHeap;
};

class CMemoryException : public CException {
    DECLARE_DYNAMIC(CMemoryException)
public:
    CMemoryException() = default;
    BOOL GetErrorMessage(LPTSTR buf, UINT max, UINT* helpId = nullptr) const override;
    using CException::GetErrorMessage;
};

class CNotSupportedException : public CException {
    DECLARE_DYNAMIC(CNotSupportedException)
public:
    CNotSupportedException() = default;
    BOOL GetErrorMessage(LPTSTR buf, UINT max, UINT* helpId = nullptr) const override;
    using CException::GetErrorMessage;
};

// Thrown after the user has already been told (or cancelled): it carries no message.
class CUserException : public CException {
    DECLARE_DYNAMIC(CUserException)
public:
    CUserException() = default;
};

class CFileException : public CException {
    DECLARE_DYNAMIC(CFileException)
public:
    enum {
        none,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile
    };

    explicit CFileException(int cause = none, LONG lOsError = -1, LPCTSTR lpszFileName = nullptr);

    BOOL GetErrorMessage(LPTSTR buf, UINT max, UINT* helpId = nullptr) const override;
    using CException::GetErrorMessage;

    // Operating-system errors here are errno values.
    static int OsErrorToException(LONG lOsError);
    [[noreturn]] static void ThrowOsError(LONG lOsError, LPCTSTR lpszFileName = nullptr);
    [[noreturn]] static void ThrowErrno(int nErrno, LPCTSTR lpszFileName = nullptr);

    int m_cause;
    LONG m_lOsError;
    CString m_strFileName;
};

class CArchiveException : public CException {
    DECLARE_DYNAMIC(CArchiveException)
public:
    enum { none, genericException, readOnly, endOfFile, writeOnly, badIndex, badClass, badSchema };

    explicit CArchiveException(int cause = none, LPCTSTR lpszArchiveName = nullptr);

    BOOL GetErrorMessage(LPTSTR buf, UINT max, UINT* helpId = nullptr) const override;
    using CException::GetErrorMessage;

    int m_cause;
    CString m_strFileName;
};

[[noreturn]] void AfxThrowFileException(int cause, LONG lOsError = -1,
                                        LPCTSTR lpszFileName = nullptr);
[[noreturn]] void AfxThrowArchiveException(int cause, LPCTSTR lpszArchiveName = nullptr);
[[noreturn]] void AfxThrowMemoryException();
[[noreturn]] void AfxThrowNotSupportedException();
[[noreturn]] void AfxThrowUserException();
