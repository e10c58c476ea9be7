#pragma once

#include <QString>

// A number as a clerk may type it: blanks around it, an optional sign, a
// decimal point and an exponent are accepted; anything that is not a finite
// number is not (an empty box included).
bool IsNumeric(const QString& text);
// The typed number's value; call only after IsNumeric.
double NumberValue(const QString& text);

// An amount the way the grids show it after "￥": the shortest form, 100 not 100.0.
QString AmountText(double yuan);
