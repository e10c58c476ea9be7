#pragma once

#include <QDialog>
#include <QString>
#include <functional>

class QLabel;
class QPushButton;
class MovrntError;

// Which control closed a message box.
enum class MsgButton
{
    Ok,
    Yes,
    No,
    Closed
};

// The program's own message window. Style 0 shows only 确定; any other style
// shows 是 and 否 with 是 as the default button.
class FormMsg : public QDialog
{
    Q_OBJECT
public:
    explicit FormMsg(QWidget* parent = nullptr);
    void setup(const QString& text, int style, const QString& title);
    MsgButton pressed() const { return pressed_; }
    // "information" for the title "用户提示", "warning" for every other title.
    QString iconName() const { return iconName_; }

private Q_SLOTS:
    void onCommandQDClicked();
    void onCommandYClicked();
    void onCommandNClicked();

private:
    QLabel* labelYHTS_;
    QLabel* imageIcon_;
    QPushButton* commandQD_;
    QPushButton* commandY_;
    QPushButton* commandN_;
    MsgButton pressed_ = MsgButton::Closed;
    QString iconName_;
};

// The answer of the last 是/否 box: 6 after 是, 7 after 否 (or after the box
// was closed without an answer).
int& MsgAnswer();

// Shows a message and returns MsgAnswer. Callers compare the answer with 6.
int ShowMessage(const QString& text, int style, const QString& title);

// Stands in for the real box, e.g. in tests: gets each message and says which
// button closed it. An empty presenter brings the real box back.
struct ShownMessage
{
    QString text;
    int style;
    QString title;
    bool standardBox = false; // shown in the platform's box, not FormMsg
};
using MessagePresenter = std::function<MsgButton(const ShownMessage&)>;
void SetMessagePresenter(MessagePresenter presenter);

// A notice in the platform's standard box (only 确定), where a window calls for it.
void ShowStandardMessage(QWidget* parent, const QString& text, const QString& title);

// The error report: asks whether to see the details, then shows the
// description, the source and where to send them.
void ReportError(const QString& description, const QString& source);
void ReportError(const MovrntError& error);

inline const QString kSupportAddress = QStringLiteral("support@movrnt.example.com");
// The shop's own support address (功能参数设置), else kSupportAddress.
QString SupportAddress();
