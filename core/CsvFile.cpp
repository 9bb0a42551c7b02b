#include "core/CsvFile.h"

#include "core/StringUtil.h"
#include "platform/base/Exception.h"

int CCsvFile::ReadRecord(CStringList& list) {
    list.RemoveAll();
    if (m_nUnclosedQuoteLine > 0)
        return -1; // the text after a damaged field has no records to trust
    QuotedFieldTokenizer tok; // complete is set, nothing is in quotes
    int lines = 0;
    int nOpenedAt = 0;  // the line where the quoted field now open began
    int nOpenBytes = 0; // what the open field has taken since
    CString line;
    while (ReadString(line)) {
        ++m_nLine;
        if (tok.m_bInQuotes) {
            nOpenBytes += line.GetLength();
            if (m_nLine - nOpenedAt >= kMaxQuotedLines || nOpenBytes > kMaxQuotedBytes) {
                m_nUnclosedQuoteLine = nOpenedAt;
                list.RemoveAll();
                return -1;
            }
            // The quoted field goes on: the line break it holds becomes "\r\n".
            line.TrimRight('\r');
            line = "\r\n" + line;
        } else {
            line.Trim();
            if (line.IsEmpty())
                continue;
        }
        ++lines;
        tok.m_bAfterClosingQuote = FALSE;
        tok.m_nPos = 0;
        tok.m_nFieldStart = 0;
        tok.m_nFieldEnd = -1;
        while (tok.Step(line, ',', '"', "\"\"", "\"")) {
            CString field;
            if (tok.m_bComplete) {
                field = line.Mid(tok.m_nFieldStart, tok.m_nFieldEnd - tok.m_nFieldStart);
                if (!field.IsEmpty())
                    field.Replace("\"\"", "\"");
            } else {
                field = tok.m_strToken;
                tok.m_strToken.Empty();
                tok.m_bComplete = TRUE;
            }
            list.AddTail(field);
            tok.m_nFieldStart = tok.m_nPos;
            tok.m_nFieldEnd = -1;
        }
        if (!tok.m_bInQuotes)
            break;
        if (nOpenedAt == 0)
            nOpenedAt = m_nLine;
    }
    if (tok.m_bInQuotes)
        m_nUnclosedQuoteLine = nOpenedAt;
    return lines == 0 ? -1 : list.GetCount();
}

int ReadCsvFirstRecord(LPCTSTR path, CStringList& list) {
    list.RemoveAll();
    CCsvFile file;
    if (!file.Open(path, CFile::modeRead | CFile::typeText))
        return 0;
    try {
        file.ReadRecord(list);
        file.Close();
    } catch (CException* e) {
        e->Delete();
        file.Abort();
    }
    return list.GetCount();
}
