#include "FormTMBQ.h"

#include "LabelPainter.h"
#include "ui/common/Controls.h"
#include "ui/common/PrintPreview.h"
#include "ui/common/WindowSupport.h"

#include "core/store/Clock.h"
#include "core/store/Errors.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
QSpinBox* Spin(QWidget* parent, const char* name, int lower, int upper, int value)
{
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(QString::fromLatin1(name));
    spin->setRange(lower, upper);
    spin->setValue(value);
    return spin;
}

QRadioButton* Option(QWidget* parent, const char* name, const QString& caption)
{
    auto* option = new QRadioButton(caption, parent);
    option->setObjectName(QString::fromLatin1(name));
    return option;
}
} // namespace

FormTMBQ::FormTMBQ(Shop& shop, QWidget* parent) : QDialog(parent), shop_(shop)
{
    setObjectName(QStringLiteral("FormTMBQ"));
    setWindowTitle(QStringLiteral("打印条码标签"));

    auto* frameNR = new QGroupBox(QStringLiteral("标签内容"), this);
    frameNR->setObjectName(QStringLiteral("FrameNR"));
    optionYD_ = Option(frameNR, "OptionYD", QStringLiteral("影碟（编号和片名）"));
    optionHY_ = Option(frameNR, "OptionHY", QStringLiteral("会员卡（会员编号和姓名）"));
    optionYD_->setChecked(true);
    textBH_ = new QPlainTextEdit(frameNR);
    textBH_->setObjectName(QStringLiteral("TextBH"));
    textBH_->setTabChangesFocus(true);
    textBH_->setToolTip(
        QStringLiteral("每行一个编号，可以用扫描枪输入；不填则打印下面日期以后添加的全部。"));
    textRQ_ = MakeLine(frameNR, "TextRQ", QStringLiteral("入库日期或入会日期在这一天及以后的"));
    textRQ_->setText(TodayText());
    auto* content = new QGridLayout(frameNR);
    content->addWidget(optionYD_, 0, 0);
    content->addWidget(optionHY_, 0, 1);
    content->addWidget(
        MakeCaption(frameNR, QStringLiteral("编号（每行一个）："), textBH_, "LabelBH"), 1, 0, 1, 2);
    content->addWidget(textBH_, 2, 0, 1, 2);
    content->addWidget(
        MakeCaption(frameNR, QStringLiteral("或者，从此日期起添加的全部："), textRQ_, "LabelRQ"), 3,
        0);
    content->addWidget(textRQ_, 3, 1);

    auto* frameBQZ = new QGroupBox(QStringLiteral("标签纸"), this);
    frameBQZ->setObjectName(QStringLiteral("FrameBQZ"));
    const LabelSheet stored = StoredLabelSheet();
    optionA4_ = Option(frameBQZ, "OptionA4", QStringLiteral("A4不干胶标签纸"));
    optionJZ_ = Option(frameBQZ, "OptionJZ", QStringLiteral("标签打印机的卷纸（每页一张）"));
    (stored.roll ? optionJZ_ : optionA4_)->setChecked(true);
    spinHS_ = Spin(frameBQZ, "SpinHS", 1, 20, stored.rows);
    spinLS_ = Spin(frameBQZ, "SpinLS", 1, 6, stored.columns);
    spinBJ_ = Spin(frameBQZ, "SpinBJ", 0, 40, stored.marginMm);
    spinKD_ = Spin(frameBQZ, "SpinKD", 30, 200, stored.widthMm);
    spinGD_ = Spin(frameBQZ, "SpinGD", 15, 200, stored.heightMm);
    auto* paper = new QGridLayout(frameBQZ);
    paper->addWidget(optionA4_, 0, 0, 1, 6);
    int column = 0;
    for (const auto& [caption, spin, name] :
         {std::tuple{QStringLiteral("行数："), spinHS_, "LabelHS"},
          std::tuple{QStringLiteral("列数："), spinLS_, "LabelLS"},
          std::tuple{QStringLiteral("页边距（毫米）："), spinBJ_, "LabelBJ"}}) {
        paper->addWidget(MakeCaption(frameBQZ, caption, spin, name), 1, column++, Qt::AlignRight);
        paper->addWidget(spin, 1, column++);
    }
    paper->addWidget(optionJZ_, 2, 0, 1, 6);
    column = 0;
    for (const auto& [caption, spin, name] :
         {std::tuple{QStringLiteral("宽（毫米）："), spinKD_, "LabelKD"},
          std::tuple{QStringLiteral("高（毫米）："), spinGD_, "LabelGD"}}) {
        paper->addWidget(MakeCaption(frameBQZ, caption, spin, name), 3, column++, Qt::AlignRight);
        paper->addWidget(spin, 3, column++);
    }
    auto* group = new QButtonGroup(this);
    group->addButton(optionA4_);
    group->addButton(optionJZ_);
    connect(optionA4_, &QRadioButton::toggled, this, &FormTMBQ::refreshSheet);

    auto* commandYL = MakeButton(this, "CommandYL", QStringLiteral("打印预览(&P)"),
                                 QStringLiteral("预览标签，可以打印或导出PDF"));
    connect(commandYL, &QPushButton::clicked, this, &FormTMBQ::onCommandYLClicked);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frameNR);
    layout->addWidget(frameBQZ);
    layout->addLayout(ButtonRow(this, nullptr, commandYL));
    refreshSheet();
}

