#include "FormLRJJ.h"
#include "core/store/Shop.h"

#include "DiscFields.h"
#include "VcdPreview.h"
#include "ui/common/Seams.h"
#include "ui/common/WindowSupport.h"

#include "core/catalogue/Discs.h"
#include "core/store/Errors.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// Label name and caption, in the order of the disc fields they show.
const QList<std::pair<const char*, const char16_t*>> kLabels = {
    {"LabelPM", u"片名 ："},        {"LabelZY", u"主演 ："},       {"LabelGJ", u"影片国籍 ："},
    {"LabelYPLX", u"影片类型 ："},  {"LabelYDLX", u"影碟类型 ："}, {"LabelRKRQ", u"入库日期 ："},
    {"LabelSFCZ", u"是否已出租 ："}};
} // namespace

FormLRJJ::FormLRJJ(Shop& shop, QWidget* parent) : QDialog(parent), shop_(shop)
{
    setObjectName(QStringLiteral("FormLRJJ"));
    setWindowTitle(QStringLiteral("影碟简介"));

    auto* label1 = new QLabel(QStringLiteral("请输入影碟的编号 ： "), this);
    label1->setObjectName(QStringLiteral("Label1"));
    textBH_ = MakeLine(this, "TextBH");
    label1->setBuddy(textBH_);
    NameForScreenReaders(textBH_, label1->text());
    auto* commandCK = MakeButton(this, "CommandCK", QStringLiteral("查看"),
                                 QStringLiteral("查看内容简介和影碟图片"));
    commandCK->setDefault(true);

    auto* frameYDLR = new QGroupBox(QStringLiteral("影碟内容  "), this);
    frameYDLR->setObjectName(QStringLiteral("FrameYDLR"));
    auto* fields = new QVBoxLayout(frameYDLR);
    for (const auto& [name, caption] : kLabels) {
        auto* label = new QLabel(QString::fromUtf16(caption), frameYDLR);
        label->setObjectName(QString::fromLatin1(name));
        label->setTextFormat(Qt::PlainText);
        fields->addWidget(label);
        labels_ << label;
    }
    fields->addStretch();
    imageYDFM_ = MakeCoverBox(this);

    auto* frame1 = new QGroupBox(QStringLiteral(" 内容简介 "), this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    textNRJJ_ = new QPlainTextEdit(frame1);
    textNRJJ_->setObjectName(QStringLiteral("TextNRJJ"));
    textNRJJ_->setReadOnly(true);
    textNRJJ_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    textNRJJ_->setAccessibleName(QStringLiteral("内容简介"));
    auto* synopsis = new QVBoxLayout(frame1);
    synopsis->addWidget(textNRJJ_);

    auto* label2 = new QLabel(QStringLiteral("用户提示：影碟预览现在只支持VCD格式！"), this);
    label2->setObjectName(QStringLiteral("Label2"));
    auto* commandYDYL = MakeButton(this, "CommandYDYL", QStringLiteral("打开影碟预览(&A) >>"));

    auto* lookUp = new QHBoxLayout;
    lookUp->addWidget(label1);
    lookUp->addWidget(textBH_, 1);
    lookUp->addWidget(commandCK);
    auto* middle = new QHBoxLayout;
    middle->addWidget(frameYDLR, 1);
    middle->addWidget(imageYDFM_, 0, Qt::AlignTop);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(label2, 1);
    bottom->addWidget(commandYDYL);
    auto* disc = new QVBoxLayout;
    disc->addLayout(lookUp);
    disc->addLayout(middle);
    disc->addWidget(frame1, 1);
    disc->addLayout(bottom);
    // The preview folds out to the right, widening the window by its width.
    preview_ = new VcdPreview(this);
    preview_->hide();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(disc, 1);
    layout->addWidget(preview_);
    resize(520, 560);

    connect(commandCK, &QPushButton::clicked, this, &FormLRJJ::onCommandCKClicked);
    connect(commandYDYL, &QPushButton::clicked, this, [this, commandYDYL] {
        const bool out = preview_->isHidden();
        // Folding in takes away what the panel has become.
        const int width =
            (out ? preview_->sizeHint().width() : preview_->width()) + this->layout()->spacing();
        this->layout()->activate(); // the width the window really has
        const int before = this->width();
        if (out) {
            const QRect frame = frameGeometry();
            const int screenWidth = ScreenSize().width();
            // Near the screen's edge the window first moves left.
            if (screenWidth - (frame.x() + frame.width()) < width)
                move(std::max(0, screenWidth - frame.width() - width), frame.y());
            preview_->show();
            resize(before + width, height());
        } else {
            preview_->hide();
            this->layout()->activate(); // lets go of the panel's minimum width
            resize(before - width, height());
        }
        preview_->setFoldedOut(out);
        commandYDYL->setText(out ? QStringLiteral("<< 关闭影碟预览(&D)")
                                 : QStringLiteral("打开影碟预览(&A) >>"));
    });
}

void FormLRJJ::done(int result)
{
    preview_->stop();
    QDialog::done(result);
}

void FormLRJJ::closeEvent(QCloseEvent* event)
{
    preview_->stop();
    QDialog::closeEvent(event);
}

void FormLRJJ::showDisc(const QString& bh)
{
    textBH_->setText(bh);
    load(bh);
}

void FormLRJJ::onCommandCKClicked()
{
    if (!load(textBH_->text()))
        Notice(QStringLiteral("没找到记录！"));
}

void FormLRJJ::clearDisc()
{
    textNRJJ_->clear();
    for (int i = 0; i < labels_.size(); ++i)
        labels_[i]->setText(QString::fromUtf16(kLabels[i].second));
    ShowPlaceholder(imageYDFM_);
}

bool FormLRJJ::load(const QString& bh)
{
    std::optional<Disc> disc;
    try {
        disc = FindDisc(shop_, bh);
    } catch (const MovrntError&) {
        // Shown as a disc that is not there: this window reports no errors.
    }
    if (!disc) {
        clearDisc();
        return false;
    }
    textNRJJ_->setPlainText(disc->pm + QStringLiteral(" ：") + disc->nrjj);
    const QStringList values = {disc->pm,   disc->zy,   disc->gj,   disc->lx,
                                disc->ydlx, disc->rkrq, disc->sfycz};
    for (int i = 0; i < labels_.size(); ++i)
        labels_[i]->setText(QString::fromUtf16(kLabels[i].second) + values[i]);
    ShowCover(shop_, imageYDFM_, bh);
    return true;
}
