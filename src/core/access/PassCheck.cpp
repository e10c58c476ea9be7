#include "PassCheck.h"

#include "settings/Settings.h"

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

bool PasswordIsSet()
{
    return !GetSetting(Setting::Password).isEmpty();
}

bool CheckPassword(const QString& typed)
{
    const QString stored = GetSetting(Setting::Password);
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
    if (ReverseText(ShiftText(stored, QStringLiteral("SUB"))) != typed)
        return false;
    StorePassword(typed);
    return true;
}

bool StorePassword(const QString& password)
{
    if (password.isEmpty())
        return SetSetting(Setting::Password, QString());
    if (!SodiumReady())
        return false;
    const QByteArray bytes = password.toUtf8();
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(hash, bytes.constData(), static_cast<unsigned long long>(bytes.size()),
                          crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        return false;
    return SetSetting(Setting::Password, QString::fromLatin1(hash));
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

bool GuestGateAllows()
{
    return !PasswordIsSet() || userMode == u"Admin";
}