void FormTMBQ::setNumbers(LabelSubject subject, const QStringList& numbers)
{
    (subject == LabelSubject::Discs ? optionYD_ : optionHY_)->setChecked(true);
    textBH_->setPlainText(numbers.join(u'\n'));
}

LabelSheet FormTMBQ::sheet() const
{
    LabelSheet sheet;
    sheet.roll = optionJZ_->isChecked();
    sheet.rows = spinHS_->value();
    sheet.columns = spinLS_->value();
    sheet.marginMm = spinBJ_->value();
    sheet.widthMm = spinKD_->value();
    sheet.heightMm = spinGD_->value();
    return sheet;
}

void FormTMBQ::refreshSheet()
{
    for (QSpinBox* spin : {spinHS_, spinLS_, spinBJ_})
        spin->setEnabled(optionA4_->isChecked());
    for (QSpinBox* spin : {spinKD_, spinGD_})
        spin->setEnabled(optionJZ_->isChecked());
}

void FormTMBQ::onCommandYLClicked()
{
    const LabelSheet paper = sheet();
    if (const QString problem = LabelSheetProblem(paper); !problem.isEmpty()) {
        Refuse(problem, optionA4_->isChecked() ? static_cast<QWidget*>(spinHS_) : spinKD_);
        return;
    }
    const LabelSubject subject =
        optionYD_->isChecked() ? LabelSubject::Discs : LabelSubject::Members;
    QStringList numbers;
    for (const QString& line : textBH_->toPlainText().split(u'\n'))
        if (!line.trimmed().isEmpty() && !numbers.contains(line.trimmed()))
            numbers << line.trimmed();
    LabelSelection selection;
    try {
        selection = numbers.isEmpty() ? LabelsSince(shop_, subject, textRQ_->text().trimmed())
                                      : LabelsOf(shop_, subject, numbers);
    } catch (const MovrntError& error) {
        Refuse(error.description(), numbers.isEmpty() ? static_cast<QWidget*>(textRQ_) : textBH_);
        return;
    }
    if (!selection.refused.isEmpty())
        Notice(QStringLiteral("以下编号含有条码不能表示的字符（只能是英文字母、数字和符号），"
                              "不打印标签：\n") +
               selection.refused.mid(0, 20).join(QStringLiteral("、")) +
               (selection.refused.size() > 20
                    ? QStringLiteral(" …… 共 %1 个").arg(selection.refused.size())
                    : QString()));
    if (selection.items.isEmpty()) {
        Refuse(subject == LabelSubject::Discs ? QStringLiteral("没有要打印标签的影碟！")
                                              : QStringLiteral("没有要打印标签的会员！"),
               numbers.isEmpty() ? static_cast<QWidget*>(textRQ_) : textBH_);
        return;
    }
    StoreLabelSheet(paper);
    const QList<LabelItem> items = selection.items;
    ShowPrintPreview(
        QStringLiteral("条码标签（打印预览）"), QStringLiteral("条码标签"),
        [items, paper](QPrinter* printer) { return PaintLabels(items, paper, printer); }, this,
        [paper](QPrinter& printer) { SetUpLabelPaper(paper, printer); });
}
