// installed_check: compares an installed product's files with its records
// (the data file's target and the file-set log) without changing anything,
// and writes one line per difference. The product is borrowed; the check
// reads through it and opens nothing for writing.
#ifndef KITSETUP_PROD_INSTALLED_CHECK_H
#define KITSETUP_PROD_INSTALLED_CHECK_H

#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <unordered_set>
#include <vector>

#include "lib/listring.h"

class product;

class installed_check {
public:
    // What run() returns: everything matches, differences were found, or
    // the records could not be read (fully).
    enum status { MATCHES = 0, DIFFERS = 1, NO_RECORDS = 2 };

    explicit installed_check(product& checked) : product_(checked) {}

    // Writes to out, in log order, "missing PATH", "changed PATH" and
    // "mode PATH OLD NEW" (permission bits in octal) for the recorded files,
    // then "extra PATH" for files under the recorded top-level directories
    // that the log does not list, sorted, then the summary line. Damaged
    // records and files that are not examined are reported as messages.
    // Entries under "install" are skipped, as the removal skips them; a
    // node installation has nothing to check (a message, MATCHES).
    status run(std::FILE* out);

private:
    // Whether both records are regular files: reading a pipe or a device
    // named there could wait for ever. False after a message.
    bool records_are_files();
    // Checks one line of the file-set log.
    void check_line(const std::string& line, std::FILE* out);
    // Compares the file at full with its recorded stamp and mode.
    void check_file(const listring& path, const listring& full, long stamp, unsigned long mode, std::FILE* out);
    // The status of full as the installation recorded it: through a link
    // that stays inside the target, of a dangling link itself. False, after
    // a message when one is due, when there is nothing to compare.
    bool examine(const listring& full, struct stat& info);
    // Lists the files under the recorded top-level directories that the
    // log does not name, without following links.
    void find_extra_files(std::vector<std::string>& extra);
    // Walks the directory name under the open directory parent, relative
    // being its path below the target.
    void walk(int parent, const char* name, const std::string& relative, std::vector<std::string>& extra);

    product& product_;
    std::string real_target_;
    std::string checked_directory_;
    // The recorded paths, "./" prefixes dropped, and the top-level
    // directories they lie in, in the order met.
    std::unordered_set<std::string> recorded_;
    std::vector<std::string> top_dirs_;
    unsigned entries_ = 0;
    unsigned missing_ = 0;
    unsigned changed_ = 0;
    unsigned mode_ = 0;
    unsigned unchecked_ = 0;
    unsigned bad_records_ = 0;
};

#endif
