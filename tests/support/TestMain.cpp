// Runs a doctest suite under Wine with GDI+ started, as the setup has it, with message boxes
// answered by a recorder so that no test can block on a modal box, and with short pauses.
#define DOCTEST_CONFIG_IMPLEMENT
#include <doctest/doctest.h>

#include "GdiPlusForTests.h"
#include "MessageBoxRecorder.h"
#include "framework/Waits.h"

#include <windows.h>
#include <commctrl.h>

int main(int argc, char** argv)
{
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES | ICC_LINK_CLASS};
    InitCommonControlsEx(&controls);
    LoadLibraryW(L"RICHED32.DLL");
    LoadLibraryW(L"RICHED20.DLL");

    TestGdiPlusSession().emplace();
    // The waits, such as the 5 s and 2 s pauses between attempts, take a hundredth here; a test about a
    // wait holds RealWaits.
    Waits::SetScale(1);

    int result = 0;
    {
        MessageBoxRecorder unexpectedBoxes;
        doctest::Context context(argc, argv);
        result = context.run();
    }
    TestGdiPlusSession().reset();
    return result;
}
