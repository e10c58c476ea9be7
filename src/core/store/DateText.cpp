#include "DateText.h"

#include <QDate>

namespace {
bool IsSeparator(QChar c)
{
    return c == u'-' || c == u'/';
}

// Character at a 1-based position, or a blank past either end.
QChar CharAt(const QString& text, qsizetype position)
{
    return position >= 1 && position <= text.size() ? text.at(position - 1) : QChar(u' ');
}

bool ReadNumber(const QString& part, int& value)
{
    if (part.isEmpty())
        return false;
    for (QChar c : part)
        if (!c.isDigit() || c.unicode() > 127)
            return false;
    bool ok = false;
    value = part.toInt(&ok);
    return ok;
}
} // namespace

QString FormatDateText(const QString& input)
{
    // The second-to-last character must exist for the test below.
    if (input.size() < 2)
        return QStringLiteral("1900-01-01");
    QString text = input;
    const auto secondToLastIsSeparator = [&text] {
        return IsSeparator(CharAt(text, text.size() - 1));
    };
    if (IsSeparator(CharAt(text, 7))) {
        if (secondToLastIsSeparator())
            text = text.left(5) + u'0' + text.right(3);
        else
            text = text.left(5) + u'0' + text.right(4);
    }
    if (secondToLastIsSeparator())
        text = text.left(8) + u'0' + text.right(1);
    return text;
}

namespace {
QDate DateOf(const QString& raw)
{
    if (raw.size() < 2)
        return QDate(); // not a date text at all
    const QString text = FormatDateText(raw);
    int year = 0, month = 0, day = 0;
    if (!ReadNumber(text.mid(0, 4), year) || !ReadNumber(text.mid(5, 2), month) ||
        !ReadNumber(text.right(2), day))
        return QDate();
    return QDate(year, month, day);
}
} // namespace

QString NormalDateText(const QString& text)
{
    const QDate date = DateOf(text);
    if (!date.isValid() || FormatDateText(text).size() != 10)
        return {};
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

qint64 DayCount(const QString& from, const QString& to)
{
    const QDate a = DateOf(from);
    const QDate b = DateOf(to);
    if (!a.isValid() || !b.isValid())
        return 0;
    return a.daysTo(b);
}

QString ChineseDateText(const QString& dateText)
{
    return dateText.mid(0, 4) + QChar(u'年') + dateText.mid(5, 2) + QChar(u'月') +
           dateText.mid(8, 2) + QChar(u'日');
}
