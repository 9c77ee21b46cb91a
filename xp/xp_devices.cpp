// Installed printers and ports: read from the devices, other-devices, ports
// and windows sections into arrays of records, and written back.
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "xp/xp.h"
#include "xp/xp_internal.h"

using xp_internal::DEVICES_SECTION;
using xp_internal::FILE_PORT;
using xp_internal::same_text;
using xp_internal::trimmed;

namespace {

const char* const WINDOWS_SECTION = "windows";
const char* const DEFAULT_KEY = "device";
const char* const OTHER_DEVICES_SECTION = "other-devices";
const char* const PORTS_SECTION = "ports";
// The windows default is read into a buffer of this size.
const int DEFAULT_ENTRY_SIZE = 256;

// Appends a copy of record to the malloc'd array of count pointers; running
// out of memory ends the program. 0, or -1 after a report on bad arguments.
template <typename Record>
int append_record(const char* function, Record*** array, int* count, const Record* record)
{
    if (array == nullptr || count == nullptr || record == nullptr || *count < 0) {
        XpError(eIllegalArg, function);
        return -1;
    }
    void* grown = std::realloc(*array, (static_cast<size_t>(*count) + 1) * sizeof(Record*));
    if (grown == nullptr)
        xp_internal::out_of_memory(function, 1);
    *array = static_cast<Record**>(grown);
    Record* copy = new (std::nothrow) Record(*record);
    if (copy == nullptr)
        xp_internal::out_of_memory(function, 1);
    (*array)[(*count)++] = copy;
    return 0;
}

// Frees the record at index and closes the gap. 0, or -1 after a report.
template <typename Record>
int delete_record(const char* function, Record*** array, int* count, int index)
{
    if (array == nullptr || *array == nullptr || count == nullptr || index < 0 || index >= *count) {
        XpError(eIllegalArg, function);
        return -1;
    }
    delete (*array)[index];
    for (int i = index + 1; i < *count; ++i)
        (*array)[i - 1] = (*array)[i];
    --*count;
    return 0;
}

template <typename Record>
void free_records(Record** array, int count)
{
    if (count < 0)
        return;
    for (int i = 0; i < count; ++i)
        delete array[i];
    std::free(array);
}

// The port a device prints to; "FILE:" when it has no port record.
std::string port_name(const XpDevice_t& device)
{
    return device.port ? device.port->port : FILE_PORT;
}

// Splits the windows default model "," driver "," port into *entry (alias
// left empty); false when a part is missing.
bool split_default_entry(std::string_view text, xp_internal::device_entry* entry)
{
    std::string_view parts[3];
    for (int i = 0; i < 3; ++i) {
        size_t comma = i < 2 ? text.find(',') : text.size();
        if (comma == std::string_view::npos)
            return false;
        parts[i] = trimmed(text.substr(0, comma));
        if (parts[i].empty())
            return false;
        text.remove_prefix(i < 2 ? comma + 1 : text.size());
    }
    entry->model = parts[0];
    entry->driver = parts[1];
    entry->port = parts[2];
    return true;
}

// The windows default of file, false when it is missing or incomplete.
bool read_default_entry(const char* file, xp_internal::device_entry* entry)
{
    char value[DEFAULT_ENTRY_SIZE];
    return _XpGetPrivateProfileString(WINDOWS_SECTION, DEFAULT_KEY, "", value, sizeof value, file) > 0 &&
           split_default_entry(value, entry);
}

// A device record for entry, its port's command taken from ports and, for
// installed printers (not other), its settings from file.
XpDevice_t make_device(const xp_internal::device_entry& entry, XpPort_t* const* ports,
                       int port_count, bool other, const char* file)
{
    XpDevice_t device;
    device.alias = entry.alias;
    device.model = entry.model;
    device.driver = entry.driver;
    XpPort_t port{entry.port, std::nullopt};
    const char* command = nullptr;
    if (XpGetPrinterCommand(entry.port.c_str(), ports, port_count, &command))
        port.command = command;
    device.port = port;
    if (!other) {
        std::unique_ptr<Xpinfo_t> info =
            xp_internal::printer_info(entry.model.c_str(), entry.driver.c_str(), entry.port.c_str(), file);
        if (info)
            device.info = *info;
    }
    XpResetDisplayString(&device);
    return device;
}

bool is_default(const XpDevice_t& device, const xp_internal::device_entry& wanted)
{
    return same_text(device.model, wanted.model) && same_text(device.driver, wanted.driver) &&
           same_text(port_name(device), wanted.port);
}

}  // namespace

