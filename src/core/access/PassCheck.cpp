#include "PassCheck.h"

#include "People.h"
#include "core/settings/Settings.h"
#include "core/store/Database.h"
#include "core/store/Engine.h"
#include "core/store/Shop.h"

#include <algorithm>

#include <sodium.h>

namespace {
QString userMode;
QString currentPerson;

bool IsHash(const QString& stored)
{
    return stored.startsWith(QLatin1String(crypto_pwhash_STRPREFIX));
}

bool SodiumReady()
{
    static const bool ready = sodium_init() >= 0;
    return ready;
}
} // namespace

QString ReverseText(const QString& text)
{
    QString reversed;
    reversed.reserve(text.size());
    for (qsizetype i = text.size() - 1; i >= 0; --i)
        reversed.append(text.at(i));
    return reversed;
}

QString ShiftText(const QString& text, const QString& mode)
{
    const int delta = mode == u"PLUS" ? 3 : -3;
    QString shifted;
    shifted.reserve(text.size());
    for (QChar c : text)
        shifted.append(QChar(static_cast<char16_t>(c.unicode() + delta)));
    return shifted;
}

QString HashPassword(const QString& password)
{
    if (!SodiumReady())
        return {};
    const QByteArray bytes = password.toUtf8();
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(hash, bytes.constData(), static_cast<unsigned long long>(bytes.size()),
                          crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        return {};
    return QString::fromLatin1(hash);
}

bool IsOldScrambling(const QString& stored)
{
    return !stored.isEmpty() && !IsHash(stored);
}

bool PasswordMatches(const QString& stored, const QString& typed)
{
    if (stored.isEmpty())
        return false;
    if (IsHash(stored)) {
        if (!SodiumReady())
            return false;
        const QByteArray hash = stored.toLatin1();
        const QByteArray password = typed.toUtf8();
        return crypto_pwhash_str_verify(hash.constData(), password.constData(),
                                        static_cast<unsigned long long>(password.size())) == 0;
    }
    return ReverseText(ShiftText(stored, QStringLiteral("SUB"))) == typed;
}

bool PasswordIsSet()
{
    if (ChosenEngine().peopleAreLogins())
        return !GetSetting(Setting::Password).isEmpty() || LogonByName();
    {
        const QList<Person> people = ShopPeople();
        if (std::any_of(people.cbegin(), people.cend(),
                        [](const Person& p) { return p.role == PersonRole::Owner; }))
            return std::any_of(people.cbegin(), people.cend(), [](const Person& p) {
                return p.role == PersonRole::Owner && !p.disabled && p.hasPassword;
            });
    }
    return !GetSetting(Setting::Password).isEmpty(); // a server, or a file not yet moved
}

bool CheckPassword(const QString& typed)
{
    // A person on a server: the server knows his password.
    if (ChosenEngine().peopleAreLogins() && !CurrentPerson().isEmpty())
        return LogOn(CurrentPerson(), typed).person.has_value();
    if (!ChosenEngine().peopleAreLogins()) {
        if (const std::optional<Person> owner = CheckPerson({}, typed)) {
            SetCurrentPerson(owner->name);
            return true;
        }
        const QList<Person> people = ShopPeople();
        if (std::any_of(people.cbegin(), people.cend(),
                        [](const Person& p) { return p.role == PersonRole::Owner; }))
            return false;
    }
    const QString stored = GetSetting(Setting::Password);
    if (!PasswordMatches(stored, typed))
        return false;
    if (IsOldScrambling(stored))
        StorePassword(typed);
    return true;
}

bool StorePassword(const QString& password)
{
    if (!ChosenEngine().peopleAreLogins() && SessionShop())
        return SetPersonPassword(OwnerToSet(), password);
    // A person on a server changes his own login's password.
    if (ChosenEngine().peopleAreLogins() && !CurrentPerson().isEmpty())
        return ChangePersonPassword(CurrentPerson(), password, password).isEmpty();
    if (password.isEmpty())
        return SetSetting(Setting::Password, QString());
    const QString hash = HashPassword(password);
    return !hash.isEmpty() && SetSetting(Setting::Password, hash);
}

QString UserMode()
{
    return userMode;
}

void SetUserMode(const QString& mode)
{
    userMode = mode;
}

QString CurrentPerson()
{
    // Never null: a null text would be stored as NULL.
    return currentPerson.isNull() ? QStringLiteral("") : currentPerson;
}

void SetCurrentPerson(const QString& name)
{
    currentPerson = name;
}

QString GateRefusal(Gate gate)
{
    if (userMode == u"Admin" || !PasswordIsSet())
        return {};
    if (userMode == u"Clerk") {
        if (gate == Gate::Counter)
            return {};
        return QStringLiteral("对不起，您是以店员身份登陆本系统的，只有店主才能执行该操作！");
    }
    return QStringLiteral("对不起，您是由来宾方式登陆本系统的，没有权限执行该操作！");
}

bool GuestGateAllows()
{
    return GateRefusal(Gate::Counter).isEmpty();
}
