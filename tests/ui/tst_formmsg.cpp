#include "support/TestEnv.h"

#include "ui/common/MessageBox.h"
#include "core/store/Errors.h"

#include <QLabel>
#include <QPushButton>

namespace {
QPushButton* Button(FormMsg& box, const char* name)
{
    return box.findChild<QPushButton*>(QString::fromLatin1(name));
}
} // namespace

class TestFormMsg : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void layoutFollowsStyleAndTitle_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("question");
        QTest::addColumn<QString>("icon");
        QTest::newRow("notice") << 0 << "用户提示" << false << "information";
        QTest::newRow("question") << 4 << "用户提示" << true << "information";
        QTest::newRow("warning question") << 4 << "用户警告" << true << "warning";
        QTest::newRow("any other style asks") << 1 << "用户警告" << true << "warning";
        QTest::newRow("error title") << 0 << "错误!" << false << "warning";
        QTest::newRow("title with a trailing blank") << 0 << "用户提示 " << false << "warning";
    }
    void layoutFollowsStyleAndTitle()
    {
        QFETCH(int, style);
        QFETCH(QString, title);
        QFETCH(bool, question);
        QFETCH(QString, icon);
        FormMsg box;
        box.setup(QStringLiteral("要现在设置密码吗？"), style, title);
        box.show();
        QCOMPARE(box.windowTitle(), title);
        QCOMPARE(box.findChild<QLabel*>(QStringLiteral("LabelYHTS"))->text(),
                 QStringLiteral("要现在设置密码吗？"));
        QCOMPARE(box.iconName(), icon);
        QVERIFY(!box.findChild<QLabel*>(QStringLiteral("ImageIcon"))->pixmap().isNull());
        QCOMPARE(Button(box, "CommandQD")->isVisible(), !question);
        QCOMPARE(Button(box, "CommandQD")->isDefault(), !question);
        QCOMPARE(Button(box, "CommandY")->isVisible(), question);
        QCOMPARE(Button(box, "CommandY")->isDefault(), question);
        QCOMPARE(Button(box, "CommandN")->isVisible(), question);
        QVERIFY(!Button(box, "CommandN")->isDefault());
    }

    void buttonsAndKeysAnswer_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("pressed");
        QTest::newRow("enter on a question") << 4 << "enter" << int(MsgButton::Yes);
        QTest::newRow("enter on a notice") << 0 << "enter" << int(MsgButton::Ok);
        QTest::newRow("yes") << 4 << "CommandY" << int(MsgButton::Yes);
        QTest::newRow("no") << 4 << "CommandN" << int(MsgButton::No);
        QTest::newRow("escape") << 4 << "escape" << int(MsgButton::Closed);
        QTest::newRow("frame close") << 4 << "close" << int(MsgButton::Closed);
    }
    void buttonsAndKeysAnswer()
    {
        QFETCH(int, style);
        QFETCH(QString, action);
        QFETCH(int, pressed);
        FormMsg box;
        box.setup(QStringLiteral("确定要现在退出吗？"), style, QStringLiteral("用户提示"));
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        if (action == u"enter")
            QTest::keyClick(&box, Qt::Key_Return);
        else if (action == u"escape")
            QTest::keyClick(&box, Qt::Key_Escape);
        else if (action == u"close")
            box.close();
        else
            QTest::mouseClick(Button(box, action.toLatin1().constData()), Qt::LeftButton);
        QVERIFY(!box.isVisible());
        QCOMPARE(int(box.pressed()), pressed);
    }

    void answersAreSixOrSeven_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("answer");
        // The previous box answered 是; a box closed without an answer must not inherit it.
        QTest::newRow("yes") << 4 << int(MsgButton::Yes) << 6;
        QTest::newRow("no") << 4 << int(MsgButton::No) << 7;
        QTest::newRow("question closed by its frame") << 4 << int(MsgButton::Closed) << 7;
        QTest::newRow("notice leaves the last answer") << 0 << int(MsgButton::Ok) << 6;
    }
    void answersAreSixOrSeven()
    {
        QFETCH(int, style);
        QFETCH(int, button);
        QFETCH(int, answer);
        QList<ShownMessage> shown;
        MsgButton next = MsgButton::Yes;
        SetMessagePresenter([&](const ShownMessage& message) {
            shown << message;
            return next;
        });
        QCOMPARE(ShowMessage(QStringLiteral("第一个"), 4, QStringLiteral("用户提示")), 6);
        next = MsgButton(button);
        QCOMPARE(ShowMessage(QStringLiteral("第二个"), style, QStringLiteral("用户警告")), answer);
        QCOMPARE(MsgAnswer(), answer);
        SetMessagePresenter({});
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[1].text, QStringLiteral("第二个"));
        QCOMPARE(shown[1].style, style);
        QCOMPARE(shown[1].title, QStringLiteral("用户警告"));
    }

    void errorReportDeclined()
    {
        ScriptedMessages messages;
        messages.queue({7});
        ReportError(
            MovrntError(QStringLiteral("no such table: ydxx"), QStringLiteral("MOVRNT.db")));
        QCOMPARE(messages.shown.size(), 1);
        QCOMPARE(messages.shown[0].text, QStringLiteral("系统发生错误，要查看错误的具体描述吗？"));
        QCOMPARE(messages.shown[0].style, 4);
        QCOMPARE(messages.shown[0].title, QStringLiteral("错误"));
    }

    void errorReportShowsThreeBoxesInOrder()
    {
        ScriptedMessages messages;
        messages.queue({6});
        ReportError(QString(), QStringLiteral("MOVRNT.db"));
        QCOMPARE(messages.shown.size(), 4);
        const QStringList titles = {"错误", "错误！", "错误!", "错误!"};
        const QStringList texts = {
            "系统发生错误，要查看错误的具体描述吗？", "错误描述 : ", "错误来源 : MOVRNT.db",
            "已检测到系统出现了错误！请将错误提示信息发送到" + kSupportAddress};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(messages.shown[i].title, titles[i]);
            QCOMPARE(messages.shown[i].text, texts[i]);
            QCOMPARE(messages.shown[i].style, i == 0 ? 4 : 0);
        }
    }
};

MOVRNT_TEST_MAIN(TestFormMsg)
#include "tst_formmsg.moc"
