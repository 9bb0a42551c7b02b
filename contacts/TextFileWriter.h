// Writing a text file (GBK, CR LF line ends) as a whole: a file that could not be written to the
// end is removed, so that nothing cut off is left looking complete.
#pragma once

#include <functional>

#include "platform/base/File.h"

enum TextFileWriteResult {
    TEXT_FILE_WRITTEN,
    TEXT_FILE_CANNOT_CREATE,
    TEXT_FILE_WRITE_FAILED, // the partial file was removed
};

TextFileWriteResult WriteTextFile(LPCTSTR lpszPath, const std::function<void(CStdioFile&)>& write);
