// warning_ui: the warning box, "warning_dialog". Its answer is whether OK
// was pressed.
#ifndef KITSETUP_UI_WARNING_UI_H
#define KITSETUP_UI_WARNING_UI_H

#include "ui/dialogs_ui.h"

class warning_ui : public dialogs_ui {
public:
    warning_ui(const listring& message, liboolean modal);
    void popup() override;
    // True when OK ended the box.
    liboolean choice();
};

#endif
