#include "ServerCopy.h"

#include "FileSupport.h"
#include "Workbook.h"
#include "core/access/PassCheck.h"
#include "core/access/People.h"
#include "core/catalogue/Discs.h"
#include "core/money/Ledger.h"
#include "core/settings/Settings.h"
#include "core/store/Clock.h"
#include "core/store/Database.h"
#include "core/store/Errors.h"
#include "core/store/LedgerSchema.h"
#include "core/store/RecordTables.h"
#include "core/store/ServerAddress.h"
#include "core/store/ServerPeople.h"
#include "core/store/Shop.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <memory>
#include <sqlite3.h>

namespace {
const QString kSource = QStringLiteral("PostgreSQL");

[[noreturn]] void Fail(const QSqlError& error, const QString& what)
{
    throw MovrntError(what + QStringLiteral("：") + DatabaseErrorText(error), kSource);
}

// Two connections of their own, closed however the copy ends.
struct Connections
{
    QSqlDatabase from, to;
    ~Connections()
    {
        for (QSqlDatabase* db : {&from, &to}) {
            const QString name = db->connectionName();
            db->close();
            *db = {};
            if (!name.isEmpty())
                QSqlDatabase::removeDatabase(name);
        }
    }
};

void OpenServer(QSqlDatabase& db, const QString& url, const QString& name)
{
    const ServerAddress address = ParseServerUrl(url);
    db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    address.apply(db);
    if (!db.open())
        Fail(db.lastError(), QStringLiteral("无法连接数据库服务器 ") + address.display());
}

// The file's owner who logs on and his password (hash, or the old scrambling);
// none when the file asks for no password.
std::pair<QString, QString> FileOwner(QSqlDatabase& file)
{
    QSqlQuery owner(file);
    if (owner.exec(
            QStringLiteral("SELECT xm, mm FROM czry WHERE js = '店主' AND ty = '否' AND mm <> ''"
                           " ORDER BY rowid LIMIT 1")) &&
        owner.next())
        return {owner.value(0).toString(), owner.value(1).toString()};
    // A file this version never opened: the password is still in the settings.
    QSqlQuery people(file);
    if (people.exec(QStringLiteral("SELECT 1 FROM czry WHERE js = '店主'")) && people.next())
        return {};
    const QString stored = GetSetting(Setting::Password);
    return stored.isEmpty() ? std::pair<QString, QString>()
                            : std::pair<QString, QString>{kFirstOwnerName, stored};
}

void OpenFile(QSqlDatabase& db, const QString& path, const QString& name)
{
    db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    if (!db.open())
        Fail(db.lastError(), QStringLiteral("无法打开数据库文件 ") + path);
}

// The highest rental number the server handed out, deleted rentals' included
// (the ledger names them).
const QString kServerLastRental =
    QStringLiteral("GREATEST((SELECT MAX(zdbh) FROM zjxx), (SELECT MAX(zdbh) FROM zwls),"
                   " pg_sequence_last_value(CAST(pg_get_serial_sequence("
                   "'zjxx', 'zdbh') AS regclass)))");

// The tables whose rows are copied: the three working tables, the ledger
// and the records beyond the counter.
QList<std::pair<QString, QStringList>> CopiedTables()
{
    QList<std::pair<QString, QStringList>> tables;
    for (const auto& table : ShopTables())
        if (!table.second.isEmpty()) // not the charts' scratch tables
            tables << table;
    tables << LedgerTable();
    for (const RecordTable& table : RecordTables())
        tables.append({table.name, table.columns});
    return tables;
}

// A record table's number column; empty for the other tables.
QString RecordKey(const QString& name)
{
    for (const RecordTable& table : RecordTables())
        if (table.name == name)
            return table.columns.first();
    return {};
}

// Whether a file has the table: one of an older version may lack the ledger
// or the records beyond the counter.
bool FileHas(QSqlDatabase file, const QString& table)
{
    QSqlQuery has(file);
    return has.exec(
               QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = '%1'")
                   .arg(table)) &&
           has.next();
}

// The rentals and the ledger's lines are numbered by the database; the
// discs and members keep the order they were entered in by a rowid.
QString OrderColumn(const QString& table)
{
    return table == u"zjxx"              ? QStringLiteral("zdbh")
           : table == u"zwls"            ? QStringLiteral("lsh")
           : !RecordKey(table).isEmpty() ? RecordKey(table)
                                         : QStringLiteral("rowid");
}

// The highest rental number a file handed out (its rentals' own are on the server by now).
qint64 FileSequence(QSqlDatabase file)
{
    QSqlQuery sequence(file);
    return sequence.exec(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = 'zjxx'")) &&
                   sequence.next()
               ? sequence.value(0).toLongLong()
               : 0;
}

// The ledger copied must agree with the members' money, as an import's
// must; a shop whose ledger disagrees is refused with the members named.
void CheckLedger(QSqlDatabase server)
{
    const QList<MemberMismatch> members = LedgerDisagreements(
        [&server](const QString& sql) {
            QSqlQuery query(server);
            query.setForwardOnly(true);
            if (!query.exec(sql))
                Fail(query.lastError(), QStringLiteral("无法核对账务流水"));
            QList<QStringList> rows;
            while (query.next()) {
                QStringList row;
                for (int c = 0; c < query.record().count(); ++c)
                    row << query.value(c).toString();
                rows << row;
            }
            return rows;
        },
        kSource);
    if (!members.isEmpty())
        throw MovrntError(
            MismatchReport(members) +
                QStringLiteral(
                    "\n请先在本柜台备份数据库，再用“启用”恢复这个备份，接受账务调整后再复制。"),
            kSource, kLedgerDisagreesCode);
}

// The server's numbers go on after the highest either side handed out; the
// discs and members after the last entered.
void ContinueNumbering(QSqlDatabase server, qint64 fileSequence)
{
    QSqlQuery query(server);
    if (!query.exec(QStringLiteral("SELECT setval(pg_get_serial_sequence('zjxx', 'zdbh'),"
                                   " GREATEST(%1, %2, 1))")
                        .arg(kServerLastRental)
                        .arg(fileSequence)))
        Fail(query.lastError(), QStringLiteral("无法设置自动编号"));
    QStringList numbered = {QStringLiteral("ydxx"), QStringLiteral("hyxx"), QStringLiteral("zwls")};
    for (const RecordTable& table : RecordTables())
        numbered << table.name;
    for (const QString& table : numbered)
        if (!query.exec(QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', '%2'),"
                                       " GREATEST((SELECT MAX(%2) FROM %1), 1))")
                            .arg(table, OrderColumn(table))))
            Fail(query.lastError(), QStringLiteral("无法设置自动编号"));
}

// A statement on the file, values bound by their type.
class FileStatement
{
public:
    FileStatement(sqlite3* db, const QString& sql) : db_(db)
    {
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement_, nullptr) != SQLITE_OK)
            fail();
    }
    ~FileStatement() { sqlite3_finalize(statement_); }
    FileStatement(const FileStatement&) = delete;
    FileStatement& operator=(const FileStatement&) = delete;

    void bind(int index, const QVariant& value)
    {
        if (value.isNull()) {
            sqlite3_bind_null(statement_, index);
        } else if (value.typeId() == QMetaType::Double) {
            sqlite3_bind_double(statement_, index, value.toDouble());
        } else if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int) {
            sqlite3_bind_int64(statement_, index, value.toLongLong());
        } else {
            const QByteArray text = value.toString().toUtf8();
            sqlite3_bind_text(statement_, index, text.constData(), int(text.size()),
                              SQLITE_TRANSIENT);
        }
    }
    void run()
    {
        if (sqlite3_step(statement_) != SQLITE_DONE)
            fail();
        sqlite3_reset(statement_);
    }

