#include "support/TestEnv.h"
#include "support/UiHelpers.h"

#include "core/labels/Labels.h"
#include "core/store/Clock.h"
#include "ui/common/Seams.h"
#include "ui/labels/FormTMBQ.h"
#include "ui/labels/LabelPainter.h"

#include <QAction>
#include <QImage>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <memory>
#include <zbar.h>

using namespace zbar;

namespace {
// What a barcode reader reads off a label printed at `dpi`: every code it finds.
QStringList ScanBack(const LabelItem& item, QSizeF mm, int dpi)
{
    const double dotsPerMm = dpi / 25.4;
    QImage image(qRound(mm.width() * dotsPerMm), qRound(mm.height() * dotsPerMm),
                 QImage::Format_Grayscale8);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        if (!PaintLabel(painter, QRectF(QPointF(0, 0), image.size()), dotsPerMm, item))
            return {};
    }
    QByteArray pixels;
    for (int y = 0; y < image.height(); ++y)
        pixels.append(reinterpret_cast<const char*>(image.constScanLine(y)), image.width());
    zbar_image_scanner_t* scanner = zbar_image_scanner_create();
    zbar_image_scanner_set_config(scanner, ZBAR_NONE, ZBAR_CFG_ENABLE, 0);
    zbar_image_scanner_set_config(scanner, ZBAR_CODE128, ZBAR_CFG_ENABLE, 1);
    zbar_image_t* picture = zbar_image_create();
    zbar_image_set_format(picture, zbar_fourcc('Y', '8', '0', '0'));
    zbar_image_set_size(picture, unsigned(image.width()), unsigned(image.height()));
    zbar_image_set_data(picture, pixels.constData(), unsigned(pixels.size()), nullptr);
    zbar_scan_image(scanner, picture);
    QStringList read;
    for (const zbar_symbol_t* symbol = zbar_image_first_symbol(picture); symbol;
         symbol = zbar_symbol_next(symbol))
        read << QString::fromLatin1(zbar_symbol_get_data(symbol));
    zbar_image_destroy(picture);
    zbar_image_scanner_destroy(scanner);
    return read;
}
} // namespace

class TestLabels : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestHome> home;

