#pragma once

#include "Commands.h"

#include <functional>
#include <map>

class MDIMain;

// What each command of the menus, the toolbar and the pop-up menu opens.
// Only the commands whose windows exist have an entry; the rest stay greyed.
class CommandTable
{
public:
    explicit CommandTable(MDIMain& main);
    bool has(Command command) const { return handlers_.count(command) > 0; }
    // Opens the command's window; nothing for a command without one.
    void run(Command command) const;

private:
    std::map<Command, std::function<void()>> handlers_;
};
