#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

// 管理员身份验证: asked at start-up while a password is set. Once the shop
// has clerks it asks for the name too (ComboXM: the shop's people, typed or
// scanned).
class FormPass : public QDialog
{
    Q_OBJECT
public:
    // Accepted: logged on as administrator or guest. EndProgram: 退出, a
    // wrong password, Esc or the frame's close box: nobody gets in without
    // the password or the guest box.
    enum Outcome
    {
        EndProgram = 2
    };

    explicit FormPass(QWidget* parent = nullptr);

    void reject() override;

private Q_SLOTS:
    void onTextMMChanged(const QString& text);
    void onCheckLBFSClicked(bool checked);
    void onCommandQDClicked();

private:
    QLineEdit* textMM_;
    QCheckBox* checkLBFS_;
    QComboBox* comboXM_ = nullptr; // only when the shop has clerks
};
