#include "Navigator.h"

#include "MDIMain.h"
#include "ui/catalogue/FormSCYDXX.h"
#include "ui/catalogue/FormXGYDXX.h"
#include "ui/common/MessageBox.h"
#include "ui/common/MoneyDocumentView.h"
#include "ui/common/Seams.h"
#include "ui/common/WindowSupport.h"
#include "ui/members/FormSCHYXX.h"
#include "ui/members/FormXGHYXX.h"
#include "ui/rentals/FormCZ.h"
#include "ui/rentals/FormHYHD.h"
#include "ui/rentals/FormJZ.h"
#include "ui/rentals/FormSCZJXX.h"
#include "ui/rentals/FormTJZJXX.h"
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
template <typename W> W* Open()
{
    MDIMain* main = MDIMain::instance();
    return main ? main->openChild<W>() : nullptr;
}
} // namespace

void Navigator::rentOut(const QString& bh)
{
    if (auto* window = Open<FormTJZJXX>())
        window->prepareFor(bh);
}

void Navigator::rentOutToMember(const QString& hybh)
{
    if (auto* window = Open<FormTJZJXX>())
        window->prepareForMember(hybh);
}

void Navigator::modifyDisc(const QString& bh)
{
    if (auto* window = Open<FormXGYDXX>())
        window->lookUp(bh);
}

void Navigator::deleteDisc(const QString& bh)
{
    if (auto* window = Open<FormSCYDXX>())
        window->prepareFor(bh);
}

void Navigator::modifyMember(const QString& hybh)
{
    if (auto* window = Open<FormXGHYXX>())
        window->lookUp(hybh);
}

void Navigator::deleteMember(const QString& hybh)
{
    if (auto* window = Open<FormSCHYXX>())
        window->prepareFor(hybh);
}

void Navigator::showMemberRentals(const QString& hybh)
{
    if (auto* window = Open<FormZJXXCX>())
        window->showMember(hybh);
}

void Navigator::showMemberStatement(const QString& hybh)
{
    MoneyDocument statement;
    {
        BusyStatus busy(QStringLiteral("正在生成会员对帐单 ..."), true);
        try {
            statement = MemberStatementReport(MDIMain::instance()->shop(), hybh);
        } catch (const MovrntError& error) {
            busy.done();
            ReportError(error);
            return;
        }
    }
    ShowMoneyDocument(statement, mainWindow());
}

void Navigator::topUpMember(const QString& hybh)
{
    if (!PassGate())
        return;
    MDIMain* main = MDIMain::instance();
    FormCZ dialog(main->shop(), main, hybh);
    ExecModal(dialog);
}

void Navigator::settle(bool walkIn, const QString& zdbh)
{
    // Checkout and return need the rents per day; the gate comes first.
    if (!PassGate())
        return;
    if (GetSetting(Setting::VCD).isEmpty()) {
        offerRentSetting();
        return;
    }
    SettleWindow* window = walkIn ? static_cast<SettleWindow*>(Open<FormJZ>()) : Open<FormHYHD>();
    if (window && !zdbh.isEmpty())
        window->setRange(zdbh);
}

void Navigator::deleteRental(const QString& zdbh)
{
    if (auto* window = Open<FormSCZJXX>())
        window->prepareFor(zdbh);
}

void Navigator::offerRentSetting()
{
    if (!Ask(QStringLiteral("使用该功能前，您必须先设置租金金额！要现在设置租金金额吗？")))
        return;
    MDIMain* main = MDIMain::instance();
    FormZJSZ dialog(main);
    ExecModal(dialog);
}

void Navigator::showPopularDiscs(QWidget* parent)
{
    FormRMYD popular(MDIMain::instance()->shop(), parent);
    ExecModal(popular);
}

QWidget* Navigator::mainWindow()
{
    return MDIMain::instance();
}
