#include "Device.h"

#include "Imprinter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

int pixels(double millimetres, int dpi) {
    return int(std::lround(millimetres * dpi / 25.4));
}

}  // namespace

Device::Device(const DeviceConfig& config)
    : config_(config), options_(config.imprinter, config.ink, config.log) {}

SANE_Status Device::control(SANE_Int index, SANE_Action action, void* value, SANE_Int* info) {
    if (gone_)
        return SANE_STATUS_IO_ERROR;
    const SANE_Status status = options_.control(index, action, value, info);
    // The counter starts again from a value set, and is cut to a narrower width.
    if (status == SANE_STATUS_GOOD && action == SANE_ACTION_SET_VALUE &&
        (options_.id(index) == OptionId::EndorserVal ||
         options_.id(index) == OptionId::EndorserBits))
        counter_ = std::uint32_t(options_.values.val);
    return status;
}

SANE_Status Device::parameters(SANE_Parameters* parameters) const {
    if (!parameters)
        return SANE_STATUS_INVAL;
    if (scanning_) {
        *parameters = parameters_;
        return SANE_STATUS_GOOD;
    }
    const OptionValues& v = options_.values;
    const bool lineart = v.mode == SANE_VALUE_SCAN_MODE_LINEART;
    *parameters = {};
    parameters->format = SANE_FRAME_GRAY;
    parameters->last_frame = SANE_TRUE;
    parameters->pixels_per_line = pixels(215.9, v.resolution);  // a letter-wide sheet
    parameters->lines = pixels(SANE_UNFIX(v.pageHeight), v.resolution);
    parameters->depth = lineart ? 1 : 8;
    parameters->bytes_per_line =
        lineart ? (parameters->pixels_per_line + 7) / 8 : parameters->pixels_per_line;
    return SANE_STATUS_GOOD;
}

void Device::clearPaperPath() {
    // A sheet whose front has been read has passed the scanner; one stopped half way is put
    // back into the feeder by the operator.
    if (sheet_ && side_ == 1 && !scanning_) {
        sheet_->moveTo(config_.tray);
        counter_ = (sheetCounter_ + std::uint32_t(options_.values.step)) & counterMask();
    }
    sheet_.reset();
    side_ = 0;
    scanning_ = false;
}

SANE_Status Device::start() {
    if (gone_)
        return SANE_STATUS_IO_ERROR;
    if (cancelled_.exchange(false))
        clearPaperPath();
    if (scanning_)
        return SANE_STATUS_DEVICE_BUSY;
    if (!sheet_) {
        sheet_ = nextSheet(config_.feeder);
        if (!sheet_)
            return SANE_STATUS_NO_DOCS;
        options_.values.doubleFeed = SANE_FALSE;
        fault_ = sheet_->takeFault();
        if (fault_ == Fault::CoverOpen) {
            sheet_.reset();
            return SANE_STATUS_COVER_OPEN;
        }
        side_ = 0;
        sheetCounter_ = counter_ & counterMask();
    }
    std::optional<GrayImage> side = sheet_->side(side_);
    if (!side && side_ == 0) {  // paper that cannot pass
        sheet_.reset();
        return SANE_STATUS_JAMMED;
    }
    if (!side) {  // a sheet printed on one side: its back is blank
        GrayImage front = *sheet_->side(0);
        std::fill(front.pixels.begin(), front.pixels.end(), 255);
        side = std::move(front);
    }
    frame_ = frame(*side, side_);
    position_ = 0;
    faultAt_ = fault_ != Fault::None && side_ == 0 ? frame_.size() / 2 : frame_.size() + 1;
    scanning_ = true;
    return SANE_STATUS_GOOD;
}

std::vector<std::uint8_t> Device::frame(const GrayImage& side, int sideIndex) {
    const OptionValues& v = options_.values;
    const int dpi = v.resolution;
    GrayImage page{int(std::lround(side.width * dpi / side.dpi)),
                   pixels(SANE_UNFIX(v.pageHeight), dpi),
                   double(dpi),
                   {}};
    page.pixels.resize(size_t(page.width) * page.height, 255);
    if (side.dpi == dpi) {  // the sheet's own resolution: its lines as they are
        for (int y = 0; y < std::min(page.height, side.height); ++y)
            std::copy_n(side.pixels.begin() + long(y) * side.width, page.width,
                        page.pixels.begin() + long(y) * page.width);
    }
    for (int y = 0; y < page.height && side.dpi != dpi; ++y) {
        const int sy = int((y + 0.5) * side.dpi / dpi);
        if (sy >= side.height)
            break;
        for (int x = 0; x < page.width; ++x)
            page.pixels[size_t(y) * page.width + x] =
                side.at(std::min(side.width - 1, int((x + 0.5) * side.dpi / dpi)), sy);
    }
    if (v.endorser && (v.side == "Back") == (sideIndex == 1))
        printOnto(page, imprintText(v.string, sheetCounter_),
                  {.top = SANE_UNFIX(v.y),
                   .dot = v.font == "Horizontal bold" ? 0.381 : 0.254,
                   .bottomToTop = v.dir == "Bottom to top"});

    const bool lineart = v.mode == SANE_VALUE_SCAN_MODE_LINEART;
    parameters_ = {SANE_FRAME_GRAY, SANE_TRUE,   lineart ? (page.width + 7) / 8 : page.width,
                   page.width,      page.height, lineart ? 1 : 8};
    if (!lineart)
        return page.pixels;
    std::vector<std::uint8_t> bits(size_t(parameters_.bytes_per_line) * page.height, 0);
    for (int y = 0; y < page.height; ++y)
        for (int x = 0; x < page.width; ++x)
            if (page.at(x, y) < 128)  // SANE's lineart: 1 is black
                bits[size_t(y) * parameters_.bytes_per_line + x / 8] |= 0x80 >> (x % 8);
    return bits;
}

SANE_Status Device::read(SANE_Byte* data, SANE_Int maxLength, SANE_Int* length) {
    if (length)
        *length = 0;
    if (!data || !length || maxLength < 0)
        return SANE_STATUS_INVAL;
    if (gone_)
        return SANE_STATUS_IO_ERROR;
    if (cancelled_)
        return SANE_STATUS_CANCELLED;
    if (!scanning_)
        return SANE_STATUS_EOF;
    if (position_ >= faultAt_) {
        scanning_ = false;
        if (fault_ == Fault::DeviceGone) {
            gone_ = true;
            return SANE_STATUS_IO_ERROR;
        }
        options_.values.doubleFeed = fault_ == Fault::DoubleFeed ? SANE_TRUE : SANE_FALSE;
        sheet_.reset();  // stays in the feeder
        side_ = 0;
        return SANE_STATUS_JAMMED;
    }
    if (position_ == frame_.size()) {
        scanning_ = false;
        if (duplex() && side_ == 0) {
            side_ = 1;
        } else {
            sheet_->moveTo(config_.tray);
            sheet_.reset();
            side_ = 0;
            counter_ = (sheetCounter_ + std::uint32_t(options_.values.step)) & counterMask();
        }
        return SANE_STATUS_EOF;
    }
    const size_t n = std::min({size_t(maxLength), frame_.size() - position_, faultAt_ - position_});
    std::memcpy(data, frame_.data() + position_, n);
    position_ += n;
    *length = SANE_Int(n);
    return SANE_STATUS_GOOD;
}
