// Calls per second of each report function on typical field data.
#include <benchmark/benchmark.h>

#include "C.h"

namespace {

const fernlowe::C c;

void CountCalls(benchmark::State& state) {
    state.counters["calls"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void Code39(benchmark::State& state) {
    const std::u16string yourdata = u"ballot-4711 batch 12";
    for (auto _ : state) {
        benchmark::DoNotOptimize(c.ode39(yourdata, 1, u"*"));
    }
    CountCalls(state);
}

void CodeITF(benchmark::State& state) {
    for (auto _ : state) {
        std::u16string yourdata = u"1234567890123";
        benchmark::DoNotOptimize(c.odeITF(yourdata, 1));
    }
    CountCalls(state);
}

void Code128(benchmark::State& state) {
    const auto format = static_cast<std::int16_t>(state.range(0));
    for (auto _ : state) {
        std::u16string yourdata = format < 2 ? u"BATCH 012 IMAGE 00042" : u"00012345600000001";
        benchmark::DoNotOptimize(c.ode128(yourdata, format));
    }
    CountCalls(state);
}

void CodeUPCA(benchmark::State& state) {
    const std::u16string yourdata = u"03600029145";
    for (auto _ : state) {
        benchmark::DoNotOptimize(c.odeUPCA(yourdata));
    }
    CountCalls(state);
}

void CodeEAN13(benchmark::State& state) {
    const std::u16string yourdata = u"400638133393";
    for (auto _ : state) {
        benchmark::DoNotOptimize(c.odeEAN13(yourdata));
    }
    CountCalls(state);
}

void CodeEAN8(benchmark::State& state) {
    const std::u16string yourdata = u"9638507";
    for (auto _ : state) {
        benchmark::DoNotOptimize(c.odeEAN8(yourdata));
    }
    CountCalls(state);
}

}  // namespace

BENCHMARK(Code39);
BENCHMARK(CodeITF);
BENCHMARK(Code128)->Arg(1)->Arg(3);
BENCHMARK(CodeUPCA);
BENCHMARK(CodeEAN13);
BENCHMARK(CodeEAN8);

BENCHMARK_MAIN();
