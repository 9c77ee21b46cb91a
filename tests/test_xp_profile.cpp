// The printer library's private-profile engine, damaged files included, and its
// error reports.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run_program.h"
#include "xp/xp.h"
#include "xp_test_support.h"

using xp_test::report_recorder;

namespace {

class xp_profile : public ::testing::Test {
protected:
    // Writes contents as the defaults file and returns its path.
    std::string profile(const std::string& contents)
    {
        write_file(file_, contents);
        return file_;
    }
    // The value of section/key (with default "-") read into a buffer of size.
    std::string value(const char* section, const char* key, int size = 256)
    {
        std::vector<char> buffer(static_cast<size_t>(size));
        int length = _XpGetPrivateProfileString(section, key, "-", buffer.data(), size, file_.c_str());
        std::string text = buffer.data();
        EXPECT_EQ(length, static_cast<int>(text.size())) << "length returned for " << section << "/" << key;
        return text;
    }
    std::vector<std::string> section(const char* name)
    {
        int count = -1;
        std::unique_ptr<std::string[]> lines = _XpGetPrivateProfileSection(name, &count, file_.c_str());
        return lines ? std::vector<std::string>(lines.get(), lines.get() + count) : std::vector<std::string>{};
    }

    temp_dir dir_;
    std::string file_ = dir_ / "Xpdefaults";
    report_recorder reports_;
};

}  // namespace

TEST_F(xp_profile, values_and_sections_are_found_by_name_ignoring_case)
{
    profile("top=before any section\n[Windows]\nDevice =a,b,c=d\n  empty=\n spaced= x \n\n[Ports]\r\nLP0=lp -d lp0\r\n");
    EXPECT_EQ(value("windows", "device"), "a,b,c=d");
    EXPECT_EQ(value("windows", "spaced"), " x ") << "the value after the first = is taken unchanged";
    EXPECT_EQ(value("WINDOWS", "empty"), "");
    EXPECT_EQ(value("ports", "lp0"), "lp -d lp0") << "a CR before the newline is not part of the value";
    EXPECT_EQ(value("windows", "top"), "-") << "lines before the first header belong to no section";
    EXPECT_EQ(value("windows", "lp0"), "-") << "a section ends at the next header";
    EXPECT_EQ(value("missing", "device"), "-");
    EXPECT_EQ(value("windows", "device", 4), "a,b") << "cut to the buffer size - 1";

    char buffer[16] = "x";
    EXPECT_EQ(_XpGetPrivateProfileString("windows", "device", "fallback", buffer, sizeof buffer,
                                         (dir_ / "absent").c_str()), 0);
    EXPECT_STREQ(buffer, "fallback") << "an unreadable file gives the default and 0";
    int count = 5;
    EXPECT_EQ(_XpGetPrivateProfileSection("a", &count, (dir_ / "absent").c_str()), nullptr);
    EXPECT_EQ(count, 0);

    // A section is its trimmed non-empty lines; its header may be indented.
    profile("[a]\nx=1\n  [Devices]  \n  one=1  \n\n\ttwo=2\n[b]\nthree=3\n");
    EXPECT_EQ(section("devices"), (std::vector<std::string>{"one=1", "two=2"}));
    EXPECT_TRUE(section("none").empty());
    EXPECT_TRUE(reports_.reports().empty()) << "reading reports nothing";
}

