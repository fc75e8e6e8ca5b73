#include "transfer/DownloadOutputFile.h"

#include "transfer/TransferError.h"

namespace {

bool SameFile(HANDLE first, HANDLE second)
{
    BY_HANDLE_FILE_INFORMATION a{};
    BY_HANDLE_FILE_INFORMATION b{};
    return GetFileInformationByHandle(first, &a) && GetFileInformationByHandle(second, &b) &&
           a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

}  // namespace

DownloadOutputFile::DownloadOutputFile(CString path) : m_path(std::move(path)), m_file(CreateNewFile(m_path))
{
    if (!m_file) {
        m_openError = GetLastError();
    }
}

DownloadOutputFile::~DownloadOutputFile()
{
    if (m_file && !m_handedOver) {
        m_file.Reset();
        DeleteFileW(m_path);
    }
}

HANDLE DownloadOutputFile::CreateNewFile(const CString& path)
{
    // Read access too: the digest and the size are read through this handle. Shared for reading only,
    // so nobody else can change the file while it is written.
    return CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

void DownloadOutputFile::EnsureOpen() const
{
    if (!m_file) {
        TransferError::ThrowSystemError(L"Failed to open file for writing", m_openError);
    }
}

void DownloadOutputFile::Restart()
{
    if (!m_file) {
        return;
    }
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(m_file.Get(), start, nullptr, FILE_BEGIN) || !SetEndOfFile(m_file.Get())) {
        TransferError::ThrowSystemError(L"Failed to write file", GetLastError());
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

std::uint64_t DownloadOutputFile::Size() const
{
    LARGE_INTEGER size{};
    if (!m_file || !GetFileSizeEx(m_file.Get(), &size)) {
        TransferError::Throw(L"Failed to open downloaded file.");
    }
    return static_cast<std::uint64_t>(size.QuadPart);
}

std::shared_ptr<HeldFile> DownloadOutputFile::Hold()
{
    EnsureOpen();
    // The writing handle must go first: a handle that may write would keep the program from starting.
    // A handle that only names the file keeps track of it meanwhile; the file held is checked against it,
    // so a file put in its place in between is never taken for it.
    const UniqueFileHandle witness(CreateFileW(m_path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                               nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    const bool witnessed = witness && SameFile(witness.Get(), m_file.Get());
    m_file.Reset();
    m_handedOver = true;
    auto held = std::make_shared<HeldFile>(m_path);
    if (!held->IsHeld()) {
        const DWORD error = held->OpenError();
        DeleteFileW(m_path);
        TransferError::ThrowSystemError(L"Failed to hold downloaded file", error);
    }
    if (!witnessed || !SameFile(witness.Get(), held->Handle())) {
        held->Delete();
        TransferError::ThrowSystemError(L"Failed to hold downloaded file", ERROR_FILE_INVALID);
    }
    return held;
}
