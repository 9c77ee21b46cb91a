// The transfer and working dialogs as the command engine and the removal
// drive them: message, status, gauge, animation, and stop.
#include <cstdlib>
#include <string>

#include "message_recorder.h"
#include "toolkit/oi_gauge.h"
#include "toolkit/oi_lookup.h"
#include "toolkit_fixture.h"
#include "ui/bindings.h"
#include "ui/transfer_ui.h"
#include "ui/working_ui.h"
#include "xvfb_display.h"

class progress_dialogs : public toolkit_test {
protected:
    void SetUp() override
    {
        toolkit_test::SetUp();
        use_installer_message_boxes();
        register_bindings();
        for (const char* file : {"/config/kitsetup.cf", "/config/C/kitsetup.cf"})
            std::free(load_cf(nullptr, (std::string(KITSETUP_DEMO_DIR) + file).c_str()));
    }
};

TEST_F(progress_dialogs, TransferShowsMessageStatusAndAGaugeThatStopsAtAHundred)
{
    transfer_ui transfer;
    transfer.popup("Installing Sample Product 3.0");
    EXPECT_TRUE(transfer.is_displayed());
    EXPECT_FALSE(transfer.stopped());
    transfer.status("Copying lib/libkps.so.");
    transfer.gauge(42);
    settle();
    EXPECT_TRUE(take_screenshot(getenv("DISPLAY"), "transfer_dialog"));
    transfer.gauge(150);
    auto* gauge = OI_find<OI_gauge>(OI_root_object(), "gauge", OI_lookup_policy::silent());
    ASSERT_NE(gauge, nullptr);
    EXPECT_EQ(gauge->value(), 100);

    // Declining the question leaves everything as it was.
    message_recorder recorder;
    recorder.answer_next(false);
    transfer.stop_btn_cb(nullptr, nullptr, 0);
    EXPECT_FALSE(transfer.stopped());
    EXPECT_EQ(recorder.texts(), strings{"Files already installed will now be removed. Are you sure "
                                        "installation should be stopped?"});
    transfer.popdown();
    EXPECT_FALSE(transfer.is_displayed());
}

TEST_F(progress_dialogs, WorkingAnimatesThreePicturesAndARemovalOwnsItsStop)
{
    working_ui working;
    working.popup("Removing Sample Product 3.0 from /opt/kps");
    EXPECT_EQ(working.picture(), 0);
    for (int expected : {1, 2, 0, 1}) {
        working.next_icon();
        EXPECT_EQ(working.picture(), expected);
    }
    settle();
    EXPECT_TRUE(take_screenshot(getenv("DISPLAY"), "working_dialog"));

    int stops = 0;
    working.set_stop_action(OI_callback([](OI_d_tech*, void* count, long) -> long { return ++*static_cast<int*>(count); },
                                        &stops));
    message_recorder recorder;
    working.stop_btn_cb(nullptr, nullptr, 0);
    EXPECT_EQ(stops, 1);
    EXPECT_TRUE(recorder.texts().empty()) << "the removal's stop asks its own questions";
    working.set_stop_action(OI_callback());
    recorder.answer_next(false);
    working.stop_btn_cb(nullptr, nullptr, 0);
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(recorder.texts(), strings{"The installed product has only been partially removed. Are you "
                                        "sure deinstallation should be stopped?"});
}
