#include "MDIMain.h"

#include "MessageBox.h"
#include "Seams.h"
#include "access/FormMMSZ.h"
#include "access/FormPass.h"
#include "catalogue/FormSCYDXX.h"
#include "catalogue/FormTJYDXX.h"
#include "catalogue/FormXGYDXX.h"
#include "auxiliary/AuxiliaryWindows.h"
#include "catalogue/FormYDCX.h"
#include "common/Background.h"
#include "common/WindowSupport.h"
#include "maintenance/FormSJBF.h"
#include "maintenance/FormZJCZ.h"
#include "members/FormHYXX.h"
#include "members/FormSCHYXX.h"
#include "members/FormTJHYXX.h"
#include "members/FormXGHYXX.h"
#include "rentals/FormSCZJXX.h"
#include "rentals/FormTJZJXX.h"
#include "rentals/FormTX.h"
#include "common/Controls.h"
#include "rentals/FormZJXXCX.h"
#include "settings/FormGNCS.h"
#include "settings/FormZJSZ.h"
#include "stats/FormCKTJT.h"
#include "stats/FormJRYY.h"
#include "stats/ReportRenderer.h"

#include "access/PassCheck.h"
#include "maintenance/Backup.h"
#include "rentals/Rentals.h"
#include "settings/FirstRun.h"
#include "settings/Parameters.h"
#include "settings/Settings.h"
#include "store/Clock.h"
#include "store/Counts.h"
#include "store/Database.h"
#include "store/DateText.h"
#include "store/Errors.h"
#include "store/ProgramFolder.h"
#include "store/SingleInstance.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QAbstractButton>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QSessionManager>
#include <QStatusBar>
#include <QStyle>
#include <QTextEdit>
#include <QThread>
#include <QTimer>
#include <QToolBar>

namespace {
MDIMain* instance = nullptr;

const QString kGuestRefused =
    QStringLiteral("对不起，您是由来宾方式登陆本系统的，没有权限执行该操作！");
const QString kTip = QStringLiteral("用户提示");

struct ToolButton
{
    const char16_t* caption;
    const char16_t* tooltip;
    Command command;
};
const ToolButton kToolButtons[] = {
    {u"查找影碟", u"查找影碟", Command::YDXX},
    {u"查找会员", u"查找会员", Command::HYXX},
    {u"添加租借信息", u"出租影碟", Command::TJZJXX},
    {u"结帐", u"归还影碟并结算租金", Command::ZJXX},
    {u"数据备份", u"数据备份", Command::SJBF},
    {u"统计图", u"查看统计图", Command::CKTJT},
    {u"功能参数设置", u"功能参数设置", Command::GNCSSZ},
};

QString Caption(const char16_t* text)
{
    return QString::fromUtf16(text);
}
} // namespace

MDIMain::MDIMain(QWidget* parent) : QMainWindow(parent)
{
    instance = this;
    setObjectName(QStringLiteral("MDIMain"));
    setWindowTitle(QStringLiteral("凯络影碟出租管理系统"));
    setWindowIcon(QIcon(QStringLiteral(":/images/app.png")));
    mdiArea_ = new QMdiArea(this);
    mdiArea_->setObjectName(QStringLiteral("MdiArea"));
    mdiArea_->setBackground(QColor(0x80, 0x80, 0x80));
    mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdiArea_);
    registerHandlers();
    buildMenus();
    buildToolbar();
    buildPopup();
    buildStatusBar();
    updateCommandStates();
    qApp->installEventFilter(this);
    scanClock_.start();
    // Logging off asks the same question as closing the window; 否 cancels the logoff.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
        if (manager.allowsInteraction()) {
            if (!close())
                manager.cancel();
            manager.release();
        } else {
            CloseDatabase();
        }
    });
    resize(1024, 720);

    timerZDBF_ = new QTimer(this);
    timerZDBF_->setObjectName(QStringLiteral("TimerZDBF"));
    connect(timerZDBF_, &QTimer::timeout, this, &MDIMain::onTimerZDBFTimer);
}

void MDIMain::ArmAutoBackup()
{
    const std::optional<qint64> interval = AutoBackupInterval();
    if (!interval) {
        timerZDBF_->stop();
        return;
    }
    timerZDBF_->start(int(std::min<qint64>(*interval, std::numeric_limits<int>::max())));
}

