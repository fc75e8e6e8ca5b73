#include "framework/PrivateFolder.h"

#include "framework/UniqueHandle.h"

#include <windows.h>
#include <ntsecapi.h>
#include <sddl.h>

#include <array>
#include <memory>
#include <vector>

namespace {

constexpr int kNameLength = 10;
constexpr int kAttempts = 10;

// The signed-in user of this process, as SDDL text ("S-1-5-21-…"); empty when it cannot be read.
std::wstring UserSidText()
{
    UniqueKernelHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive())) {
        return {};
    }
    DWORD size = 0;
    GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (size == 0 || !GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size)) {
        return {};
    }
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
        return {};
    }
    const UniqueLocalMemory owner(text);
    return text;
}

// Protected (P): the parent's entries are not inherited. Full access (FA) for Administrators (BA) and
// SYSTEM (SY); read and execute (0x1200a9) for the user; all three inherited by what is created inside.
UniqueLocalMemory PrivateSecurityDescriptor()
{
    const std::wstring user = UserSidText();
    if (user.empty()) {
        return UniqueLocalMemory();
    }
    const std::wstring sddl = L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;" + user + L")";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr)) {
        return UniqueLocalMemory();
    }
    return UniqueLocalMemory(descriptor);
}

}  // namespace

namespace PrivateFolder {

CString RandomName()
{
    static constexpr wchar_t kAlphabet[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
    // The system's generator directly: a cryptographic provider would load a library of its own on
    // the way to the first page.
    std::array<BYTE, kNameLength> bytes{};
    if (!RtlGenRandom(bytes.data(), static_cast<ULONG>(bytes.size()))) {
        return CString();
    }
    CString name;
    for (const BYTE byte : bytes) {
        // 252 is the largest multiple of 36 below 256; the small bias left is of no use to anyone.
        name += kAlphabet[byte % 36];
    }
    return name;
}

CString Create(const CString& parent, const wchar_t* prefix, const std::function<CString()>& nameSource)
{
    const UniqueLocalMemory descriptor = PrivateSecurityDescriptor();
    if (parent.IsEmpty() || !descriptor) {
        return CString();
    }
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor.Get(), FALSE};
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const CString name = nameSource();
        if (name.IsEmpty()) {
            return CString();
        }
        const CString folder = Join(parent, prefix + name);
        // CreateDirectoryW fails on any existing name, a link or a file included: nothing is adopted.
        if (CreateDirectoryW(folder, &attributes)) {
            return folder;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            return CString();
        }
    }
    return CString();
}

CString Join(const CString& parent, const CString& name)
{
    if (!parent.IsEmpty() && (parent.Right(1) == L"\\" || parent.Right(1) == L"/")) {
        return parent + name;
    }
    return parent + L"\\" + name;
}

}  // namespace PrivateFolder
