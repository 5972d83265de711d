// The SANE entry points of the lindhollow backend, under the names SANE's dll backend looks up.

#include "Config.h"
#include "Device.h"

#include <sane/sane.h>
#include <sys/stat.h>

#include <list>
#include <string>
#include <vector>

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// What sane_get_devices last listed; it stays valid until the next call or sane_exit.
struct DeviceList {
    std::list<std::string> names;
    std::vector<SANE_Device> devices;
    std::vector<const SANE_Device*> pointers;
};
DeviceList* listed = nullptr;

bool isFolder(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

Device* device(SANE_Handle handle) {
    return static_cast<Device*>(handle);
}

}  // namespace

EXPORT SANE_Status sane_lindhollow_init(SANE_Int* version_code, SANE_Auth_Callback) {
    if (version_code)
        *version_code = SANE_VERSION_CODE(SANE_CURRENT_MAJOR, 0, 1);
    return SANE_STATUS_GOOD;
}

EXPORT void sane_lindhollow_exit() {
    delete listed;
    listed = nullptr;
}

EXPORT SANE_Status sane_lindhollow_get_devices(const SANE_Device*** device_list, SANE_Bool) {
    if (!device_list)
        return SANE_STATUS_INVAL;
    delete listed;
    listed = new DeviceList;
    for (const DeviceConfig& config : readConfig()) {
        const char* name = listed->names.emplace_back(config.name).c_str();
        listed->devices.push_back({name, "Lindhollow",
                                   config.imprinter ? "LH-7200 with imprinter" : "LH-7200",
                                   "sheetfed scanner"});
    }
    for (const SANE_Device& d : listed->devices)
        listed->pointers.push_back(&d);
    listed->pointers.push_back(nullptr);
    *device_list = listed->pointers.data();
    return SANE_STATUS_GOOD;
}

EXPORT SANE_Status sane_lindhollow_open(SANE_String_Const name, SANE_Handle* handle) {
    if (!handle)
        return SANE_STATUS_INVAL;
    const std::optional<DeviceConfig> config = findDevice(name ? name : "");
    if (!config)
        return SANE_STATUS_INVAL;
    if (!isFolder(config->feeder) || !isFolder(config->tray))
        return SANE_STATUS_IO_ERROR;  // switched off
    *handle = new Device(*config);
    return SANE_STATUS_GOOD;
}

EXPORT void sane_lindhollow_close(SANE_Handle handle) {
    delete device(handle);
}

EXPORT const SANE_Option_Descriptor* sane_lindhollow_get_option_descriptor(SANE_Handle handle,
                                                                           SANE_Int option) {
    return device(handle)->options().descriptor(option);
}

EXPORT SANE_Status sane_lindhollow_control_option(SANE_Handle handle, SANE_Int option,
                                                  SANE_Action action, void* value, SANE_Int* info) {
    return device(handle)->control(option, action, value, info);
}

EXPORT SANE_Status sane_lindhollow_get_parameters(SANE_Handle handle, SANE_Parameters* params) {
    return device(handle)->parameters(params);
}

EXPORT SANE_Status sane_lindhollow_start(SANE_Handle handle) {
    return device(handle)->start();
}

EXPORT SANE_Status sane_lindhollow_read(SANE_Handle handle, SANE_Byte* data, SANE_Int max_length,
                                        SANE_Int* length) {
    return device(handle)->read(data, max_length, length);
}

EXPORT void sane_lindhollow_cancel(SANE_Handle handle) {
    device(handle)->cancel();
}

EXPORT SANE_Status sane_lindhollow_set_io_mode(SANE_Handle, SANE_Bool non_blocking) {
    return non_blocking ? SANE_STATUS_UNSUPPORTED : SANE_STATUS_GOOD;
}

EXPORT SANE_Status sane_lindhollow_get_select_fd(SANE_Handle, SANE_Int*) {
    return SANE_STATUS_UNSUPPORTED;
}