private:
    [[noreturn]] void fail() const
    {
        throw MovrntError(QStringLiteral("无法写入数据库副本：") +
                              QString::fromUtf8(sqlite3_errmsg(db_)),
                          kSource);
    }
    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
};

// Every row of the shop's tables of the server into a file's.
void CopyRowsToFile(QSqlDatabase server, const SqliteFile& to)
{
    for (const auto& [table, columns] : CopiedTables()) {
        QSqlQuery read(server);
        read.setForwardOnly(true);
        if (!read.exec(QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                           .arg(columns.join(QStringLiteral(", ")), table, OrderColumn(table))))
            Fail(read.lastError(), QStringLiteral("无法读取数据表 ") + table);
        FileStatement write(
            to.db,
            QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                .arg(table, columns.join(QStringLiteral(", ")),
                     QStringList(columns.size(), QStringLiteral("?")).join(QStringLiteral(", "))));
        while (read.next()) {
            for (int i = 0; i < columns.size(); ++i)
                write.bind(i + 1, read.value(i));
            write.run();
        }
        if (read.lastError().isValid())
            Fail(read.lastError(), QStringLiteral("无法读取数据表 ") + table);
    }
}

// The shop's rows of the server, as of the moment the reading transaction
// began, into a new file of the program's own schema.
void WriteRows(QSqlDatabase server, const QString& file)
{
    CreateEmptyDatabase(file);
    const SqliteFile to(file, SQLITE_OPEN_READWRITE, kSource);
    to.exec("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN");
    LoadInBulk(to, [&] { CopyRowsToFile(server, to); });
    // Numbers go on from the highest the server handed out.
    QSqlQuery last(server);
    qint64 highest = 0;
    if (last.exec(QStringLiteral("SELECT ") + kServerLastRental) && last.next())
        highest = last.value(0).toLongLong();
    if (highest > 0)
        to.exec(
            QStringLiteral("INSERT OR REPLACE INTO sqlite_sequence (name, seq) VALUES ('zjxx', %1)")
                .arg(highest)
                .toUtf8()
                .constData());
    to.exec("COMMIT; PRAGMA journal_mode=DELETE");
}
// The columns a table's rows are copied with: rowid too where the discs and
// members keep the order they were entered in.
// `from`: the file, whose ledger may be older than the till and the person.
QStringList CopiedColumns(const QString& table, QSqlDatabase from)
{
    QStringList columns;
    for (const auto& [name, list] : CopiedTables())
        if (name == table)
            columns = list;
    if (table == LedgerTable().first) {
        QSqlQuery has(from);
        if (!has.exec(
                QStringLiteral("SELECT 1 FROM pragma_table_info('zwls') WHERE name = 'czy'")) ||
            !has.next())
            columns = columns.mid(0, kLedgerColumnsOfOld);
    }
    if (OrderColumn(table) == u"rowid")
        columns << QStringLiteral("rowid");
    return columns;
}

