#include "DayFigures.h"

#include "ui/common/Background.h"
#include "ui/common/Controls.h"
#include "ui/common/MessageBox.h"
#include "ui/common/MoneyDocumentView.h"
#include "ui/common/WindowSupport.h"

#include "core/money/Ledger.h"
#include "core/money/Statements.h"
#include "core/settings/Settings.h"
#include "core/stats/Figures.h"
#include "core/store/Clock.h"
#include "core/store/Errors.h"
#include "core/store/Numbers.h"
#include "core/store/Shop.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

QLabel* FigureText(QWidget* parent, const char* name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QLineEdit* FigureOutput(QWidget* parent, const char* name, const QString& caption)
{
    QLineEdit* box = MakeLine(parent, name);
    box->setReadOnly(true);
    box->setMaximumWidth(100);
    NameForScreenReaders(box, caption);
    return box;
}

// A caption, a figure and its unit on one line of a grid.
void FigureRow(QGridLayout* grid, int row, QLabel* before, QLineEdit* box, QLabel* after)
{
    before->setBuddy(box);
    grid->addWidget(before, row, 0, Qt::AlignRight);
    grid->addWidget(box, row, 1);
    grid->addWidget(after, row, 2);
}

void ShowDayEndReport(Shop& shop, QWidget* parent, const QString& day,
                      std::optional<Money> cashFloat)
{
    MoneyDocument report;
    {
        BusyStatus busy(QStringLiteral("正在生成日结单 ..."), true);
        try {
            // The whole ledger is read for it: on a connection of its own,
            // the window painting and, past a second, a progress dialog.
            std::optional<QString> check;
            if (!shop.engine().guardsLedgerOnWrite()) {
                QString said;
                RunInBackground(parent, QStringLiteral("正在核对账务 ..."),
                                [&said, location = shop.path()] { said = LedgerCheck(location); });
                check = said;
            }
            report = DayEndReport(shop, day, cashFloat, check);
        } catch (const MovrntError& error) {
            busy.done();
            ReportError(error);
            return;
        }
    }
    ShowMoneyDocument(report, parent);
}

TakingsPanel::TakingsPanel(const QString& title, QWidget* parent) : QGroupBox(title, parent)
{
    setObjectName(QStringLiteral("FrameSK"));
    static const char* const kNames[] = {"TextSSZJ", "TextSQYJ", "TextTHYJ", "TextHYZJ",
                                         "TextHYYJ", "TextHYKF", "TextCQFJ", "TextSKPC",
                                         "TextHYPC", "TextXJJY"};
    auto* grid = new QGridLayout(this);
    int row = 0;
    for (const auto& [caption, amount] : TakingsRows({})) {
        QLineEdit* box = FigureOutput(this, kNames[row], caption);
        box->setMaximumWidth(140);
        box->setAlignment(Qt::AlignRight);
        QLabel* label = FigureText(this, "LabelSK", caption);
        label->setBuddy(box);
        grid->addWidget(label, row, 0, Qt::AlignRight);
        grid->addWidget(box, row, 1);
        boxes_ << box;
        ++row;
    }
    grid->setColumnStretch(2, 1);
}

void TakingsPanel::display(const Takings& takings)
{
    const auto rows = TakingsRows(takings);
    for (qsizetype i = 0; i < rows.size() && i < boxes_.size(); ++i)
        boxes_[i]->setText(YuanText(rows[i].second));
}
