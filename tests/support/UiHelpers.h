#pragma once

// Driving windows as a clerk would: find controls by name, type, press, read grids.
#include "ui/common/GridView.h"
#include "ui/common/SqlGridModel.h"
#include "core/store/Database.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

template <typename T> T* Child(QWidget* parent, const char* name)
{
    T* child = parent->findChild<T*>(QString::fromLatin1(name));
    if (!child)
        qFatal("no control %s", name);
    return child;
}

inline void Type(QWidget* form, const char* name, const QString& text)
{
    if (auto* line = form->findChild<QLineEdit*>(QString::fromLatin1(name));
        line && !qobject_cast<QComboBox*>(line->parent()))
        line->setText(text);
    else if (auto* combo = form->findChild<QComboBox*>(QString::fromLatin1(name)))
        combo->setEditText(text);
    else if (auto* box = form->findChild<QPlainTextEdit*>(QString::fromLatin1(name)))
        box->setPlainText(text);
    else
        qFatal("no field %s", name);
}

inline void Press(QWidget* form, const char* name)
{
    QTest::mouseClick(Child<QPushButton>(form, name), Qt::LeftButton);
}

inline QStringList Column(const SqlGridModel* model, int column)
{
    QStringList values;
    for (int row = 0; row < model->rowCount(); ++row)
        values << model->cell(row, column);
    return values;
}

inline void ReleaseOnRow(GridView* grid, int row, Qt::MouseButton button)
{
    const QRect cell = grid->visualRect(grid->model()->index(row, 0));
    QTest::mouseRelease(grid->viewport(), button, {}, cell.center());
}

inline void ReleaseOnHeading(GridView* grid, int column, Qt::MouseButton button)
{
    QHeaderView* header = grid->horizontalHeader();
    const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
    QTest::mouseRelease(header->viewport(), button, {}, QPoint(x, header->height() / 2));
}
