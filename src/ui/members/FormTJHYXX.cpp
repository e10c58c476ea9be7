#include "FormTJHYXX.h"
#include "core/store/Shop.h"

#include "ui/common/Controls.h"
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

FormTJHYXX::FormTJHYXX(Shop& shop, QWidget* parent) : QWidget(parent), shop_(shop)
{
    setObjectName(QStringLiteral("FormTJHYXX"));
    setWindowTitle(QStringLiteral("添加会员信息"));

    textBH_ = MakeLine(this, "TextBH");
    textXM_ = MakeLine(this, "TextXM");
    comboXB_ = MakeCombo(this, "ComboXB");
    textJTZZ_ = MakeLine(this, "TextJTZZ");
    textLXDH_ = MakeLine(this, "TextLXDH");
    textYFZJ_ = MakeLine(this, "TextYFZJ", QStringLiteral("以元为单位"));
    textYFYJ_ = MakeLine(this, "TextYFYJ", QStringLiteral("以元为单位"));
    FillCombo(comboXB_, Sexes());

    auto* grid = new QGridLayout;
    const QList<FieldRow> rows = {{"Label1", QStringLiteral("# 会员编号 : "), textBH_},
                                  {"Label2", QStringLiteral("姓名 : "), textXM_},
                                  {"Label3", QStringLiteral("性别 : "), comboXB_},
                                  {"Label4", QStringLiteral("家庭住址 :"), textJTZZ_},
                                  {"Label5", QStringLiteral("联系电话 :"), textLXDH_},
                                  {"Label6", QStringLiteral("# 预付租金金额 :"), textYFZJ_},
                                  {"Label7", QStringLiteral("# 预付押金金额 :"), textYFYJ_}};
    LayOutFields(this, grid, rows);
    grid->setColumnMinimumWidth(1, 260);
    auto* commandTJ = MakeButton(this, "CommandTJ", QStringLiteral("添加"));
    QHBoxLayout* buttons = ButtonRow(this, RequiredHint(this, "Label8"), commandTJ);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addLayout(buttons);
    resize(460, 290);

    connect(commandTJ, &QPushButton::clicked, this, &FormTJHYXX::onCommandTJClicked);
}

void FormTJHYXX::onCommandTJClicked()
{
    BusyStatus busy(QStringLiteral("正在添加会员信息 ..."));
    const NewMember member{textBH_->text(),   textXM_->text(),   comboXB_->currentText(),
                           textJTZZ_->text(), textLXDH_->text(), textYFZJ_->text(),
                           textYFYJ_->text()};
    try {
        switch (CheckNewMember(shop_, member)) {
        case NewMemberCheck::NumberInUse:
            Refuse(QStringLiteral("您输入的编号已被使用，请重新输入一个编号！"), textBH_);
            return;
        case NewMemberCheck::BadSex:
            Refuse(QStringLiteral("性别只能为男或女！"), comboXB_);
            return;
        case NewMemberCheck::RentNotNumber:
            Refuse(QStringLiteral("金额必须为数字！"), textYFZJ_);
            return;
        case NewMemberCheck::DepositNotNumber:
            Refuse(QStringLiteral("金额必须为数字！"), textYFYJ_);
            return;
        case NewMemberCheck::EmptyNumber:
            Refuse(QStringLiteral("会员编号不能为空！"), textBH_);
            return;
        case NewMemberCheck::Ok:
            break;
        }
        AddMember(shop_, member);
        for (QLineEdit* box : {textBH_, textXM_, textJTZZ_, textLXDH_, textYFZJ_, textYFYJ_})
            box->clear();
        comboXB_->setEditText(QString());
        textBH_->setFocus();
        Notice(QStringLiteral("会员信息添加成功！"));
    } catch (const MovrntError& error) {
        Notice(QStringLiteral("信息添加失败！"));
        ReportError(error);
    }
}
