#include "FormPass.h"

#include "ui/common/MessageBox.h"
#include "ui/common/Controls.h"

#include "core/access/PassCheck.h"
#include "core/access/People.h"
#include "core/settings/Settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
bool GuestLogonOffered()
{
    return GetSetting(Setting::GuestLogon) == u"True";
}
} // namespace

FormPass::FormPass(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormPass"));
    setWindowTitle(QStringLiteral("管理员身份验证"));

    auto* image1 = new QLabel(this);
    image1->setObjectName(QStringLiteral("Image1"));
    image1->setPixmap(QPixmap(QStringLiteral(":/images/pass.png")));
    auto* label1 = new QLabel(QStringLiteral("请输入管理员密码："), this);
    label1->setObjectName(QStringLiteral("Label1"));
    textMM_ = new QLineEdit(this);
    textMM_->setObjectName(QStringLiteral("TextMM"));
    textMM_->setEchoMode(QLineEdit::Password);
    textMM_->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    textMM_->setMinimumWidth(200);
    label1->setBuddy(textMM_);
    NameForScreenReaders(textMM_, label1->text());
    const bool byName = LogonByName();
    QLabel* labelXM = nullptr;
    if (byName) {
        label1->setText(QStringLiteral("请输入您的密码："));
        labelXM = new QLabel(QStringLiteral("姓名："), this);
        labelXM->setObjectName(QStringLiteral("LabelXM"));
        comboXM_ = new QComboBox(this);
        comboXM_->setObjectName(QStringLiteral("ComboXM"));
        comboXM_->setEditable(true);
        comboXM_->setInsertPolicy(QComboBox::NoInsert);
        for (const Person& person : ShopPeople())
            if (!person.disabled)
                comboXM_->addItem(person.name);
        comboXM_->setCurrentIndex(-1);
        labelXM->setBuddy(comboXM_);
        NameForScreenReaders(comboXM_, labelXM->text());
    }
    checkLBFS_ = new QCheckBox(QStringLiteral("以来宾的方式进入系统"), this);
    checkLBFS_->setObjectName(QStringLiteral("CheckLBFS"));
    checkLBFS_->setToolTip(QStringLiteral("以来宾方式进入系统，可以查询数据，但不能修改数据。"));
    auto* commandQD = new QPushButton(QStringLiteral("确定"), this);
    commandQD->setObjectName(QStringLiteral("CommandQD"));
    commandQD->setDefault(true);
    auto* commandFQ = new QPushButton(QStringLiteral("退出"), this);
    commandFQ->setObjectName(QStringLiteral("CommandFQ"));

    auto* frame1 = new QFrame(this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    frame1->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    auto* fields = new QVBoxLayout(frame1);
    if (byName) {
        fields->addWidget(labelXM);
        fields->addWidget(comboXM_);
    }
    fields->addWidget(label1);
    fields->addWidget(textMM_);
    fields->addWidget(checkLBFS_);
    auto* top = new QHBoxLayout;
    top->addWidget(image1, 0, Qt::AlignTop);
    top->addWidget(frame1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(commandQD);
    buttons->addWidget(commandFQ);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(textMM_, &QLineEdit::textChanged, this, &FormPass::onTextMMChanged);
    connect(checkLBFS_, &QCheckBox::clicked, this, &FormPass::onCheckLBFSClicked);
    connect(commandQD, &QPushButton::clicked, this, &FormPass::onCommandQDClicked);
    connect(commandFQ, &QPushButton::clicked, this, [this] { done(EndProgram); });

    checkLBFS_->setEnabled(GuestLogonOffered());
}

void FormPass::reject()
{
    done(EndProgram);
}

void FormPass::onTextMMChanged(const QString& text)
{
    if (GuestLogonOffered())
        checkLBFS_->setEnabled(text.isEmpty());
}

void FormPass::onCheckLBFSClicked(bool checked)
{
    textMM_->setEnabled(!checked);
}

void FormPass::onCommandQDClicked()
{
    if (checkLBFS_->isChecked()) {
        if (const QString problem = LogOnAsGuest(); !problem.isEmpty()) {
            ShowMessage(problem, 0, QStringLiteral("用户提示"));
            done(EndProgram);
            return;
        }
        SetUserMode(QStringLiteral("Guest"));
        accept();
    } else if (comboXM_) {
        // The name is asked for: none is no one's.
        const QString name = comboXM_->currentText().trimmed();
        const LogonOutcome logon = name.isEmpty() ? LogonOutcome() : LogOn(name, textMM_->text());
        const std::optional<Person>& person = logon.person;
        if (!logon.problem.isEmpty()) {
            ShowMessage(logon.problem, 0, QStringLiteral("用户提示"));
            done(EndProgram);
            return;
        }
        if (!person) {
            ShowMessage(QStringLiteral("您输入的姓名或密码不正确，系统将立即退出！"), 0,
                        QStringLiteral("用户提示"));
            done(EndProgram);
            return;
        }
        SetUserMode(person->role == PersonRole::Owner ? QStringLiteral("Admin") : QStringLiteral("Clerk"));
        SetCurrentPerson(person->name);
        accept();
    } else if (CheckPassword(textMM_->text())) {
        SetUserMode(QStringLiteral("Admin"));
        accept();
    } else {
        // There is no second attempt.
        ShowMessage(QStringLiteral("您输入的管理员密码不正确，系统将立即退出！"), 0,
                    QStringLiteral("用户提示"));
        done(EndProgram);
    }
}
