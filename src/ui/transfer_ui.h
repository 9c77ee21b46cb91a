// transfer_ui: the transfer (progress) dialog "transfer_dialog": a message,
// a status line and a gauge while an installation's commands run, with Log
// and Stop. One instance, the_transfer_dialog_ui, owned by the main window;
// products see it as their transfer_view. The status line shows the last
// status of each event-loop pass, however many lines of command output
// brought one; the gauge is drawn only when its value changes.
#ifndef KITSETUP_UI_TRANSFER_UI_H
#define KITSETUP_UI_TRANSFER_UI_H

#include <string>

#include "prod/progress_views.h"
#include "toolkit/oiu_callback_multiple.h"
#include "ui/minimum_size.h"

class OI_dialog_box;
class OI_gauge;
class OI_multi_text;
class OI_static_text;

class transfer_ui : public OIU_callback_multiple, public transfer_view {
public:
    // Finds the dialog and its parts; a missing one ends the program.
    transfer_ui();
    ~transfer_ui() override;
    transfer_ui(const transfer_ui&) = delete;
    transfer_ui& operator=(const transfer_ui&) = delete;

    // Clears the stopped flag, centres the dialog, makes the main window
    // busy and shows message.
    void popup(const listring& message) override;
    void popdown() override;
    liboolean is_displayed() const override;
    void status(const listring& text) override;
    void gauge(int n) override;
    liboolean stopped() const override { return stopped_; }
    // The product being installed; none ends the program.
    product* current_prod() const override;
    void set_current_prod(product* p) override { current_ = p; }
    // Replaces the message, widening the dialog to its longest line.
    void text(const listring& message);

    // After "Files already installed will now be removed. ..." is
    // confirmed: kills the product's children, sets the stopped flag and
    // says "Stopping the installation."; the command engine then ends the
    // sequence and offers to remove what was installed.
    long stop_btn_cb(OI_d_tech* origin, void* argument, long value);
    long log_btn_cb(OI_d_tech* origin, void* argument, long value);
    long resize_cb(OI_d_tech* origin, void* argument, long value);
    // Shows the status set last since the previous pass.
    long flush_cb(OI_d_tech* origin, void* argument, long value);

private:
    void arm_flush();

    OI_dialog_box* dialog_;
    OI_static_text* status_;
    OI_multi_text* message_;
    OI_gauge* gauge_;
    product* current_ = nullptr;
    liboolean stopped_ = false;
    minimum_size minimum_;
    std::string pending_status_;
    bool has_pending_status_ = false;
    bool flush_armed_ = false;
};

extern transfer_ui* the_transfer_dialog_ui;

#endif
