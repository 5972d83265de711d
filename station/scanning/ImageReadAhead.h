#pragma once

#include <QByteArray>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Reads the images of a batch with the ballot-reading library on threads of their own, ahead of
// the storage pass that takes the readings in the images' order. A library that cannot read on
// several threads at once is called from one reader thread, one image after the other.
//
// Each file's bytes are read once, sealed, and kept for the centre: given the images' seals,
// those bytes are checked against the image's seal before the library reads the file; a file that
// does not match (or is missing) is not read. The readers stay a bounded number of images ahead of
// the pass, so a batch's bytes are never all held at once.
class ImageReadAhead {
  public:
    struct Reading {
        std::int16_t result = 0;
        std::int16_t cardType = 0;
        bool sealBroken = false;
        std::string found;  // the file's seal when it is broken; empty for a missing file
        QByteArray bytes;   // the file's bytes as sealed; empty when the seal is broken
        std::string seal;   // the seal of those bytes
    };

    // seals: one per file, or none to read without checking.
    ImageReadAhead(std::vector<std::string> files, std::vector<std::string> seals,
                   unsigned readers);
    // Stops the readers once their reads under way are done; later images stay unread.
    ~ImageReadAhead();
    ImageReadAhead(const ImageReadAhead&) = delete;
    ImageReadAhead& operator=(const ImageReadAhead&) = delete;

    // Waits for the reading of image i, and raises what its read raised. Images are taken in
    // their order, each once.
    Reading Take(std::size_t i);

  private:
    void ReadImages();

    const std::vector<std::string> files_;
    const std::vector<std::string> seals_;
    std::vector<Reading> readings_;
    std::vector<std::exception_ptr> failures_;
    std::vector<bool> done_;
    std::size_t next_ = 0;   // the first image no reader has taken
    std::size_t taken_ = 0;  // the images the pass has taken
    bool stopping_ = false;
    std::mutex mutex_;
    std::condition_variable imageRead_;
    std::condition_variable imageTaken_;
    std::vector<std::jthread> readers_;
};
