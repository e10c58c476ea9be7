#include "Workbook.h"

#include "FileSupport.h"
#include "ServerCopy.h"
#include "WorkbookCells.h"
#include "WorkbookReader.h"
#include "core/money/Ledger.h"
#include "core/store/Clock.h"
#include "core/store/Database.h"
#include "core/store/Engine.h"
#include "core/store/LedgerSchema.h"
#include "core/store/ProgramFolder.h"
#include "core/store/RecordTables.h"
#include "core/store/Shop.h"
#include "core/store/TextRules.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <sqlite3.h>
#include <unistd.h>
#include <variant>
#include <xlsxwriter.h>

namespace {
const QString kSource = QStringLiteral("Workbook");
constexpr qint64 kProgressEvery = 2000;
[[noreturn]] void Fail(const QString& what)
{
    throw MovrntError(what, kSource);
}

class Statement
{
public:
    Statement(sqlite3* db, const QString& sql)
    {
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement_, nullptr) != SQLITE_OK)
            Fail(QString::fromUtf8(sqlite3_errmsg(db)));
    }
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    sqlite3_stmt* get() const { return statement_; }

private:
    sqlite3_stmt* statement_ = nullptr;
};

QString ColumnText(sqlite3_stmt* statement, int column)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, column)),
                             sqlite3_column_bytes(statement, column));
}

// ---- export

class WorkbookWriter
{
public:
    WorkbookWriter(const QString& path, const QString& scratchFolder)
        : scratch_(QFile::encodeName(scratchFolder))
    {
        lxw_workbook_options options{};
        options.constant_memory = 1; // each row goes to disk as it is written
        options.tmpdir = scratch_.data();
        options.use_zip64 = 1;
        workbook_ = workbook_new_opt(QFile::encodeName(path).constData(), &options);
        if (!workbook_)
            Fail(QStringLiteral("无法创建工作簿文件：") + path);
    }
    ~WorkbookWriter()
    {
        if (workbook_)
            workbook_close(workbook_);
    }
    WorkbookWriter(const WorkbookWriter&) = delete;
    WorkbookWriter& operator=(const WorkbookWriter&) = delete;

    void close()
    {
        const lxw_error error = workbook_close(std::exchange(workbook_, nullptr));
        if (error != LXW_NO_ERROR)
            Fail(QStringLiteral("无法写入工作簿文件：") + QString::fromUtf8(lxw_strerror(error)));
    }

    void startSheet(const QString& name, const QStringList& header)
    {
        sheet_ = workbook_add_worksheet(workbook_, name.toUtf8().constData());
        if (!sheet_)
            Fail(QStringLiteral("无法在工作簿中建立工作表 ") + name);
        name_ = name;
        row_ = 0;
        for (qsizetype c = 0; c < header.size(); ++c)
            text(lxw_col_t(c), header[c]);
    }
    qint64 rows() const { return row_ + 1; }
    void nextRow() { ++row_; }

    void text(lxw_col_t column, const QString& value)
    {
        if (value.size() > kMaxTextLength || value.contains(QChar(0)))
            Fail(QStringLiteral("工作表 %1 第 %2 行的内容超过一个单元格能容纳的 %3 个字符，"
                                "或含有空字符，无法导出")
                     .arg(name_)
                     .arg(row_ + 1)
                     .arg(kMaxTextLength));
        check(worksheet_write_string(sheet_, lxw_row_t(row_), column,
                                     ProtectXmlEscapes(value).toUtf8().constData(), nullptr));
    }
    void number(lxw_col_t column, double value)
    {
        check(worksheet_write_number(sheet_, lxw_row_t(row_), column, value, nullptr));
    }

private:
    void check(lxw_error error) const
    {
        if (error != LXW_NO_ERROR)
            Fail(QStringLiteral("写入工作表 %1 第 %2 行时出错：%3")
                     .arg(name_)
                     .arg(row_ + 1)
                     .arg(QString::fromUtf8(lxw_strerror(error))));
    }

    QByteArray scratch_;
    lxw_workbook* workbook_ = nullptr;
    lxw_worksheet* sheet_ = nullptr;
    QString name_;
    qint64 row_ = 0;
};

bool HasTable(sqlite3* db, const QString& table)
{
    const Statement find(db, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND"
                                            " name = '%1'")
                                 .arg(table));
    return sqlite3_step(find.get()) == SQLITE_ROW;
}

