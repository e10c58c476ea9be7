#include "FormXGHYXX.h"
#include "core/store/Shop.h"

#include "ui/common/Controls.h"
#include "ui/common/DateField.h"
#include "ui/common/MessageBox.h"
#include "ui/common/WindowSupport.h"

#include "core/members/Members.h"
#include "core/store/Errors.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

FormXGHYXX::FormXGHYXX(Shop& shop, QWidget* parent) : QWidget(parent), shop_(shop)
{
    setObjectName(QStringLiteral("FormXGHYXX"));
    setWindowTitle(QStringLiteral("修改会员信息"));

    textHYBH_ = MakeLine(this, "TextHYBH", QStringLiteral("在此输入要修改的会员的编号"));
    auto* commandCK =
        MakeButton(this, "CommandCK", QStringLiteral("查看"), QStringLiteral("查看会员信息"));
    textXM_ = MakeLine(this, "TextXM");
    comboXB_ = MakeCombo(this, "ComboXB");
    textJTZZ_ = MakeLine(this, "TextJTZZ");
    textLXDH_ = MakeLine(this, "TextLXDH");
    textYFZJ_ = MakeLine(this, "TextYFZJ", QStringLiteral("以元为单位"));
    textYFYJ_ = MakeLine(this, "TextYFYJ", QStringLiteral("以元为单位"));
    dateRHRQ_ = new DateField(QStringLiteral("TextRHRQ"), QStringLiteral("DTPickerRHRQ"), this);
    FillCombo(comboXB_, Sexes());

    auto* lookUp = new QHBoxLayout;
    lookUp->addWidget(MakeCaption(this, QStringLiteral("请输入会员编号 : "), textHYBH_, "Label10"));
    lookUp->addWidget(textHYBH_, 1);
    lookUp->addWidget(commandCK);
    auto* grid = new QGridLayout;
    const QList<FieldRow> rows = {{"Label2", QStringLiteral("姓名 : "), textXM_},
                                  {"Label9", QStringLiteral("性别 : "), comboXB_},
                                  {"Label1", QStringLiteral("家庭住址 :"), textJTZZ_},
                                  {"Label3", QStringLiteral("联系电话 :"), textLXDH_},
                                  {"Label5", QStringLiteral("# 预付租金金额 :"), textYFZJ_},
                                  {"Label6", QStringLiteral("# 预付押金金额 :"), textYFYJ_},
                                  {"Label8", QStringLiteral("# 入会日期 : "), dateRHRQ_}};
    LayOutFields(this, grid, rows);
    grid->setColumnMinimumWidth(1, 260);
    auto* commandXG =
        MakeButton(this, "CommandXG", QStringLiteral("修改(&M)"), QStringLiteral("修改会员信息"));
    QHBoxLayout* buttons = ButtonRow(this, RequiredHint(this, "Label4"), commandXG);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lookUp);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addLayout(buttons);
    resize(480, 330);

    connect(commandCK, &QPushButton::clicked, this, &FormXGHYXX::onCommandCKClicked);
    connect(commandXG, &QPushButton::clicked, this, &FormXGHYXX::onCommandXGClicked);
}

void FormXGHYXX::lookUp(const QString& hybh)
{
    textHYBH_->setText(hybh);
    onCommandCKClicked();
}

void FormXGHYXX::onCommandCKClicked()
{
    const QString hybh = textHYBH_->text();
    if (hybh.isEmpty() || hybh == u"/") {
        Refuse(QStringLiteral("请输入会员编号！"), textHYBH_);
        return;
    }
    try {
        const std::optional<Member> member = FindMember(shop_, hybh);
        if (!member) {
            Notice(QStringLiteral("没有找到记录！"));
            return;
        }
        textXM_->setText(member->hyxm);
        textJTZZ_->setText(member->hyzz);
        textLXDH_->setText(member->lxdh);
        textYFZJ_->setText(member->zjje);
        textYFYJ_->setText(member->yjje);
        dateRHRQ_->setText(member->rhrq);
        comboXB_->setEditText(member->hyxb);
    } catch (const MovrntError& error) {
        ReportError(error);
    }
}

void FormXGHYXX::onCommandXGClicked()
{
    BusyStatus busy(QStringLiteral("正在修改会员信息 ..."));
    const MemberChange change{textHYBH_->text(), textXM_->text(),   comboXB_->currentText(),
                              textJTZZ_->text(), textLXDH_->text(), textYFZJ_->text(),
                              textYFYJ_->text(), dateRHRQ_->text()};
    switch (CheckMemberChange(change)) {
    case MemberChangeCheck::EmptyNumber:
        Refuse(QStringLiteral("请输入会员编号！"), textHYBH_);
        return;
    case MemberChangeCheck::RentNotNumber:
        Refuse(QStringLiteral("金额必须为数字！"), textYFZJ_);
        return;
    case MemberChangeCheck::DepositNotNumber:
        Refuse(QStringLiteral("金额必须为数字！"), textYFYJ_);
        return;
    case MemberChangeCheck::EmptyDate:
        Refuse(QStringLiteral("必须输入入会日期！"), dateRHRQ_->textBox());
        return;
    case MemberChangeCheck::BadSex:
        Refuse(QStringLiteral("性别只能为男或女！"), comboXB_);
        return;
    case MemberChangeCheck::Ok:
        break;
    }
    try {
        if (!ModifyMember(shop_, change)) {
            Notice(QStringLiteral("没有找到记录！"));
            return;
        }
        Notice(QStringLiteral("信息修改成功！"));
    } catch (const MovrntError& error) {
        Notice(QStringLiteral("信息修改失败！"));
        ReportError(error);
    }
}
