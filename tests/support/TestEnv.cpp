#include "TestEnv.h"

#include "core/store/ShopRules.h"

#include "core/settings/Registry.h"
#include "core/settings/Settings.h"
#include "core/store/Clock.h"
#include "core/store/Database.h"
#include "core/store/Errors.h"
#include "core/store/LedgerSchema.h"
#include "core/store/ProgramFolder.h"
#include "core/store/ServerAddress.h"
#include "core/store/Shop.h"
#include "core/store/SingleInstance.h"
#include "ui/app/MDIMain.h"
#include "ui/common/Seams.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {
// The login roles a test shop made for its people live on after the schema:
// dropped with it (role names are the server's, not the schema's).
const char* const kDropPeople =
    "DO $$DECLARE r TEXT; BEGIN IF to_regclass('%1.czry') IS NOT NULL THEN FOR r IN EXECUTE"
    " 'SELECT xm FROM %1.czry' LOOP EXECUTE format('DROP ROLE IF EXISTS %I', r); END LOOP; END IF; "
    "END$$";

void DropServerPeople(const QString& location)
{
    const QString schema = location.section(QStringLiteral("search_path%3D"), 1);
    if (schema.isEmpty())
        return;
    {
        QSqlDatabase admin =
            QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("test-people"));
        SetServerLogin({}, {});
        ParseServerUrl(qEnvironmentVariable("MOVRNT_TEST_SERVER")).apply(admin);
        QSqlQuery query(admin);
        if (admin.open() && !query.exec(QString::fromLatin1(kDropPeople).arg(schema)))
            qWarning("test server: %s", qPrintable(query.lastError().text()));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("test-people"));
}
} // namespace

QString FreshServerSchema(const QString& prefix)
{
    const QString server = qEnvironmentVariable("MOVRNT_TEST_SERVER");
    if (server.isEmpty())
        return {};
    // A schema of this process's own, made empty each time, reached as the test's role.
    SetServerLogin({}, {});
    const QString schema = prefix + QString::number(QCoreApplication::applicationPid());
    {
        QSqlDatabase admin =
            QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("test-admin"));
        ParseServerUrl(server).apply(admin);
        if (!admin.open())
            qFatal("test server: %s", qPrintable(admin.lastError().text()));
        QSqlQuery query(admin);
        if (!query.exec(QStringLiteral("SET client_min_messages = warning")) ||
            !query.exec(QString::fromLatin1(kDropPeople).arg(schema)) ||
            !query.exec(
                QStringLiteral("DROP SCHEMA IF EXISTS %1, %1_expert CASCADE").arg(schema)) ||
            !query.exec(QStringLiteral("CREATE SCHEMA %1").arg(schema)))
            qFatal("test server: %s", qPrintable(query.lastError().text()));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("test-admin"));
    return server + QStringLiteral("?options=-c%20search_path%3D") + schema;
}

bool OnTestServer()
{
    return qEnvironmentVariable("MOVRNT_TEST_ENGINE") == u"server";
}

TestHome::TestHome()
{
    QVERIFY2(program_.isValid() && config_.isValid(), "temporary folders");
    qputenv("XDG_CONFIG_HOME", config_.path().toLocal8Bit());
    QVERIFY2(QFile::copy(QStringLiteral(MOVRNT_DELIVERED_DB), databasePath()),
             "delivered database");
    QFile::setPermissions(databasePath(), QFile::ReadOwner | QFile::WriteOwner);
    SetProgramFolder(program_.path());
    SetTodayForTesting(QDate(2003, 11, 9));
    // No tip window in the way of start-up unless a test asks for it.
    SetShowTipsAtStartup(0);
    if (OnTestServer()) {
        const QString location = FreshServerSchema(QStringLiteral("t"));
        try {
            Shop::Create(location);
        } catch (const MovrntError& error) {
            QFAIL(qPrintable(error.description()));
        }
        SetShopLocation(location);
    }
}

TestHome::~TestHome()
{
    CloseDatabase();
    if (!EngineOf(ShopLocation()).keptInFile())
        DropServerPeople(ShopLocation());
    SetShopLocation({});
    Seams() = ShellSeams{};
    RegeditValStr::SetWriteObserver({});
    SetTodayForTesting(QDate());
}

QString TestHome::databasePath() const
{
    return JoinPath(program_.path(), QStringLiteral("MOVRNT.db"));
}

void TestHome::setSettings(const QList<std::pair<QString, QString>>& values) const
{
    QVERIFY(CreateSettingsKey());
    for (const auto& [name, value] : values) {
        // What the shop shares lives in its database on a server.
        bool shared = false;
        for (Setting setting : ShopWideSettings())
            if (EngineOf(ShopLocation()).keepsShopSettings() && SettingName(setting) == name) {
                QVERIFY(SetSetting(setting, value));
                shared = true;
            }
        if (!shared)
            QVERIFY(Registry().ValStr().SetValue(kSettingsRoot, kSettingsPath, name, value));
    }
}

