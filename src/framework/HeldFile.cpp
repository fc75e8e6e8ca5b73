#include "framework/HeldFile.h"

HeldFile::HeldFile(CString path) : m_path(std::move(path))
{
    // No write or delete access of its own either: the shell and the programs that open the file
    // after us share it for reading, and would otherwise be refused.
    m_file.Reset(CreateFileW(m_path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!m_file) {
        m_openError = GetLastError();
    }
}

bool HeldFile::Delete()
{
    Release();
    return DeleteFileW(m_path) != FALSE;
}
