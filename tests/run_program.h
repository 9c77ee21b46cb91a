// Test helper: runs a program with given arguments, environment and working
// directory, and collects its output, error output and exit status.
#ifndef KITSETUP_TESTS_RUN_PROGRAM_H
#define KITSETUP_TESTS_RUN_PROGRAM_H

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

struct program_result {
    int status = -1;  // exit status, or 128 + signal number
    std::string out;
    std::string err;
};

// The environment to run with: a copy of this process's, changed by the
// test. A value of nullptr in set() removes the variable.
class test_environment {
public:
    test_environment();
    test_environment& set(const std::string& name, const char* value);
    std::vector<std::string> entries() const;

private:
    std::map<std::string, std::string> variables_;
};

// Pointers to the texts of strings, ending in nullptr, as execve takes them.
std::vector<char*> c_vector(std::vector<std::string>& strings);

program_result run_program(const std::string& path, const std::vector<std::string>& argv,
                           const test_environment& environment, const std::string& cwd = "");

// A fresh directory under the build tree, removed with its contents when it goes.
class temp_dir {
public:
    temp_dir();
    ~temp_dir();
    temp_dir(const temp_dir&) = delete;
    temp_dir& operator=(const temp_dir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Writes text to path, creating missing directories above it.
void write_file(const std::string& path, const std::string& text);
std::string read_file(const std::string& path);

// The longest any wait in the tests may last before it fails.
constexpr std::chrono::seconds wait_limit{30};

// Checks done until it holds, running between (else a short pause) in between:
// true, or after wait_limit false with a failure naming what, instead of a hang.
bool wait_until(const std::string& what, const std::function<bool()>& done,
                const std::function<void()>& between = nullptr);

// A message text with the line breaks of its 80-column wrap folded back into
// blanks: what tests compare, since a long path moves the breaks.
std::string folded(std::string text);
// A death-test pattern matching text literally, with a line break allowed
// wherever text has a blank.
std::string folded_pattern(const std::string& text);

// Compiles gencat source text into a catalogue at cat_path.
void make_catalogue(const std::string& cat_path, const std::string& source);

#endif
