#pragma once

#include <QString>

#include "ui/common/Controls.h"

class Shop;
class QPlainTextEdit;

// Controls the disc windows share.
// The synopsis box: a multi-line text with a vertical scroll bar.
QPlainTextEdit* MakeSynopsisBox(QWidget* parent);
// The cover picture box, showing the placeholder.
QLabel* MakeCoverBox(QWidget* parent);

// Shows the disc's stored cover, or the placeholder.
bool ShowCover(Shop& shop, QLabel* box, const QString& bh);

// Fills the stars and countries lists from the catalogue (and the shared
// distinct-name list), and the genre list.
void FillDiscLists(Shop& shop, QComboBox* genres, QComboBox* stars, QComboBox* countries);

// Asks for a cover picture; the chosen path, or empty.
QString ChooseCoverPicture(QWidget* parent);
