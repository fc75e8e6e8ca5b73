#include "transfer/DownloadOutputFile.h"

#include "transfer/TransferError.h"

DownloadOutputFile::DownloadOutputFile(const CString& path)
    : m_file(CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr))
{
    if (!m_file) {
        m_openError = GetLastError();
    }
}

void DownloadOutputFile::EnsureOpen() const
{
    if (!m_file) {
        TransferError::ThrowSystemError(L"Failed to open file for writing", m_openError);
    }
}

void DownloadOutputFile::Write(const char* data, std::uint32_t size)
{
    EnsureOpen();
    while (size > 0) {
        DWORD written = 0;
        if (!WriteFile(m_file.Get(), data, size, &written, nullptr)) {
            TransferError::ThrowSystemError(L"Failed to write file", GetLastError());
        }
        if (written == 0) {
            TransferError::ThrowSystemError(L"Failed to write file", ERROR_WRITE_FAULT);
        }
        data += written;
        size -= written;
    }
}

void DownloadOutputFile::Close()
{
    m_file.Reset();
}

DownloadOutputFile::SizeOnDisk DownloadOutputFile::Measure(const CString& path)
{
    const UniqueFileHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return {std::nullopt, GetLastError()};
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size)) {
        return {std::nullopt, GetLastError()};
    }
    return {static_cast<std::uint64_t>(size.QuadPart), ERROR_SUCCESS};
}
