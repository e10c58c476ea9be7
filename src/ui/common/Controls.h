#pragma once

#include <QString>

#include <QList>
#include <tuple>

class QBoxLayout;
class QComboBox;
class QDialog;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QKeyEvent;
class QLineEdit;
class QPushButton;
class QWidget;

// Controls made with their names, captions and tooltips.
QLineEdit* MakeLine(QWidget* parent, const char* name, const QString& toolTip = {});
// A combo box the user may also type into.
QComboBox* MakeCombo(QWidget* parent, const char* name, const QString& toolTip = {});
QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& toolTip = {});
// The caption without its colon, blanks and '#' as the field's accessible
// name (and its edit line's and date picker's); a label that shows a value
// keeps its value as its name and takes the caption as its description.
void NameForScreenReaders(QWidget* field, const QString& caption);
// A caption label whose buddy is the field, which takes the caption as its accessible name.
QLabel* MakeCaption(QWidget* parent, const QString& text, QWidget* buddy,
                    const char* name = nullptr);

// A caption (label name, text) and its field.
using FieldRow = std::tuple<const char*, QString, QWidget*>;
// Lays fields out as caption and field pairs, `columns` pairs to a row.
void LayOutFields(QWidget* parent, QGridLayout* grid, const QList<FieldRow>& fields,
                  int columns = 1);

// Return, keypad Enter, or the line feed some scanners (and `xdotool type`)
// send for the end of a number.
bool IsEnterKey(const QKeyEvent* key);

// Enter in an entry box moves the focus on to the next usable box (`order`,
// or the tab order when empty); Enter in the last one presses `action`. A
// scanner's number and Enter thus never press the button early.
void EnterMovesOn(QWidget* window, QPushButton* action, const QList<QWidget*>& order = {});

// The bottom row of a window: an optional hint on the left, then the action
// button and 放弃 (CommandFQ), which closes the window; Enter moves on.
QHBoxLayout* ButtonRow(QWidget* window, QWidget* hint, QPushButton* action);
// The 确定 (CommandQD, the default button) and 放弃 (CommandFQ, which
// rejects the dialog) row of a dialog, added to its layout; returns 确定.
// Enter moves on.
QPushButton* AddConfirmRow(QDialog* dialog, QBoxLayout* layout);
// The hint "用户提示：带 '#' 号的为必填项。" of the windows with required fields.
QLabel* RequiredHint(QWidget* parent, const char* name);
// A flag combo ("是", "否") whose empty entry means "no condition".
QComboBox* MakeFlagCombo(QWidget* parent, const char* name);
