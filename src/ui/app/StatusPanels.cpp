#include "StatusPanels.h"

#include "core/access/PassCheck.h"
#include "core/store/Counts.h"
#include "core/store/Errors.h"
#include "core/store/Shop.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QStatusBar>

StatusPanels::StatusPanels(QStatusBar* bar) : QObject(bar)
{
    bar->setObjectName(QStringLiteral("StatusBarP"));
    bar->setSizeGripEnabled(true);
    const char16_t* tooltips[7] = {u"系统日期",       u"系统当前操作",   u"影碟库状态信息",
                                   u"会员库状态信息", u"大小写锁定标志", u"当前用户",
                                   u"登录人员"};
    const int stretch[7] = {0, 2, 4, 2, 0, 0, 0};
    for (int i = 0; i < 7; ++i) {
        auto* label = new QLabel(bar);
        label->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        label->setToolTip(QString::fromUtf16(tooltips[i]));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setContentsMargins(4, 0, 4, 0);
        panels_[i] = label;
        if (i == 5) {
            // Panel 6 carries a small picture before its text.
            auto* box = new QFrame(bar);
            box->setObjectName(QStringLiteral("Panel6Box"));
            box->setToolTip(label->toolTip());
            box->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            auto* layout = new QHBoxLayout(box);
            layout->setContentsMargins(4, 0, 4, 0);
            layout->setSpacing(4);
            auto* picture = new QLabel(box);
            picture->setPixmap(QPixmap(QStringLiteral(":/images/user.png")));
            label->setFrameStyle(QFrame::NoFrame);
            label->setContentsMargins(0, 0, 0, 0);
            label->setParent(box);
            layout->addWidget(picture);
            layout->addWidget(label);
            bar->addPermanentWidget(box, stretch[i]);
        } else {
            bar->addPermanentWidget(label, stretch[i]);
        }
    }
    panels_[4]->setText(QStringLiteral("CAPS"));
    panels_[4]->setEnabled(false);
    panels_[0]->setMinimumWidth(120);
}

void StatusPanels::follow(Shop& shop)
{
    shop_ = &shop;
    ShopEvents* events = shop.events();
    // A count that cannot be read keeps its last text: the operation that
    // changed it has said whatever went wrong.
    const auto quietly = [](auto refresh) {
        try {
            refresh();
        } catch (const MovrntError&) {
        }
    };
    connect(events, &ShopEvents::discsChanged, this, [this, quietly](ShopOperation operation) {
        if (operation == ShopOperation::AddDisc || operation == ShopOperation::DeleteDiscs)
            quietly([this] { refreshDiscCount(); });
    });
    connect(events, &ShopEvents::membersChanged, this, [this, quietly](ShopOperation operation) {
        if (operation == ShopOperation::AddMember || operation == ShopOperation::DeleteMembers)
            quietly([this] { refreshMemberCount(); });
    });
    connect(events, &ShopEvents::databaseReplaced, this, [this, quietly] {
        quietly([this] {
            refreshDiscCount();
            refreshMemberCount();
        });
    });
    connect(events, &ShopEvents::connectionStatus, this, &StatusPanels::setStatusText);
}

QString StatusPanels::text(int panel) const
{
    return panel >= 1 && panel <= 7 ? panels_[panel - 1]->text() : QString();
}

void StatusPanels::setDate(const QString& text)
{
    panels_[0]->setText(text);
}

void StatusPanels::setStatusText(const QString& text)
{
    // A narrow screen may cut the panel: the whole text stays readable as
    // its tooltip and by a screen reader.
    panels_[1]->setText(text);
    panels_[1]->setToolTip(QStringLiteral("系统当前操作：") + text);
    panels_[1]->setAccessibleName(panels_[1]->toolTip());
    panels_[1]->repaint();
}

void StatusPanels::refreshDiscCount()
{
    panels_[2]->setText(DiscCountText(*shop_));
}

void StatusPanels::refreshMemberCount()
{
    panels_[3]->setText(MemberCountText(*shop_));
}

void StatusPanels::updateUserPanel()
{
    QString text;
    if (!PasswordIsSet())
        text = QStringLiteral("未设置管理员密码");
    else if (UserMode() == u"Guest")
        text = QStringLiteral("来宾访问模式");
    else if (UserMode() == u"Clerk")
        text = QStringLiteral("店员模式");
    else
        text = QStringLiteral("管理员模式");
    if (superuser_)
        text += QStringLiteral("（以数据库超级用户连接）");
    panels_[5]->setText(text);
    // Who signs the ledger's lines; hidden while nobody logged on by name.
    const QString person = CurrentPerson();
    panels_[6]->setText(person);
    panels_[6]->setAccessibleName(QStringLiteral("登录人员：") + person);
    panels_[6]->setVisible(!person.isEmpty());
}

void StatusPanels::setSuperuser(bool superuser)
{
    superuser_ = superuser;
    updateUserPanel();
}

void StatusPanels::setCapsLock(bool on)
{
    panels_[4]->setEnabled(on);
}
