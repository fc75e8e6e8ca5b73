#pragma once

#include "WineEnvironment.h"

// The suite runs a second time under a Spanish user locale, which Wine takes from LC_ALL when it
// starts the suite and hands on to the setup. Each case belongs to one of the two runs.
inline bool InSpanishRun()
{
    return WineEnvironment::Variable("TESSERA_TEST_LOCALE") == "es_ES";
}
