#include "support/TestEnv.h"

#include "core/auxiliary/Auxiliary.h"

#include "core/store/DateText.h"

class TestDates : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void formatDateText_data()
    {
        // clang-format off
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        QTest::newRow("one-digit month and day") << "2003-1-5" << "2003-01-05";
        QTest::newRow("one-digit month") << "2003-1-15" << "2003-01-15";
        QTest::newRow("one-digit day") << "2003-11-5" << "2003-11-05";
        QTest::newRow("slashes kept") << "2003/1/15" << "2003/01/15";
        QTest::newRow("already padded") << "2003-11-15" << "2003-11-15";
        QTest::newRow("too short to read") << "5" << "1900-01-01";
        QTest::newRow("empty") << "" << "1900-01-01";
        // clang-format on
    }
    void formatDateText()
    {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QCOMPARE(FormatDateText(input), expected);
    }

    void normalDateText_data()
    {
        // clang-format off
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        QTest::newRow("short parts") << "2003-1-5" << "2003-01-05";
        QTest::newRow("slashes") << "2003/11/01" << "2003-11-01";
        QTest::newRow("no such day") << "2003-02-30" << "";
        QTest::newRow("not a date") << "/" << "";
        QTest::newRow("trailing text") << "2003-11-01 12:00" << "";
        // clang-format on
    }
    void normalDateText()
    {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QCOMPARE(NormalDateText(input), expected);
    }

    void dayCount_data()
    {
        // clang-format off
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<qint64>("days");
        // The calendar itself is checked against QDate by fuzzing; these are the texts it reads.
        QTest::newRow("unpadded input") << "2003-1-5" << "2003-1-15" << qint64(10);
        QTest::newRow("letters in the year") << "20x3-11-01" << "2003-11-09" << qint64(0);
        QTest::newRow("letters in the day") << "2003-11-01" << "2003-11-ab" << qint64(0);
        QTest::newRow("empty") << "" << "2003-11-09" << qint64(0);
        QTest::newRow("no such date") << "2003-02-30" << "2003-03-01" << qint64(0);
        // clang-format on
    }
    void dayCount()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(qint64, days);
        QCOMPARE(DayCount(from, to), days);
    }

    void playTimeText_data()
    {
        QTest::addColumn<qint64>("milliseconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("nothing") << qint64(0) << "0分0秒";
        QTest::newRow("59.7 s") << qint64(59700) << "1分0秒";
        QTest::newRow("61.4 s") << qint64(61400) << "1分1秒";
        QTest::newRow("an hour") << qint64(3600000) << "60分0秒";
    }
    void playTimeText()
    {
        QFETCH(qint64, milliseconds);
        QFETCH(QString, text);
        QCOMPARE(PlayTimeText(milliseconds), text);
    }
};

MOVRNT_TEST_MAIN(TestDates)
#include "tst_dates.moc"
