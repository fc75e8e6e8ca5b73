#pragma once

#include "framework/CString.h"
#include "framework/HeldFile.h"
#include "framework/UniqueHandle.h"

#include <cstdint>
#include <memory>

// The file one download writes: always a new one (never an existing file, nor a link in its place),
// written by the setup alone and readable by others. Both transports write it in turn. Whether it
// could be created is asked only when the first byte is due, so that a failing server is reported
// first.
class DownloadOutputFile {
public:
    // Creates the file; CreateNewFile's error is kept for EnsureOpen.
    explicit DownloadOutputFile(CString path);
    // A file still here is deleted: only a completed download is handed over (Hold).
    ~DownloadOutputFile();
    DownloadOutputFile(const DownloadOutputFile&) = delete;
    DownloadOutputFile& operator=(const DownloadOutputFile&) = delete;

    // Opens path as a new file written by this handle alone; INVALID_HANDLE_VALUE with the error set
    // when the name exists (as a file, a folder or a link) or cannot be created.
    static HANDLE CreateNewFile(const CString& path);

    const CString& Path() const { return m_path; }
    bool IsOpen() const { return m_file.IsValid(); }
    DWORD OpenError() const { return m_openError; }
    // Throws "Failed to open file for writing: %d - %s" when the file could not be created.
    void EnsureOpen() const;
    // Empties the file for another attempt.
    void Restart();
    void Write(const char* data, std::uint32_t size);
    // The bytes written; throws "Failed to open downloaded file." when the size cannot be read.
    std::uint64_t Size() const;

    // Ends the writing and holds the file for reading (HeldFile), checking that the file held is the
    // one written. Throws "Failed to hold downloaded file: %d - %s" when that fails.
    std::shared_ptr<HeldFile> Hold();

private:
    CString m_path;
    UniqueFileHandle m_file;
    DWORD m_openError = ERROR_SUCCESS;
    bool m_handedOver = false;
};
