#include "Commands.h"

#include "MDIMain.h"
#include "Navigator.h"
#include "core/store/Database.h"
#include "core/store/ProgramFolder.h"
#include "ui/access/FormMMSZ.h"
#include "ui/access/FormRYGL.h"
#include "ui/auxiliary/AuxiliaryWindows.h"
#include "ui/catalogue/FormSCYDXX.h"
#include "ui/catalogue/FormTJYDXX.h"
#include "ui/catalogue/FormXGYDXX.h"
#include "ui/catalogue/FormYDCX.h"
#include "ui/common/ReportRenderer.h"
#include "ui/common/Seams.h"
#include "ui/labels/FormTMBQ.h"
#include "ui/maintenance/FormSJBF.h"
#include "ui/maintenance/FormZJCZ.h"
#include "ui/members/FormHYXX.h"
#include "ui/members/FormSCHYXX.h"
#include "ui/members/FormTJHYXX.h"
#include "ui/members/FormXGHYXX.h"
#include "ui/rentals/FormPD.h"
#include "ui/rentals/FormSCZJXX.h"
#include "ui/rentals/FormTJZJXX.h"
#include "ui/rentals/FormYYGL.h"
#include "ui/rentals/FormZJXXCX.h"
#include "ui/settings/FormGNCS.h"
#include "ui/settings/FormZJSZ.h"
#include "ui/stats/FormCKTJT.h"
#include "ui/stats/FormJRYY.h"
#include "ui/stats/FormLSSJ.h"
#include "ui/stats/FormRMYD.h"

