#pragma once

#include "Controls.h"

#include "core/access/PassCheck.h"
#include "core/store/Errors.h"
#include <QWidget>
#include <functional>

class Shop;
class QLabel;
class QPushButton;

// What the three delete windows share: a frame of conditions, 删除 and 放弃,
// the two confirmations and the count of the last deletion.
class DeleteWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr Gate kGate = Gate::Owner; // deleting is the owner's
    QPushButton* deleteButton() const { return commandSC_; }

protected:
    Shop& shop_;
    DeleteWindow(Shop& shop, QWidget* parent);
    void setUp(const QString& frameTitle, const QString& frameToolTip,
               const QList<FieldRow>& fields, const QSize& size);
    // 删除 pressed.
    virtual void deleteMatching() = 0;
    // The general question, and with no condition the 用户警告 one naming what
    // would all go ("影碟", "会员", "租借"). True when both were answered 是.
    bool confirm(bool anyCondition, const QString& everything);
    void showDeleted(qint64 count);
    // Deletes the matching rows, shows their count and, on 是 to the question,
    // deletes their rentals; the windows that show them follow each committed
    // step. A failure shows "信息删除失败！" and the error report.
    // Each step shows its progress past a second, with 取消, which deletes
    // nothing of that step and says so.
    void deleteWithRentals(
        const std::function<QStringList(const RowsDone&)>& deleteRows,
        const QString& rentalsQuestion,
        const std::function<void(const QStringList&, const RowsDone&)>& deleteRentals);
    // One deletion with its progress; false when 取消 stopped it (said to the clerk).
    bool withProgress(const QString& label, const QString& stopped,
                      const std::function<void(const RowsDone&)>& work);

private:
    QLabel* labelJLTS_;
    QPushButton* commandSC_;
};
