// Installed printers and ports: read from the devices, other-devices, ports
// and windows sections into arrays of records, and written back, each call
// checked whole and then written in one replacement of the file.
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "xp/xp.h"
#include "xp/xp_internal.h"

using xp_internal::DEVICES_SECTION;
using xp_internal::FILE_PORT;
using xp_internal::profile;
using xp_internal::profile_edit;
using xp_internal::profile_entry;
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

// The windows default of the file, false when it is missing or incomplete.
bool read_default_entry(const xp_internal::profile& defaults, xp_internal::device_entry* entry)
{
    std::string_view value = defaults.value(WINDOWS_SECTION, DEFAULT_KEY).value_or("");
    return !value.empty() && split_default_entry(value.substr(0, DEFAULT_ENTRY_SIZE - 1), entry);
}

// A device record for entry, its port's command and, for installed printers
// (not other), its settings taken from settings.
XpDevice_t make_device(const xp_internal::device_entry& entry, const xp_internal::printer_settings& settings,
                       bool other)
{
    XpDevice_t device;
    device.alias = entry.alias;
    device.model = entry.model;
    device.driver = entry.driver;
    XpPort_t port{entry.port, std::nullopt};
    if (const std::string* command = settings.command(entry.port))
        port.command = *command;
    device.port = port;
    if (!other) {
        std::unique_ptr<Xpinfo_t> info =
            settings.info(entry.model.c_str(), entry.driver.c_str(), entry.port.c_str());
        if (info)
            device.info = *info;
    }
    XpResetDisplayString(&device);
    return device;
}

// A malloc'd array of new records, as the append functions make them,
// taking records' contents, in one allocation; running out of memory ends the
// program.
XpDevice_t** device_array(const char* function, std::vector<XpDevice_t>&& records)
{
    if (records.empty())
        return nullptr;
    auto array = static_cast<XpDevice_t**>(std::malloc(records.size() * sizeof(XpDevice_t*)));
    if (array == nullptr)
        xp_internal::out_of_memory(function, 1);
    for (size_t i = 0; i < records.size(); ++i) {
        array[i] = new (std::nothrow) XpDevice_t(std::move(records[i]));
        if (array[i] == nullptr)
            xp_internal::out_of_memory(function, 1);
    }
    return array;
}

// The ports entry of port: "FILE:" and a port without a command get an
// empty command rather than losing the entry.
profile_edit port_edit(const XpPort_t& port)
{
    std::string command = same_text(port.port, FILE_PORT) || !port.command ? "" : *port.command;
    return {PORTS_SECTION, port.port, command, false};
}

// True when parsed holds exactly the model, driver and port of device (and
// its alias, unless with_alias is false): what was written reads back.
bool reads_back(const xp_internal::device_entry& parsed, const XpDevice_t& device, bool with_alias)
{
    return (!with_alias || parsed.alias == device.alias) && parsed.model == device.model &&
           parsed.driver == device.driver && parsed.port == port_name(device);
}

// Adds the edits that write each device's port, then append each device to
// devices (ports first, so that every device finds its port's command).
// False when an entry would not read back as the same device.
bool device_section_edits(const XpDevice_t* const* devices, int count, std::vector<profile_edit>* edits)
{
    if (devices == nullptr && count > 0)
        return false;
    for (int i = 0; i < count; ++i)
        if (devices[i]->port)
            edits->push_back(port_edit(*devices[i]->port));
    for (int i = 0; i < count; ++i) {
        const XpDevice_t& device = *devices[i];
        std::string entry = device.model + " " + device.driver + "," + port_name(device);
        xp_internal::device_entry parsed;
        if (!xp_internal::split_device_entry(device.alias + "=" + entry, &parsed) || !reads_back(parsed, device, true))
            return false;
        edits->push_back({DEVICES_SECTION, device.alias, entry, true});
    }
    return true;
}

// Adds the edits of every device's settings section.
void settings_edits(const XpDevice_t* const* devices, int count, std::vector<profile_edit>* edits)
{
    for (int i = 0; i < count; ++i) {
        const XpDevice_t& device = *devices[i];
        xp_internal::settings_edits(device.model, device.driver, port_name(device),
                                    device.info ? &*device.info : nullptr, edits);
    }
}

// Adds the edits of the windows default entry for device and its settings;
// false when the entry would not read back as the same device.
bool default_device_edits(const XpDevice_t& device, std::vector<profile_edit>* edits)
{
    std::string port = port_name(device);
    std::string entry = device.model + "," + device.driver + "," + port;
    xp_internal::device_entry parsed;
    if (!split_default_entry(entry, &parsed) || !reads_back(parsed, device, false))
        return false;
    edits->push_back({WINDOWS_SECTION, std::string(DEFAULT_KEY), entry, false});
    xp_internal::settings_edits(device.model, device.driver, port, device.info ? &*device.info : nullptr, edits);
    return true;
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

// The command is everything after the first "=", so that a command holding
// "=" is written back whole.
std::vector<XpPort_t> read_ports(const profile& file)
{
    std::vector<XpPort_t> ports;
    for (const profile_entry& line : file.section(PORTS_SECTION)) {
        size_t equals = line.text.find('=');
        if (equals == std::string_view::npos)
            continue;
        XpPort_t port{std::string(trimmed(line.text.substr(0, equals))),
                      std::string(trimmed(line.text.substr(equals + 1)))};
        if (!port.port.empty() && !port.command->empty())
            ports.push_back(std::move(port));
    }
    return ports;
}

}  // namespace xp_internal

