#pragma once

#include "ui/common/ActionChooser.h"

// The member action chooser: the member's rental history, modify or delete.
class FormHYCZ : public ActionChooser
{
    Q_OBJECT
public:
    explicit FormHYCZ(QWidget* parent = nullptr);
    // Shows the one chooser in front, for this member.
    static FormHYCZ* showFor(QWidget* from, const QString& hybh);

protected:
    void act(int option, const QString& hybh) override;
};
