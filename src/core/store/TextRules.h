#pragma once

#include <QString>

// The longest text a spreadsheet cell holds. Nothing longer is stored, so the
// shop's own export always succeeds (a line edit takes no more either).
inline constexpr qsizetype kMaxTextLength = 32767;

// An optional text left empty is stored as "/".
inline QString OrSlash(const QString& text)
{
    return text.isEmpty() ? QStringLiteral("/") : text;
}

// A disc or member number that is empty or "/" (the walk-in mark) is no number.
inline bool IsEmptyNumber(const QString& number)
{
    return number.isEmpty() || number == u"/";
}

// Without leading and trailing ASCII blanks; a full-width space or a tab is text.
QString TrimBlanks(const QString& text);
