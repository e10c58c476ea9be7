#include "Backup.h"

#include "core/access/People.h"

#include "FileSupport.h"
#include "ServerCopy.h"
#include "Workbook.h"
#include "WorkbookReader.h"
#include "core/store/Database.h"
#include "core/store/Engine.h"
#include "core/store/Errors.h"
#include "core/store/LedgerSchema.h"
#include "core/store/ProgramFolder.h"
#include "core/store/ServerAddress.h"
#include "core/store/Shop.h"
#include "core/store/ShopRules.h"
#include "core/store/TextRules.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
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

// The three working tables of a file offered for restore, read as plain
// rows and handed on like a workbook's sheets, so that they pass the same
// checks as an import. Nothing in the file runs: no trigger, no view, no
// function of its schema; a value longer than a cell can hold is refused by
// the engine before it is read into memory.
class ShopFileReader : public WorkbookReader
{
public:
    explicit ShopFileReader(const QString& path)
        : file_(path, SQLITE_OPEN_READONLY, kSource), path_(path)
    {
        sqlite3* db = file_.db;
        file_.confine();
        sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
        sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
        sqlite3_limit(db, SQLITE_LIMIT_LENGTH, int(kMaxTextLength + 1) * 4);
        if (Column(db, QStringLiteral("PRAGMA quick_check"), 0) !=
            QStringList{QStringLiteral("ok")})
            Fail(QStringLiteral("数据库文件已损坏或不是数据库：") + path);
        for (const auto& [table, columns] : ShopTables()) {
            if (columns.isEmpty())
                continue; // the chart tables: made anew, never read
            const QString why = tableProblem(table, columns);
            if (!why.isEmpty())
                Fail(QStringLiteral("数据库文件不是本系统的数据库（数据表 %1 %2）：%3")
                         .arg(table, why, path));
            names_ << table;
        }
        // The ledger, in files made since the program kept one.
        const auto& [ledger, columns] = LedgerTable();
        ledgerColumns_ = columns;
        QString why = tableProblem(ledger, columns);
        if (why == u"不存在")
            return;
        // A ledger kept before its lines named the till and the person.
        if (const QStringList older = columns.mid(0, kLedgerColumnsOfOld);
            !why.isEmpty() && tableProblem(ledger, older).isEmpty()) {
            ledgerColumns_ = older;
            why.clear();
        }
        if (!why.isEmpty())
            Fail(QStringLiteral("数据库文件不是本系统的数据库（数据表 %1 %2）：%3")
                     .arg(ledger, why, path));
        names_ << ledger;
    }

    QStringList sheetNames() const override { return names_; }
    QString place(const QString& table, qint64 row) const override
    {
        return QStringLiteral("数据表 %1 第 %2 条记录").arg(table).arg(row - 1);
    }
    QString missing(const QString& table) const override
    {
        return QStringLiteral("数据库文件中没有数据表 ") + table;
    }

