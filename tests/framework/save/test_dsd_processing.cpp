// Tests of the DSD gain re-modulation: the filter taps, the two filter forms
// against each other, the modulator bounds, block continuity and the level
// of re-modulated streams.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <random>
#include <vector>

#include "save/DSDStreamProcessing.h"
#include "save/DSDStreamProcessingThread.h"
#include "save/DsdFilterTaps.h"
#include "test_dsd_signal.h"

namespace {

constexpr double kDsd64 = 2822400.0;

std::vector<uint8_t> RandomBytes(size_t count, unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<uint8_t> bytes(count);
    for (auto& b : bytes)
        b = uint8_t(rng());
    return bytes;
}

double OnesFraction(const std::vector<uint8_t>& bytes, size_t first)
{
    size_t ones = 0;
    for (size_t i = first; i < bytes.size(); ++i)
        ones += std::popcount(unsigned(bytes[i]));
    return double(ones) / (8.0 * double(bytes.size() - first));
}

std::vector<uint8_t> Remodulate(std::vector<uint8_t> bytes, float gainDb, DsdFilterForm form,
                                int32_t bitOrder = 0)
{
    DSDStreamProcessing processing(form);
    processing.Init(int32_t(kDsd64), bitOrder);
    processing.SetGain(gainDb);
    EXPECT_EQ(processing.Process(bytes.data(), bytes.size()), 0);
    return bytes;
}

// One step of the register form, compiled portably and for 256-bit vectors
// (where the selection is a different instruction).
unsigned StepRegisters(_dsm<double>& state, double x)
{
    DsmRegisters registers(state);
    const unsigned bit = registers.Step(x);
    registers.Store(state);
    return bit;
}

__attribute__((target("avx2"))) unsigned StepRegistersWide(_dsm<double>& state, double x)
{
    DsmRegisters registers(state);
    const unsigned bit = registers.Step(x);
    registers.Store(state);
    return bit;
}

// The register step from state with input x gives dsm()'s output and states,
// bit for bit (signed zeros included).
void ExpectStepLikeDsm(const _dsm<double>& state, double x)
{
    _dsm<double> expected = state;
    const unsigned bit = dsm(expected, x) > 0 ? 1u : 0u;
    auto same = [](const _dsm<double>& a, const _dsm<double>& b) {
        return std::bit_cast<uint64_t>(a.s0) == std::bit_cast<uint64_t>(b.s0) &&
               std::bit_cast<uint64_t>(a.s1) == std::bit_cast<uint64_t>(b.s1) &&
               std::bit_cast<uint64_t>(a.s2) == std::bit_cast<uint64_t>(b.s2) &&
               std::bit_cast<uint64_t>(a.s3) == std::bit_cast<uint64_t>(b.s3) &&
               std::bit_cast<uint64_t>(a.s4) == std::bit_cast<uint64_t>(b.s4);
    };
    _dsm<double> basic = state;
    ASSERT_EQ(StepRegisters(basic, x), bit) << state.s0 << " " << state.s3 << " " << state.s4 << " " << x;
    ASSERT_TRUE(same(basic, expected));
    if (__builtin_cpu_supports("avx2")) {
        _dsm<double> wide = state;
        ASSERT_EQ(StepRegistersWide(wide, x), bit) << state.s0 << " " << state.s3 << " " << state.s4 << " " << x;
        ASSERT_TRUE(same(wide, expected));
    }
}

} // namespace

TEST(DsmRegisters, StepLikeDsmWhereQIsZeroOrNearly)
{
    // q exactly zero decides +1: silent states of either sign, and states
    // where 0.009496 s3 and 0.000607 s4 cancel exactly, with their
    // neighbours one step of s3 away on either side.
    const double inputs[] = {0.0, -1.5, 0.7};
    for (double x : inputs) {
        ExpectStepLikeDsm(_dsm<double>{}, x);
        ExpectStepLikeDsm(_dsm<double>{-0.0, -0.0, -0.0, -0.0, -0.0}, x);
        ExpectStepLikeDsm(_dsm<double>{0.0, 0.0, 0.0, 0.0, -0.0}, x);
    }
    int ties = 0;
    for (double s4 = 0.25; s4 < 600.0 && ties < 20; s4 += 0.37) {
        const double target = 0.000607 * s4;
        double s3 = target / 0.009496;
        for (int tries = 0; tries < 8 && 0.009496 * s3 != target; ++tries)
            s3 = std::nextafter(s3, 0.009496 * s3 < target ? 100.0 : 0.0);
        if (0.009496 * s3 != target)
            continue;
        ++ties;
        for (double sign : {1.0, -1.0}) {
            for (double t3 : {std::nextafter(s3, 0.0), s3, std::nextafter(s3, 100.0)}) {
                for (double x : inputs)
                    ExpectStepLikeDsm(_dsm<double>{0.0, 0.0, 0.0, sign * t3, -sign * s4}, x);
            }
        }
    }
    EXPECT_GE(ties, 5);
}