namespace xp_internal {

// The model is everything before the last blank ahead of the first ",", so
// that a model name may itself hold blanks.
bool split_device_entry(std::string_view line, device_entry* entry)
{
    size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return false;
    std::string_view rest = line.substr(equals + 1);
    size_t comma = rest.find(',');
    if (comma == std::string_view::npos)
        return false;
    std::string_view model_and_driver = trimmed(rest.substr(0, comma));
    size_t blank = model_and_driver.find_last_of(" \t");
    if (blank == std::string_view::npos)
        return false;
    std::string_view ports = rest.substr(comma + 1);
    entry->alias = trimmed(line.substr(0, equals));
    entry->model = trimmed(model_and_driver.substr(0, blank));
    entry->driver = trimmed(model_and_driver.substr(blank + 1));
    entry->port = trimmed(ports.substr(0, ports.find(',')));
    return !entry->alias.empty() && !entry->model.empty() && !entry->driver.empty() &&
           !entry->port.empty();
}

}  // namespace xp_internal

// A missing or incomplete windows default is treated as one that matches no
// device: the printers are still listed, with the first as the default.
int XpGetDevices(XpDevice_t*** devices, int other, int* default_index, const char* file)
{
    const char* function = "XpGetDevices";
    if (default_index != nullptr)
        *default_index = -1;
    if (devices == nullptr || file == nullptr) {
        XpError(eIllegalArg, function);
        return -1;
    }
    *devices = nullptr;
    xp_internal::device_entry wanted;
    bool has_default = !other && read_default_entry(file, &wanted);
    XpPort_t** ports = nullptr;
    int port_count = XpGetPorts(&ports, file);
    int line_count = 0;
    std::unique_ptr<std::string[]> lines =
        _XpGetPrivateProfileSection(other ? OTHER_DEVICES_SECTION : DEVICES_SECTION, &line_count, file);
    if (!lines) {
        XpFreePortArray(ports, port_count);
        XpError(eOpenFile, function, file);
        return -1;
    }
    int count = 0;
    int found_default = -1;
    for (int i = 0; i < line_count; ++i) {
        xp_internal::device_entry entry;
        if (!xp_internal::split_device_entry(lines[i], &entry)) {
            XpFreePortArray(ports, port_count);
            XpFreeDeviceArray(*devices, count);
            *devices = nullptr;
            return -1;
        }
        XpDevice_t device = make_device(entry, ports, port_count, other, file);
        if (has_default && found_default < 0 && is_default(device, wanted))
            found_default = count;
        XpAppendDeviceArrayElem(devices, &count, &device);
    }
    XpFreePortArray(ports, port_count);
    if (!other && found_default < 0) {
        if (count == 0)
            return -1;
        XpError(wNoDefault, function, file);
        found_default = 0;
    }
    if (count == 0)
        XpError(eBadXpdefaults, function, file);
    if (default_index != nullptr)
        *default_index = found_default;
    return count;
}

// The command is everything after the first "=", so that a command holding
// "=" is written back whole.
int XpGetPorts(XpPort_t*** ports, const char* file)
{
    int count = 0;
    if (ports == nullptr)
        return 0;
    *ports = nullptr;
    int line_count = 0;
    std::unique_ptr<std::string[]> lines = _XpGetPrivateProfileSection(PORTS_SECTION, &line_count, file);
    for (int i = 0; i < line_count; ++i) {
        std::string_view line = lines[i];
        size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        XpPort_t port{std::string(trimmed(line.substr(0, equals))),
                      std::string(trimmed(line.substr(equals + 1)))};
        if (!port.port.empty() && !port.command->empty())
            XpAppendPortArrayElem(ports, &count, &port);
    }
    return count;
}

