// Looking dialogs and their parts up by name: a missing one is reported and
// ends the program, never a null pointer followed.
#include "toolkit/oi_box.h"
#include "toolkit/oi_static_text.h"
#include "toolkit_fixture.h"
#include "ui/ui_lookup.h"

namespace {

class lookup : public toolkit_test {
protected:
    void SetUp() override
    {
        toolkit_test::SetUp();
        if (HasFatalFailure())
            return;
        dialog_ = make("*options_dialog.class: Box\n*options_dialog.source_field.class: StaticText\n");
        ASSERT_NE(dialog_, nullptr);
    }
    OI_d_tech* dialog_ = nullptr;
};

}  // namespace

TEST_F(lookup, AMissingDialogOrPartOrOneOfAnotherClassIsReportedAndEndsTheProgram)
{
    EXPECT_EXIT(find_dialog("main_win"), testing::ExitedWithCode(255),
                folded_pattern("kitsetup Error: Unable to locate the dialog \"main_win\"."));
    EXPECT_EXIT(find_part<OI_static_text>(dialog_, "target_field"), testing::ExitedWithCode(255),
                folded_pattern("Unable to locate the interface object \"target_field\" in dialog \"options_dialog\"."));
    EXPECT_EXIT(find_part<OI_box>(dialog_, "source_field"), testing::ExitedWithCode(255),
                folded_pattern("Unable to locate the interface object \"source_field\" in dialog \"options_dialog\"."));
}
