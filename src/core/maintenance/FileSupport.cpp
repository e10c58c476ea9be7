#include "FileSupport.h"

#include "core/store/Errors.h"
#include "core/store/ProgramFolder.h"
#include "core/store/Shop.h"
#include "core/store/LedgerSchema.h"
#include "core/store/ShopRules.h"
#include "core/store/Totals.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <csignal>
#include <fcntl.h>
#include <sqlite3.h>
#include <memory>
#include <unistd.h>

SqliteFile::SqliteFile(const QString& path, int flags, const QString& source) : source_(source)
{
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr) != SQLITE_OK) {
        const QString why = error();
        sqlite3_close_v2(db);
        throw MovrntError(QStringLiteral("无法打开数据库文件 %1：%2").arg(path, why), source_);
    }
    sqlite3_busy_timeout(db, 5000);
}

SqliteFile::~SqliteFile()
{
    sqlite3_close_v2(db);
}

void SqliteFile::confine() const
{
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_limit(db, SQLITE_LIMIT_ATTACHED, 0);
}

QString SqliteFile::error() const
{
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString();
}

void SqliteFile::exec(const char* sql) const
{
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        const QString text = QString::fromUtf8(message);
        sqlite3_free(message);
        throw MovrntError(text, source_);
    }
}

void LoadInBulk(const SqliteFile& file, const std::function<void()>& load)
{
    struct Part
    {
        QByteArray drop, create;
        bool trigger;
    };
    QList<Part> parts;
    {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(file.db,
                               "SELECT type, name, sql FROM sqlite_master WHERE type IN ('index',"
                               " 'trigger') AND sql IS NOT NULL AND tbl_name IN ('ydxx', 'zjxx', 'zwls',"
                               " 'hyxx')",
                               -1, &raw, nullptr) != SQLITE_OK)
            throw MovrntError(file.error(), QStringLiteral("SQLite"));
        const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> list(raw, sqlite3_finalize);
        while (sqlite3_step(raw) == SQLITE_ROW) {
            const QByteArray type(reinterpret_cast<const char*>(sqlite3_column_text(raw, 0)));
            parts.append({"DROP " + type + " \"" +
                              QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(raw, 1))) +
                              '"',
                          QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(raw, 2))),
                          type == "trigger"});
        }
    }
    for (const Part& part : parts)
        file.exec(part.drop.constData());
    load();
    // The rules' triggers were set aside too: the rows answer to them now.
    for (const QString& table : RuledTables()) {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(file.db, BrokenRowsQuery(table, false, 1).toUtf8().constData(), -1,
                               &raw, nullptr) != SQLITE_OK)
            throw MovrntError(file.error(), QStringLiteral("SQLite"));
        const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> broken(raw, sqlite3_finalize);
        if (sqlite3_step(raw) == SQLITE_ROW)
            throw MovrntError(
                BrokenRowLine({table,
                               QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(raw, 0))),
                               sqlite3_column_int(raw, 1)}),
                QStringLiteral("SQLite"));
    }
    file.exec(RentalNumberFloor(false).toUtf8().constData());
    for (const Part& part : parts)
        if (!part.trigger)
            file.exec(part.create.constData());
    for (const QString& sql : TotalsRebuild())
        file.exec(sql.toUtf8().constData());
    try {
        for (const QString& sql : LedgerTotalsRebuild())
            file.exec(sql.toUtf8().constData());
    } catch (const MovrntError& error) {
        if (!error.description().contains(QStringLiteral("integer overflow")))
            throw;
        throw MovrntError(QStringLiteral("账务流水中某一天的金额合计超出可以计算的范围"), error.source());
    }
    for (const Part& part : parts)
        if (part.trigger)
            file.exec(part.create.constData());
}

bool SyncToDisk(const QString& path, bool folder)
{
    const int fd = ::open(QFile::encodeName(path).constData(), folder ? O_RDONLY : O_RDWR);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

void RemoveLeftParts(const QDir& folder, const QString& pattern)
{
    static const QRegularExpression pidPart(QStringLiteral(R"(\.(\d+)\.part)"));
    for (const QString& name : folder.entryList({pattern + QStringLiteral(".*.part*")}, QDir::Files)) {
        const QRegularExpressionMatch match = pidPart.match(name);
        bool ok = false;
        const qint64 pid = match.hasMatch() ? match.captured(1).toLongLong(&ok) : 0;
        if (ok && pid > 0 && pid != QCoreApplication::applicationPid() &&
            ::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
            QFile::remove(folder.filePath(name));
    }
}

QString TemporaryBeside(const QString& target)
{
    // What a process ended mid-work (a crash, a power cut) left beside the
    // target goes first: a backup's half can be as large as the shop.
    const QFileInfo info(target);
    RemoveLeftParts(info.absoluteDir(), info.fileName());
    return target + QStringLiteral(".%1.part").arg(QCoreApplication::applicationPid());
}

QString SystemErrorText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

void PutInPlace(const QString& partial, const QString& target, const QString& source)
{
    KeepPrivate(partial, false);
    if (!SyncToDisk(partial, false))
        throw MovrntError(QStringLiteral("无法写入磁盘：") + partial, source);
    if (std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(target).constData()) != 0)
        throw MovrntError(QStringLiteral("无法替换文件 %1：%2").arg(target, SystemErrorText()), source);
    SyncToDisk(QFileInfo(target).absolutePath(), true);
}

void RemoveDatabaseFile(const QString& path)
{
    for (const char* tail : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(tail));
}

void LogChange(const SqliteFile& file, const char* kind, ShopOperation operation)
{
    sqlite3_stmt* raw = nullptr;
    // A file of an older version has no log (it gets one when the program opens it).
    if (sqlite3_prepare_v2(file.db, kChangeLogStatement, -1, &raw, nullptr) != SQLITE_OK)
        return;
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(raw, sqlite3_finalize);
    const QByteArray name = ShopOperationName(operation).toUtf8();
    sqlite3_bind_text(raw, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(raw, 2, kind, -1, SQLITE_STATIC);
    if (sqlite3_step(raw) != SQLITE_DONE)
        throw MovrntError(file.error(), QStringLiteral("MOVRNT.db"));
}