int XpGetPrinterCommand(const char* port, XpPort_t* const* ports, int count, const char** command)
{
    if (port == nullptr || ports == nullptr)
        return 0;
    for (int i = 0; i < count; ++i)
        if (same_text(ports[i]->port, port)) {
            if (command != nullptr)
                *command = ports[i]->command ? ports[i]->command->c_str() : "";
            return 1;
        }
    return 0;
}

int XpAppendDeviceArrayElem(XpDevice_t*** devices, int* count, const XpDevice_t* device)
{
    return append_record("XpAppendDeviceArrayElem", devices, count, device);
}

int XpAppendPortArrayElem(XpPort_t*** ports, int* count, const XpPort_t* port)
{
    return append_record("XpAppendPortArrayElem", ports, count, port);
}

int XpDelDeviceArrayElem(XpDevice_t*** devices, int* count, int index)
{
    return delete_record("XpDelDeviceArrayElem", devices, count, index);
}

int XpDelPortArrayElem(XpPort_t*** ports, int* count, int index)
{
    return delete_record("XpDelPortArrayElem", ports, count, index);
}

void XpFreeDeviceArray(XpDevice_t** devices, int count)
{
    free_records(devices, count);
}

void XpFreePortArray(XpPort_t** ports, int count)
{
    free_records(ports, count);
}

void XpResetDisplayString(XpDevice_t* device)
{
    if (device == nullptr)
        return;
    std::string port = port_name(*device);
    device->file = same_text(port, FILE_PORT) ? 1 : 0;
    device->display = device->alias + " on " + (device->file ? FILE_PORT : port);
}

int XpWriteDeviceInformation(const XpDevice_t* const* devices, int count, const char* file)
{
    return XpWriteDeviceSection(devices, count, file) && XpWriteDefaultsForDeviceArray(devices, count, file)
               ? 1
               : 0;
}

// Ports first, so that every device appended finds its port's command.
int XpWriteDeviceSection(const XpDevice_t* const* devices, int count, const char* file)
{
    for (int i = 0; i < count; ++i) {
        const XpPort_t* port = devices[i]->port ? &*devices[i]->port : nullptr;
        if (port != nullptr && !XpWritePortSection(&port, 1, file))
            return 0;
    }
    for (int i = 0; i < count; ++i) {
        const XpDevice_t& device = *devices[i];
        std::string entry = device.model + " " + device.driver + "," + port_name(device);
        if (!_XpAppendPrivateProfileString(DEVICES_SECTION, device.alias.c_str(), entry.c_str(), file))
            return 0;
    }
    return 1;
}

// "FILE:" is written with an empty command; a port without one gets an
// empty command too rather than losing its entry.
int XpWritePortSection(const XpPort_t* const* ports, int count, const char* file)
{
    for (int i = 0; i < count; ++i) {
        const XpPort_t& port = *ports[i];
        const char* command = same_text(port.port, FILE_PORT) || !port.command ? "" : port.command->c_str();
        if (!_XpWritePrivateProfileString(PORTS_SECTION, port.port.c_str(), command, file))
            return 0;
    }
    return 1;
}

int XpWriteDefaultDevice(const XpDevice_t* device, const char* file)
{
    if (device == nullptr) {
        XpError(eIllegalArg, "XpWriteDefaultDevice");
        return 0;
    }
    std::string port = port_name(*device);
    std::string entry = device->model + "," + device->driver + "," + port;
    if (!_XpWritePrivateProfileString(WINDOWS_SECTION, DEFAULT_KEY, entry.c_str(), file))
        return 0;
    return XpWriteDefaultsForOneDevice(device->model.c_str(), device->driver.c_str(), port.c_str(),
                                       device->info ? &*device->info : nullptr, file);
}

int XpWriteDefaultsForDeviceArray(const XpDevice_t* const* devices, int count, const char* file)
{
    for (int i = 0; i < count; ++i) {
        const XpDevice_t& device = *devices[i];
        if (!XpWriteDefaultsForOneDevice(device.model.c_str(), device.driver.c_str(),
                                         port_name(device).c_str(), device.info ? &*device.info : nullptr,
                                         file))
            return 0;
    }
    return 1;
}
