#include "support/FakeScannerControls.h"

#include <QFile>
#include <QScopeGuard>
#include <QTimer>

#include <algorithm>

QString describe(const ControlCall& call) {
    const QString verb = call.kind == ControlCall::Write ? QStringLiteral(" write %1 = %2 (%3)")
                                                         : QStringLiteral(" read %1 -> %2 (%3)");
    return call.control + verb.arg(call.dispid).arg(valueText(call.value), typeName(call.value));
}

QList<FakeEvent> FakeEvent::page(const QString& image, bool morePages) {
    return {{11}, {12, morePages, image}, {14}};
}

FakeEvent FakeEvent::failure(qint16 error, const QString& description) {
    return {15, false, {}, error, description};
}

FakeControl::FakeControl(QString name, QList<ControlCall>* log)
    : name_(std::move(name)), log_(log) {}

void FakeControl::raiseOnWrite(int dispid, int number, const QString& description) {
    errors_.insert_or_assign(dispid, ControlError(number, description));
}

void FakeControl::setValue(int dispid, const PropertyValue& value) {
    values_[dispid] = value;
}

void FakeControl::recordWrite(int dispid, const PropertyValue& value) {
    log_->append({name_, ControlCall::Write, dispid, value});
    if (auto error = errors_.find(dispid); error != errors_.end()) {
        const ControlError raised = error->second;
        errors_.erase(error);
        throw raised;
    }
    values_[dispid] = value;
}

PropertyValue FakeControl::recordRead(int dispid) {
    if (!values_.contains(dispid))
        throw ControlError(ScannerError::General,
                           QStringLiteral("Property %1 cannot be read").arg(dispid));
    const PropertyValue value = values_.at(dispid);
    log_->append({name_, ControlCall::Read, dispid, value});
    return value;
}

FakeKScan::FakeKScan(QList<ControlCall>* log, QObject* parent)
    : KScan(parent), FakeControl(QStringLiteral("KScan1"), log) {
    values_ = {
        {ErrorCode, qint16(0)}, {OutputFile, QString()}, {MorePages, false}, {Feeding, false}};
}

void FakeKScan::scriptRun(const QList<FakeEvent>& events) {
    scripts_.append(events);
}

void FakeKScan::write(int dispid, const PropertyValue& value) {
    recordWrite(dispid, value);
    if (dispid != Action)
        return;
    const auto* action = std::get_if<qint32>(&value);
    if (action && *action == StartFeeding && !scripts_.isEmpty()) {
        playing_ = scripts_.takeFirst();
        QTimer::singleShot(0, this, &FakeKScan::playNext);
    } else if (action && *action == StopFeeding) {
        // Like the scanner, finish the page under way and feed no other.
        const auto nextPage =
            std::find_if(playing_.begin(), playing_.end(),
                         [](const FakeEvent& event) { return event.number == 11; });
        playing_.erase(nextPage, playing_.end());
    } else if (action && (*action == ClearPaperPath || *action == Release)) {
        playing_.clear();
    }
}

PropertyValue FakeKScan::read(int dispid) {
    return recordRead(dispid);
}

void FakeKScan::playNext() {
    if (playing_.isEmpty())
        return;
    const FakeEvent event = playing_.takeFirst();
    // The next event is due once this one is over, as with the scanner: a handler that yields
    // during page end does not see the page done before its file is written.
    const auto scheduleNext = qScopeGuard([this] {
        if (!playing_.isEmpty())
            QTimer::singleShot(0, this, &FakeKScan::playNext);
    });
    switch (event.number) {
        case 10:
            emit event10();
            break;
        case 11:
            emit event11();
            break;
        case 12: {
            values_[MorePages] = event.morePages;
            emit event12();
            const QString file = std::get<QString>(values_.at(OutputFile));
            pagesWritten_.append(file);
            if (!event.image.isEmpty()) {
                QFile::remove(file);
                QFile::copy(event.image, file);
            }
            break;
        }
        case 14:
            emit event14(pagesWritten_.size(), 1);
            break;
        case 15: {
            values_[ErrorCode] = event.error;
            qint16 number = event.error;
            QString description = event.description;
            emit event15(number, description);
            break;
        }
    }
}

FakeKImgp::FakeKImgp(QList<ControlCall>* log, QObject* parent)
    : KImgp(parent), FakeControl(QStringLiteral("KImgp1"), log) {
    values_ = {{EndorserFitted, false}, {EndorserReady, false}};
}

void FakeKImgp::write(int dispid, const PropertyValue& value) {
    recordWrite(dispid, value);
}

PropertyValue FakeKImgp::read(int dispid) {
    return recordRead(dispid);
}

QStringList FakeScannerControls::calls() const {
    QStringList texts;
    for (const ControlCall& call : log)
        texts.append(describe(call));
    return texts;
}
