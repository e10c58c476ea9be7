#pragma once

#include <QString>
#include <QStringList>

// The distinct star and country words of the catalogue, shared by the disc windows.
QStringList& DistinctNameList();

// True when the text equals (case-sensitively) an entry of the distinct-name list.
bool InWordList(const QString& text);