namespace {
template <typename D> void Modal(MDIMain& main)
{
    if constexpr (std::is_constructible_v<D, Shop&, QWidget*>) {
        D dialog(main.shop(), &main);
        ExecModal(dialog);
    } else {
        D dialog(&main);
        ExecModal(dialog);
    }
}

const CommandInfo kCommands[] = {
    {Command::ZJSZ, "mnuZJSZItem", u"影碟租金金额设置(&M)", "Ctrl+Z", CommandGate::Owner,
     [](MDIMain& m) { Modal<FormZJSZ>(m); }},
    {Command::MMSZ, "mnuMMSZItem", u"管理员密码设置(&P)", "Ctrl+M", CommandGate::Owner,
     [](MDIMain& m) { Modal<FormMMSZ>(m); }},
    {Command::SJBF, "mnuSJBFItem", u"数据备份(&B)", "Ctrl+S", CommandGate::Counter,
     [](MDIMain& m) { Modal<FormSJBF>(m); }},
    {Command::ZJCZFS, "mnuZJCZFSItem", u"专家操作方式(&L)", "Shift+F2", CommandGate::Owner,
     [](MDIMain& m) { EnterExpertMode(m.shop(), &m); }},
    {Command::GNCSSZ, "mnuGNCSSZItem", u"功能参数设置(&T)", "Ctrl+F1", CommandGate::Owner,
     [](MDIMain& m) { Modal<FormGNCS>(m); }},
    {Command::TC, "mnuTCItem", u"退出(&X)", "Ctrl+T", CommandGate::None,
     [](MDIMain& m) { m.close(); }},
    {Command::YDXX, "mnuYDXXItem", u"查询影碟信息(&D)", "Ctrl+Y", CommandGate::None,
     [](MDIMain& m) { m.openChild<FormYDCX>(); }},
    {Command::ZJXX, "mnuZJXXItem", u"查询租借信息(&L)", "Ctrl+J", CommandGate::None,
     [](MDIMain& m) { m.openChild<FormZJXXCX>(); }},
    {Command::HYXX, "mnuHYXXItem", u"查询会员信息(&Y)", "Ctrl+F2", CommandGate::None,
     [](MDIMain& m) { m.openChild<FormHYXX>(); }},
    {Command::XGYDXX, "mnuXGYDXXItem", u"修改影碟信息(&U)", "Ctrl+X", CommandGate::Counter,
     [](MDIMain& m) { m.openChild<FormXGYDXX>(); }},
    {Command::XGHYXX, "mnuXGHYXXItem", u"修改会员信息(&G)", "Ctrl+F3", CommandGate::Counter,
     [](MDIMain& m) { m.openChild<FormXGHYXX>(); }},
    {Command::SCYDXX, "mnuSCYDXXItem", u"删除影碟信息(&N)", "Ctrl+D", CommandGate::Owner,
     [](MDIMain& m) { m.openChild<FormSCYDXX>(); }},
    {Command::SCZJXX, "mnuSCZJXXItem", u"删除租借信息(&Q)", "Ctrl+C", CommandGate::Owner,
     [](MDIMain& m) { m.openChild<FormSCZJXX>(); }},
    {Command::SCHYXX, "mnuSCHYXXItem", u"删除会员信息(&S)", "Ctrl+F4", CommandGate::Owner,
     [](MDIMain& m) { m.openChild<FormSCHYXX>(); }},
    {Command::TJYDXX, "mnuTJYDXXItem", u"添加影碟信息(&V)", "Ctrl+A", CommandGate::Counter,
     [](MDIMain& m) { m.openChild<FormTJYDXX>(); }},
    {Command::TJZJXX, "mnuTJZJXXItem", u"添加租借信息(&K)", "Ctrl+B", CommandGate::Counter,
     [](MDIMain& m) { m.openChild<FormTJZJXX>(); }},
    {Command::TJHYXX, "mnuTJHYXXItem", u"添加会员信息(&U)", "Ctrl+F5", CommandGate::Counter,
     [](MDIMain& m) { m.openChild<FormTJHYXX>(); }},
    {Command::JRYY, "mnuJRYYItem", u"今日营业数据(&E)", "Ctrl+E", CommandGate::None,
     [](MDIMain& m) { m.openChild<FormJRYY>(); }},
    {Command::LSSJ, "mnuLSSJ", u"历史营业数据(&G)", "Ctrl+L", CommandGate::None,
     [](MDIMain& m) { m.openChild<FormLSSJ>(); }},
    {Command::CKTJT, "mnuCKTJTItem", u"查看统计图(&I)", "Ctrl+K", CommandGate::None,
     [](MDIMain& m) { m.openChild<FormCKTJT>(); }},
    {Command::WYYDBB, "mnuWYYDBBItemItem", u"所有影碟信息报表(&A)", "Ctrl+F9", CommandGate::Counter,
     [](MDIMain& m) { ShowReport(m.shop(), Report::AllDiscs, &m); }},
    {Command::WHYDBB, "mnuWHYDBBItemItem", u"未还影碟信息报表(&W)", "Ctrl+F11",
     CommandGate::Counter, [](MDIMain& m) { ShowReport(m.shop(), Report::DiscsOut, &m); }},
    {Command::SYHYBB, "mnuSYHYBBItemItem", u"所有会员信息报表(&N)", "Ctrl+F12",
     CommandGate::Counter, [](MDIMain& m) { ShowReport(m.shop(), Report::AllMembers, &m); }},
    {Command::WHHYBB, "mnuWHHYBBItemItem", u"有影碟未还的会员信息报表(&R)", "Shift+F1",
     CommandGate::Counter,
     [](MDIMain& m) { ShowReport(m.shop(), Report::MembersWithDiscsOut, &m); }},
    {Command::TMBQ, "mnuTMBQItem", u"打印条码标签(&T)", nullptr, CommandGate::Counter,
     [](MDIMain& m) { Modal<FormTMBQ>(m); }},
    {Command::DSSH, "mnuDSSHItem", u"丢失损坏登记(&S)", nullptr, CommandGate::Counter,
     [](MDIMain& m) { Navigator::registerLoss(&m, {}); }},
    {Command::YYGL, "mnuYYGLItem", u"预约管理(&Y)", nullptr, CommandGate::Counter,
     [](MDIMain& m) { m.openChild<FormYYGL>(); }},
    {Command::PD, "mnuPDItem", u"盘点(&P)", nullptr, CommandGate::Counter,
     [](MDIMain& m) { m.openChild<FormPD>(); }},
    {Command::CD, "mnuCDItem", u"层叠子窗口(&J)", "Ctrl+R", CommandGate::None,
     [](MDIMain& m) { m.mdiArea()->cascadeSubWindows(); }},
    {Command::ZT, "mnuZTItem", u"主题(&Y)", "Ctrl+H", CommandGate::None,
     [](MDIMain& m) {
         m.showWebPage(QStringLiteral("帮助主题"),
                       QUrl::fromLocalFile(JoinPath(ProgramFolder(), kHelpPageName)));
     }},
    {Command::MRYT, "mnuMRYTItem", u"每次一条(&T)", "Ctrl+F6", CommandGate::None,
     [](MDIMain& m) { Modal<FormTip>(m); }},
    {Command::FWWZ, "mnuFWWZItem", u"访问我们的Web站点(&W)", "Ctrl+U", CommandGate::None,
     [](MDIMain& m) { m.showWebPage(QStringLiteral("欢迎光临我们的网站"), QUrl(kHomePage)); }},
    {Command::GY, "mnuGYItem", u"关于(&A)", "Ctrl+V", CommandGate::None,
     [](MDIMain& m) { Modal<FormAbout>(m); }},
    {Command::RMYD, "", u"热门影碟(&R)", "", CommandGate::None,
     [](MDIMain& m) { Modal<FormRMYD>(m); }},
    {Command::RYGL, "mnuRYGLItem", u"人员管理(&R)", "", CommandGate::Owner,
     [](MDIMain& m) { Modal<FormRYGL>(m); }},
};
} // namespace

