// Calls per second of each report function on typical field data, beside the floor: a call
// that only hands the data back as a new string, as every report function at least does.
// Calls and floor calls alternate in batches, so both see the same machine load; calls is the
// report function's rate, floor_calls the floor's, x_floor the call's time as a multiple of
// the floor's, all in this thread's CPU time.
#include <benchmark/benchmark.h>

#include <ctime>

#include "C.h"

namespace {

const fernlowe::C c;

// The machine is shared: CPU time leaves out the turns other programs get.
double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

[[gnu::noinline]] std::u16string HandBack(const std::u16string& yourdata) {
    return yourdata;
}

// makeData gives the call's data afresh when the call changes it, as the host passes its field.
template <typename MakeData, typename Call>
void Measure(benchmark::State& state, MakeData makeData, Call call) {
    constexpr int kBatch = 1000;
    double callSeconds = 0;
    double floorSeconds = 0;
    for (auto _ : state) {
        const double start = ThreadSeconds();
        for (int i = 0; i < kBatch; ++i) {
            auto yourdata = makeData();
            benchmark::DoNotOptimize(call(yourdata));
        }
        const double called = ThreadSeconds();
        for (int i = 0; i < kBatch; ++i) {
            auto yourdata = makeData();
            benchmark::DoNotOptimize(HandBack(yourdata));
        }
        callSeconds += called - start;
        floorSeconds += ThreadSeconds() - called;
    }
    const double calls = static_cast<double>(state.iterations()) * kBatch;
    state.counters["calls"] = calls / callSeconds;
    state.counters["floor_calls"] = calls / floorSeconds;
    state.counters["x_floor"] = callSeconds / floorSeconds;
}

void Code39(benchmark::State& state) {
    const std::u16string yourdata = u"ballot-4711 batch 12";
    Measure(
        state, [&]() -> const std::u16string& { return yourdata; },
        [](const std::u16string& data) { return c.ode39(data, 1, u"*"); });
}

void CodeITF(benchmark::State& state) {
    Measure(
        state, [] { return std::u16string(u"1234567890123"); },
        [](std::u16string& data) { return c.odeITF(data, 1); });
}

void Code128(benchmark::State& state) {
    const auto format = static_cast<std::int16_t>(state.range(0));
    const char16_t* const yourdata = format < 2 ? u"BATCH 012 IMAGE 00042" : u"00012345600000001";
    Measure(
        state, [&] { return std::u16string(yourdata); },
        [&](std::u16string& data) { return c.ode128(data, format); });
}

void CodeUPCA(benchmark::State& state) {
    const std::u16string yourdata = u"03600029145";
    Measure(
        state, [&]() -> const std::u16string& { return yourdata; },
        [](const std::u16string& data) { return c.odeUPCA(data); });
}

void CodeEAN13(benchmark::State& state) {
    const std::u16string yourdata = u"400638133393";
    Measure(
        state, [&]() -> const std::u16string& { return yourdata; },
        [](const std::u16string& data) { return c.odeEAN13(data); });
}

void CodeEAN8(benchmark::State& state) {
    const std::u16string yourdata = u"9638507";
    Measure(
        state, [&]() -> const std::u16string& { return yourdata; },
        [](const std::u16string& data) { return c.odeEAN8(data); });
}

}  // namespace

BENCHMARK(Code39);
BENCHMARK(CodeITF);
BENCHMARK(Code128)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Arg(4)->Arg(7);
BENCHMARK(CodeUPCA);
BENCHMARK(CodeEAN13);
BENCHMARK(CodeEAN8);

BENCHMARK_MAIN();
