// One table of the main window's commands: the menu text with its key
// hint, the key that runs it in the view, the toolbar picture and tooltip,
// and the setting its check mark shows. The menu bar, the toolbar, the check
// marks and the key dispatch all read it; the menu layout and the toolbar
// order below name commands by id only.
#pragma once

#include <vector>

#include "engine/world.h"

namespace vantor {

struct Command {
    int id;
    const char* text;               // menu text: & before the access key, the key hint after a tab
    int key = 0;                    // the plain key (Qt::Key) that runs it in the view; 0: none
    const char* icon = nullptr;     // toolbar picture (":/icons/<icon>.svg"); nullptr: not on the toolbar
    const char* tip = nullptr;      // toolbar tooltip
    int World::*checked = nullptr;  // the setting its check mark shows; nullptr: not a World setting
};

const std::vector<Command>& commandTable();

// The command a plain key runs in the view; 0 for none.
int commandForKey(int qtKey);

// The menu bar: ids in their order, 0 for a separator; a submenu is a
// caption with its items.
struct MenuItem {
    int id;                         // 0: separator; -1: submenu
    const char* caption = nullptr;  // a submenu's caption
    std::vector<MenuItem> items = {};
};
const std::vector<MenuItem>& menuBarLayout();

// The toolbar's commands in their order, 0 for a separator.
const std::vector<int>& toolbarLayout();

}  // namespace vantor
