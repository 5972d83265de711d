#include "ImageRequests.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "CentreImages.h"
#include "TiffToPng.h"

namespace {

// A request answered with a failure's status and text.
struct Refused : std::runtime_error {
    Refused(int status, const QString& text)
        : std::runtime_error(text.toStdString()), status(status) {}
    int status;
};

// A part of the path in digits alone, up to `most`: station and batch numbers are SMALLINT.
int Number(const std::string& text, int most, const QString& refusal) {
    const bool digits =
        !text.empty() && text.size() <= 9 &&
        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!digits || std::stol(text) > most) {
        throw Refused(400, refusal);
    }
    return static_cast<int>(std::stol(text));
}

struct BatchKey {
    int station;
    int batch;
    QString Name() const {
        return QStringLiteral("batch %1 of station %2").arg(batch).arg(station);
    }
};

BatchKey Key(const std::string& station, const std::string& batch) {
    return {Number(station, 32767, QStringLiteral("the station must be a number")),
            Number(batch, 32767, QStringLiteral("the batch must be a number"))};
}

void RequireBatch(CentreImages& images, const BatchKey& key) {
    if (!images.HasBatch(key.station, key.batch)) {
        throw Refused(404,
                      QStringLiteral("station %1 has no batch %2").arg(key.station).arg(key.batch));
    }
}

QJsonValue Optional(const auto& value) {
    return value ? QJsonValue(static_cast<double>(*value)) : QJsonValue::Null;
}

std::string ListJson(const BatchKey& key, CentreImages& centre) {
    QJsonArray images;
    for (const ImageRow& image : centre.Images(key.station, key.batch)) {
        images.append(QJsonObject{
            {"sequence", image.sequence},
            {"serial", Optional(image.serial)},
            {"status", Optional(image.status)},
            {"error", Optional(image.error)},
            {"sha256", image.sha256.isEmpty() ? QJsonValue::Null : QJsonValue(image.sha256)},
            {"size", Optional(image.size)},
            {"atCentre", image.size.has_value()},
        });
    }
    return QJsonDocument(QJsonObject{{"station", key.station},
                                     {"batch", key.batch},
                                     {"centreKeepsFiles", centre.KeepsFiles()},
                                     {"images", images}})
        .toJson(QJsonDocument::Compact)
        .toStdString();
}

Reply JsonFailure(int status, const std::string& text) {
    return {status, "application/json",
            QJsonDocument(QJsonObject{{"error", QString::fromStdString(text)}})
                .toJson(QJsonDocument::Compact)
                .toStdString()};
}

Reply TextFailure(int status, const std::string& text) {
    return {status, "text/plain; charset=utf-8", text + "\n"};
}

// Answers with what `read` makes of the database, or with the failure's status and text.
template <typename Read>
Reply Answer(Read read, Reply (*failure)(int, const std::string&)) {
    try {
        return read();
    } catch (const Refused& refused) {
        return failure(refused.status, refused.what());
    } catch (const std::exception& error) {
        // The driver's text goes to the log only: it may name the server.
        std::fprintf(stderr, "lindhollow-monitor: a batch's images cannot be read: %s\n",
                     error.what());
        return failure(503, "the centre's database cannot be reached");
    }
}

}  // namespace

Reply ImageRequests::List(const std::string& station, const std::string& batch) const {
    return Answer(
        [&] {
            const BatchKey key = Key(station, batch);
            CentreImages images(connectString_);
            RequireBatch(images, key);
            return Reply{200, "application/json", ListJson(key, images)};
        },
        JsonFailure);
}

Reply ImageRequests::Png(const std::string& station, const std::string& batch,
                         const std::string& file) const {
    return Answer(
        [&] {
            const BatchKey key = Key(station, batch);
            const bool png = file.size() > 4 && file.ends_with(".png");
            const int sequence =
                Number(png ? file.substr(0, file.size() - 4) : std::string(), 999'999'999,
                       QStringLiteral("the image must be its sequence number and .png, as 12.png"));
            CentreImages images(connectString_);
            RequireBatch(images, key);
            const QString name = QStringLiteral("image %1 of %2").arg(sequence).arg(key.Name());
            const std::lock_guard lock(converting_);
            const StoredImage stored = images.File(key.station, key.batch, sequence);
            switch (stored.found) {
                case StoredImage::Found::NoImage:
                    throw Refused(
                        404, QStringLiteral("%1 has no image %2").arg(key.Name()).arg(sequence));
                case StoredImage::Found::NotAtCentre:
                    throw Refused(404, QStringLiteral("the centre keeps no copy of ") + name);
                case StoredImage::Found::TooLarge:
                    throw Refused(422, name + QStringLiteral(" is larger than any scanned sheet"));
                case StoredImage::Found::Bytes:
                    break;
            }
            try {
                return Reply{200, "image/png",
                             TiffToPng(std::string_view(stored.bytes.constData(),
                                                        std::size_t(stored.bytes.size())))};
            } catch (const ImageError& error) {
                throw Refused(422, name + QStringLiteral(" cannot be shown: ") +
                                       QString::fromStdString(error.what()));
            }
        },
        TextFailure);
}
