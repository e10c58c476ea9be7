#include "People.h"

#include "PassCheck.h"
#include "PasswordRules.h"
#include "settings/Settings.h"
#include "store/Database.h"
#include "store/Errors.h"
#include "store/Shop.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>

namespace {
const QString kSource = QStringLiteral("People");
// A password typed at the logon that was still stored in the old scrambling.
std::optional<std::pair<QString, QString>> pendingHash;

bool OpenFileShop()
{
    Shop* shop = Shop::InUse();
    return shop && shop->isOpen() && shop->engine() == ShopEngine::Sqlite;
}

// Every row of `sql` as text: from the open shop, or before it is opened
// (the logon) from the file on a connection of its own, read only.
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
    if (OpenFileShop()) {
        if (!RunSql(QStringLiteral("SELECT 1 FROM sqlite_master WHERE name = 'czry'")).next())
            return {};
        QSqlQuery query = RunSql(sql, values);
        read(query);
        return rows;
    }
    const QString path = ShopLocation();
    if (!QFileInfo(path).isFile())
        return {};
    const QString name = QStringLiteral("movrnt-people");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            QSqlQuery has(db);
            if (has.exec(QStringLiteral("SELECT 1 FROM sqlite_master WHERE name = 'czry'")) && has.next()) {
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
    return {row.value(0), row.value(1) == kOwnerWord ? PersonRole::Owner : PersonRole::Clerk,
            row.value(2) == u"是", !row.value(3).isEmpty()};
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
    if (std::any_of(name.cbegin(), name.cend(), [](QChar c) { return c.category() == QChar::Other_Control; }))
        return QStringLiteral("姓名中不能有控制字符！");
    if (Find(name))
        return QStringLiteral("已经有人叫“%1”了，请换一个姓名！").arg(name);
    return {};
}

void Announce()
{
    if (Shop* shop = Shop::InUse())
        shop->announceSettings(ShopOperation::SavePassword);
}
} // namespace

bool ShopKeepsPeople()
{
    return !ShopOnServer();
}

QList<Person> ShopPeople()
{
    QList<Person> people;
    for (const QStringList& row :
         Rows(QStringLiteral("SELECT %1 FROM czry ORDER BY js = '店主' DESC, xm").arg(kPeopleColumns)))
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
            ? Rows(QStringLiteral("SELECT %1 FROM czry WHERE js = '店主' AND ty = '否' ORDER BY rowid")
                       .arg(kPeopleColumns))
            : Rows(QStringLiteral("SELECT %1 FROM czry WHERE xm = ? AND ty = '否'").arg(kPeopleColumns),
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
    const QList<QStringList> first =
        Rows(QStringLiteral("SELECT xm FROM czry WHERE js = '店主' ORDER BY ty = '是', rowid LIMIT 1"));
    return first.isEmpty() ? QString() : first.first().value(0);
}
} // namespace

QString OwnerToSet()
{
    if (const QString owner = OwnerName(); !owner.isEmpty())
        return owner;
    RunSql(QStringLiteral("INSERT INTO czry (xm, js) VALUES (?, '店主')"), {kFirstOwnerName});
    return kFirstOwnerName;
}

bool SetPersonPassword(const QString& name, const QString& password)
{
    const QString hash = password.isEmpty() ? QStringLiteral("") : HashPassword(password);
    if (!password.isEmpty() && hash.isEmpty())
        return false;
    return RunSql(QStringLiteral("UPDATE czry SET mm = ? WHERE xm = ?"), {hash, name}).numRowsAffected() == 1;
}

QString PasswordOffRefusal()
{
    if (!ShopKeepsPeople())
        return {};
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
    InTransaction([&] {
        // The owner who adds the first clerk keeps his password: make sure he has a row.
        OwnerToSet();
        RunSql(QStringLiteral("INSERT INTO czry (xm, js, mm) VALUES (?, ?, ?)"),
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
    RunSql(QStringLiteral("UPDATE czry SET xm = ? WHERE xm = ?"), {newName, name});
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
    if (disabled && person->role == PersonRole::Owner) {
        const QList<Person> people = ShopPeople();
        const auto owners = std::count_if(people.cbegin(), people.cend(), [](const Person& p) {
            return p.role == PersonRole::Owner && !p.disabled && p.hasPassword;
        });
        if (owners <= 1 && person->hasPassword)
            return QStringLiteral("店里至少要有一位可以登录的店主。");
    }
    RunSql(QStringLiteral("UPDATE czry SET ty = ? WHERE xm = ?"),
           {disabled ? QStringLiteral("是") : QStringLiteral("否"), name});
    Announce();
    return {};
}

QString ChangePersonPassword(const QString& name, const QString& password, const QString& confirmation)
{
    if (!Find(name))
        return QStringLiteral("没有叫“%1”的人员。").arg(name);
    if (QString why = NewPasswordRefusal(password, confirmation); !why.isEmpty())
        return why;
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
        RunSql(QStringLiteral("UPDATE czry SET mm = ? WHERE xm = ?"), {stored, OwnerToSet()});
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
