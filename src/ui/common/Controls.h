#pragma once

#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// Controls made with their names, captions and tooltips.
QLineEdit* MakeLine(QWidget* parent, const char* name, const QString& toolTip = {});
// A combo box the user may also type into.
QComboBox* MakeCombo(QWidget* parent, const char* name, const QString& toolTip = {});
QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& toolTip = {});
// A caption label whose buddy is the field, which takes the caption as its accessible name.
QLabel* MakeCaption(QWidget* parent, const QString& text, QWidget* buddy,
                    const char* name = nullptr);
