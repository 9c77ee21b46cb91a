// Helpers shared by the units of the printer defaults library: text
// comparison, whole-file reading and safe replacement, the form of a device
// entry, and the settings lookup against an explicit file.
#ifndef KITSETUP_XP_XP_INTERNAL_H
#define KITSETUP_XP_XP_INTERNAL_H

#include <memory>
#include <string>
#include <string_view>

#include "xp/xp.h"

namespace xp_internal {

// The port that stands for printing to a file.
constexpr const char* FILE_PORT = "FILE:";
// The section of the installed printers.
constexpr const char* DEVICES_SECTION = "devices";

bool same_text(std::string_view a, std::string_view b);  // ignoring case
std::string_view trimmed(std::string_view text);

// Reads all of path into *contents; false (errno set) when it cannot.
bool read_whole_file(const char* path, std::string* contents);

// Gives path the contents new_contents, so that a failure at any moment
// leaves it holding old_contents exactly. Reports eOpenFile / eWriteFile as
// function; 1 ok, 0 failed.
int replace_file_contents(const char* function, const char* path, const std::string& old_contents,
                          const std::string& new_contents);

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

// As XpAlwaysGetPrinterInfoWithName, against file.
std::unique_ptr<Xpinfo_t> printer_info(const char* model, const char* driver, const char* port,
                                       const char* file);

}  // namespace xp_internal

#endif
