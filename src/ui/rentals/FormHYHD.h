#pragma once

#include "SettleWindow.h"

// 会员还碟: takes back members' discs; nothing is charged but a late fee, when one is set.
class Shop;
class FormHYHD : public SettleWindow
{
    Q_OBJECT
public:
    explicit FormHYHD(Shop& shop, QWidget* parent = nullptr);

protected:
    QString previewText(const Settlement& settlement, qint64 first, qint64 last) const override;
    bool agree(qint64 first, qint64 last, std::optional<Money>* agreed) override;
};
