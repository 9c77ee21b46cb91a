// l_product: every product the installer knows in this run, in the order
// their description files were found. It owns its products and is filled
// once at start-up by the main window; products find their siblings here.
#ifndef KITSETUP_PROD_L_PRODUCT_H
#define KITSETUP_PROD_L_PRODUCT_H

#include "lib/l_listring.h"
#include "lib/typed_list.h"
#include "prod/product.h"
#include "prod/progress_views.h"

class main_ui;

class l_product : public typed_list<product> {
public:
    explicit l_product(main_ui* owner);
    // Deletes every product, first to last.
    ~l_product() override;
    l_product(const l_product&) = delete;
    l_product& operator=(const l_product&) = delete;

    using typed_list<product>::add;
    using typed_list<product>::elem;

    // Appends a product newly read from the description file of p's
    // identifier: 0, or -1 after the add-error box.
    int add(const product& p);

    // The first product whose identifier is id, compared exactly whatever
    // the program's case setting; null after DEF_PRODUCT_DOES_NOT_EXIST.
    product* elem(const listring& id) const;

    main_ui* owner() const { return owner_; }

    // The dialogs the products show their work on, set by the main window;
    // null until then (and in text mode).
    transfer_view* transfer() const { return transfer_; }
    working_view* working() const { return working_; }
    log_view* log() const { return log_; }
    void set_views(transfer_view* transfer, working_view* working, log_view* log)
    {
        transfer_ = transfer;
        working_ = working;
        log_ = log;
    }

    // Replaces ids with the identifiers of the description files in the
    // configuration directory, or in the fixed one when that cannot be read.
    // Ends the program (-1) when neither can be read or none was found.
    static void collect_ids(l_listring& ids);

    // Builds one product per identifier and appends it; a product that
    // cannot be added ends the program (-1).
    void fill(const l_listring& ids);

protected:
    listring element_name(const product& element) const override
    {
        return element.short_description();
    }

private:
    main_ui* owner_;
    transfer_view* transfer_ = nullptr;
    working_view* working_ = nullptr;
    log_view* log_ = nullptr;
};

#endif