const CommandInfo& InfoOf(Command command)
{
    for (const CommandInfo& info : kCommands)
        if (info.command == command)
            return info;
    return kCommands[0]; // unreachable: every command is in the table
}

std::span<const CommandInfo> AllCommands()
{
    return kCommands;
}

const std::vector<MenuLayout>& MenuBarLayout()
{
    using C = Command;
    static const std::vector<MenuLayout> menus = {
        {"mnuXT",
         u"系统(&S)",
         nullptr,
         {C::ZJSZ, C::MMSZ, C::RYGL, C::SJBF, C::ZJCZFS, {}, C::GNCSSZ, {}, C::TC}},
        {"mnuCXXX", u"查询信息(&R)", nullptr, {C::YDXX, C::ZJXX, C::HYXX}},
        {"mnuXGXX", u"修改信息(&O)", nullptr, {C::XGYDXX, C::XGHYXX}},
        {"mnuSCXX", u"删除信息(&L)", nullptr, {C::SCYDXX, C::SCZJXX, C::SCHYXX}},
        {"mnuTJXX",
         u"添加信息(&T)",
         nullptr,
         {C::TJYDXX, C::TJZJXX, C::TJHYXX, {}, C::DSSH, C::YYGL, C::PD}},
        {"mnuTJSJ", u"统计数据(&C)", nullptr, {C::JRYY, C::LSSJ, C::CKTJT}},
        {"mnuDYBB", u"打印报表(&D)", nullptr, {C::TMBQ, {}}},
        {"mnuYDXXBBItem", u"影碟信息报表(&Y)", "mnuDYBB", {C::WYYDBB, C::WHYDBB}},
        {"mnuHYXXBBItem", u"会员信息报表(&H)", "mnuDYBB", {C::SYHYBB, C::WHHYBB}},
        {"mnuCK", u"窗口(&W)", nullptr, {C::CD}}, // the open windows follow
        {"mnuBZ", u"帮助(&E)", nullptr, {C::ZT, C::MRYT, C::FWWZ, {}, C::GY}},
    };
    return menus;
}

std::span<const ToolButton> ToolButtons()
{
    static const ToolButton buttons[] = {
        {Command::YDXX, u"查找影碟", u"查找影碟"},
        {Command::HYXX, u"查找会员", u"查找会员"},
        {Command::TJZJXX, u"添加租借信息", u"出租影碟"},
        {Command::ZJXX, u"结帐", u"归还影碟并结算租金"},
        {Command::SJBF, u"数据备份", u"数据备份"},
        {Command::CKTJT, u"统计图", u"查看统计图"},
        {Command::GNCSSZ, u"功能参数设置", u"功能参数设置"},
    };
    return buttons;
}

std::span<const PopupItem> PopupItems()
{
    static const PopupItem items[] = {
        {"mnuPopYDXXItem", u"查找影碟(&D)", Command::YDXX},
        {"mnuPopRMYDItem", u"热门影碟(&R)", Command::RMYD},
        {"mnuPopCZHYItem", u"查找会员(&Z)", Command::HYXX},
        {"mnuPopTJZJXXItem", u"添加租借信息(&K)", Command::TJZJXX},
        {"mnuPopJZItem", u"结帐(&L)", Command::ZJXX},
        {nullptr, nullptr, std::nullopt},
        {"mnuPopCDItem", u"层叠窗口(&J)", Command::CD},
    };
    return items;
}
