#pragma once

#include <QDialog>
#include <QStringList>
#include <QUrl>
#include <QWidget>

class Shop;
class QCheckBox;
class QLabel;
class QPushButton;
class QTextBrowser;
class QTimer;

// The program's version and build, as the About window shows them.
inline const QString kProgramVersion = QStringLiteral(MOVRNT_VERSION);
// The help page beside the program.
// Our home page.
inline const QString kHomePage = QStringLiteral("https://www.example.com/movrnt/");

// The first window: closes on any key or after five seconds.
class FormSplash : public QWidget
{
    Q_OBJECT
public:
    explicit FormSplash(QWidget* parent = nullptr);
    QTimer* timerUnload() const { return timerUnload_; }

Q_SIGNALS:
    void closed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void finish();

    QTimer* timerUnload_;
    bool finished_ = false;
};

// 关于凯络影碟出租管理系统.
class FormAbout : public QDialog
{
    Q_OBJECT
public:
    explicit FormAbout(Shop& shop, QWidget* parent = nullptr);

private:
    void startSysInfo();
    Shop& shop_;
};

// 每次一条: the tip of the day.
class FormTip : public QDialog
{
    Q_OBJECT
public:
    explicit FormTip(QWidget* parent = nullptr);
    const QStringList& tips() const { return tips_; }
    int currentTip() const { return current_; } // from 1; 0 before the first

private:
    void nextTip();

    QLabel* lblTipText_;
    QStringList tips_;
    int current_ = 0;
};

// The web page window: the help page, or any page beside the program. A page
// it cannot show (one on the web) goes to the desktop's own browser.
class FormWebSite : public QWidget
{
    Q_OBJECT
public:
    explicit FormWebSite(QWidget* parent = nullptr);
    // Loads a page; false when it went to the desktop's browser instead.
    bool load(const QUrl& address);
    QTextBrowser* browser() const { return browser_; }

private:
    QTextBrowser* browser_;
    QPushButton* commandHome_;
    QUrl address_;
    bool busy_ = false;
};

// True for a page the web page window shows itself: a file on this machine.
bool ShownInWindow(const QUrl& address);
// Asks the desktop to open a page (its browser) or address (its mail
// program); says so when it cannot.
void OpenInDesktop(const QUrl& address);
