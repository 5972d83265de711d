#include "scanner/SaneSource.h"

#include "controls/ControlError.h"
#include "controls/KImgp.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// SANE is initialised while at least one device is open.
int saneUsers = 0;

void acquireSane() {
    if (saneUsers++ == 0)
        sane_init(nullptr, nullptr);
}

void releaseSane() {
    if (--saneUsers == 0)
        sane_exit();
}

QString statusText(SANE_Status status) {
    return QString::fromLocal8Bit(sane_strstatus(status));
}

ControlError openFailure(const QString& device, SANE_Status status) {
    const QString text = QStringLiteral("SANE device %1: %2").arg(device, statusText(status));
    switch (status) {
        case SANE_STATUS_INVAL:     // no such device
        case SANE_STATUS_IO_ERROR:  // it does not answer
            return ControlError(ScannerError::NotConnected, text);
        case SANE_STATUS_DEVICE_BUSY:
            return ControlError(ScannerError::Reserved, text);
        default:
            return ControlError(ScannerError::General, text);
    }
}

bool isTrue(const QString& text) {
    return text.compare(u"yes", Qt::CaseInsensitive) == 0 ||
           text.compare(u"true", Qt::CaseInsensitive) == 0 || text == u"1";
}

QString wordText(const SANE_Option_Descriptor& option, SANE_Word word) {
    return option.type == SANE_TYPE_FIXED ? QString::number(SANE_UNFIX(word))
                                          : QString::number(word);
}

ControlError notAsAsked(const char* name, const QString& asked, const QString& taken) {
    return ControlError(ScannerError::General,
                        QStringLiteral("The scanner's endorser cannot print as set: %1 is %2 "
                                       "where %3 was asked")
                            .arg(QLatin1String(name), taken, asked));
}

// The narrowest counter width the device offers that holds every counter of a batch; the
// widest where none does.
SANE_Word counterWidth(const SANE_Option_Descriptor& option) {
    if (option.constraint_type != SANE_CONSTRAINT_WORD_LIST)
        return 24;
    const auto holds = [](SANE_Word bits) {
        return bits >= 31 || (1 << bits) - 1 >= KImgp::LargestCounter;
    };
    const SANE_Word* widths = option.constraint.word_list;
    SANE_Word narrowestHolding = 0, widest = 0;
    for (SANE_Word i = 1; i <= widths[0]; ++i) {
        widest = std::max(widest, widths[i]);
        if (holds(widths[i]) && (narrowestHolding == 0 || widths[i] < narrowestHolding))
            narrowestHolding = widths[i];
    }
    return narrowestHolding ? narrowestHolding : widest;
}

}  // namespace

SaneSource::SaneSource(const IniSection& settings)
    : cardSource_(settings.value(QStringLiteral("CardSource"))),
      feederSource_(settings.value(QStringLiteral("FeederSource"))) {
    const QString device = settings.value(QStringLiteral("Device"));
    if (device.isEmpty())
        throw ControlError(ScannerError::NotConnected,
                           QStringLiteral("The initialisation file names no SANE device"));
    acquireSane();
    const SANE_Status status = sane_open(device.toLocal8Bit().constData(), &handle_);
    if (status != SANE_STATUS_GOOD) {
        releaseSane();
        throw openFailure(device, status);
    }
    try {
        readDescriptors();
        for (const auto& [key, value] : settings.entries)
            if (key.startsWith(u"option."))
                setOption(key.mid(7), value, true);
    } catch (const ControlError&) {
        sane_close(handle_);
        releaseSane();
        throw;
    }
}

SaneSource::~SaneSource() {
    endRun();
    sane_close(handle_);
    releaseSane();
}

void SaneSource::readDescriptors() {
    options_.clear();
    SANE_Int count = 0;
    sane_control_option(handle_, 0, SANE_ACTION_GET_VALUE, &count, nullptr);
    for (SANE_Int i = 1; i < count; ++i) {
        const SANE_Option_Descriptor* descriptor = sane_get_option_descriptor(handle_, i);
        if (descriptor && descriptor->name && *descriptor->name)
            options_.insert({QLatin1String(descriptor->name), {i, descriptor}});
    }
}

const SaneSource::Option* SaneSource::option(const char* name) const {
    const auto found = options_.find(QLatin1String(name));
    return found == options_.end() ? nullptr : &found->second;
}

