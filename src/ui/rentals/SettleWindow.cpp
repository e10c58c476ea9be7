#include "SettleWindow.h"
#include "core/store/Shop.h"

#include "ReceiptSlip.h"
#include "ui/app/Navigator.h"
#include "ui/common/Controls.h"
#include "ui/common/MessageBox.h"
#include "ui/common/WindowSupport.h"

#include "core/money/Ledger.h"
#include "core/store/Errors.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
struct Words
{
    QString busy, differentDays, alreadySettled, wrongKind, failed;
    QString done; // what the preview says of a range once it is settled
};

Words WordsFor(SettleKind kind)
{
    if (kind == SettleKind::WalkInCheckout)
        return {QStringLiteral("正在执行结帐操作 ..."),
                QStringLiteral("影碟出租日期不一致，不能统一结帐!"),
                QStringLiteral("部分碟片已经结帐，不能统一结帐!"),
                QStringLiteral("只有零散顾客才能结帐；会员请使用会员还碟功能！"),
                QStringLiteral("结帐不能进行，请检查您输入的自动编号是否正确！"),
                QStringLiteral("已结帐")};
    return {QStringLiteral("正在执行退碟操作 ..."),
            QStringLiteral("影碟出租日期不一致，不能统一退还!"),
            QStringLiteral("部分碟片已经退还，不能统一退还!"),
            QStringLiteral("只有会员才能退还；零散客户请使用结帐功能！"),
            QStringLiteral("退还不能进行，请检查您输入的自动编号是否正确！"),
            QStringLiteral("已退还")};
}

QString RefusalText(const Words& words, SettleRefusal refusal)
{
    switch (refusal) {
    case SettleRefusal::DifferentDays:
        return words.differentDays;
    case SettleRefusal::AlreadySettled:
        return words.alreadySettled;
    case SettleRefusal::WrongCustomerKind:
        return words.wrongKind;
    case SettleRefusal::ClockBeforeRental:
        return QStringLiteral("今天的日期早于租借日期，请检查计算机的日期！");
    case SettleRefusal::LateFeeChanged:
        return QStringLiteral("超期罚金刚刚改变，请重新退还！");
    case SettleRefusal::None:
        break;
    }
    return {};
}

// Wider ranges are added up when they are settled, not at every key.
constexpr qint64 kPreviewSpan = 1000;

QLineEdit* OutputBox(QWidget* parent, const char* name)
{
    QLineEdit* box = MakeLine(parent, name);
    box->setReadOnly(true);
    box->setMaximumWidth(110);
    return box;
}
} // namespace

SettleWindow::SettleWindow(Shop& shop, SettleKind kind, QWidget* parent)
    : QWidget(parent), shop_(shop), kind_(kind)
{
    textBH1_ = MakeLine(this, "TextBH1");
    textBH2_ = MakeLine(this, "TextBH2");
    textBH1_->setAccessibleName(QStringLiteral("起始自动编号"));
    textBH2_->setAccessibleName(QStringLiteral("结束自动编号"));
    textVCD_ = OutputBox(this, "TextVCD");
    textDVD_ = OutputBox(this, "TextDVD");
    textTS_ = OutputBox(this, "TextTS");
    labelYL_ = new QLabel(this);
    labelYL_->setObjectName(QStringLiteral("LabelYL"));
    labelYL_->setWordWrap(true);
    labelYL_->setAccessibleName(QStringLiteral("结算预览"));
    for (QLineEdit* box : {textBH1_, textBH2_})
        connect(box, &QLineEdit::textChanged, this, &SettleWindow::updatePreview);
}

void SettleWindow::updatePreview()
{
    qint64 first = 0, last = 0;
    QString text;
    if (CheckRange(textBH1_->text(), textBH2_->text(), &first, &last) == RangeCheck::Ok &&
        last - first < kPreviewSpan) {
        try {
            const Settlement settlement = PreviewSettlement(shop_, kind_, first, last);
            text = settlement.refusal == SettleRefusal::None
                       ? previewText(settlement, first, last)
                       : RefusalText(WordsFor(kind_), settlement.refusal);
        } catch (const MovrntError& error) {
            text = error.description();
        }
    }
    labelYL_->setText(text);
}

QLineEdit* SettleWindow::figureBox(const char* name)
{
    return OutputBox(this, name);
}

