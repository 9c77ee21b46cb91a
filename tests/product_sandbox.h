// Test helper for the product file readers: own configuration and message
// directories, built-in texts, LANG=C and the architecture, all put back with the
// case switch when it goes (gencat in a later test needs the caller's LANG).
#ifndef KITSETUP_TESTS_PRODUCT_SANDBOX_H
#define KITSETUP_TESTS_PRODUCT_SANDBOX_H

#include <cstdlib>
#include <string>

#include "lib/listring.h"
#include "misc/lidefs.h"
#include "misc/unix_cat.h"
#include "ui/kitsetup.h"

class product_sandbox {
public:
    // An empty directory leaves that directory as it is.
    explicit product_sandbox(const std::string& config_dir = "",
                             const std::string& messages_dir = "")
    {
        if (msg_file == nullptr)
            msg_file = CATALOGUE_FAILED;
        if (!config_dir.empty())
            CONFIG_FILE_DIR = config_dir.c_str();
        if (!messages_dir.empty())
            MESSAGES_DIR = messages_dir.c_str();
        setenv("LANG", "C", 1);
        setenv("KARCH", KITSETUP_KARCH, 1);
    }
    ~product_sandbox()
    {
        CONFIG_FILE_DIR = saved_config_;
        MESSAGES_DIR = saved_messages_;
        msg_file = saved_catalogue_;
        setenv("KARCH", KITSETUP_KARCH, 1);
        had_lang_ ? setenv("LANG", saved_lang_.c_str(), 1) : unsetenv("LANG");
        saved_case_ ? listring::case_sensitive_on() : listring::case_sensitive_off();
    }
    product_sandbox(const product_sandbox&) = delete;
    product_sandbox& operator=(const product_sandbox&) = delete;

private:
    listring saved_config_ = CONFIG_FILE_DIR, saved_messages_ = MESSAGES_DIR;
    nl_catd saved_catalogue_ = msg_file;
    liboolean saved_case_ = listring::is_case_sensitive();
    bool had_lang_ = std::getenv("LANG") != nullptr;
    std::string saved_lang_ = had_lang_ ? std::getenv("LANG") : "";
};

#endif
