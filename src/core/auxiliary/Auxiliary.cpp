#include "Auxiliary.h"
#include "core/store/Shop.h"

#include "core/access/PassCheck.h"
#include "core/settings/Registry.h"
#include "core/settings/Settings.h"
#include "core/store/Database.h"
#include "core/store/Engine.h"
#include "core/store/Errors.h"
#include "core/store/ServerAddress.h"
#include "core/store/Totals.h"

#include <QFileInfo>
#include <QSysInfo>
#include <sqlite3.h>

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

QList<std::pair<QString, QString>> SystemInformation(Shop& shop)
{
    QList<std::pair<QString, QString>> lines = {
        {QStringLiteral("操作系统"), QSysInfo::prettyProductName()},
        {QStringLiteral("内核"), QSysInfo::kernelType() + u' ' + QSysInfo::kernelVersion()},
        {QStringLiteral("处理器架构"), QSysInfo::currentCpuArchitecture()},
        {QStringLiteral("Qt 版本"), QString::fromLatin1(qVersion())},
        {QStringLiteral("SQLite 版本"), QString::fromLatin1(sqlite3_libversion())},
        {QStringLiteral("程序文件夹"), ProgramFolder()},
    };
    // Where the shop is: this counter's file, or the server all counters share.
    lines.append(shop.engine().whereLines(shop.path()));
    lines.append({QStringLiteral("柜台名称"), CounterName()});
    const QString mode = !PasswordIsSet()         ? QStringLiteral("未设置管理员密码")
                         : UserMode() == u"Guest" ? QStringLiteral("来宾")
                         : UserMode() == u"Clerk" ? QStringLiteral("店员")
                                                  : QStringLiteral("管理员");
    lines.append(
        {QStringLiteral("当前用户"),
         CurrentPerson().isEmpty() ? mode : QStringLiteral("%1（%2）").arg(CurrentPerson(), mode)});
    for (const auto& [name, table] :
         {std::pair{"影碟", "ydxx"}, std::pair{"会员", "hyxx"}, std::pair{"租借记录", "zjxx"}}) {
        QString count = QStringLiteral("（数据库未打开）");
        try {
            if (shop.isOpen()) // the counts the database keeps: no scan of ten million rentals
                count = QString::number(TableCount(shop, QString::fromLatin1(table)));
        } catch (const MovrntError& error) {
            count = error.description();
        }
        lines.append({QString::fromUtf8(name), count});
    }
    lines.append({QStringLiteral("设置文件夹"), SettingsFolder()});
    return lines;
}