void MDIMain::onTimerZDBFTimer()
{
    if (autoBackup_)
        return; // the last copy is still being written
    SetStatusText(QStringLiteral("正在自动备份数据库 ..."));
    const QString path = GetSetting(Setting::AutoBackupPath);
    try {
        autoBackupStamp_ = DatabaseChangeStamp();
    } catch (const MovrntError&) {
        autoBackupStamp_.clear();
    }
    // Nothing written since the last good copy, and that copy is still there.
    if (!autoBackupStamp_.isEmpty() && autoBackupStamp_ == lastBackupStamp_ &&
        path == lastBackupPath_ && QFileInfo::exists(path)) {
        SetStatusText(QStringLiteral("就绪"));
        return;
    }
    lastBackupPath_ = path;
    auto failure = std::make_shared<QString>();
    autoBackupFailure_ = failure;
    const QString source = DatabasePath();
    autoBackup_ = QThread::create([source, path, failure] {
        try {
            CopyDatabase(source, path);
        } catch (const MovrntError& error) {
            *failure = error.description();
        }
    });
    connect(autoBackup_, &QThread::finished, this, &MDIMain::finishAutoBackup,
            Qt::QueuedConnection);
    autoBackup_->start();
}

void MDIMain::WaitForAutoBackup()
{
    if (!autoBackup_)
        return;
    autoBackup_->wait();
    finishAutoBackup();
}

void MDIMain::finishAutoBackup()
{
    if (!autoBackup_)
        return;
    std::unique_ptr<QThread> done(std::exchange(autoBackup_, nullptr));
    done->wait();
    SetStatusText(QStringLiteral("就绪"));
    const bool succeeded = autoBackupFailure_->isEmpty();
    if (succeeded) {
        lastBackupStamp_ = autoBackupStamp_;
    } else {
        lastBackupStamp_.clear();
        timerZDBF_->stop();
        SetSetting(Setting::AutoBackup, QStringLiteral("False"));
        // A guest can do nothing about the path: the backup goes off quietly.
        if (!PasswordIsSet() || UserMode() != u"Guest") {
            ShowMessage(QStringLiteral("自动备份数据库时发生错误，可能是备份路经有误。自动备份功能"
                                       "将关闭。请先重新打开自动备份功能，再修改自动备份的备份路径"
                                       "！"),
                        0, kTip);
            OpenModal<FormGNCS>();
        }
    }
    Q_EMIT autoBackupFinished(succeeded);
}

void MDIMain::RefreshAfterReplacement()
{
    RequeryIfOpen<FormYDCX>();
    RequeryIfOpen<FormZJXXCX>();
    RequeryIfOpen<FormHYXX>();
    RefreshDiscCount();
    RefreshMemberCount();
}

MDIMain::~MDIMain()
{
    // A copy still being written is let finish; nothing is shown any more.
    if (autoBackup_) {
        autoBackup_->wait();
        delete std::exchange(autoBackup_, nullptr);
    }
    if (instance == this)
        instance = nullptr;
}

MDIMain* MDIMain::Instance()
{
    return instance;
}

