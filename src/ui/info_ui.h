// info_ui: the information box, "information_dialog". Answers nothing.
#ifndef KITSETUP_UI_INFO_UI_H
#define KITSETUP_UI_INFO_UI_H

#include "ui/dialogs_ui.h"

class info_ui : public dialogs_ui {
public:
    info_ui(const listring& message, liboolean modal);
    void popup() override;
};

#endif