void WriteTables(sqlite3* db, WorkbookWriter& writer, const RowProgress& progress, qint64 sheetRows)
{
    qint64 done = 0;
    QList<SheetRules> sheets = WorkbookTables();
    for (const SheetRules& more : QList<SheetRules>{LedgerSheet()} + RecordSheets())
        if (HasTable(db, more.table))
            sheets << more;
    for (const SheetRules& rules : sheets) {
        int part = 1;
        writer.startSheet(SheetName(rules.table, part), rules.columns);
        // Tables numbered by the database in their numbers' order.
        const QString order = rules.kinds.first() == CellKind::Serial
                                  ? QStringLiteral(" ORDER BY ") + rules.columns.first()
                                  : QString();
        const Statement select(db, QStringLiteral("SELECT %1 FROM %2%3")
                                       .arg(rules.columns.join(u','), rules.table, order));
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(select.get())) == SQLITE_ROW) {
            if (writer.rows() == sheetRows)
                writer.startSheet(SheetName(rules.table, ++part), rules.columns);
            writer.nextRow();
            for (int c = 0; c < rules.columns.size(); ++c) {
                const auto column = lxw_col_t(c);
                switch (sqlite3_column_type(select.get(), c)) {
                case SQLITE_NULL:
                    break;
                case SQLITE_INTEGER:
                case SQLITE_FLOAT:
                    writer.number(column, sqlite3_column_double(select.get(), c));
                    break;
                default: {
                    const QString value = ColumnText(select.get(), c);
                    // A walk-in deposit is a sum the spreadsheet can add up.
                    if (rules.kinds[c] == CellKind::Deposit && IsPlainNumber(value))
                        writer.number(column, value.toDouble());
                    else
                        writer.text(column, value);
                }
                }
            }
            if (++done % kProgressEvery == 0 && progress && !progress(done))
                throw WorkCancelled();
        }
        if (rc != SQLITE_DONE)
            Fail(QStringLiteral("读取数据表 %1 时出错：%2")
                     .arg(rules.table, QString::fromUtf8(sqlite3_errmsg(db))));
    }
    if (progress)
        progress(done);
}

// Moves the finished file into place unless something is there already.
void PlaceNew(const QString& partial, const QString& target)
{
    const QByteArray from = QFile::encodeName(partial), to = QFile::encodeName(target);
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return;
    }
    if (errno == EEXIST)
        Fail(QStringLiteral("文件已存在，不会被覆盖：") + target);
    // File systems without hard links (a USB stick's): look, then rename.
    if (QFileInfo::exists(target))
        Fail(QStringLiteral("文件已存在，不会被覆盖：") + target);
    if (std::rename(from.constData(), to.constData()) != 0)
        Fail(QStringLiteral("无法写入 %1：%2").arg(target, SystemErrorText()));
}

// ---- import

class Importer
{
public:
    // `store` false: every row read and checked, none written.
    Importer(sqlite3* db, const RowProgress& progress, bool store = true)
        : db_(db), progress_(progress), store_(store)
    {
        // The discs of open rentals so far: a second open rental of one is
        // refused at its row. On disk when large, like any temporary table.
        exec("CREATE TEMP TABLE import_open_discs (bh TEXT PRIMARY KEY)");
        claim_ = std::make_unique<Statement>(
            db_, QStringLiteral("INSERT INTO import_open_discs (bh) VALUES (?)"));
    }
    ~Importer()
    {
        sqlite3_exec(db_, "DROP TABLE IF EXISTS temp.import_open_discs", nullptr, nullptr, nullptr);
    }
    Importer(const Importer&) = delete;
    Importer& operator=(const Importer&) = delete;