// Only the commands whose windows exist have handlers; the rest stay greyed.
void MDIMain::registerHandlers()
{
    handlers_[Command::ZJSZ] = [this] { OpenModal<FormZJSZ>(); };
    handlers_[Command::MMSZ] = [this] { OpenModal<FormMMSZ>(); };
    handlers_[Command::SJBF] = [this] { OpenModal<FormSJBF>(); };
    handlers_[Command::ZJCZFS] = [this] { EnterExpertMode(this); };
    handlers_[Command::JRYY] = [this] { OpenChild<FormJRYY>(); };
    handlers_[Command::CKTJT] = [this] { OpenChild<FormCKTJT>(); };
    handlers_[Command::LSSJ] = [this] { OpenChild<FormLSSJ>(); };
    handlers_[Command::RMYD] = [this] { OpenModal<FormRMYD>(); };
    handlers_[Command::WYYDBB] = [this] { ShowReport(Report::AllDiscs, this); };
    handlers_[Command::WHYDBB] = [this] { ShowReport(Report::DiscsOut, this); };
    handlers_[Command::SYHYBB] = [this] { ShowReport(Report::AllMembers, this); };
    handlers_[Command::WHHYBB] = [this] { ShowReport(Report::MembersWithDiscsOut, this); };
    handlers_[Command::GNCSSZ] = [this] { OpenModal<FormGNCS>(); };
    handlers_[Command::YDXX] = [this] { OpenChild<FormYDCX>(); };
    handlers_[Command::XGYDXX] = [this] { OpenChild<FormXGYDXX>(); };
    handlers_[Command::SCYDXX] = [this] { OpenChild<FormSCYDXX>(); };
    handlers_[Command::TJYDXX] = [this] { OpenChild<FormTJYDXX>(); };
    handlers_[Command::HYXX] = [this] { OpenChild<FormHYXX>(); };
    handlers_[Command::XGHYXX] = [this] { OpenChild<FormXGHYXX>(); };
    handlers_[Command::SCHYXX] = [this] { OpenChild<FormSCHYXX>(); };
    handlers_[Command::TJHYXX] = [this] { OpenChild<FormTJHYXX>(); };
    handlers_[Command::ZJXX] = [this] { OpenChild<FormZJXXCX>(); };
    handlers_[Command::SCZJXX] = [this] { OpenChild<FormSCZJXX>(); };
    handlers_[Command::TJZJXX] = [this] { OpenChild<FormTJZJXX>(); };
    handlers_[Command::TC] = [this] { close(); };
    handlers_[Command::CD] = [this] { mdiArea_->cascadeSubWindows(); };
    handlers_[Command::ZT] = [this] {
        ShowWebPage(QStringLiteral("帮助主题"),
                    QUrl::fromLocalFile(JoinPath(ProgramFolder(), kHelpPageName)));
    };
    handlers_[Command::MRYT] = [this] { OpenModal<FormTip>(); };
    handlers_[Command::FWWZ] = [this] {
        ShowWebPage(QStringLiteral("欢迎光临我们的网站"), QUrl(kHomePage));
    };
    handlers_[Command::GY] = [this] { OpenModal<FormAbout>(); };
}

void MDIMain::ShowWebPage(const QString& caption, const QUrl& address)
{
    // A page on the web goes to the desktop's browser, not to an empty window.
    if (!ShownInWindow(address)) {
        OpenInDesktop(address);
        return;
    }
    auto* window = OpenChild<FormWebSite>();
    window->setWindowTitle(caption);
    window->load(address);
}

template <typename D> void MDIMain::OpenModal()
{
    D dialog(this);
    ExecModal(dialog);
}

QAction* MDIMain::addCommandItem(QMenu* menu, Command command)
{
    const CommandInfo& info = InfoOf(command);
    QAction* action = addAlias(menu, info.objectName, Caption(info.caption), command);
    action->setShortcut(QKeySequence(QString::fromLatin1(info.shortcut)));
    return action;
}

QAction* MDIMain::addAlias(QMenu* menu, const char* name, const QString& caption, Command command)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
    actions_[command].append(action);
    return action;
}

