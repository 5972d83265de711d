#pragma once

#include "controls/KImgp.h"
#include "controls/KScan.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <map>

#include "controls/ControlError.h"

// One property write or read on a fake control, in the order the station made it.
struct ControlCall {
    enum Kind { Write, Read };
    QString control;  // "KScan1" or "KImgp1"
    Kind kind;
    int dispid;
    PropertyValue value;  // written, or returned by the read
};

// "KScan1 write 3 = 4 (32-bit)" or "KImgp1 read 45 -> True (Boolean)".
QString describe(const ControlCall& call);

// One event of a scripted run.
struct FakeEvent {
    int number;              // 10, 11, 12, 14 or 15
    bool morePages = false;  // event 12: what MorePages reads during the event
    QString image{};         // event 12: a file copied to the file named by OutputFile afterwards
    qint16 error = 0;        // event 15
    QString description{};   // event 15

    // Events 11, 12 and 14 of one page.
    static QList<FakeEvent> page(const QString& image = {}, bool morePages = false);
    static FakeEvent failure(qint16 error, const QString& description);
};

// Fake controls for the station's tests. Every write and read lands in a shared log; the
// readable properties start with their declared type and a neutral value (ErrorCode 0,
// OutputFile "", MorePages and Feeding False; EndorserFitted and EndorserReady False) and can be
// set with setValue.
class FakeControl {
  public:
    FakeControl(QString name, QList<ControlCall>* log);

    // The next write to dispid throws ControlError(number, description) instead of storing.
    void raiseOnWrite(int dispid, int number, const QString& description);
    // What a later read of dispid returns, until the station or the fake writes it.
    void setValue(int dispid, const PropertyValue& value);

  protected:
    void recordWrite(int dispid, const PropertyValue& value);
    PropertyValue recordRead(int dispid);

    QString name_;
    QList<ControlCall>* log_;
    std::map<int, PropertyValue> values_;
    std::map<int, ControlError> errors_;
};

class FakeKScan : public KScan, public FakeControl {
    Q_OBJECT

  public:
    explicit FakeKScan(QList<ControlCall>* log, QObject* parent = nullptr);

    // Each StartFeeding plays the next scripted run, one event per turn of the event loop.
    // StopFeeding drops the run's pages after the current one; ClearPaperPath or Release drops
    // all that is left of the run.
    void scriptRun(const QList<FakeEvent>& events);
    // The value of OutputFile after each event 12 had returned, in order.
    QStringList pagesWritten() const { return pagesWritten_; }

    void write(int dispid, const PropertyValue& value) override;
    PropertyValue read(int dispid) override;

  private:
    void playNext();

    QList<QList<FakeEvent>> scripts_;
    QList<FakeEvent> playing_;
    QStringList pagesWritten_;
};

class FakeKImgp : public KImgp, public FakeControl {
    Q_OBJECT

  public:
    explicit FakeKImgp(QList<ControlCall>* log, QObject* parent = nullptr);

    void write(int dispid, const PropertyValue& value) override;
    PropertyValue read(int dispid) override;
};

// Both fakes with their shared log.
struct FakeScannerControls {
    QList<ControlCall> log;
    FakeKScan KScan1{&log};
    FakeKImgp KImgp1{&log};

    // The log as describe() texts.
    QStringList calls() const;
};