// The rows of a table of the file, in the order they were entered, into a
// table of the server: many rows a statement, one round trip each.
void CopyRowsToServer(QSqlDatabase from, QSqlDatabase to, const QString& table,
                      const QString& target)
{
    const QStringList columns = CopiedColumns(table, from);
    const QString list = columns.join(QStringLiteral(", "));
    QSqlQuery read(from);
    read.setForwardOnly(true);
    if (!read.exec(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(list, table)))
        Fail(read.lastError(), QStringLiteral("无法读取数据表 ") + table);
    const QString row = u'(' + QStringList(columns.size(), QStringLiteral("?")).join(u',') + u')';
    constexpr int kBatch = 1000;
    const auto statement = [&](int rows) {
        return QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
            .arg(target, list, QStringList(rows, row).join(u','));
    };
    QSqlQuery full(to);
    if (!full.prepare(statement(kBatch)))
        Fail(full.lastError(), QStringLiteral("无法写入数据表 ") + target);
    QVariantList values;
    values.reserve(kBatch * columns.size());
    qint64 written = 0;
    const auto flush = [&](QSqlQuery& write) {
        for (qsizetype i = 0; i < values.size(); ++i)
            write.bindValue(int(i), values[i]);
        if (!write.exec())
            Fail(write.lastError(),
                 QStringLiteral("无法写入数据表 %1 第 %2 条之后的记录").arg(target).arg(written));
        written += values.size() / columns.size();
        values.clear();
    };
    while (read.next()) {
        for (int i = 0; i < columns.size(); ++i)
            values << read.value(i);
        if (values.size() == kBatch * columns.size())
            flush(full);
    }
    if (read.lastError().isValid())
        Fail(read.lastError(), QStringLiteral("无法读取数据表 ") + table);
    if (!values.isEmpty()) {
        QSqlQuery tail(to);
        if (!tail.prepare(statement(int(values.size() / columns.size()))))
            Fail(tail.lastError(), QStringLiteral("无法写入数据表 ") + target);
        flush(tail);
    }
}
// The planner's statistics of the tables just filled, within the transaction
// that filled them: the money guard runs once a member at its commit, and
// without them it read the whole ledger for each (a copy of one million
// rentals took hours).
void AnalyzeCopied(QSqlDatabase server)
{
    QStringList tables;
    for (const auto& table : CopiedTables())
        tables << table.first;
    QSqlQuery analyze(server);
    if (!analyze.exec(QStringLiteral("ANALYZE ") + tables.join(QStringLiteral(", "))))
        Fail(analyze.lastError(), QStringLiteral("无法写入数据表"));
}

