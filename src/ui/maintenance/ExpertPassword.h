#pragma once

#include <QDialog>

class QLineEdit;

// On a shop's server, the password of the expert mode's own login, typed by
// the owner each time the mode is entered and kept only while it is open.
class ExpertPassword : public QDialog
{
    Q_OBJECT
public:
    explicit ExpertPassword(QWidget* parent = nullptr);
    QString password() const;

private:
    QLineEdit* textMM_;
};
