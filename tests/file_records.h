// Test helper: what the file-set log should hold for a tree.
#ifndef KITSETUP_TESTS_FILE_RECORDS_H
#define KITSETUP_TESTS_FILE_RECORDS_H

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

// Sorted "name stamp mode" records of every file and link under dir, as the
// file-set log holds them (a link with what it points to), leaving out the
// names in skipped.
inline std::vector<std::string> files_under(const std::string& dir, const std::vector<std::string>& skipped = {})
{
    namespace fs = std::filesystem;
    std::vector<std::string> records;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        struct stat info {};
        std::string name = entry.path().lexically_relative(dir).string();
        if (lstat(entry.path().c_str(), &info) != 0 || S_ISDIR(info.st_mode) ||
            std::count(skipped.begin(), skipped.end(), name) > 0)
            continue;
        stat(entry.path().c_str(), &info);
        records.push_back(name + " " + std::to_string(info.st_mtime) + " " + std::to_string(info.st_mode));
    }
    std::sort(records.begin(), records.end());
    return records;
}

// The names of records alone, each cut at its first blank.
inline std::vector<std::string> names_of(std::vector<std::string> records)
{
    for (std::string& record : records)
        record = record.substr(0, record.find(' '));
    return records;
}

// The lines of text, sorted.
inline std::vector<std::string> sorted_lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    return lines;
}

#endif
