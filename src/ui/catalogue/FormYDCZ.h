#pragma once

#include "ui/common/ActionChooser.h"

// The disc action chooser: rent the disc out, modify it or delete it.
class FormYDCZ : public ActionChooser
{
    Q_OBJECT
public:
    explicit FormYDCZ(QWidget* parent = nullptr);
    // Shows the one chooser in front, for this disc.
    static FormYDCZ* showFor(QWidget* from, const QString& bh);

protected:
    void act(int option, const QString& bh) override;
};
