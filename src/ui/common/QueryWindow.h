#pragma once

#include "core/store/Shop.h"

#include <QWidget>

class Shop;
class GridView;
class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class SqlGridModel;

// What the three query windows share: a frame of conditions, 查询 and 放弃,
// the result grid sorted by a clicked heading, and the count of records found.
class QueryWindow : public QWidget
{
    Q_OBJECT
public:
    SqlGridModel* model() const { return model_; }
    // Runs the last query that succeeded again, without a word, keeping the
    // top row and the selected row by their keys; never while a mouse button
    // is down (a click acts on the row under the pointer), but once it is up.
    void refresh();

protected:
    Shop& shop_;
    // tipNames: the names the row tooltip gives the columns.
    QueryWindow(Shop& shop, const QStringList& headings, const QStringList& tipNames,
                const QStringList& defaultSort, QWidget* parent);
    // Names the controls and lays the window out; conditions go into conditionsGrid().
    void setUp(const char* gridName, const QString& frameTitle, const QString& hint,
               const QString& busyText);
    QGridLayout* conditionsGrid() const { return conditions_; }
    QHBoxLayout* bottomBar() const { return bottom_; }
    // Adds a condition field with its caption at a place of the frame.
    void placeCondition(int row, int column, const char* labelName, const QString& caption,
                        QWidget* field);

    // Runs the query with the current conditions; throws MovrntError. False
    // when a condition was refused (the window has said why).
    virtual bool runQuery() = 0;
    // The sort columns for a heading, or empty to keep the current sort.
    virtual QStringList sortFor(const QString& heading) const = 0;
    virtual void rowReleased(int row, Qt::MouseButton button) = 0;
    virtual void headingReleasedOther(Qt::MouseButton) {}

    // The shop's changes that show this window's rows again: those of a
    // signal made by one of `operations`.
    void refreshOn(void (ShopEvents::*signal)(ShopOperation), QList<ShopOperation> operations);
    void showCount();
    const QStringList& sortColumns() const { return sort_; }

    SqlGridModel* model_;
    GridView* grid_;
    QLabel* labelJLTS_;

protected Q_SLOTS:
    void onCommandCXClicked();

private:
    void onHeadingReleased(int column, Qt::MouseButton button);

    QStringList sort_;
    QString busyText_;
    bool queried_ = false;
    bool refreshWaiting_ = false;
    QGroupBox* frameTJ_;
    QGridLayout* conditions_;
    QHBoxLayout* bottom_;
};
