#include "WindowSupport.h"

#include "core/store/Shop.h"
#include "ui/common/MessageBox.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPixmap>
#include <QStringListModel>
#include <QTimer>

BusyStatus::BusyStatus(const QString& text, bool hourglass) : hourglass_(hourglass)
{
    ShowStatus(text);
    if (hourglass_)
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyStatus::~BusyStatus()
{
    done();
}

void BusyStatus::done()
{
    if (done_)
        return;
    done_ = true;
    if (hourglass_)
        QApplication::restoreOverrideCursor();
    ShowStatus(QStringLiteral("就绪"));
}

namespace {
std::function<void(const QString&)> statusSink;
}

void SetStatusSink(std::function<void(const QString&)> sink)
{
    statusSink = std::move(sink);
}

void ShowStatus(const QString& text)
{
    if (statusSink)
        statusSink(text);
}

void Notice(const QString& text)
{
    ShowMessage(text, 0, QStringLiteral("用户提示"));
}

void Refuse(const QString& text, QWidget* focus)
{
    Notice(text);
    if (focus)
        focus->setFocus();
}

bool Ask(const QString& text, const QString& title)
{
    return ShowMessage(text, 4, title) == 6;
}

void CloseWindow(QWidget* window)
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget()))
        sub->close();
    else
        window->close();
}

void FillCombo(QComboBox* combo, const QStringList& items)
{
    // A model set at once: a catalogue may hold thousands of names.
    const QString text = combo->currentText();
    auto* model = qobject_cast<QStringListModel*>(combo->model());
    if (!model) {
        model = new QStringListModel(combo);
        combo->setModel(model);
    }
    model->setStringList(items);
    combo->setCurrentIndex(-1);
    combo->setEditText(text);
}

void ShowPlaceholder(QLabel* box)
{
    box->setPixmap(QPixmap(QStringLiteral(":/images/nofind.png"))
                       .scaled(box->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    box->setProperty("picture", QStringLiteral("nofind"));
}

bool ShowPicture(QLabel* box, const QString& path)
{
    const QPixmap picture(path);
    if (path.isEmpty() || picture.isNull()) {
        ShowPlaceholder(box);
        return false;
    }
    box->setPixmap(picture.scaled(box->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    box->setProperty("picture", path);
    return true;
}

void RefreshOnShopChanges(Shop& shop, QWidget* window, const std::function<void()>& refresh, int ms)
{
    auto* pace = new QTimer(window);
    pace->setSingleShot(true);
    auto last = std::make_shared<QElapsedTimer>(); // invalid: the first change shows at once
    QObject::connect(pace, &QTimer::timeout, window, [last, refresh] {
        last->start();
        refresh();
    });
    const auto changed = [pace, last, ms] {
        if (pace->isActive())
            return; // this change shows with the one waiting
        pace->start(last->isValid() ? int(std::max<qint64>(0, ms - last->elapsed())) : 0);
    };
    QObject::connect(shop.events(), &ShopEvents::rentalsChanged, window, changed);
    QObject::connect(shop.events(), &ShopEvents::membersChanged, window, changed);
    QObject::connect(shop.events(), &ShopEvents::databaseReplaced, window, changed);
}
