#pragma once

#include "Database.h"
#include "Engine.h"

#include <QHash>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <memory>

class QTimer;

// What made a change to the shop's data; the windows decide from it what
// they show again.
enum class ShopOperation
{
    AddDisc,
    ModifyDisc,
    DeleteDiscs,
    AddMember,
    ModifyMember,
    DeleteMembers,
    RentOut,
    Settle,
    DeleteRentals,
    RepairRentals,
    MemberLevels,
    SaveSettings,
    SavePassword,
    Import,
    Restore,
    Reserve, // a reservation made, held, fulfilled or cancelled
    Expert,
};

// The committed changes to the shop, one signal per kind, whoever made them:
// this program's operations (emitted after their commit, never on rollback)
// and other connections to the same database (found by Shop::lookOutside).
// A whole database replaced comes as discs, rentals and members changed, in
// that order, then databaseReplaced.
class ShopEvents : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

Q_SIGNALS:
    void discsChanged(ShopOperation operation);
    void membersChanged(ShopOperation operation);
    void rentalsChanged(ShopOperation operation);
    void settingsChanged(ShopOperation operation);
    void databaseReplaced(ShopOperation operation);
    // The server's connection broke or came back: a text for the status bar.
    void connectionStatus(const QString& text);
};

// The kinds of change an operation announces.
enum class ShopChange
{
    Discs,
    Members,
    Rentals,
    Database,
    Settings
};

// The shop's database: owns the connection, knows its engine and carries
// the events. The statements of core run on the Shop they are handed (a
// second one on the same file is another connection, as another counter
// would be).
class Shop
{
public:
    // Opens the shop's database: a file (a path) or a PostgreSQL server (a
    // postgresql:// URL), bringing an older one up to date. Throws
    // MovrntError: a missing file or tables are never created silently.
    explicit Shop(const QString& location, const UpgradeProgress& progress = {});
    // A new file, or the tables in an empty server database, opened.
    static std::unique_ptr<Shop> Create(const QString& location);
    ~Shop();
    Shop(const Shop&) = delete;
    Shop& operator=(const Shop&) = delete;

    const Engine& engine() const { return *engine_; }
    // The file's path or the server's URL.
    const QString& path() const { return path_; }
    // How messages name it: the path, or user@host:port/dbname.
    QString display() const;
    bool isOpen() const;
    QSqlDatabase connection() const;
    // Changes with every opening: what was read before may be out of date.
    qint64 serial() const { return serial_; }
    ShopEvents* events() const { return events_.get(); }

    // What the clerk must be told once after the opening (rows that break
    // the shop's rules); empty when nothing.
    const QString& notice() const { return notice_; }

    // Connected to a server as a superuser, who can do anything to it, where
    // a counter should log in with a role of data rights only.
    bool superuser() const;

    // Closes the connection (the file is about to be replaced) and opens it again.
    void close();
    void reopen(const UpgradeProgress& progress = {});
    // Announces the whole database replaced.
    void announceReplaced(ShopOperation operation);

    bool inTransaction() const { return transactions_ > 0; }
    // Closed by close(), not by a broken line: never made again by itself.
    bool closedOnPurpose() const { return closed_; }
    // Makes a broken connection to the server again, saying so on the
    // events; what changed meanwhile is announced. Throws MovrntError when
    // the server is still out of reach.
    void reconnect();

    // Looks for changes committed by other connections, cheaply, and
    // announces them with the operation that made them.
    void lookOutside();
    // Looks every `ms` milliseconds too.
    void watch(int ms);

    // Within a transaction: records the change for other connections and
    // announces it here once the transaction commits.
    void announce(ShopChange change, ShopOperation operation);
    // The settings of the shop were saved: outside the database on a file,
    // in it on a server, where the other counters hear of it.
    void announceSettings(ShopOperation operation);

private:
    friend class Transaction;
    void open(const UpgradeProgress& progress);
    void committed();
    void rolledBack()
    {
        pending_.clear();
        pendingSerials_.clear();
    }
    void emitChange(ShopChange change, ShopOperation operation);
    QHash<QString, qint64> readSerials();

    void openServer(const UpgradeProgress& progress);
    QString path_, connectionName_, notice_;
    const Engine* engine_ = &EngineOf({});
    bool server_ = false;
    qint64 serial_ = 0;
    int transactions_ = 0;
    qint64 dataVersion_ = -1;
    QHash<QString, qint64> known_;          // the change log's serials, as last seen
    QHash<QString, qint64> pendingSerials_; // this transaction's, until it commits
    QList<std::pair<ShopChange, ShopOperation>> pending_;
    std::unique_ptr<ShopEvents> events_;
    QTimer* timer_ = nullptr;
    bool closed_ = false;
    qint64 lastNotified_ = 0;  // msecs since the epoch: the log read for a notification
    qint64 nextReconnect_ = 0; // msecs since the epoch: a server down is tried every few seconds
};

// The statement that records a change of a kind ('ydxx', 'hyxx', 'zjxx',
// 'sjk') in the change log, for connections of their own (the import, a
// typed statement); binds the operation's name, then the kind.
extern const char* const kChangeLogStatement;
QString ShopOperationName(ShopOperation operation);

// The counter's own shop, handed over by whoever opened it for the counter's
// session (the main window, a program without one): the logon, the people
// and the shop-wide settings work on it. Null while there is none; another
// Shop (a second counter, a copy) never becomes it by being opened.
Shop* SessionShop();
void SetSessionShop(Shop* shop);
