// kcp's map file and its messages: the reader of the map, shared by kcp and
// its fuzz target. A map line is "NAME-ON-MEDIUM<TAB>INSTALLED-NAME", both
// relative paths inside their directories; blank lines and "#" comments
// pass. The format is in docs/product-files.md.
#ifndef KITSETUP_TOOLS_KCP_KCP_MAP_H
#define KITSETUP_TOOLS_KCP_KCP_MAP_H

#include <string>
#include <vector>

struct map_entry {
    std::string medium_name;
    std::string installed_name;
};

// Prints "kcp: text" (followed by the system's text for error_number) on
// standard error. Returns false, the status of every step that complains.
bool complain(const std::string& text);
bool complain(const std::string& text, int error_number);

// Reads every entry of the map at path into entries. Every bad line is
// reported with the file and its number, and any bad line makes the result
// false, so a damaged map copies nothing.
bool read_map(const std::string& path, std::vector<map_entry>& entries);

#endif
