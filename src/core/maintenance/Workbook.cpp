#include "Workbook.h"

#include "FileSupport.h"
#include "WorkbookReader.h"
#include "rentals/Rentals.h"
#include "store/Database.h"
#include "store/DateText.h"
#include "store/Money.h"
#include "store/Numbers.h"
#include "store/ProgramFolder.h"
#include "store/TextRules.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <sqlite3.h>
#include <unistd.h>
#include <variant>
#include <xlsxwriter.h>

namespace {
const QString kSource = QStringLiteral("Workbook");
constexpr qint64 kProgressEvery = 2000;
// The dates the program can work with: what its date conversion gives on a
// failure, up to a bound no shop will reach.
const QString kFirstDate = QStringLiteral("1900-01-01");
const QString kLastDate = QStringLiteral("2100-12-31");
// Levels and borrowed counts are read back as whole numbers of this size.
constexpr qint64 kMaxCount = 2147483647;

[[noreturn]] void Fail(const QString& what)
{
    throw MovrntError(what, kSource);
}

// How a column's cells are read and checked.
enum class Kind {
    Key,        // the record's number: text, never empty
    Text,       // text, never empty
    Optional,   // text, "/" when empty
    Flag,       // 是 or 否
    Date,       // a date, kept as 2003-01-05
    ReturnDate, // a date, or "/" while the disc is out
    Deposit,    // a deposit checkout can add up, or "/"
    Serial,     // a whole number from 1
    Count,      // a whole number from 0
    Amount,     // a number
};

struct TableRules
{
    QString table;
    QStringList columns;
    QList<Kind> kinds;
};

const QList<TableRules>& Tables()
{
    using K = Kind;
    static const QList<TableRules> tables = [] {
        const QList<QList<Kind>> kinds = {
            {K::Key, K::Optional, K::Text, K::Text, K::Optional, K::Optional, K::Date, K::Flag,
             K::Optional},
            {K::Serial, K::Key, K::Date, K::ReturnDate, K::Deposit, K::Flag, K::Optional},
            {K::Key, K::Optional, K::Text, K::Optional, K::Optional, K::Count, K::Amount,
             K::Amount, K::Count, K::Date},
        };
        QList<TableRules> list;
        for (qsizetype i = 0; i < kinds.size(); ++i)
            list.append({ShopTables()[i].first, ShopTables()[i].second, kinds[i]});
        return list;
    }();
    return tables;
}

// Sheet names of a table: the rentals continue on zjxx_2, zjxx_3, ...
QString SheetName(const QString& table, int part)
{
    return part == 1 ? table : QStringLiteral("%1_%2").arg(table).arg(part);
}

// A number as text: whole numbers without a point (1, not 1.0), others in
// their shortest form.
QString NumberText(double value)
{
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
        return QString::number(qint64(value));
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

// A deposit as stored is written as a number when it reads back the same.
bool IsPlainNumber(const QString& text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok && std::isfinite(value) && NumberText(value) == text;
}

using Value = std::variant<QString, qint64, double>;

QString CellText(const SheetCell& cell)
{
    switch (cell.kind) {
    case SheetCell::Number:
        return NumberText(cell.number);
    case SheetCell::Text:
    case SheetCell::Date:
        return cell.text;
    case SheetCell::Empty:
        break;
    }
    return {};
}

// A spreadsheet's day number (days since 1899-12-30) as date text.
QString SerialDateText(double serial)
{
    if (!(serial >= 1 && serial < 2958466))
        return {};
    return QDate(1899, 12, 30)
        .addDays(qint64(std::floor(serial)))
        .toString(QStringLiteral("yyyy-MM-dd"));
}

QString DateValue(const SheetCell& cell)
{
    if (cell.kind == SheetCell::Number)
        return SerialDateText(cell.number);
    QString text = cell.text.trimmed();
    // A date with a time of day, as some programs write it.
    if (text.size() > 10 && text[10] == u' ')
        text.truncate(10);
    return NormalDateText(text);
}

std::optional<qint64> WholeValue(const SheetCell& cell)
{
    double value = 0;
    if (cell.kind == SheetCell::Number) {
        value = cell.number;
    } else {
        const QString text = cell.text.trimmed();
        if (!IsNumeric(text))
            return std::nullopt;
        value = NumberValue(text);
    }
    if (value != std::trunc(value) || std::fabs(value) > 9e15)
        return std::nullopt;
    return qint64(value);
}

// The value to store for a cell, or the reason it cannot be taken.
std::variant<Value, QString> Convert(const SheetCell& cell, Kind kind)
{
    const QString text = CellText(cell);
    const bool blank = text.trimmed().isEmpty();
    if (text.size() > kMaxTextLength)
        return QStringLiteral("内容超过 %1 个字符").arg(kMaxTextLength);
    if (text.contains(QChar(0)))
        return QStringLiteral("含有空字符");
    // A number, a telephone typed as a number: past fifteen digits the
    // spreadsheet kept only an approximation of it.
    const bool textual = kind == Kind::Key || kind == Kind::Text || kind == Kind::Optional;
    if (textual && cell.kind == SheetCell::Number && !(std::fabs(cell.number) < 1e15))
        return QStringLiteral("是超过 15 位的数字，可能已丢失数字（请在电子表格中把该列设为文本）");
    switch (kind) {
    case Kind::Key:
    case Kind::Text:
        if (blank)
            return QStringLiteral("不能为空");
        return Value(text);
    case Kind::Optional:
        return Value(blank ? QStringLiteral("/") : text);
    case Kind::Flag:
        if (text.trimmed() != u"是" && text.trimmed() != u"否")
            return QStringLiteral("应为“是”或“否”");
        return Value(text.trimmed());
    case Kind::ReturnDate:
        if (blank || text.trimmed() == u"/")
            return Value(QStringLiteral("/"));
        [[fallthrough]];
    case Kind::Date:
        if (const QString date = DateValue(cell); date.isEmpty()) {
            return QStringLiteral("不是日期");
        } else if (date < kFirstDate || date > kLastDate) {
            return QStringLiteral("日期不在 %1 至 %2 之间").arg(kFirstDate, kLastDate);
        } else {
            return Value(date);
        }
    case Kind::Deposit:
        if (blank || text.trimmed() == u"/")
            return Value(QStringLiteral("/"));
        if (!ParseDeposit(text))
            return QStringLiteral("不是有效的押金金额");
        return Value(text.trimmed());
    case Kind::Serial:
    case Kind::Count: {
        const std::optional<qint64> whole = blank ? std::nullopt : WholeValue(cell);
        if (!whole || *whole < (kind == Kind::Serial ? 1 : 0))
            return kind == Kind::Serial ? QStringLiteral("应为正整数")
                                        : QStringLiteral("应为非负整数");
        if (kind == Kind::Count && *whole > kMaxCount)
            return QStringLiteral("超出可以计算的范围");
        return Value(*whole);
    }
    case Kind::Amount: {
        double amount = 0;
        if (cell.kind == SheetCell::Number && std::isfinite(cell.number))
            amount = cell.number;
        else if (cell.kind == SheetCell::Text && IsNumeric(text))
            amount = NumberValue(text);
        else
            return QStringLiteral("不是数值");
        // The windows could not charge or change such an amount.
        if (!StoredMoney(amount))
            return QStringLiteral("金额超出可以计算的范围");
        return Value(amount);
    }
    }
    return QStringLiteral("无法读取");
}

class Statement
{
public:
    Statement(sqlite3* db, const QString& sql)
    {
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement_, nullptr) !=
            SQLITE_OK)
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

void WriteTables(sqlite3* db, WorkbookWriter& writer, const RowProgress& progress,
                 qint64 sheetRows)
{
    qint64 done = 0;
    for (const TableRules& rules : Tables()) {
        int part = 1;
        writer.startSheet(SheetName(rules.table, part), rules.columns);
        const QString order = rules.table == u"zjxx" ? QStringLiteral(" ORDER BY zdbh") : QString();
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
                    if (rules.kinds[c] == Kind::Deposit && IsPlainNumber(value))
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
    Importer(sqlite3* db, const RowProgress& progress) : db_(db), progress_(progress)
    {
        // The discs of open rentals so far: a second open rental of one is
        // refused at its row. On disk when large, like any temporary table.
        exec("CREATE TEMP TABLE import_open_discs (bh TEXT PRIMARY KEY)");
        claim_ = std::make_unique<Statement>(
            db_, QStringLiteral("INSERT INTO import_open_discs (bh) VALUES (?)"));
    }
    ~Importer() { sqlite3_exec(db_, "DROP TABLE IF EXISTS temp.import_open_discs", nullptr, nullptr, nullptr); }
    Importer(const Importer&) = delete;
    Importer& operator=(const Importer&) = delete;

    qint64 readTable(WorkbookReader& workbook, const TableRules& rules)
    {
        const QStringList sheets = workbook.sheetNames();
        if (!sheets.contains(rules.table))
            Fail(workbook.missing(rules.table));
        QStringList marks(rules.columns.size(), QStringLiteral("?"));
        const Statement insert(db_, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                        .arg(rules.table, rules.columns.join(u','),
                                             marks.join(u',')));
        const qint64 before = rows_;
        for (int part = 1; sheets.contains(SheetName(rules.table, part)); ++part) {
            const QString sheet = SheetName(rules.table, part);
            bool header = false;
            workbook.readRows(
                sheet,
                [&](qint64 row, const QList<SheetCell>& cells) {
                    if (!header) {
                        checkHeader(sheet, row, cells, rules.columns);
                        header = true;
                    } else {
                        insertRow(insert.get(), workbook.place(sheet, row), cells, rules);
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
                     const QStringList& columns) const
    {
        QStringList found;
        for (const SheetCell& cell : cells)
            found << CellText(cell).trimmed().toLower();
        if (row != 1 || found != columns)
            Fail(QStringLiteral("工作表 %1 的第 1 行应为列名 %2，实为 %3")
                     .arg(sheet, columns.join(u','), found.join(u',').left(200)));
    }

    static void Bind(sqlite3_stmt* statement, int index, const Value& value, const QString& where)
    {
        int rc = SQLITE_OK;
        if (const auto* text = std::get_if<QString>(&value)) {
            const QByteArray utf8 = text->toUtf8();
            rc = sqlite3_bind_text(statement, index, utf8.constData(), int(utf8.size()),
                                   SQLITE_TRANSIENT);
        } else if (const auto* whole = std::get_if<qint64>(&value)) {
            rc = sqlite3_bind_int64(statement, index, *whole);
        } else {
            rc = sqlite3_bind_double(statement, index, std::get<double>(value));
        }
        if (rc != SQLITE_OK)
            Fail(where + QString::fromUtf8(sqlite3_errstr(rc)));
    }

    void insertRow(sqlite3_stmt* insert, const QString& place, const QList<SheetCell>& cells,
                   const TableRules& rules)
    {
        const auto where = [&](int column) {
            return QStringLiteral("%1 %2 列：").arg(place, rules.columns.value(column));
        };
        if (cells.size() > rules.columns.size())
            Fail(QStringLiteral("%1 %2 列：多出的单元格").arg(place).arg(rules.columns.size() + 1));
        sqlite3_reset(insert);
        QString disc;
        bool open = false; // a rental not yet returned
        for (int c = 0; c < rules.columns.size(); ++c) {
            const SheetCell cell = c < cells.size() ? cells[c] : SheetCell{};
            const auto converted = Convert(cell, rules.kinds[c]);
            if (const auto* why = std::get_if<QString>(&converted))
                Fail(where(c) + *why + QStringLiteral("（") + CellText(cell).left(40) +
                     QStringLiteral("）"));
            const Value& value = std::get<Value>(converted);
            Bind(insert, c + 1, value, where(c));
            if (rules.table == u"zjxx" && rules.columns[c] == u"bh")
                disc = std::get<QString>(value);
            else if (rules.table == u"zjxx" && rules.columns[c] == u"sfyh")
                open = std::get<QString>(value) == u"否";
        }
        const int rc = sqlite3_step(insert);
        if (rc == SQLITE_CONSTRAINT)
            Fail(where(0) + QStringLiteral("编号重复（") + CellText(cells.value(0)) +
                 QStringLiteral("）"));
        if (rc != SQLITE_DONE)
            Fail(where(0) + QString::fromUtf8(sqlite3_errmsg(db_)));
        if (open)
            claimDisc(disc, where(1));
        if (++rows_ % kProgressEvery == 0 && progress_ && !progress_(rows_))
            throw WorkCancelled();
    }

    void claimDisc(const QString& bh, const QString& where)
    {
        sqlite3_reset(claim_->get());
        Bind(claim_->get(), 1, Value(bh), where);
        const int rc = sqlite3_step(claim_->get());
        if (rc == SQLITE_CONSTRAINT)
            Fail(where + QStringLiteral("影碟 %1 已有一条未归还的租借记录").arg(bh.left(40)));
        if (rc != SQLITE_DONE)
            Fail(where + QString::fromUtf8(sqlite3_errmsg(db_)));
    }

    sqlite3* db_;
    const RowProgress& progress_;
    std::unique_ptr<Statement> claim_;
    qint64 rows_ = 0;
};

qint64 Changes(const SqliteFile& file, const char* sql)
{
    file.exec(sql);
    return sqlite3_changes64(file.db);
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

void ExportWorkbook(const QString& databasePath, const QString& target,
                    const RowProgress& progress, qint64 sheetRows)
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
                             qint64 rentalsPerLevel, qint64 levels, const RowProgress& progress)
{
    if (rentalsPerLevel <= 0)
        Fail(QStringLiteral("每升一级所需的租借次数必须大于0"));
    const SqliteFile file(databasePath, SQLITE_OPEN_READWRITE, kSource);
    file.exec(PageCachePragma().constData());
    ImportSummary summary;
    file.exec("BEGIN IMMEDIATE");
    try {
        // The indexes are built again once the rows are in: far quicker than
        // keeping them up to date row by row. All in the one transaction.
        QList<std::pair<QByteArray, QByteArray>> indexes; // drop, create
        {
            const Statement list(file.db, QStringLiteral(
                                              "SELECT name, sql FROM sqlite_master WHERE type ="
                                              " 'index' AND sql IS NOT NULL AND tbl_name IN"
                                              " ('ydxx', 'zjxx', 'hyxx')"));
            while (sqlite3_step(list.get()) == SQLITE_ROW)
                indexes.append({QStringLiteral("DROP INDEX \"%1\"")
                                    .arg(ColumnText(list.get(), 0))
                                    .toUtf8(),
                                ColumnText(list.get(), 1).toUtf8()});
        }
        for (const auto& index : indexes)
            file.exec(index.first.constData());
        file.exec("DELETE FROM ydxx; DELETE FROM zjxx; DELETE FROM hyxx");
        Importer importer(file.db, progress);
        summary.discs = importer.readTable(workbook, Tables()[0]);
        summary.rentals = importer.readTable(workbook, Tables()[1]);
        summary.members = importer.readTable(workbook, Tables()[2]);
        for (const auto& index : indexes)
            file.exec(index.second.constData());
        // The rentals are the truth for what is out and what was borrowed.
        summary.flagsRepaired = Changes(
            file, "UPDATE ydxx SET sfycz = CASE WHEN bh IN (SELECT bh FROM zjxx WHERE sfyh ="
                  " '否') THEN '是' ELSE '否' END WHERE sfycz <> CASE WHEN bh IN (SELECT bh FROM"
                  " zjxx WHERE sfyh = '否') THEN '是' ELSE '否' END");
        const Statement raise(
            file.db, QStringLiteral(
                         "UPDATE hyxx SET yjps = (SELECT COUNT(*) FROM zjxx WHERE zjxx.hybh ="
                         " hyxx.hybh), hydj = MIN((SELECT COUNT(*) FROM zjxx WHERE zjxx.hybh ="
                         " hyxx.hybh) / ?, ?) WHERE yjps < (SELECT COUNT(*) FROM zjxx WHERE"
                         " zjxx.hybh = hyxx.hybh)"));
        sqlite3_bind_int64(raise.get(), 1, rentalsPerLevel);
        sqlite3_bind_int64(raise.get(), 2, levels);
        if (sqlite3_step(raise.get()) != SQLITE_DONE)
            Fail(file.error());
        summary.countsRaised = sqlite3_changes64(file.db);
        file.exec("COMMIT");
    } catch (...) {
        sqlite3_exec(file.db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    // Fresh statistics for the planner: the tables may have grown a hundredfold.
    sqlite3_exec(file.db, "ANALYZE", nullptr, nullptr, nullptr);
    return summary;
}

ImportSummary ImportWorkbook(const QString& databasePath, const QString& path,
                             qint64 rentalsPerLevel, qint64 levels, const RowProgress& progress)
{
    const std::unique_ptr<WorkbookReader> workbook = OpenWorkbook(path);
    return ImportWorkbook(databasePath, *workbook, rentalsPerLevel, levels, progress);
}
