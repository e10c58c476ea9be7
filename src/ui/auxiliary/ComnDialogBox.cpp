#include "ComnDialogBox.h"

#include "app/Seams.h"

#include <QFileDialog>

QString ComnDialogBox(QWidget* parent, const QString& title, const QString& filterDescription,
                      const QString& pattern)
{
    if (Seams().openFile)
        return Seams().openFile(title, pattern);
    return QFileDialog::getOpenFileName(parent, title, QString(),
                                        filterDescription + QStringLiteral(" (") + pattern + u')');
}

QString ComnSaveDialogBox(QWidget* parent, const QString& title, const QString& filterDescription,
                          const QString& pattern)
{
    if (Seams().saveFile)
        return Seams().saveFile(title, pattern);
    return QFileDialog::getSaveFileName(parent, title, QString(),
                                        filterDescription + QStringLiteral(" (") + pattern + u')');
}