TEST(DsdFilterTaps, MatchTheClosedFormAndItsCheckValues)
{
    const auto& c = RemodulationFilterTaps();
    EXPECT_NEAR(c[0], 0.000324196, 5e-10);
    EXPECT_NEAR(c[199], 0.0327721430345, 1e-12);
    double sum = 0.0;
    for (double tap : c)
        sum += tap;
    EXPECT_NEAR(sum, 0.99944, 5e-6);
    for (int m = 0; m < kRemodulationTaps; ++m)
        EXPECT_EQ(c[m], c[kRemodulationTaps - 1 - m]) << m;
    for (int m : {47, 108, 169, 230, 291, 352})
        EXPECT_EQ(c[m], 0.0) << m;
    EXPECT_NEAR(RemodulationBesselI0(3.0), 4.880792585865024, 1e-12);
}

TEST(DsdLookupFilter, AgreesWithTheDirectFormFromASilentStart)
{
    // Across the start (zero history), chunk boundaries and a long stretch.
    const auto input = RandomBytes(3000, 7);
    fir_filter direct;
    direct.init();
    DsdLookupFilter lookup;
    std::vector<float> fast(8 * input.size());
    lookup.Run(input.data(), 700, fast.data());
    lookup.Run(input.data() + 700, input.size() - 700, fast.data() + 8 * 700);

    double worst = 0.0;
    for (size_t n = 0; n < 8 * input.size(); ++n) {
        const double x = (input[n / 8] >> (7 - n % 8)) & 1 ? 1.0 : -1.0;
        worst = std::max(worst, std::abs(direct.sample(x) - double(fast[n])));
    }
    EXPECT_LT(worst, 2e-6);
}

TEST(DSDStreamProcessing, LookupFormIsTheFilterOutputThroughTheModulatorStepByStep)
{
    // The one-pass form (branch-free modulator, table sums of the next byte
    // spread over the steps) must give exactly the bits of filtering first
    // and stepping dsm() over every output, from the silent start on, for
    // quiet and loud gains (the loud ones drive the states into their bounds).
    auto input = RandomBytes(20000, 9);
    const auto tone = MakeDsdTone(8 * 20000, kDsd64, 3000.0, 0.9);
    input.insert(input.end(), tone.begin(), tone.end());
    for (float gainDb : {-12.0f, 3.0f, 14.0f}) {
        std::vector<float> filtered(8 * input.size());
        DsdLookupFilter filter;
        filter.Run(input.data(), input.size(), filtered.data());
        _dsm<double> state;
        const double gain = double(std::pow(10.0f, gainDb / 20.0f));
        std::vector<uint8_t> expected(input.size());
        for (size_t i = 0; i < input.size(); ++i) {
            unsigned bits = 0;
            for (int p = 0; p < 8; ++p)
                bits = (bits << 1) | unsigned(dsm(state, gain * double(filtered[8 * i + p])) > 0);
            expected[i] = uint8_t(bits);
        }

        DSDStreamProcessing processing;
        processing.Init(int32_t(kDsd64), 0);
        processing.SetGain(gainDb);
        auto out = input;
        // Uneven calls: inside the start, across chunk boundaries, one byte.
        size_t at = 0;
        for (size_t n : {size_t(7), size_t(60), size_t(1), size_t(1000), size_t(513)}) {
            processing.Process(out.data() + at, n);
            at += n;
        }
        processing.Process(out.data() + at, out.size() - at);
        ASSERT_EQ(out, expected) << gainDb;
        const _dsm<double>& end = processing.Modulator();
        EXPECT_EQ(end.s0, state.s0);
        EXPECT_EQ(end.s4, state.s4);
    }
}

TEST(DSDStreamProcessing, ZeroDecibelsLeavesTheBytesAndUninitialisedFails)
{
    DSDStreamProcessing uninitialised;
    uint8_t byte = 0x5A;
    EXPECT_EQ(uninitialised.SetGain(3.0f), 3);
    EXPECT_EQ(uninitialised.Process(&byte, 1), 3);
    EXPECT_EQ(byte, 0x5A);

    const auto input = RandomBytes(4096, 1);
    EXPECT_EQ(Remodulate(input, 0.0f, DsdFilterForm::Lookup, 1), input);
    EXPECT_EQ(Remodulate(input, 0.0f, DsdFilterForm::Direct, 0), input);
}