    qint64 readTable(WorkbookReader& workbook, const SheetRules& rules)
    {
        const QStringList sheets = workbook.sheetNames();
        if (!sheets.contains(rules.table))
            Fail(workbook.missing(rules.table));
        QStringList marks(rules.columns.size(), QStringLiteral("?"));
        std::unique_ptr<Statement> insert;
        if (store_)
            insert = std::make_unique<Statement>(
                db_, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                         .arg(rules.table, rules.columns.join(u','), marks.join(u',')));
        // A rental's disc and whether it is still out: each open rental claims its disc.
        const bool rentals = rules.table == u"zjxx";
        discColumn_ = rentals ? rules.columns.indexOf(u"bh") : -1;
        returnedColumn_ = rentals ? rules.columns.indexOf(u"sfyh") : -1;
        const qint64 before = rows_;
        for (int part = 1; sheets.contains(SheetName(rules.table, part)); ++part) {
            const QString sheet = SheetName(rules.table, part);
            bool header = false;
            workbook.readRows(
                sheet,
                [&](qint64 row, const QList<SheetCell>& cells) {
                    if (!header) {
                        checkHeader(sheet, row, cells, rules);
                        header = true;
                    } else {
                        insertRow(
                            insert ? insert->get() : nullptr,
                            [&] { return workbook.place(sheet, row); }, cells, rules);
                    }
                },
                int(rules.columns.size()));
            if (!header)
                Fail(QStringLiteral("工作表 %1 是空的，缺少列名行").arg(sheet));
        }
        return rows_ - before;
    }

private:
    void exec(const char* sql) const
    {
        if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            Fail(QString::fromUtf8(sqlite3_errmsg(db_)));
    }

    void checkHeader(const QString& sheet, qint64 row, const QList<SheetCell>& cells,
                     const SheetRules& rules) const
    {
        QStringList found;
        for (const SheetCell& cell : cells)
            found << CellText(cell).trimmed().toLower();
        const qsizetype required = rules.required ? rules.required : rules.columns.size();
        if (row != 1 || found.size() < required || found != rules.columns.mid(0, found.size()))
            Fail(QStringLiteral("工作表 %1 的第 1 行应为列名 %2，实为 %3")
                     .arg(sheet, rules.columns.join(u','), found.join(u',').left(200)));
    }

    // Binds a value; text is kept in `held` until the statement has run.
    static int Bind(sqlite3_stmt* statement, int index, const Value& value, QByteArray& held)
    {
        int rc = SQLITE_OK;
        if (const auto* text = std::get_if<QString>(&value)) {
            held = text->toUtf8();
            rc = sqlite3_bind_text(statement, index, held.constData(), int(held.size()),
                                   SQLITE_STATIC);
        } else if (const auto* whole = std::get_if<qint64>(&value)) {
            rc = sqlite3_bind_int64(statement, index, *whole);
        } else {
            rc = sqlite3_bind_double(statement, index, std::get<double>(value));
        }
        return rc;
    }

    // `place` names the row, made only for a refusal.
    void insertRow(sqlite3_stmt* insert, const std::function<QString()>& place,
                   const QList<SheetCell>& cells, const SheetRules& rules)
    {
        const auto where = [&](int column) {
            return QStringLiteral("%1 %2 列：").arg(place(), rules.columns.value(column));
        };
        const auto columns = int(rules.columns.size());
        if (cells.size() > columns)
            Fail(QStringLiteral("%1 %2 列：多出的单元格").arg(place()).arg(columns + 1));
        if (insert)
            sqlite3_reset(insert);
        held_.resize(columns);
        static const SheetCell empty;
        QString disc;
        bool open = false;
        for (int c = 0; c < columns; ++c) {
            const SheetCell& cell = c < cells.size() ? cells[c] : empty;
            const auto converted = Convert(cell, rules.kinds[c]);
            if (const auto* why = std::get_if<QString>(&converted))
                Fail(where(c) + *why + QStringLiteral("（") + CellText(cell).left(40) +
                     QStringLiteral("）"));
            const Value& value = std::get<Value>(converted);
            if (!insert) {
            } else if (const int rc = Bind(insert, c + 1, value, held_[c]); rc != SQLITE_OK)
                Fail(where(c) + QString::fromUtf8(sqlite3_errstr(rc)));
            if (c == discColumn_)
                disc = std::get<QString>(value);
            else if (c == returnedColumn_)
                open = std::get<QString>(value) == u"否";
        }
        const int rc = insert ? sqlite3_step(insert) : SQLITE_DONE;
        if (rc == SQLITE_CONSTRAINT && sqlite3_extended_errcode(db_) == SQLITE_CONSTRAINT_CHECK)
            Fail(where(0) + QStringLiteral("内容不符合规则（") +
                 QString::fromUtf8(sqlite3_errmsg(db_)) + QStringLiteral("）"));
        if (rc == SQLITE_CONSTRAINT)
            Fail(where(0) + QStringLiteral("编号重复（") + CellText(cells.value(0)) +
                 QStringLiteral("）"));
        if (rc != SQLITE_DONE)
            Fail(where(0) + QString::fromUtf8(sqlite3_errmsg(db_)));
        if (open)
            claimDisc(disc, [&] { return where(1); });
        if (++rows_ % kProgressEvery == 0 && progress_ && !progress_(rows_))
            throw WorkCancelled();
    }