void MDIMain::buildMenus()
{
    QMenuBar* bar = menuBar();
    const auto addMenu = [bar](const char* name, const QString& title) {
        QMenu* menu = bar->addMenu(title);
        menu->setObjectName(QString::fromLatin1(name));
        return menu;
    };

    QMenu* xt = addMenu("mnuXT", QStringLiteral("系统(&S)"));
    addCommandItem(xt, Command::ZJSZ);
    addCommandItem(xt, Command::MMSZ);
    addCommandItem(xt, Command::SJBF);
    addCommandItem(xt, Command::ZJCZFS);
    xt->addSeparator();
    addCommandItem(xt, Command::GNCSSZ);
    xt->addSeparator();
    addCommandItem(xt, Command::TC);

    QMenu* cx = addMenu("mnuCXXX", QStringLiteral("查询信息(&R)"));
    addCommandItem(cx, Command::YDXX);
    addCommandItem(cx, Command::ZJXX);
    addCommandItem(cx, Command::HYXX);

    QMenu* xg = addMenu("mnuXGXX", QStringLiteral("修改信息(&O)"));
    addCommandItem(xg, Command::XGYDXX);
    addCommandItem(xg, Command::XGHYXX);

    QMenu* sc = addMenu("mnuSCXX", QStringLiteral("删除信息(&L)"));
    addCommandItem(sc, Command::SCYDXX);
    addCommandItem(sc, Command::SCZJXX);
    addCommandItem(sc, Command::SCHYXX);

    QMenu* tj = addMenu("mnuTJXX", QStringLiteral("添加信息(&T)"));
    addCommandItem(tj, Command::TJYDXX);
    addCommandItem(tj, Command::TJZJXX);
    addCommandItem(tj, Command::TJHYXX);

    QMenu* tjsj = addMenu("mnuTJSJ", QStringLiteral("统计数据(&C)"));
    addCommandItem(tjsj, Command::JRYY);
    addCommandItem(tjsj, Command::LSSJ);
    addCommandItem(tjsj, Command::CKTJT);

    QMenu* dy = addMenu("mnuDYBB", QStringLiteral("打印报表(&D)"));
    QMenu* ydbb = dy->addMenu(QStringLiteral("影碟信息报表(&Y)"));
    ydbb->setObjectName(QStringLiteral("mnuYDXXBBItem"));
    addCommandItem(ydbb, Command::WYYDBB);
    addCommandItem(ydbb, Command::WHYDBB);
    QMenu* hybb = dy->addMenu(QStringLiteral("会员信息报表(&H)"));
    hybb->setObjectName(QStringLiteral("mnuHYXXBBItem"));
    addCommandItem(hybb, Command::SYHYBB);
    addCommandItem(hybb, Command::WHHYBB);

    mnuCK_ = addMenu("mnuCK", QStringLiteral("窗口(&W)"));
    addCommandItem(mnuCK_, Command::CD);
    windowListSeparator_ = mnuCK_->addSeparator();
    connect(mnuCK_, &QMenu::aboutToShow, this, &MDIMain::refreshWindowMenu);

    QMenu* bz = addMenu("mnuBZ", QStringLiteral("帮助(&E)"));
    addCommandItem(bz, Command::ZT);
    addCommandItem(bz, Command::MRYT);
    addCommandItem(bz, Command::FWWZ);
    bz->addSeparator();
    addCommandItem(bz, Command::GY);
}

void MDIMain::buildPopup()
{
    // Never shown in the menu bar: only on a right-button release.
    mnuPop_ = new QMenu(QStringLiteral("弹出式菜单"), this);
    mnuPop_->setObjectName(QStringLiteral("mnuPop"));
    addAlias(mnuPop_, "mnuPopYDXXItem", QStringLiteral("查找影碟(&D)"), Command::YDXX);
    addAlias(mnuPop_, "mnuPopRMYDItem", QStringLiteral("热门影碟(&R)"), Command::RMYD);
    addAlias(mnuPop_, "mnuPopCZHYItem", QStringLiteral("查找会员(&Z)"), Command::HYXX);
    addAlias(mnuPop_, "mnuPopTJZJXXItem", QStringLiteral("添加租借信息(&K)"), Command::TJZJXX);
    addAlias(mnuPop_, "mnuPopJZItem", QStringLiteral("结帐(&L)"), Command::ZJXX);
    mnuPop_->addSeparator();
    addAlias(mnuPop_, "mnuPopCDItem", QStringLiteral("层叠窗口(&J)"), Command::CD);
}

void MDIMain::buildToolbar()
{
    toolbar_ = addToolBar(QStringLiteral("Toolbar1"));
    toolbar_->setObjectName(QStringLiteral("Toolbar1"));
    toolbar_->setMovable(false);
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbar_->setIconSize(QSize(32, 32));
    int position = 0;
    for (const ToolButton& button : kToolButtons) {
        ++position;
        QAction* action = toolbar_->addAction(
            QIcon(QStringLiteral(":/images/toolbar%1.png").arg(position)), Caption(button.caption));
        action->setObjectName(QStringLiteral("Toolbar1Button%1").arg(position));
        action->setToolTip(Caption(button.tooltip));
        connect(action, &QAction::triggered, this,
                [this, position] { onToolbar1ButtonClick(position); });
        actions_[button.command].append(action);
    }
}

void MDIMain::onToolbar1ButtonClick(int position)
{
    if (position < 1 || position > static_cast<int>(std::size(kToolButtons)))
        return;
    RunCommand(kToolButtons[position - 1].command);
}

