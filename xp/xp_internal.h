// Helpers shared by the units of the printer defaults library: text
// comparison, the file read once and indexed, checked edits applied in one
// safe replacement, the form of a device entry, and the settings lookup.
#ifndef KITSETUP_XP_XP_INTERNAL_H
#define KITSETUP_XP_XP_INTERNAL_H

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "xp/xp.h"

namespace xp_internal {

// The port that stands for printing to a file.
constexpr const char* FILE_PORT = "FILE:";
// The section of the installed printers.
constexpr const char* DEVICES_SECTION = "devices";

bool same_text(std::string_view a, std::string_view b);  // ignoring case
std::string_view trimmed(std::string_view text);
// text in lower case, so that texts equal ignoring case give one map key.
std::string folded(std::string_view text);

// Reads all of path into *contents; false (errno set) when it cannot.
bool read_whole_file(const char* path, std::string* contents);

// Gives path the contents new_contents, so that a failure at any moment
// leaves it holding old_contents exactly. A path that is a symbolic link is
// refused (eSymLink), never followed. Reports eOpenFile / eWriteFile as
// function; 1 ok, 0 failed.
int replace_file_contents(const char* function, const char* path, const std::string& old_contents,
                          const std::string& new_contents);

// One line of a defaults file: raw with its line end, as it is copied; text
// without the line end (and a CR before it), cut to 255 characters, as it is
// read; whole when nothing was cut. A line holding a NUL is bad: its text is
// empty, so no reader takes anything from it, and writers copy it unchanged.
struct profile_line {
    std::string_view raw;
    std::string_view text;
    bool whole;
    bool bad;
};

// A line of a section as readers get it: trimmed, with its line number.
struct profile_entry {
    std::string_view text;
    size_t number;
};

// A defaults file read once, its sections indexed by name, for readers that
// look up many sections. Holds views into its own text: not copyable.
class profile {
public:
    profile() = default;
    profile(const profile&) = delete;
    profile& operator=(const profile&) = delete;

    // Reads file; false (nothing reported) when it cannot be read. The first
    // bad line is reported as function (eBadLine).
    bool read(const char* function, const char* file);
    // Number of the first bad line, 0 when there is none.
    size_t bad_line() const { return bad_line_; }
    // The non-empty lines of the first section named name (ignoring case).
    std::vector<profile_entry> section(std::string_view name) const;
    // The text after the first "=" of key's first entry in section, unchanged.
    std::optional<std::string_view> value(std::string_view section, std::string_view key) const;

private:
    std::string contents_;
    std::vector<profile_line> lines_;
    // Folded section name -> index of the line after its first header.
    std::unordered_map<std::string, size_t> sections_;
    size_t bad_line_ = 0;
};

// One change of a defaults file: key none deletes the section, value none
// the entry; append adds an entry instead of replacing one.
struct profile_edit {
    std::string section;
    std::optional<std::string> key;
    std::optional<std::string> value;
    bool append = false;
};

// Applies edits in order and replaces file once; the file is indexed once,
// so the time grows with the file plus the edits, not with their product.
// Every edit is checked first: one that would not read back as written is
// refused (eIllegalArg), and a refusal or any failure leaves the file as it
// was. Reports as function; 1 ok, 0 failed.
int edit_profile(const char* function, const std::vector<profile_edit>& edits, const char* file);

// Reports eLMem as function and ends the program with status.
[[noreturn]] void out_of_memory(const char* function, int status);

// 0 PostScript (or PS), 1 PCL5 (or PCL), 2 PCL4, -1 anything else or null.
int driver_type(const char* driver);

// One line of devices or other-devices: alias "=" model " " driver "," port.
struct device_entry {
    std::string alias;
    std::string model;
    std::string driver;
    std::string port;
};

// Splits line into *entry; false when a part is missing or empty.
bool split_device_entry(std::string_view line, device_entry* entry);

// The ports of file that have a command, in file order.
std::vector<XpPort_t> read_ports(const profile& file);

// The installed printers and port commands of a file read once, indexed so
// that the settings of each of many printers are found without a search.
class printer_settings {
public:
    explicit printer_settings(const profile& file);
    // As XpAlwaysGetPrinterInfoWithName, against the file.
    std::unique_ptr<Xpinfo_t> info(const char* model, const char* driver, const char* port) const;
    // The command of port (ignoring case), null when it has none.
    const std::string* command(std::string_view port) const;

private:
    const profile& file_;
    // "type model\nport", folded -> the first installed entry of that printer.
    std::unordered_map<std::string, device_entry> installed_;
    std::unordered_map<std::string, std::string> commands_;
};

// Adds to edits the settings section of model, driver and port (info may
// be null: the defaults), as XpWriteDefaultsForOneDevice writes it.
void settings_edits(const std::string& model, const std::string& driver, const std::string& port,
                    const Xpinfo_t* info, std::vector<profile_edit>* edits);

}  // namespace xp_internal

#endif
