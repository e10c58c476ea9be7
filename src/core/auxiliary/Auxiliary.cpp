#include "Auxiliary.h"

#include <QFile>
#include <QStandardPaths>
#include <QStringDecoder>
#include <cmath>

QStringList ReadTips(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError()) {
        QStringDecoder gb18030("GB18030");
        text = gb18030.isValid() ? gb18030(bytes) : QString::fromLocal8Bit(bytes);
    }
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    // The last line's line break ends it; it starts no empty tip.
    if (text.endsWith(u'\n'))
        text.chop(1);
    if (text.isEmpty())
        return {};
    return text.split(u'\n');
}

QString MissingTipFileText()
{
    return QStringLiteral("That the ") + kTipFileName + QStringLiteral(" file was not found? ") +
           QStringLiteral("\n\n") + QStringLiteral("Create a text file named ") + kTipFileName +
           QStringLiteral(" using NotePad with 1 tip per line. ") +
           QStringLiteral("Then place it in the same directory as the application. ");
}

QString PlayTimeText(qint64 milliseconds)
{
    const auto seconds = qint64(std::nearbyint(double(milliseconds) / 1000.0));
    return QStringLiteral("%1分%2秒").arg(seconds / 60).arg(seconds % 60);
}

QString SystemInfoProgram()
{
    for (const char* name : {"gnome-system-monitor", "hardinfo", "ksysguard", "plasma-systemmonitor",
                             "xfce4-taskmanager"}) {
        const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!found.isEmpty())
            return found;
    }
    return {};
}