void MDIMain::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBarP"));
    bar->setSizeGripEnabled(true);
    const char16_t* tooltips[6] = {u"系统日期",       u"系统当前操作",   u"影碟库状态信息",
                                   u"会员库状态信息", u"大小写锁定标志", u"当前用户"};
    const int stretch[6] = {0, 2, 4, 2, 0, 0};
    for (int i = 0; i < 6; ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        label->setToolTip(Caption(tooltips[i]));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setContentsMargins(4, 0, 4, 0);
        panels_[i] = label;
        if (i == 5) {
            // Panel 6 carries a small picture before its text.
            auto* box = new QFrame(this);
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
    panels_[4]->setEnabled(capsOn_);
    panels_[0]->setMinimumWidth(120);
}

QString MDIMain::PanelText(int panel) const
{
    return panel >= 1 && panel <= 6 ? panels_[panel - 1]->text() : QString();
}

void MDIMain::SetStatusText(const QString& text)
{
    panels_[1]->setText(text);
    panels_[1]->repaint();
}

void MDIMain::RefreshDiscCount()
{
    panels_[2]->setText(DiscCountText());
}

void MDIMain::RefreshMemberCount()
{
    panels_[3]->setText(MemberCountText());
}

void MDIMain::UpdateUserPanel()
{
    QString text;
    if (!PasswordIsSet())
        text = QStringLiteral("未设置管理员密码");
    else if (UserMode() == u"Guest")
        text = QStringLiteral("来宾访问模式");
    else
        text = QStringLiteral("管理员模式");
    panels_[5]->setText(text);
}

bool MDIMain::IsCommandAvailable(Command command) const
{
    return handlers_.count(command) > 0;
}

void MDIMain::updateCommandStates()
{
    for (auto& [command, actions] : actions_)
        for (QAction* action : actions)
            action->setEnabled(IsCommandAvailable(command));
}

void MDIMain::RunCommand(Command command)
{
    if (InfoOf(command).gated && !PassGuestGate())
        return;
    const auto handler = handlers_.find(command);
    if (handler != handlers_.end())
        handler->second();
    // Without a handler the command's items are disabled: nothing on screen reaches here.
}

bool PassGuestGate()
{
    if (GuestGateAllows())
        return true;
    ShowMessage(kGuestRefused, 0, kTip);
    return false;
}

QMdiSubWindow* MDIMain::AddChild(QWidget* window)
{
    // The size the window laid itself out for, plus the frame around it.
    const QSize wanted = window->size();
    QMdiSubWindow* sub = mdiArea_->addSubWindow(window);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    const int frame = sub->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, sub);
    const int title = sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, sub);
    sub->resize(wanted.width() + 2 * frame, wanted.height() + title + frame);
    return sub;
}

void MDIMain::ShowChild(QMdiSubWindow* sub)
{
    if (sub->isMinimized())
        sub->showNormal();
    sub->show();
    keepInside(sub);
    mdiArea_->setActiveSubWindow(sub);
    sub->raise();
}

void MDIMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // Windows opened at start-up, before the main window had its size, are
    // fitted to the area it has now, once the maximised size has arrived.
    QTimer::singleShot(0, this, [this] {
        for (QMdiSubWindow* sub : mdiArea_->subWindowList())
            keepInside(sub);
    });
}

void MDIMain::keepInside(QMdiSubWindow* sub)
{
    if (!isVisible())
        return; // the area has no size of its own yet

    // Cascading places later windows lower and further right: pull them back
    // wholly into view, and no larger than the area while their layout allows.
    // A window that cannot shrink further is reached with the scroll bars.
    const QRect area = mdiArea_->viewport()->rect();
    const QSize size = sub->size().boundedTo(area.size()).expandedTo(sub->minimumSizeHint());
    sub->resize(size);
    const int x = std::clamp(sub->x(), 0, std::max(0, area.width() - size.width()));
    const int y = std::clamp(sub->y(), 0, std::max(0, area.height() - size.height()));
    sub->move(x, y);
}

void MDIMain::refreshWindowMenu()
{
    const QList<QAction*> items = mnuCK_->actions();
    const qsizetype start = items.indexOf(windowListSeparator_) + 1;
    for (qsizetype i = start; i < items.size(); ++i) {
        mnuCK_->removeAction(items[i]);
        delete items[i];
    }
    const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList();
    windowListSeparator_->setVisible(!windows.isEmpty());
    int number = 0;
    for (QMdiSubWindow* sub : windows) {
        ++number;
        QAction* action =
            mnuCK_->addAction(QStringLiteral("&%1 %2").arg(number).arg(sub->windowTitle()));
        action->setCheckable(true);
        action->setChecked(sub == mdiArea_->activeSubWindow());
        connect(action, &QAction::triggered, this, [this, sub] { ShowChild(sub); });
    }
}

