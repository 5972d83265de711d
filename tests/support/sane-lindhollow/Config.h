#pragma once

#include <optional>
#include <string>
#include <vector>

// One emulated scanner, as a line of lindhollow.conf names it:
//   device NAME feeder=FOLDER tray=FOLDER [ink=PERCENT] [imprinter=no] [log=FILE]
// Sheets are taken from the feeder folder and moved to the tray once fed.
struct DeviceConfig {
    std::string name;
    std::string feeder;
    std::string tray;
    int ink = 100;          // the imprinter's ink left, in percent
    bool imprinter = true;  // the scanner has an imprinter and its options
    std::string log;        // every option set is appended here as name=value, when named
};

// lindhollow.conf from the folders of SANE_CONFIG_DIR (a trailing colon adds /etc/sane.d), or
// from /etc/sane.d. Lines that cannot be read are skipped.
std::vector<DeviceConfig> readConfig();

// The named device; the first when the name is empty.
std::optional<DeviceConfig> findDevice(const std::string& name);
