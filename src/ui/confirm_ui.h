// confirm_ui: the confirmation box, "confirm_dialog". Its answer is whether
// Yes was pressed.
#ifndef KITSETUP_UI_CONFIRM_UI_H
#define KITSETUP_UI_CONFIRM_UI_H

#include "ui/dialogs_ui.h"

class confirm_ui : public dialogs_ui {
public:
    confirm_ui(const listring& message, liboolean modal);
    void popup() override;
    liboolean choice();
};

#endif
