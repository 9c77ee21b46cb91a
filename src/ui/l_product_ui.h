// l_product_ui: a product selection dialog, a copy of "product_dialog" with
// one image button and label per product of the list, from which the user
// picks the product an action works on. The four variants (install,
// deinstall, release notes, user set-up) differ in the products offered,
// their title and name, and handle_cb. The object owns its copy of the
// dialog; the product list belongs to the main window. Any number of
// products fits: up to nine stand in one column, more in a grid of
// "productColumns" columns (3 unless the dialog says otherwise) that
// scrolls when the container is a ScrollBox.
#ifndef KITSETUP_UI_L_PRODUCT_UI_H
#define KITSETUP_UI_L_PRODUCT_UI_H

#include <vector>

#include "lib/l_listring.h"
#include "lib/listring.h"
#include "toolkit/oiu_callback_multiple.h"
#include "ui/minimum_size.h"

class KOI_button;
class OI_dialog_box;
class OI_menu_cell;
class OI_static_text;
class l_product;
class product;

class l_product_ui : public OIU_callback_multiple {
public:
    // The most products that stand in one column; more go in a grid.
    static const unsigned MAX_COLUMN_PRODUCTS = 9;

    // name and title are the variant's dialog name and instruction text;
    // help_file and help_context its help topic. The dialog is built on the
    // first popup (create_cb).
    l_product_ui(l_product* products, const listring& name, const listring& title,
                 const listring& help_file, unsigned long help_context);
    ~l_product_ui() override;
    l_product_ui(const l_product_ui&) = delete;
    l_product_ui& operator=(const l_product_ui&) = delete;

    // The help button: the variant's help topic.
    virtual long help_btn_cb(OI_d_tech* origin, void* argument, long value);
    // A button of the button box: cancel takes the dialog down and ends it
    // (1); any other keeps it up (0).
    virtual long dialog_term_cb(OI_d_tech* origin, void* argument, long value);
    // "fire_prod": the highlighted product button as if it were clicked;
    // none highlighted gets "Unable to determine which product was
    // selected.".
    virtual long fire(OI_d_tech* origin, void* argument, long value);
    virtual long resize_cb(OI_d_tech* origin, void* argument, long value);
    // A click on the button of a product: ignored while a choice is being
    // handled; else that product is selected (the others not), initialised
    // when first chosen, and handled with the dialog taken down.
    virtual long product_btn_cb(OI_d_tech* origin, void* argument, long value);
    // What the variant's icon in the main window does: shows the dialog, or
    // handles at once the only product it would offer.
    virtual long popup(OI_d_tech* origin, void* argument, long value) = 0;
    // The popup of the variants that offer installed products: the dialog
    // with the products that are not installed greyed out.
    virtual long installed_popup(OI_d_tech* origin, void* argument, long value);
    // Frees the main window and hides the dialog (also the window
    // manager's close).
    virtual long popdown(OI_d_tech* origin, void* argument, long value);
    // Builds the dialog once: a product box per product, the first product
    // highlighted. A missing object ends the program.
    virtual void create_cb();
    // Before each showing: fills the available list and makes the products
    // in it clickable, the others greyed. 0, or -1 after a message when the
    // dialog is not to be shown.
    virtual int modify_interface();
    virtual void set_title();
    virtual void set_name();
    l_product* products() const { return products_; }
    // What the action does with the chosen product.
    virtual void handle_cb(product* chosen) = 0;

    OI_dialog_box* dialog() const { return dialog_; }
    // Whether a choice is being handled (clicks are ignored meanwhile).
    bool handling() const { return handling_; }

protected:
    // The variant's part of building: help button, product buttons and
    // cancel bound, title and name set, resources applied.
    void bind_and_title();
    // Fills available with the installed products' identifiers: 0, or -1
    // after a message (no access to the records, none installed, or the
    // user stops at an installed product without configuration files).
    int list_installed(l_listring& available);
    // Makes the buttons of the products in available clickable and greys
    // the others.
    void offer_available(const l_listring& available);
    // The popup's end for a list of offered identifiers: nothing offered
    // gets empty_message; one goes straight to handle_cb; more show the
    // dialog.
    void show_or_handle(const l_listring& available, const listring& empty_message);
    // Centres and shows the dialog, at least 400 pixels wide, the main
    // window busy, the first product offered highlighted.
    void show();
    // The product of this list with identifier id, or null.
    product* find_product(const listring& id) const;
    // The available list: filled by modify_interface, owned here.
    l_listring& available() { return available_; }
    void clear_available();
    // Builds the dialog when not built yet, clears the handling flag; this
    // dialog becomes the_products_ui.
    void start_popup();
    // Hands chosen on: selected, initialised on first choice, then
    // handle_cb, with the dialog taken down when shown. A product that
    // cannot be initialised ends it there (its messages shown).
    void choose(product* chosen, bool shown);

    // The view variant handles before the dialog goes down, so that the
    // help viewer comes up over it.
    bool handle_before_popdown_ = false;

private:
    // Lays product box i out in the container.
    void lay_out_box(OI_d_tech* box, unsigned i) const;
    listring icon_file(const product& p) const;

    l_product* products_;
    listring name_;
    listring title_;
    listring help_file_;
    unsigned long help_context_;
    OI_d_tech* root_;
    OI_dialog_box* template_dialog_;
    OI_dialog_box* dialog_;
    unsigned long dialog_id_ = 0;
    OI_d_tech* container_ = nullptr;
    OI_static_text* instruction_ = nullptr;
    OI_d_tech* separator_ = nullptr;
    OI_menu_cell* help_button_ = nullptr;
    OI_menu_cell* template_help_button_ = nullptr;
    std::vector<OI_d_tech*> boxes_;
    std::vector<OI_static_text*> labels_;
    std::vector<KOI_button*> buttons_;
    minimum_size minimum_;
    bool initialised_ = false;
    bool handling_ = false;
    l_listring available_;
};

// The selection dialog shown last.
extern l_product_ui* the_products_ui;

#endif
