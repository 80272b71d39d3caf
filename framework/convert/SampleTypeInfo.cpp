// The table of sample types the device layer can deliver.
#include "convert/SampleTypeInfo.h"

#include "convert/DsdToPcm.h"
#include "convert/SampleConverters.h"

namespace {

const SampleTypeInfo kSampleTypes[] = {
    {kSampleTypeFloat32, &Float32_To_Int16LSB<false>, &Float32_To_Int16LSB<false>,
     &Float32_To_Int24LSB<false>, &Float32_To_Int32LSB<false>, &Float32_To_Float32LSB<false>,
     32, 0, false, true, false},
    {kSampleTypeDsd, &DSD_To_Int16LSB<true>, nullptr, nullptr, nullptr, nullptr,
     1, 0, true, false, true},
};

} // namespace

const SampleTypeInfo* GetSampleTypeInfo(int64_t type)
{
    for (const SampleTypeInfo& info : kSampleTypes) {
        if (info.type == type) {
            return &info;
        }
    }
    return nullptr;
}
