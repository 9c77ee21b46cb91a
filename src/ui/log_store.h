// log_store: the text of the run's log, kept out of the program's memory.
// What comes is held in memory until a block has gathered, then written to
// an unnamed scratch file in /tmp that no other process can open and that
// goes when the program ends. When no scratch file can be made or written,
// the rest stays in memory: the log then grows the program, but loses
// nothing. The log dialog owns the one store.
#ifndef KITSETUP_UI_LOG_STORE_H
#define KITSETUP_UI_LOG_STORE_H

#include <cstddef>
#include <string>

#include "lib/descriptor.h"

class log_store {
public:
    log_store() = default;
    log_store(const log_store&) = delete;
    log_store& operator=(const log_store&) = delete;

    // Appends text to the end.
    void append(const std::string& text);
    // How many bytes the text holds.
    size_t length() const { return in_file_ + held_.size(); }
    // Appends the text from offset on to out. False, with errno set, when
    // the scratch file could not be read: out then ends where reading did.
    bool read(size_t offset, std::string& out) const;
    // Writes the whole text to file. False, with errno set, on failure;
    // *reading tells whether it was the read-back that failed.
    bool write_to(const descriptor& file, bool* reading) const;

private:
    // Moves what is held into the scratch file, making the file first.
    void spill();

    descriptor scratch_;
    // The first in_file_ bytes of the text are in the scratch file, the
    // rest in held_.
    size_t in_file_ = 0;
    std::string held_;
    // Set once the scratch file could not be made or written.
    bool in_memory_ = false;
};

#endif