Shop& TestShop()
{
    if (Shop* shop = SessionShop())
        return *shop;
    throw MovrntError(QStringLiteral("no shop open for the test"), QStringLiteral("test"));
}

QSqlQuery RunSql(const QString& sql, const QVariantList& values)
{
    return RunSql(TestShop(), sql, values);
}

QVariant RunScalar(const QString& sql, const QVariantList& values)
{
    return RunScalar(TestShop(), sql, values);
}

FetchedRows FetchRows(const QString& sql, const QVariantList& values)
{
    return FetchRows(TestShop(), sql, values);
}

bool IsDatabaseOpen()
{
    return SessionShop() && SessionShop()->isOpen();
}

QSqlDatabase DbConnection()
{
    return SessionShop() ? SessionShop()->connection() : QSqlDatabase();
}

qint64 Count(const QString& sql)
{
    return RunScalar(sql).toLongLong();
}

QString Plan(const QString& sql, const QVariantList& values)
{
    QSqlQuery query = RunSql(QStringLiteral("EXPLAIN QUERY PLAN ") + sql, values);
    QStringList details;
    while (query.next())
        details << query.value(3).toString();
    return details.join(u'\n');
}

QString PlansOf(const std::function<void()>& work)
{
    QList<std::pair<QString, QVariantList>> seen;
    const StatementSeen before =
        SetStatementSeen([&seen](const QString& sql, const QVariantList& values) {
            seen.append({sql, values});
        });
    const auto restore = qScopeGuard([&before] { SetStatementSeen(before); });
    work();
    SetStatementSeen(before);
    QStringList plans;
    for (const auto& [sql, values] : seen)
        plans << sql + u'\n' + Plan(sql, values);
    return plans.join(u'\n');
}

QStringList FirstRow(const QString& sql, const QVariantList& values)
{
    QSqlQuery query = RunSql(sql, values);
    QStringList row;
    if (query.next())
        for (int c = 0; c < query.record().count(); ++c)
            row << query.value(c).toString();
    return row;
}

QStringList Rows(const QStringList& statements)
{
    QStringList rows;
    for (const QString& sql : statements) {
        QSqlQuery query = RunSql(sql);
        while (query.next()) {
            QStringList row;
            for (int c = 0; c < query.record().count(); ++c)
                row << query.value(c).toString();
            rows << row.join(u'|');
        }
    }
    return rows;
}

void InsertDisc(const QString& bh, const QString& zy, const QString& gj, const QString& sfycz,
                const QString& type, const QString& pm, const QString& lx, const QString& rkrq)
{
    RunSql(QStringLiteral("INSERT INTO ydxx VALUES (?, ?, ?, ?, ?, ?, ?, ?, '/')"),
           {bh, pm, lx, type, zy, gj, rkrq, sfycz});
}

void InsertMember(const QString& hybh, const QString& hyxm, const QString& hyxb, int hydj,
                  double zjje, double yjje, int yjps, const QString& rhrq)
{
    // His money opens the ledger on the day he joined, as a shop's upgrade
    // opens it, in the transaction that makes him (a server insists).
    const QString time = rhrq.size() == 10 ? rhrq + QStringLiteral(" 00:00:00")
                                           : QStringLiteral("2003-01-01 00:00:00");
    InTransaction([&] {
        RunSql(QStringLiteral("INSERT INTO hyxx VALUES (?, ?, ?, '/', '/', ?, ?, ?, ?, ?)"),
               {hybh, hyxm, hyxb, hydj, zjje, yjje, yjps, rhrq});
        for (const auto& [kind, amount] :
             {std::pair{kOpeningPrepaid, zjje}, std::pair{kOpeningDeposit, yjje}})
            if (kind == kOpeningPrepaid || amount != 0)
                RunSql(
                    QStringLiteral("INSERT INTO zwls (jzsj, ywlx, zdbh, bh, hybh, je, gtmc) VALUES"
                                   " (?, ?, 0, '/', ?, ?, '/')"),
                    {time, kind, hybh, qint64(std::llround(amount * 10000))});
    });
}

void SetRulesAside()
{
    if (EngineOf(ShopLocation()).keptInFile()) {
        for (const QString& name : RuleTriggerNames())
            RunSql(QStringLiteral("DROP TRIGGER ") + name);
        return;
    }
    for (const ShopRule& rule : ShopRules())
        RunSql(QStringLiteral("ALTER TABLE %1 DROP CONSTRAINT %2").arg(rule.table, rule.name));
    RunSql(QStringLiteral("DROP TRIGGER hyxx_money_lines ON hyxx"));
}

