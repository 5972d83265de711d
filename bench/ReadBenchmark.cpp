// ReadBallotMarks per page, beside libtiff's plain decode of the same page: the floor no
// reader of these files can go under. Each iteration decodes and reads the page in turn, so
// both figures see the same machine load; the time columns are the read's, floor_ms is the
// decode's and x_floor the read's time as a multiple of it, both in this thread's CPU time.
#include <benchmark/benchmark.h>
#include <tiffio.h>

#include <ctime>
#include <string>
#include <vector>

#include "lhdll/LHDLL.h"
#include "support/SheetFiles.h"
#include "support/TempFolder.h"

namespace {

struct Sheet {
    const char* name;
    std::vector<std::string> args;
};

const Sheet kSheets[] = {
    {"ballot", {"ballot", "--marks", "1,5,9,40,96"}},
    {"ballot_skewed_speckled", {"ballot", "--marks", "2,50", "--skew", "-3", "--noise", "7"}},
    {"ballot_printed", {"ballot", "--marks", "2,30,77", "--printed", "4"}},
    {"ballot_printed_skewed_speckled",
     {"ballot", "--marks", "2,30,77", "--printed", "5", "--skew", "2", "--noise", "9"}},
    {"header", {"header", "--type", "-6", "--batch", "7"}},
    {"header_skewed_speckled",
     {"header", "--type", "-4", "--batch", "9", "--skew", "3", "--noise", "8"}},
    {"blank_speckled", {"blank", "--noise", "3"}},
};

// The machine is shared: CPU time leaves out the turns other programs get.
double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void Decode(const std::string& file) {
    TIFF* tiff = TIFFOpen(file.c_str(), "r");
    std::vector<std::uint8_t> row(TIFFScanlineSize(tiff));
    std::uint32_t height = 0;
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    for (std::uint32_t y = 0; y < height; ++y) {
        TIFFReadScanline(tiff, row.data(), y, 0);
    }
    benchmark::DoNotOptimize(row.data());
    TIFFClose(tiff);
}

void ReadMarks(benchmark::State& state, const std::string& file) {
    BallotMarks marks{};
    double floor = 0;
    double read = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const double start = ThreadSeconds();
        Decode(file);
        const double decoded = ThreadSeconds();
        state.ResumeTiming();
        if (ReadBallotMarks(file.c_str(), &marks) != 0 && marks.CardType != 0) {
            state.SkipWithError("unexpected read");
        }
        benchmark::DoNotOptimize(marks);
        read += ThreadSeconds() - decoded;
        floor += decoded - start;
    }
    state.counters["floor_ms"] = floor * 1e3 / static_cast<double>(state.iterations());
    state.counters["x_floor"] = read / floor;
}

}  // namespace

int main(int argc, char** argv) {
    TempFolder folder;
    for (const auto& sheet : kSheets) {
        const auto file = folder.File(std::string(sheet.name) + ".tif");
        sheet_files::Make(sheet.args, file);
        benchmark::RegisterBenchmark((std::string("ReadBallotMarks/") + sheet.name).c_str(),
                                     ReadMarks, file)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