// Each write starts from before; key or value "null" stands for a null pointer.
TEST_F(xp_profile, writes_deletes_and_appends_change_only_what_they_name)
{
    struct write_case { const char *what, *before, *section, *key, *value; bool append; const char* after; };
    const write_case cases[] = {
        {"new key with no empty line before the next section", "[a]\nx=1\n[b]\n", "a", "k", "v", false,
         "[a]\nx=1\nk=v\n\n[b]\n"},
        {"capitalised header found by a lower-case name", "[Devices]\nP=1\n", "devices", "p", "2", false,
         "[Devices]\np=2\n"},
        {"first matching entry replaced", "[a]\nK = old\nz=1\nk=other\n", "a", "k", "new", false,
         "[a]\nk=new\nz=1\nk=other\n"},
        {"entry deleted", "[a]\nx=1\nk=v\n\n[b]\n", "a", "k", nullptr, false, "[a]\nx=1\n\n[b]\n"},
        {"section deleted up to the next header", "[a]\nx=1\n\n[devices]\np=q\n\nr=s\n[b]\ny=2\n", "devices",
         nullptr, nullptr, false, "[a]\nx=1\n\n[b]\ny=2\n"},
        {"missing section added at the end", "[a]\nx=1", "new", "k", "v", false, "[a]\nx=1\n\n[new]\nk=v\n\n"},
        {"empty file", "", "new", "k", "v", false, "\n[new]\nk=v\n\n"},
        {"file ends inside the section", "[a]\nx=1", "a", "k", "v", false, "[a]\nx=1\nk=v\n"},
        {"CRLF file keeps its line ends", "[a]\r\nx=1\r\n\r\n[b]\r\n", "a", "k", "v", false,
         "[a]\r\nx=1\r\nk=v\r\n\r\n[b]\r\n"},
        {"headers rewritten, other lines kept", "; note\n[a] old\n x = 1 \n[c\n", "b", "k", "v", false,
         "; note\n[a]\n x = 1 \n[c]\n\n[b]\nk=v\n\n"},
        {"deleting a missing entry changes nothing", "[a] x\nx=1\n", "a", "k", nullptr, false, "[a] x\nx=1\n"},
        {"deleting a missing section changes nothing", "[a] x\n", "b", nullptr, nullptr, false, "[a] x\n"},
        {"the same entry appended again", "[d]\nP=M X,lp0\n\n[b]\n", "d", "p", "m x,LP0", true,
         "[d]\nP=M X,lp0\n\n[b]\n"},
        {"appending keeps entries with the same key", "[d]\np=1\n\np=2\n\n[b]\n", "d", "p", "3", true,
         "[d]\np=1\np=2\np=3\n\n[b]\n"},
        {"appending at the end of the file", "[d]\np=1", "d", "q", "2", true, "[d]\np=1\nq=2\n"},
    };
    for (const write_case& c : cases) {
        std::string path = profile(c.before);
        int result = c.append ? _XpAppendPrivateProfileString(c.section, c.key, c.value, path.c_str())
                     : c.key == nullptr ? XpDeleteSection(c.section, path.c_str())
                     : c.value == nullptr ? XpDeleteSectionEntry(c.section, c.key, path.c_str())
                                          : _XpWritePrivateProfileString(c.section, c.key, c.value, path.c_str());
        EXPECT_EQ(result, 1) << c.what;
        EXPECT_EQ(read_file(path), c.after) << c.what;
    }
    EXPECT_TRUE(reports_.reports().empty());
}

TEST_F(xp_profile, text_that_would_read_back_differently_is_refused)
{
    const char* before = "[a]\nx=1\n";
    struct refused { const char *section, *key, *value; } cases[] = {
        {"a", "k=2", "v"}, {"a", "k", "v\n[b]"}, {"a]", "k", "v"}, {"a", "[k", "v"}, {"a", " ", "v"}};
    for (const refused& c : cases) {
        std::string path = profile(before);
        EXPECT_EQ(_XpWritePrivateProfileString(c.section, c.key, c.value, path.c_str()), 0) << c.key;
        EXPECT_EQ(read_file(path), before);
    }
    EXPECT_EQ(_XpAppendPrivateProfileString("a", "k", nullptr, file_.c_str()), 0);
    std::vector<std::string> expected(5, "eIllegalArg: _XpWritePrivateProfileString:: Illegal argument");
    expected.push_back("eIllegalArg: _XpAppendPrivateProfileString:: Illegal argument");
    EXPECT_EQ(reports_.texts(), expected);

    reports_.clear();
    std::string absent = dir_ / "absent";
    EXPECT_EQ(_XpWritePrivateProfileString("a", "k", "v", absent.c_str()), 0);
    EXPECT_EQ(reports_.texts(),
              std::vector<std::string>{"eOpenFile: _XpWritePrivateProfileString:: Can not open file " + absent});
}

