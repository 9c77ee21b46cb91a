// The built program's command line, environment checks and catalogue, run as
// a user runs it: texts, streams and exit statuses.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <utility>

#include "lib/msgs.h"
#include "run_program.h"

namespace {

const std::string program = KITSETUP_BIN;
const std::string demo_dir = KITSETUP_DEMO_DIR;

// The built-in usage (a function: the texts are another unit's globals).
std::string usage_text()
{
    return std::string(DEF_USAGE_STRING1.c_str()) + DEF_USAGE_STRING2.c_str() + "\n";
}

// An environment in which start-up can succeed: KARCH, DISPLAY and LANG set.
test_environment good_environment()
{
    return test_environment().set("KARCH", KITSETUP_KARCH).set("DISPLAY", ":97.9").set("LANG", "C")
        .set("LC_ALL", nullptr).set("NLSPATH", nullptr);
}

program_result run(const std::vector<std::string>& args,
                   const test_environment& environment = good_environment(),
                   const std::string& cwd = "")
{
    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), args.begin(), args.end());
    return run_program(program, argv, environment, cwd);
}

// An install directory whose "C" catalogue holds the given messages only.
void install_catalogue(const temp_dir& dir, const std::string& name, const std::string& messages)
{
    make_catalogue(dir / ("nls/C/" KITSETUP_KARCH "/" + name + ".cat"),
                   "$quote \"\n$set 1\n" + messages);
}

}  // namespace

// Options in any case; -v stops before later options; a missing value gives the
// usage; a display that cannot be opened (no server has :97.9) ends quietly with
// 0; odd and very long words (the kernel takes 128 KiB a word) are skipped.
TEST(CommandLine, OptionsGiveTheirOutputAndStatus)
{
    const std::string usage = usage_text();
    const std::string version = "kitsetup: Release 1.0.8.\n";
    const std::string missing_dir = "kitsetup Error: Directory \"/no/such/dir\" does not exist.\n";
    const struct { std::vector<std::string> args; int status; std::string out, err; } rows[] = {
        {{"-v"}, 0, version, ""}, {{"-V"}, 0, version, ""},
        {{"-help"}, 0, usage, ""}, {{"-HELP"}, 0, usage, ""},
        {{"-nosplash", "-dir"}, 0, usage, ""}, {{"-nosplash", "-setup"}, 0, usage, ""},
        {{"-nosplash", "-Dir"}, 0, usage, ""}, {{"-v", "-dir", "/no/such/dir"}, 0, version, ""},
        {{"-dir", "/no/such/dir"}, 255, "", missing_dir},
        {{"-dir", demo_dir, "-nosplash", "-display", ":97.9"}, 0, "", ""},
        {{"", "-", "--", std::string(100000, 'x'), "-dir", demo_dir, "\t\n", "-xrm", "*x: y"}, 0, "", ""},
    };
    for (const auto& row : rows) {
        program_result result = run(row.args);
        std::string args = row.args[0] + " " + (row.args.size() > 1 ? row.args[1] : "");
        EXPECT_EQ(std::to_string(result.status) + "|" + result.out + "|" + folded(result.err),
                  std::to_string(row.status) + "|" + row.out + "|" + folded(row.err)) << args;
    }
}

