#include "FormXGYDXX.h"
#include "core/store/Shop.h"

#include "DiscFields.h"
#include "ui/common/DateField.h"
#include "ui/common/MessageBox.h"
#include "ui/common/WindowSupport.h"

#include "core/catalogue/Discs.h"
#include "core/store/Errors.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

FormXGYDXX::FormXGYDXX(Shop& shop, QWidget* parent) : QWidget(parent), shop_(shop)
{
    setObjectName(QStringLiteral("FormXGYDXX"));
    setWindowTitle(QStringLiteral("修改影碟信息"));

    textYDBH_ = MakeLine(this, "TextYDBH", QStringLiteral("在此输入要修改的影碟的编号"));
    auto* commandCK =
        MakeButton(this, "CommandCK", QStringLiteral("查看"), QStringLiteral("查看影碟信息"));
    textPM_ = MakeLine(this, "TextPM");
    comboLX_ = MakeCombo(this, "ComboLX");
    comboZY_ =
        MakeCombo(this, "ComboZY", QStringLiteral("如果有多个主演，则用一个空格将各名字隔开"));
    comboGJ_ = MakeCombo(this, "ComboGJ");
    dateRKRQ_ = new DateField(QStringLiteral("TextRKRQ"), QStringLiteral("DTPickerRQ"), this);
    textFMTP_ = MakeLine(this, "TextFMTP", QStringLiteral("封面图片的文件名"));
    auto* commandLN = MakeButton(this, "CommandLN", QStringLiteral("浏览(&C) ..."),
                                 QStringLiteral("选择封面图片"));
    imageYDFM_ = MakeCoverBox(this);
    textJJ_ = MakeSynopsisBox(this);
    auto* commandXG =
        MakeButton(this, "CommandXG", QStringLiteral("修改(&M)"), QStringLiteral("修改影碟信息"));

    auto* lookUp = new QHBoxLayout;
    lookUp->addWidget(MakeCaption(this, QStringLiteral("请输入影碟编号 : "), textYDBH_, "Label10"));
    lookUp->addWidget(textYDBH_, 1);
    lookUp->addWidget(commandCK);

    auto* grid = new QGridLayout;
    const auto row = [this, grid](int r, const QString& caption, QWidget* field) {
        grid->addWidget(MakeCaption(this, caption, field), r, 0, Qt::AlignRight);
        grid->addWidget(field, r, 1);
    };
    row(0, QStringLiteral("片名 : "), textPM_);
    row(1, QStringLiteral("类型 : "), comboLX_);
    row(2, QStringLiteral("主演 : "), comboZY_);
    row(3, QStringLiteral("国籍 : "), comboGJ_);
    row(4, QStringLiteral("入库日期 : "), dateRKRQ_);
    auto* picture = new QHBoxLayout;
    picture->addWidget(textFMTP_, 1);
    picture->addWidget(commandLN);
    grid->addWidget(MakeCaption(this, QStringLiteral("封面图片 : "), textFMTP_), 5, 0,
                    Qt::AlignRight);
    grid->addLayout(picture, 5, 1);
    grid->addWidget(MakeCaption(this, QStringLiteral("内容简介 : "), textJJ_), 6, 0,
                    Qt::AlignRight | Qt::AlignTop);
    grid->addWidget(textJJ_, 6, 1);
    grid->setColumnMinimumWidth(1, 280);
    grid->setRowStretch(6, 1);

    auto* middle = new QHBoxLayout;
    middle->addLayout(grid, 1);
    middle->addWidget(imageYDFM_, 0, Qt::AlignTop);
    QHBoxLayout* buttons = ButtonRow(this, nullptr, commandXG);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lookUp);
    layout->addLayout(middle);
    layout->addLayout(buttons);
    resize(640, 460);

    connect(commandCK, &QPushButton::clicked, this, &FormXGYDXX::onCommandCKClicked);
    connect(commandLN, &QPushButton::clicked, this, &FormXGYDXX::onCommandLNClicked);
    connect(commandXG, &QPushButton::clicked, this, &FormXGYDXX::onCommandXGClicked);

    try {
        FillDiscLists(shop_, comboLX_, comboZY_, comboGJ_);
    } catch (const MovrntError& error) {
        ReportError(error);
    }
}

void FormXGYDXX::lookUp(const QString& bh)
{
    textYDBH_->setText(bh);
    onCommandCKClicked();
}

void FormXGYDXX::onCommandCKClicked()
{
    const QString bh = textYDBH_->text();
    if (bh.isEmpty() || bh == u"/") {
        Refuse(QStringLiteral("请输入影碟编号！"), textYDBH_);
        return;
    }
    std::optional<Disc> disc;
    try {
        disc = FindDisc(shop_, bh);
    } catch (const MovrntError&) {
        ShowPlaceholder(imageYDFM_);
        return;
    }
    if (!disc) {
        Notice(QStringLiteral("没有找到记录！"));
        return;
    }
    textYDBH_->setText(disc->bh);
    textPM_->setText(disc->pm);
    comboLX_->setEditText(disc->lx);
    comboZY_->setEditText(disc->zy);
    comboGJ_->setEditText(disc->gj);
    dateRKRQ_->setText(disc->rkrq);
    textJJ_->setPlainText(disc->nrjj);
    textFMTP_->clear();
    ShowCover(shop_, imageYDFM_, disc->bh);
}

void FormXGYDXX::onCommandLNClicked()
{
    const QString path = ChooseCoverPicture(this);
    if (path.isEmpty())
        return;
    textFMTP_->setText(path);
    ShowPicture(imageYDFM_, path);
}

void FormXGYDXX::onCommandXGClicked()
{
    BusyStatus busy(QStringLiteral("正在修改影碟信息 ..."));
    const DiscChange change{textYDBH_->text(),       textPM_->text(),
                            comboLX_->currentText(), comboZY_->currentText(),
                            comboGJ_->currentText(), dateRKRQ_->text(),
                            textJJ_->toPlainText()};
    switch (CheckDiscChange(change)) {
    case DiscChangeCheck::EmptyNumber:
        Refuse(QStringLiteral("请输入影碟编号!"), textYDBH_);
        return;
    case DiscChangeCheck::BadGenre:
        Refuse(QStringLiteral("影片类型不正确，请重新输入！"), comboLX_);
        return;
    case DiscChangeCheck::EmptyDate:
        // This one message uses the standard box.
        ShowStandardMessage(this, QStringLiteral("必须输入入库日期！"), QStringLiteral("用户提示"));
        dateRKRQ_->textBox()->setFocus();
        return;
    case DiscChangeCheck::Ok:
        break;
    }
    try {
        if (!ModifyDisc(shop_, change)) {
            Notice(QStringLiteral("没有找到记录！"));
            return;
        }
        if (!textFMTP_->text().isEmpty()) {
            StoreCover(shop_, textFMTP_->text(), change.bh);
            ShowPicture(imageYDFM_, textFMTP_->text());
        }
        Notice(QStringLiteral("信息修改成功！"));
    } catch (const MovrntError& error) {
        Notice(QStringLiteral("信息修改失败！"));
        busy.done();
        ShowPlaceholder(imageYDFM_);
        ReportError(error);
    }
}
