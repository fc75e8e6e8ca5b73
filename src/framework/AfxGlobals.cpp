#include "framework/AfxGlobals.h"

#include "framework/SystemLibraries.h"

#include <atomic>
#include <string>

namespace {

std::atomic<HINSTANCE> g_resourceModule{nullptr};

}  // namespace

HINSTANCE AfxGetInstanceHandle()
{
    return GetModuleHandleW(nullptr);
}

HINSTANCE AfxGetResourceHandle()
{
    const HINSTANCE module = g_resourceModule;
    return module ? module : GetModuleHandleW(nullptr);
}

void AfxSetResourceHandle(HINSTANCE module)
{
    g_resourceModule = module;
}

CString AfxGetAppName()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    CString name(path);
    name = name.Mid(name.ReverseFind(L'\\') + 1);
    const int dot = name.ReverseFind(L'.');
    return dot > 0 ? name.Left(dot) : name;
}

BOOL AfxInitRichEdit()
{
    // Stays loaded for the life of the process, as the controls may be created at any time.
    static const HMODULE richEdit = SystemLibraries::Load(L"riched32.dll");
    return richEdit != nullptr;
}

BOOL AfxInitRichEdit2()
{
    static const HMODULE richEdit = SystemLibraries::Load(L"riched20.dll");
    return richEdit != nullptr;
}

CString LoadResourceString(UINT id)
{
    const wchar_t* text = nullptr;
    const int length = LoadStringW(AfxGetResourceHandle(), id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? CString(text, length) : CString();
}
