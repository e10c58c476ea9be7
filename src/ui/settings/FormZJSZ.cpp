#include "FormZJSZ.h"

#include "ui/common/MessageBox.h"

#include "core/settings/RentAmounts.h"
#include "core/settings/Settings.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

FormZJSZ::FormZJSZ(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormZJSZ"));
    setWindowTitle(QStringLiteral("租金金额设置"));

    auto* label1 = new QLabel(QStringLiteral("用户提示：租金金额是零散顾客（零散客户是指非会员的顾"
                                             "客）每租借影碟一天，所需交纳的租金。"),
                              this);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setWordWrap(true);
    auto* labelTS = new QLabel(QStringLiteral("请输入租金金额 : "), this);
    labelTS->setObjectName(QStringLiteral("LabelTS"));

    const auto amountRow = [this](QGridLayout* grid, int row, const QString& type, QLineEdit*& box,
                                  int number) {
        auto* caption = new QLabel(type + QStringLiteral(" :"), this);
        caption->setObjectName(QStringLiteral("Label") + type);
        box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("Text") + type);
        box->setAccessibleName(type);
        caption->setBuddy(box);
        auto* unit = new QLabel(QStringLiteral("元/天"), this);
        unit->setObjectName(QStringLiteral("LabelYMT%1").arg(number));
        grid->addWidget(caption, row, 0, Qt::AlignRight);
        grid->addWidget(box, row, 1);
        grid->addWidget(unit, row, 2);
    };
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    amountRow(grid, 0, QStringLiteral("VCD"), textVCD_, 1);
    amountRow(grid, 1, QStringLiteral("DVD"), textDVD_, 2);
    grid->setColumnMinimumWidth(1, 160);

    auto* commandQD = new QPushButton(QStringLiteral("确定"), this);
    commandQD->setObjectName(QStringLiteral("CommandQD"));
    commandQD->setDefault(true);
    auto* commandFQ = new QPushButton(QStringLiteral("放弃"), this);
    commandFQ->setObjectName(QStringLiteral("CommandFQ"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(commandQD);
    buttons->addWidget(commandFQ);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label1);
    layout->addSpacing(6);
    layout->addWidget(labelTS);
    layout->addLayout(grid);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    setFixedWidth(400);

    connect(commandQD, &QPushButton::clicked, this, &FormZJSZ::onCommandQDClicked);
    connect(commandFQ, &QPushButton::clicked, this, &QDialog::reject);

    textVCD_->setText(GetSetting(Setting::VCD));
    textDVD_->setText(GetSetting(Setting::DVD));
}

void FormZJSZ::onCommandQDClicked()
{
    const QString vcd = textVCD_->text();
    const QString dvd = textDVD_->text();
    const QString title = QStringLiteral("用户提示");
    const RentCheck check = CheckRentAmounts(vcd, dvd);
    switch (check) {
    case RentCheck::InvalidVCD:
    case RentCheck::InvalidDVD:
        ShowMessage(QStringLiteral("您输入的金额不合法，请重新输入！"), 0, title);
        (check == RentCheck::InvalidVCD ? textVCD_ : textDVD_)->setFocus();
        return;
    case RentCheck::NegativeVCD:
    case RentCheck::NegativeDVD:
        ShowMessage(QStringLiteral("租金金额不能为负值!"), 0, title);
        (check == RentCheck::NegativeVCD ? textVCD_ : textDVD_)->setFocus();
        return;
    case RentCheck::Ok:
        break;
    }
    SaveRentAmounts(vcd, dvd);
    accept();
}
