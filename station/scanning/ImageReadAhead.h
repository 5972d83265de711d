#pragma once

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
// Given the images' seals, each file is checked against its seal before the library reads it; a
// file that does not match (or is missing) is not read.
class ImageReadAhead {
  public:
    struct Reading {
        std::int16_t result = 0;
        std::int16_t cardType = 0;
        bool sealBroken = false;
        std::string found;  // the file's seal when it is broken; empty for a missing file
    };

    // seals: one per file, or none to read without checking.
    ImageReadAhead(std::vector<std::string> files, std::vector<std::string> seals,
                   unsigned readers);
    // Stops the readers once their reads under way are done; later images stay unread.
    ~ImageReadAhead();
    ImageReadAhead(const ImageReadAhead&) = delete;
    ImageReadAhead& operator=(const ImageReadAhead&) = delete;

    // Waits for the reading of image i, and raises what its read raised.
    Reading Take(std::size_t i);

  private:
    void ReadImages();

    const std::vector<std::string> files_;
    const std::vector<std::string> seals_;
    std::vector<Reading> readings_;
    std::vector<std::exception_ptr> failures_;
    std::vector<bool> done_;
    std::size_t next_ = 0;  // the first image no reader has taken
    bool stopping_ = false;
    std::mutex mutex_;
    std::condition_variable imageRead_;
    std::vector<std::jthread> readers_;
};
