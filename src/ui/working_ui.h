// working_ui: the working dialog "working_dialog": a message and a
// three-picture animation while a removal runs, with Stop and Log. One
// instance, the_working_dialog_ui, owned by the main window; products see
// it as their working_view.
#ifndef KITSETUP_UI_WORKING_UI_H
#define KITSETUP_UI_WORKING_UI_H

#include "prod/progress_views.h"
#include "toolkit/oiu_callback_multiple.h"
#include "ui/minimum_size.h"

class KOI_button;
class OI_dialog_box;
class OI_multi_text;

class working_ui : public OIU_callback_multiple, public working_view {
public:
    // Finds the dialog and its parts (a missing one ends the program) and
    // reads the three pictures, resources "pic1" to "pic3" of the dialog.
    working_ui();
    working_ui(const working_ui&) = delete;
    working_ui& operator=(const working_ui&) = delete;

    void popup(const listring& message) override;
    void popdown() override;
    void next_icon() override;
    void set_stop_action(const OI_callback& action) override { stop_action_ = action; }
    product* current_prod() const override;
    void set_current_prod(product* p) override { current_ = p; }
    void text(const listring& message);
    // The picture shown now: 0, 1 or 2.
    int picture() const { return picture_; }

    // While a removal runs, its own stop; otherwise, after "The installed
    // product has only been partially removed. ..." is confirmed, kills the
    // product's children and takes the dialog down.
    long stop_btn_cb(OI_d_tech* origin, void* argument, long value);
    long log_btn_cb(OI_d_tech* origin, void* argument, long value);
    long resize_cb(OI_d_tech* origin, void* argument, long value);

private:
    OI_dialog_box* dialog_;
    OI_multi_text* message_;
    KOI_button* pic_;
    std::string pictures_[3];
    int picture_ = 0;
    OI_callback stop_action_;
    product* current_ = nullptr;
    minimum_size minimum_;
};

extern working_ui* the_working_dialog_ui;

#endif