void SaneSource::setOption(const QString& name, const QString& value, bool required) {
    const Option* found = option(name.toLatin1().constData());
    if (!found) {
        if (required)
            throw ControlError(ScannerError::General,
                               QStringLiteral("The SANE device has no option %1").arg(name));
        return;
    }
    const SANE_Option_Descriptor& descriptor = *found->descriptor;
    std::vector<char> buffer(std::max<size_t>(descriptor.size, sizeof(SANE_Word)) + 1, 0);
    SANE_Word word = 0;
    switch (descriptor.type) {
        case SANE_TYPE_BOOL:
            word = isTrue(value) ? SANE_TRUE : SANE_FALSE;
            break;
        case SANE_TYPE_INT:
            word = value.toInt();
            break;
        case SANE_TYPE_FIXED:
            word = SANE_FIX(value.toDouble());
            break;
        case SANE_TYPE_STRING:
            std::strncpy(buffer.data(), value.toLocal8Bit().constData(), buffer.size() - 1);
            break;
        default:
            throw ControlError(ScannerError::General,
                               QStringLiteral("SANE option %1 takes no value").arg(name));
    }
    if (descriptor.type != SANE_TYPE_STRING)
        std::memcpy(buffer.data(), &word, sizeof word);
    SANE_Int info = 0;
    const SANE_Status status =
        sane_control_option(handle_, found->index, SANE_ACTION_SET_VALUE, buffer.data(), &info);
    if (status != SANE_STATUS_GOOD)
        throw ControlError(ScannerError::General,
                           QStringLiteral("SANE option %1 cannot be set to %2: %3")
                               .arg(name, value, statusText(status)));
    if (info & SANE_INFO_RELOAD_OPTIONS)
        readDescriptors();
}

SANE_Word SaneSource::setWord(const Option& found, SANE_Word value) {
    const QByteArray name = found.descriptor->name;
    SANE_Int info = 0;
    const SANE_Status status =
        sane_control_option(handle_, found.index, SANE_ACTION_SET_VALUE, &value, &info);
    if (status != SANE_STATUS_GOOD)
        throw ControlError(ScannerError::General,
                           QStringLiteral("SANE option %1 cannot be set: %2")
                               .arg(QLatin1String(name), statusText(status)));
    if (info & SANE_INFO_RELOAD_OPTIONS)
        readDescriptors();
    return word(name.constData()).value_or(value);
}

std::optional<SANE_Word> SaneSource::word(const char* name) const {
    const Option* found = option(name);
    SANE_Word value = 0;
    if (!found || !SANE_OPTION_IS_ACTIVE(found->descriptor->cap) ||
        found->descriptor->type == SANE_TYPE_STRING ||
        sane_control_option(handle_, found->index, SANE_ACTION_GET_VALUE, &value, nullptr) !=
            SANE_STATUS_GOOD)
        return std::nullopt;
    return value;
}

std::optional<bool> SaneSource::imprinterReady() {
    const Option* endorser = option("endorser");
    if (!endorser || !SANE_OPTION_IS_ACTIVE(endorser->descriptor->cap) ||
        !SANE_OPTION_IS_SETTABLE(endorser->descriptor->cap))
        return std::nullopt;
    return word("ink-low").value_or(SANE_FALSE) == SANE_FALSE;
}

void SaneSource::setImprint(const std::optional<Endorsement>& endorsement) {
    imprint_ = endorsement;
}

void SaneSource::applyImprint() {
    setWord(*option("endorser"), imprint_ ? SANE_TRUE : SANE_FALSE);
    if (!imprint_)
        return;
    // Each number as the device's descriptor now has it; the counter's range follows its width.
    // Setting an option may reload the descriptors, so none is kept across a setting.
    const auto exactly = [this](const char* name, SANE_Word value) {
        const Option* found = option(name);
        if (!found)
            return;
        const SANE_Option_Descriptor asked = *found->descriptor;
        const SANE_Word taken = setWord(*found, value);
        if (asked.type == SANE_TYPE_FIXED ? std::abs(taken - value) > SANE_FIX(0.01)
                                          : taken != value)
            throw notAsAsked(name, wordText(asked, value), wordText(asked, taken));
    };
    if (const Option* bits = option("endorser-bits"))
        exactly("endorser-bits", counterWidth(*bits->descriptor));
    exactly("endorser-val", imprint_->counter);
    exactly("endorser-step", imprint_->step);
    exactly("endorser-y", SANE_FIX(imprint_->top * 25.4 / 200));
    if (const Option* text = option("endorser-string")) {
        const SANE_Int index = text->index;
        const QByteArray asked = (imprint_->fixedText + u'%' + u'0' +
                                  QString::number(imprint_->digits) + QStringLiteral("ud"))
                                     .toLatin1();
        std::vector<char> buffer(std::max<size_t>(text->descriptor->size, asked.size() + 1), 0);
        std::memcpy(buffer.data(), asked.constData(), size_t(asked.size()));
        SANE_Int info = 0;
        const SANE_Status status =
            sane_control_option(handle_, index, SANE_ACTION_SET_VALUE, buffer.data(), &info);
        if (info & SANE_INFO_RELOAD_OPTIONS)
            readDescriptors();
        if (status == SANE_STATUS_GOOD)
            sane_control_option(handle_, index, SANE_ACTION_GET_VALUE, buffer.data(), nullptr);
        if (status != SANE_STATUS_GOOD || asked != buffer.data())
            throw notAsAsked(
                "endorser-string", QLatin1String(asked),
                status == SANE_STATUS_GOOD ? QLatin1String(buffer.data()) : statusText(status));
    }
}