// A table's rows into a staging table of this connection; returns the one
// statement that then moves them all into the table, so that the totals'
// statement triggers run once over all of them. Batch by batch, each batch
// updated the same totals rows again within one transaction, and reading
// them got slower with every version left behind: a copy of ten million
// rentals would have taken hours.
QString StageRows(QSqlDatabase from, QSqlDatabase to, const QString& table)
{
    const QString list = CopiedColumns(table, from).join(QStringLiteral(", "));
    QSqlQuery stage(to);
    if (!stage.exec(QStringLiteral("CREATE TEMP TABLE s_%1 AS SELECT %2 FROM %1 WITH NO DATA")
                        .arg(table, list)))
        Fail(stage.lastError(), QStringLiteral("无法写入数据表 ") + table);
    CopyRowsToServer(from, to, table, QStringLiteral("s_") + table);
    return QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM s_%1").arg(table, list);
}
} // namespace

QString OwnerToCopy(const QString& file)
{
    if (!QFileInfo(file).isFile())
        return {};
    Connections c;
    OpenFile(c.from, file, QStringLiteral("movrnt-copy-owner"));
    return FileOwner(c.from).first;
}

void CopyShopToServer(const QString& file, const QString& url, const QString& ownerPassword)
{
    ParseServerUrl(url);
    if (!QFileInfo(file).isFile())
        throw MovrntError(QStringLiteral("找不到数据库文件：") + file, kSource);
    Connections c;
    OpenFile(c.from, file, QStringLiteral("movrnt-copy-from"));
    const auto [owner, hash] = FileOwner(c.from);
    if (!owner.isEmpty() && !PasswordMatches(hash, ownerPassword))
        throw MovrntError(QStringLiteral("店主的密码不正确"), kSource);
    OpenServer(c.to, url, QStringLiteral("movrnt-copy-to"));
    // The file read as of one moment, the server written in one transaction.
    if (!c.from.transaction() || !c.to.transaction())
        Fail(c.to.lastError(), QStringLiteral("无法开始事务"));
    CreateServerTables(c.to);
    for (const auto& [table, columns] : CopiedTables()) {
        if (!RecordKey(table).isEmpty() && !FileHas(c.from, table))
            continue; // a file from before these records: there were none
        if (table != LedgerTable().first || FileHas(c.from, table)) {
            QSqlQuery move(c.to);
            if (!move.exec(StageRows(c.from, c.to, table)) ||
                !move.exec(QStringLiteral("DROP TABLE s_") + table))
                Fail(move.lastError(), QStringLiteral("无法写入数据表 ") + table);
        } else // a file from before the ledger: the members' balances open it
            for (const QString& sql : OpeningLines(NowText())) {
                QSqlQuery open(c.to);
                if (!open.exec(sql))
                    Fail(open.lastError(), QStringLiteral("无法写入数据表 zwls"));
            }
    }
    AnalyzeCopied(c.to);
    CheckLedger(c.to);
    ContinueNumbering(c.to, FileSequence(c.from));
    // What the shop set (prices, levels, deposits, ...) and its covers come along.
    QSqlQuery setting(c.to);
    setting.prepare(QStringLiteral("INSERT INTO cssz (mc, z) VALUES (?, ?)"));
    for (Setting s : ShopWideSettings()) {
        const QString value = s == Setting::Password ? hash : GetSetting(s);
        if (value.isEmpty())
            continue;
        setting.addBindValue(SettingName(s));
        setting.addBindValue(value);
        if (!setting.exec())
            Fail(setting.lastError(), QStringLiteral("无法写入功能参数 ") + SettingName(s));
    }
    QSqlQuery discs(c.from);
    discs.setForwardOnly(true);
    QSqlQuery cover(c.to);
    cover.prepare(QStringLiteral("INSERT INTO fmtp (bh, tp) VALUES (?, ?)"));
    if (QDir(PicturesFolder()).exists() && discs.exec(QStringLiteral("SELECT bh FROM ydxx")))
        while (discs.next()) {
            const QByteArray picture = CoverFileBytes(discs.value(0).toString());
            if (picture.isEmpty())
                continue;
            cover.addBindValue(discs.value(0));
            cover.addBindValue(picture);
            if (!cover.exec())
                Fail(cover.lastError(),
                     QStringLiteral("无法写入封面图片 ") + discs.value(0).toString());
        }
    // The owner logs on by his own name from now on, where the server can make
    // his login role; elsewhere the shop keeps his password as before.
    QSqlQuery people(c.to);
    if (!owner.isEmpty() &&
        people.exec(QStringLiteral("SELECT 1 FROM pg_proc WHERE proname = 'movrnt_person_add'"
                                   " AND pronamespace = CAST(current_schema() AS regnamespace)")) &&
        people.next()) {
        const QByteArray verifier = ServerPasswordVerifier(c.to, owner, ownerPassword);
        people.prepare(QStringLiteral("SELECT movrnt_person_add(?, ?, '店主')"));
        people.addBindValue(owner);
        people.addBindValue(QString::fromLatin1(verifier));
        if (verifier.isEmpty() || !people.exec())
            Fail(people.lastError(), QStringLiteral("无法为店主“%1”建立登录账户").arg(owner));
    }
    if (!c.to.commit())
        Fail(c.to.lastError(), QStringLiteral("无法提交事务"));
    c.from.rollback();
}