// A missing KARCH or DISPLAY ends with 0 and says so; the catalogue is opened
// after those checks (its path names the architecture), and a missing one is
// reported once, after the missing language when LANG names one not installed.
TEST(Environment, MissingVariablesAndCataloguesAreReportedInOrder)
{
    const std::string no_catalogue = "kitsetup Warning: Unable to open kitsetup Message Catalogue.\n";
    const std::string no_display = "kitsetup Error: The DISPLAY environment variable must be set.\n";
    // dir_given: else run in the install directory.
    const struct { const char *unset, *lang; bool dir_given; const char* catalogue; std::string err; } rows[] = {
        {"KARCH", "C", true, "demo", no_catalogue + "kitsetup Error: The KARCH environment variable must be set.\n"},
        {"DISPLAY", "C", true, "demo", no_display},
        {"DISPLAY", "C", false, nullptr, no_display},
        {nullptr, "C", false, nullptr, no_catalogue},
        {"DISPLAY", "C", true, nullptr, no_catalogue + no_display},
        {"DISPLAY", "C", true, "133 \"kitsetup Fehler: \"\n216 \"Die Variable DISPLAY fehlt.\"\n",
         "kitsetup Fehler: Die Variable DISPLAY fehlt.\n"},
        {"DISPLAY", "xx_XX.UTF-8", true, nullptr,
         "kitsetup Warning: Native Language Interface Libraries (LANG=xx_XX.UTF-8) have not been found on your "
         "system. This will result in default language \"C\" being used.\n" + no_catalogue + no_display},
    };
    for (const auto& row : rows) {
        temp_dir install;
        std::string dir = install.path();
        if (row.catalogue != nullptr && std::string(row.catalogue) == "demo")
            dir = demo_dir;
        else if (row.catalogue != nullptr)
            install_catalogue(install, "kitsetup", row.catalogue);
        test_environment environment = good_environment();
        environment.set("LANG", row.lang);
        if (row.unset != nullptr)
            environment.set(row.unset, nullptr);
        program_result result = row.dir_given ? run({"-dir", dir, "-dir", dir}, environment)
                                              : run({}, environment, dir);
        EXPECT_EQ(result.status, 0) << row.err;
        EXPECT_EQ(folded(result.err), folded(row.err));
    }
}

// Each LANG finds its nearest installed catalogue without a warning; one that is
// odd or tries to leave nls gets "C". The usage comes from the catalogue too.
TEST(Catalogue, LanguageFallsBackToItsNearestInstalledCatalogue)
{
    temp_dir install;
    for (std::string language : {"C", "en", "de_DE", "de_DE@euro"})
        make_catalogue(install / ("nls/" + language + "/" KITSETUP_KARCH "/kitsetup.cat"),
                       "$quote \"\n$set 1\n216 \"" + language + " text\"\n" +
                           "197 \"" + language + " \"\n198 \"usage\"\n");
    program_result help = run({"-dir", install.path(), "-help"});
    EXPECT_EQ(std::to_string(help.status) + " " + help.out, "0 C usage\n");
    // Where LANG=".." would lead, and a directory for "x/../.." to pass through.
    make_catalogue(install / KITSETUP_KARCH "/kitsetup.cat", "$set 1\n216 outside nls\n");
    write_file(install / "nls/x/.keep", "");
    write_file(install / "nls/fr_FR.UTF-8", "a file, not a language directory\n");
    const std::pair<std::string, std::string> cases[] = {
        {"en_US.UTF-8", "en"}, {"en", "en"}, {"de_DE.UTF-8", "de_DE"}, {"de_DE.UTF-8@euro", "de_DE@euro"},
        {"de_DE.UTF-8@other", "de_DE"}, {"de_AT", "C"}, {"C.UTF-8", "C"}, {"fr_FR.UTF-8", "C"}, {"", "C"},
        {std::string(500, 'e'), "C"}, {"..", "C"}, {"x/../..", "C"}};
    for (const auto& [lang, expected] : cases) {
        test_environment environment = good_environment();
        environment.set("DISPLAY", nullptr).set("LANG", lang.c_str());
        program_result result = run({"-dir", install.path()}, environment);
        EXPECT_EQ(std::to_string(result.status) + " " + result.err, "0 kitsetup Error: " + expected + " text\n")
            << "LANG=" << lang;
    }
}

TEST(ProgramName, ALinkedNameNamesTheVersionAndTheCatalogue)
{
    temp_dir install;
    std::string link = install / "kitinst";
    ASSERT_EQ(symlink(program.c_str(), link.c_str()), 0);
    install_catalogue(install, "kitinst", "216 \"kitinst has its own catalogue.\"\n");

    EXPECT_EQ(run_program(link, {link, "-v"}, good_environment()).out, "kitinst: Release 1.0.8.\n");

    test_environment environment = good_environment();
    environment.set("DISPLAY", nullptr);
    EXPECT_EQ(folded(run_program(link, {link, "-dir", install.path()}, environment).err),
              folded("kitsetup Error: kitinst has its own catalogue.\n"));
    EXPECT_EQ(folded(run_program(link, {link, "-dir", demo_dir}, environment).err),
              folded("kitsetup Warning: Unable to open kitinst Message Catalogue.\n"
              "kitsetup Error: The DISPLAY environment variable must be set.\n"));
}
