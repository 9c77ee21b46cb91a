// Fuzz target: the printer defaults file, read for devices, ports and settings,
// and rewritten with the default device as the printer dialogs' save does.
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "xp/xp.h"

namespace {

void ignore_report(int, int) {}

void read_devices(const std::string& path, int other)
{
    XpDevice_t** devices = nullptr;
    int default_index = 0;
    int count = XpGetDevices(&devices, other, &default_index, path.c_str());
    if (count > 0 && other == 0) {
        XpAlwaysGetPrinterInfoWithName(devices[0]->model.c_str(), devices[0]->driver.c_str(),
                                       devices[0]->port ? devices[0]->port->port.c_str() : "FILE:");
        XpWriteDefaultDevice(devices[default_index >= 0 && default_index < count ? default_index : 0],
                             path.c_str());
    }
    XpFreeDeviceArray(devices, count);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    XpSetErrorHandler(ignore_report);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string path = fuzz_write("xprinter.ini", data, size);
    XpPort_t** ports = nullptr;
    int count = XpGetPorts(&ports, path.c_str());
    const char* command = nullptr;
    for (int i = 0; i < count; ++i)
        XpGetPrinterCommand(ports[i]->port.c_str(), ports, count, &command);
    XpFreePortArray(ports, count);
    read_devices(path, 1);
    read_devices(path, 0);
    return 0;
}
