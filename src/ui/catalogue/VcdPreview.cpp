#include "VcdPreview.h"

#include "ui/auxiliary/ComnDialogBox.h"
#include "ui/common/Controls.h"

#include "core/auxiliary/Auxiliary.h"

#include <QGridLayout>
#include <QLabel>
#include <QMediaPlayer>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QTimer>
#include <QUrl>
#include <QVideoWidget>
#include <cmath>

namespace {
constexpr int kSliderMaximum = 1000;
const QString kPlay = QStringLiteral("播放(&P)");
const QString kPause = QStringLiteral("暂停(&S)");
} // namespace

VcdPreview::VcdPreview(QWidget* parent) : QGroupBox(QStringLiteral("影碟预览  "), parent)
{
    setObjectName(QStringLiteral("FrameYDYL"));
    commandOpen_ = MakeButton(this, "CommandOpen", QStringLiteral("打开(&O)"),
                              QStringLiteral("选择要播放的影碟文件"));
    commandPlay_ = MakeButton(this, "CommandPlay", kPlay);
    commandStop_ = MakeButton(this, "CommandStop", QStringLiteral("关闭(&U)"),
                              QStringLiteral("关闭当前影碟文件"));
    pictureScreen_ = new QVideoWidget(this);
    pictureScreen_->setObjectName(QStringLiteral("PictureScreen"));
    pictureScreen_->setAccessibleName(QStringLiteral("影碟画面"));
    // The picture fits the panel; a film's own size never widens the window.
    pictureScreen_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    labelTS_ = new QLabel(QStringLiteral("无打开的影碟文件！"), this);
    labelTS_->setObjectName(QStringLiteral("LabelTS"));
    labelTS_->setAlignment(Qt::AlignCenter);
    labelTS_->setStyleSheet(QStringLiteral("background: black; color: white;"));
    // The hint stands where the picture will be.
    auto* screen = new QStackedWidget(this);
    screen->addWidget(labelTS_);
    screen->addWidget(pictureScreen_);
    screen->setMinimumSize(320, 240);
    sliderP_ = new QSlider(Qt::Horizontal, this);
    sliderP_->setObjectName(QStringLiteral("SliderP"));
    sliderP_->setRange(0, kSliderMaximum);
    sliderP_->setAccessibleName(QStringLiteral("播放位置"));
    sliderP_->installEventFilter(this);
    labelTotal_ = new QLabel(QStringLiteral("总共0分0秒"), this);
    labelTotal_->setObjectName(QStringLiteral("LabelTotal"));
    labelCurrent_ = new QLabel(QStringLiteral("当前是第0分0秒"), this);
    labelCurrent_->setObjectName(QStringLiteral("LabelCurrent"));

    auto* layout = new QGridLayout(this);
    layout->addWidget(screen, 0, 0, 1, 3);
    layout->addWidget(sliderP_, 1, 0, 1, 3);
    layout->addWidget(labelCurrent_, 2, 0);
    layout->addWidget(labelTotal_, 2, 2, Qt::AlignRight);
    layout->addWidget(commandOpen_, 3, 0);
    layout->addWidget(commandPlay_, 3, 1);
    layout->addWidget(commandStop_, 3, 2);
    layout->setRowStretch(0, 1);

    timerP_ = new QTimer(this);
    timerP_->setObjectName(QStringLiteral("TimerP"));
    timerP_->setInterval(1000);

    connect(commandOpen_, &QPushButton::clicked, this, &VcdPreview::onCommandOpenClicked);
    connect(commandPlay_, &QPushButton::clicked, this, &VcdPreview::onCommandPlayClicked);
    connect(commandStop_, &QPushButton::clicked, this, &VcdPreview::stop);
    connect(timerP_, &QTimer::timeout, this, &VcdPreview::onTimer);
    stop();
    setFoldedOut(false);
    labelCurrent_->setText(QStringLiteral("当前是第0分0秒"));
}

VcdPreview::~VcdPreview()
{
    if (player_)
        player_->stop();
}

