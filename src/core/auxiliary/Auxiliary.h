#pragma once

#include "core/store/ProgramFolder.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

class Shop;

// Every line of the tip file is one tip, empty ones included, in file order.
// UTF-8, or the older narrow Chinese encoding (GB18030) when the bytes are no
// UTF-8. Nothing when the file cannot be read.
QStringList ReadTips(const QString& path);
// What the tip window says when there is no tip file.
QString MissingTipFileText();

// A play time as the preview shows it, "M分S秒", from one whole number of
// seconds (59.7 s reads 1分0秒).
QString PlayTimeText(qint64 milliseconds);

// What support asks for, one line a name and its value: the system, the Qt
// and SQLite versions, where the database is, its size and counts, and
// where the settings are.
QList<std::pair<QString, QString>> SystemInformation(Shop& shop);
