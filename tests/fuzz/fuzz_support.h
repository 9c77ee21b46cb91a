// Fuzz target support: the private directory the inputs are written into,
// a reporter that answers every question and turns the program's end into a
// return from the target, and the display the toolkit's readers need.
#ifndef KITSETUP_TESTS_FUZZ_FUZZ_SUPPORT_H
#define KITSETUP_TESTS_FUZZ_FUZZ_SUPPORT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "lib/reporter.h"

// Thrown when a reader ends the program over a damaged file; the target catches it.
struct fuzz_program_end {
    int status;
};

// Swallows messages (warnings and questions answer yes, so a reader goes as
// far as it can) and throws fuzz_program_end instead of ending the program.
class fuzz_reporter : public reporter {
public:
    liboolean show(message_kind, const listring&, liboolean) override { return true; }
    [[noreturn]] void end(int status) override { throw fuzz_program_end{status}; }
};

// Installs one fuzz_reporter for the process.
void use_fuzz_reporter();

// This process's own directory (mkdtemp, 0700), made on first use and removed
// at exit: no other user can plant anything where the targets write.
const std::string& fuzz_dir();

// Writes the bytes as file name inside fuzz_dir() (O_NOFOLLOW, O_CLOEXEC,
// truncated) and returns its path; a harness that cannot write ends.
std::string fuzz_write(const std::string& name, const std::string& bytes);
// The same for the fuzzer's input as it comes.
std::string fuzz_write(const std::string& name, const uint8_t* data, size_t size);
// Deletes file name of fuzz_dir() when it is there.
void fuzz_remove(const std::string& name);

// An input holding several files: its parts between form feeds.
std::vector<std::string> fuzz_parts(const uint8_t* data, size_t size);

// Makes sure DISPLAY names a server: the caller's, or a private Xvfb that
// ends with the process. Ends the process when none can be had.
void need_display();

#endif