void CopyShopFromServer(const QString& url, const QString& target)
{
    if (!QFileInfo(QFileInfo(target).absolutePath()).isDir())
        throw MovrntError(QStringLiteral("备份路径不存在：") + QFileInfo(target).absolutePath(),
                          kSource);
    Connections c;
    OpenServer(c.from, url, QStringLiteral("movrnt-copy-from-%1").arg(quintptr(&c)));
    QSqlQuery begin(c.from);
    if (!begin.exec(QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY")))
        Fail(begin.lastError(), QStringLiteral("无法开始事务"));
    const QString partial = TemporaryBeside(target);
    QFile::remove(partial);
    try {
        WriteRows(c.from, partial);
        PutInPlace(partial, target, kSource);
    } catch (...) {
        RemoveDatabaseFile(partial);
        throw;
    }
    QSqlQuery(c.from).exec(QStringLiteral("COMMIT"));
}

void MoveShopFromServer(const QString& url, const QString& file)
{
    if (QFileInfo::exists(file)) {
        // Only an empty file (the one delivered) gives way.
        const SqliteFile existing(file, SQLITE_OPEN_READONLY, kSource);
        sqlite3_stmt* raw = nullptr;
        const int prepared = sqlite3_prepare_v2(
            existing.db,
            "SELECT EXISTS (SELECT 1 FROM ydxx) OR EXISTS (SELECT 1 FROM zjxx) OR"
            " EXISTS (SELECT 1 FROM hyxx)",
            -1, &raw, nullptr);
        const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> check(raw, sqlite3_finalize);
        if (prepared != SQLITE_OK || sqlite3_step(raw) != SQLITE_ROW ||
            sqlite3_column_int(raw, 0) != 0)
            throw MovrntError(
                QStringLiteral("数据库文件中已经有一个影碟店的数据，不能覆盖：") + file, kSource);
    }
    Connections c;
    OpenServer(c.from, url, QStringLiteral("movrnt-copy-settings"));
    QSqlQuery settings(c.from);
    settings.setForwardOnly(true);
    if (!settings.exec(QStringLiteral("SELECT mc, z FROM cssz")))
        Fail(settings.lastError(), QStringLiteral("无法读取功能参数"));
    QList<std::pair<Setting, QString>> values;
    while (settings.next())
        for (Setting s : ShopWideSettings())
            if (SettingName(s) == settings.value(0).toString())
                values.append({s, settings.value(1).toString()});
    QSqlQuery covers(c.from);
    covers.setForwardOnly(true);
    if (!covers.exec(QStringLiteral("SELECT bh, tp FROM fmtp")))
        Fail(covers.lastError(), QStringLiteral("无法读取封面图片"));
    QDir().mkpath(PicturesFolder());
    while (covers.next()) {
        QFile picture(CoverPath(covers.value(0).toString()));
        if (!picture.open(QIODevice::WriteOnly) || picture.write(covers.value(1).toByteArray()) < 0)
            throw MovrntError(QStringLiteral("无法保存封面图片 ") + picture.fileName(), kSource);
    }
    CopyShopFromServer(url, file);
    CreateSettingsKey();
    for (const auto& [setting, value] : values)
        if (!SetSetting(setting, value))
            throw MovrntError(QStringLiteral("无法保存功能参数 ") + SettingName(setting), kSource);
}

void ReplaceServerShop(const QString& url, const QString& prepared, ShopOperation operation)
{
    Connections c;
    const QString tag = QString::number(quintptr(&c));
    OpenFile(c.from, prepared, QStringLiteral("movrnt-restore-") + tag);
    OpenServer(c.to, url, QStringLiteral("movrnt-restore-to-") + tag);
    const auto run = [&c](const QString& sql) {
        QSqlQuery query(c.to);
        if (!query.exec(sql))
            Fail(query.lastError(), QStringLiteral("无法启用新的数据库"));
    };
    // The rows first into staging tables of this connection alone, while the
    // other counters go on working.
    if (!c.to.transaction())
        Fail(c.to.lastError(), QStringLiteral("无法开始事务"));
    QStringList moves;
    for (const auto& [table, columns] : CopiedTables())
        if (FileHas(c.from, table))
            moves << StageRows(c.from, c.to, table);
    if (!c.to.commit())
        Fail(c.to.lastError(), QStringLiteral("无法提交事务"));
    const qint64 fileSequence = FileSequence(c.from);
    // Then one short transaction: the counters wait for it, never see half of it.
    if (!c.to.transaction())
        Fail(c.to.lastError(), QStringLiteral("无法开始事务"));
    try {
        run(QStringLiteral("LOCK TABLE ydxx, zjxx, hyxx IN EXCLUSIVE MODE"));
        for (const char* table : {"zjxx", "ydxx", "hyxx"})
            run(QStringLiteral("DELETE FROM %1").arg(QLatin1String(table)));
        run(QStringLiteral("SELECT movrnt_clear_ledger()")); // the ledger: an owner's right alone
        for (const QString& move : moves)
            run(move);
        AnalyzeCopied(c.to);
        ContinueNumbering(c.to, fileSequence);
        QSqlQuery log(c.to);
        log.prepare(QString::fromLatin1(kChangeLogStatement));
        log.addBindValue(ShopOperationName(operation));
        log.addBindValue(QStringLiteral("sjk"));
        if (!log.exec())
            Fail(log.lastError(), QStringLiteral("无法启用新的数据库"));
        if (!c.to.commit())
            Fail(c.to.lastError(), QStringLiteral("无法提交事务"));
    } catch (...) {
        c.to.rollback();
        throw;
    }
}
