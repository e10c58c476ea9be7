#include "DiscFields.h"

#include "auxiliary/ComnDialogBox.h"
#include "common/WindowSupport.h"

#include "catalogue/Discs.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

QLineEdit* MakeLine(QWidget* parent, const char* name, const QString& toolTip)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setToolTip(toolTip);
    return box;
}

QComboBox* MakeCombo(QWidget* parent, const char* name, const QString& toolTip)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::fromLatin1(name));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setToolTip(toolTip);
    combo->setMaxVisibleItems(20);
    return combo;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, const QString& toolTip)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(toolTip);
    button->setMinimumWidth(88);
    return button;
}

QLabel* MakeCaption(QWidget* parent, const QString& text, QWidget* buddy, const char* name)
{
    auto* label = new QLabel(text, parent);
    if (name)
        label->setObjectName(QString::fromLatin1(name));
    label->setBuddy(buddy);
    if (buddy)
        buddy->setAccessibleName(text.trimmed().remove(u':').remove(u'#').trimmed());
    return label;
}

QPlainTextEdit* MakeSynopsisBox(QWidget* parent)
{
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(QStringLiteral("TextJJ"));
    box->setToolTip(QStringLiteral("内容简介不要超过255个字"));
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return box;
}

QLabel* MakeCoverBox(QWidget* parent)
{
    auto* box = new QLabel(parent);
    box->setObjectName(QStringLiteral("ImageYDFM"));
    box->setToolTip(QStringLiteral("图片预览"));
    box->setFixedSize(160, 200);
    box->setAlignment(Qt::AlignCenter);
    box->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    ShowPlaceholder(box);
    return box;
}

void FillDiscLists(QComboBox* genres, QComboBox* stars, QComboBox* countries)
{
    FillCombo(stars, DistinctWords(QStringLiteral("zy")));
    FillCombo(countries, DistinctWords(QStringLiteral("gj")));
    FillCombo(genres, Genres());
}

QString ChooseCoverPicture(QWidget* parent)
{
    return ComnDialogBox(parent, QStringLiteral("选择图片"), QStringLiteral("JPEG图片"), QStringLiteral("*.jpg"));
}
