#include "ComnDialogBox.h"

#include "ui/common/Seams.h"

#include <QColorDialog>
#include <QFileDialog>

QString ComnDialogBox(QWidget* parent, const QString& title, const QString& filterDescription,
                      const QString& pattern)
{
    if (Seams().openFile)
        return Seams().openFile(title, pattern);
    return QFileDialog::getOpenFileName(parent, title, QString(),
                                        filterDescription + QStringLiteral(" (") + pattern + u')');
}

int ColorDialogBox(QWidget* parent)
{
    if (Seams().chooseColor)
        return Seams().chooseColor();
    const QColor color = QColorDialog::getColor(Qt::white, parent);
    if (!color.isValid())
        return -1;
    return color.red() + color.green() * 256 + color.blue() * 65536;
}

QString ComnSaveDialogBox(QWidget* parent, const QString& title, const QString& filterDescription,
                          const QString& pattern, const QString& suggested)
{
    if (Seams().saveFile)
        return Seams().saveFile(title, pattern, suggested);
    return QFileDialog::getSaveFileName(parent, title, suggested,
                                        filterDescription + QStringLiteral(" (") + pattern + u')');
}
