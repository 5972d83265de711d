#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QtGlobal>
#include <string>

class Connection;

// The seals and the bytes of a batch's stored images, sent to the centre beside their rows in
// statements of many rows each: a statement per image would cost a round trip per image.
class CentreCopyInserts {
  public:
    CentreCopyInserts(Connection& connection, qint16 systemId, qint16 batchNo)
        : connection_(connection), systemId_(systemId), batchNo_(batchNo) {}

    // An image's seal; sent when a statement is full or with the batch's last image.
    void AddSeal(qint32 sequence, qint32 serial, const std::string& seal, bool lastImage);
    // An image's bytes as they were sealed; sent likewise.
    void AddCopy(qint32 sequence, const std::string& seal, const QByteArray& bytes, bool lastImage);

  private:
    Connection& connection_;
    const qint16 systemId_;
    const qint16 batchNo_;
    QStringList sealValues_;
    QVariantList copyValues_;
    qsizetype copyBytes_ = 0;
};
