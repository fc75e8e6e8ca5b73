#include "app/CTesseraApp.h"

// The one application object; wWinMain of the framework runs it.
CTesseraApp theApp;
