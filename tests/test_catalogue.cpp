// Catalogue look-ups: the generated catalogue against the built-in table, the
// defaults without one, and product texts from a catalogue of their own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "message_recorder.h"
#include "product_sandbox.h"
#include "run_program.h"
#include "misc/unix_cat.h"
#include "lib/msgs.h"

namespace {

struct table_entry { int number; const char* name; const kit_message* message; };

const table_entry table[] = {
#define KIT_MSG(number, name, text) {number, #name, &name},
#include "lib/msgs.def"
#undef KIT_MSG
};

}  // namespace

// A number used twice, or a text gencat would mangle, reads back wrong here.
TEST(MessageTable, GeneratedCatalogueReadsBackEveryDefaultText)
{
    std::string path = std::string(KITSETUP_DEMO_DIR) + "/nls/C/" KITSETUP_KARCH "/kitsetup.cat";
    nl_catd handle = catopen(path.c_str(), 0);
    ASSERT_NE(handle, CATALOGUE_FAILED) << path;
    for (const table_entry& entry : table)
        EXPECT_STREQ(unix_catgets(handle, 1, entry.number, "<missing>"), entry.message->c_str()) << entry.name;
    unix_catclose(handle);
}

// The product's catalogue is found by language and architecture; "msg_N"
// texts read from it, a missing message or catalogue keeps the text.
TEST(UnixCatopen, OpensTheLanguageAndArchitectureCatalogueForProductTexts)
{
    temp_dir dir;
    make_catalogue(dir / "C/" KITSETUP_KARCH "/product.cat", "$quote \"\n$set 1\n12 \"Twelve\"\n");
    product_sandbox sandbox("", dir.path());
    message_recorder recorder;
    nl_catd handle = unix_catopen("product", 0);
    ASSERT_NE(handle, CATALOGUE_FAILED);
    EXPECT_STREQ(unix_catgets(handle, 1, 12, "msg_12"), "Twelve");
    EXPECT_STREQ(unix_catgets(handle, 1, 13, "msg_13"), "msg_13") << "a missing message keeps the text";
    EXPECT_STREQ(catalogue_reference_text(handle, "msg_12"), "Twelve");
    EXPECT_STREQ(catalogue_reference_text(handle, "msg_13"), "msg_13");
    EXPECT_STREQ(catalogue_reference_text(handle, "Plain text"), "Plain text");
    EXPECT_STREQ(catalogue_reference_text(CATALOGUE_FAILED, "msg_12"), "msg_12");
    unix_catclose(handle);
    EXPECT_TRUE(recorder.texts().empty());
    EXPECT_EQ(unix_catopen("absent", 0), CATALOGUE_FAILED);
    EXPECT_STREQ(unix_catgets(CATALOGUE_FAILED, 1, 84, DEF_BAD_DIR), DEF_BAD_DIR.c_str());
    EXPECT_STREQ(unix_catgets(nullptr, 1, 84, DEF_BAD_DIR), DEF_BAD_DIR.c_str());
}

// The "C" catalogue serves an uninstalled language without a warning.
TEST(UnixCatopenDeathTest, UninstalledLanguageSwitchesTheProcessToC)
{
    // Run in a child: the switch changes the environment and the locale.
    EXPECT_EXIT(
        {
            temp_dir dir;
            make_catalogue(dir / "C/" KITSETUP_KARCH "/product.cat",
                           "$quote \"\n$set 1\n12 \"C text\"\n");
            MESSAGES_DIR = dir.path().c_str();
            setenv("LANG", "xx_XX.UTF-8", 1);
            setenv("KARCH", KITSETUP_KARCH, 1);
            setenv("TARNUDIR", "/opt/tarnu", 1);
            unsetenv("LC_ALL");
            message_recorder recorder;
            nl_catd handle = unix_catopen("product", 0);
            bool ok = handle != CATALOGUE_FAILED &&
                      std::string(unix_catgets(handle, 1, 12, "x")) == "C text" &&
                      std::string(std::getenv("LANG")) == "C" &&
                      std::string(std::getenv("NLSPATH")) ==
                          "/opt/tarnu/install/nls/C/" KITSETUP_KARCH "/%N.cat" &&
                      recorder.texts().empty();
            unix_catclose(handle);
            std::exit(ok ? 0 : 1);
        }, testing::ExitedWithCode(0), "");
}

// A translation with other conversions than the built-in text would make printf
// read the wrong arguments, so it is not used. A message is cut at 1024 bytes.
TEST(FormatMessage, TranslationsWithOtherConversionsFallBackToTheBuiltInTextAndLengthIsCut)
{
    temp_dir dir;
    std::string path = dir / "kitsetup.cat";
    make_catalogue(path, "$quote \"\n$set 1\n"
                         "84 \"Verzeichnis %s fehlt.\"\n120 \"%s: %s %s\"\n121 \"%s Fehler, Index %s.\"\n"
                         "122 \"Zeile %ld in %s.\"\n183 \"Kann %s nicht öffnen \"\n");
    nl_catd saved = msg_file;
    msg_file = catopen(path.c_str(), 0);
    ASSERT_NE(msg_file, CATALOGUE_FAILED);
    EXPECT_STREQ(format_message(DEF_BAD_DIR, "/x"), "Verzeichnis /x fehlt.");
    EXPECT_STREQ(format_message(DEF_SUBSCRIPT_ERROR, "String", 7),
                 "String error, subscript 7 is out of bounds.") << "%s where %d is expected";
    EXPECT_STREQ(catalogue_text(DEF_LIST_ADD_ERROR), DEF_LIST_ADD_ERROR.c_str()) << "extra conversion";
    EXPECT_STREQ(catalogue_text(DEF_BAD_CFG_FILE_LINE), DEF_BAD_CFG_FILE_LINE.c_str()) << "other length";
    EXPECT_STREQ(catalogue_text(DEF_CANNOT_OPEN), DEF_CANNOT_OPEN.c_str()) << "none expected";
    EXPECT_EQ(format_message(DEF_BAD_DIR, std::string(5000, 'a').c_str()).length(), 1023u);
    catclose(msg_file);
    msg_file = saved;
}
