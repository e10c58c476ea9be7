#include "FormRMYD.h"
#include "core/store/Shop.h"

#include "ui/common/Controls.h"
#include "ui/common/MessageBox.h"
#include "ui/common/WindowSupport.h"

#include "core/stats/Figures.h"
#include "core/store/Errors.h"

#include <QGroupBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>

FormRMYD::FormRMYD(Shop& shop, QWidget* parent) : QDialog(parent), shop_(shop)
{
    setObjectName(QStringLiteral("FormRMYD"));
    setWindowTitle(QStringLiteral("热门影碟"));
    const auto list = [this](const char* frameName, const QString& title, const char* boxName) {
        auto* frame = new QGroupBox(title, this);
        frame->setObjectName(QString::fromLatin1(frameName));
        auto* box = new QPlainTextEdit(frame);
        box->setObjectName(QString::fromLatin1(boxName));
        box->setReadOnly(true);
        box->setLineWrapMode(QPlainTextEdit::NoWrap);
        NameForScreenReaders(box, title);
        auto* layout = new QVBoxLayout(frame);
        layout->addWidget(box);
        return std::pair{frame, box};
    };
    const auto [frame2, textRM] = list("Frame2", QStringLiteral("热门影碟排行榜 ： "), "TextRM");
    const auto [frame1, textXD] = list("Frame1", QStringLiteral("新到的影碟 ： "), "TextXD");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame2, 3);
    layout->addWidget(frame1, 2);
    resize(520, 520);
    try {
        // The lists end their lines with CR LF; the box wants one line break.
        textXD->setPlainText(
            NewArrivalsText(shop_).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        textRM->setPlainText(
            RankingText(shop_).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    } catch (const MovrntError& error) {
        ReportError(error);
    }
}
