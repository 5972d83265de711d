#include "Config.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::vector<std::string> configFolders() {
    const char* env = std::getenv("SANE_CONFIG_DIR");
    std::string dirs = env ? env : "";
    if (dirs.empty() || dirs.back() == ':')
        dirs += "/etc/sane.d";
    std::vector<std::string> folders;
    std::stringstream list(dirs);
    for (std::string folder; std::getline(list, folder, ':');)
        if (!folder.empty())
            folders.push_back(folder);
    return folders;
}

std::optional<DeviceConfig> parseLine(const std::string& line) {
    std::istringstream words(line);
    std::string keyword;
    DeviceConfig device;
    if (!(words >> keyword >> device.name) || keyword != "device")
        return std::nullopt;
    for (std::string word; words >> word;) {
        const size_t equals = word.find('=');
        if (equals == std::string::npos)
            return std::nullopt;
        const std::string key = word.substr(0, equals), value = word.substr(equals + 1);
        if (key == "feeder")
            device.feeder = value;
        else if (key == "tray")
            device.tray = value;
        else if (key == "ink")
            device.ink = std::atoi(value.c_str());
        else if (key == "imprinter")
            device.imprinter = value != "no";
        else if (key == "log")
            device.log = value;
        else
            return std::nullopt;
    }
    if (device.feeder.empty() || device.tray.empty())
        return std::nullopt;
    return device;
}

}  // namespace

std::vector<DeviceConfig> readConfig() {
    for (const std::string& folder : configFolders()) {
        std::ifstream file(folder + "/lindhollow.conf");
        if (!file)
            continue;
        std::vector<DeviceConfig> devices;
        for (std::string line; std::getline(file, line);)
            if (const auto device = parseLine(line))
                devices.push_back(*device);
        return devices;
    }
    return {};
}

std::optional<DeviceConfig> findDevice(const std::string& name) {
    for (const DeviceConfig& device : readConfig())
        if (name.empty() || device.name == name)
            return device;
    return std::nullopt;
}