qint64 InsertRental(const QString& bh, const QString& hybh, const QString& czrq,
                    const QString& sfyh, const QString& yjje)
{
    const QString ghrq = sfyh == u"是" ? czrq : QStringLiteral("/");
    return RunScalar(QStringLiteral("INSERT INTO zjxx (bh, czrq, ghrq, yjje, sfyh, hybh) VALUES"
                                    " (?, ?, ?, ?, ?, ?) RETURNING zdbh"),
                     {bh, czrq, ghrq, yjje, sfyh, hybh})
        .toLongLong();
}

ScriptedMessages::ScriptedMessages()
{
    SetMessagePresenter([this](const ShownMessage& message) {
        shown.append(message);
        QString panel;
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* main = qobject_cast<MDIMain*>(window))
                panel = main->panelText(2);
        status.append(panel);
        if (message.style == 0)
            return MsgButton::Ok;
        if (answers_.isEmpty()) {
            ++unanswered;
            return MsgButton::Closed;
        }
        return answers_.takeFirst() == 6 ? MsgButton::Yes : MsgButton::No;
    });
}

ScriptedMessages::~ScriptedMessages()
{
    SetMessagePresenter({});
}

void ScriptedMessages::queue(std::initializer_list<int> answers)
{
    for (int answer : answers)
        answers_.append(answer);
}

QStringList ScriptedMessages::texts() const
{
    QStringList list;
    for (const ShownMessage& message : shown)
        list << message.text;
    return list;
}

struct LockHolder::Impl
{
    QProcess process;
};

LockHolder::LockHolder(const QString& folder) : impl_(new Impl)
{
    impl_->process.start(QCoreApplication::applicationFilePath(),
                         {QStringLiteral("--hold-lock"), folder});
    started_ =
        impl_->process.waitForReadyRead(10000) && impl_->process.readAll().startsWith("locked");
}

LockHolder::~LockHolder()
{
    impl_->process.closeWriteChannel();
    if (!impl_->process.waitForFinished(5000))
        impl_->process.kill();
    delete impl_;
}

std::unique_ptr<MDIMain> StartedMain()
{
    auto main = std::make_unique<MDIMain>();
    ScriptedMessages quiet;
    if (!main->runStartup())
        return nullptr;
    main->show();
    return main;
}

QString OpeningRefusal()
{
    try {
        OpenDatabase();
        return {};
    } catch (const MovrntError& error) {
        return error.description();
    }
}

void LockHolder::kill()
{
    impl_->process.kill();
    impl_->process.waitForFinished(5000);
}

SmallDisk::SmallDisk(const QString& folder, const QString& size) : folder_(folder)
{
    QDir().mkpath(folder);
    mounted_ = QProcess::execute(QStringLiteral("mount"),
                                 {"-t", "tmpfs", "-o", "size=" + size, "tmpfs", folder}) == 0;
}

SmallDisk::~SmallDisk()
{
    if (mounted_)
        QProcess::execute(QStringLiteral("umount"), {"-l", folder_});
}

bool SmallDisk::setReadOnly(bool readOnly)
{
    return QProcess::execute(QStringLiteral("mount"),
                             {"-o", readOnly ? "remount,ro" : "remount,rw", folder_}) == 0;
}

void SmallDisk::fill()
{
    QFile filler(folder_ + QStringLiteral("/filler"));
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return;
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size()) {
    }
    while (filler.write("x", 1) == 1) { // the last few bytes too
    }
}

void SmallDisk::release()
{
    QFile::remove(folder_ + QStringLiteral("/filler"));
}

int RunLockHolderIfAsked(int argc, char** argv)
{
    if (argc != 3 || std::strcmp(argv[1], "--hold-lock") != 0)
        return -1;
    QCoreApplication app(argc, argv);
    SingleInstance lock(QString::fromLocal8Bit(argv[2]));
    if (!lock.tryAcquire())
        return 3;
    std::puts("locked");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    return 0;
}

void RefuseWrites(const QString& name, const QString& timing, const QString& condition)
{
    if (!OnTestServer()) {
        RunSql(
            QStringLiteral("CREATE TEMP TRIGGER %1 %2 %3 BEGIN SELECT RAISE(ABORT, 'refused'); END")
                .arg(name, timing,
                     condition.isEmpty() ? QString() : QStringLiteral("WHEN ") + condition));
        return;
    }
    RunSql(
        QStringLiteral("CREATE FUNCTION %1_refuse() RETURNS trigger LANGUAGE plpgsql AS $$BEGIN"
                       " IF %2 THEN RAISE EXCEPTION 'refused'; END IF; RETURN COALESCE(NEW, OLD);"
                       " END$$")
            .arg(name, condition.isEmpty() ? QStringLiteral("true") : condition));
    RunSql(QStringLiteral("CREATE TRIGGER %1 %2 FOR EACH ROW EXECUTE FUNCTION %1_refuse()")
               .arg(name, timing));
}
