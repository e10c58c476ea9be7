#pragma once

#include <QObject>
#include <QString>

class Shop;
class QLabel;
class QStatusBar;
class ShopEvents;

// The panels of the main window's status bar: the date, what is running,
// the disc and member counts (kept up to date by the shop's events), the
// caps-lock flag, the logon mode and the person logged on.
class StatusPanels : public QObject
{
    Q_OBJECT
public:
    explicit StatusPanels(QStatusBar* bar);

    // The counts follow the operations that add or delete discs or members,
    // and a whole database replaced.
    void follow(Shop& shop);

    QString text(int panel) const; // 1 to 7
    void setDate(const QString& text);
    void setStatusText(const QString& text);
    void refreshDiscCount();
    void refreshMemberCount();
    void updateUserPanel();
    void setCapsLock(bool on);
    // Panel 6 says so after the logon mode.
    void setSuperuser(bool superuser);

private:
    Shop* shop_ = nullptr; // from follow() on
    QLabel* panels_[7] = {};
    bool superuser_ = false;
};
