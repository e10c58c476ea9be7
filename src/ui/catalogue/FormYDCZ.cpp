#include "FormYDCZ.h"

#include "ui/app/Navigator.h"

#include <QPointer>

FormYDCZ::FormYDCZ(QWidget* parent)
    : ActionChooser("FormYDCZ", QStringLiteral("的影碟执行的操作 ： "),
                    {{"OptionZJ", QStringLiteral("出租此影碟")},
                     {"OptionXG", QStringLiteral("修改此影碟的信息")},
                     {"OptionSC", QStringLiteral("删除此影碟的信息")},
                     {"OptionTM", QStringLiteral("打印此影碟的条码标签")},
                     {"OptionYY", QStringLiteral("为会员预约此影碟")}},
                    parent)
{
}

FormYDCZ* FormYDCZ::showFor(QWidget* from, const QString& bh)
{
    static QPointer<FormYDCZ> chooser;
    if (!chooser)
        chooser = new FormYDCZ(Navigator::mainWindowOf(from));
    chooser->present(bh);
    return chooser;
}

void FormYDCZ::act(int option, const QString& bh)
{
    if (option == 0)
        Navigator::rentOut(this, bh);
    else if (option == 1)
        Navigator::modifyDisc(this, bh);
    else if (option == 2)
        Navigator::deleteDisc(this, bh);
    else if (option == 3)
        Navigator::printLabel(this, true, bh);
    else
        Navigator::reserve(this, bh);
}
