#include "prod/l_product.h"

#include <memory>

#include "misc/lidefs.h"
#include "misc/utilities.h"
#include "lib/msgs.h"
#include "lib/reporter.h"

namespace {
const list_labels PRODUCT_LABELS = {"product", "Product"};
}

l_product::l_product(main_ui* owner) : typed_list<product>(PRODUCT_LABELS), owner_(owner) {}

l_product::~l_product()
{
    while (entries() > 0) {
        product* first = typed_list<product>::elem(0u);
        List::remove(0);
        delete first;
    }
}

// A copy is a fresh read of the same description file, never a field copy:
// the new product gets its own interpreter and lists.
int l_product::add(const product& p)
{
    std::unique_ptr<product> copy(new product(this, p.id()));
    if (add(copy.get()) != 0)
        return -1;
    copy.release();
    return 0;
}

product* l_product::elem(const listring& id) const
{
    product* found = find_by_key(id, [](const product& p) -> const listring& { return p.id(); });
    if (found == nullptr)
        error(format_message(DEF_PRODUCT_DOES_NOT_EXIST, id.c_str()), true);
    return found;
}

void l_product::collect_ids(l_listring& ids)
{
    if (get_prod_ids_from_files(CONFIG_FILE_DIR, ids, PRODUCT_FILE_EXTENSION) != 0 &&
        get_prod_ids_from_files(TARNU_CONFIG_DIR, ids, PRODUCT_FILE_EXTENSION) != 0) {
        error(listring(catalogue_text(DEF_NO_PRODUCTS_AVAIL)), true);
        end_program(-1);
    }
    if (ids.entries() == 0) {
        error(format_message(DEF_NO_PRODUCT_FILES, CONFIG_FILE_DIR.c_str()), true);
        end_program(-1);
    }
}

// Products are built from CONFIG_FILE_DIR even when the identifiers came
// from the fixed directory; a bad description file ends the program there.
void l_product::fill(const l_listring& ids)
{
    for (unsigned i = 0; i < ids.entries(); ++i) {
        std::unique_ptr<product> made(new product(this, *ids.elem(i)));
        if (add(made.get()) != 0)
            end_program(-1);
        made.release();
    }
}
