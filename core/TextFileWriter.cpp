#include "core/TextFileWriter.h"

#include "platform/base/Document.h"
#include "platform/base/Exception.h"

TextFileWriteResult WriteTextFile(LPCTSTR lpszPath, const std::function<void(CStdioFile&)>& write) {
    bool bStarted = false;
    try {
        CDocument::ReplaceFileWriting(lpszPath, TRUE, [&](CStdioFile& file) {
            bStarted = true;
            write(file);
        });
    } catch (CException* e) {
        e->Delete();
        return bStarted ? TEXT_FILE_WRITE_FAILED : TEXT_FILE_CANNOT_CREATE;
    }
    return TEXT_FILE_WRITTEN;
}
