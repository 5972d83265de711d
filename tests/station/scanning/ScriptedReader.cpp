// A ballot-reading library for tests that reads no pictures: each "image" file holds the text
// "<result> <card type> [<batch number>]", which ReadBallotMarks reports. It can report what
// the real library never does (card types -3 and -2, results 20, 30, 40, 220, batch numbers
// outside 1 to 999). When LINDHOLLOW_READER_LOG names a file, every call is appended to it as a
// line: "ClearImageBuffer" or "ReadBallotMarks <path>".

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "reader/ORLAProtocol7TypeDefs.h"

namespace {

void Log(const std::string& line) {
    if (const char* log = std::getenv("LINDHOLLOW_READER_LOG"); log != nullptr) {
        std::ofstream(log, std::ios::app) << line << '\n';
    }
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) void ClearImageBuffer() {
    Log("ClearImageBuffer");
}

__attribute__((visibility("default"))) std::int16_t ReadBallotMarks(
    const char* path, ORLAProtocol7TypeDefs::BallotMarks* marks) {
    Log(std::string("ReadBallotMarks ") + path);
    std::memset(marks, 0, sizeof *marks);
    std::ifstream image(path);
    int result = 0;
    int cardType = 0;
    if (!(image >> result >> cardType)) {
        return 101;
    }
    int batch = 0;
    image >> batch;
    marks->CardType = static_cast<std::int16_t>(cardType);
    marks->BatchNumber = static_cast<std::int16_t>(batch);
    return static_cast<std::int16_t>(result);
}
}
