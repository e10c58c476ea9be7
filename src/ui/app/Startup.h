#pragma once

class MDIMain;

// The start-up sequence of the main window, step by step: the single
// instance, the display, the logon or the first run's set-up, the shop's
// database, the automatic backup, the panels, the tip of the day and the
// overdue rentals. False when the program must end (the reason was shown).
class Startup
{
public:
    explicit Startup(MDIMain& main) : main_(main) {}
    bool run();

private:
    bool checkDisplay(bool firstRun);
    MDIMain& main_;
};
