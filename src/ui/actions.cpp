#include "ui/actions.h"

#include "lib/msgs.h"
#include "lib/reporter.h"
#include "toolkit/koi_button.h"
#include "toolkit/oi_app_window.h"
#include "toolkit/oi_button_box.h"
#include "toolkit/oi_dialog_box.h"
#include "toolkit/oi_scroll_box.h"

namespace {

void collect_icons(const OI_d_tech* object, std::vector<OI_d_tech*>* icons)
{
    for (int i = 0; i < object->num_props(); ++i) {
        OI_d_tech* child = object->numbered_child(i);
        if (dynamic_cast<KOI_button*>(child) != nullptr && child->is_displayed())
            icons->push_back(child);
        collect_icons(child, icons);
    }
}

// The dialog box holding origin (origin itself included), or with
// application windows allowed, the application window; null after the
// message when there is none.
OI_d_tech* enclosing_window(OI_d_tech* origin, bool application_windows)
{
    for (OI_d_tech* up = origin; up != nullptr; up = up->parent()) {
        if (dynamic_cast<OI_dialog_box*>(up) != nullptr)
            return up;
    }
    if (application_windows) {
        for (OI_d_tech* up = origin; up != nullptr; up = up->parent()) {
            if (dynamic_cast<OI_app_window*>(up) != nullptr)
                return up;
        }
    }
    error(format_message(DEF_BAD_DIALOG, origin == nullptr ? "" : origin->name().c_str()), true);
    return nullptr;
}

// Moves the highlight step places along the icon list, round at the ends.
void move_highlight(OI_d_tech* origin, int step)
{
    OI_d_tech* window = enclosing_window(origin, true);
    if (window == nullptr)
        return;
    std::vector<OI_d_tech*> icons = icon_list(window);
    int count = static_cast<int>(icons.size());
    for (int i = 0; i < count; ++i) {
        if (!is_highlighted(icons[i]))
            continue;
        highlight(icons[i], false);
        highlight(icons[(i + step + count) % count], true);
        return;
    }
}

}  // namespace

std::vector<OI_d_tech*> icon_list(const OI_d_tech* window)
{
    std::vector<OI_d_tech*> icons;
    if (window != nullptr)
        collect_icons(window, &icons);
    return icons;
}

bool is_highlighted(const OI_d_tech* icon)
{
    return icon->bdr_color() == icon->fg_color();
}

// An icon highlighted in a scrolling box is scrolled into view, so that the
// keys reach every product of a long list.
void highlight(OI_d_tech* icon, bool on)
{
    icon->set_bdr_color(on ? icon->fg_color() : icon->bkg_color());
    if (auto* box = on ? icon->ancestor_derived_from<OI_scroll_box>() : nullptr)
        box->see(icon);
}

long next_icon(OI_d_tech* origin, void*, long)
{
    move_highlight(origin, 1);
    return 0;
}

long prev_icon(OI_d_tech* origin, void*, long)
{
    move_highlight(origin, -1);
    return 0;
}

long set_next_tab(OI_d_tech* origin, void*, long)
{
    OI_d_tech* window = enclosing_window(origin, false);
    if (window == nullptr)
        return 0;
    std::vector<OI_d_tech*> icons = icon_list(window);
    if (icons.empty())
        return 0;
    bool any_highlighted = false;
    for (OI_d_tech* icon : icons)
        any_highlighted = any_highlighted || is_highlighted(icon);
    if (!any_highlighted) {
        highlight(icons.front(), true);
        icons.front()->set_focus();
        return 0;
    }
    for (OI_d_tech* icon : icons)
        highlight(icon, false);
    OI_button_box* buttons = static_cast<OI_dialog_box*>(window)->buttons();
    if (buttons != nullptr && buttons->num_cells() > 0)
        buttons->numbered_cell(0)->set_focus();
    return 0;
}

long set_prev_tab(OI_d_tech* origin, void* argument, long value)
{
    return set_next_tab(origin, argument, value);
}
