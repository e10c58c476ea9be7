#pragma once

#include <QDialog>
#include <QList>

class QLabel;
class QRadioButton;

// 请选择您要执行的操作：: three options for the number picked in a query grid.
class ActionChooser : public QDialog
{
    Q_OBJECT
public:
    QString number() const;

protected:
    // subject: the text after the number, e.g. "的影碟执行的操作 ： ".
    ActionChooser(const char* objectName, const QString& subject,
                  const QList<std::pair<const char*, QString>>& options, QWidget* parent);
    // Shows the chooser in front for a number, the first enabled option selected.
    void present(const QString& number);
    QRadioButton* option(int index) const { return options_.value(index); }
    // The selected option's index (-1 when none); the chooser closes afterwards.
    virtual void act(int option, const QString& number) = 0;

private:
    QLabel* labelBH_;
    QList<QRadioButton*> options_;
};
