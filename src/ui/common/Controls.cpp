#include "Controls.h"

#include "Accessibility.h"
#include "DateField.h"
#include "WindowSupport.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

QLineEdit* MakeLine(QWidget* parent, const char* name, const QString& toolTip)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setToolTip(toolTip);
    return box;
}

QComboBox* MakeCombo(QWidget* parent, const char* name, const QString& toolTip)
{
    InstallAccessibility();
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::fromLatin1(name));
    combo->setEditable(true);
    // What is typed is what is stored and searched for: no inline completion
    // turning "成" into "成龙".
    combo->setCompleter(nullptr);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setToolTip(toolTip);
    combo->setMaxVisibleItems(20);
    return combo;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& toolTip)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(toolTip);
    button->setMinimumWidth(88);
    return button;
}

void NameForScreenReaders(QWidget* field, const QString& caption)
{
    QString name = caption;
    name.remove(u':').remove(u'：').remove(u'#');
    name = name.trimmed();
    if (qobject_cast<QLabel*>(field)) {
        // A label that shows a value (a path, an amount) is read as that value,
        // which follows its text; the caption tells what it is.
        field->setAccessibleDescription(name);
        return;
    }
    field->setAccessibleName(name);
    if (auto* combo = qobject_cast<QComboBox*>(field); combo && combo->lineEdit())
        combo->lineEdit()->setAccessibleName(name);
    if (auto* date = qobject_cast<DateField*>(field)) {
        date->textBox()->setAccessibleName(name);
        date->picker()->setAccessibleName(QStringLiteral("选择") + name);
    }
}

QLabel* MakeCaption(QWidget* parent, const QString& text, QWidget* buddy, const char* name)
{
    auto* label = new QLabel(text, parent);
    if (name)
        label->setObjectName(QString::fromLatin1(name));
    label->setBuddy(buddy);
    if (buddy)
        NameForScreenReaders(buddy, text);
    return label;
}

void LayOutFields(QWidget* parent, QGridLayout* grid, const QList<FieldRow>& fields, int columns)
{
    int i = 0;
    for (const auto& [name, caption, field] : fields) {
        grid->addWidget(MakeCaption(parent, caption, field, name), i / columns, (i % columns) * 2,
                        Qt::AlignRight);
        grid->addWidget(field, i / columns, (i % columns) * 2 + 1);
        ++i;
    }
    for (int c = 0; c < columns; ++c)
        grid->setColumnStretch(c * 2 + 1, 1);
}

namespace {
bool IsEntryBox(const QWidget* widget)
{
    if (const auto* line = qobject_cast<const QLineEdit*>(widget))
        return !line->isReadOnly() && !qobject_cast<const QComboBox*>(line->parentWidget());
    return qobject_cast<const QComboBox*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget);
}

class EnterMovesOnFilter : public QObject
{
public:
    EnterMovesOnFilter(QWidget* window, QPushButton* action, const QList<QWidget*>& order)
        : QObject(window), window_(window), action_(action), order_(order)
    {
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != window_ || event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!IsEnterKey(key) ||
            (key->modifiers() & ~Qt::KeypadModifier))
            return false;
        const QList<QWidget*> boxes = usableBoxes();
        qsizetype current = -1;
        for (QWidget* w = QApplication::focusWidget(); w && w != window_ && current < 0;
             w = w->parentWidget())
            current = boxes.indexOf(w);
        if (current < 0)
            return false; // a button or a text area: its own meaning
        if (current + 1 < boxes.size()) {
            QWidget* next = boxes[current + 1];
            next->setFocus(Qt::TabFocusReason);
            if (auto* line = qobject_cast<QLineEdit*>(next))
                line->selectAll();
        } else if (action_ && action_->isEnabled()) {
            action_->click();
        }
        return true;
    }

private:
    QList<QWidget*> usableBoxes() const
    {
        QList<QWidget*> boxes;
        const auto usable = [this](QWidget* w) {
            return w->isVisibleTo(window_) && w->isEnabled() && IsEntryBox(w);
        };
        if (!order_.isEmpty()) {
            for (QWidget* w : order_)
                if (usable(w))
                    boxes << w;
            return boxes;
        }
        // The tab order runs through the whole main window: keep this window's boxes.
        int steps = 0;
        for (QWidget* w = window_->nextInFocusChain(); w && w != window_ && steps < 10000;
             w = w->nextInFocusChain(), ++steps)
            if (window_->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && usable(w) &&
                !boxes.contains(w))
                boxes << w;
        return boxes;
    }

    QWidget* window_;
    QPointer<QPushButton> action_;
    QList<QWidget*> order_;
};
} // namespace

void EnterMovesOn(QWidget* window, QPushButton* action, const QList<QWidget*>& order)
{
    window->installEventFilter(new EnterMovesOnFilter(window, action, order));
}

QHBoxLayout* ButtonRow(QWidget* window, QWidget* hint, QPushButton* action)
{
    EnterMovesOn(window, action);
    auto* commandFQ = MakeButton(window, "CommandFQ", QStringLiteral("放弃"));
    QObject::connect(commandFQ, &QPushButton::clicked, window, [window] { CloseWindow(window); });
    auto* row = new QHBoxLayout;
    if (hint)
        row->addWidget(hint, 1);
    else
        row->addStretch();
    row->addWidget(action);
    row->addWidget(commandFQ);
    return row;
}

QPushButton* AddConfirmRow(QDialog* dialog, QBoxLayout* layout)
{
    auto* commandQD = MakeButton(dialog, "CommandQD", QStringLiteral("确定"));
    commandQD->setDefault(true);
    EnterMovesOn(dialog, commandQD);
    auto* commandFQ = MakeButton(dialog, "CommandFQ", QStringLiteral("放弃"));
    QObject::connect(commandFQ, &QPushButton::clicked, dialog, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(commandQD);
    buttons->addWidget(commandFQ);
    layout->addLayout(buttons);
    return commandQD;
}

QLabel* RequiredHint(QWidget* parent, const char* name)
{
    auto* label = new QLabel(QStringLiteral("用户提示：带 '#' 号的为必填项。"), parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QComboBox* MakeFlagCombo(QWidget* parent, const char* name)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::fromLatin1(name));
    combo->addItems({QString(), QStringLiteral("是"), QStringLiteral("否")});
    return combo;
}

bool IsEnterKey(const QKeyEvent* key)
{
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == 0x0a;
}
