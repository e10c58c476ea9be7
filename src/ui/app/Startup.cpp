#include "Startup.h"

#include "AutoBackup.h"
#include "MDIMain.h"
#include "StatusPanels.h"
#include "ui/access/FormMMSZ.h"
#include "ui/access/FormPass.h"
#include "ui/auxiliary/AuxiliaryWindows.h"
#include "ui/common/Background.h"
#include "ui/common/MessageBox.h"
#include "ui/common/Seams.h"
#include "ui/rentals/FormTX.h"

#include "core/access/PassCheck.h"
#include "core/access/People.h"
#include "core/rentals/Rentals.h"
#include "core/settings/FirstRun.h"
#include "core/settings/Settings.h"
#include "core/store/Clock.h"
#include "core/store/DateText.h"
#include "core/store/Errors.h"
#include "core/store/ProgramFolder.h"
#include "core/store/SingleInstance.h"

#include <QDir>

namespace {
const QString kTip = QStringLiteral("用户提示");
}

bool Startup::checkDisplay(bool firstRun)
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

bool Startup::run()
{
    try {
        // 1
        main_.setStatusText(QStringLiteral("正在初始化系统 ..."));
        // 2
        auto instance = std::make_unique<SingleInstance>(ProgramFolder());
        if (!instance->tryAcquire()) {
            // Without even a lock file the folder cannot take a rental either.
            ShowMessage(
                instance->heldByAnother()
                    ? QStringLiteral("已有一个本程序的实例在运行，在同一时间只能运行本程序的"
                                     "一个实例!")
                    : QStringLiteral("程序文件夹是只读的，无法写入数据库！"),
                0, kTip);
            return false;
        }
        main_.keepInstanceLock(std::move(instance));
        // 3
        const bool firstRun = IsFirstRun();
        // 4 and 7: nothing is written before the display passed.
        if (!checkDisplay(firstRun))
            return false;
        if (!firstRun) {
            // 5
            if (PasswordIsSet()) {
                FormPass logon(&main_);
                if (ExecModal(logon) != QDialog::Accepted)
                    return false;
            }
        } else {
            // 8
            PerformFirstRunSetup();
            // A new counter of a shop on a server whose password is set: the
            // administrator logs on like at any other counter.
            if (PasswordIsSet()) {
                FormPass logon(&main_);
                if (ExecModal(logon) != QDialog::Accepted)
                    return false;
            } else if (ShowMessage(
                           QStringLiteral(
                               "这是您第一次运行本系统，请立即设置您的管理员密码，以确保安全性 "
                               "！要现在设置密码吗？"),
                           4, kTip) == 6) {
                FormMMSZ passwordDialog(&main_);
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
        main_.setWindowTitle(MainCaption(GetSetting(Setting::UserName)));
        // 11: an older file first gets its indexes and statistics, with the
        // window on screen and the work shown rather than a dark screen.
        try {
            UpgradeView view(&main_);
            main_.openShop(view.progress());
            MoveOwnerPasswordIntoShop();
            TillId(); // made at this PC's first start, before any line needs it
            main_.checkLedger();
        } catch (...) {
            if (firstRun) // asked again at the next start, once the shop is there
                UndoFirstRunSetup();
            throw;
        }
        NormaliseOpenRentalDates(main_.shop()); // before step 15 compares them
        // 12
        main_.backup()->arm(main_.shop());
        // 13: the date panel is set once and keeps that date for the whole run.
        StatusPanels* panels = main_.panels();
        panels->setDate(ChineseDateText(TodayText()));
        main_.setCapsLock(CapsLockOn());
        panels->refreshDiscCount();
        panels->refreshMemberCount();
        panels->updateUserPanel();
        // 14
        if (ShowTipsAtStartup() != 0) {
            FormTip tip(&main_);
            ExecModal(tip);
        }
        // 15: a number of days that is not a number skips the check rather
        // than keeping the clerk from the dialog that sets it.
        if (GetSetting(Setting::AutoAlert) == u"True") {
            if (const std::optional<qint64> days = AlertDays();
                days && AnyOverdueRental(main_.shop(), *days))
                main_.openChild<FormTX>();
        }
        // 16
        main_.setStatusText(QStringLiteral("就绪"));
        return true;
    } catch (const MovrntError& error) {
        ReportError(error);
    } catch (const std::exception& error) {
        ReportError(QString::fromLocal8Bit(error.what()), QStringLiteral("MDIMain"));
    }
    return false;
}
