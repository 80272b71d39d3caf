// The 96-tap Kaiser-windowed sinc low-pass shared by both stages of the
// DSD-to-PCM decimator (cut-off 0.05 of the stage's input rate, beta 16).
#pragma once

#include <array>

#include "convert/DsdToPcmWorkBuffer.h"

// The taps computed in double precision and stored as 32-bit floats.
std::array<float, kDsdFilterTaps> ComputeDsdFilterTaps();

// The taps twice in a row (192 values, 16-byte aligned), computed once, so
// that a filter over a circular history needs no modulo.
const float* DsdFilterTapsTwice();
