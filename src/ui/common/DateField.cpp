#include "DateField.h"

#include "core/store/Clock.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>

DateField::DateField(const QString& textName, const QString& pickerName, QWidget* parent)
    : QWidget(parent)
{
    text_ = new QLineEdit(this);
    text_->setObjectName(textName);
    text_->setReadOnly(true);
    text_->setMinimumWidth(text_->fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00")) +
                           16);
    text_->installEventFilter(this);
    picker_ = new QDateEdit(Today(), this);
    picker_->setObjectName(pickerName);
    picker_->setCalendarPopup(true);
    picker_->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    picker_->setAccessibleName(QStringLiteral("选择日期"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(text_, 1);
    layout->addWidget(picker_);
    setFocusProxy(text_);
    connect(picker_, &QDateEdit::dateChanged, this, &DateField::take);
    // Picking the date the picker already shows must fill the text too.
    connect(picker_->calendarWidget(), &QCalendarWidget::clicked, this, &DateField::take);
}

QString DateField::text() const
{
    return text_->text();
}

void DateField::setText(const QString& text)
{
    text_->setText(text);
}

void DateField::take(const QDate& date)
{
    text_->setText(date.toString(QStringLiteral("yyyy-MM-dd")));
}

bool DateField::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == text_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Backspace) {
        text_->clear();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