private Q_SLOTS:
    void init()
    {
        home = std::make_unique<TestHome>();
        home->setSettings({{"FirstRunTime", "False"}});
        OpenDatabase();
    }
    void cleanup()
    {
        Seams() = {};
        CloseDatabase();
        home.reset();
    }

    // The printed label scans back to its number, on a roll's label and on
    // the smallest cell of a crowded sheet, at a label printer's resolution.
    void labelScansBack_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QSizeF>("mm");
        QTest::addColumn<int>("dpi");
        QTest::newRow("disc, roll") << "V0012" << QSizeF(50, 30) << 203;
        QTest::newRow("digits pack in pairs") << "2003110901" << QSizeF(50, 30) << 300;
        QTest::newRow("letters, blank and signs") << "M-01 a/b" << QSizeF(70, 37) << 300;
        QTest::newRow("one character") << "7" << QSizeF(30, 15) << 203;
        QTest::newRow("twenty characters on the smallest label")
            << "ABCDEFGHIJ0123456789" << QSizeF(30, 15) << 600;
    }
    void labelScansBack()
    {
        QFETCH(QString, number);
        QFETCH(QSizeF, mm);
        QFETCH(int, dpi);
        QCOMPARE(ScanBack({number, QStringLiteral("英雄本色")}, mm, dpi), QStringList{number});
    }

    // Numbers Code 128 cannot carry get no label and are named; unknown
    // numbers are left out; dates of other shapes count by their day.
    void selections()
    {
        InsertDisc("V1", "/", "/", "否", "VCD", "甲", "故事片", "2003-11-01");
        InsertDisc("V2", "/", "/", "否", "VCD", "乙", "故事片", "2003-11-05");
        InsertDisc("V3", "/", "/", "否", "DVD", "丙", "故事片", "2003/11/7");
        InsertDisc("V4", "/", "/", "否", "DVD", "丁", "故事片", "2003-10-1");
        InsertDisc("影1", "/", "/", "否", "DVD", "戊", "故事片", "2003-11-06");
        InsertMember("M1", "张三", "男", 0, 100, 50, 0, "2003-11-08");
        const auto numbers = [](const LabelSelection& selection) {
            QStringList shown;
            for (const LabelItem& item : selection.items)
                shown << item.number + u' ' + item.text;
            return shown;
        };
        LabelSelection since = LabelsSince(TestShop(), LabelSubject::Discs, "2003-11-5");
        QCOMPARE(numbers(since), QStringList({"V2 乙", "V3 丙"}));
        QCOMPARE(since.refused, QStringList{"影1"});
        LabelSelection chosen =
            LabelsOf(TestShop(), LabelSubject::Discs, {"V4", "nobody", "影1", "V1"});
        QCOMPARE(numbers(chosen), QStringList({"V4 丁", "V1 甲"}));
        QCOMPARE(chosen.refused, QStringList{"影1"});
        QCOMPARE(numbers(LabelsSince(TestShop(), LabelSubject::Members, "2003-11-08")),
                 QStringList{"M1 张三"});
        QVERIFY_THROWS_EXCEPTION(MovrntError,
                                 LabelsSince(TestShop(), LabelSubject::Members, "昨天"));
    }

    void sheets_data()
    {
        QTest::addColumn<bool>("roll");
        QTest::addColumn<QList<int>>("sizes"); // rows, columns, margin, width, height
        QTest::addColumn<bool>("fine");
        QTest::newRow("3 × 8 sheet") << false << QList<int>{8, 3, 10, 0, 0} << true;
        QTest::newRow("cells too narrow") << false << QList<int>{8, 7, 10, 0, 0} << false;
        QTest::newRow("cells too low") << false << QList<int>{20, 2, 10, 0, 0} << false;
        QTest::newRow("roll label") << true << QList<int>{0, 0, 0, 50, 30} << true;
        QTest::newRow("roll label too small") << true << QList<int>{0, 0, 0, 25, 30} << false;
    }
    void sheets()
    {
        QFETCH(bool, roll);
        QFETCH(QList<int>, sizes);
        QFETCH(bool, fine);
        const LabelSheet sheet{roll, sizes[0], sizes[1], sizes[2], sizes[3], sizes[4]};
        QCOMPARE(LabelSheetProblem(sheet).isEmpty(), fine);
        if (!fine)
            return;
        // Set once: the next opening offers it again.
        QVERIFY(StoreLabelSheet(sheet));
        const LabelSheet stored = StoredLabelSheet();
        QCOMPARE(stored.roll, roll);
        const QList<int> kept = roll ? QList<int>{stored.widthMm, stored.heightMm}
                                     : QList<int>{stored.rows, stored.columns, stored.marginMm};
        QCOMPARE(kept, roll ? sizes.mid(3, 2) : sizes.mid(0, 3));
    }

    // Twenty-five discs on a sheet of 3 × 8 are two pages; scanned numbers
    // not in the shop print nothing and say so.
    void windowPrintsASheet()
    {
        QStringList scanned;
        for (int i = 1; i <= 25; ++i) {
            InsertDisc(QStringLiteral("V%1").arg(i, 2, 10, QLatin1Char('0')));
            scanned << QStringLiteral("V%1").arg(i, 2, 10, QLatin1Char('0'));
        }
        FormTMBQ form(TestShop());
        ScriptedMessages messages;
        form.setNumbers(LabelSubject::Discs, {"X1"});
        Press(&form, "CommandYL");
        QCOMPARE(messages.texts(), QStringList{"没有要打印标签的影碟！"});
        form.setNumbers(LabelSubject::Discs, scanned);
        const QString pdf = home->folder() + QStringLiteral("/labels.pdf");
        Seams().saveFile = [&](const QString&, const QString&, const QString&) { return pdf; };
        Seams().execDialog = [](QDialog& dialog) {
            dialog.findChild<QAction*>(QStringLiteral("ExportPdf"))->trigger();
            return int(QDialog::Rejected);
        };
        Press(&form, "CommandYL");
        QCOMPARE(messages.texts(),
                 QStringList({"没有要打印标签的影碟！", "条码标签已导出到 " + pdf}));
        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {pdf});
        QVERIFY(info.waitForFinished());
        const QString about = QString::fromUtf8(info.readAllStandardOutput());
        QVERIFY2(about.contains(QRegularExpression("Pages:\\s+2\\n")), qPrintable(about));
        QVERIFY2(about.contains(QRegularExpression("Page size:.*\\(A4\\)")),
                 qPrintable(about)); // A4
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished());
        const QString content = QString::fromUtf8(text.readAllStandardOutput());
        QVERIFY(content.contains(QStringLiteral("V01")) && content.contains(QStringLiteral("V25")));
        QCOMPARE(StoredLabelSheet().rows, 8);
    }
};

MOVRNT_TEST_MAIN(TestLabels)
#include "tst_labels.moc"
