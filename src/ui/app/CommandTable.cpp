#include "CommandTable.h"

#include "MDIMain.h"
#include "ui/access/FormMMSZ.h"
#include "ui/access/FormRYGL.h"
#include "ui/auxiliary/AuxiliaryWindows.h"
#include "ui/catalogue/FormSCYDXX.h"
#include "ui/catalogue/FormTJYDXX.h"
#include "ui/catalogue/FormXGYDXX.h"
#include "ui/catalogue/FormYDCX.h"
#include "ui/common/ReportRenderer.h"
#include "ui/common/Seams.h"
#include "ui/maintenance/FormSJBF.h"
#include "ui/maintenance/FormZJCZ.h"
#include "ui/members/FormHYXX.h"
#include "ui/members/FormSCHYXX.h"
#include "ui/members/FormTJHYXX.h"
#include "ui/members/FormXGHYXX.h"
#include "ui/rentals/FormSCZJXX.h"
#include "ui/rentals/FormTJZJXX.h"
#include "ui/rentals/FormZJXXCX.h"
#include "ui/settings/FormGNCS.h"
#include "ui/settings/FormZJSZ.h"
#include "ui/stats/FormCKTJT.h"
#include "ui/stats/FormJRYY.h"
#include "ui/stats/FormRMYD.h"
#include "ui/stats/FormLSSJ.h"

#include "core/store/Database.h"
#include "core/store/ProgramFolder.h"

namespace {
template <typename D> void Modal(QWidget* parent)
{
    D dialog(parent);
    ExecModal(dialog);
}
} // namespace

CommandTable::CommandTable(MDIMain& main)
{
    MDIMain* m = &main;
    handlers_[Command::ZJSZ] = [m] { Modal<FormZJSZ>(m); };
    handlers_[Command::MMSZ] = [m] { Modal<FormMMSZ>(m); };
    handlers_[Command::RYGL] = [m] { Modal<FormRYGL>(m); };
    handlers_[Command::SJBF] = [m] { Modal<FormSJBF>(m); };
    handlers_[Command::ZJCZFS] = [m] { EnterExpertMode(m); };
    handlers_[Command::JRYY] = [m] { m->OpenChild<FormJRYY>(); };
    handlers_[Command::CKTJT] = [m] { m->OpenChild<FormCKTJT>(); };
    handlers_[Command::LSSJ] = [m] { m->OpenChild<FormLSSJ>(); };
    handlers_[Command::RMYD] = [m] { Modal<FormRMYD>(m); };
    handlers_[Command::WYYDBB] = [m] { ShowReport(Report::AllDiscs, m); };
    handlers_[Command::WHYDBB] = [m] { ShowReport(Report::DiscsOut, m); };
    handlers_[Command::SYHYBB] = [m] { ShowReport(Report::AllMembers, m); };
    handlers_[Command::WHHYBB] = [m] { ShowReport(Report::MembersWithDiscsOut, m); };
    handlers_[Command::GNCSSZ] = [m] { Modal<FormGNCS>(m); };
    handlers_[Command::YDXX] = [m] { m->OpenChild<FormYDCX>(); };
    handlers_[Command::XGYDXX] = [m] { m->OpenChild<FormXGYDXX>(); };
    handlers_[Command::SCYDXX] = [m] { m->OpenChild<FormSCYDXX>(); };
    handlers_[Command::TJYDXX] = [m] { m->OpenChild<FormTJYDXX>(); };
    handlers_[Command::HYXX] = [m] { m->OpenChild<FormHYXX>(); };
    handlers_[Command::XGHYXX] = [m] { m->OpenChild<FormXGHYXX>(); };
    handlers_[Command::SCHYXX] = [m] { m->OpenChild<FormSCHYXX>(); };
    handlers_[Command::TJHYXX] = [m] { m->OpenChild<FormTJHYXX>(); };
    handlers_[Command::ZJXX] = [m] { m->OpenChild<FormZJXXCX>(); };
    handlers_[Command::SCZJXX] = [m] { m->OpenChild<FormSCZJXX>(); };
    handlers_[Command::TJZJXX] = [m] { m->OpenChild<FormTJZJXX>(); };
    handlers_[Command::TC] = [m] { m->close(); };
    handlers_[Command::CD] = [m] { m->MdiArea()->cascadeSubWindows(); };
    handlers_[Command::ZT] = [m] {
        m->ShowWebPage(QStringLiteral("帮助主题"),
                       QUrl::fromLocalFile(JoinPath(ProgramFolder(), kHelpPageName)));
    };
    handlers_[Command::MRYT] = [m] { Modal<FormTip>(m); };
    handlers_[Command::FWWZ] = [m] {
        m->ShowWebPage(QStringLiteral("欢迎光临我们的网站"), QUrl(kHomePage));
    };
    handlers_[Command::GY] = [m] { Modal<FormAbout>(m); };
}

void CommandTable::run(Command command) const
{
    const auto handler = handlers_.find(command);
    if (handler != handlers_.end())
        handler->second();
}
