#pragma once

#include "core/store/Database.h"
#include "ui/common/MessageBox.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdio>
#include <memory>

// A program folder of its own (the delivered empty database copied in), its
// own XDG_CONFIG_HOME, today pinned to 2003-11-09, and no seam left set.
class TestHome
{
public:
    TestHome();
    ~TestHome();
    QString folder() const { return program_.path(); }
    QString configFolder() const { return config_.path(); }
    QString databasePath() const;
    // Writes the settings key with the given values, as an earlier run left it.
    void setSettings(const QList<std::pair<QString, QString>>& values) const;

private:
    QTemporaryDir program_;
    QTemporaryDir config_;
};

// The suite runs on the test server (MOVRNT_TEST_ENGINE=server, the server
// at MOVRNT_TEST_SERVER) rather than on the SQLite file.
bool OnTestServer();
// The URL of an empty schema of its own on the test server (MOVRNT_TEST_SERVER);
// empty without one.
QString FreshServerSchema(const QString& prefix);

class MDIMain;
// The main window through its start-up (messages answered quietly), shown;
// null when the start-up failed.
std::unique_ptr<MDIMain> StartedMain();

// The test's own shop: the counter's session shop (the main window's once it
// runs, else the one OpenDatabase() opened). Throws when there is none.
// A second counter is a Shop the test names.
Shop& TestShop();
// Statements on it, for the tests' own arrangements and checks.
QSqlQuery RunSql(const QString& sql, const QVariantList& values = {});
QVariant RunScalar(const QString& sql, const QVariantList& values = {});
FetchedRows FetchRows(const QString& sql, const QVariantList& values = {});
template <typename F> auto InTransaction(F&& work)
{
    return InTransaction(TestShop(), std::forward<F>(work));
}
bool IsDatabaseOpen();
QSqlDatabase DbConnection();

// Why OpenDatabase() refused the program folder's file; empty when it opened.
QString OpeningRefusal();
// The number a COUNT(*) query gives.
qint64 Count(const QString& sql);
// Every column of the first row a query returns, as text (empty when none).
QStringList FirstRow(const QString& sql, const QVariantList& values = {});
// Every row of the statements in turn, its values joined by '|'.
QStringList Rows(const QStringList& statements);

// The query plan's detail lines, one a line.
QString Plan(const QString& sql, const QVariantList& values = {});
// The statements `work` runs, each followed by its plan.
QString PlansOf(const std::function<void()>& work);

// A disc row as an earlier session stored it (the database must be open).
void InsertDisc(const QString& bh, const QString& zy = QStringLiteral("/"),
                const QString& gj = QStringLiteral("/"),
                const QString& sfycz = QStringLiteral("否"),
                const QString& type = QStringLiteral("VCD"),
                const QString& pm = QStringLiteral("片名"),
                const QString& lx = QStringLiteral("故事片"),
                const QString& rkrq = QStringLiteral("2003-11-01"));

// A member row (the database must be open).
void InsertMember(const QString& hybh, const QString& hyxm = QStringLiteral("张三"),
                  const QString& hyxb = QStringLiteral("男"), int hydj = 0, double zjje = 100,
                  double yjje = 50, int yjps = 0,
                  const QString& rhrq = QStringLiteral("2003-11-01"));
// A rental row; returns its number.
// Rows an older shop may hold, which the database now refuses: the rules
// set aside on the test's shop, for tests of what reads such rows.
void SetRulesAside();
qint64 InsertRental(const QString& bh, const QString& hybh,
                    const QString& czrq = QStringLiteral("2003-11-01"),
                    const QString& sfyh = QStringLiteral("否"),
                    const QString& yjje = QStringLiteral("/"));

// Makes the database refuse a change of rows: `timing` as "BEFORE DELETE ON
// zjxx", `condition` on old./new. ("old.bh = '2'"), none for every row.
void RefuseWrites(const QString& name, const QString& timing, const QString& condition = {});

// Replaces the message box: answers questions from a queue (6 or 7) and keeps
// every message shown.
class ScriptedMessages
{
public:
    ScriptedMessages();
    ~ScriptedMessages();
    void queue(std::initializer_list<int> answers);
    QList<ShownMessage> shown;
    QStringList status; // the main window's message panel as each message was shown
    QStringList texts() const;
    QString last() const { return shown.isEmpty() ? QString() : shown.last().text; }
    int unanswered = 0; // questions asked with nothing left in the queue

private:
    QList<int> answers_;
};

// A process that holds a program folder's instance lock until its input closes.
class LockHolder
{
public:
    explicit LockHolder(const QString& folder);
    ~LockHolder();
    bool started() const { return started_; }
    // Ends it as a crash would: SIGKILL, the lock file left behind.
    void kill();

private:
    struct Impl;
    Impl* impl_;
    bool started_ = false;
};

// A small tmpfs mounted at a folder for as long as it lives. Mounting needs
// root (as CI runs); mounted() says whether it worked.
class SmallDisk
{
public:
    SmallDisk(const QString& folder, const QString& size);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool mounted() const { return mounted_; }
    bool setReadOnly(bool readOnly);
    // Takes up every byte left with a file; release() removes it.
    void fill();
    void release();

private:
    QString folder_;
    bool mounted_ = false;
};

// Test programs call this first: started as a lock holder, it holds the lock
// and returns the exit code; otherwise it returns -1.
int RunLockHolderIfAsked(int argc, char** argv);

#define MOVRNT_TEST_MAIN(TestClass)                                                                \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        if (const int code = RunLockHolderIfAsked(argc, argv); code >= 0)                          \
            return code;                                                                           \
        if (OnTestServer() && qEnvironmentVariableIsEmpty("MOVRNT_TEST_SERVER")) {                 \
            std::fputs("No test server (MOVRNT_TEST_SERVER): skipped\n", stderr);                  \
            return 77;                                                                             \
        }                                                                                          \
        if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND"))                                       \
            qputenv("QT_MEDIA_BACKEND", "ffmpeg");                                                 \
        QApplication app(argc, argv);                                                              \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestClass test;                                                                            \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
