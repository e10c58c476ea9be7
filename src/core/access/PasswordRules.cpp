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

QString NewPasswordRefusal(const QString& password, const QString& confirmation)
{
    switch (CheckNewPassword(password, confirmation)) {
    case NewPasswordCheck::Mismatch:
        return QStringLiteral("密码输入不一致，请重新输入！");
    case NewPasswordCheck::TooShort:
        return QStringLiteral("密码必须大于5位！");
    case NewPasswordCheck::BadCharacter:
        return QStringLiteral("密码只能包含字母和数字！");
    case NewPasswordCheck::Ok:
        break;
    }
    return {};
}
