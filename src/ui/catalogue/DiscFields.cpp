#include "DiscFields.h"

#include "ui/auxiliary/ComnDialogBox.h"
#include "ui/common/Controls.h"
#include "ui/common/WindowSupport.h"

#include "core/catalogue/Discs.h"
#include "core/store/Database.h"
#include "core/store/Errors.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>

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

bool ShowCover(Shop& shop, QLabel* box, const QString& bh)
{
    if (const QString file = CoverFile(shop, bh); !file.isEmpty())
        return ShowPicture(box, file);
    QPixmap picture;
    try {
        picture.loadFromData(CoverBytes(shop, bh));
    } catch (const MovrntError&) {
    }
    if (picture.isNull()) {
        ShowPlaceholder(box);
        return false;
    }
    box->setPixmap(picture.scaled(box->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    box->setProperty("picture", bh);
    return true;
}

void FillDiscLists(Shop& shop, QComboBox* genres, QComboBox* stars, QComboBox* countries)
{
    FillCombo(stars, DistinctWords(shop, QStringLiteral("zy")));
    FillCombo(countries, DistinctWords(shop, QStringLiteral("gj")));
    FillCombo(genres, Genres());
}

QString ChooseCoverPicture(QWidget* parent)
{
    return ComnDialogBox(parent, QStringLiteral("选择图片"), QStringLiteral("JPEG图片"),
                         QStringLiteral("*.jpg"));
}
