#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

class TestDataSource;

// Records every statement that the operations send while it lives, and can refuse
// one of them as the database would, with DatabaseError.
class StatementRecorder {
  public:
    StatementRecorder();
    ~StatementRecorder();
    StatementRecorder(const StatementRecorder&) = delete;
    StatementRecorder& operator=(const StatementRecorder&) = delete;

    // Refuses the statement with this number, counting from 1; it is still recorded.
    void Refuse(int number) { refused_ = number; }
    const QStringList& Statements() const { return statements_; }

  private:
    QStringList statements_;
    int refused_ = 0;
};

// Holds the station's clock at one moment while it lives.
class FixedClock {
  public:
    explicit FixedClock(const QDateTime& moment);
    ~FixedClock();
    FixedClock(const FixedClock&) = delete;
    FixedClock& operator=(const FixedClock&) = delete;
};

// 2026-12-06 at the time given as "HH:mm:ss".
QDateTime December6At(const char* time);

void AddBatch(const TestDataSource& source, int station, int batch, bool open);

// One BallotImages row; serial is the SQL text of BallotSN ("NULL" for none).
struct ImageRow {
    int station;
    int batch;
    const char* serial;
    int status;
    int hasWriteIns = 0;
    int repaired = 0;
    int duped = 0;
    int writeIn = 0;
};
void AddImages(const TestDataSource& source, const std::vector<ImageRow>& images);

// The columns of the first row of "SELECT <columns> <rest>" as texts, "NULL" for NULL;
// empty when there is no row. A column given as "<expression> AS <alias>" is read by
// its alias.
QStringList FirstRow(const TestDataSource& source, const QStringList& columns, const QString& rest);

// The nine tally columns of a batch row in the order they are written.
QStringList TalliesOf(const TestDataSource& source, int station, int batch);

// A trigger that makes the database refuse every row of one event ("INSERT",
// "UPDATE" or "DELETE") on a table.
void RefuseRowsOn(const TestDataSource& source, const char* event, const char* table);
