#include "Navigator.h"

#include "MDIMain.h"
#include "ui/catalogue/FormSCYDXX.h"
#include "ui/catalogue/FormXGYDXX.h"
#include "ui/common/MessageBox.h"
#include "ui/common/MoneyDocumentView.h"
#include "ui/common/Seams.h"
#include "ui/common/WindowSupport.h"
#include "ui/labels/FormTMBQ.h"
#include "ui/members/FormSCHYXX.h"
#include "ui/members/FormXGHYXX.h"
#include "ui/rentals/FormCZ.h"
#include "ui/rentals/FormDSSH.h"
#include "ui/rentals/FormHYHD.h"
#include "ui/rentals/FormJZ.h"
#include "ui/rentals/FormSCZJXX.h"
#include "ui/rentals/FormTJZJXX.h"
#include "ui/rentals/FormYYGL.h"
#include "ui/rentals/FormZJXXCX.h"
#include "ui/settings/FormZJSZ.h"
#include "ui/stats/FormJRYY.h"
#include "ui/stats/FormRMYD.h"

#include "core/access/PassCheck.h"
#include "core/money/Statements.h"
#include "core/settings/Settings.h"
#include "core/store/Errors.h"

bool PassGate(Gate gate)
{
    const QString refusal = GateRefusal(gate);
    if (refusal.isEmpty())
        return true;
    ShowMessage(refusal, 0, QStringLiteral("用户提示"));
    return false;
}

namespace {
// The main window a widget stands in (or floats over); null without one.
MDIMain* MainOf(QWidget* from)
{
    for (QWidget* widget = from; widget; widget = widget->parentWidget())
        if (auto* main = qobject_cast<MDIMain*>(widget))
            return main;
    return nullptr;
}

template <typename W> W* Open(QWidget* from)
{
    MDIMain* main = MainOf(from);
    return main ? main->openChild<W>() : nullptr;
}
} // namespace

void Navigator::rentOut(QWidget* from, const QString& bh)
{
    if (auto* window = Open<FormTJZJXX>(from))
        window->prepareFor(bh);
}

void Navigator::rentOutToMember(QWidget* from, const QString& hybh)
{
    if (auto* window = Open<FormTJZJXX>(from))
        window->prepareForMember(hybh);
}

void Navigator::modifyDisc(QWidget* from, const QString& bh)
{
    if (auto* window = Open<FormXGYDXX>(from))
        window->lookUp(bh);
}

void Navigator::deleteDisc(QWidget* from, const QString& bh)
{
    if (auto* window = Open<FormSCYDXX>(from))
        window->prepareFor(bh);
}

void Navigator::modifyMember(QWidget* from, const QString& hybh)
{
    if (auto* window = Open<FormXGHYXX>(from))
        window->lookUp(hybh);
}

void Navigator::deleteMember(QWidget* from, const QString& hybh)
{
    if (auto* window = Open<FormSCHYXX>(from))
        window->prepareFor(hybh);
}

void Navigator::showMemberRentals(QWidget* from, const QString& hybh)
{
    if (auto* window = Open<FormZJXXCX>(from))
        window->showMember(hybh);
}

void Navigator::showMemberStatement(QWidget* from, const QString& hybh)
{
    MDIMain* main = MainOf(from);
    if (!main)
        return;
    MoneyDocument statement;
    {
        BusyStatus busy(QStringLiteral("正在生成会员对帐单 ..."), true);
        try {
            statement = MemberStatementReport(main->shop(), hybh);
        } catch (const MovrntError& error) {
            busy.done();
            ReportError(error);
            return;
        }
    }
    ShowMoneyDocument(statement, main);
}

void Navigator::topUpMember(QWidget* from, const QString& hybh)
{
    if (!PassGate())
        return;
    MDIMain* main = MainOf(from);
    if (!main)
        return;
    FormCZ dialog(main->shop(), main, hybh);
    ExecModal(dialog);
}

void Navigator::printLabel(QWidget* from, bool disc, const QString& number)
{
    if (!PassGate())
        return;
    MDIMain* main = MainOf(from);
    if (!main)
        return;
    FormTMBQ dialog(main->shop(), main);
    dialog.setNumbers(disc ? LabelSubject::Discs : LabelSubject::Members, {number});
    ExecModal(dialog);
}

void Navigator::settle(QWidget* from, bool walkIn, const QString& zdbh)
{
    // Checkout and return need the rents per day; the gate comes first.
    if (!PassGate())
        return;
    if (GetSetting(Setting::VCD).isEmpty()) {
        offerRentSetting(from);
        return;
    }
    SettleWindow* window =
        walkIn ? static_cast<SettleWindow*>(Open<FormJZ>(from)) : Open<FormHYHD>(from);
    if (window && !zdbh.isEmpty())
        window->setRange(zdbh);
}

void Navigator::reserve(QWidget* from, const QString& bh)
{
    if (auto* window = Open<FormYYGL>(from))
        window->prepareFor(bh);
}

void Navigator::registerLoss(QWidget* from, const QString& zdbh)
{
    // Settling needs the rents per day, as checkout does.
    if (!PassGate(FormDSSH::kGate))
        return;
    if (GetSetting(Setting::VCD).isEmpty()) {
        offerRentSetting(from);
        return;
    }
    MDIMain* main = MainOf(from);
    if (!main)
        return;
    FormDSSH dialog(main->shop(), main);
    dialog.setRental(zdbh);
    ExecModal(dialog);
}

void Navigator::deleteRental(QWidget* from, const QString& zdbh)
{
    if (auto* window = Open<FormSCZJXX>(from))
        window->prepareFor(zdbh);
}

void Navigator::offerRentSetting(QWidget* from)
{
    if (!Ask(QStringLiteral("使用该功能前，您必须先设置租金金额！要现在设置租金金额吗？")))
        return;
    FormZJSZ dialog(MainOf(from));
    ExecModal(dialog);
}

void Navigator::showPopularDiscs(QWidget* from)
{
    MDIMain* main = MainOf(from);
    if (!main)
        return;
    FormRMYD popular(main->shop(), from);
    ExecModal(popular);
}

QWidget* Navigator::mainWindowOf(QWidget* from)
{
    return MainOf(from);
}
