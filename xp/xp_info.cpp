// Printer settings: the settings record and its accessors, and its reading
// from and writing to a printer's (or a driver's generic) settings section.
#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "xp/xp.h"
#include "xp/xp_internal.h"

using xp_internal::DEVICES_SECTION;
using xp_internal::FILE_PORT;
using xp_internal::same_text;
using xp_internal::trimmed;

namespace {

const char* const INFO_FUNCTION = "XpAlwaysGetPrinterInfoWithName";
const char* const GENERIC_MODEL = "Quillet";
const char* const DEFAULT_FILENAME = "quillet.out";
const char* const PORTRAIT_TEXT = "Portrait";
const char* const LANDSCAPE_TEXT = "LandScape";
// Scales at or below this are unset.
const double SMALLEST_SCALE = 0.0001;

// Copies text into field, cut to fit; null empties it.
void set_field(char* field, size_t size, const char* text)
{
    size_t length = text == nullptr ? 0 : std::min(std::strlen(text), size - 1);
    if (length > 0)
        std::memcpy(field, text, length);
    field[length] = '\0';
}

template <size_t size>
void set_field(char (&field)[size], std::string_view text)
{
    size_t length = std::min(text.size(), size - 1);
    text.copy(field, length);
    field[length] = '\0';
}

// Numbers are read and written the same way whatever the locale, so a file
// stays readable for every user; text that is no number reads as 0.
template <typename Number>
Number number_in(std::string_view text)
{
    Number value = 0;
    if (std::from_chars(text.data(), text.data() + text.size(), value).ec != std::errc())
        return 0;
    return value;
}

std::string scale_text(double scale)
{
    if (scale <= SMALLEST_SCALE)
        return "1.0";
    char text[64];
    std::to_chars_result end = std::to_chars(text, text + sizeof text, scale, std::chars_format::fixed, 2);
    return end.ec == std::errc() ? std::string(text, end.ptr) : "1.0";
}

// Fills info from the key=value lines of a settings section; where a key
// comes twice its first entry counts, as for any reader of the file.
void fill_settings(Xpinfo_t* info, const std::string* lines, int count)
{
    for (int i = count - 1; i >= 0; --i) {
        std::string_view line = lines[i];
        size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        std::string_view key = trimmed(line.substr(0, equals));
        std::string_view value = trimmed(line.substr(equals + 1));
        if (same_text(key, "Filename") && !value.empty())
            set_field(info->filename, value);
        else if (same_text(key, "Scale"))
            info->scale = number_in<double>(value);
        else if (same_text(key, "Copies"))
            info->copies = number_in<int>(value);
        else if (same_text(key, "Orientation"))
            info->orientation = same_text(value, LANDSCAPE_TEXT) ? XP_LANDSCAPE
                                : same_text(value, PORTRAIT_TEXT) ? XP_PORTRAIT
                                                                  : 0;
        else if (same_text(key, "PageSize"))
            set_field(info->page_size, value);
        else if (same_text(key, "PaperTray"))
            set_field(info->paper_tray, value);
        else if (same_text(key, "DPI"))
            info->dpi = number_in<int>(value);
    }
}

// True, with the entry in *found, when the devices section of file has
// model with a driver of type on port; otherwise reports eNoInstalledPrt
// (no devices) or eUnknownPrt.
bool find_installed(const char* model, int type, const std::string& port, const char* file,
                    xp_internal::device_entry* found)
{
    int count = 0;
    std::unique_ptr<std::string[]> lines = _XpGetPrivateProfileSection(DEVICES_SECTION, &count, file);
    bool any_device = false;
    for (int i = 0; i < count; ++i) {
        xp_internal::device_entry entry;
        if (!xp_internal::split_device_entry(lines[i], &entry))
            continue;
        any_device = true;
        if (xp_internal::driver_type(entry.driver.c_str()) == type && same_text(entry.model, model) &&
            same_text(entry.port, port)) {
            *found = entry;
            return true;
        }
    }
    if (any_device)
        XpError(eUnknownPrt, INFO_FUNCTION, model);
    else
        XpError(eNoInstalledPrt, INFO_FUNCTION);
    return false;
}

// Sets info's command to that of port in the ports section of file.
void set_port_command(Xpinfo_t* info, const std::string& port, const char* file)
{
    XpPort_t** ports = nullptr;
    int count = XpGetPorts(&ports, file);
    const char* command = nullptr;
    if (XpGetPrinterCommand(port.c_str(), ports, count, &command))
        set_field(info->command, sizeof info->command, command);
    XpFreePortArray(ports, count);
}

}  // namespace