bool MDIMain::checkDisplay(bool firstRun)
{
    const QSize screen = ScreenSize();
    switch (CheckDisplay(screen, firstRun, GetSetting(Setting::SetDisplayRes))) {
    case DisplayVerdict::TooSmall:
        ShowMessage(
            QStringLiteral("对不起，本程序只能运行在（800*600）或更高的分辨率上。程序将终止运行！"),
            0, kTip);
        return false;
    case DisplayVerdict::OfferSwitch:
        if (ShowMessage(QStringLiteral("您现在的屏幕分辨率是（%1 * %2），建议您以（1024 * "
                                       "768）的分辨率来运行本程序，要更改屏幕的分辨率吗？")
                            .arg(screen.width())
                            .arg(screen.height()),
                        4, kTip) == 6)
            SwitchDisplay(QSize(1024, 768)); // a refused switch is ignored
        return true;
    case DisplayVerdict::Fine:
        return true;
    }
    return true;
}

bool MDIMain::RunStartup()
{
    try {
        // 1
        SetStatusText(QStringLiteral("正在初始化系统 ..."));
        // 2
        instance_ = std::make_unique<SingleInstance>(ProgramFolder());
        if (!instance_->tryAcquire()) {
            // Without even a lock file the folder cannot take a rental either.
            ShowMessage(instance_->heldByAnother()
                            ? QStringLiteral("已有一个本程序的实例在运行，在同一时间只能运行本程序的"
                                             "一个实例!")
                            : QStringLiteral("程序文件夹是只读的，无法写入数据库！"),
                        0, kTip);
            return false;
        }
        // 3
        const bool firstRun = IsFirstRun();
        // 4 and 7: nothing is written before the display passed.
        if (!checkDisplay(firstRun))
            return false;
        if (!firstRun) {
            // 5
            if (PasswordIsSet()) {
                FormPass logon(this);
                if (ExecModal(logon) != QDialog::Accepted)
                    return false;
            }
        } else {
            // 8
            PerformFirstRunSetup();
            // 9
            if (ShowMessage(
                    QStringLiteral("这是您第一次运行本系统，请立即设置您的管理员密码，以确保安全性 "
                                   "！要现在设置密码吗？"),
                    4, kTip) == 6) {
                FormMMSZ passwordDialog(this);
                ExecModal(passwordDialog);
            } else {
                ShowMessage(
                    QStringLiteral("您没有设置管理员密码，任何人都将能够查看和修改您的数据！"), 0,
                    QStringLiteral("用户警告"));
            }
            const QString pictures = JoinPath(ProgramFolder(), QStringLiteral("Pictures"));
            if (!QDir().mkpath(pictures))
                throw MovrntError(QStringLiteral("无法创建文件夹：") + pictures,
                                  QStringLiteral("MDIMain"));
        }
        // 10
        setWindowTitle(MainCaption(GetSetting(Setting::UserName)));
        // 11: an older file first gets its indexes and statistics, with the
        // window on screen and the work shown rather than a dark screen.
        {
            UpgradeView view(this);
            OpenDatabase(view.progress());
        }
        NormaliseOpenRentalDates(); // before step 15 compares them
        // 12
        ArmAutoBackup();
        // 13: the date panel is set once and keeps that date for the whole run.
        panels_[0]->setText(ChineseDateText(TodayText()));
        capsOn_ = CapsLockOn();
        panels_[4]->setEnabled(capsOn_);
        RefreshDiscCount();
        RefreshMemberCount();
        UpdateUserPanel();
        // 14
        if (ShowTipsAtStartup() != 0)
            OpenModal<FormTip>();
        // 15: a number of days that is not a number skips the check rather
        // than keeping the clerk from the dialog that sets it.
        if (GetSetting(Setting::AutoAlert) == u"True") {
            if (const std::optional<qint64> days = AlertDays(); days && AnyOverdueRental(*days))
                OpenChild<FormTX>();
        }
        // 16
        SetStatusText(QStringLiteral("就绪"));
        return true;
    } catch (const MovrntError& error) {
        ReportError(error);
    } catch (const std::exception& error) {
        ReportError(QString::fromLocal8Bit(error.what()), QStringLiteral("MDIMain"));
    }
    return false;
}

