#include "Navigator.h"

#include "MDIMain.h"
#include "catalogue/FormSCYDXX.h"
#include "catalogue/FormXGYDXX.h"
#include "common/MessageBox.h"
#include "common/MoneyDocumentView.h"
#include "common/Seams.h"
#include "common/WindowSupport.h"
#include "rentals/FormCZ.h"
#include "members/FormSCHYXX.h"
#include "members/FormXGHYXX.h"
#include "rentals/FormJZ.h"
#include "rentals/FormHYHD.h"
#include "rentals/FormSCZJXX.h"
#include "rentals/FormTJZJXX.h"
#include "rentals/FormZJXXCX.h"
#include "settings/FormZJSZ.h"
#include "stats/FormJRYY.h"
#include "stats/FormRMYD.h"

#include "access/PassCheck.h"
#include "money/Statements.h"
#include "store/Errors.h"
#include "settings/Settings.h"

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
    MDIMain* main = MDIMain::Instance();
    return main ? main->OpenChild<W>() : nullptr;
}
} // namespace

void Navigator::RentOut(const QString& bh)
{
    if (auto* window = Open<FormTJZJXX>())
        window->PrepareFor(bh);
}

void Navigator::RentOutToMember(const QString& hybh)
{
    if (auto* window = Open<FormTJZJXX>())
        window->PrepareForMember(hybh);
}

void Navigator::ModifyDisc(const QString& bh)
{
    if (auto* window = Open<FormXGYDXX>())
        window->LookUp(bh);
}

void Navigator::DeleteDisc(const QString& bh)
{
    if (auto* window = Open<FormSCYDXX>())
        window->PrepareFor(bh);
}

void Navigator::ModifyMember(const QString& hybh)
{
    if (auto* window = Open<FormXGHYXX>())
        window->LookUp(hybh);
}

void Navigator::DeleteMember(const QString& hybh)
{
    if (auto* window = Open<FormSCHYXX>())
        window->PrepareFor(hybh);
}

void Navigator::ShowMemberRentals(const QString& hybh)
{
    if (auto* window = Open<FormZJXXCX>())
        window->ShowMember(hybh);
}

void Navigator::ShowMemberStatement(const QString& hybh)
{
    MoneyDocument statement;
    {
        BusyStatus busy(QStringLiteral("正在生成会员对帐单 ..."), true);
        try {
            statement = MemberStatementReport(hybh);
        } catch (const MovrntError& error) {
            busy.done();
            ReportError(error);
            return;
        }
    }
    ShowMoneyDocument(statement, MainWindow());
}

void Navigator::TopUpMember(const QString& hybh)
{
    if (!PassGate())
        return;
    FormCZ dialog(MainWindow(), hybh);
    ExecModal(dialog);
}

void Navigator::Settle(bool walkIn, const QString& zdbh)
{
    // Checkout and return need the rents per day; the gate comes first.
    if (!PassGate())
        return;
    if (GetSetting(Setting::VCD).isEmpty()) {
        OfferRentSetting();
        return;
    }
    SettleWindow* window = walkIn ? static_cast<SettleWindow*>(Open<FormJZ>()) : Open<FormHYHD>();
    if (window && !zdbh.isEmpty())
        window->SetRange(zdbh);
}

void Navigator::DeleteRental(const QString& zdbh)
{
    if (auto* window = Open<FormSCZJXX>())
        window->PrepareFor(zdbh);
}

void Navigator::OfferRentSetting()
{
    if (!Ask(QStringLiteral("使用该功能前，您必须先设置租金金额！要现在设置租金金额吗？")))
        return;
    FormZJSZ dialog(MainWindow());
    ExecModal(dialog);
}

void Navigator::ShowPopularDiscs(QWidget* parent)
{
    FormRMYD popular(parent);
    ExecModal(popular);
}

QWidget* Navigator::MainWindow()
{
    return MDIMain::Instance();
}
