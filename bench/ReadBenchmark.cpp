// ReadBallotMarks per page, beside libtiff's plain decode of the same page: the floor no
// reader of these files can go under.
#include <benchmark/benchmark.h>
#include <tiffio.h>

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
    {"header", {"header", "--type", "-6", "--batch", "7"}},
    {"header_skewed_speckled",
     {"header", "--type", "-4", "--batch", "9", "--skew", "3", "--noise", "8"}},
    {"blank_speckled", {"blank", "--noise", "3"}},
};

void ReadMarks(benchmark::State& state, const std::string& file) {
    BallotMarks marks{};
    for (auto _ : state) {
        if (ReadBallotMarks(file.c_str(), &marks) != 0 && marks.CardType != 0) {
            state.SkipWithError("unexpected read");
        }
        benchmark::DoNotOptimize(marks);
    }
}

void DecodeOnly(benchmark::State& state, const std::string& file) {
    for (auto _ : state) {
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
        benchmark::RegisterBenchmark((std::string("LibtiffDecode/") + sheet.name).c_str(),
                                     DecodeOnly, file)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