void MDIMain::closeEvent(QCloseEvent* event)
{
    if (ShowMessage(QStringLiteral(
                        "系统即将退出，如果尚有子窗口未关闭，则数据可能丢失！确定要现在退出吗？"),
                    4, kTip) != 6) {
        event->ignore();
        return;
    }
    CloseDatabase();
    event->accept();
    QCoreApplication::exit(0);
}

bool MDIMain::takeScan(QEvent* event)
{
    // Only while no entry box has the focus: there the scanner simply types.
    QWidget* focus = QApplication::focusWidget();
    if (!isActiveWindow() || QApplication::activeModalWidget() ||
        qobject_cast<QLineEdit*>(focus) || qobject_cast<QComboBox*>(focus) ||
        qobject_cast<QAbstractSpinBox*>(focus) || qobject_cast<QPlainTextEdit*>(focus) ||
        qobject_cast<QTextEdit*>(focus))
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const qint64 now = scanClock_.elapsed();
    if (!IsEnterKey(key)) {
        if (key->text().size() == 1 && key->text()[0].isPrint())
            scanBurst_.key(key->text()[0], now);
        return false;
    }
    const std::optional<QString> number = scanBurst_.enter(now);
    if (!number)
        return false;
    Scanned scanned = Scanned::Unknown;
    try {
        scanned = FindScanned(*number);
    } catch (const MovrntError& error) {
        ReportError(error);
        return true;
    }
    if (scanned == Scanned::Disc) {
        if (auto* window = OpenChild<FormTJZJXX>())
            window->PrepareFor(*number);
    } else if (scanned == Scanned::Member) {
        if (auto* window = OpenChild<FormTJZJXX>())
            window->PrepareForMember(*number);
    } else
        ShowMessage(QStringLiteral("扫描到的编号“%1”既不是本店的影碟编号，也不是会员编号！")
                        .arg(*number),
                    0, QStringLiteral("用户提示"));
    return true;
}

QWidget* MDIMain::childMnemonic(const QKeyEvent* key) const
{
    if (key->modifiers() != Qt::AltModifier || !mdiArea_->activeSubWindow())
        return nullptr;
    QWidget* child = mdiArea_->activeSubWindow()->widget();
    QWidget* focus = QApplication::focusWidget();
    if (!child || !focus || !child->isAncestorOf(focus))
        return nullptr;
    const QKeySequence pressed(Qt::ALT | key->key());
    for (QAbstractButton* button : child->findChildren<QAbstractButton*>())
        if (button->isVisible() && button->isEnabled() &&
            QKeySequence::mnemonic(button->text()) == pressed)
            return button;
    for (QLabel* label : child->findChildren<QLabel*>())
        if (label->buddy() && label->buddy()->isVisible() && label->buddy()->isEnabled() &&
            QKeySequence::mnemonic(label->text()) == pressed)
            return label->buddy();
    return nullptr;
}

bool MDIMain::eventFilter(QObject* watched, QEvent* event)
{
    // A child window's own mnemonics win over the menu bar's while it has the
    // focus (浏览(&C) in 添加影碟信息 over 统计数据(&C)).
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
        if (QWidget* target = childMnemonic(static_cast<QKeyEvent*>(event))) {
            if (event->type() == QEvent::ShortcutOverride) {
                event->accept(); // delivered as a key press, not to the menu bar
                return true;
            }
            if (auto* button = qobject_cast<QAbstractButton*>(target))
                button->animateClick();
            else
                target->setFocus(Qt::ShortcutFocusReason);
            return true;
        }
    }
    if (watched == mdiArea_->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        // Only over the empty client area, never over a child window.
        if (mouse->button() == Qt::RightButton &&
            !mdiArea_->viewport()->childAt(mouse->position().toPoint())) {
            mnuPop_->popup(mouse->globalPosition().toPoint());
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress && watched->isWindowType() && takeScan(event))
        return true;
    // Key events reach the window first and then each widget up the parent
    // chain; counting only the window's copy sees each press once.
    if (event->type() == QEvent::KeyPress && watched->isWindowType() &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_CapsLock &&
        !static_cast<QKeyEvent*>(event)->isAutoRepeat()) {
        capsOn_ = !capsOn_;
        panels_[4]->setEnabled(capsOn_);
    }
    return QMainWindow::eventFilter(watched, event);
}
