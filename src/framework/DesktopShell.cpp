#include "framework/DesktopShell.h"

#include "framework/ComPtr.h"
#include "framework/ScopedComInitializer.h"
#include "framework/SetupLog.h"
#include "framework/UniqueHandle.h"

#include <windows.h>
#include <exdisp.h>
#include <oleauto.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace {

using UniqueBstr = UniqueHandle<ZeroHandleTraits<BSTR, &SysFreeString>>;

// A VARIANT that owns nothing: the strings it points at belong to the caller.
VARIANT Borrowed(BSTR text)
{
    VARIANT value;
    VariantInit(&value);
    if (text) {
        value.vt = VT_BSTR;
        value.bstrVal = text;
    }
    return value;
}

// The shell dispatch object of the desktop's folder view: calls on it run in the desktop's process,
// as the signed-in user. Empty when there is no desktop shell to ask.
ComPtr<IShellDispatch2> DesktopShellDispatch()
{
    ComPtr<IShellWindows> windows;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                reinterpret_cast<void**>(windows.Receive()))) ||
        !windows) {
        return {};
    }
    VARIANT desktop;
    VariantInit(&desktop);
    desktop.vt = VT_I4;
    desktop.lVal = CSIDL_DESKTOP;
    VARIANT empty;
    VariantInit(&empty);
    long window = 0;
    ComPtr<IDispatch> found;
    if (windows->FindWindowSW(&desktop, &empty, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, found.Receive()) != S_OK ||
        !found) {
        return {};
    }
    ComPtr<IServiceProvider> services;
    ComPtr<IShellBrowser> browser;
    ComPtr<IShellView> view;
    ComPtr<IDispatch> background;
    ComPtr<IShellFolderViewDual> folderView;
    ComPtr<IDispatch> application;
    ComPtr<IShellDispatch2> shell;
    if (FAILED(found->QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(services.Receive()))) ||
        FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser,
                                      reinterpret_cast<void**>(browser.Receive()))) ||
        FAILED(browser->QueryActiveShellView(view.Receive())) || !view ||
        FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, reinterpret_cast<void**>(background.Receive()))) ||
        FAILED(background->QueryInterface(IID_IShellFolderViewDual, reinterpret_cast<void**>(folderView.Receive()))) ||
        FAILED(folderView->get_Application(application.Receive())) || !application ||
        FAILED(application->QueryInterface(IID_IShellDispatch2, reinterpret_cast<void**>(shell.Receive())))) {
        return {};
    }
    return shell;
}

// What is opened starts in its own folder, never in the setup's current one (often Downloads). A web
// address has none.
CString FolderOf(const CString& file)
{
    if (file.Find(L"://") >= 0) {
        return CString();
    }
    const int separator = file.ReverseFind(L'\\');
    return separator > 0 ? file.Left(separator) : CString();
}

bool OpenThroughDesktop(const CString& file, const CString& parameters)
{
    const ScopedComInitializer com;
    const ComPtr<IShellDispatch2> shell = DesktopShellDispatch();
    if (!shell) {
        return false;
    }
    const UniqueBstr fileText(SysAllocString(file));
    const UniqueBstr parametersText(SysAllocString(parameters));
    const UniqueBstr verb(SysAllocString(L"open"));
    const CString folder = FolderOf(file);
    const UniqueBstr folderText(folder.IsEmpty() ? nullptr : SysAllocString(folder));
    if (!fileText || !parametersText || !verb) {
        return false;
    }
    VARIANT show;
    VariantInit(&show);
    show.vt = VT_I4;
    show.lVal = SW_SHOWDEFAULT;
    return SUCCEEDED(shell->ShellExecute(fileText.Get(), Borrowed(parametersText.Get()), Borrowed(folderText.Get()),
                                         Borrowed(verb.Get()), show));
}

}  // namespace

namespace DesktopShell {

StartedBy Open(const CString& file, const CString& parameters)
{
    if (OpenThroughDesktop(file, parameters)) {
        LogEntry() << "Opened " << file << " with \"" << parameters << "\" through the desktop shell, as the user";
        return StartedBy::DesktopUser;
    }
    // ShellExecuteW reports success with a value above 32; the value is kept in the log either way.
    const CString folder = FolderOf(file);
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", file, parameters.IsEmpty() ? nullptr : parameters.operator const wchar_t*(),
                      folder.IsEmpty() ? nullptr : folder.operator const wchar_t*(), SW_SHOWDEFAULT));
    LogEntry() << "No desktop shell to start " << file << " as the user; the setup opened it with \"" << parameters
               << "\": " << (result > 32 ? "done" : "failed") << " (" << result << ")";
    return result > 32 ? StartedBy::Setup : StartedBy::Nobody;
}

}  // namespace DesktopShell
