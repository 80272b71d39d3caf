// Which of the framework's compiled loop variants runs on this processor.
#pragma once

// The environment variable that makes the framework use its portable loops
// even where the processor has 256-bit vectors (for diagnosis and tests).
constexpr const char* kNoAvx2Variable = "CARTOVA_NO_AVX2";

// True when the 256-bit vector (AVX2) loops are to be used: the processor has
// AVX2 and noAvx2Value (the variable's value, nullptr when unset) is unset,
// empty or "0".
bool WideVectorsWanted(bool processorHasAvx2, const char* noAvx2Value);

// WideVectorsWanted for this processor and the process environment, decided
// at the first call and kept for the life of the process, so that a stream
// never changes loops half-way.
bool UseWideVectors();
