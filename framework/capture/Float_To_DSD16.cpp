// DSD carriage word conversion; see Float_To_DSD16.h.
#include "capture/Float_To_DSD16.h"

void Float_To_DSD16(short* out, const float* in, size_t count)
{
    // Whole blocks of eight let the compiler use full vector registers; the
    // remainder takes the same per-sample rule, so results are identical.
    size_t i = 0;
    const size_t blocks = count & ~static_cast<size_t>(7);
    for (; i < blocks; i += 8) {
        for (size_t k = 0; k < 8; ++k) {
            out[i + k] = DsdWordFromFloat(in[i + k]);
        }
    }
    for (; i < count; ++i) {
        out[i] = DsdWordFromFloat(in[i]);
    }
}
