#include "ActionChooser.h"

#include "Controls.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

ActionChooser::ActionChooser(const char* objectName, const QString& subject,
                             const QList<std::pair<const char*, QString>>& options, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QString::fromLatin1(objectName));
    setWindowTitle(QStringLiteral("请选择您要执行的操作："));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* label1 = new QLabel(QStringLiteral("请选择你要对编号为"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    labelBH_ = new QLabel(this);
    labelBH_->setObjectName(QStringLiteral("LabelBH"));
    labelBH_->setTextFormat(Qt::PlainText);
    labelBH_->setStyleSheet(QStringLiteral("color: #c00000; font-weight: bold;"));
    auto* label3 = new QLabel(subject, this);
    label3->setObjectName(QStringLiteral("Label3"));
    auto* heading = new QHBoxLayout;
    heading->addWidget(label1);
    heading->addWidget(labelBH_);
    heading->addWidget(label3);
    heading->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(heading);
    for (const auto& [name, caption] : options) {
        auto* button = new QRadioButton(caption, this);
        button->setObjectName(QString::fromLatin1(name));
        options_ << button;
        layout->addWidget(button);
    }
    QPushButton* commandQD = AddConfirmRow(this, layout);
    connect(commandQD, &QPushButton::clicked, this, [this] {
        int chosen = -1;
        for (int i = 0; i < options_.size(); ++i)
            if (options_[i]->isChecked())
                chosen = i;
        act(chosen, number());
        close();
    });
}

QString ActionChooser::number() const
{
    return labelBH_->text();
}

void ActionChooser::present(const QString& number)
{
    labelBH_->setText(number);
    for (QRadioButton* button : options_) {
        if (button->isEnabled()) {
            button->setChecked(true);
            break;
        }
    }
    show();
    raise();
    activateWindow();
}
