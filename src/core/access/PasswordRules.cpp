#include "PasswordRules.h"

NewPasswordCheck CheckNewPassword(const QString& password, const QString& confirmation)
{
    if (password != confirmation)
        return NewPasswordCheck::Mismatch;
    if (password.size() < 5)
        return NewPasswordCheck::TooShort;
    for (QChar c : password) {
        const char16_t u = c.unicode();
        const bool allowed =
            (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9');
        if (!allowed)
            return NewPasswordCheck::BadCharacter;
    }
    return NewPasswordCheck::Ok;
}
