// error_ui: the error box, "error_dialog". Answers nothing.
#ifndef KITSETUP_UI_ERROR_UI_H
#define KITSETUP_UI_ERROR_UI_H

#include "ui/dialogs_ui.h"

class error_ui : public dialogs_ui {
public:
    error_ui(const listring& message, liboolean modal);
    void popup() override;
};

#endif
