#include "FormTJYDXX.h"
#include "core/store/Shop.h"

#include "DiscFields.h"
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

FormTJYDXX::FormTJYDXX(Shop& shop, QWidget* parent) : QWidget(parent), shop_(shop)
{
    setObjectName(QStringLiteral("FormTJYDXX"));
    setWindowTitle(QStringLiteral("添加影碟信息"));

    textBH_ = MakeLine(this, "TextBH");
    textPM_ = MakeLine(this, "TextPM");
    comboLX_ = MakeCombo(this, "ComboLX");
    comboZY_ =
        MakeCombo(this, "ComboZY", QStringLiteral("如果有多个主演，则用一个空格将各名字隔开"));
    comboGJ_ = MakeCombo(this, "ComboGJ");
    comboYDLX_ = MakeCombo(this, "ComboYDLX");
    textFMTP_ = MakeLine(this, "TextFMTP", QStringLiteral("封面图片的文件名"));
    auto* commandLN = MakeButton(this, "CommandLN", QStringLiteral("浏览(&C) ..."),
                                 QStringLiteral("选择封面图片"));
    imageYDFM_ = MakeCoverBox(this);
    textJJ_ = MakeSynopsisBox(this);
    auto* commandTJ = MakeButton(this, "CommandTJ", QStringLiteral("添加"));

    auto* grid = new QGridLayout;
    const auto row = [this, grid](int r, const QString& caption, QWidget* field) {
        grid->addWidget(MakeCaption(this, caption, field), r, 0, Qt::AlignRight);
        grid->addWidget(field, r, 1);
    };
    row(0, QStringLiteral("# 影碟编号 : "), textBH_);
    row(1, QStringLiteral("片名 : "), textPM_);
    row(2, QStringLiteral("类型 : "), comboLX_);
    row(3, QStringLiteral("主演 : "), comboZY_);
    row(4, QStringLiteral("国籍 : "), comboGJ_);
    row(5, QStringLiteral("影碟类型 : "), comboYDLX_);
    auto* picture = new QHBoxLayout;
    picture->addWidget(textFMTP_, 1);
    picture->addWidget(commandLN);
    grid->addWidget(MakeCaption(this, QStringLiteral("封面图片 : "), textFMTP_), 6, 0,
                    Qt::AlignRight);
    grid->addLayout(picture, 6, 1);
    grid->addWidget(MakeCaption(this, QStringLiteral("内容简介 : "), textJJ_), 7, 0,
                    Qt::AlignRight | Qt::AlignTop);
    grid->addWidget(textJJ_, 7, 1);
    grid->setColumnMinimumWidth(1, 280);
    grid->setRowStretch(7, 1);

    auto* top = new QHBoxLayout;
    top->addLayout(grid, 1);
    top->addWidget(imageYDFM_, 0, Qt::AlignTop);
    QHBoxLayout* buttons = ButtonRow(this, RequiredHint(this, "Label8"), commandTJ);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    resize(640, 440);

    connect(commandLN, &QPushButton::clicked, this, &FormTJYDXX::onCommandLNClicked);
    connect(commandTJ, &QPushButton::clicked, this, &FormTJYDXX::onCommandTJClicked);

    FillCombo(comboYDLX_, DiscTypes());
    try {
        fillLists();
    } catch (const MovrntError& error) {
        ReportError(error);
    }
}

void FormTJYDXX::fillLists()
{
    FillDiscLists(shop_, comboLX_, comboZY_, comboGJ_);
    ShowPlaceholder(imageYDFM_);
}

void FormTJYDXX::onCommandLNClicked()
{
    const QString path = ChooseCoverPicture(this);
    if (path.isEmpty())
        return;
    textFMTP_->setText(path);
    ShowPicture(imageYDFM_, path);
}

void FormTJYDXX::onCommandTJClicked()
{
    BusyStatus busy(QStringLiteral("正在添加影碟信息 ..."));
    const NewDisc disc{textBH_->text(),         textPM_->text(),         comboLX_->currentText(),
                       comboZY_->currentText(), comboGJ_->currentText(), comboYDLX_->currentText(),
                       textJJ_->toPlainText()};
    try {
        switch (CheckNewDisc(shop_, disc)) {
        case NewDiscCheck::NumberInUse:
            Notice(QStringLiteral("您输入的编号已被使用，请重新输入一个编号！"));
            return;
        case NewDiscCheck::BadGenre:
            Refuse(QStringLiteral("影片类型不正确，请重新输入！"), comboLX_);
            return;
        case NewDiscCheck::BadDiscType:
            Refuse(QStringLiteral("影碟类型不正确，请重新输入！"), comboYDLX_);
            return;
        case NewDiscCheck::EmptyNumber:
            Refuse(QStringLiteral("影碟编号不能为空!"), textBH_);
            return;
        case NewDiscCheck::Ok:
            break;
        }
        AddDisc(shop_, disc);
        if (!textFMTP_->text().isEmpty()) {
            StoreCover(shop_, textFMTP_->text(), disc.bh);
            ShowPlaceholder(imageYDFM_);
        }
        fillLists();
        for (QLineEdit* box : {textBH_, textPM_, textFMTP_})
            box->clear();
        for (QComboBox* combo : {comboLX_, comboZY_, comboGJ_, comboYDLX_})
            combo->setEditText(QString());
        textJJ_->clear();
        textBH_->setFocus();
        Notice(QStringLiteral("影碟信息添加成功"));
    } catch (const MovrntError& error) {
        Notice(QStringLiteral("信息添加失败！"));
        busy.done();
        ShowPlaceholder(imageYDFM_);
        ReportError(error);
    }
}
