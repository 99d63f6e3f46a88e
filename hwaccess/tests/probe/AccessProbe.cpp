// A stand-in for a library that compiles the access layer in, built twice (probeA, probeB): it
// exports only these functions; its copy of the layer stays private.
#include "CWinIOUtility.h"

#define PROBE_EXPORT extern "C" __attribute__((visibility("default")))
#define PROBE_CAT2(a, b) a##b
#define PROBE_CAT(a, b) PROBE_CAT2(a, b)
#define PROBE_FN(name) PROBE_CAT(PROBE_PREFIX, name)

PROBE_EXPORT bool PROBE_FN(_acquire)() { return CWinIOUtility::AcquirePortAccess(); }
PROBE_EXPORT void PROBE_FN(_release)() { CWinIOUtility::ReleasePortAccess(); }
PROBE_EXPORT int PROBE_FN(_useCount)() { return CWinIOUtility::UseCount(); }
