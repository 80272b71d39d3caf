// Run-time choice between the vector and the portable loops.
#include "platform/CpuFeatures.h"

#include <cstdlib>
#include <cstring>

bool WideVectorsWanted(bool processorHasAvx2, const char* noAvx2Value)
{
    const bool portableAskedFor =
        noAvx2Value != nullptr && noAvx2Value[0] != '\0' && std::strcmp(noAvx2Value, "0") != 0;
    return processorHasAvx2 && !portableAskedFor;
}

bool UseWideVectors()
{
    static const bool wide =
        WideVectorsWanted(__builtin_cpu_supports("avx2"), std::getenv(kNoAvx2Variable));
    return wide;
}