// Damaged files (long lines, "[" without "]", "=" without key, NULs, junk) read
// safely, the first NUL line reported; a write keeps every other byte, those too.
TEST_F(xp_profile, damaged_files_are_read_safely_and_kept_whole_by_writes)
{
    std::string long_line = "long=" + std::string(300, 'x') + "[fake]=" + std::string(300, 'y');
    std::string junk("\x01\xff\x00=\x00[\x7f\n\x00\x00\n", 11);
    std::string kept = "[keep]\n" + long_line + "\n=no key\n" + junk + "=\n";
    std::string path = profile(kept + "[windows\ndevice=a,b,c\n[ports]\nlp0=lp\n");

    EXPECT_EQ(value("keep", "long"), std::string(250, 'x')) << "only the first 255 characters are read";
    EXPECT_EQ(value("fake", "long"), "-") << "the rest of a long line is never a header";
    EXPECT_EQ(value("keep", ""), "no key");
    EXPECT_EQ(value("windows", "device"), "a,b,c") << "a header without ] names the rest of its line";
    EXPECT_EQ(section("keep"), (std::vector<std::string>{long_line.substr(0, 255), "=no key", "="}));
    ASSERT_EQ(reports_.texts().size(), 5u) << "every read reports the first line holding a NUL";
    EXPECT_EQ(reports_.texts().back(),
              "eBadLine: _XpGetPrivateProfileSection:: Incorrect line 4 in the Xpdefaults file:\n\t" + path);

    ASSERT_EQ(_XpWritePrivateProfileString("ports", "lp1", "lp -d lp1", path.c_str()), 1);
    EXPECT_EQ(read_file(path), kept + "[windows]\ndevice=a,b,c\n[ports]\nlp0=lp\nlp1=lp -d lp1\n")
        << "only the header without ] is repaired";
    ASSERT_EQ(_XpAppendPrivateProfileString("keep", "k", "v", path.c_str()), 1);
    EXPECT_EQ(read_file(path).substr(0, kept.size() + 4), kept + "k=v\n") << "appending keeps the NUL lines";

    for (const std::string& contents : {std::string(), std::string("\0\0\0", 3), std::string(70000, '[')}) {
        profile(contents);
        EXPECT_EQ(value("a", "b") + std::to_string(section("a").size()), "-0");
    }
    EXPECT_EQ(_XpWritePrivateProfileString("a", "b", "c", path.c_str()), 1);
    EXPECT_EQ(value("a", "b"), "c") << "a file of junk still takes a new section";
    EXPECT_EQ(read_file(path).substr(0, 70001), std::string(70000, '[') + "\n")
        << "a header line too long to be read whole is kept as it is";
}

TEST(xp_errors, reports_reach_the_installed_handler_and_the_text_is_kept)
{
    {
        report_recorder recorder;
        XpError(eWriteFile, "XpTest", "/some/file");
        XpError(wNoDefault, "XpGetDevices", "/x");
        ASSERT_EQ(recorder.reports().size(), 2u);
        EXPECT_EQ(recorder.reports()[0].code, eWriteFile);
        EXPECT_EQ(std::to_string(recorder.reports()[0].is_error) + std::to_string(recorder.reports()[1].is_error) +
                      " " + recorder.reports()[0].text, "10 eWriteFile: XpTest:: Can not write to file /some/file")
            << "e identifiers are errors, w ones warnings";

        char small[8];
        XpGetErrorText(small, sizeof small);
        EXPECT_STREQ(small, "wNoDefa") << "cut to size - 1";
        char untouched[4] = "abc";
        XpGetErrorText(untouched, 0);
        EXPECT_STREQ(untouched, "abc");
    }
    // The default handler prints; an error ends the program, a warning does not.
    EXPECT_EQ(XpSetErrorHandler(nullptr), nullptr) << "the recorder put the default back";
    EXPECT_EXIT(
        {
            XpError(wNoDefault, "XpGetDevices", "/x");
            XpError(eOpenFile, "XpTest", "/y");
        }, ::testing::ExitedWithCode(1),
        folded_pattern("Warning: wNoDefault: XpGetDevices:: Default printer") + ".*" +
            folded_pattern("Error: eOpenFile: XpTest:: Can not open file /y"));
}
