#include "scanner/SaneSource.h"

#include "controls/ControlError.h"

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

ControlError scanFailure(SANE_Status status) {
    const QString text = QString::fromLocal8Bit(sane_strstatus(status));
    switch (status) {
        case SANE_STATUS_NO_DOCS:
            return ControlError(ScannerError::FeederEmpty, text);
        case SANE_STATUS_JAMMED:
            return ControlError(ScannerError::PaperJam, text);
        case SANE_STATUS_DEVICE_BUSY:
            return ControlError(ScannerError::Reserved, text);
        default:
            return ControlError(ScannerError::General, text);
    }
}

ControlError openFailure(const QString& device, SANE_Status status) {
    const QString text = QStringLiteral("SANE device %1: %2")
                             .arg(device, QString::fromLocal8Bit(sane_strstatus(status)));
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

void SaneSource::setOption(const QString& name, const QString& value, bool required) {
    SANE_Int count = 0;
    sane_control_option(handle_, 0, SANE_ACTION_GET_VALUE, &count, nullptr);
    for (SANE_Int i = 1; i < count; ++i) {
        const SANE_Option_Descriptor* option = sane_get_option_descriptor(handle_, i);
        if (!option || !option->name || name != QLatin1String(option->name))
            continue;
        std::vector<char> buffer(std::max<size_t>(option->size, sizeof(SANE_Word)) + 1, 0);
        void* data = buffer.data();
        SANE_Word word = 0;
        switch (option->type) {
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
                data = nullptr;
                break;
        }
        if (option->type != SANE_TYPE_STRING && data)
            std::memcpy(buffer.data(), &word, sizeof word);
        const SANE_Status status =
            sane_control_option(handle_, i, SANE_ACTION_SET_VALUE, data, nullptr);
        if (status != SANE_STATUS_GOOD)
            throw ControlError(
                ScannerError::General,
                QStringLiteral("SANE option %1 cannot be set to %2: %3")
                    .arg(name, value, QString::fromLocal8Bit(sane_strstatus(status))));
        return;
    }
    if (required)
        throw ControlError(ScannerError::General,
                           QStringLiteral("The SANE device has no option %1").arg(name));
}

double SaneSource::resolution() const {
    SANE_Int count = 0;
    sane_control_option(handle_, 0, SANE_ACTION_GET_VALUE, &count, nullptr);
    for (SANE_Int i = 1; i < count; ++i) {
        const SANE_Option_Descriptor* option = sane_get_option_descriptor(handle_, i);
        if (!option || !option->name || std::strcmp(option->name, SANE_NAME_SCAN_RESOLUTION) != 0)
            continue;
        SANE_Word word = 0;
        if (sane_control_option(handle_, i, SANE_ACTION_GET_VALUE, &word, nullptr) !=
            SANE_STATUS_GOOD)
            break;
        return option->type == SANE_TYPE_FIXED ? SANE_UNFIX(word) : word;
    }
    return 200;
}

void SaneSource::beginRun(Feed feed, std::optional<double> pageLength) {
    const QString source = feed == Feed::CardSlot ? cardSource_ : feederSource_;
    if (!source.isEmpty())
        setOption(QLatin1String(SANE_NAME_SCAN_SOURCE), source, true);
    // The scan area ends at the page length, where the device lets it be set.
    if (pageLength)
        setOption(QLatin1String(SANE_NAME_SCAN_BR_Y), QString::number(*pageLength * 25.4), false);
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
}
