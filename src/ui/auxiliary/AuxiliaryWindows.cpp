#include "AuxiliaryWindows.h"
#include "core/store/Shop.h"

#include "ui/common/Controls.h"
#include "ui/common/MessageBox.h"
#include "ui/common/Seams.h"
#include "ui/common/WindowSupport.h"

#include "core/auxiliary/Auxiliary.h"
#include "core/settings/Settings.h"
#include "core/store/ProgramFolder.h"

#include <QCheckBox>
#include <QFile>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScreen>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace {
QString UserNameText(const QString& prefix)
{
    const QString name = GetSetting(Setting::UserName);
    return prefix + (name.isEmpty() ? QStringLiteral("（无名用户）") : name);
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QLabel* Picture(QWidget* parent, const char* name, const QString& resource, int size)
{
    auto* picture = MakeLabel(parent, name, QString());
    picture->setPixmap(
        QPixmap(resource).scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    return picture;
}
} // namespace

FormSplash::FormSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("FormSplash"));
    setWindowTitle(QStringLiteral("凯络影碟出租管理系统"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    auto* title = MakeLabel(this, "LabelTitle", QStringLiteral("凯络影碟出租管理系统"));
    QFont big = title->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    title->setFont(big);
    auto* layout = new QGridLayout(this);
    layout->addWidget(Picture(this, "Image1", QStringLiteral(":/images/movrnt.png"), 128), 0, 0, 4,
                      1);
    layout->addWidget(title, 0, 1);
    layout->addWidget(MakeLabel(this, "LabelVersion", QStringLiteral("版本 ") + kProgramVersion), 1,
                      1);
    layout->addWidget(MakeLabel(this, "LabelUserName", UserNameText(QStringLiteral("用户 ："))), 2,
                      1);
    layout->addWidget(MakeLabel(this, "Label1", QStringLiteral("按任意键开始 ...")), 3, 1);
    layout->addWidget(
        MakeLabel(this, "LabelNotice",
                  QStringLiteral("影碟出租店的柜台管理软件：影碟、会员、租借与结帐。")),
        4, 0, 1, 2);
    layout->setContentsMargins(24, 24, 24, 24);
    setStyleSheet(QStringLiteral("FormSplash { background: white; border: 1px solid gray; }"));
    setAttribute(Qt::WA_StyledBackground);

    // In the middle of the screen, as a start-up window stands.
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());

    timerUnload_ = new QTimer(this);
    timerUnload_->setObjectName(QStringLiteral("TimerUnload"));
    timerUnload_->setSingleShot(true);
    timerUnload_->setInterval(5000);
    connect(timerUnload_, &QTimer::timeout, this, &FormSplash::finish);
    timerUnload_->start();
}

void FormSplash::keyPressEvent(QKeyEvent* event)
{
    event->accept();
    finish();
}

void FormSplash::mousePressEvent(QMouseEvent*)
{
    finish(); // a click is as good as a key
}

void FormSplash::finish()
{
    if (std::exchange(finished_, true))
        return;
    timerUnload_->stop();
    hide();
    Q_EMIT closed();
}

FormAbout::FormAbout(Shop& shop, QWidget* parent) : QDialog(parent), shop_(shop)
{
    setObjectName(QStringLiteral("FormAbout"));
    setWindowTitle(QStringLiteral("关于凯络影碟出租管理系统"));
    auto* title = MakeLabel(this, "lblTitle", QStringLiteral("凯络影碟出租管理系统"));
    QFont bold = title->font();
    bold.setPointSize(bold.pointSize() + 4);
    bold.setBold(true);
    title->setFont(bold);
    auto* mail = MakeLabel(this, "LabelMail",
                           QStringLiteral("<a href=\"mailto:%1\">%1</a>").arg(SupportAddress()));
    mail->setToolTip(QStringLiteral("给我们来信！"));
    mail->setAccessibleName(SupportAddress());
    connect(mail, &QLabel::linkActivated, this, [](const QString& link) { OpenUrl(QUrl(link)); });
    auto* cmdOK = MakeButton(this, "cmdOK", QStringLiteral("确定"));
    cmdOK->setDefault(true);
    auto* cmdSysInfo = MakeButton(this, "cmdSysInfo", QStringLiteral("系统信息(&I)"));

    auto* text = new QVBoxLayout;
    text->addWidget(title);
    text->addWidget(
        MakeLabel(this, "LabelVersion", QStringLiteral("版本号  ： ") + kProgramVersion));
    text->addWidget(MakeLabel(this, "lblDescription", UserNameText(QStringLiteral("用户  ： "))));
    text->addWidget(MakeLabel(this, "Label5", QStringLiteral("Build : 20030909")));
    text->addSpacing(12);
    text->addWidget(MakeLabel(
        this, "Label1", QStringLiteral("软件可用运行平台 ：Linux 桌面（X11 或 Wayland），Qt 6")));
    text->addWidget(MakeLabel(
        this, "Label2", QStringLiteral("软件推荐运行平台 ：Debian 12 或更新版本的 Linux 桌面")));
    auto* contact = new QHBoxLayout;
    contact->addWidget(MakeLabel(this, "Label3", QStringLiteral("如有问题，请与我们联系 ：  ")));
    contact->addWidget(mail, 1);
    text->addLayout(contact);
    text->addWidget(MakeLabel(this, "Label4", QString()));
    text->addStretch();
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(Picture(this, "picIcon", QStringLiteral(":/images/movrnt.png"), 64), 0,
                      Qt::AlignTop);
    layout->addLayout(text, 1);
    layout->addLayout(buttons);

    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdSysInfo, &QPushButton::clicked, this, &FormAbout::startSysInfo);
}

