#pragma once

#include <QMap>
#include <QTableView>

class SqlGridModel;

// The result grid of the query windows: reports mouse-button releases on a
// record row or on the heading row, as the windows act on them.
class GridView : public QTableView
{
    Q_OBJECT
public:
    explicit GridView(SqlGridModel* model, QWidget* parent = nullptr);
    SqlGridModel* gridModel() const { return model_; }
    // Each column as wide as its heading and the first screen of its cells,
    // the wide ones narrowed where the whole row would not fit otherwise.
    // Done when the grid is shown, at every new query and when its width changes.
    void fitColumns();
    // Columns of a width of their own, in twips (1/1440 inch), which fitting
    // leaves as they are while the whole row fits.
    void setFixedWidths(const QMap<int, int>& twips);
    // A mouse button went down on the rows or headings and is not up yet.
    bool isPressed() const { return pressed_; }

Q_SIGNALS:
    // row is the model row; the row after the last record is included.
    void rowReleased(int row, Qt::MouseButton button);
    void headingReleased(int column, Qt::MouseButton button);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void updateGeometries() override;

private:
    // Past the model's window of rows, the scroll bar the clerk sees runs
    // over the whole result and moves the window; the view's own one, hidden,
    // runs within it.
    void syncRowsBar();
    void rowsBarMoved(int first);
    void viewScrolled();
    int visibleRows() const;

    SqlGridModel* model_;
    class QScrollBar* rowsBar_ = nullptr; // made after the model is set
    bool syncing_ = false;
    QMap<int, int> fixedTwips_;
    bool pressed_ = false;
};