    void claimDisc(const QString& bh, const std::function<QString()>& where)
    {
        sqlite3_reset(claim_->get());
        if (const int rc = Bind(claim_->get(), 1, Value(bh), claimed_); rc != SQLITE_OK)
            Fail(where() + QString::fromUtf8(sqlite3_errstr(rc)));
        const int rc = sqlite3_step(claim_->get());
        if (rc == SQLITE_CONSTRAINT)
            Fail(where() + QStringLiteral("影碟 %1 已有一条未归还的租借记录").arg(bh.left(40)));
        if (rc != SQLITE_DONE)
            Fail(where() + QString::fromUtf8(sqlite3_errmsg(db_)));
    }

    sqlite3* db_;
    const RowProgress& progress_;
    bool store_;
    std::unique_ptr<Statement> claim_;
    QList<QByteArray> held_; // each column's text bound to the insert
    QByteArray claimed_;
    qsizetype discColumn_ = -1, returnedColumn_ = -1; // of the sheet being read
    qint64 rows_ = 0;
};

qint64 Changes(const SqliteFile& file, const char* sql)
{
    file.exec(sql);
    return sqlite3_changes64(file.db);
}

// Every row of a query, each value as text.
QList<QStringList> RowsOf(const SqliteFile& file, const QString& sql)
{
    const Statement query(file.db, sql);
    QList<QStringList> rows;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(query.get())) == SQLITE_ROW) {
        QStringList row;
        for (int c = 0; c < sqlite3_column_count(query.get()); ++c)
            row << QString::fromUtf8(
                reinterpret_cast<const char*>(sqlite3_column_text(query.get(), c)));
        rows << row;
    }
    if (rc != SQLITE_DONE)
        Fail(file.error());
    return rows;
}

// The ledger must agree with the members' money: members whose money
// disagrees are refused with their names, or (`adjust`) taken as they
// stand, one adjustment line each.
void ReconcileLedger(const SqliteFile& file, bool adjust)
{
    const QList<MemberMismatch> members =
        LedgerDisagreements([&file](const QString& sql) { return RowsOf(file, sql); }, kSource);
    if (members.isEmpty())
        return;
    if (!adjust)
        throw MovrntError(MismatchReport(members), kSource, kLedgerDisagreesCode);
    const Statement insert(file.db, LedgerInsert());
    for (const LedgerLine& line : Adjustments(members)) {
        sqlite3_reset(insert.get());
        const QVariantList values = LedgerValues(line);
        QList<QByteArray> texts;
        for (int i = 0; i < int(values.size()); ++i) {
            if (values[i].typeId() == QMetaType::QString) {
                texts << values[i].toString().toUtf8();
                sqlite3_bind_text(insert.get(), i + 1, texts.last().constData(),
                                  int(texts.last().size()), SQLITE_TRANSIENT);
            } else {
                sqlite3_bind_int64(insert.get(), i + 1, values[i].toLongLong());
            }
        }
        if (sqlite3_step(insert.get()) != SQLITE_DONE)
            Fail(QStringLiteral("无法写入账务调整记录：") + file.error());
    }
}
} // namespace

QString WorkbookPathIn(const QString& folder)
{
    return JoinPath(folder, kWorkbookName);
}

QString ImportPathIn(const QString& folder)
{
    for (const QString& name : {kWorkbookName, kOldWorkbookName, kOdsWorkbookName})
        if (QFileInfo::exists(JoinPath(folder, name)))
            return JoinPath(folder, name);
    return WorkbookPathIn(folder);
}

