// Test helper: the transfer, working and log dialogs as products see them,
// recording what they are told, and a product list that hands them out.
#ifndef KITSETUP_TESTS_PROGRESS_FAKES_H
#define KITSETUP_TESTS_PROGRESS_FAKES_H

#include <string>
#include <vector>

#include "prod/l_product.h"
#include "prod/progress_views.h"

class fake_transfer : public transfer_view {
public:
    void popup(const listring& message) override { shown = true, stopped_ = false, calls.push_back("popup " + std::string(message.c_str())); }
    void popdown() override { shown = false, calls.push_back("popdown"); }
    liboolean is_displayed() const override { return shown; }
    void status(const listring& text) override { statuses.push_back(text.c_str()); }
    void gauge(int n) override { gauges.push_back(n); }
    liboolean stopped() const override { return stopped_; }
    product* current_prod() const override { return prod_; }
    void set_current_prod(product* p) override { prod_ = p; }
    void set_stopped(liboolean on) { stopped_ = on; }

    bool shown = false;
    std::vector<std::string> calls;
    std::vector<std::string> statuses;
    std::vector<int> gauges;

private:
    liboolean stopped_ = false;
    product* prod_ = nullptr;
};

class fake_working : public working_view {
public:
    void popup(const listring& message) override { shown = true, calls.push_back("popup " + std::string(message.c_str())); }
    void popdown() override { shown = false, calls.push_back("popdown"); }
    void next_icon() override { ++icons; }
    void set_stop_action(const OI_callback& action) override { stop_action = action; }
    product* current_prod() const override { return prod_; }
    void set_current_prod(product* p) override { prod_ = p; }

    bool shown = false;
    int icons = 0;
    OI_callback stop_action;
    std::vector<std::string> calls;

private:
    product* prod_ = nullptr;
};

class fake_log : public log_view {
public:
    void text(const listring& line, liboolean error) override
    {
        lines.push_back(std::string(error ? "! " : "") + line.c_str());
    }
    std::vector<std::string> lines;
};

// A product list with the fakes as its dialogs; products added to it are
// deleted with it.
struct fake_dialogs {
    fake_dialogs() { products.set_views(&transfer, &working, &log); }
    fake_transfer transfer;
    fake_working working;
    fake_log log;
    l_product products{nullptr};
};

#endif
