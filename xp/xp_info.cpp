// Printer settings: the settings record and its accessors, and its reading
// from and writing to a printer's (or a driver's generic) settings section.
#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
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
void fill_settings(Xpinfo_t* info, const std::vector<xp_internal::profile_entry>& lines)
{
    for (auto line_entry = lines.rbegin(); line_entry != lines.rend(); ++line_entry) {
        std::string_view line = line_entry->text;
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

// The key of the installed printer model with a driver of type on port.
std::string installed_key(int type, std::string_view model, std::string_view port)
{
    return std::to_string(type) + " " + xp_internal::folded(model) + "\n" + xp_internal::folded(port);
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

// Where a printer is installed twice, its first entry counts, as for a
// search from the top of the section.
printer_settings::printer_settings(const profile& file) : file_(file)
{
    for (const profile_entry& line : file.section(DEVICES_SECTION)) {
        device_entry entry;
        if (split_device_entry(line.text, &entry))
            installed_.emplace(installed_key(driver_type(entry.driver.c_str()), entry.model, entry.port), entry);
    }
    for (XpPort_t& port : read_ports(file))
        commands_.emplace(folded(port.port), std::move(*port.command));
}

const std::string* printer_settings::command(std::string_view port) const
{
    auto found = commands_.find(folded(port));
    return found == commands_.end() ? nullptr : &found->second;
}

// A model is looked up among the installed printers: none installed gives
// eNoInstalledPrt, none matching eUnknownPrt.
std::unique_ptr<Xpinfo_t> printer_settings::info(const char* model, const char* driver, const char* port) const
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
        auto found = installed_.find(installed_key(type, model, port_name));
        if (found == installed_.end()) {
            if (installed_.empty())
                XpError(eNoInstalledPrt, INFO_FUNCTION);
            else
                XpError(eUnknownPrt, INFO_FUNCTION, model);
            return nullptr;
        }
        const device_entry& device = found->second;
        section = device.model + "," + device.driver + "," + device.port;
    }
    fill_settings(info.get(), file_.section(section));
    if (const std::string* port_command = command(port_name))
        set_field(info->command, sizeof info->command, port_command->c_str());
    return info;
}

// Without a record every key gets its default. A cleared paper tray removes
// the entry, so the old tray is not read back.
void settings_edits(const std::string& model, const std::string& driver, const std::string& port,
                    const Xpinfo_t* info, std::vector<profile_edit>* edits)
{
    std::string port_name = !port.empty() ? port : FILE_PORT;
    bool file_port = same_text(port_name, FILE_PORT);
    std::string section = model + "," + driver + "," + port_name;
    auto put = [&](const char* key, std::optional<std::string> value) {
        edits->push_back({section, std::string(key), std::move(value), false});
    };
    if (file_port)
        put("Filename", info != nullptr && info->filename[0] != '\0' ? info->filename : DEFAULT_FILENAME);
    put("Scale", info != nullptr ? scale_text(info->scale) : "1.0");
    put("Copies", info != nullptr && info->copies >= 1 ? std::to_string(info->copies) : "1");
    put("Orientation", info != nullptr && info->orientation == XP_LANDSCAPE ? LANDSCAPE_TEXT : PORTRAIT_TEXT);
    put("PageSize", info != nullptr && info->page_size[0] != '\0' ? info->page_size : "Letter");
    put("DPI", info != nullptr && info->dpi != 0 ? std::to_string(info->dpi) : "300");
    if (!file_port)
        put("PaperTray", info != nullptr && info->paper_tray[0] != '\0' ? std::optional<std::string>(info->paper_tray)
                                                                         : std::nullopt);
}

}  // namespace xp_internal

std::unique_ptr<Xpinfo_t> XpAlwaysGetPrinterInfoWithName(const char* model, const char* driver,
                                                         const char* port)
{
    char* file = XpGetDefaultsFile(XpGetDefaultsFileType());
    if (file == nullptr)
        return nullptr;
    xp_internal::profile defaults;
    // An unreadable file reads as one without printers.
    defaults.read(INFO_FUNCTION, file);
    std::free(file);
    return xp_internal::printer_settings(defaults).info(model, driver, port);
}

int XpWriteDefaultsForOneDevice(const char* model, const char* driver, const char* port,
                                const Xpinfo_t* info, const char* file)
{
    const char* function = "XpWriteDefaultsForOneDevice";
    if (model == nullptr || driver == nullptr) {
        XpError(eIllegalArg, function);
        return 0;
    }
    std::vector<profile_edit> edits;
    xp_internal::settings_edits(model, driver, port != nullptr ? port : "", info, &edits);
    return xp_internal::edit_profile(function, edits, file);
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
