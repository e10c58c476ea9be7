#pragma once

#include <QString>

class QWidget;

// The open-file chooser: the chosen path, or the empty text when cancelled.
QString ComnDialogBox(QWidget* parent, const QString& title, const QString& filterDescription,
                      const QString& pattern);
// The colour chooser: the colour as red + green * 256 + blue * 65536, or -1
// when cancelled.
int ColorDialogBox(QWidget* parent);
// The save-file chooser, likewise, offering `suggested` (a path) first.
QString ComnSaveDialogBox(QWidget* parent, const QString& title, const QString& filterDescription,
                          const QString& pattern, const QString& suggested = {});
