#include "People.h"

#include "PassCheck.h"
#include "PasswordRules.h"
#include "core/settings/Settings.h"
#include "core/store/Database.h"
#include "core/store/Engine.h"
#include "core/store/Errors.h"
#include "core/store/ServerAddress.h"
#include "core/store/ServerPeople.h"
#include "core/store/Shop.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>

namespace {
const QString kSource = QStringLiteral("People");
// A password typed at the logon that was still stored in the old scrambling.
std::optional<std::pair<QString, QString>> pendingHash;

// The people live in the counter's own shop; before it is opened (the
// logon) they are read from its location.
bool OpenShop()
{
    Shop* shop = SessionShop();
    return shop && shop->isOpen();
}

Shop& Open()
{
    if (!OpenShop())
        throw MovrntError(QStringLiteral("数据库连接未打开"), kSource);
    return *SessionShop();
}

bool OpenFileShop()
{
    return OpenShop() && !SessionShop()->engine().peopleAreLogins();
}

// Whether the server refused the address's own login, tried before the logon.
bool loginRefused = false;

// Every row of `sql` as text: from the open shop, or before it is opened
// (the logon) on a connection of its own (a file's read only).
QList<QStringList> Rows(const QString& sql, const QVariantList& values = {})
{
    QList<QStringList> rows;
    const auto read = [&](QSqlQuery& query) {
        while (query.next()) {
            QStringList row;
            for (int c = 0; c < query.record().count(); ++c)
                row << query.value(c).toString();
            rows << row;
        }
    };
    const QString readable = ChosenEngine().tableReadable(QStringLiteral("czry"));
    if (OpenShop()) {
        if (!RunSql(Open(), readable).next())
            return {};
        QSqlQuery query = RunSql(Open(), sql, values);
        read(query);
        return rows;
    }
    const QString name = QStringLiteral("movrnt-people");
    {
        QSqlDatabase db = ChosenEngine().openReader(ShopLocation(), name, &loginRefused);
        if (db.isOpen()) {
            QSqlQuery has(db);
            if (has.exec(readable) && has.next()) {
                QSqlQuery query(db);
                query.prepare(sql);
                for (const QVariant& value : values)
                    query.addBindValue(value);
                if (query.exec())
                    read(query);
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return rows;
}

const QString kPeopleColumns = QStringLiteral("xm, js, ty, mm");

Person PersonOf(const QStringList& row)
{
    // A server keeps the passwords itself: every person there has one.
    return {row.value(0), row.value(1) == kOwnerWord ? PersonRole::Owner : PersonRole::Clerk,
            row.value(2) == u"是", ChosenEngine().peopleAreLogins() || !row.value(3).isEmpty()};
}

std::optional<Person> Find(const QString& name)
{
    const QList<QStringList> rows =
        Rows(QStringLiteral("SELECT %1 FROM czry WHERE xm = ?").arg(kPeopleColumns), {name});
    if (rows.isEmpty())
        return std::nullopt;
    return PersonOf(rows.first());
}

QString NameRefusal(const QString& name)
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("姓名不能为空！");
    if (name != name.trimmed())
        return QStringLiteral("姓名的开头和结尾不能有空格！");
    if (name.toUtf8().size() > 63)
        return QStringLiteral("姓名太长了：最多 63 个字节（约 21 个汉字）！");
    if (std::any_of(name.cbegin(), name.cend(),
                    [](QChar c) { return c.category() == QChar::Other_Control; }))
        return QStringLiteral("姓名中不能有控制字符！");
    if (Find(name))
        return QStringLiteral("已经有人叫“%1”了，请换一个姓名！").arg(name);
    return {};
}

void Announce()
{
    if (Shop* shop = SessionShop())
        shop->announceSettings(ShopOperation::SavePassword);
}
} // namespace

namespace {
// On a server: runs one of the people's functions; its refusal is returned.
QString ServerChange(const QString& sql, const QVariantList& values)
{
    try {
        RunSql(Open(), sql, values);
    } catch (const MovrntError& error) {
        if (error.code() == u"23514")
            return error.description();
        throw;
    }
    Announce();
    return {};
}

QString Verifier(const QString& name, const QString& password)
{
    const QByteArray verifier = ServerPasswordVerifier(Open().connection(), name, password);
    if (verifier.isEmpty())
        throw MovrntError(QStringLiteral("无法保存密码"), kSource);
    return QString::fromLatin1(verifier);
}
} // namespace

bool ShopKeepsPeople()
{
    if (!ChosenEngine().peopleAreLogins())
        return true;
    // Asked as menus are drawn: once for each connection.
    static qint64 serial = -1;
    static bool functions = false;
    if (!OpenShop() || serial != Open().serial()) {
        functions =
            !Rows(QStringLiteral("SELECT 1 FROM pg_proc WHERE proname = 'movrnt_person_add' AND"
                                 " pronamespace = CAST(current_schema() AS regnamespace)"))
                 .isEmpty();
        serial = OpenShop() ? Open().serial() : -1;
    }
    return functions;
}

QList<Person> ShopPeople()
{
    QList<Person> people;
    for (const QStringList& row :
         Rows(QStringLiteral("SELECT %1 FROM czry ORDER BY js = '店主' DESC, xm")
                  .arg(kPeopleColumns)))
        people << PersonOf(row);
    return people;
}

bool ClerksExist()
{
    const QList<Person> people = ShopPeople();
    return std::any_of(people.cbegin(), people.cend(),
                       [](const Person& p) { return p.role == PersonRole::Clerk && !p.disabled; });
}

std::optional<Person> CheckPerson(const QString& name, const QString& password)
{
    const QList<QStringList> rows =
        name.isEmpty()
            ? Rows(QStringLiteral(
                       "SELECT %1 FROM czry WHERE js = '店主' AND ty = '否' ORDER BY rowid")
                       .arg(kPeopleColumns))
            : Rows(QStringLiteral("SELECT %1 FROM czry WHERE xm = ? AND ty = '否'")
                       .arg(kPeopleColumns),
                   {name});
    for (const QStringList& row : rows) {
        if (!PasswordMatches(row.value(3), password))
            continue;
        if (IsOldScrambling(row.value(3))) {
            // The old scrambling is replaced by a hash once the shop is open.
            if (OpenFileShop())
                SetPersonPassword(row.value(0), password);
            else
                pendingHash = {row.value(0), password};
        }
        return PersonOf(row);
    }
    return std::nullopt;
}

namespace {
// The owner logged on, else the first; empty when the shop has none.
QString OwnerName()
{
    if (const std::optional<Person> me = Find(CurrentPerson()); me && me->role == PersonRole::Owner)
        return me->name;
    const QList<QStringList> first = Rows(
        QStringLiteral("SELECT xm FROM czry WHERE js = '店主' ORDER BY ty = '是', rowid LIMIT 1"));
    return first.isEmpty() ? QString() : first.first().value(0);
}
} // namespace

QString OwnerToSet()
{
    if (const QString owner = OwnerName(); !owner.isEmpty())
        return owner;
    RunSql(Open(), QStringLiteral("INSERT INTO czry (xm, js) VALUES (?, '店主')"),
           {kFirstOwnerName});
    return kFirstOwnerName;
}

bool SetPersonPassword(const QString& name, const QString& password)
{
    const QString hash = password.isEmpty() ? QStringLiteral("") : HashPassword(password);
    if (!password.isEmpty() && hash.isEmpty())
        return false;
    return RunSql(Open(), QStringLiteral("UPDATE czry SET mm = ? WHERE xm = ?"), {hash, name})
               .numRowsAffected() == 1;
}

QString PasswordOffRefusal()
{
    if (ChosenEngine().peopleAreLogins())
        return ShopPeople().isEmpty()
                   ? QString()
                   : QStringLiteral("服务器上的人员各自以姓名和密码登录，不能关闭密码保护。");
    const QString owner = OwnerName();
    QStringList others;
    for (const Person& person : ShopPeople())
        if (!person.disabled && person.name != owner)
            others << person.name;
    if (others.isEmpty())
        return {};
    return QStringLiteral("店里还有其他人员（%1），关闭密码保护后，任何人不用密码就能进入系统。"
                          "请先在“人员管理”中停用他们，再关闭密码保护。")
        .arg(others.join(QStringLiteral("、")));
}

QString AddPerson(const QString& name, PersonRole role, const QString& password,
                  const QString& confirmation)
{
    if (ChosenEngine().peopleAreLogins()) {
        if (QString why = NameRefusal(name); !why.isEmpty())
            return why;
        if (QString why = NewPasswordRefusal(password, confirmation); !why.isEmpty())
            return why;
        return ServerChange(
            QStringLiteral("SELECT movrnt_person_add(?, ?, ?)"),
            {name, Verifier(name, password), role == PersonRole::Owner ? kOwnerWord : kClerkWord});
    }
    // Without the owner's password nobody is asked for one: people would mean nothing.
    if (!PasswordIsSet())
        return QStringLiteral("请先在“管理员密码设置”中设置店主的密码，再添加人员。");
    if (QString why = NameRefusal(name); !why.isEmpty())
        return why;
    if (QString why = NewPasswordRefusal(password, confirmation); !why.isEmpty())
        return why;
    const QString hash = HashPassword(password);
    if (hash.isEmpty())
        throw MovrntError(QStringLiteral("无法保存密码"), kSource);
    InTransaction(Open(), [&] {
        // The owner who adds the first clerk keeps his password: make sure he has a row.
        OwnerToSet();
        RunSql(Open(), QStringLiteral("INSERT INTO czry (xm, js, mm) VALUES (?, ?, ?)"),
               {name, role == PersonRole::Owner ? kOwnerWord : kClerkWord, hash});
    });
    Announce();
    return {};
}

QString RenamePerson(const QString& name, const QString& newName)
{
    if (name == CurrentPerson())
        return QStringLiteral("您正在以“%1”的身份登录，不能修改自己的姓名。").arg(name);
    if (QString why = NameRefusal(newName); !why.isEmpty())
        return why;
    // The ledger's lines keep the name they were written with.
    if (ChosenEngine().peopleAreLogins())
        return ServerChange(QStringLiteral("SELECT movrnt_person_rename(?, ?)"), {name, newName});
    RunSql(Open(), QStringLiteral("UPDATE czry SET xm = ? WHERE xm = ?"), {newName, name});
    Announce();
    return {};
}

QString SetPersonDisabled(const QString& name, bool disabled)
{
    const std::optional<Person> person = Find(name);
    if (!person)
        return QStringLiteral("没有叫“%1”的人员。").arg(name);
    if (disabled && name == CurrentPerson())
        return QStringLiteral("您正在以“%1”的身份登录，不能停用自己。").arg(name);
    if (ChosenEngine().peopleAreLogins())
        return ServerChange(QStringLiteral("SELECT movrnt_person_enable(?, ?)"), {name, !disabled});
    if (disabled && person->role == PersonRole::Owner) {
        const QList<Person> people = ShopPeople();
        const auto owners = std::count_if(people.cbegin(), people.cend(), [](const Person& p) {
            return p.role == PersonRole::Owner && !p.disabled && p.hasPassword;
        });
        if (owners <= 1 && person->hasPassword)
            return QStringLiteral("店里至少要有一位可以登录的店主。");
    }
    RunSql(Open(), QStringLiteral("UPDATE czry SET ty = ? WHERE xm = ?"),
           {disabled ? QStringLiteral("是") : QStringLiteral("否"), name});
    Announce();
    return {};
}

QString ChangePersonPassword(const QString& name, const QString& password,
                             const QString& confirmation)
{
    if (!Find(name))
        return QStringLiteral("没有叫“%1”的人员。").arg(name);
    if (QString why = NewPasswordRefusal(password, confirmation); !why.isEmpty())
        return why;
    if (ChosenEngine().peopleAreLogins())
        return ServerChange(QStringLiteral("SELECT movrnt_person_password(?, ?)"),
                            {name, Verifier(name, password)});
    if (!SetPersonPassword(name, password))
        throw MovrntError(QStringLiteral("无法保存密码"), kSource);
    Announce();
    return {};
}

void MoveOwnerPasswordIntoShop()
{
    if (!ShopKeepsPeople() || !OpenFileShop())
        return;
    if (pendingHash) {
        SetPersonPassword(pendingHash->first, pendingHash->second);
        pendingHash.reset();
    }
    const QString stored = GetSetting(Setting::Password);
    if (stored.isEmpty())
        return;
    const QList<Person> people = ShopPeople();
    if (std::none_of(people.cbegin(), people.cend(),
                     [](const Person& p) { return p.role == PersonRole::Owner && p.hasPassword; }))
        RunSql(Open(), QStringLiteral("UPDATE czry SET mm = ? WHERE xm = ?"),
               {stored, OwnerToSet()});
    // Only once the shop holds it: a failed write leaves it where it was.
    SetSetting(Setting::Password, QString());
}

QList<QStringList> PeopleRows()
{
    return OpenFileShop() ? Rows(QStringLiteral("SELECT xm, js, mm, ty FROM czry ORDER BY rowid"))
                          : QList<QStringList>();
}

QString PeopleInsert()
{
    return QStringLiteral("INSERT INTO czry (xm, js, mm, ty) VALUES (?, ?, ?, ?)");
}

bool PeopleAreServerLogins()
{
    return ChosenEngine().peopleAreLogins();
}

bool LogonByName()
{
    if (!ChosenEngine().peopleAreLogins())
        return ClerksExist();
    const QList<Person> people = ShopPeople(); // tries the address's own login
    return loginRefused ||
           std::any_of(people.cbegin(), people.cend(), [](const Person& p) { return !p.disabled; });
}

namespace {
// Logs into the server as `user` (password from `password`, else libpq's
// password file) and reads what the shop says of him; the connection's
// failure in `problem`, or whether the login itself was refused.
std::optional<QStringList> TryLogin(const QString& user, const QString& password, QString& problem,
                                    bool& refused)
{
    const std::pair<QString, QString> before = ServerLogin();
    SetServerLogin(user, password);
    std::optional<QStringList> found;
    const QString name = QStringLiteral("movrnt-logon");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        try {
            ParseServerUrl(ShopLocation()).apply(db);
            if (db.open()) {
                QSqlQuery query(db);
                if (query.exec(QStringLiteral("SELECT js, ty FROM czry WHERE xm = session_user")) &&
                    query.next())
                    found = QStringList{query.value(0).toString(), query.value(1).toString()};
                else
                    found = QStringList();
            } else {
                refused = LoginRefused(db.lastError().text());
                problem = ConnectionFailureText(db.lastError().text());
            }
        } catch (const MovrntError& error) {
            problem = error.description();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (!found || found->isEmpty() || found->value(1) == u"是") // only the shop's people, enabled
        SetServerLogin(before.first, before.second);
    return found;
}
} // namespace

LogonOutcome LogOn(const QString& name, const QString& password)
{
    if (!ChosenEngine().peopleAreLogins())
        return {CheckPerson(name, password), {}};
    if (name.isEmpty() || password.isEmpty()) // a password file's would do: not at a counter
        return {};
    QString problem;
    bool refused = false;
    const std::optional<QStringList> row = TryLogin(name, password, problem, refused);
    // Only the shop's people log on by name: a role of the server is not one.
    if (!row || row->isEmpty() || row->value(1) == u"是")
        return {std::nullopt, row || refused ? QString() : problem};
    return {Person{name, row->value(0) == kOwnerWord ? PersonRole::Owner : PersonRole::Clerk, false,
                   true},
            {}};
}

QString LogOnAsGuest()
{
    if (!ChosenEngine().peopleAreLogins() || !LogonByName())
        return {};
    QString problem;
    bool refused = false;
    // The guest is no person: the login stands once the server let it in.
    if (TryLogin(kGuestLogin, {}, problem, refused)) {
        SetServerLogin(kGuestLogin, {});
        return {};
    }
    return QStringLiteral("无法以来宾的身份（%1）连接数据库服务器：%2").arg(kGuestLogin, problem);
}

QStringList SharedLogins()
{
    if (!ChosenEngine().peopleAreLogins() || !OpenShop())
        return {};
    QStringList names;
    QSqlQuery query =
        RunSql(Open(), QStringLiteral("SELECT u.rolname FROM pg_roles u, pg_tables t WHERE "
                                      "t.schemaname = current_schema() AND"
                                      " t.tablename = 'ydxx' AND u.rolcanlogin AND NOT u.rolsuper "
                                      "AND u.rolname <> t.tableowner AND shobj_description(u.oid, "
                                      "'pg_authid') IS DISTINCT FROM"
                                      " 'movrnt 人员' AND"
                                      " u.rolname NOT IN (SELECT xm FROM czry) AND NOT "
                                      "pg_has_role(u.oid, 'movrnt_expert', 'MEMBER') AND"
                                      " (pg_has_role(u.oid, 'movrnt_owner', 'MEMBER') OR "
                                      "pg_has_role(u.oid, 'movrnt_clerk', 'MEMBER') OR"
                                      " has_table_privilege(u.oid, quote_ident(t.schemaname) || "
                                      "'.ydxx', 'INSERT')) ORDER BY 1"));
    while (query.next())
        names << query.value(0).toString();
    return names;
}

QString RetireSharedLogin(const QString& role)
{
    return ServerChange(QStringLiteral("SELECT movrnt_retire_login(?)"), {role});
}
