#pragma once

#include <QDialog>
#include <functional>

class QComboBox;
class QLineEdit;
class QTableWidget;

// 人员管理 (the owner's): the shop's owners and clerks; adds, renames,
// disables and re-passwords them. The boxes below the list serve the button
// pressed: a new person's details, the selected one's new name or password.
class FormRYGL : public QDialog
{
    Q_OBJECT
public:
    explicit FormRYGL(QWidget* parent = nullptr);

    // The selected person's name; empty when none is.
    QString selectedName() const;
    void selectName(const QString& name);

private:
    void refresh();
    // Shows a refusal (or reports an error) and puts the focus on `box`;
    // true when there was none.
    bool apply(const std::function<QString()>& change, QWidget* box);
    void onAdd();
    void onRename();
    void onDisable();
    void onPassword();

    QTableWidget* gridRY_;
    QLineEdit* textXM_;
    QComboBox* comboJS_;
    QLineEdit* textMM_;
    QLineEdit* textQR_;
};
