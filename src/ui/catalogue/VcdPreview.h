#pragma once

#include <QGroupBox>

class QLabel;
class QMediaPlayer;
class QPushButton;
class QSlider;
class QTimer;
class QVideoWidget;

// 影碟预览: plays a VCD file (MPEG-1 ".dat") beside the disc's synopsis.
// No file → file open (播放) ⇄ playing (暂停) → no file again on 关闭, on
// folding in, on closing the window, and at the end of the file.
class VcdPreview : public QGroupBox
{
    Q_OBJECT
public:
    explicit VcdPreview(QWidget* parent = nullptr);
    ~VcdPreview() override;
    // The panel folded out (the open button usable) or in.
    void setFoldedOut(bool out);
    // Opens a file as if chosen with 打开.
    void openFile(const QString& path);
    void stop();
    QMediaPlayer* player() const { return player_; } // null until a file is opened
    QTimer* timer() const { return timerP_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMediaPlayer* ensurePlayer();
    void onCommandOpenClicked();
    void onCommandPlayClicked();
    void onTimer();
    void sliderReleased(Qt::MouseButton button);

    QMediaPlayer* player_ = nullptr;
    QVideoWidget* pictureScreen_;
    QLabel* labelTS_;
    QLabel* labelTotal_;
    QLabel* labelCurrent_;
    QSlider* sliderP_;
    QPushButton* commandOpen_;
    QPushButton* commandPlay_;
    QPushButton* commandStop_;
    QTimer* timerP_;
};
