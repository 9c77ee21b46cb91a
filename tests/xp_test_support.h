// Test helpers for the printer defaults library: a recorder of its reports and a
// guard for the environment variables a test changes.
#ifndef KITSETUP_TESTS_XP_TEST_SUPPORT_H
#define KITSETUP_TESTS_XP_TEST_SUPPORT_H

#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "xp/xp.h"

namespace xp_test {

struct xp_report { int code; int is_error; std::string text; };

// Records every report of the library while alive, then puts the previous
// handler back. The handler is a plain function, so one recorder at a time.
class report_recorder {
public:
    report_recorder() : previous_(XpSetErrorHandler(record)) { current() = this; }
    ~report_recorder()
    {
        XpSetErrorHandler(previous_);
        current() = nullptr;
    }
    report_recorder(const report_recorder&) = delete;
    report_recorder& operator=(const report_recorder&) = delete;

    const std::vector<xp_report>& reports() const { return reports_; }
    std::vector<std::string> texts() const
    {
        std::vector<std::string> result;
        for (const xp_report& report : reports_)
            result.push_back(report.text);
        return result;
    }
    void clear() { reports_.clear(); }

private:
    static report_recorder*& current()
    {
        static report_recorder* recorder = nullptr;
        return recorder;
    }
    static void record(int code, int is_error)
    {
        char text[2048];
        XpGetErrorText(text, sizeof text);
        current()->reports_.push_back({code, is_error, text});
    }

    XpErrorHandler_t previous_;
    std::vector<xp_report> reports_;
};

// Sets environment variables for a test and restores them afterwards.
class environment_guard {
public:
    environment_guard() = default;
    ~environment_guard()
    {
        for (const auto& [name, value] : saved_)
            value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
    }
    environment_guard(const environment_guard&) = delete;
    environment_guard& operator=(const environment_guard&) = delete;
    void set(const std::string& name, const std::string& value)
    {
        const char* old = std::getenv(name.c_str());
        if (saved_.count(name) == 0)
            saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
        setenv(name.c_str(), value.c_str(), 1);
    }

private:
    std::map<std::string, std::optional<std::string>> saved_;
};

}  // namespace xp_test

#endif