namespace xp_internal {

int driver_type(const char* driver)
{
    if (driver == nullptr)
        return -1;
    if (same_text(driver, "PostScript") || same_text(driver, "PS"))
        return 0;
    if (same_text(driver, "PCL5") || same_text(driver, "PCL"))
        return 1;
    if (same_text(driver, "PCL4"))
        return 2;
    return -1;
}

std::unique_ptr<Xpinfo_t> printer_info(const char* model, const char* driver, const char* port,
                                       const char* file)
{
    int type = driver_type(driver);
    if (type < 0) {
        XpError(eUnknownDrv, INFO_FUNCTION);
        return nullptr;
    }
    std::string port_name = port != nullptr && *port != '\0' ? port : FILE_PORT;
    std::unique_ptr<Xpinfo_t> info = std::make_unique<Xpinfo_t>();
    info->did = type;
    std::string section;
    if (model == nullptr || *model == '\0') {
        info->type = -1;
        set_field(info->filename, DEFAULT_FILENAME);
        section = std::string(GENERIC_MODEL) + "," + driver;
    } else {
        // The section is named as the device is installed, so that "PS" or
        // another spelling of the model finds the same settings.
        xp_internal::device_entry device;
        if (!find_installed(model, type, port_name, file, &device))
            return nullptr;
        section = device.model + "," + device.driver + "," + device.port;
    }
    int count = 0;
    std::unique_ptr<std::string[]> lines = _XpGetPrivateProfileSection(section.c_str(), &count, file);
    fill_settings(info.get(), lines.get(), count);
    set_port_command(info.get(), port_name, file);
    return info;
}

}  // namespace xp_internal

std::unique_ptr<Xpinfo_t> XpAlwaysGetPrinterInfoWithName(const char* model, const char* driver,
                                                         const char* port)
{
    char* file = XpGetDefaultsFile(XpGetDefaultsFileType());
    if (file == nullptr)
        return nullptr;
    std::unique_ptr<Xpinfo_t> info = xp_internal::printer_info(model, driver, port, file);
    std::free(file);
    return info;
}

// Without a record every key gets its default. A cleared paper tray removes
// the entry, so the old tray is not read back.
int XpWriteDefaultsForOneDevice(const char* model, const char* driver, const char* port,
                                const Xpinfo_t* info, const char* file)
{
    if (model == nullptr || driver == nullptr) {
        XpError(eIllegalArg, "XpWriteDefaultsForOneDevice");
        return 0;
    }
    std::string port_name = port != nullptr && *port != '\0' ? port : FILE_PORT;
    bool file_port = same_text(port_name, FILE_PORT);
    std::string section = std::string(model) + "," + driver + "," + port_name;
    std::vector<std::pair<const char*, std::string>> entries;
    if (file_port)
        entries.emplace_back("Filename", info != nullptr && info->filename[0] != '\0' ? info->filename
                                                                                       : DEFAULT_FILENAME);
    entries.emplace_back("Scale", info != nullptr ? scale_text(info->scale) : "1.0");
    entries.emplace_back("Copies", info != nullptr && info->copies >= 1 ? std::to_string(info->copies) : "1");
    entries.emplace_back("Orientation",
                         info != nullptr && info->orientation == XP_LANDSCAPE ? LANDSCAPE_TEXT : PORTRAIT_TEXT);
    entries.emplace_back("PageSize",
                         info != nullptr && info->page_size[0] != '\0' ? info->page_size : "Letter");
    entries.emplace_back("DPI", info != nullptr && info->dpi != 0 ? std::to_string(info->dpi) : "300");
    for (const auto& [key, value] : entries)
        if (!_XpWritePrivateProfileString(section.c_str(), key, value.c_str(), file))
            return 0;
    if (file_port)
        return 1;
    if (info != nullptr && info->paper_tray[0] != '\0')
        return _XpWritePrivateProfileString(section.c_str(), "PaperTray", info->paper_tray, file);
    return XpDeleteSectionEntry(section.c_str(), "PaperTray", file);
}

void XpSetXpinfoFilename(Xpinfo_t* info, const char* text)
{
    set_field(info->filename, sizeof info->filename, text);
}

void XpSetXpinfoCommand(Xpinfo_t* info, const char* text)
{
    set_field(info->command, sizeof info->command, text);
}

void XpSetXpinfoPPDName(Xpinfo_t* info, const char* text)
{
    set_field(info->ppd_name, sizeof info->ppd_name, text);
}

void XpSetXpinfoPageSize(Xpinfo_t* info, const char* text)
{
    set_field(info->page_size, sizeof info->page_size, text);
}

void XpSetXpinfoPaperTray(Xpinfo_t* info, const char* text)
{
    set_field(info->paper_tray, sizeof info->paper_tray, text);
}

void XpSetXpinfoOrientation(Xpinfo_t* info, int orientation)
{
    info->orientation = orientation;
}

void XpSetXpinfoScale(Xpinfo_t* info, double scale)
{
    info->scale = scale;
}

void XpSetXpinfoCopies(Xpinfo_t* info, int copies)
{
    info->copies = copies;
}

void XpSetXpinfoDPI(Xpinfo_t* info, int dpi)
{
    info->dpi = dpi;
}

const char* XpGetXpinfoFilename(const Xpinfo_t* info)
{
    return info->filename;
}

const char* XpGetXpinfoCommand(const Xpinfo_t* info)
{
    return info->command;
}

const char* XpGetXpinfoPPDName(const Xpinfo_t* info)
{
    return info->ppd_name;
}

const char* XpGetXpinfoPageSize(const Xpinfo_t* info)
{
    return info->page_size;
}

int XpGetXpinfoDid(const Xpinfo_t* info)
{
    return info->did;
}
