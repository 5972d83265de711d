#include "scanning/ImageReadAhead.h"

#include "scanning/ImageSeal.h"
#include "scanning/LHDLLInterface.h"

ImageReadAhead::ImageReadAhead(std::vector<std::string> files, std::vector<std::string> seals,
                               unsigned readers)
    : files_(std::move(files)),
      seals_(std::move(seals)),
      readings_(files_.size()),
      failures_(files_.size()),
      done_(files_.size(), false) {
    for (unsigned n = 0; n < readers; ++n) {
        readers_.emplace_back([this] { ReadImages(); });
    }
}

ImageReadAhead::~ImageReadAhead() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    readers_.clear();
}

ImageReadAhead::Reading ImageReadAhead::Take(std::size_t i) {
    std::unique_lock lock(mutex_);
    imageRead_.wait(lock, [&] { return done_[i]; });
    if (failures_[i]) {
        std::rethrow_exception(failures_[i]);
    }
    return readings_[i];
}

void ImageReadAhead::ReadImages() {
    // One record per reader, zero-filled once and reused for each of its images.
    ORLAProtocol7TypeDefs::BallotMarks marks{};
    std::unique_lock lock(mutex_);
    while (!stopping_ && next_ < files_.size()) {
        const std::size_t i = next_++;
        lock.unlock();
        Reading reading;
        std::exception_ptr failure;
        try {
            if (!seals_.empty()) {
                const std::string found = SealOfFile(files_[i]);
                reading.sealBroken = found.empty() || found != seals_[i];
                reading.found = reading.sealBroken ? found : std::string();
            }
            if (!reading.sealBroken) {
                reading.result = LHDLLInterface::ReadBallotMarks(files_[i], marks);
                reading.cardType = marks.CardType;
            }
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        readings_[i] = reading;
        failures_[i] = failure;
        done_[i] = true;
        imageRead_.notify_all();
    }
}
