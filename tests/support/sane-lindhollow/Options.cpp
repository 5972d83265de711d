#include "Options.h"

#include <sane/saneopts.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace {

const SANE_String_Const kSources[] = {"ADF Front", "ADF Duplex", nullptr};
const SANE_String_Const kModes[] = {SANE_VALUE_SCAN_MODE_LINEART, SANE_VALUE_SCAN_MODE_GRAY,
                                    nullptr};
const SANE_String_Const kFonts[] = {"Horizontal", "Horizontal bold", nullptr};
const SANE_String_Const kDirections[] = {"Top to bottom", "Bottom to top", nullptr};
const SANE_String_Const kSides[] = {"Front", "Back", nullptr};
const SANE_Word kResolutions[] = {4, 100, 150, 200, 300};
const SANE_Word kCounterWidths[] = {2, 16, 24};
const SANE_Range kPageHeights = {SANE_FIX(50), SANE_FIX(457.2), 0};  // up to 18 inches
const SANE_Range kSteps = {-2, 2, 1};
const SANE_Range kPercent = {0, 100, 1};
constexpr SANE_Int kEndorserStringSize = 81;

constexpr SANE_Int kSettable = SANE_CAP_SOFT_SELECT | SANE_CAP_SOFT_DETECT;
constexpr SANE_Int kSensor = SANE_CAP_SOFT_DETECT | SANE_CAP_HARD_SELECT;

SANE_Option_Descriptor group(const char* title) {
    SANE_Option_Descriptor d{};
    d.name = "";
    d.title = title;
    d.desc = "";
    d.type = SANE_TYPE_GROUP;
    return d;
}

SANE_Option_Descriptor option(const char* name, const char* title, const char* desc,
                              SANE_Value_Type type, SANE_Unit unit, SANE_Int cap) {
    SANE_Option_Descriptor d{};
    d.name = name;
    d.title = title;
    d.desc = desc;
    d.type = type;
    d.unit = unit;
    d.size = sizeof(SANE_Word);
    d.cap = cap;
    return d;
}

SANE_Option_Descriptor listed(SANE_Option_Descriptor d, const SANE_String_Const* list) {
    d.size = 0;
    for (const SANE_String_Const* s = list; *s; ++s)
        d.size = std::max<SANE_Int>(d.size, SANE_Int(std::strlen(*s)) + 1);
    d.constraint_type = SANE_CONSTRAINT_STRING_LIST;
    d.constraint.string_list = list;
    return d;
}

SANE_Option_Descriptor ranged(SANE_Option_Descriptor d, const SANE_Range* range) {
    d.constraint_type = SANE_CONSTRAINT_RANGE;
    d.constraint.range = range;
    return d;
}

SANE_Option_Descriptor sized(SANE_Option_Descriptor d, SANE_Int size) {
    d.size = size;
    return d;
}

SANE_Option_Descriptor wordListed(SANE_Option_Descriptor d, const SANE_Word* list) {
    d.constraint_type = SANE_CONSTRAINT_WORD_LIST;
    d.constraint.word_list = list;
    return d;
}

template <class Values>
auto textOf(Values& v, OptionId id) -> decltype(&v.source) {
    switch (id) {
        case OptionId::Source:
            return &v.source;
        case OptionId::Mode:
            return &v.mode;
        case OptionId::EndorserFont:
            return &v.font;
        case OptionId::EndorserDir:
            return &v.dir;
        case OptionId::EndorserSide:
            return &v.side;
        case OptionId::EndorserString:
            return &v.string;
        default:
            return nullptr;
    }
}

template <class Values>
auto wordOf(Values& v, OptionId id) -> decltype(&v.resolution) {
    switch (id) {
        case OptionId::Resolution:
            return &v.resolution;
        case OptionId::PageHeight:
            return &v.pageHeight;
        case OptionId::Endorser:
            return &v.endorser;
        case OptionId::EndorserBits:
            return &v.bits;
        case OptionId::EndorserVal:
            return &v.val;
        case OptionId::EndorserStep:
            return &v.step;
        case OptionId::EndorserY:
            return &v.y;
        case OptionId::InkLow:
            return &v.inkLow;
        case OptionId::InkRemain:
            return &v.inkRemain;
        case OptionId::DoubleFeed:
            return &v.doubleFeed;
        default:
            return nullptr;
    }
}

}  // namespace

OptionSet::OptionSet(bool imprinter, int ink, std::string log)
    : imprinter_(imprinter), log_(std::move(log)) {
    values.inkRemain = std::clamp(ink, 0, 100);
    values.inkLow = values.inkRemain <= 10 ? SANE_TRUE : SANE_FALSE;
    describe();
}

