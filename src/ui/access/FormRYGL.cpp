#include "FormRYGL.h"

#include "ui/common/Controls.h"
#include "ui/common/MessageBox.h"

#include "core/access/People.h"
#include "core/store/Errors.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

FormRYGL::FormRYGL(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormRYGL"));
    setWindowTitle(QStringLiteral("人员管理"));

    gridRY_ = new QTableWidget(0, 4, this);
    gridRY_->setObjectName(QStringLiteral("GridRY"));
    gridRY_->setHorizontalHeaderLabels(
        {QStringLiteral("姓名"), QStringLiteral("身份"), QStringLiteral("状态"), QStringLiteral("密码")});
    gridRY_->setSelectionBehavior(QAbstractItemView::SelectRows);
    gridRY_->setSelectionMode(QAbstractItemView::SingleSelection);
    gridRY_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    gridRY_->verticalHeader()->hide();
    gridRY_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    gridRY_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    gridRY_->setAccessibleName(QStringLiteral("人员"));
    gridRY_->setMinimumSize(420, 180);

    textXM_ = MakeLine(this, "TextXM", QStringLiteral("新人员的姓名，或选中人员的新姓名。"));
    comboJS_ = new QComboBox(this);
    comboJS_->setObjectName(QStringLiteral("ComboJS"));
    comboJS_->addItems({kClerkWord, kOwnerWord});
    textMM_ = MakeLine(this, "TextMM");
    textQR_ = MakeLine(this, "TextQR", QStringLiteral("请重新输入一次密码以确认。"));
    for (QLineEdit* box : {textMM_, textQR_}) {
        box->setEchoMode(QLineEdit::Password);
        box->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    }
    auto* form = new QFormLayout;
    form->addRow(MakeCaption(this, QStringLiteral("姓名 : "), textXM_, "LabelXM"), textXM_);
    form->addRow(MakeCaption(this, QStringLiteral("身份 : "), comboJS_, "LabelJS"), comboJS_);
    form->addRow(MakeCaption(this, QStringLiteral("密码 : "), textMM_, "LabelMM"), textMM_);
    form->addRow(MakeCaption(this, QStringLiteral("确认密码 : "), textQR_, "LabelQR"), textQR_);
    // On a server the names are the server's logins.
    const QString server = PeopleAreServerLogins() ? QStringLiteral("每位人员都是数据库服务器的一个登录用户，姓名在整个"
                                                                    "服务器上不能重复；请先添加店主自己。")
                                                   : QString();
    auto* note = new QLabel(QStringLiteral("（注意：密码至少 5 位，只能包含字母和数字。店员可以出租、结帐、"
                                           "还碟、添加和修改影碟与会员、查询和打印，但不能删除记录、"
                                           "启用数据库、设置租金和功能参数、使用专家操作方式。%1）")
                                .arg(server),
                            this);
    note->setObjectName(QStringLiteral("Label1"));
    note->setWordWrap(true);

    auto* commandTJ = MakeButton(this, "CommandTJ", QStringLiteral("添加(&A)"),
                                 QStringLiteral("用上面的姓名、身份和密码添加一位人员。"));
    auto* commandGM = MakeButton(this, "CommandGM", QStringLiteral("改名(&N)"),
                                 QStringLiteral("把选中的人员改为上面的姓名。"));
    auto* commandTY = MakeButton(this, "CommandTY", QStringLiteral("停用/启用(&D)"),
                                 QStringLiteral("停用的人员不能再登录；再按一次恢复。"));
    auto* commandMM = MakeButton(this, "CommandMM", QStringLiteral("重设密码(&P)"),
                                 QStringLiteral("把选中人员的密码改为上面输入的密码。"));
    auto* commandGB = MakeButton(this, "CommandGB", QStringLiteral("关闭"));
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {commandTJ, commandGM, commandTY, commandMM})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(commandGB);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(gridRY_, 1);
    layout->addLayout(form);
    layout->addWidget(note);
    layout->addLayout(buttons);

    connect(commandTJ, &QPushButton::clicked, this, &FormRYGL::onAdd);
    connect(commandGM, &QPushButton::clicked, this, &FormRYGL::onRename);
    connect(commandTY, &QPushButton::clicked, this, &FormRYGL::onDisable);
    connect(commandMM, &QPushButton::clicked, this, &FormRYGL::onPassword);
    connect(commandGB, &QPushButton::clicked, this, &QDialog::accept);
    refresh();
    resize(560, 460);
}

