#include "Backup.h"

#include "FileSupport.h"
#include "store/Database.h"
#include "store/Errors.h"
#include "store/ProgramFolder.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sqlite3.h>
#include <unistd.h>

namespace {
const QString kSource = QStringLiteral("Backup");

[[noreturn]] void Fail(const QString& what)
{
    throw MovrntError(what, kSource);
}

// One column of every row a statement returns; "?" alone when it cannot be read.
QStringList Column(sqlite3* db, const QString& sql, int column)
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK)
        return {QStringLiteral("?")};
    QStringList rows;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW)
        rows << QString::fromUtf8(
            reinterpret_cast<const char*>(sqlite3_column_text(statement, column)));
    sqlite3_finalize(statement);
    return rc == SQLITE_DONE ? rows : QStringList{QStringLiteral("?")};
}
} // namespace

QString BackupPathIn(const QString& folder)
{
    return JoinPath(folder, kBackupName);
}

QString DefaultAutoBackupPath()
{
    return BackupPathIn(QStandardPaths::writableLocation(QStandardPaths::HomeLocation));
}

void CopyDatabase(const QString& source, const QString& target)
{
    if (!QFileInfo(source).isFile())
        Fail(QStringLiteral("找不到数据库文件：") + source);
    if (!QFileInfo(QFileInfo(target).absolutePath()).isDir())
        Fail(QStringLiteral("备份路径不存在：") + QFileInfo(target).absolutePath());
    const QString partial = TemporaryBeside(target);
    QFile::remove(partial);
    try {
        {
            const SqliteFile from(source, SQLITE_OPEN_READONLY, kSource);
            const SqliteFile to(partial, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, kSource);
            sqlite3_backup* backup = sqlite3_backup_init(to.db, "main", from.db, "main");
            if (!backup)
                Fail(QStringLiteral("无法复制数据库：") + to.error());
            // All pages in one step: one read transaction, so one consistent
            // state of the source, while writers go on in the WAL.
            const int stepped = sqlite3_backup_step(backup, -1);
            const int finished = sqlite3_backup_finish(backup);
            if (stepped != SQLITE_DONE || finished != SQLITE_OK)
                Fail(QStringLiteral("无法复制数据库到 %1：%2").arg(target, to.error()));
            // A copy that stands alone in one file, without a WAL beside it.
            try {
                to.exec("PRAGMA journal_mode=DELETE");
            } catch (const MovrntError& error) {
                Fail(QStringLiteral("无法完成数据库副本：") + error.description());
            }
        }
        if (!SyncToDisk(partial, false))
            Fail(QStringLiteral("无法写入磁盘：") + partial);
        if (std::rename(QFile::encodeName(partial).constData(),
                        QFile::encodeName(target).constData()) != 0)
            Fail(QStringLiteral("无法替换文件 %1：%2")
                     .arg(target, SystemErrorText()));
        SyncToDisk(QFileInfo(target).absolutePath(), true);
    } catch (...) {
        QFile::remove(partial);
        QFile::remove(partial + QStringLiteral("-journal"));
        throw;
    }
}

void BackupDatabase(const QString& target)
{
    CopyDatabase(DatabasePath(), target);
}

QString ShopDatabaseProblem(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return QStringLiteral("找不到数据库文件：") + path;
    std::unique_ptr<SqliteFile> db;
    try {
        db = std::make_unique<SqliteFile>(path, SQLITE_OPEN_READONLY, kSource);
    } catch (const MovrntError&) {
        return QStringLiteral("无法打开数据库文件：") + path;
    }
    const QStringList check = Column(db->db, QStringLiteral("PRAGMA integrity_check"), 0);
    if (check != QStringList{QStringLiteral("ok")})
        return QStringLiteral("数据库文件已损坏或不是数据库：") + path;
    for (const auto& [table, columns] : ShopTables()) {
        const QStringList found =
            Column(db->db, QStringLiteral("PRAGMA table_info(\"%1\")").arg(table), 1); // names
        if (!columns.isEmpty() ? found != columns : found.isEmpty())
            return QStringLiteral("数据库文件不是本系统的数据库（数据表 %1 不符）：%2")
                .arg(table, path);
    }
    return {};
}

QString PrepareRestore(const QString& offered)
{
    const QString prepared = TemporaryBeside(DatabasePath()) + QStringLiteral("-restore");
    // The offered file is copied first and the copy checked: what replaces the
    // working database is exactly what passed.
    CopyDatabase(offered, prepared);
    if (const QString problem = ShopDatabaseProblem(prepared); !problem.isEmpty()) {
        QFile::remove(prepared);
        Fail(problem);
    }
    return prepared;
}

QString KeepSafetyCopy()
{
    RemoveLeftParts(QDir(ProgramFolder()), QStringLiteral("MOVRNT-启用前-*.db"));
    const QString safety = JoinPath(ProgramFolder(), QStringLiteral("MOVRNT-启用前-%1.db")
                                                         .arg(QDateTime::currentDateTime().toString(
                                                             QStringLiteral("yyyyMMdd-HHmmss"))));
    BackupDatabase(safety);
    return safety;
}

void SwapInDatabase(const QString& prepared, const QString& safety, const UpgradeProgress& progress)
{
    const QString working = DatabasePath();
    try {
        CloseDatabase();
        // Another process still holding the file would keep its log beside it,
        // and that log must never meet another file.
        if (QFileInfo::exists(working + QStringLiteral("-wal")))
            Fail(QStringLiteral("数据库正被其他程序使用，不能启用新的数据库"));
        if (std::rename(QFile::encodeName(prepared).constData(),
                        QFile::encodeName(working).constData()) != 0)
            Fail(QStringLiteral("无法替换工作数据库：") +
                 SystemErrorText());
        SyncToDisk(QFileInfo(working).absolutePath(), true);
        try {
            OpenDatabase(progress);
        } catch (const MovrntError&) {
            CopyDatabase(safety, working); // back to what was there before
            throw;
        }
    } catch (...) {
        QFile::remove(prepared);
        if (!IsDatabaseOpen())
            OpenDatabase();
        throw;
    }
}

QString RestoreDatabase(const QString& offered)
{
    const QString prepared = PrepareRestore(offered);
    QString safety;
    try {
        safety = KeepSafetyCopy();
    } catch (...) {
        QFile::remove(prepared);
        throw;
    }
    SwapInDatabase(prepared, safety);
    return safety;
}

QString DatabaseChangeStamp()
{
    return QStringLiteral("%1/%2/%3")
        .arg(ConnectionSerial())
        .arg(RunScalar(QStringLiteral("SELECT total_changes()")).toLongLong())
        .arg(RunScalar(QStringLiteral("PRAGMA data_version")).toLongLong());
}
