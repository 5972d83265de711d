#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

#include "database/Connection.h"

// One image row of a batch, with its seal and the size of its bytes at the centre.
struct ImageRow {
    int sequence = 0;
    std::optional<qint64> serial;
    std::optional<qint64> status;
    std::optional<qint64> error;
    QString sha256;              // empty without a seal: a batch stored before seals were kept
    std::optional<qint64> size;  // none: the centre has no copy of the image's bytes
};

// An image's file as the centre keeps it.
struct StoredImage {
    enum class Found { NoImage, NotAtCentre, TooLarge, Bytes };
    Found found = Found::NoImage;
    QByteArray bytes;
};

// The scanner wrote no image file this large; a larger one is not read into memory.
constexpr qint64 kMostImageFileBytes = 64 << 20;

// Reads a batch's images on a connection of its own, through the monitor's account. A database
// without the seals or image files (older, or an account not yet granted them) gives rows without
// them.
class CentreImages {
  public:
    explicit CentreImages(const QString& connectString);

    // Whether the station's batch is in the database, open or closed.
    bool HasBatch(int systemId, int batchNo);
    // Whether the image files at the centre can be read at all.
    bool KeepsFiles() const { return keepsFiles_; }
    QList<ImageRow> Images(int systemId, int batchNo);
    StoredImage File(int systemId, int batchNo, int sequence);

  private:
    Connection connection_;
    bool keepsFiles_ = false;
    bool keepsSeals_ = false;
};