    void readRows(const QString& table, const SheetRowSink& sink, int) override
    {
        const QStringList columns = ColumnsOf(table);
        QList<SheetCell> cells(columns.size());
        for (qsizetype c = 0; c < columns.size(); ++c)
            cells[c] = {SheetCell::Text, columns[c], 0};
        sink(1, cells);
        sqlite3_stmt* raw = nullptr;
        const QByteArray sql =
            QStringLiteral("SELECT %1 FROM main.%2").arg(columns.join(u','), table).toUtf8();
        if (sqlite3_prepare_v2(file_.db, sql.constData(), -1, &raw, nullptr) != SQLITE_OK)
            Fail(QStringLiteral("无法读取数据表 %1：%2").arg(table, file_.error()));
        const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> select(raw, sqlite3_finalize);
        qint64 row = 1;
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
            ++row;
            for (int c = 0; c < int(columns.size()); ++c) {
                SheetCell& cell = cells[c];
                cell = SheetCell();
                switch (sqlite3_column_type(raw, c)) {
                case SQLITE_INTEGER:
                case SQLITE_FLOAT:
                    cell.kind = SheetCell::Number;
                    cell.number = sqlite3_column_double(raw, c);
                    break;
                case SQLITE_TEXT:
                    cell.kind = SheetCell::Text;
                    cell.text = QString::fromUtf8(
                        reinterpret_cast<const char*>(sqlite3_column_text(raw, c)),
                        sqlite3_column_bytes(raw, c));
                    break;
                case SQLITE_BLOB:
                    Fail(QStringLiteral("%1 %2 列：是二进制数据，不是文本或数值")
                             .arg(place(table, row), columns[c]));
                default:
                    break;
                }
            }
            sink(row, cells);
        }
        if (rc == SQLITE_TOOBIG)
            Fail(QStringLiteral("%1：内容超过 %2 个字符")
                     .arg(place(table, row + 1))
                     .arg(kMaxTextLength));
        if (rc != SQLITE_DONE)
            Fail(QStringLiteral("无法读取数据表 %1：%2").arg(table, file_.error()));
    }

    // The last rental number the offered file handed out, when it says so sanely.
    qint64 rentalSequence() const
    {
        bool ok = false;
        const qint64 seq =
            Column(file_.db, QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = 'zjxx'"),
                   0)
                .value(0)
                .toLongLong(&ok);
        if (ok && seq > kMaxRentalNumber)
            Fail(QStringLiteral("数据库文件的租借编号已用到 %1，超出可以准确计数的范围（%2）：%3")
                     .arg(seq)
                     .arg(kMaxRentalNumber)
                     .arg(path_));
        return ok && seq > 0 ? seq : 0;
    }

private:
    QStringList ColumnsOf(const QString& table) const
    {
        for (const auto& [name, columns] : ShopTables())
            if (name == table)
                return columns;
        return table == LedgerTable().first ? ledgerColumns_ : QStringList();
    }

    QString tableProblem(const QString& table, const QStringList& columns) const
    {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(file_.db,
                               "SELECT type, sql FROM sqlite_master WHERE name = ? COLLATE NOCASE",
                               -1, &raw, nullptr) != SQLITE_OK)
            return QStringLiteral("无法读取：") + file_.error();
        const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> find(raw, sqlite3_finalize);
        const QByteArray name = table.toUtf8();
        sqlite3_bind_text(raw, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(raw) != SQLITE_ROW)
            return QStringLiteral("不存在");
        const QString type =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(raw, 0)));
        const QString sql =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(raw, 1)));
        if (type != u"table")
            return QStringLiteral("不是数据表，而是%1")
                .arg(type == u"view" ? QStringLiteral("视图") : type);
        if (sql.simplified().startsWith(QStringLiteral("CREATE VIRTUAL"), Qt::CaseInsensitive))
            return QStringLiteral("是虚拟表");
        // Every column plain: no computed one standing in for a stored value.
        const QString info = QStringLiteral("PRAGMA table_xinfo(\"%1\")").arg(table);
        if (Column(file_.db, info, 1) != columns)
            return QStringLiteral("的列不符");
        for (const QString& hidden : Column(file_.db, info, 6))
            if (hidden != u"0")
                return QStringLiteral("含有计算列");
        return {};
    }

    SqliteFile file_;
    QString path_;
    QStringList names_;
    QStringList ledgerColumns_;
};

// The next rental gets a number above `last`: a restored older file never
// hands out a number already given.
void KeepCountingFrom(const SqliteFile& file, qint64 last)
{
    if (last <= 0)
        return;
    const QByteArray sql =
        QStringLiteral("INSERT INTO sqlite_sequence (name, seq) SELECT 'zjxx', %1 WHERE NOT EXISTS"
                       " (SELECT 1 FROM sqlite_sequence WHERE name = 'zjxx');"
                       " UPDATE sqlite_sequence SET seq = %1 WHERE name = 'zjxx' AND seq < %1")
            .arg(last)
            .toUtf8();
    file.exec(sql.constData());
}

