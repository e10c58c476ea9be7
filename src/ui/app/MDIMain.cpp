#include "MDIMain.h"

#include "AutoBackup.h"
#include "MainInput.h"
#include "ScannerCapture.h"
#include "Startup.h"
#include "StatusPanels.h"
#include "ui/auxiliary/AuxiliaryWindows.h"
#include "ui/common/MessageBox.h"
#include "ui/common/Seams.h"
#include "ui/common/WindowSupport.h"
#include "ui/settings/FormGNCS.h"

#include "core/access/PassCheck.h"
#include "core/access/People.h"
#include "core/money/Ledger.h"
#include "core/rentals/Rentals.h"
#include "core/settings/FirstRun.h"
#include "core/settings/Settings.h"
#include "core/store/Database.h"
#include "core/store/Engine.h"
#include "core/store/Errors.h"
#include "core/store/Shop.h"
#include "core/store/SingleInstance.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeySequence>
#include <QMenuBar>
#include <QSessionManager>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QThread>
#include <QTimer>
#include <QToolBar>

namespace {
const QString kTip = QStringLiteral("用户提示");

QString Caption(const char16_t* text)
{
    return QString::fromUtf16(text);
}
} // namespace

MDIMain::MDIMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MDIMain"));
    setWindowTitle(QStringLiteral("凯络影碟出租管理系统"));
    setWindowIcon(QIcon(QStringLiteral(":/images/app.png")));
    mdiArea_ = new QMdiArea(this);
    mdiArea_->setObjectName(QStringLiteral("MdiArea"));
    mdiArea_->setBackground(QColor(0x80, 0x80, 0x80));
    mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdiArea_);
    buildMenus();
    buildToolbar();
    buildPopup();
    panels_ = new StatusPanels(statusBar());
    SetStatusSink([this](const QString& text) { setStatusText(text); });
    backup_ = new AutoBackup(this);
    connect(backup_, &AutoBackup::statusText, this, &MDIMain::setStatusText);
    connect(backup_, &AutoBackup::failed, this, [this](const QString& refusal) {
        // A guest can do nothing about the path: the backup goes off quietly.
        if (PasswordIsSet() && UserMode() == u"Guest")
            return;
        if (!refusal.isEmpty()) // the path is fine: the shop must be mended
            ShowMessage(refusal, 0, kTip);
        else
            ShowMessage(QStringLiteral("自动备份数据库时发生错误，可能是备份路经有误。自动备份功能"
                                       "将关闭。请先重新打开自动备份功能，再修改自动备份的备份路径"
                                       "！"),
                        0, kTip);
        FormGNCS settings(*shop_, this);
        ExecModal(settings);
    });
    updateCommandStates();
    input_ = new MainInput(
        mdiArea_, mnuPop_, [this] { setCapsLock(!capsOn_); }, this);
    qApp->installEventFilter(input_);
    // Logging off asks the same question as closing the window; 否 cancels the logoff.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
        if (manager.allowsInteraction()) {
            if (!close())
                manager.cancel();
            manager.release();
        } else {
            closeShop();
        }
    });
    resize(1024, 720);
}

MDIMain::~MDIMain()
{
    qApp->removeEventFilter(input_); // it would see the scanner go
    SetStatusSink({});
    delete std::exchange(backup_, nullptr); // a copy being written is let finish first
    if (ledgerCheck_) {
        // Read the whole ledger: on a large shop not worth waiting for at closing.
        stopLedgerCheck_ = true;
        ledgerCheck_->wait();
    }
    closeShop();
}

bool MDIMain::runStartup()
{
    return Startup(*this).run();
}

void MDIMain::keepInstanceLock(std::unique_ptr<SingleInstance> lock)
{
    instance_ = std::move(lock);
}

void MDIMain::checkLedger()
{
    if (!shop_ || shop_->engine().guardsLedgerOnWrite() || ledgerCheck_)
        return;
    auto said = std::make_shared<QString>();
    ledgerCheck_.reset(QThread::create([said, location = shop_->path(), this] {
        try {
            *said = LedgerCheck(location, &stopLedgerCheck_);
        } catch (const MovrntError& error) {
            *said = error.description();
        }
    }));
    connect(
        ledgerCheck_.get(), &QThread::finished, this,
        [this, said] {
            if (!said->isEmpty())
                setStatusText(QStringLiteral("账务核对：") +
                              QString(*said)
                                  .replace(QStringLiteral("：\n"), QStringLiteral("："))
                                  .replace(u'\n', QStringLiteral("；")));
        },
        Qt::QueuedConnection);
    ledgerCheck_->start(QThread::LowPriority);
}

void MDIMain::openShop(const UpgradeProgress& progress)
{
    closeShop();
    shop_ = std::make_unique<Shop>(ShopLocation(), progress);
    SetSessionShop(shop_.get()); // the counter's: the logon, the people, the settings
    if (!shop_->notice().isEmpty())
        ShowMessage(shop_->notice(), 48, kTip);
    NormaliseOpenRentalDates(*shop_); // before the overdue check compares them
    panels_->follow(*shop_);
    scanner_ = std::make_unique<ScannerCapture>(*shop_, this);
    input_->setScanner(scanner_.get());
    panels_->setSuperuser(shop_->superuser());
    updateCommandStates();
    // The parameters take effect at once, without a restart; the caption and
    // panel 6 show the user's name and the logon mode.
    connect(shop_->events(), &ShopEvents::settingsChanged, this, [this](ShopOperation operation) {
        if (operation == ShopOperation::SaveSettings) {
            backup_->arm(*shop_);
        } else if (operation == ShopOperation::SavePassword) {
            updateUserPanel();
            setWindowTitle(MainCaption(GetSetting(Setting::UserName)));
        }
    });
    // What other connections wrote: looked for now and then, and whenever
    // the clerk comes back to a window.
    shop_->watch(1000);
    connect(mdiArea_, &QMdiArea::subWindowActivated, shop_->events(),
            [shop = shop_.get()] { shop->lookOutside(); });
    connect(qApp, &QGuiApplication::applicationStateChanged, shop_->events(),
            [shop = shop_.get()](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive)
                    shop->lookOutside();
            });
}

