// lhdll-make-sheet: makes card and ballot images for demonstrations and tests.
#include <iostream>
#include <string>
#include <vector>

#include "LindhollowVersion.h"
#include "SheetRequest.h"
#include "TiffWriter.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << lhdll::kMakeSheetUsage;
        return 0;
    }
    if (args.size() == 1 && args[0] == "--version") {
        std::cout << "lhdll-make-sheet " << LINDHOLLOW_VERSION << "\n";
        return 0;
    }
    const auto parsed = lhdll::ParseSheetRequest(args);
    if (const auto* error = std::get_if<std::string>(&parsed)) {
        std::cerr << "lhdll-make-sheet: " << *error << "\n" << lhdll::kMakeSheetUsage;
        return 2;
    }
    const auto& request = std::get<lhdll::SheetRequest>(parsed);
    if (!lhdll::WriteTiff(request.output, {lhdll::MakeSheet(request)})) {
        std::cerr << "lhdll-make-sheet: cannot write " << request.output << "\n";
        return 1;
    }
    return 0;
}