// Fills the descriptors afresh, in new storage.
void OptionSet::describe() {
    counterRange_ = {0, SANE_Int((1u << values.bits) - 1), 1};
    yRange_ = {0, values.pageHeight, 0};
    const SANE_Int endorserCap = kSettable | (values.endorser ? 0 : SANE_CAP_INACTIVE);
    std::vector<std::pair<OptionId, SANE_Option_Descriptor>> all = {
        {OptionId::Count, option("", SANE_TITLE_NUM_OPTIONS, SANE_DESC_NUM_OPTIONS, SANE_TYPE_INT,
                                 SANE_UNIT_NONE, SANE_CAP_SOFT_DETECT)},
        {OptionId::ScanGroup, group("Scan mode")},
        {OptionId::Source,
         listed(option(SANE_NAME_SCAN_SOURCE, SANE_TITLE_SCAN_SOURCE, SANE_DESC_SCAN_SOURCE,
                       SANE_TYPE_STRING, SANE_UNIT_NONE, kSettable),
                kSources)},
        {OptionId::Mode,
         listed(option(SANE_NAME_SCAN_MODE, SANE_TITLE_SCAN_MODE, SANE_DESC_SCAN_MODE,
                       SANE_TYPE_STRING, SANE_UNIT_NONE, kSettable),
                kModes)},
        {OptionId::Resolution,
         wordListed(option(SANE_NAME_SCAN_RESOLUTION, SANE_TITLE_SCAN_RESOLUTION,
                           SANE_DESC_SCAN_RESOLUTION, SANE_TYPE_INT, SANE_UNIT_DPI, kSettable),
                    kResolutions)},
        {OptionId::PageHeight,
         ranged(option("page-height", "Page height", "Length of the sheets in the feeder.",
                       SANE_TYPE_FIXED, SANE_UNIT_MM, kSettable),
                &kPageHeights)},
    };
    if (imprinter_) {
        const std::vector<std::pair<OptionId, SANE_Option_Descriptor>> endorser = {
            {OptionId::EndorserGroup, group("Endorser")},
            {OptionId::Endorser, option("endorser", "Endorser", "Print on each sheet as it is fed.",
                                        SANE_TYPE_BOOL, SANE_UNIT_NONE, kSettable)},
            {OptionId::EndorserBits,
             wordListed(option("endorser-bits", "Endorser bits", "Width of the endorser's counter.",
                               SANE_TYPE_INT, SANE_UNIT_NONE, endorserCap),
                        kCounterWidths)},
            {OptionId::EndorserVal,
             ranged(option("endorser-val", "Endorser value", "Counter value of the next sheet.",
                           SANE_TYPE_INT, SANE_UNIT_NONE, endorserCap),
                    &counterRange_)},
            {OptionId::EndorserStep, ranged(option("endorser-step", "Endorser step",
                                                   "Added to the counter after each sheet.",
                                                   SANE_TYPE_INT, SANE_UNIT_NONE, endorserCap),
                                            &kSteps)},
            {OptionId::EndorserY,
             ranged(option("endorser-y", "Endorser Y", "Print position from the top of the sheet.",
                           SANE_TYPE_FIXED, SANE_UNIT_MM, endorserCap),
                    &yRange_)},
            {OptionId::EndorserFont,
             listed(option("endorser-font", "Endorser font", "Characters of the imprint.",
                           SANE_TYPE_STRING, SANE_UNIT_NONE, endorserCap),
                    kFonts)},
            {OptionId::EndorserDir,
             listed(option("endorser-dir", "Endorser direction", "Direction of the imprint.",
                           SANE_TYPE_STRING, SANE_UNIT_NONE, endorserCap),
                    kDirections)},
            {OptionId::EndorserSide,
             listed(option("endorser-side", "Endorser side", "Side of the sheet printed on.",
                           SANE_TYPE_STRING, SANE_UNIT_NONE, endorserCap),
                    kSides)},
            {OptionId::EndorserString,
             sized(option("endorser-string", "Endorser string",
                          "Text printed on each sheet; %05ud is the counter in five digits.",
                          SANE_TYPE_STRING, SANE_UNIT_NONE, endorserCap),
                   kEndorserStringSize)},
            {OptionId::SensorGroup, group("Sensors")},
            {OptionId::InkLow, option("ink-low", "Ink low", "The imprinter's ink runs low.",
                                      SANE_TYPE_BOOL, SANE_UNIT_NONE, kSensor)},
            {OptionId::InkRemain,
             ranged(option("ink-remain", "Ink remaining", "The imprinter's ink left.",
                           SANE_TYPE_INT, SANE_UNIT_PERCENT, kSensor),
                    &kPercent)},
        };
        all.insert(all.end(), endorser.begin(), endorser.end());
    } else {
        all.push_back({OptionId::SensorGroup, group("Sensors")});
    }
    all.push_back({OptionId::DoubleFeed,
                   option("double-feed", "Double feed", "More than one sheet was fed at once.",
                          SANE_TYPE_BOOL, SANE_UNIT_NONE, kSensor)});
    ids_.clear();
    std::vector<SANE_Option_Descriptor> descriptors;
    for (const auto& [id, descriptor] : all) {
        ids_.push_back(id);
        descriptors.push_back(descriptor);
    }
    descriptors_.swap(descriptors);
}

