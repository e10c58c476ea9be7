#include "FormHYCZ.h"

#include "ui/app/Navigator.h"

#include <QPointer>

FormHYCZ::FormHYCZ(QWidget* parent)
    : ActionChooser("FormHYCZ", QStringLiteral("的会员执行的操作 ： "),
                    {{"OptionCKLS", QStringLiteral("查看此会员租借影碟的历史记录")},
                     {"OptionXG", QStringLiteral("修改此会员的信息")},
                     {"OptionSC", QStringLiteral("删除此会员的信息")},
                     {"OptionDZD", QStringLiteral("打印此会员的对帐单")},
                     {"OptionCZ", QStringLiteral("为此会员充值预付租金")},
                     {"OptionTM", QStringLiteral("打印此会员卡的条码标签")}},
                    parent)
{
}

FormHYCZ* FormHYCZ::showFor(QWidget* from, const QString& hybh)
{
    static QPointer<FormHYCZ> chooser;
    if (!chooser)
        chooser = new FormHYCZ(Navigator::mainWindowOf(from));
    chooser->present(hybh);
    return chooser;
}

void FormHYCZ::act(int option, const QString& hybh)
{
    if (option == 0)
        Navigator::showMemberRentals(this, hybh);
    else if (option == 1)
        Navigator::modifyMember(this, hybh);
    else if (option == 2)
        Navigator::deleteMember(this, hybh);
    else if (option == 3)
        Navigator::showMemberStatement(this, hybh);
    else if (option == 4)
        Navigator::topUpMember(this, hybh);
    else
        Navigator::printLabel(this, false, hybh);
}
