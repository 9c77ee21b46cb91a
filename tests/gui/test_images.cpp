// Images and image buttons: the converter reads XPM (with transparent and
// named colours) or falls back to XBM, caches by file, reports failures;
// clickers and image buttons run their callback once per click.
#include <cstdlib>
#include <string>

#include "toolkit/cvt_xpmfile.h"
#include "toolkit/koi_button.h"
#include "toolkit/pix_cache.h"
#include "toolkit_fixture.h"

namespace {

// 4 by 3: a transparent column, named and numeric colours.
const char* const small_xpm =
    "/* XPM */\nstatic char *small[] = {\n\"4 3 3 1\",\n"
    "\". c None\",\n\"r c red\",\n\"b c #0000FF\",\n"
    "\".rrb\",\n\".rbb\",\n\".bbb\"};\n";

// 3 by 2 bitmap: bits 1,0,1 then 0,1,0 (least significant bit first).
const char* const small_xbm =
    "#define small_width 3\n#define small_height 2\nstatic unsigned char small_bits[] = {\n   0x05, 0x02};\n";

int clicks;

long count_click(OI_d_tech*, void*, long)
{
    return ++clicks;
}

}  // namespace

class images : public toolkit_test {
protected:
    void SetUp() override
    {
        toolkit_test::SetUp();
        OI_reg_derived_classes();
        OI_actions_rec click = OI_function_action("count_click", count_click);
        OI_add_actions(&click, 1);
        clicks = 0;
    }
    std::string pixel(const std::string& image, int x, int y)
    {
        return tcl(image + " get " + std::to_string(x) + " " + std::to_string(y)) + " " +
               tcl(image + " transparency get " + std::to_string(x) + " " + std::to_string(y));
    }
};

TEST_F(images, XpmKeepsSizeColoursAndTransparencyAndIsMadeOncePerFile)
{
    write_file(dir_ / "small.xpm", small_xpm);
    std::string image = OI_image_for_file(dir_ / "small");
    ASSERT_NE(image, "");
    EXPECT_EQ(tcl("image width " + image) + "x" + tcl("image height " + image), "4x3");
    EXPECT_EQ(pixel(image, 0, 1) + ", " + pixel(image, 1, 0) + ", " + pixel(image, 3, 0), "0 0 0 1, 255 0 0 0, 0 0 255 0")
        << "None transparent, a colour name, a numeric colour";
    // The same file gives the same image, and the image its file.
    setenv("KIT_TEST_ICONS", dir_.path().c_str(), 1);
    EXPECT_EQ(OI_image_for_file("$KIT_TEST_ICONS/small"), image) << "expanded names share an image";
    EXPECT_EQ(OI_file_for_image(image), dir_ / "small");
    EXPECT_EQ(OI_file_for_image("no_such_image"), "");
    EXPECT_EQ(PixCache::of(conn_)->size(), 1);

    tcl("image delete " + image);
    std::string again = OI_image_for_file(dir_ / "small");
    EXPECT_NE(again, "") << "a deleted image is made anew";
    EXPECT_EQ(tcl("image width " + again), "4");
    EXPECT_EQ(OI_file_for_image(again), dir_ / "small");
}

// A bitmap stands in for a missing or bad XPM; with neither, the reason is
// printed and there is no image, and a button without its picture still shows.
TEST_F(images, BitmapIsTheFallbackForAMissingOrBadXpmAndWithNeitherThereIsNoImage)
{
    write_file(dir_ / "mark.xbm", small_xbm);
    write_file(dir_ / "bad.xpm", "not an image\n");
    write_file(dir_ / "bad.xbm", small_xbm);
    for (const char* name : {"mark", "bad"}) {
        std::string image = OI_image_for_file(dir_ / name);
        ASSERT_NE(image, "") << name;
        EXPECT_EQ(tcl("image width " + image) + "x" + tcl("image height " + image), "3x2");
        EXPECT_EQ(pixel(image, 0, 0), "0 0 0 0") << "set bits are black";
        EXPECT_EQ(tcl(image + " transparency get 1 0"), "1") << "clear bits are transparent";
        EXPECT_EQ(tcl(image + " transparency get 1 1"), "0");
    }

    testing::internal::CaptureStderr();
    EXPECT_EQ(OI_image_for_file(dir_ / "none"), "");
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("none.xbm\": No such file or directory"), std::string::npos) << err;
    EXPECT_NE(err.find("couldn't convert file to xpm class"), std::string::npos) << err;
    testing::internal::CaptureStderr();
    EXPECT_EQ(OI_image_for_file(""), "");
    EXPECT_FALSE(cvt_xpmfile_to_pixmap(conn_, "x", nullptr));
    KOI_button* button = create_koi_button("pic", (dir_ / "none").c_str(), 2, 2, 30);
    err = testing::internal::GetCapturedStderr();
    ASSERT_NE(button, nullptr) << "a missing picture is no hard failure";
    EXPECT_NE(err.find("couldn't convert file to xpm class"), std::string::npos);
    int w = -1, h = -1;
    button->image_size(&w, &h);
    EXPECT_EQ(button->image_name(), "");
    EXPECT_EQ(w + h, 0);
    button->set_associated_object(conn_->root(), 0, 0, ACTIVE);
    settle();
    EXPECT_TRUE(button->is_displayed());
}

