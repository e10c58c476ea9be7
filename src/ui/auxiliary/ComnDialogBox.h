#pragma once

#include <QString>

class QWidget;

// The open-file chooser: the chosen path, or the empty text when cancelled.
QString ComnDialogBox(QWidget* parent, const QString& title, const QString& filterDescription,
                      const QString& pattern);
// The save-file chooser, likewise.
QString ComnSaveDialogBox(QWidget* parent, const QString& title, const QString& filterDescription,
                          const QString& pattern);
