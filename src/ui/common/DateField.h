#pragma once

#include <QWidget>

class QDateEdit;
class QLineEdit;

// A read-only date text (TextRKRQ) with a date picker beside it (DTPickerRQ):
// picking a date writes its date text; Backspace in the text empties it.
class DateField : public QWidget
{
    Q_OBJECT
public:
    explicit DateField(const QString& textName, const QString& pickerName,
                       QWidget* parent = nullptr);
    QString text() const;
    void setText(const QString& text);
    QLineEdit* textBox() const { return text_; }
    QDateEdit* picker() const { return picker_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void take(const QDate& date);
    QLineEdit* text_;
    QDateEdit* picker_;
};