double SaneSource::resolution() const {
    const Option* found = option(SANE_NAME_SCAN_RESOLUTION);
    const std::optional<SANE_Word> value = word(SANE_NAME_SCAN_RESOLUTION);
    if (!found || !value)
        return 200;
    return found->descriptor->type == SANE_TYPE_FIXED ? SANE_UNFIX(*value) : *value;
}

void SaneSource::beginRun(Feed feed, std::optional<double> pageLength) {
    const QString source = feed == Feed::CardSlot ? cardSource_ : feederSource_;
    if (!source.isEmpty())
        setOption(QLatin1String(SANE_NAME_SCAN_SOURCE), source, true);
    duplex_ = source.contains(u"duplex", Qt::CaseInsensitive);
    frontRead_ = false;
    // The sheets' length and the scan area end at the page length, where the device lets them
    // be set.
    if (pageLength) {
        const QString millimetres = QString::number(*pageLength * 25.4);
        setOption(QStringLiteral("page-height"), millimetres, false);
        setOption(QLatin1String(SANE_NAME_SCAN_BR_Y), millimetres, false);
    }
    if (imprinterReady())
        applyImprint();
    running_ = true;
}

void SaneSource::startPage() {
    const SANE_Status status = sane_start(handle_);
    if (status != SANE_STATUS_GOOD)
        throw scanFailure(status);
    if (sane_get_parameters(handle_, &parameters_) != SANE_STATUS_GOOD)
        throw ControlError(ScannerError::General,
                           QStringLiteral("The SANE device gives no image parameters"));
}

// A jam that the device's double-feed sensor saw is a double feed.
ControlError SaneSource::scanFailure(SANE_Status status) const {
    const QString text = statusText(status);
    switch (status) {
        case SANE_STATUS_NO_DOCS:
            return ControlError(ScannerError::FeederEmpty, text);
        case SANE_STATUS_JAMMED:
            if (word("double-feed").value_or(SANE_FALSE) == SANE_TRUE)
                return ControlError(ScannerError::MultiFeed,
                                    QStringLiteral("%1: more than one sheet was fed").arg(text));
            return ControlError(ScannerError::PaperJam, text);
        case SANE_STATUS_DEVICE_BUSY:
            return ControlError(ScannerError::Reserved, text);
        default:
            return ControlError(ScannerError::General, text);
    }
}

Page SaneSource::readPage() {
    const SANE_Parameters& p = parameters_;
    const bool gray = p.format == SANE_FRAME_GRAY;
    if (!(gray || p.format == SANE_FRAME_RGB) || !(p.depth == 1 || p.depth == 8 || p.depth == 16) ||
        (!gray && p.depth == 1) || p.pixels_per_line <= 0 || p.bytes_per_line <= 0)
        throw ControlError(
            ScannerError::General,
            QStringLiteral("The SANE device sends an image format that cannot be stored"));

    std::vector<std::uint8_t> data;
    std::vector<SANE_Byte> chunk(64 * 1024);
    for (;;) {
        SANE_Int length = 0;
        const SANE_Status status =
            sane_read(handle_, chunk.data(), SANE_Int(chunk.size()), &length);
        if (status == SANE_STATUS_EOF)
            break;
        if (status != SANE_STATUS_GOOD)
            throw scanFailure(status);
        data.insert(data.end(), chunk.begin(), chunk.begin() + length);
    }

    Page page;
    page.format = p.depth == 1 ? Page::Format::Bilevel
                  : gray       ? Page::Format::Gray
                               : Page::Format::Rgb;
    page.width = p.pixels_per_line;
    page.height =
        int(data.size() / size_t(p.bytes_per_line));  // also when the device gave no line count
    page.xDpi = page.yDpi = resolution();
    frontRead_ = duplex_ && !frontRead_;
    const int lineBytes = page.bytesPerLine();
    page.pixels.resize(size_t(lineBytes) * page.height);
    for (int row = 0; row < page.height; ++row) {
        const std::uint8_t* in = data.data() + size_t(row) * p.bytes_per_line;
        std::uint8_t* out = page.pixels.data() + size_t(row) * lineBytes;
        if (p.depth == 16) {  // keep the high byte of each sample, held in host order
            for (int i = 0; i < lineBytes; ++i) {
                std::uint16_t sample;
                std::memcpy(&sample, in + 2 * i, 2);
                out[i] = std::uint8_t(sample >> 8);
            }
        } else {
            std::memcpy(out, in, lineBytes);
        }
    }
    return page;
}

// SANE lets sane_cancel interrupt a sane_read on another thread.
void SaneSource::cancelPage() {
    sane_cancel(handle_);
}

void SaneSource::endRun() {
    if (running_)
        sane_cancel(handle_);
    running_ = false;
    frontRead_ = false;
}