void KeepPeople(const SqliteFile& file, const QList<QStringList>& people)
{
    file.exec("DELETE FROM czry");
    sqlite3_stmt* raw = nullptr;
    const QByteArray sql = PeopleInsert().toUtf8();
    if (sqlite3_prepare_v2(file.db, sql.constData(), -1, &raw, nullptr) != SQLITE_OK)
        Fail(QStringLiteral("无法写入人员：") + file.error());
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> insert(raw, sqlite3_finalize);
    for (const QStringList& row : people) {
        QList<QByteArray> held;
        for (int c = 0; c < int(row.size()); ++c) {
            held << row[c].toUtf8();
            sqlite3_bind_text(raw, c + 1, held.last().constData(), int(held.last().size()),
                              SQLITE_TRANSIENT);
        }
        if (sqlite3_step(raw) != SQLITE_DONE)
            Fail(QStringLiteral("无法写入人员：") + file.error());
        sqlite3_reset(raw);
    }
}

qint64 LiveRentalSequence(Shop& shop)
{
    return RunScalar(shop, QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = 'zjxx'"))
        .toLongLong();
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
        PutInPlace(partial, target, kSource);
    } catch (...) {
        RemoveDatabaseFile(partial);
        throw;
    }
}

namespace {
// A consistent copy of the shop, whichever engine keeps it.
void CopyShop(const QString& location, const QString& target)
{
    if (EngineOf(location).keptInFile())
        CopyDatabase(location, target);
    else
        CopyShopFromServer(location, target);
}
} // namespace

QString RestoreProblem(const QString& path, const std::function<bool(qint64)>& progress)
{
    try {
        ShopFileReader reader(path);
        CheckWorkbook(reader, progress);
        reader.rentalSequence();
    } catch (const WorkCancelled&) {
        throw;
    } catch (const MovrntError& error) {
        return error.description();
    }
    return {};
}

void BackupShop(const QString& location, const QString& target,
                const std::function<bool(qint64)>& progress)
{
    const QString copy = TemporaryBeside(target);
    try {
        CopyShop(location, copy);
        if (const QString problem = RestoreProblem(copy, progress); !problem.isEmpty()) {
            // Kept for whoever mends the shop; the last good backup stays.
            const QString failed = target + kFailedBackupSuffix;
            RemoveDatabaseFile(failed);
            if (std::rename(QFile::encodeName(copy).constData(),
                            QFile::encodeName(failed).constData()) != 0)
                RemoveDatabaseFile(copy);
            throw MovrntError(
                QStringLiteral("这次备份的数据无法用于恢复，原有的备份没有被替换（%1）。"
                               "请先改正这条记录再备份；这次的副本保存为 %2")
                    .arg(problem, failed),
                kSource, kBackupRefusedCode);
        }
        PutInPlace(copy, target, kSource);
    } catch (...) {
        RemoveDatabaseFile(copy);
        throw;
    }
}

void BackupDatabase(Shop& shop, const QString& target)
{
    BackupShop(shop.path(), target);
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
    // The ledger: absent from files made before it was kept.
    const auto& [ledger, columns] = LedgerTable();
    const QStringList found =
        Column(db->db, QStringLiteral("PRAGMA table_info(\"%1\")").arg(ledger), 1);
    if (!found.isEmpty() && !LedgerColumns(found))
        return QStringLiteral("数据库文件不是本系统的数据库（数据表 %1 不符）：%2")
            .arg(ledger, path);
    return {};
}

