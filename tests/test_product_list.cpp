// The product list: the demo's products, exact look-up whatever the case setting,
// and the fatal ends of the start-up scan.
#include <dirent.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "lib/l_listring.h"
#include "message_recorder.h"
#include "utilities_test_support.h"
#include "product_sandbox.h"
#include "misc/lidefs.h"
#include "prod/l_product.h"
#include "run_program.h"

namespace {

const std::string DEMO_CONFIG = std::string(KITSETUP_DEMO_DIR) + "/config";

// The demo's configuration as CONFIG_FILE_DIR.
class ProductList : public testing::Test {
protected:
    // The identifiers that collect_ids finds, freed after copying.
    static strings collected_ids()
    {
        l_listring ids;
        l_product::collect_ids(ids);
        return utilities_test::take_strings(ids);
    }

    // Fills list with the demo's products, the way the main window does.
    static void fill_from_config(l_product& list)
    {
        l_listring ids;
        l_product::collect_ids(ids);
        list.fill(ids);
        for (unsigned i = 0; i < ids.entries(); ++i)
            delete ids.elem(i);
    }

    message_recorder recorder_;

private:
    product_sandbox sandbox_{DEMO_CONFIG};
};

using ProductListDeathTest = ProductList;

}  // namespace

// Each product keeps the scan's order and names an icon of the demo's; adding by
// product reads its description file again into a product of its own.
TEST_F(ProductList, DemoProductsLoadWithoutAMessageInScanOrderAndAddingOneRereadsIt)
{
    strings ids = collected_ids();
    l_product list(nullptr);
    fill_from_config(list);
    ASSERT_EQ(list.entries(), 3u);
    ASSERT_EQ(ids.size(), 3u);
    for (unsigned i = 0; i < list.entries(); ++i) {
        product* p = list.elem(i);
        EXPECT_EQ(std::string(p->id()), ids[i]) << "the list keeps the scan's order";
        EXPECT_EQ(p->product_list(), &list);
        std::string icon = std::string(KITSETUP_DEMO_DIR) + "/icons/" + p->bitmap().c_str();
        EXPECT_EQ(access(icon.c_str(), R_OK), 0) << icon;
    }
    product* original = list.elem(listring("kdb12"));
    ASSERT_NE(original, nullptr);
    ASSERT_EQ(list.add(*original), 0);
    ASSERT_EQ(list.entries(), 4u);
    product* copy = list.elem(3u);
    EXPECT_STREQ(copy->id(), "kdb12");
    EXPECT_STREQ(copy->description(), original->description());
    EXPECT_NE(copy->interpreter(), original->interpreter());
    EXPECT_EQ(list.elem(listring("kdb12")), original) << "the first match wins";
    EXPECT_TRUE(recorder_.texts().empty()) << recorder_.texts().front();
}

// An unknown identifier, a prefix of one included, is reported and gives null.
TEST_F(ProductList, LookUpIsExactWhateverTheCaseSettingAndRestoresIt)
{
    l_product list(nullptr);
    EXPECT_EQ(list.elem(listring("kps30")), nullptr) << "empty list";
    EXPECT_EQ(recorder_.texts(), strings{"Product \"kps30\" does not exist."});
    fill_from_config(list);
    for (liboolean sensitive : {false, true}) {
        sensitive ? listring::case_sensitive_on() : listring::case_sensitive_off();
        recorder_.clear();
        EXPECT_EQ(list.elem(listring("KPS30")), nullptr) << "sensitive " << sensitive;
        EXPECT_EQ(list.elem(listring("kps3")), nullptr) << "a prefix is not the identifier";
        EXPECT_EQ(recorder_.texts(), (strings{"Product \"KPS30\" does not exist.", "Product \"kps3\" does not exist."}));
        EXPECT_EQ(listring::is_case_sensitive(), sensitive);
        ASSERT_NE(list.elem(listring("kdb12")), nullptr);
        EXPECT_STREQ(list.elem(listring("kdb12"))->id(), "kdb12");
        EXPECT_EQ(listring::is_case_sensitive(), sensitive);
    }
}

TEST_F(ProductList, OnlyFiveCharacterStemsAreProducts)
{
    temp_dir dir;
    for (const char* name : {"abc12.prd", "abcd.prd", "abc123.prd", "abc12.cfg"})
        write_file(dir / name, "Code: abc\nVersion: 12\nShort Description: ABC\n");
    CONFIG_FILE_DIR = dir.path().c_str();
    EXPECT_EQ(collected_ids(), strings{"abc12"});
    EXPECT_TRUE(recorder_.texts().empty()) << recorder_.texts().front();
}

// A directory without a description file, or with a hidden one only (found,
// but its product's file is not there to read), stops the scan.
TEST_F(ProductListDeathTest, NoDescriptionFileOrOnlyAHiddenOneStopsTheProgram)
{
    temp_dir dir;
    write_file(dir / "none/kitsetup.cf", "not a product\n");
    write_file(dir / "hidden/.kps30.prd", "Code: kps\nVersion: 30\n");
    const std::pair<std::string, std::string> rows[] = {
        {dir / "none", folded_pattern("Unable to locate any product description files in the configuration "
                                      "file directory " + dir / "none" + ".")},
        {dir / "hidden", folded_pattern("Unable to parse file") + ".*/kps30\\.prd"}};
    for (const auto& [config, pattern] : rows) {
        CONFIG_FILE_DIR = config.c_str();
        EXPECT_EXIT({ set_reporter(nullptr); l_product list(nullptr); fill_from_config(list); },
                    testing::ExitedWithCode(255), pattern);
    }
}

TEST_F(ProductListDeathTest, NoReadableDirectoryStopsTheProgram)
{
    if (DIR* handle = opendir(TARNU_CONFIG_DIR); handle != nullptr && closedir(handle) == 0)
        GTEST_SKIP() << TARNU_CONFIG_DIR.c_str() << " exists here";
    temp_dir dir;
    CONFIG_FILE_DIR = (dir / "missing").c_str();
    EXPECT_EXIT((set_reporter(nullptr), collected_ids()), testing::ExitedWithCode(255),
                folded_pattern("Could not determine if there are products available for installation."));
}
