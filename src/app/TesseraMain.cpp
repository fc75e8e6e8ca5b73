#include "app/CTesseraApp.h"

#include <cstdlib>

// The one application object; wWinMain of the framework runs it.
CTesseraApp theApp;

#if defined(__GLIBCXX__)
// An exception that reaches std::terminate ends the process. The C++ library's own handler would
// first print the exception's type, for which it carries a demangler of some 46 KB; every thread
// edge and window procedure of the setup catches what it can answer for, so this one only ends it.
namespace __gnu_cxx {
void __verbose_terminate_handler()
{
    std::abort();
}
}  // namespace __gnu_cxx
#endif
