// The sample product that the targets of product files read into: one
// product, kps30, made once in a sandbox of fuzz_dir().
#ifndef KITSETUP_TESTS_FUZZ_FUZZ_PRODUCT_H
#define KITSETUP_TESTS_FUZZ_FUZZ_PRODUCT_H

#include <memory>

#include "fuzz_support.h"
#include "product_sandbox.h"
#include "prod/product.h"

inline product* fuzz_sample_product()
{
    static product_sandbox sandbox(fuzz_dir(), fuzz_dir());
    static std::unique_ptr<product> made = [] {
        fuzz_write("kps30.prd", "Code: kps\nVersion: 30\n");
        return std::make_unique<product>(nullptr, "kps30");
    }();
    return made.get();
}

#endif
