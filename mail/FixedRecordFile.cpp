#include "mail/FixedRecordFile.h"

#include "platform/base/Exception.h"

CFixedRecordFile::CFixedRecordFile(UINT nSlotSize, UINT nHeaderSize)
    : m_slot(nSlotSize), m_nHeaderSize(nHeaderSize) {}

CFixedRecordFile::~CFixedRecordFile() {
    Close();
}

BOOL CFixedRecordFile::Open(LPCTSTR lpszPath) {
    Close();
    if (!m_file.Open(lpszPath, CFile::modeReadWrite | CFile::shareExclusive))
        return FALSE;
    return Start();
}

BOOL CFixedRecordFile::Create(LPCTSTR lpszPath) {
    Close();
    CFileStatus status;
    if (CFile::GetStatus(lpszPath, status))
        return FALSE;
    if (!m_file.Open(lpszPath, CFile::modeCreate | CFile::modeReadWrite | CFile::shareExclusive))
        return FALSE;
    return Start();
}

BOOL CFixedRecordFile::Start() {
    if (!m_file.EnsureLength(m_nHeaderSize)) {
        Close();
        return FALSE;
    }
    try {
        const ULONGLONG slots = (m_file.GetLength() - m_nHeaderSize) / m_slot.size();
        if (slots > static_cast<ULONGLONG>(INT_MAX - 1)) {
            Close();
            return FALSE;
        }
        m_nCount = static_cast<int>(slots);
        m_nCurrent = BEFORE_FIRST;
        m_file.Seek(0, CFile::begin);
    } catch (CFileException* e) {
        e->Delete();
        Close();
        return FALSE;
    }
    return TRUE;
}

void CFixedRecordFile::Close() {
    m_file.Abort();
    m_nCurrent = BEFORE_FIRST;
    m_nCount = 0;
}

BOOL CFixedRecordFile::SeekTo(int nSlot) {
    try {
        if (nSlot < 0) {
            m_file.Seek(0, CFile::begin);
            m_nCurrent = BEFORE_FIRST;
        } else if (nSlot < m_nCount) {
            m_file.Seek(static_cast<LONGLONG>(m_nHeaderSize) +
                            static_cast<LONGLONG>(nSlot) * static_cast<LONGLONG>(m_slot.size()),
                        CFile::begin);
            m_nCurrent = nSlot;
        } else {
            m_file.Seek(0, CFile::end);
            m_nCurrent = AT_END;
        }
        return TRUE;
    } catch (CFileException* e) {
        e->Delete();
        return FALSE;
    }
}

BOOL CFixedRecordFile::Read() {
    if (m_nCurrent < 0 || m_nCurrent >= m_nCount)
        return FALSE;
    try {
        return m_file.Peek(m_slot.data(), GetSlotSize()) == GetSlotSize();
    } catch (CFileException* e) {
        e->Delete();
        return FALSE;
    }
}

BOOL CFixedRecordFile::Write() {
    if (m_nCurrent < 0 || m_nCurrent >= m_nCount)
        return FALSE;
    try {
        m_file.Poke(m_slot.data(), GetSlotSize());
        return TRUE;
    } catch (CFileException* e) {
        e->Delete();
        return FALSE;
    }
}

int CFixedRecordFile::Append() {
    if (!IsOpen() || m_nCount >= INT_MAX - 1)
        return -1;
    try {
        m_file.Seek(static_cast<LONGLONG>(m_nHeaderSize) +
                        static_cast<LONGLONG>(m_nCount) * static_cast<LONGLONG>(m_slot.size()),
                    CFile::begin);
        m_file.Poke(m_slot.data(), GetSlotSize());
    } catch (CFileException* e) {
        e->Delete();
        return -1;
    }
    m_nCurrent = m_nCount++;
    return m_nCurrent;
}