void FormAbout::startSysInfo()
{
    // The program's own summary, which support asks for, to read or copy.
    QDialog info(this);
    info.setObjectName(QStringLiteral("FormXTXX"));
    info.setWindowTitle(QStringLiteral("系统信息"));
    auto* text = new QPlainTextEdit(&info);
    text->setObjectName(QStringLiteral("TextXTXX"));
    text->setAccessibleName(QStringLiteral("系统信息"));
    text->setReadOnly(true);
    QStringList lines{QStringLiteral("凯络影碟出租管理系统 ") + kProgramVersion};
    for (const auto& [name, value] : SystemInformation(shop_))
        lines << name + QStringLiteral("：") + value;
    text->setPlainText(lines.join(u'\n'));
    auto* ok = MakeButton(&info, "cmdOK", QStringLiteral("确定"));
    connect(ok, &QPushButton::clicked, &info, &QDialog::accept);
    auto* layout = new QVBoxLayout(&info);
    layout->addWidget(text, 1);
    layout->addWidget(ok, 0, Qt::AlignRight);
    info.resize(560, 360);
    ExecModal(info);
}

FormTip::FormTip(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormTip"));
    setWindowTitle(QStringLiteral("每次一条"));
    auto* label1 = MakeLabel(this, "Label1", QStringLiteral("你知道吗..."));
    QFont bold = label1->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 2);
    label1->setFont(bold);
    lblTipText_ = MakeLabel(this, "lblTipText", QString());
    lblTipText_->setWordWrap(true);
    lblTipText_->setTextFormat(Qt::PlainText);
    lblTipText_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblTipText_->setMinimumSize(320, 120);
    auto* check = new QCheckBox(QStringLiteral("每次进入本系统时都显示本窗口"), this);
    check->setObjectName(QStringLiteral("chkLoadTipsAtStartup"));
    auto* next = MakeButton(this, "cmdNextTip", QStringLiteral("下一条(&N)"));
    auto* close = MakeButton(this, "cmdOK", QStringLiteral("关闭"));
    close->setDefault(true);
    close->setFocus(); // a stray key never unticks the box

    auto* heading = new QHBoxLayout;
    heading->addWidget(
        Picture(this, "Picture1", QStringLiteral(":/images/msg_information.png"), 32));
    heading->addWidget(label1, 1);
    auto* tipBox = new QVBoxLayout;
    tipBox->addLayout(heading);
    tipBox->addWidget(lblTipText_, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(close);
    buttons->addWidget(next);
    buttons->addStretch();
    auto* top = new QHBoxLayout;
    top->addLayout(tipBox, 1);
    top->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(check);

    connect(check, &QCheckBox::toggled, this,
            [](bool checked) { SetShowTipsAtStartup(checked ? 1 : 0); });
    connect(next, &QPushButton::clicked, this, &FormTip::nextTip);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    // Every opening ticks the box, and so writes 1.
    check->setChecked(true);
    SetShowTipsAtStartup(1);

    const QString path = JoinPath(ProgramFolder(), kTipFileName);
    if (!QFile::exists(path)) {
        lblTipText_->setText(MissingTipFileText());
        return;
    }
    tips_ = ReadTips(path);
    nextTip();
}

void FormTip::nextTip()
{
    if (tips_.isEmpty())
        return;
    // Any tip may come again, the one just shown included.
    current_ = int(QRandomGenerator::global()->bounded(qsizetype(tips_.size()))) + 1;
    lblTipText_->setText(tips_[current_ - 1]);
}

void OpenInDesktop(const QUrl& address)
{
    if (!OpenUrl(address))
        Notice(QStringLiteral("无法打开网页：") + address.toDisplayString());
}

bool ShownInWindow(const QUrl& address)
{
    return address.isLocalFile() || address.scheme().isEmpty();
}

FormWebSite::FormWebSite(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FormWebSite"));
    setWindowTitle(QStringLiteral("网页"));
    setMinimumSize(200, 133);
    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("WebBrowserSite"));
    browser_->setOpenLinks(false);
    browser_->setAccessibleName(QStringLiteral("网页"));
    commandHome_ = MakeButton(this, "CommandHome", QStringLiteral("返回主页"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser_, 1);
    layout->addWidget(commandHome_);
    resize(720, 560);

    auto* timerStatus = new QTimer(this);
    timerStatus->setObjectName(QStringLiteral("TimerStatus"));
    connect(timerStatus, &QTimer::timeout, this, [this] {
        commandHome_->setText(busy_ ? QStringLiteral("正在连接网页，请等待 ...")
                                    : QStringLiteral("返回主页"));
    });
    timerStatus->start(100);
    connect(commandHome_, &QPushButton::clicked, this, [this] { load(address_); });
    connect(browser_, &QTextBrowser::anchorClicked, this, [this](const QUrl& link) {
        if (ShownInWindow(link))
            browser_->setSource(link);
        else
            OpenInDesktop(link);
    });
}

bool FormWebSite::load(const QUrl& address)
{
    if (!ShownInWindow(address)) {
        OpenInDesktop(address);
        return false;
    }
    address_ = address;
    busy_ = true;
    commandHome_->setText(QStringLiteral("正在连接网页，请等待 ..."));
    browser_->setSource(QUrl());
    browser_->setSource(address);
    if (browser_->toPlainText().isEmpty())
        browser_->setHtml(QStringLiteral("<p>无法显示网页：%1</p>")
                              .arg(address.toDisplayString().toHtmlEscaped()));
    busy_ = false;
    return true;
}
