#include "support/OperationTestSupport.h"

#include "database/Connection.h"
#include "database/DatabaseError.h"
#include "database/Recordset.h"
#include "database/StatementObserver.h"
#include "database/StationClock.h"
#include "support/TestDataSource.h"

StatementRecorder::StatementRecorder() {
    SetStatementObserver([this](const QString& statement) {
        statements_ << statement;
        if (statements_.size() == refused_) {
            throw DatabaseError(QStringLiteral("refused by the test: ") + statement);
        }
    });
}

StatementRecorder::~StatementRecorder() {
    SetStatementObserver({});
}

FixedClock::FixedClock(const QDateTime& moment) {
    SetStationClock([moment] { return moment; });
}

FixedClock::~FixedClock() {
    SetStationClock({});
}

QDateTime December6At(const char* time) {
    return QDateTime(QDate(2026, 12, 6),
                     QTime::fromString(QString::fromLatin1(time), QStringLiteral("HH:mm:ss")));
}

void AddBatch(const TestDataSource& source, int station, int batch, bool open) {
    ExecuteOn(source,
              QStringLiteral("INSERT INTO Batches(SystemID,BatchNo,StartTime,UserID,EndTime) "
                             "VALUES (%1,%2,'2026-12-05 09:00:00','setup',%3)")
                  .arg(station)
                  .arg(batch)
                  .arg(open ? QStringLiteral("NULL") : QStringLiteral("'2026-12-05 10:00:00'")));
}

void AddImages(const TestDataSource& source, const std::vector<ImageRow>& images) {
    QStringList rows;
    for (const ImageRow& image : images) {
        rows << QStringLiteral("(%1,%2,%3,%4,%5,0,%6,%7,%8,%9)")
                    .arg(image.station)
                    .arg(image.batch)
                    .arg(rows.size())
                    .arg(QString::fromLatin1(image.serial))
                    .arg(image.status)
                    .arg(image.hasWriteIns)
                    .arg(image.repaired)
                    .arg(image.duped)
                    .arg(image.writeIn);
    }
    ExecuteOn(source, QStringLiteral("INSERT INTO BallotImages(SystemID,BatchNo,ImageSeq,BallotSN,"
                                     "Status,Error,HasWriteIns,Repaired,Duped,WriteIn) VALUES ") +
                          rows.join(u','));
}

QStringList FirstRow(const TestDataSource& source, const QStringList& columns,
                     const QString& rest) {
    Connection connection;
    connection.Open(source.ConnectString());
    Recordset rows;
    rows.Open(QStringLiteral("SELECT ") + columns.join(u',') + u' ' + rest, connection);
    QStringList values;
    if (!rows.Eof()) {
        for (const QString& column : columns) {
            const QString alias = column.section(QStringLiteral(" AS "), -1);
            const QVariant value = rows.Fields(alias).Value();
            values << (value.isNull() ? QStringLiteral("NULL") : value.toString());
        }
    }
    return values;
}

QStringList TalliesOf(const TestDataSource& source, int station, int batch) {
    return FirstRow(source,
                    {"ACCEPTED", "REJECTED", "DELETED", "HAVEWRITEINS", "WAITINGREPAIR",
                     "WAITINGDUPE", "HAVEBEENREPAIRED", "HAVEBEENDUPED", "WRITEINSCHECK"},
                    QStringLiteral("FROM Batches WHERE SystemID = %1 AND BatchNo = %2")
                        .arg(station)
                        .arg(batch));
}

void RefuseRowsOn(const TestDataSource& source, const char* event, const char* table) {
    const QString head = QStringLiteral("CREATE TRIGGER Refuse%1%2 BEFORE %1 ON %2 ")
                             .arg(QString::fromLatin1(event), QString::fromLatin1(table));
    ExecuteOn(source, head + (source.Kind() == u"SQLite"
                                  ? QStringLiteral("BEGIN SELECT RAISE(ABORT, 'refused by the "
                                                   "test'); END")
                                  : QStringLiteral("FOR EACH ROW SIGNAL SQLSTATE '45000' SET "
                                                   "MESSAGE_TEXT = 'refused by the test'")));
}
