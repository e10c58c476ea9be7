#pragma once

#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;

// Controls the disc windows share, made with their names, captions and tooltips.
QLineEdit* MakeLine(QWidget* parent, const char* name, const QString& toolTip = {});
QComboBox* MakeCombo(QWidget* parent, const char* name, const QString& toolTip = {});
QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, const QString& toolTip = {});
QLabel* MakeCaption(QWidget* parent, const QString& text, QWidget* buddy, const char* name = nullptr);
// The synopsis box: a multi-line text with a vertical scroll bar.
QPlainTextEdit* MakeSynopsisBox(QWidget* parent);
// The cover picture box, showing the placeholder.
QLabel* MakeCoverBox(QWidget* parent);

// Fills the stars and countries lists from the catalogue (and the shared
// distinct-name list), and the genre list.
void FillDiscLists(QComboBox* genres, QComboBox* stars, QComboBox* countries);

// Asks for a cover picture; the chosen path, or empty.
QString ChooseCoverPicture(QWidget* parent);
