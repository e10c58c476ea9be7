#include "ChineseQt.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {
// Words Qt's own Chinese translation does not have yet.
class MissingWords : public QTranslator
{
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char*, int) const override
    {
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0)
            return {};
        if (qstrcmp(source, "Folder") == 0 || qstrcmp(source, "Directory") == 0)
            return QStringLiteral("文件夹");
        if (qstrcmp(source, "Drive") == 0)
            return QStringLiteral("驱动器");
        if (qstrcmp(source, "File") == 0)
            return QStringLiteral("文件");
        return {};
    }
};
} // namespace

void PrepareChineseTimes()
{
    qputenv("LC_TIME", "zh_CN.UTF-8");
}

void UseChineseForQt(QCoreApplication& app)
{
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    auto* qtChinese = new QTranslator(&app);
    if (qtChinese->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                        QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(qtChinese);
    app.installTranslator(new MissingWords(&app));
}
