#include "MainInput.h"

#include "ScannerCapture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>

MainInput::MainInput(QMdiArea* area, QMenu* popup, std::function<void()> capsLockPressed,
                     QObject* parent)
    : QObject(parent), area_(area), popup_(popup), capsLockPressed_(std::move(capsLockPressed))
{
}

QWidget* MainInput::childMnemonic(const QKeyEvent* key) const
{
    if (key->modifiers() != Qt::AltModifier || !area_->activeSubWindow())
        return nullptr;
    QWidget* child = area_->activeSubWindow()->widget();
    QWidget* focus = QApplication::focusWidget();
    if (!child || !focus || !child->isAncestorOf(focus))
        return nullptr;
    const QKeySequence pressed(Qt::ALT | key->key());
    for (QAbstractButton* button : child->findChildren<QAbstractButton*>())
        if (button->isVisible() && button->isEnabled() &&
            QKeySequence::mnemonic(button->text()) == pressed)
            return button;
    for (QLabel* label : child->findChildren<QLabel*>())
        if (label->buddy() && label->buddy()->isVisible() && label->buddy()->isEnabled() &&
            QKeySequence::mnemonic(label->text()) == pressed)
            return label->buddy();
    return nullptr;
}

bool MainInput::eventFilter(QObject* watched, QEvent* event)
{
    // A child window's own mnemonics win over the menu bar's while it has the
    // focus (浏览(&C) in 添加影碟信息 over 统计数据(&C)).
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
        if (QWidget* target = childMnemonic(static_cast<QKeyEvent*>(event))) {
            if (event->type() == QEvent::ShortcutOverride) {
                event->accept(); // delivered as a key press, not to the menu bar
                return true;
            }
            if (auto* button = qobject_cast<QAbstractButton*>(target))
                button->animateClick();
            else
                target->setFocus(Qt::ShortcutFocusReason);
            return true;
        }
    }
    if (watched == area_->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        // Only over the empty client area, never over a child window.
        if (mouse->button() == Qt::RightButton &&
            !area_->viewport()->childAt(mouse->position().toPoint())) {
            popup_->popup(mouse->globalPosition().toPoint());
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress && watched->isWindowType() && scanner_ &&
        scanner_->take(static_cast<QKeyEvent*>(event)))
        return true;
    // Key events reach the window first and then each widget up the parent
    // chain; counting only the window's copy sees each press once.
    if (event->type() == QEvent::KeyPress && watched->isWindowType() &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_CapsLock &&
        !static_cast<QKeyEvent*>(event)->isAutoRepeat()) {
        capsLockPressed_();
    }
    return QObject::eventFilter(watched, event);
}
