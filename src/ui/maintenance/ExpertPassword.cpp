#include "ExpertPassword.h"

#include "ui/common/Controls.h"
#include "core/maintenance/Expert.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

ExpertPassword::ExpertPassword(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ExpertPassword"));
    setWindowTitle(QStringLiteral("专家操作方式"));
    auto* note = new QLabel(QStringLiteral("在数据库服务器上，专家操作方式用它自己的用户 %1 登录，"
                                           "只能查询和更改数据。请输入这个用户的密码（不会被保存）：")
                                .arg(kExpertLogin),
                            this);
    note->setWordWrap(true);
    textMM_ = new QLineEdit(this);
    textMM_->setObjectName(QStringLiteral("TextMM"));
    textMM_->setEchoMode(QLineEdit::Password);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("密码 : "), textMM_);
    auto* commandQD = MakeButton(this, "CommandQD", QStringLiteral("确定"));
    auto* commandQX = MakeButton(this, "CommandQX", QStringLiteral("取消"));
    commandQD->setDefault(true);
    connect(commandQD, &QPushButton::clicked, this, &QDialog::accept);
    connect(commandQX, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(commandQD);
    buttons->addWidget(commandQX);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addLayout(form);
    layout->addLayout(buttons);
    resize(420, 150);
}

QString ExpertPassword::password() const
{
    return textMM_->text();
}
