#pragma once

#include "framework/CString.h"
#include "framework/UniqueHandle.h"

#include <cstdint>
#include <optional>

// The file a download writes: created (or truncated) on construction, written as raw bytes in the
// chunks the transport delivers, shared for reading and writing by others. Whether the open worked
// is asked only when the first byte is due, so that a failing server is reported first.
class DownloadOutputFile {
public:
    explicit DownloadOutputFile(const CString& path);

    // Throws "Failed to open file for writing: %d - %s" when the open failed.
    void EnsureOpen() const;
    void Write(const char* data, std::uint32_t size);
    void Close();

    // The size of the closed file on disk, or the error of opening it.
    struct SizeOnDisk {
        std::optional<std::uint64_t> size;
        DWORD error = ERROR_SUCCESS;
    };
    static SizeOnDisk Measure(const CString& path);

private:
    UniqueFileHandle m_file;
    DWORD m_openError = ERROR_SUCCESS;
};