const SANE_Option_Descriptor* OptionSet::descriptor(SANE_Int index) const {
    return index >= 0 && index < count() ? &descriptors_[size_t(index)] : nullptr;
}

SANE_Status OptionSet::control(SANE_Int index, SANE_Action action, void* value, SANE_Int* info) {
    if (info)
        *info = 0;
    if (index < 0 || index >= count() || !value)
        return SANE_STATUS_INVAL;
    const SANE_Option_Descriptor& option = descriptors_[size_t(index)];
    const OptionId id = ids_[size_t(index)];
    if (option.type == SANE_TYPE_GROUP)
        return SANE_STATUS_INVAL;
    if (action == SANE_ACTION_GET_VALUE) {
        if (id == OptionId::Count)
            *static_cast<SANE_Int*>(value) = count();
        else
            get(id, option, value);
        return SANE_STATUS_GOOD;
    }
    if (action != SANE_ACTION_SET_VALUE || !SANE_OPTION_IS_SETTABLE(option.cap) ||
        !SANE_OPTION_IS_ACTIVE(option.cap))
        return SANE_STATUS_INVAL;
    return set(id, option, value, info);
}

void OptionSet::get(OptionId id, const SANE_Option_Descriptor& option, void* value) const {
    if (const std::string* text = textOf(values, id)) {
        std::strncpy(static_cast<char*>(value), text->c_str(), size_t(option.size) - 1);
        static_cast<char*>(value)[option.size - 1] = '\0';
    } else if (const SANE_Word* word = wordOf(values, id)) {
        *static_cast<SANE_Word*>(value) = *word;
    }
}

SANE_Status OptionSet::set(OptionId id, const SANE_Option_Descriptor& option, void* value,
                           SANE_Int* info) {
    SANE_Int changed = 0;
    if (std::string* text = textOf(values, id)) {
        const char* given = static_cast<const char*>(value);
        const size_t length = strnlen(given, size_t(option.size));
        if (option.constraint_type == SANE_CONSTRAINT_STRING_LIST) {
            const SANE_String_Const* s = option.constraint.string_list;
            while (*s && std::strcmp(*s, given) != 0)
                ++s;
            if (!*s)
                return SANE_STATUS_INVAL;
        } else if (length >= size_t(option.size)) {
            changed |= SANE_INFO_INEXACT;  // cut to the option's size
        }
        *text = std::string(given, std::min(length, size_t(option.size) - 1));
    } else {
        SANE_Word word = *static_cast<const SANE_Word*>(value);
        const SANE_Word asked = word;
        if (option.type == SANE_TYPE_BOOL && word != SANE_TRUE && word != SANE_FALSE)
            return SANE_STATUS_INVAL;
        if (option.constraint_type == SANE_CONSTRAINT_RANGE)
            word = std::clamp(word, option.constraint.range->min, option.constraint.range->max);
        if (option.constraint_type == SANE_CONSTRAINT_WORD_LIST) {
            const SANE_Word* list = option.constraint.word_list;
            SANE_Word nearest = list[1];
            for (SANE_Word i = 1; i <= list[0]; ++i)
                if (std::abs(list[i] - asked) < std::abs(nearest - asked))
                    nearest = list[i];
            word = nearest;
        }
        if (word != asked)
            changed |= SANE_INFO_INEXACT;
        *wordOf(values, id) = word;
    }
    logSet(option, id);
    switch (id) {
        case OptionId::Endorser:
            changed |= SANE_INFO_RELOAD_OPTIONS;
            break;
        case OptionId::EndorserBits:
            values.val = std::min<SANE_Int>(values.val, SANE_Int((1u << values.bits) - 1));
            changed |= SANE_INFO_RELOAD_OPTIONS;
            break;
        case OptionId::PageHeight:
            values.y = std::min(values.y, values.pageHeight);
            changed |= SANE_INFO_RELOAD_OPTIONS | SANE_INFO_RELOAD_PARAMS;
            break;
        case OptionId::Source:
        case OptionId::Mode:
        case OptionId::Resolution:
            changed |= SANE_INFO_RELOAD_PARAMS;
            break;
        default:
            break;
    }
    if (changed & SANE_INFO_RELOAD_OPTIONS)
        describe();
    if (info)
        *info = changed;
    return SANE_STATUS_GOOD;
}

void OptionSet::logSet(const SANE_Option_Descriptor& option, OptionId id) const {
    if (log_.empty())
        return;
    std::ofstream log(log_, std::ios::app);
    log << option.name << '=';
    if (const std::string* text = textOf(values, id))
        log << *text;
    else if (option.type == SANE_TYPE_FIXED)
        log << SANE_UNFIX(*wordOf(values, id));
    else if (option.type == SANE_TYPE_BOOL)
        log << (*wordOf(values, id) ? "yes" : "no");
    else
        log << *wordOf(values, id);
    log << '\n';
}
