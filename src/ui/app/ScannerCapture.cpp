#include "ScannerCapture.h"

#include "Navigator.h"
#include "common/Controls.h"
#include "common/MessageBox.h"

#include "store/Errors.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

ScannerCapture::ScannerCapture(QWidget* window) : window_(window)
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
    Scanned scanned = Scanned::Unknown;
    try {
        scanned = FindScanned(*number);
    } catch (const MovrntError& error) {
        ReportError(error);
        return true;
    }
    if (scanned == Scanned::Disc)
        Navigator::RentOut(*number);
    else if (scanned == Scanned::Member)
        Navigator::RentOutToMember(*number);
    else
        ShowMessage(QStringLiteral("扫描到的编号“%1”既不是本店的影碟编号，也不是会员编号！")
                        .arg(*number),
                    0, QStringLiteral("用户提示"));
    return true;
}
