#include <doctest/doctest.h>

#include "framework/PrivateFolder.h"
#include "framework/TextConversion.h"
#include "framework/UniqueHandle.h"

#include <aclapi.h>
#include <sddl.h>
#include <shlwapi.h>

#include <cwctype>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

CString TempPath()
{
    wchar_t path[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, path);
    return path;
}

// The folder's access list in SDDL ("D:(A;OICI;FA;;;SY)...").
std::string AccessList(const CString& folder)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(folder, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr, nullptr,
                              &descriptor) != ERROR_SUCCESS) {
        return {};
    }
    const UniqueLocalMemory owner(descriptor);
    wchar_t* text = nullptr;
    if (!ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                              &text, nullptr)) {
        return {};
    }
    const UniqueLocalMemory textOwner(text);
    return ToUtf8(std::wstring_view(text));
}

// Removes the folders a test made, with what is in them.
struct Cleanup {
    std::vector<CString> folders;
    ~Cleanup()
    {
        for (const CString& folder : folders) {
            std::error_code ignored;
            std::filesystem::remove_all(folder.Str(), ignored);
        }
    }
};

}  // namespace

TEST_CASE("A private folder is always a new one, with a random name and an access list of its own")
{
    Cleanup cleanup;
    const CString parent = TempPath();

    SUBCASE("the prefix and ten random lower-case letters or digits, different every time")
    {
        const CString first = PrivateFolder::Create(parent, L"ISV");
        const CString second = PrivateFolder::Create(parent, L"ISV");
        cleanup.folders = {first, second};
        REQUIRE(PathIsDirectoryW(first));
        REQUIRE(PathIsDirectoryW(second));
        CHECK(first != second);
        const CString name = first.Mid(first.ReverseFind(L'\\') + 1);
        CHECK(first.Left(first.ReverseFind(L'\\') + 1) == PrivateFolder::Join(parent, L""));
        REQUIRE(name.GetLength() == 13);
        CHECK(name.Left(3) == L"ISV");
        const CString random = name.Mid(3);
        for (const wchar_t ch : random.Str()) {
            CHECK(((ch >= L'a' && ch <= L'z') || (ch >= L'0' && ch <= L'9')));
        }
    }
    SUBCASE("a name that exists is never adopted: its content stays untouched and another name is drawn")
    {
        const CString taken = PrivateFolder::Join(parent, L"ISVtaken-by-other");
        cleanup.folders = {taken};
        REQUIRE(CreateDirectoryW(taken, nullptr));
        std::ofstream(std::filesystem::path((taken + L"\\planted.exe").Str())) << "MZ";
        std::vector<CString> names = {L"taken-by-other", L"fresh-one"};
        std::size_t next = 0;
        const CString made = PrivateFolder::Create(parent, L"ISV", [&] { return names[next++]; });
        cleanup.folders.push_back(made);
        CHECK(made == PrivateFolder::Join(parent, L"ISVfresh-one"));
        CHECK(PathIsDirectoryEmptyW(made));
        CHECK(PathFileExistsW(taken + L"\\planted.exe"));

        SUBCASE("a file of that name counts as taken too, and ten taken names give up")
        {
            std::ofstream(std::filesystem::path(PrivateFolder::Join(parent, L"ISVa-file").Str())) << "x";
            cleanup.folders.push_back(PrivateFolder::Join(parent, L"ISVa-file"));
            int asked = 0;
            CHECK(PrivateFolder::Create(parent, L"ISV", [&] {
                      ++asked;
                      return CString(asked % 2 ? L"a-file" : L"taken-by-other");
                  }).IsEmpty());
            CHECK(asked == 10);
        }
    }
    SUBCASE("its access list is its own: nothing is open to everyone, as a folder made plainly is under Wine")
    {
        const CString made = PrivateFolder::Create(parent, L"ISV");
        const CString plain = PrivateFolder::Join(parent, L"ISVplain-for-comparison");
        cleanup.folders = {made, plain};
        REQUIRE(CreateDirectoryW(plain, nullptr));
        const std::string ours = AccessList(made);
        INFO("private: " << ours << ", plain: " << AccessList(plain));
        REQUIRE_FALSE(ours.empty());
        CHECK(ours.find(";;;WD)") == std::string::npos);
        CHECK(ours.find(";;;BU)") == std::string::npos);
        CHECK(ours.find("(A;OICI;FA;;;SY)") != std::string::npos);
    }
}