void SettleWindow::setUp(const QList<std::tuple<const char*, QString, QString, QLineEdit*>>& extra,
                         QPushButton* button)
{
    auto* label11 = new QLabel(
        QStringLiteral(
            "请输入自动编号范围（如果只有一张影碟，则在两个文本框输入同样的自动编号） ："),
        this);
    label11->setObjectName(QStringLiteral("Label11"));
    // One line: wrapped, it left the closing "：" alone on the next one.
    auto* label12 = new QLabel(QStringLiteral("到"), this);
    label12->setObjectName(QStringLiteral("Label12"));
    auto* image1 = new QLabel(this);
    image1->setObjectName(QStringLiteral("Image1"));
    image1->setPixmap(QPixmap(QStringLiteral(":/images/toolbar4.png")));
    auto* range = new QHBoxLayout;
    range->addWidget(image1);
    range->addWidget(textBH1_, 1);
    range->addWidget(label12);
    range->addWidget(textBH2_, 1);

    QList<std::tuple<const char*, QString, QString, QLineEdit*>> figures = {
        {"Label1", QStringLiteral("共"), QStringLiteral("张VCD"), textVCD_},
        {"Label3", QStringLiteral("共"), QStringLiteral("张DVD"), textDVD_},
        {"Label5", QStringLiteral("租借了"), QStringLiteral("天"), textTS_}};
    figures << extra;
    auto* grid = new QGridLayout;
    int row = 0;
    for (const auto& [name, before, after, box] : figures) {
        auto* first = new QLabel(before, this);
        first->setObjectName(QString::fromLatin1(name));
        first->setBuddy(box);
        box->setAccessibleName(before + after);
        auto* second = new QLabel(after, this);
        second->setObjectName(
            QStringLiteral("Label%1").arg(QString::fromLatin1(name).mid(5).toInt() + 1));
        grid->addWidget(first, row, 0, Qt::AlignRight);
        grid->addWidget(box, row, 1);
        grid->addWidget(second, row, 2);
        ++row;
    }
    grid->setColumnStretch(3, 1);

    QHBoxLayout* buttons = ButtonRow(this, nullptr, button);
    receipt_ = new ReceiptButton(this);
    buttons->insertWidget(buttons->indexOf(button), receipt_);
    // A disc the customer cannot bring back whole: settled on its own, with a charge.
    auto* loss = MakeButton(this, "CommandDSSH", QStringLiteral("丢失/损坏(&S)..."),
                            QStringLiteral("顾客丢失或损坏了影碟：登记并收取赔偿"));
    buttons->insertWidget(0, loss);
    connect(loss, &QPushButton::clicked, this,
            [this] { Navigator::registerLoss(this, textBH1_->text().trimmed()); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label11);
    layout->addLayout(range);
    layout->addWidget(labelYL_);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addLayout(buttons);
    resize(460, 160 + 30 * row);
}

void SettleWindow::setRange(const QString& zdbh)
{
    textBH1_->setText(zdbh);
    textBH2_->setText(zdbh);
}

void SettleWindow::settle()
{
    const Words words = WordsFor(kind_);
    BusyStatus busy(words.busy, true);
    receipt_->withdraw();
    qint64 first = 0, last = 0;
    switch (CheckRange(textBH1_->text(), textBH2_->text(), &first, &last)) {
    case RangeCheck::NotNumeric:
        Notice(QStringLiteral("自动编号必须为数字 !"));
        return;
    case RangeCheck::Descending:
        Notice(QStringLiteral("自动编号范围应该从小到大！"));
        return;
    case RangeCheck::Negative:
        Notice(QStringLiteral("自动编号不能为负!"));
        return;
    case RangeCheck::NotWhole:
        Notice(QStringLiteral("自动编号不能为小数!"));
        return;
    case RangeCheck::TooLarge:
        busy.done();
        Refuse(words.failed, textBH1_);
        return;
    case RangeCheck::Ok:
        break;
    }
    std::optional<Money> agreed;
    if (!agree(first, last, &agreed))
        return;
    Settlement settlement;
    try {
        settlement = Settle(shop_, kind_, first, last, agreed);
    } catch (const MovrntError&) {
        busy.done();
        Refuse(words.failed, textBH1_);
        return;
    }
    if (settlement.refusal != SettleRefusal::None) {
        Notice(RefusalText(words, settlement.refusal));
        return;
    }
    // The figures are shown once the records are settled, so the clerk never
    // collects money for a checkout that did not happen.
    textVCD_->setText(QString::number(settlement.vcd));
    textDVD_->setText(QString::number(settlement.dvd));
    textTS_->setText(QString::number(settlement.days));
    showAmounts(settlement);
    labelYL_->setText(words.done + QStringLiteral("：") + previewText(settlement, first, last));
    receipt_->offer([this, first, last, settlement] {
        return SettlementReceipt(shop_, kind_, first, last, settlement);
    });
    busy.done();
    for (const ReservationHold& hold : settlement.holds)
        Notice(HoldNotice(hold));
}
