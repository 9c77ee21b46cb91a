#include "kcp_map.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "lib/descriptor.h"

bool complain(const std::string& text)
{
    std::fprintf(stderr, "kcp: %s\n", text.c_str());
    return false;
}

bool complain(const std::string& text, int error_number)
{
    return complain(text + ": " + std::strerror(error_number));
}

namespace {

// True when name is a relative path of plain components: not absolute, no
// empty, "." or ".." component and no control character, so that it can
// only name something below the directory it is joined to.
bool inside_name(const std::string& name)
{
    if (name.empty() || name.front() == '/' || name.back() == '/')
        return false;
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7f)
            return false;
    }
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find('/', start);
        if (end == std::string::npos)
            end = name.size();
        std::string component = name.substr(start, end - start);
        if (component.empty() || component == "." || component == "..")
            return false;
        start = end + 1;
    }
    return true;
}

// Reads the whole of path into text. False after a message naming the file.
bool read_text(const std::string& path, std::string& text)
{
    descriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid())
        return complain("cannot read map file " + path, errno);
    char buffer[8192];
    for (;;) {
        ssize_t got = read(fd.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return complain("cannot read map file " + path, errno);
        if (got == 0)
            return true;
        text.append(buffer, static_cast<size_t>(got));
    }
}

// Checks one map line and, when it is an entry, appends it. False after a
// message naming the file and line. Blank lines and "#" comments pass.
bool parse_map_line(const std::string& path, int number, const std::string& line,
                    std::vector<map_entry>& entries)
{
    if (line.empty() || line[0] == '#')
        return true;
    std::string where = path + ", line " + std::to_string(number) + ": ";
    size_t tab = line.find('\t');
    if (tab == std::string::npos || line.find('\t', tab + 1) != std::string::npos)
        return complain(where + "expected the name on the medium, one tab and the installed name");
    map_entry entry{line.substr(0, tab), line.substr(tab + 1)};
    for (const std::string* name : {&entry.medium_name, &entry.installed_name}) {
        if (!inside_name(*name))
            return complain(where + "\"" + *name + "\" is not a relative path inside its directory");
    }
    entries.push_back(entry);
    return true;
}

}  // namespace

bool read_map(const std::string& path, std::vector<map_entry>& entries)
{
    std::string text;
    if (!read_text(path, text))
        return false;
    bool good = true;
    int number = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        good = parse_map_line(path, ++number, text.substr(start, end - start), entries) && good;
        start = end + 1;
    }
    return good;
}
