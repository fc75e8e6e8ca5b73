#include <doctest/doctest.h>

#include "app/FolderCleanup.h"
#include "framework/UniqueHandle.h"
#include "WineEnvironment.h"
#include "profile/MachineFacts.h"

#include <shlwapi.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr wchar_t kPendingValue[] = L"PendingFileRenameOperations";

std::vector<std::wstring> PendingDeletions()
{
    UniqueRegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) {
        return {};
    }
    DWORD size = 0;
    if (RegQueryValueExW(key.Get(), kPendingValue, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) {
        return {};
    }
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    RegQueryValueExW(key.Get(), kPendingValue, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &size);
    std::vector<std::wstring> entries;
    for (std::size_t start = 0; start < data.size();) {
        const std::size_t end = data.find(L'\0', start);
        entries.emplace_back(data.substr(start, end - start));
        start = end == std::wstring::npos ? data.size() : end + 1;
    }
    return entries;
}

bool IsPending(const std::vector<std::wstring>& entries, const CString& path)
{
    const std::wstring wanted = L"\\??\\" + path.Str();
    for (const auto& entry : entries) {
        if (_wcsicmp(entry.c_str(), wanted.c_str()) == 0) {
            return true;
        }
    }
    return false;
}

// Puts the restart list back as it was, so the prefix does not collect the test's entries.
class PendingDeletionsRestorer {
public:
    PendingDeletionsRestorer()
    {
        UniqueRegKey key;
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_READ, key.Receive());
        DWORD size = 0;
        m_existed = key && RegQueryValueExW(key.Get(), kPendingValue, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS;
        m_data.resize(size);
        if (m_existed && size > 0) {
            RegQueryValueExW(key.Get(), kPendingValue, nullptr, nullptr, m_data.data(), &size);
        }
    }
    ~PendingDeletionsRestorer()
    {
        UniqueRegKey key;
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, key.Receive());
        if (m_existed) {
            RegSetValueExW(key.Get(), kPendingValue, 0, REG_MULTI_SZ, m_data.data(), static_cast<DWORD>(m_data.size()));
        } else {
            RegDeleteValueW(key.Get(), kPendingValue);
        }
    }

private:
    bool m_existed = false;
    std::vector<BYTE> m_data;
};

void WriteFile(const CString& path)
{
    UniqueFileHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    ::WriteFile(file.Get(), "data", 4, &written, nullptr);
}

}  // namespace

TEST_CASE("Removing a folder tree")
{
    PendingDeletionsRestorer restoreList;
    const CString root = MachineFacts::CreateUniqueTempFolder();
    REQUIRE(PathIsDirectoryW(root));

    SUBCASE("a missing path and an empty folder are left alone")
    {
        const auto before = PendingDeletions();
        DeleteFolderTree(root + L"\\missing");
        DeleteFolderTree(root);
        CHECK(PathIsDirectoryW(root));
        CHECK(PendingDeletions() == before);
        RemoveDirectoryW(root);
    }

    SUBCASE("what is in use stays and is scheduled for the next restart, the rest goes")
    {
        CreateDirectoryW(root + L"\\sub", nullptr);
        CreateDirectoryW(root + L"\\empty", nullptr);
        CreateDirectoryW(root + L"\\nested", nullptr);
        CreateDirectoryW(root + L"\\nested\\deeper", nullptr);
        WriteFile(root + L"\\a.txt");
        WriteFile(root + L"\\sub\\b.txt");
        WriteFile(root + L"\\nested\\deeper\\c.txt");
        const CString locked = root + L"\\sub\\locked.txt";
        WriteFile(locked);
        UniqueFileHandle inUse(CreateFileW(locked, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        REQUIRE(inUse.IsValid());

        DeleteFolderTree(root);

        CHECK_FALSE(PathFileExistsW(root + L"\\a.txt"));
        CHECK_FALSE(PathFileExistsW(root + L"\\sub\\b.txt"));
        CHECK_FALSE(PathFileExistsW(root + L"\\empty"));
        CHECK_FALSE(PathFileExistsW(root + L"\\nested"));
        CHECK(PathFileExistsW(locked));
        const auto pending = PendingDeletions();
        CHECK(IsPending(pending, locked));
        CHECK(IsPending(pending, root + L"\\sub"));
        CHECK(IsPending(pending, root));
        CHECK_FALSE(IsPending(pending, root + L"\\a.txt"));
        CHECK_FALSE(IsPending(pending, root + L"\\nested"));

        inUse.Reset();
        DeleteFileW(locked);
        RemoveDirectoryW(root + L"\\sub");
        RemoveDirectoryW(root);
    }
}

TEST_CASE("A link in the folder is never followed: what it points to stays, inside or as the folder itself")
{
    PendingDeletionsRestorer restoreList;
    const CString root = MachineFacts::CreateUniqueTempFolder();
    const CString outside = MachineFacts::CreateUniqueTempFolder();
    REQUIRE(PathIsDirectoryW(root));
    REQUIRE(PathIsDirectoryW(outside));
    WriteFile(outside + L"\\keep.txt");
    CreateDirectoryW(outside + L"\\deeper", nullptr);
    WriteFile(outside + L"\\deeper\\keep-too.txt");
    const auto before = PendingDeletions();

    SUBCASE("a link among the folder's entries")
    {
        WriteFile(root + L"\\setup.exe");
        REQUIRE(WineEnvironment::MakeHostLink((root + L"\\link").Str(), outside.Str()));
        DeleteFolderTree(root);
        CHECK_FALSE(PathFileExistsW(root + L"\\setup.exe"));
    }
    SUBCASE("the folder itself swapped for a link")
    {
        REQUIRE(RemoveDirectoryW(root));
        REQUIRE(WineEnvironment::MakeHostLink(root.Str(), outside.Str()));
        DeleteFolderTree(root);
    }
    CHECK(PathFileExistsW(outside + L"\\keep.txt"));
    CHECK(PathFileExistsW(outside + L"\\deeper\\keep-too.txt"));
    // Nothing outside the folder is left for the next restart either.
    for (const auto& entry : PendingDeletions()) {
        CHECK((std::find(before.begin(), before.end(), entry) != before.end() ||
               entry.find(outside.Str()) == std::wstring::npos));
    }
    // Wine cannot remove a link to a folder that is not empty; Windows removes the link itself.
    WineEnvironment::RemoveHostLink((root + L"\\link").Str());
    WineEnvironment::RemoveHostLink(root.Str());
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(root.Str()), ignored);
    std::filesystem::remove_all(std::filesystem::path(outside.Str()), ignored);
}
