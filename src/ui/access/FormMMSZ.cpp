#include "FormMMSZ.h"

#include "ui/common/Controls.h"
#include "ui/common/MessageBox.h"

#include "core/access/PassCheck.h"
#include "core/access/PasswordRules.h"
#include "core/access/People.h"
#include "core/settings/FirstRun.h"
#include "core/settings/Settings.h"
#include "core/store/Errors.h"
#include "core/store/Shop.h"

#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
const QString kSwitchOn = QStringLiteral("启动密码保护");
const QString kSwitchOff = QStringLiteral("关闭密码保护");
const QString kTip = QStringLiteral("用户提示");
// Stands for the stored password, which is kept as a hash and cannot be shown.
const QString kStoredPlaceholder =
    QStringLiteral("\u0001\u0001\u0001\u0001\u0001\u0001\u0001\u0001");
} // namespace

FormMMSZ::FormMMSZ(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormMMSZ"));
    setWindowTitle(QStringLiteral("管理员密码设置"));

    const auto makeBox = [this](const char* name) {
        auto* box = new QLineEdit(this);
        box->setObjectName(QString::fromLatin1(name));
        box->setMinimumWidth(220);
        return box;
    };
    textMC_ = makeBox("TextMC");
    textMM_ = makeBox("TextMM");
    textQR_ = makeBox("TextQR");
    textQR_->setToolTip(QStringLiteral("请重新输入一次管理员密码以确认。"));
    for (QLineEdit* box : {textMM_, textQR_}) {
        box->setEchoMode(QLineEdit::Password);
        box->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    }

    auto* form = new QFormLayout;
    const auto addRow = [this, form](const char* name, const QString& caption, QLineEdit* box) {
        auto* label = new QLabel(caption, this);
        label->setObjectName(QString::fromLatin1(name));
        label->setBuddy(box);
        NameForScreenReaders(box, caption);
        form->addRow(label, box);
    };
    addRow("LabelMC", QStringLiteral("用户名称 : "), textMC_);
    addRow("LabelMM", QStringLiteral("管理员密码 : "), textMM_);
    addRow("LabelQR", QStringLiteral("确认密码 : "), textQR_);

    commandMMSZ_ = new QToolButton(this);
    commandMMSZ_->setObjectName(QStringLiteral("CommandMMSZ"));
    commandMMSZ_->setIconSize(QSize(32, 32));
    commandMMSZ_->setAutoRaise(false);
    commandMMSZ_->setAccessibleName(QStringLiteral("密码保护"));

    auto* label2 = new QLabel(QStringLiteral("（注意：密码只能包含字母和数字。）"), this);
    label2->setObjectName(QStringLiteral("Label2"));
    auto* label1 = new QLabel(
        QStringLiteral(
            "用户提示 ： 用户名称是你或你的影碟出租店铺的名称。 "
            "设置管理员密码可以限制本软件的使用权限，避免一般用户随意改动本系统的数据！"),
        this);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setWordWrap(true);

    auto* commandQD = new QPushButton(QStringLiteral("确定"), this);
    commandQD->setObjectName(QStringLiteral("CommandQD"));
    commandQD->setDefault(true);
    auto* commandFQ = new QPushButton(QStringLiteral("放弃"), this);
    commandFQ->setObjectName(QStringLiteral("CommandFQ"));

    auto* shape1 = new QFrame(this);
    shape1->setObjectName(QStringLiteral("Shape1"));
    shape1->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    auto* fields = new QHBoxLayout(shape1);
    fields->addLayout(form, 1);
    fields->addWidget(commandMMSZ_, 0, Qt::AlignVCenter);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(commandQD);
    buttons->addWidget(commandFQ);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(shape1);
    layout->addWidget(label2);
    layout->addWidget(label1);
    layout->addLayout(buttons);
    setFixedWidth(460);

    connect(commandMMSZ_, &QToolButton::clicked, this, &FormMMSZ::onCommandMMSZClicked);
    connect(commandQD, &QPushButton::clicked, this, &FormMMSZ::onCommandQDClicked);
    connect(commandFQ, &QPushButton::clicked, this, &QDialog::reject);
    for (QLineEdit* box : {textMM_, textQR_})
        connect(box, &QLineEdit::textEdited, this, [this] { keepsStoredPassword_ = false; });

    textMC_->setText(GetSetting(Setting::UserName));
    const bool passwordSet = PasswordIsSet();
    if (passwordSet) {
        textMM_->setText(kStoredPlaceholder);
        textQR_->setText(kStoredPlaceholder);
        keepsStoredPassword_ = true;
    }
    showProtection(passwordSet);
}

void FormMMSZ::showProtection(bool on)
{
    textMM_->setEnabled(on);
    textQR_->setEnabled(on);
    // The tooltip says what a click will do.
    commandMMSZ_->setToolTip(on ? kSwitchOff : kSwitchOn);
    commandMMSZ_->setIcon(QIcon(on ? QStringLiteral(":/images/secur02b.png")
                                   : QStringLiteral(":/images/secur02a.png")));
}

namespace {
// The main window shows the user's name and the logon mode.
void AnnouncePassword()
{
    if (Shop* shop = SessionShop())
        shop->announceSettings(ShopOperation::SavePassword);
}
} // namespace

bool FormMMSZ::protectionOn() const
{
    return commandMMSZ_->toolTip() == kSwitchOff;
}

void FormMMSZ::onCommandMMSZClicked()
{
    if (protectionOn()) {
        try {
            if (const QString refusal = PasswordOffRefusal(); !refusal.isEmpty()) {
                ShowMessage(refusal, 0, kTip);
                return;
            }
        } catch (const MovrntError& error) {
            ReportError(error);
            return;
        }
        showProtection(false);
        // Off at once, whichever button closes the dialog.
        StorePassword(QString());
        if (keepsStoredPassword_) {
            textMM_->clear();
            textQR_->clear();
            keepsStoredPassword_ = false;
        }
        AnnouncePassword();
        return;
    }
    showProtection(true);
    if (textMM_->text().isEmpty()) {
        ShowMessage(QStringLiteral("您启动了密码保护，请输入管理员密码！"), 0, kTip);
        textMM_->setFocus();
    }
}

void FormMMSZ::onCommandQDClicked()
{
    const QString userName = textMC_->text();
    if (!protectionOn()) {
        SetSetting(Setting::UserName, userName);
        AnnouncePassword();
        accept();
        return;
    }
    const QString password = textMM_->text();
    if (!keepsStoredPassword_) {
        const QString message = NewPasswordRefusal(password, textQR_->text());
        if (!message.isEmpty()) {
            ShowMessage(message, 0, kTip);
            textMM_->setFocus();
            return;
        }
    }
    try {
        SetSetting(Setting::UserName, userName);
        if (!keepsStoredPassword_ && !StorePassword(password))
            throw MovrntError(QStringLiteral("无法保存管理员密码"), QStringLiteral("FormMMSZ"));
    } catch (const MovrntError& error) {
        ReportError(error);
        return;
    }
    SetUserMode(QStringLiteral("Admin"));
    AnnouncePassword();
    accept();
}
