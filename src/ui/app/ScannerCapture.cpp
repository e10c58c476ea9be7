#include "ScannerCapture.h"
#include "core/store/Shop.h"

#include "Navigator.h"
#include "ui/common/Controls.h"
#include "ui/common/MessageBox.h"

#include "core/store/Errors.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

ScannerCapture::ScannerCapture(Shop& shop, QWidget* window) : shop_(shop), window_(window)
{
    clock_.start();
}

bool ScannerCapture::take(const QKeyEvent* key)
{
    QWidget* focus = QApplication::focusWidget();
    if (!window_->isActiveWindow() || QApplication::activeModalWidget() ||
        qobject_cast<QLineEdit*>(focus) || qobject_cast<QComboBox*>(focus) ||
        qobject_cast<QAbstractSpinBox*>(focus) || qobject_cast<QPlainTextEdit*>(focus) ||
        qobject_cast<QTextEdit*>(focus))
        return false;
    const qint64 now = clock_.elapsed();
    if (!IsEnterKey(key)) {
        if (key->text().size() == 1 && key->text()[0].isPrint())
            burst_.key(key->text()[0], now);
        return false;
    }
    const std::optional<QString> number = burst_.enter(now);
    if (!number)
        return false;
    ScanFound found;
    try {
        found = FindScanned(shop_, *number);
    } catch (const MovrntError& error) {
        ReportError(error);
        return true;
    }
    switch (found.what) {
    case Scanned::Disc:
        Navigator::rentOut(window_, *number);
        break;
    case Scanned::RentedToWalkIn:
    case Scanned::RentedToMember: // it came back: settle its rental
        Navigator::settle(window_, found.what == Scanned::RentedToWalkIn, found.zdbh);
        break;
    case Scanned::Member:
        Navigator::rentOutToMember(window_, *number);
        break;
    case Scanned::Unknown:
        ShowMessage(
            QStringLiteral("扫描到的编号“%1”既不是本店的影碟编号，也不是会员编号！").arg(*number),
            0, QStringLiteral("用户提示"));
    }
    return true;
}
