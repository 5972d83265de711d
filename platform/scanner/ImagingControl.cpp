#include "scanner/ImagingControl.h"

#include "controls/ControlError.h"
#include "scanner/Imprint.h"
#include "scanner/IniSection.h"
#include "scanner/ScannerControl.h"

#include <QFileInfo>

namespace {

using Type = PropertyStore::Type;

}  // namespace

ImagingControl::ImagingControl(QObject* parent)
    : KImgp(parent),
      properties_({{Action, Type::Int32},
                   {IniFile, Type::Text},
                   {IniSectionName, Type::Text},
                   {EndorserFitted, Type::Boolean, false},
                   {EndorserReady, Type::Boolean, false},
                   {Endorsing, Type::Boolean},
                   {FixedText, Type::Text},
                   {PrintPosition, Type::Int32},
                   {Counter, Type::Int32},
                   {CounterDigits, Type::Int16},
                   {DotSize, Type::Int32},
                   {CounterStep, Type::Int16},
                   {CounterMode, Type::Int16}}) {}

void ImagingControl::write(int dispid, const PropertyValue& value) {
    const PropertyValue accepted = properties_.accept(dispid, value);
    if (dispid == Action) {
        // The only action.
        if (std::get<qint32>(accepted) != LoadSection)
            throw ControlError(
                ScannerError::General,
                QStringLiteral("Action %1 is not supported").arg(std::get<qint32>(accepted)));
        const QString file = properties_.text(IniFile);
        const auto section = readIniSection(file, properties_.text(IniSectionName));
        if (!section && !QFileInfo(file).isReadable())
            throw ControlError(ScannerError::General,
                               QStringLiteral("%1 cannot be read").arg(file));
        const QString endorser = section ? section->value(QStringLiteral("Endorser")) : QString();
        fitted_ = endorser.isEmpty() || endorser.compare(u"yes", Qt::CaseInsensitive) == 0 ||
                  endorser.compare(u"true", Qt::CaseInsensitive) == 0 || endorser == u"1";
        loaded_ = true;
    }
    properties_.set(dispid, accepted);
}

PropertyValue ImagingControl::read(int dispid) {
    if (dispid == EndorserFitted)
        return fitted();
    if (dispid == EndorserReady)
        return ready();
    return properties_.get(dispid);
}

bool ImagingControl::fitted() const {
    return loaded_ && fitted_ && scanner_ && scanner_->isOpen();
}

bool ImagingControl::ready() const {
    return fitted() && scanner_->imprinterReady().value_or(true);
}

std::optional<Endorsement> ImagingControl::endorsement() const {
    if (!properties_.boolean(Endorsing) || !ready())
        return std::nullopt;
    return Endorsement{properties_.text(FixedText), properties_.integer(Counter),
                       properties_.integer(CounterDigits), properties_.integer(CounterStep),
                       properties_.integer(PrintPosition)};
}

void ImagingControl::endorse(Page& page) {
    if (!properties_.boolean(Endorsing) || !ready() || scanner_->imprinterReady())
        return;
    const qint32 counter = properties_.integer(Counter);
    const QString text =
        properties_.text(FixedText).toUpper() +
        QStringLiteral("%1").arg(counter, properties_.integer(CounterDigits), 10, QChar(u'0'));
    imprint(page, text.toLatin1().toStdString(),
            {.top = properties_.integer(PrintPosition), .scale = properties_.integer(DotSize)});
    properties_.set(Counter, qint32(counter + properties_.integer(CounterStep)));
}