void ExportWorkbook(const QString& databasePath, const QString& target, const RowProgress& progress,
                    qint64 sheetRows)
{
    const QString folder = QFileInfo(target).absolutePath();
    if (!QFileInfo(folder).isDir())
        Fail(QStringLiteral("文件夹不存在：") + folder);
    if (QFileInfo::exists(target))
        Fail(QStringLiteral("文件已存在，不会被覆盖：") + target);
    if (!QFileInfo(databasePath).isFile())
        Fail(QStringLiteral("找不到数据库文件：") + databasePath);
    const QString partial = TemporaryBeside(target);
    QFile::remove(partial);
    try {
        {
            const SqliteFile file(databasePath, SQLITE_OPEN_READONLY, kSource);
            // One read transaction: the three sheets show one state of the shop.
            file.exec("BEGIN");
            WorkbookWriter writer(partial, folder);
            WriteTables(file.db, writer, progress, std::clamp<qint64>(sheetRows, 2, kSheetRows));
            writer.close();
            file.exec("COMMIT");
        }
        if (!SyncToDisk(partial, false))
            Fail(QStringLiteral("无法写入磁盘：") + partial);
        PlaceNew(partial, target);
        SyncToDisk(folder, true);
    } catch (...) {
        QFile::remove(partial);
        throw;
    }
}

void ExportListWorkbook(const QString& target, const QString& sheet, const QStringList& header,
                        QSqlQuery& rows)
{
    const QString folder = QFileInfo(target).absolutePath();
    if (!QFileInfo(folder).isDir())
        Fail(QStringLiteral("文件夹不存在：") + folder);
    const QString partial = TemporaryBeside(target);
    QFile::remove(partial);
    try {
        {
            WorkbookWriter writer(partial, folder);
            writer.startSheet(sheet, header);
            while (rows.next()) {
                writer.nextRow();
                for (int c = 0; c < header.size(); ++c) {
                    const QVariant value = rows.value(c);
                    if (value.isNull())
                        continue;
                    const auto column = lxw_col_t(c);
                    if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int ||
                        value.typeId() == QMetaType::Double)
                        writer.number(column, value.toDouble());
                    else
                        writer.text(column, value.toString());
                }
            }
            writer.close();
        }
        if (!SyncToDisk(partial, false))
            Fail(QStringLiteral("无法写入磁盘：") + partial);
        if (std::rename(QFile::encodeName(partial).constData(),
                        QFile::encodeName(target).constData()) != 0)
            Fail(QStringLiteral("无法写入 %1：%2").arg(target, SystemErrorText()));
        SyncToDisk(folder, true);
    } catch (...) {
        QFile::remove(partial);
        throw;
    }
}