QString PrepareRestore(const QString& offered, const LevelRule& rules,
                       const std::function<bool(qint64)>& progress, bool adjustLedger)
{
    if (!QFileInfo(offered).isFile())
        Fail(QStringLiteral("找不到数据库文件：") + offered);
    const QString prepared = TemporaryBeside(DatabasePath()) + QStringLiteral("-restore");
    RemoveDatabaseFile(prepared);
    try {
        ShopFileReader reader(offered);
        // The program's own schema, the offered rows: nothing else of the file comes along.
        CreateEmptyDatabase(prepared);
        ImportWorkbook(prepared, reader, rules.rentalsPerLevel, rules.levels, progress,
                       adjustLedger);
        const SqliteFile file(prepared, SQLITE_OPEN_READWRITE, kSource);
        KeepCountingFrom(file, reader.rentalSequence());
        // A file that stands alone, without a log beside it.
        file.exec("PRAGMA journal_mode=DELETE");
    } catch (...) {
        RemoveDatabaseFile(prepared);
        throw;
    }
    return prepared;
}

QString KeepSafetyCopy(Shop& shop)
{
    RemoveLeftParts(QDir(ProgramFolder()), QStringLiteral("MOVRNT-启用前-*.db"));
    const QString safety = JoinPath(ProgramFolder(), QStringLiteral("MOVRNT-启用前-%1.db")
                                                         .arg(QDateTime::currentDateTime().toString(
                                                             QStringLiteral("yyyyMMdd-HHmmss"))));
    // Whatever the working shop holds: it is about to be replaced.
    CopyShop(shop.path(), safety);
    return safety;
}

void SwapInDatabase(Shop& shop, const QString& prepared, const QString& safety,
                    const UpgradeProgress& progress)
{
    if (!shop.engine().keptInFile()) {
        shop.lookOutside(); // the replacement, heard from the change log
        return;
    }
    const QString working = shop.path();
    try {
        // Rentals made since the copy was prepared count too; the people
        // behind the counter stay who they are.
        const qint64 lastRental = LiveRentalSequence(shop);
        const QList<QStringList> people = PeopleRows();
        shop.close();
        // Another process still holding the file would keep its log beside it,
        // and that log must never meet another file.
        if (QFileInfo::exists(working + QStringLiteral("-wal")))
            Fail(QStringLiteral("数据库正被其他程序使用，不能启用新的数据库"));
        {
            const SqliteFile file(prepared, SQLITE_OPEN_READWRITE, kSource);
            KeepCountingFrom(file, lastRental);
            KeepPeople(file, people);
        }
        if (std::rename(QFile::encodeName(prepared).constData(),
                        QFile::encodeName(working).constData()) != 0)
            Fail(QStringLiteral("无法替换工作数据库：") + SystemErrorText());
        SyncToDisk(QFileInfo(working).absolutePath(), true);
        try {
            shop.reopen(progress);
        } catch (const MovrntError&) {
            CopyDatabase(safety, working); // back to what was there before
            throw;
        }
    } catch (...) {
        QFile::remove(prepared);
        if (!shop.isOpen())
            shop.reopen();
        throw;
    }
    shop.announceReplaced(ShopOperation::Restore);
}

void SwapInOnServer(Shop& shop, const QString& prepared)
{
    if (shop.engine().keptInFile())
        return;
    const auto removePrepared = qScopeGuard([&prepared] { RemoveDatabaseFile(prepared); });
    ReplaceServerShop(shop.path(), prepared, ShopOperation::Restore);
}

QString RestoreDatabase(Shop& shop, const QString& offered, const LevelRule& rules,
                        bool adjustLedger)
{
    const QString prepared = PrepareRestore(offered, rules, {}, adjustLedger);
    QString safety;
    try {
        safety = KeepSafetyCopy(shop);
        SwapInOnServer(shop, prepared);
    } catch (...) {
        QFile::remove(prepared);
        throw;
    }
    SwapInDatabase(shop, prepared, safety);
    return safety;
}

QString DatabaseChangeStamp(Shop& shop)
{
    return shop.engine().changeStamp(shop);
}