// An icon whose values line asks for more than any icon (libXpm would
// allocate and loop as told) is refused by its line, comments or not; so is
// a bitmap of that size. A small icon beside them still reads.
TEST_F(images, IconsBeyondAnyIconsSizeAreRefusedNamingTheLine)
{
    write_file(dir_ / "wide.xpm", "/* XPM */\n/* { \"1 1 1 1\" */\nstatic char *w[] = {\n/* \"1 1 1 1\" */ "
                                  "\"4000 4000 2 1\",\n\"a c red\",\n\"b c None\",\n\"ab\"};\n");
    write_file(dir_ / "deep.xpm", "/* XPM */\nstatic char *d[] = {\n\"3 1 3 18888888888888888888888\",\n\"abc\"};\n");
    std::string row;
    for (int byte = 0; byte < 625; ++byte)
        row += "0x0f,";
    write_file(dir_ / "wide.xbm",
               "#define w_width 5000\n#define w_height 1\nstatic unsigned char w_bits[] = {\n" + row + "};\n");
    testing::internal::CaptureStderr();
    EXPECT_EQ(OI_image_for_file(dir_ / "wide"), "");
    EXPECT_EQ(OI_image_for_file(dir_ / "deep"), "");
    std::string err = folded(testing::internal::GetCapturedStderr());
    EXPECT_NE(err.find("wide.xpm\": line 4: \"4000 4000 2 1\" is beyond what an icon may be"), std::string::npos) << err;
    EXPECT_NE(err.find("wide.xbm\": line 1: a width of 5000 is beyond"), std::string::npos) << err;
    EXPECT_NE(err.find("deep.xpm\": line 3: \"3 1 3 18888888888888888888888\" is beyond"), std::string::npos) << err;
    write_file(dir_ / "small.xpm", small_xpm);
    EXPECT_NE(OI_image_for_file(dir_ / "small"), "");
}

// A button declared in a resource file shows its image and keeps it and its
// action in a copy; press, a click on the picture and Space run the callback
// once each, a release outside or a greyed button none.
TEST_F(images, ImageButtonsShowTheirImageAndRunTheCallbackOncePerClick)
{
    write_file(dir_ / "small.xpm", small_xpm);
    setenv("KIT_TEST_ICONS", dir_.path().c_str(), 1);
    OI_d_tech* box = make("*win.class: Box\n*win.pic.class: ImageButton\n*win.pic.xpm: $KIT_TEST_ICONS/small\n"
                          "*win.pic.label: Small\n*win.pic.action: count_click\n*win.bare.class: Clicker\n");
    ASSERT_NE(box, nullptr);
    auto* button = dynamic_cast<KOI_button*>(box->descendant("pic"));
    auto* clicker = dynamic_cast<KOI_clicker*>(box->descendant("bare"));
    ASSERT_TRUE(button && clicker);
    clicker->set_click(OI_callback(count_click, nullptr));
    settle();
    std::string picture = tcl("lindex [winfo children " + OI_tk::widget(button) + "] 0");
    EXPECT_EQ(button->image_name(), OI_image_for_file(dir_ / "small"));
    EXPECT_EQ(tcl(picture + " cget -image"), button->image_name());

    OI_d_tech* copy = box->clone();
    copy->set_associated_object(conn_->root(), 0, 0, ACTIVE);
    auto* copied = dynamic_cast<KOI_button*>(copy->descendant("pic"));
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->image_name(), button->image_name());
    EXPECT_TRUE(copied->press());
    EXPECT_EQ(clicks, 1) << "the copy keeps the action";
    copy->delete_all();
    ASSERT_TRUE(button->pixmap(KITSETUP_DEMO_DIR "/icons/info"));
    EXPECT_EQ(tcl(picture + " cget -image"), OI_image_for_file(KITSETUP_DEMO_DIR "/icons/info")) << "a new picture";

    EXPECT_TRUE(button->press()) << "the original must stay";
    EXPECT_TRUE(clicker->press());
    EXPECT_EQ(clicks, 3);
    EXPECT_FALSE(button->pushed_in());
    tcl("event generate " + picture + " <ButtonPress-1> -x 5 -y 5");
    EXPECT_TRUE(button->pushed_in()) << "a held button looks pushed in";
    tcl("event generate " + picture + " <ButtonRelease-1> -x 6 -y 6");
    settle();
    EXPECT_EQ(clicks, 4) << "a click on the picture";
    EXPECT_FALSE(button->pushed_in());

    tcl("event generate " + picture + " <ButtonPress-1> -x 5 -y 5");
    tcl("event generate " + picture + " <ButtonRelease-1> -x 500 -y 5");
    settle();
    EXPECT_EQ(clicks, 4) << "released outside: no click";

    tcl("focus -force " + OI_tk::widget(button));
    tcl("event generate " + OI_tk::widget(button) + " <KeyPress-space>");
    settle();
    EXPECT_EQ(clicks, 5) << "Space activates the focused button";

    button->set_state(INACTIVE);
    settle();
    EXPECT_FALSE(button->press());
    tcl("event generate " + picture + " <ButtonPress-1> -x 5 -y 5");
    tcl("event generate " + picture + " <ButtonRelease-1> -x 5 -y 5");
    settle();
    EXPECT_EQ(clicks, 5) << "a greyed-out button does not click";
}