// A missing or incomplete windows default is treated as one that matches no
// device: the printers are still listed, with the first as the default. The
// file is read once and its sections indexed, so that thousands of printers
// take no longer than reading them.
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
    xp_internal::profile defaults;
    if (!defaults.read(function, file)) {
        XpError(eOpenFile, function, file);
        return -1;
    }
    if (defaults.bad_line() != 0)
        return -1;
    xp_internal::device_entry wanted;
    bool has_default = !other && read_default_entry(defaults, &wanted);
    xp_internal::printer_settings settings(defaults);
    std::vector<profile_entry> lines = defaults.section(other ? OTHER_DEVICES_SECTION : DEVICES_SECTION);
    std::vector<XpDevice_t> read;
    read.reserve(lines.size());
    int found_default = -1;
    for (const profile_entry& line : lines) {
        xp_internal::device_entry entry;
        if (!xp_internal::split_device_entry(line.text, &entry)) {
            XpError(eBadLine, function, static_cast<int>(line.number), file);
            return -1;
        }
        read.push_back(make_device(entry, settings, other));
        if (has_default && found_default < 0 && is_default(read.back(), wanted))
            found_default = static_cast<int>(read.size()) - 1;
    }
    int count = static_cast<int>(read.size());
    if (!other && found_default < 0) {
        if (count == 0)
            return -1;
        XpError(wNoDefault, function, file);
        found_default = 0;
    }
    if (count == 0)
        XpError(eBadXpdefaults, function, file);
    *devices = device_array(function, std::move(read));
    if (default_index != nullptr)
        *default_index = found_default;
    return count;
}

int XpGetPorts(XpPort_t*** ports, const char* file)
{
    int count = 0;
    if (ports == nullptr)
        return 0;
    *ports = nullptr;
    xp_internal::profile defaults;
    if (!defaults.read("XpGetPorts", file))
        return 0;
    for (const XpPort_t& port : xp_internal::read_ports(defaults))
        XpAppendPortArrayElem(ports, &count, &port);
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

// Writes the devices' ports and entries and every device's settings in one
// replacement of the file.
int XpWriteDeviceInformation(const XpDevice_t* const* devices, int count, const char* file)
{
    const char* function = "XpWriteDeviceInformation";
    std::vector<profile_edit> edits;
    if (!device_section_edits(devices, count, &edits)) {
        XpError(eIllegalArg, function);
        return 0;
    }
    settings_edits(devices, count, &edits);
    return xp_internal::edit_profile(function, edits, file);
}

int XpWriteDeviceSection(const XpDevice_t* const* devices, int count, const char* file)
{
    const char* function = "XpWriteDeviceSection";
    std::vector<profile_edit> edits;
    if (!device_section_edits(devices, count, &edits)) {
        XpError(eIllegalArg, function);
        return 0;
    }
    return xp_internal::edit_profile(function, edits, file);
}

int XpWritePortSection(const XpPort_t* const* ports, int count, const char* file)
{
    const char* function = "XpWritePortSection";
    if (ports == nullptr && count > 0) {
        XpError(eIllegalArg, function);
        return 0;
    }
    std::vector<profile_edit> edits;
    for (int i = 0; i < count; ++i)
        edits.push_back(port_edit(*ports[i]));
    return xp_internal::edit_profile(function, edits, file);
}

int XpWriteDefaultDevice(const XpDevice_t* device, const char* file)
{
    const char* function = "XpWriteDefaultDevice";
    std::vector<profile_edit> edits;
    if (device == nullptr || !default_device_edits(*device, &edits)) {
        XpError(eIllegalArg, function);
        return 0;
    }
    return xp_internal::edit_profile(function, edits, file);
}

int XpWriteDefaultsForDeviceArray(const XpDevice_t* const* devices, int count, const char* file)
{
    const char* function = "XpWriteDefaultsForDeviceArray";
    if (devices == nullptr && count > 0) {
        XpError(eIllegalArg, function);
        return 0;
    }
    std::vector<profile_edit> edits;
    settings_edits(devices, count, &edits);
    return xp_internal::edit_profile(function, edits, file);
}

int XpSaveDeviceInformation(const XpDevice_t* const* devices, int count, int default_index, const char* file)
{
    const char* function = "XpSaveDeviceInformation";
    std::vector<profile_edit> edits{{DEVICES_SECTION, std::nullopt, std::nullopt, false}};
    bool acceptable = device_section_edits(devices, count, &edits) && default_index < count;
    if (acceptable) {
        settings_edits(devices, count, &edits);
        if (default_index >= 0)
            acceptable = default_device_edits(*devices[default_index], &edits);
    }
    if (!acceptable) {
        XpError(eIllegalArg, function);
        return 0;
    }
    return xp_internal::edit_profile(function, edits, file);
}
