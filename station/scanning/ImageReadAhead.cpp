#include "scanning/ImageReadAhead.h"

#include <QFile>
#include <optional>
#include <string_view>
#include <utility>

#include "images/ImageSeal.h"
#include "scanning/LHDLLInterface.h"

namespace {

// How far the readers may run ahead of the pass: enough to keep them busy while the pass waits
// on the database, few enough that the images held stay a few megabytes (under 30 MB even of
// 18-inch sheets, front and back, whose compression gained nothing).
constexpr std::size_t ReadAheadImages = 16;

// The file's bytes; none when it cannot be read (a missing file included).
std::optional<QByteArray> ReadFile(const std::string& path) {
    QFile file(QFile::decodeName(path.c_str()));
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return std::nullopt;
    }
    return bytes;
}

}  // namespace

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
    imageTaken_.notify_all();
    readers_.clear();
}

ImageReadAhead::Reading ImageReadAhead::Take(std::size_t i) {
    std::unique_lock lock(mutex_);
    imageRead_.wait(lock, [&] { return done_[i]; });
    taken_ = i + 1;
    imageTaken_.notify_all();
    if (failures_[i]) {
        std::rethrow_exception(failures_[i]);
    }
    return std::exchange(readings_[i], {});
}

void ImageReadAhead::ReadImages() {
    // One record per reader, zero-filled once and reused for each of its images.
    ORLAProtocol7TypeDefs::BallotMarks marks{};
    std::unique_lock lock(mutex_);
    while (!stopping_ && next_ < files_.size()) {
        if (next_ >= taken_ + ReadAheadImages) {
            imageTaken_.wait(lock);
            continue;
        }
        const std::size_t i = next_++;
        lock.unlock();
        Reading reading;
        std::exception_ptr failure;
        try {
            std::optional<QByteArray> bytes = ReadFile(files_[i]);
            const std::string found =
                bytes ? SealOfBytes(std::string_view(bytes->constData(), bytes->size()))
                      : std::string();
            reading.sealBroken = !seals_.empty() && (found.empty() || found != seals_[i]);
            if (reading.sealBroken) {
                reading.found = found;
            } else {
                reading.bytes = bytes.value_or(QByteArray());
                reading.seal = found;
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
