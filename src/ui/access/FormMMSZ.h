#pragma once

#include <QDialog>

class QLineEdit;
class QToolButton;

// 管理员密码设置: the user name, and the administrator password switched on
// (with a new password) or off.
class FormMMSZ : public QDialog
{
    Q_OBJECT
public:
    explicit FormMMSZ(QWidget* parent = nullptr);

private Q_SLOTS:
    void onCommandMMSZClicked();
    void onCommandQDClicked();

private:
    void showProtection(bool on);
    bool protectionOn() const;
    // Caption, panel 6 and logon mode of the main window after saving.

    QLineEdit* textMC_;
    QLineEdit* textMM_;
    QLineEdit* textQR_;
    QToolButton* commandMMSZ_;
    // The stored password cannot be shown: the boxes hold a stand-in until typed in.
    bool keepsStoredPassword_ = false;
};
