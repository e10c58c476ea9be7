#pragma once

#include <QString>
#include <functional>

class QWidget;

// Runs work that needs no shared connection (file copies on connections of
// their own) on a worker thread while the window keeps painting: the busy
// pointer at once, and past a second a progress dialog with `label`. Input
// waits until the work is done. Rethrows the MovrntError the work threw.
void RunInBackground(QWidget* parent, const QString& label, const std::function<void()>& work);
