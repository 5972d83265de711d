#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "reader/ORLAProtocol7TypeDefs.h"

// The ballot-reading library's entry points. Each is bound by name on its first call, from
// libLHDLL.so as the program's run path finds it (LINDHOLLOW_LHDLL, when set, names another
// file).
namespace LHDLLInterface {

// Error numbers of a binding that fails.
constexpr int LibraryNotFound = 53;
constexpr int EntryPointNotFound = 453;

// Raised when the library or an entry point cannot be bound; the description names which.
class LibraryError : public std::runtime_error {
  public:
    LibraryError(int number, const std::string& description);

    int number() const { return number_; }
    std::string description() const { return what(); }

  private:
    int number_;
};

// The library the entry points are bound from: a file name or a path.
std::string LibraryPath();

// The file the library was loaded from, loading it if no entry point has been bound yet.
// Raises LibraryError when it cannot be loaded.
std::string LibraryFile();

void ClearImageBuffer();

// Whether ReadBallotMarks may run on several threads at once; false for a library that does not
// say so. Raises LibraryError when the library cannot be loaded.
bool ReadsConcurrently();

// 0: the image was read and marks.CardType is valid. 10, 20, 30, 40: the image is to be
// discarded. Anything else: the image is for repair.
std::int16_t ReadBallotMarks(const std::string& imageFile,
                             ORLAProtocol7TypeDefs::BallotMarks& marks);

}  // namespace LHDLLInterface