void MDIMain::closeShop()
{
    if (shop_)
        shop_->close();
}

void MDIMain::showWebPage(const QString& caption, const QUrl& address)
{
    // A page on the web goes to the desktop's browser, not to an empty window.
    if (!ShownInWindow(address)) {
        OpenInDesktop(address);
        return;
    }
    auto* window = openChild<FormWebSite>();
    window->setWindowTitle(caption);
    window->load(address);
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
    connect(action, &QAction::triggered, this, [this, command] { runCommand(command); });
    actions_[command].append(action);
    return action;
}

void MDIMain::buildMenus()
{
    std::map<QByteArray, QMenu*> menus;
    for (const MenuLayout& layout : MenuBarLayout()) {
        QMenu* menu = layout.parent ? menus.at(layout.parent)->addMenu(Caption(layout.title))
                                    : menuBar()->addMenu(Caption(layout.title));
        menu->setObjectName(QString::fromLatin1(layout.objectName));
        menus[layout.objectName] = menu;
        for (const std::optional<Command>& item : layout.items) {
            if (item)
                addCommandItem(menu, *item);
            else
                menu->addSeparator();
        }
    }
    // The window menu lists the open windows after its own items.
    mnuCK_ = menus.at("mnuCK");
    windowListSeparator_ = mnuCK_->addSeparator();
    connect(mnuCK_, &QMenu::aboutToShow, this, &MDIMain::refreshWindowMenu);
}

void MDIMain::buildPopup()
{
    // Never shown in the menu bar: only on a right-button release.
    mnuPop_ = new QMenu(QStringLiteral("弹出式菜单"), this);
    mnuPop_->setObjectName(QStringLiteral("mnuPop"));
    for (const PopupItem& item : PopupItems()) {
        if (item.command)
            addAlias(mnuPop_, item.objectName, Caption(item.caption), *item.command);
        else
            mnuPop_->addSeparator();
    }
}

void MDIMain::buildToolbar()
{
    toolbar_ = addToolBar(QStringLiteral("Toolbar1"));
    toolbar_->setObjectName(QStringLiteral("Toolbar1"));
    toolbar_->setMovable(false);
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbar_->setIconSize(QSize(32, 32));
    int position = 0;
    for (const ToolButton& button : ToolButtons()) {
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
    const std::span<const ToolButton> buttons = ToolButtons();
    if (position < 1 || position > int(buttons.size()))
        return;
    runCommand(buttons[position - 1].command);
}

QString MDIMain::panelText(int panel) const
{
    return panels_->text(panel);
}

void MDIMain::setStatusText(const QString& text)
{
    panels_->setStatusText(text);
}

void MDIMain::updateUserPanel()
{
    panels_->updateUserPanel();
}

void MDIMain::setCapsLock(bool on)
{
    capsOn_ = on;
    panels_->setCapsLock(on);
}

bool MDIMain::isCommandAvailable(Command command) const
{
    // A server's people are its own logins, not kept by this window.
    return InfoOf(command).run && (command != Command::RYGL || ShopKeepsPeople());
}

void MDIMain::updateCommandStates()
{
    for (auto& [command, actions] : actions_)
        for (QAction* action : actions)
            action->setEnabled(isCommandAvailable(command));
}

void MDIMain::runCommand(Command command)
{
    const CommandGate gate = InfoOf(command).gate;
    if (gate != CommandGate::None &&
        !PassGate(gate == CommandGate::Owner ? Gate::Owner : Gate::Counter))
        return;
    // Without a window the command's items are disabled: nothing on screen reaches here.
    if (const auto run = InfoOf(command).run)
        run(*this);
}

QMdiSubWindow* MDIMain::addChild(QWidget* window)
{
    // The size the window laid itself out for, plus the frame around it.
    const QSize wanted = window->size();
    QMdiSubWindow* sub = mdiArea_->addSubWindow(window);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    // Escape closes the window it was pressed in, as a dialog's does.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), sub);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, sub, &QMdiSubWindow::close);
    const int frame = sub->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, sub);
    const int title = sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, sub);
    sub->resize(wanted.width() + 2 * frame, wanted.height() + title + frame);
    return sub;
}

void MDIMain::showChild(QMdiSubWindow* sub)
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
        connect(action, &QAction::triggered, this, [this, sub] { showChild(sub); });
    }
}

void MDIMain::closeEvent(QCloseEvent* event)
{
    if (ShowMessage(QStringLiteral(
                        "系统即将退出，如果尚有子窗口未关闭，则数据可能丢失！确定要现在退出吗？"),
                    4, kTip) != 6) {
        event->ignore();
        return;
    }
    closeShop();
    event->accept();
    QCoreApplication::exit(0);
}
