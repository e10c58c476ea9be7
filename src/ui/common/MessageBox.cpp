#include "MessageBox.h"

#include "core/settings/Settings.h"
#include "core/store/Database.h"
#include "core/store/Engine.h"
#include "core/store/Shop.h"

#include "core/store/Errors.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
MessagePresenter presenter;
}

FormMsg::FormMsg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormMsg"));
    setWindowTitle(QStringLiteral("消息框"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    imageIcon_ = new QLabel(this);
    imageIcon_->setObjectName(QStringLiteral("ImageIcon"));
    imageIcon_->setFixedSize(40, 40);
    imageIcon_->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    labelYHTS_ = new QLabel(QStringLiteral("用户提示信息！"), this);
    labelYHTS_->setObjectName(QStringLiteral("LabelYHTS"));
    labelYHTS_->setWordWrap(true);
    labelYHTS_->setTextFormat(Qt::PlainText);
    labelYHTS_->setMinimumWidth(300);
    labelYHTS_->setMaximumWidth(520);
    labelYHTS_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    commandQD_ = new QPushButton(QStringLiteral("确定"), this);
    commandQD_->setObjectName(QStringLiteral("CommandQD"));
    commandY_ = new QPushButton(QStringLiteral("是(&Y)"), this);
    commandY_->setObjectName(QStringLiteral("CommandY"));
    commandN_ = new QPushButton(QStringLiteral("否(&N)"), this);
    commandN_->setObjectName(QStringLiteral("CommandN"));
    for (QPushButton* button : {commandQD_, commandY_, commandN_}) {
        button->setAutoDefault(false);
        button->setMinimumWidth(88);
    }

    auto* body = new QHBoxLayout;
    body->addWidget(imageIcon_, 0, Qt::AlignTop);
    body->addSpacing(8);
    body->addWidget(labelYHTS_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(commandQD_);
    buttons->addWidget(commandY_);
    buttons->addWidget(commandN_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 14);
    layout->addLayout(body);
    layout->addSpacing(12);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(commandQD_, &QPushButton::clicked, this, &FormMsg::onCommandQDClicked);
    connect(commandY_, &QPushButton::clicked, this, &FormMsg::onCommandYClicked);
    connect(commandN_, &QPushButton::clicked, this, &FormMsg::onCommandNClicked);
}

void FormMsg::setup(const QString& text, int style, const QString& title)
{
    pressed_ = MsgButton::Closed;
    setWindowTitle(title);
    labelYHTS_->setText(text);
    iconName_ = title == u"用户提示" ? QStringLiteral("information") : QStringLiteral("warning");
    imageIcon_->setPixmap(QPixmap(QStringLiteral(":/images/msg_%1.png").arg(iconName_)));
    const bool question = style != 0;
    commandQD_->setDefault(!question);
    commandQD_->setVisible(!question);
    commandY_->setDefault(question);
    commandY_->setVisible(question);
    commandN_->setVisible(question);
    (question ? commandY_ : commandQD_)->setFocus();
}

void FormMsg::onCommandQDClicked()
{
    pressed_ = MsgButton::Ok;
    accept();
}

void FormMsg::onCommandYClicked()
{
    pressed_ = MsgButton::Yes;
    accept();
}

void FormMsg::onCommandNClicked()
{
    pressed_ = MsgButton::No;
    reject();
}

int& MsgAnswer()
{
    static int answer = 0;
    return answer;
}

void SetMessagePresenter(MessagePresenter newPresenter)
{
    presenter = std::move(newPresenter);
}

int ShowMessage(const QString& text, int style, const QString& title)
{
    MsgButton pressed = MsgButton::Closed;
    if (presenter) {
        pressed = presenter(ShownMessage{text, style, title});
    } else {
        FormMsg box(QApplication::activeWindow());
        box.setup(text, style, title);
        QApplication::beep();
        box.exec();
        pressed = box.pressed();
    }
    if (style != 0) {
        // A question closed without an answer is never taken as 是.
        MsgAnswer() = pressed == MsgButton::Yes ? 6 : 7;
    }
    return MsgAnswer();
}

void ShowStandardMessage(QWidget* parent, const QString& text, const QString& title)
{
    if (presenter)
        presenter(ShownMessage{text, 0, title, true});
    else
        QMessageBox::information(parent, title, text);
}

QString SupportAddress()
{
    // A server's is read only while the shop is open: an error report never
    // waits for a server that went away; it says the address last read.
    static QString known;
    if (!ChosenEngine().keepsShopSettings() || (SessionShop() && SessionShop()->isOpen()))
        known = GetSetting(Setting::SupportAddress).trimmed();
    return known.isEmpty() ? kSupportAddress : known;
}

void ReportError(const QString& description, const QString& source)
{
    if (ShowMessage(QStringLiteral("系统发生错误，要查看错误的具体描述吗？"), 4,
                    QStringLiteral("错误")) != 6)
        return;
    ShowMessage(QStringLiteral("错误描述 : ") + description, 0, QStringLiteral("错误！"));
    ShowMessage(QStringLiteral("错误来源 : ") + source, 0, QStringLiteral("错误!"));
    ShowMessage(QStringLiteral("已检测到系统出现了错误！请将错误提示信息发送到") + SupportAddress(),
                0, QStringLiteral("错误!"));
}

void ReportError(const MovrntError& error)
{
    ReportError(error.description(), error.source());
}