TEST(DSDStreamProcessing, SplitCallsEqualOneCall)
{
    const auto input = MakeDsdTone(200 * 8, kDsd64, 1000.0, 0.5);
    for (auto form : {DsdFilterForm::Lookup, DsdFilterForm::Direct}) {
        for (int32_t bitOrder : {0, 1}) {
            const auto whole = Remodulate(input, 3.0f, form, bitOrder);
            DSDStreamProcessing split(form);
            split.Init(int32_t(kDsd64), bitOrder);
            split.SetGain(3.0f);
            auto parts = input;
            split.Process(parts.data(), 100);
            split.Process(parts.data() + 100, 100);
            EXPECT_EQ(parts, whole);
        }
    }
}

TEST(DSDStreamProcessing, ModulatorStaysWithinItsBounds)
{
    // Direct steps with inputs far beyond full scale, then a loud stream.
    _dsm<double> state;
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> wild(-50.0, 50.0);
    auto within = [](const _dsm<double>& s) {
        return std::abs(s.s0) <= 4.0 && std::abs(s.s1) <= 9.0 && std::abs(s.s2) <= 25.0 &&
               std::abs(s.s3) <= 92.0 && std::abs(s.s4) <= 700.0;
    };
    bool reachedBound = false;
    for (int n = 0; n < 200000; ++n) {
        const double x = n < 100000 ? wild(rng) : 20.0;
        const int32_t v = dsm(state, x);
        ASSERT_TRUE(v == 1 || v == -1);
        ASSERT_TRUE(within(state)) << n;
        reachedBound = reachedBound || std::abs(state.s4) == 700.0;
    }
    EXPECT_TRUE(reachedBound);

    DSDStreamProcessing processing;
    processing.Init(int32_t(kDsd64), 1);
    processing.SetGain(6.0f);
    std::vector<uint8_t> block(4096, 0xFF);
    for (int i = 0; i < 16; ++i) {
        processing.Process(block.data(), 256);
        ASSERT_TRUE(within(processing.Modulator()));
        std::fill(block.begin(), block.end(), 0xFF);
    }
}

TEST(DSDStreamProcessing, HalfGainOnAllOnesGivesThreeQuartersOnes)
{
    // Mean (1 + 0.5 x 0.99944) / 2 once the filter has filled.
    const double expected = (1.0 + 0.5 * 0.99944) / 2.0;
    for (auto form : {DsdFilterForm::Lookup, DsdFilterForm::Direct}) {
        const auto out = Remodulate(std::vector<uint8_t>(32768, 0xFF), -6.0206f, form);
        EXPECT_NEAR(OnesFraction(out, 100), expected, 0.001);
    }
}

TEST(DSDStreamProcessing, LookupFormKeepsTheLevelOfTheDirectForm)
{
    // A 1 kHz tone at -6 dB full scale, +6 dB gain: both forms give the
    // tone 6 dB louder, and agree with each other closely.
    const uint64_t samples = 8 * 65536;
    const auto input = MakeDsdTone(samples, kDsd64, 1000.0, 0.25);
    const double before = DsdToneAmplitude(input, 4096, samples - 4096, kDsd64, 1000.0);
    const auto fast = Remodulate(input, 6.0f, DsdFilterForm::Lookup);
    const auto reference = Remodulate(input, 6.0f, DsdFilterForm::Direct);
    const double fastLevel = DsdToneAmplitude(fast, 4096, samples - 4096, kDsd64, 1000.0);
    const double referenceLevel = DsdToneAmplitude(reference, 4096, samples - 4096, kDsd64, 1000.0);
    EXPECT_NEAR(20.0 * std::log10(fastLevel / before), 6.0, 0.1);
    EXPECT_NEAR(20.0 * std::log10(fastLevel / referenceLevel), 0.0, 0.05);
}

TEST(DSDStreamProcessingThread, ProcessesLikeTheProcessorAndIgnoresMisuse)
{
    const auto input = MakeDsdTone(8 * 8192, kDsd64, 1000.0, 0.5);
    const auto expected = Remodulate(input, -3.0f, DsdFilterForm::Lookup, 1);

    DSDStreamProcessingThread thread;
    auto block = input;
    thread.RunProcess(block.data(), 4096); // not started: ignored
    thread.WaitProcess();
    EXPECT_EQ(block, input);

    ASSERT_EQ(thread.Start(int32_t(kDsd64), 1, -3.0f), 0);
    EXPECT_EQ(thread.Start(int32_t(kDsd64), 1, -3.0f), TkErrorFailed);
    thread.RunProcess(block.data(), 4096);
    thread.RunProcess(block.data() + 4096, 4096); // outstanding block: ignored
    thread.WaitProcess();
    thread.RunProcess(block.data() + 4096, 4096);
    thread.WaitProcess();
    thread.Stop();
    EXPECT_EQ(block, expected);

    // A restarted thread begins again from silent states.
    block = input;
    ASSERT_EQ(thread.Start(int32_t(kDsd64), 1, -3.0f), 0);
    thread.RunProcess(block.data(), uint32_t(block.size()));
    thread.WaitProcess();
    EXPECT_EQ(block, expected);
}