QString FormRYGL::selectedName() const
{
    const int row = gridRY_->currentRow();
    return row >= 0 && gridRY_->item(row, 0) ? gridRY_->item(row, 0)->text() : QString();
}

void FormRYGL::selectName(const QString& name)
{
    for (int row = 0; row < gridRY_->rowCount(); ++row)
        if (gridRY_->item(row, 0)->text() == name)
            gridRY_->selectRow(row);
}

void FormRYGL::refresh()
{
    const QString selected = selectedName();
    QList<Person> people;
    try {
        people = ShopPeople();
    } catch (const MovrntError& error) {
        ReportError(error);
    }
    QList<QStringList> rows;
    for (const Person& p : people)
        rows << QStringList{p.name, p.role == PersonRole::Owner ? kOwnerWord : kClerkWord,
                            p.disabled ? QStringLiteral("停用") : QStringLiteral("启用"),
                            p.hasPassword ? QStringLiteral("已设置") : QStringLiteral("未设置")};
    // On a server, the counter roles it ran on before its people, until retired.
    try {
        for (const QString& login : SharedLogins())
            rows << QStringList{login, kSharedWord, QStringLiteral("启用"), QStringLiteral("服务器")};
    } catch (const MovrntError& error) {
        ReportError(error);
    }
    gridRY_->setRowCount(int(rows.size()));
    for (int row = 0; row < int(rows.size()); ++row)
        for (int column = 0; column < 4; ++column)
            gridRY_->setItem(row, column, new QTableWidgetItem(rows[row][column]));
    selectName(selected);
}

bool FormRYGL::apply(const std::function<QString()>& change, QWidget* box)
{
    QString refusal;
    try {
        refusal = change();
    } catch (const MovrntError& error) {
        ReportError(error);
        return false;
    }
    refresh();
    if (refusal.isEmpty())
        return true;
    ShowMessage(refusal, 0, QStringLiteral("用户提示"));
    box->setFocus();
    return false;
}

namespace {
bool NeedsSelection(const QString& name)
{
    if (!name.isEmpty())
        return true;
    ShowMessage(QStringLiteral("请先在列表中选中一位人员！"), 0, QStringLiteral("用户提示"));
    return false;
}
} // namespace

void FormRYGL::onAdd()
{
    const QString name = textXM_->text();
    const PersonRole role = comboJS_->currentText() == kOwnerWord ? PersonRole::Owner : PersonRole::Clerk;
    if (apply([&] { return AddPerson(name, role, textMM_->text(), textQR_->text()); }, textXM_)) {
        selectName(name);
        for (QLineEdit* box : {textXM_, textMM_, textQR_})
            box->clear();
    }
}

void FormRYGL::onRename()
{
    const QString name = selectedName();
    const QString newName = textXM_->text();
    if (NeedsSelection(name) && apply([&] { return RenamePerson(name, newName); }, textXM_)) {
        selectName(newName);
        textXM_->clear();
    }
}

void FormRYGL::onDisable()
{
    const QString name = selectedName();
    if (!NeedsSelection(name))
        return;
    const int row = gridRY_->currentRow();
    if (gridRY_->item(row, 1)->text() == kSharedWord) {
        if (ShowMessage(QStringLiteral("停用共用的柜台账户“%1”后，用这个账户连接服务器的柜台将不能再进入本店，"
                                       "各人须以自己的姓名和密码登录。要停用吗？")
                            .arg(name),
                        4, QStringLiteral("用户提示")) == 6)
            apply([&] { return RetireSharedLogin(name); }, gridRY_);
        return;
    }
    const bool disabled = gridRY_->item(row, 2)->text() == u"停用";
    apply([&] { return SetPersonDisabled(name, !disabled); }, gridRY_);
}

void FormRYGL::onPassword()
{
    const QString name = selectedName();
    if (NeedsSelection(name) && apply([&] { return ChangePersonPassword(name, textMM_->text(), textQR_->text()); },
                                     textMM_)) {
        textMM_->clear();
        textQR_->clear();
        ShowMessage(QStringLiteral("“%1”的密码已经重新设置。").arg(name), 0, QStringLiteral("用户提示"));
    }
}
