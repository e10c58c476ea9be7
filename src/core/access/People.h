#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The people behind the counter: owners (everything is allowed) and clerks
// (the counter's work), each with a name and a password, listed in the shop's
// table czry (xm name, js role, mm the password's hash, ty disabled 是/否).
// On a server each person is a login role of the server and the server keeps
// the password (mm stays empty); until the owner makes people there, the
// shop runs on its shared counter role with its password among the settings.
enum class PersonRole
{
    Owner,
    Clerk
};
inline const QString kOwnerWord = QStringLiteral("店主");
inline const QString kClerkWord = QStringLiteral("店员");
// The name the owner has until he is renamed.
inline const QString kFirstOwnerName = kOwnerWord;

struct Person
{
    QString name;
    PersonRole role = PersonRole::Clerk;
    bool disabled = false;
    bool hasPassword = false;
};

// Whether people can be kept here: a file, or a server whose tables' owner
// made the people's functions.
bool ShopKeepsPeople();
// Everyone, owners first, then by name. Read from the open shop, or before
// it is opened (the logon) from the file itself; empty when the file has no
// table yet.
QList<Person> ShopPeople();
// Whether an enabled clerk exists: the logon then asks for a name.
bool ClerksExist();

// The enabled person the name and password belong to; for an owner with no
// name given (a shop with no clerk), any enabled owner whose password it is.
std::optional<Person> CheckPerson(const QString& name, const QString& password);

// The owner whose password 管理员密码设置 sets: the one logged on, else the
// first; made (as 店主) when the shop has none.
QString OwnerToSet();
// Sets (a hash of) `password` for `name`; empty removes it. False when it
// cannot be stored. Throws MovrntError.
bool SetPersonPassword(const QString& name, const QString& password);
// Why the password protection cannot be switched off now: other people who
// would be let in without one. Empty when it can.
QString PasswordOffRefusal();

// The people window's changes; each returns what refused it, or empty.
// Names: 1 to 63 bytes, no blanks at either end; passwords as the owner's.
QString AddPerson(const QString& name, PersonRole role, const QString& password,
                  const QString& confirmation);
QString RenamePerson(const QString& name, const QString& newName);
QString SetPersonDisabled(const QString& name, bool disabled);
QString ChangePersonPassword(const QString& name, const QString& password,
                             const QString& confirmation);

// The file's password from the settings store, moved into the shop as its
// owner the first time this version opens it; a password the logon found in
// the old scrambling is hashed. Throws MovrntError.
void MoveOwnerPasswordIntoShop();

// What a restore keeps: the working shop's people, as rows to write into the
// replacement. Throws MovrntError.
QList<QStringList> PeopleRows();
QString PeopleInsert(); // the statement that writes one of them

// Whether each person is a login role of the shop's server.
bool PeopleAreServerLogins();
// Whether the logon asks for a name: a file with an enabled clerk; a server
// with people, or whose address's own login it refused (only people get in).
bool LogonByName();
struct LogonOutcome
{
    std::optional<Person> person; // none: a wrong name or password
    QString problem;              // a server that could not be reached
};
// Logs `name` on with `password`. On a server every later connection logs
// in as him: the server checks the password.
LogonOutcome LogOn(const QString& name, const QString& password);
// The server's login role of a guest at a shop with people; its password
// comes from libpq's password file.
inline const QString kGuestLogin = QStringLiteral("movrnt_guest");
// A guest at a server with people logs in as kGuestLogin; why that failed,
// or empty.
QString LogOnAsGuest();

// The counter roles a server shop ran on before its people (logins with the
// shop's rights that are no person), and retiring one: out of the groups,
// without its own grants. Only a person logged on by name may retire one.
QStringList SharedLogins();
inline const QString kSharedWord = QStringLiteral("共用账户");
QString RetireSharedLogin(const QString& role);