ImportSummary ImportWorkbook(const QString& databasePath, WorkbookReader& workbook,
                             qint64 rentalsPerLevel, qint64 levels, const RowProgress& progress,
                             bool adjustLedger)
{
    if (rentalsPerLevel <= 0)
        Fail(QStringLiteral("每升一级所需的租借次数必须大于0"));
    const SqliteFile file(databasePath, SQLITE_OPEN_READWRITE, kSource);
    file.exec(PageCachePragma().constData());
    ImportSummary summary;
    file.exec("BEGIN IMMEDIATE");
    try {
        const bool losses = HasTable(file.db, LossTable().name);
        LoadInBulk(file, [&] {
            file.exec("DELETE FROM ydxx; DELETE FROM zjxx; DELETE FROM hyxx; DELETE FROM zwls");
            for (const RecordTable& table : RecordTables())
                if (HasTable(file.db, table.name))
                    file.exec(
                        QStringLiteral("DELETE FROM %1").arg(table.name).toUtf8().constData());
            Importer importer(file.db, progress);
            summary.discs = importer.readTable(workbook, WorkbookTables()[0]);
            summary.rentals = importer.readTable(workbook, WorkbookTables()[1]);
            summary.members = importer.readTable(workbook, WorkbookTables()[2]);
            for (const SheetRules& more : QList<SheetRules>{LedgerSheet()} + RecordSheets())
                if (workbook.sheetNames().contains(more.table))
                    importer.readTable(workbook, more);
        });
        // The rentals' rule was set aside for the load.
        if (const QList<QStringList> out =
                losses ? RowsOf(file, kLostDiscsOut) : QList<QStringList>();
            !out.isEmpty())
            Fail(QStringLiteral("租借记录 %1：此影碟已登记为丢失，不能未还").arg(out[0][0]));
        // A workbook from before the ledger, or with its sheet left empty:
        // the members' balances open it.
        if (RowsOf(file, QStringLiteral("SELECT 1 FROM zwls LIMIT 1")).isEmpty())
            for (const QString& sql : OpeningLines(NowText()))
                file.exec(sql.toUtf8().constData());
        ReconcileLedger(file, adjustLedger);
        // The rentals are the truth for what is out and what was borrowed.
        summary.flagsRepaired = Changes(
            file, "UPDATE ydxx SET sfycz = CASE WHEN bh IN (SELECT bh FROM zjxx WHERE sfyh ="
                  " '否') THEN '是' ELSE '否' END WHERE sfycz <> CASE WHEN bh IN (SELECT bh FROM"
                  " zjxx WHERE sfyh = '否') THEN '是' ELSE '否' END");
        const Statement raise(
            file.db,
            QStringLiteral("UPDATE hyxx SET yjps = (SELECT COUNT(*) FROM zjxx WHERE zjxx.hybh ="
                           " hyxx.hybh), hydj = MIN((SELECT COUNT(*) FROM zjxx WHERE zjxx.hybh ="
                           " hyxx.hybh) / ?, ?) WHERE yjps < (SELECT COUNT(*) FROM zjxx WHERE"
                           " zjxx.hybh = hyxx.hybh)"));
        sqlite3_bind_int64(raise.get(), 1, rentalsPerLevel);
        sqlite3_bind_int64(raise.get(), 2, levels);
        if (sqlite3_step(raise.get()) != SQLITE_DONE)
            Fail(file.error());
        summary.countsRaised = sqlite3_changes64(file.db);
        LogChange(file, "sjk", ShopOperation::Import);
        file.exec("COMMIT");
    } catch (...) {
        sqlite3_exec(file.db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    // Fresh statistics for the planner: the tables may have grown a hundredfold.
    sqlite3_exec(file.db, "ANALYZE", nullptr, nullptr, nullptr);
    return summary;
}

void CheckWorkbook(WorkbookReader& workbook, const RowProgress& progress)
{
    // Only the open rentals' discs are kept, to find a disc out twice.
    const SqliteFile scratch(QStringLiteral(":memory:"), SQLITE_OPEN_READWRITE, kSource);
    Importer importer(scratch.db, progress, false);
    for (const SheetRules& rules : WorkbookTables())
        importer.readTable(workbook, rules);
    for (const SheetRules& more : QList<SheetRules>{LedgerSheet()} + RecordSheets())
        if (workbook.sheetNames().contains(more.table))
            importer.readTable(workbook, more);
}

ImportSummary ImportWorkbook(const QString& databasePath, const QString& path,
                             qint64 rentalsPerLevel, qint64 levels, const RowProgress& progress,
                             bool adjustLedger)
{
    const std::unique_ptr<WorkbookReader> workbook = OpenWorkbook(path);
    return ImportWorkbook(databasePath, *workbook, rentalsPerLevel, levels, progress, adjustLedger);
}

void ExportShopWorkbook(const QString& location, const QString& target, const RowProgress& progress)
{
    if (EngineOf(location).keptInFile())
        return ExportWorkbook(location, target, progress);
    const QString copy = TemporaryBeside(DatabasePath()) + QStringLiteral("-export");
    const auto removeCopy = qScopeGuard([&copy] { QFile::remove(copy); });
    CopyShopFromServer(location, copy);
    ExportWorkbook(copy, target, progress);
}

ImportSummary ImportShopWorkbook(const QString& location, const QString& path,
                                 qint64 rentalsPerLevel, qint64 levels, const RowProgress& progress,
                                 bool adjustLedger)
{
    if (EngineOf(location).keptInFile())
        return ImportWorkbook(location, path, rentalsPerLevel, levels, progress, adjustLedger);
    const QString prepared = TemporaryBeside(DatabasePath()) + QStringLiteral("-import");
    const auto removePrepared = qScopeGuard([&prepared] { RemoveDatabaseFile(prepared); });
    CreateEmptyDatabase(prepared);
    const ImportSummary summary =
        ImportWorkbook(prepared, path, rentalsPerLevel, levels, progress, adjustLedger);
    ReplaceServerShop(location, prepared, ShopOperation::Import);
    return summary;
}
