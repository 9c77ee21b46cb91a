#include "ui/main_ui.h"

#include <algorithm>

#include "lib/l_listring.h"
#include "misc/lidefs.h"
#include "prod/l_product.h"
#include "toolkit/oi_app_window.h"
#include "ui/kitsetup.h"
#include "ui/log_ui.h"
#include "ui/ui_lookup.h"

main_ui* the_interface = nullptr;

main_ui::main_ui()
    : main_window_(find_part<OI_app_window>(root_object(), MAIN_WINDOW)),
      log_(std::make_unique<log_ui>()),
      products_(std::make_unique<l_product>(this)),
      product_ids_(std::make_unique<l_listring>())
{
    the_log_dialog_ui = log_.get();
    l_product::collect_ids(*product_ids_);
    products_->fill(*product_ids_);
    main_window_->update_resources();
    main_window_->set_resize(OI_callback(this, &main_ui::resize_cb, nullptr));
}

main_ui::~main_ui()
{
    if (the_log_dialog_ui == log_.get())
        the_log_dialog_ui = nullptr;
    // The products go before the log they may still write to.
    products_.reset();
    // The identifier list never frees its strings itself.
    product_ids_->delete_all();
}

long main_ui::exit_btn_cb(OI_d_tech*, void*, long)
{
    shutdown(0);
}

long main_ui::shutdown_app(OI_d_tech*, void*, long)
{
    shutdown(0);
}

long main_ui::log_btn_cb(OI_d_tech*, void*, long)
{
    log_->popup();
    return 0;
}

// The first size seen is the least the window may shrink to.
long main_ui::resize_cb(OI_d_tech*, void*, long)
{
    int width = 0;
    int height = 0;
    main_window_->size(&width, &height);
    if (minimum_width_ == 0) {
        minimum_width_ = width;
        minimum_height_ = height;
    } else if (width < minimum_width_ || height < minimum_height_) {
        main_window_->set_size(std::max(width, minimum_width_), std::max(height, minimum_height_));
    }
    return 0;
}