// The media backend is started only for a file, not with every synopsis window.
QMediaPlayer* VcdPreview::ensurePlayer()
{
    if (player_)
        return player_;
    player_ = new QMediaPlayer(this);
    player_->setVideoOutput(pictureScreen_);
    connect(player_, &QMediaPlayer::durationChanged, this, [this](qint64 duration) {
        if (!player_->source().isEmpty())
            labelTotal_->setText(QStringLiteral("总共") + PlayTimeText(duration));
    });
    // The player says when the file has ended; no texts are compared.
    connect(player_, &QMediaPlayer::mediaStatusChanged, this,
            [this](QMediaPlayer::MediaStatus status) {
                if (status == QMediaPlayer::EndOfMedia && commandPlay_->text() == kPause)
                    stop();
            });
    return player_;
}

void VcdPreview::setFoldedOut(bool out)
{
    if (!out)
        stop();
    commandOpen_->setEnabled(out);
}

void VcdPreview::onCommandOpenClicked()
{
    const QString path = ComnDialogBox(this, QStringLiteral("选择影碟文件"),
                                       QStringLiteral("VCD文件(*.dat)"), QStringLiteral("*.dat"));
    if (!path.isEmpty())
        openFile(path);
}

void VcdPreview::openFile(const QString& path)
{
    ensurePlayer()->setSource(QUrl::fromLocalFile(path));
    labelTotal_->setText(QStringLiteral("总共") + PlayTimeText(player_->duration()));
    pictureScreen_->setToolTip(path);
    commandOpen_->setEnabled(false);
    commandPlay_->setEnabled(true);
    commandStop_->setEnabled(true);
    sliderP_->setEnabled(true);
    timerP_->start();
    qobject_cast<QStackedWidget*>(labelTS_->parentWidget())->setCurrentWidget(pictureScreen_);
}

void VcdPreview::onCommandPlayClicked()
{
    commandStop_->setEnabled(true);
    commandOpen_->setEnabled(false);
    if (commandPlay_->text() == kPlay) {
        ensurePlayer()->play();
        commandPlay_->setText(kPause);
    } else {
        ensurePlayer()->pause();
        commandPlay_->setText(kPlay);
    }
}

void VcdPreview::stop()
{
    if (player_) {
        player_->stop();
        player_->setSource(QUrl());
    }
    pictureScreen_->setToolTip(QString());
    commandOpen_->setEnabled(true);
    commandPlay_->setEnabled(false);
    commandPlay_->setText(kPlay);
    commandStop_->setEnabled(false);
    labelTotal_->setText(QStringLiteral("总共0分0秒"));
    labelCurrent_->setText(QStringLiteral("当前是0分0秒"));
    qobject_cast<QStackedWidget*>(labelTS_->parentWidget())->setCurrentWidget(labelTS_);
    sliderP_->setValue(0);
    sliderP_->setEnabled(false);
    timerP_->stop();
}

void VcdPreview::onTimer()
{
    if (!player_)
        return;
    const qint64 position = player_->position();
    const qint64 length = player_->duration();
    labelCurrent_->setText(QStringLiteral("当前是") + PlayTimeText(position));
    if (length > 0)
        sliderP_->setValue(int(std::lround(double(position) / double(length) * kSliderMaximum)));
}

bool VcdPreview::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == sliderP_) {
        if (event->type() == QEvent::MouseButtonPress)
            timerP_->stop(); // the clerk moves it, not the clock
        else if (event->type() == QEvent::MouseButtonRelease)
            sliderReleased(static_cast<QMouseEvent*>(event)->button());
    }
    return QGroupBox::eventFilter(watched, event);
}

void VcdPreview::sliderReleased(Qt::MouseButton button)
{
    if (button == Qt::LeftButton && player_) {
        player_->pause();
        player_->setPosition(
            qint64(std::llround(double(sliderP_->value()) / kSliderMaximum * player_->duration())));
        player_->play();
        commandPlay_->setText(kPause);
    }
    timerP_->start();
}
