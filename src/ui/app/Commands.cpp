#include "Commands.h"

namespace {
const CommandInfo kCommands[] = {
    {Command::ZJSZ, "mnuZJSZItem", u"影碟租金金额设置(&M)", "Ctrl+Z", true},
    {Command::MMSZ, "mnuMMSZItem", u"管理员密码设置(&P)", "Ctrl+M", true},
    {Command::SJBF, "mnuSJBFItem", u"数据备份(&B)", "Ctrl+S", true},
    {Command::ZJCZFS, "mnuZJCZFSItem", u"专家操作方式(&L)", "Shift+F2", true},
    {Command::GNCSSZ, "mnuGNCSSZItem", u"功能参数设置(&T)", "Ctrl+F1", true},
    {Command::TC, "mnuTCItem", u"退出(&X)", "Ctrl+T", false},
    {Command::YDXX, "mnuYDXXItem", u"查询影碟信息(&D)", "Ctrl+Y", false},
    {Command::ZJXX, "mnuZJXXItem", u"查询租借信息(&L)", "Ctrl+J", false},
    {Command::HYXX, "mnuHYXXItem", u"查询会员信息(&Y)", "Ctrl+F2", false},
    {Command::XGYDXX, "mnuXGYDXXItem", u"修改影碟信息(&U)", "Ctrl+X", true},
    {Command::XGHYXX, "mnuXGHYXXItem", u"修改会员信息(&G)", "Ctrl+F3", true},
    {Command::SCYDXX, "mnuSCYDXXItem", u"删除影碟信息(&N)", "Ctrl+D", true},
    {Command::SCZJXX, "mnuSCZJXXItem", u"删除租借信息(&Q)", "Ctrl+C", true},
    {Command::SCHYXX, "mnuSCHYXXItem", u"删除会员信息(&S)", "Ctrl+F4", true},
    {Command::TJYDXX, "mnuTJYDXXItem", u"添加影碟信息(&V)", "Ctrl+A", true},
    {Command::TJZJXX, "mnuTJZJXXItem", u"添加租借信息(&K)", "Ctrl+B", true},
    {Command::TJHYXX, "mnuTJHYXXItem", u"添加会员信息(&U)", "Ctrl+F5", true},
    {Command::JRYY, "mnuJRYYItem", u"今日营业数据(&E)", "Ctrl+E", false},
    {Command::LSSJ, "mnuLSSJ", u"历史营业数据(&G)", "Ctrl+L", false},
    {Command::CKTJT, "mnuCKTJTItem", u"查看统计图(&I)", "Ctrl+K", false},
    {Command::WYYDBB, "mnuWYYDBBItemItem", u"所有影碟信息报表(&A)", "Ctrl+F9", true},
    {Command::WHYDBB, "mnuWHYDBBItemItem", u"未还影碟信息报表(&W)", "Ctrl+F11", true},
    {Command::SYHYBB, "mnuSYHYBBItemItem", u"所有会员信息报表(&N)", "Ctrl+F12", true},
    {Command::WHHYBB, "mnuWHHYBBItemItem", u"有影碟未还的会员信息报表(&R)", "Shift+F1", true},
    {Command::CD, "mnuCDItem", u"层叠子窗口(&J)", "Ctrl+R", false},
    {Command::ZT, "mnuZTItem", u"主题(&Y)", "Ctrl+H", false},
    {Command::MRYT, "mnuMRYTItem", u"每次一条(&T)", "Ctrl+F6", false},
    {Command::FWWZ, "mnuFWWZItem", u"访问我们的Web站点(&W)", "Ctrl+U", false},
    {Command::GY, "mnuGYItem", u"关于(&A)", "Ctrl+V", false},
    {Command::RMYD, "", u"热门影碟(&R)", "", false},
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
