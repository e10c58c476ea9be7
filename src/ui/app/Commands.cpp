#include "Commands.h"

namespace {
const CommandInfo kCommands[] = {
    {Command::ZJSZ, "mnuZJSZItem", u"影碟租金金额设置(&M)", "Ctrl+Z", CommandGate::Owner},
    {Command::MMSZ, "mnuMMSZItem", u"管理员密码设置(&P)", "Ctrl+M", CommandGate::Owner},
    {Command::SJBF, "mnuSJBFItem", u"数据备份(&B)", "Ctrl+S", CommandGate::Counter},
    {Command::ZJCZFS, "mnuZJCZFSItem", u"专家操作方式(&L)", "Shift+F2", CommandGate::Owner},
    {Command::GNCSSZ, "mnuGNCSSZItem", u"功能参数设置(&T)", "Ctrl+F1", CommandGate::Owner},
    {Command::TC, "mnuTCItem", u"退出(&X)", "Ctrl+T", CommandGate::None},
    {Command::YDXX, "mnuYDXXItem", u"查询影碟信息(&D)", "Ctrl+Y", CommandGate::None},
    {Command::ZJXX, "mnuZJXXItem", u"查询租借信息(&L)", "Ctrl+J", CommandGate::None},
    {Command::HYXX, "mnuHYXXItem", u"查询会员信息(&Y)", "Ctrl+F2", CommandGate::None},
    {Command::XGYDXX, "mnuXGYDXXItem", u"修改影碟信息(&U)", "Ctrl+X", CommandGate::Counter},
    {Command::XGHYXX, "mnuXGHYXXItem", u"修改会员信息(&G)", "Ctrl+F3", CommandGate::Counter},
    {Command::SCYDXX, "mnuSCYDXXItem", u"删除影碟信息(&N)", "Ctrl+D", CommandGate::Owner},
    {Command::SCZJXX, "mnuSCZJXXItem", u"删除租借信息(&Q)", "Ctrl+C", CommandGate::Owner},
    {Command::SCHYXX, "mnuSCHYXXItem", u"删除会员信息(&S)", "Ctrl+F4", CommandGate::Owner},
    {Command::TJYDXX, "mnuTJYDXXItem", u"添加影碟信息(&V)", "Ctrl+A", CommandGate::Counter},
    {Command::TJZJXX, "mnuTJZJXXItem", u"添加租借信息(&K)", "Ctrl+B", CommandGate::Counter},
    {Command::TJHYXX, "mnuTJHYXXItem", u"添加会员信息(&U)", "Ctrl+F5", CommandGate::Counter},
    {Command::JRYY, "mnuJRYYItem", u"今日营业数据(&E)", "Ctrl+E", CommandGate::None},
    {Command::LSSJ, "mnuLSSJ", u"历史营业数据(&G)", "Ctrl+L", CommandGate::None},
    {Command::CKTJT, "mnuCKTJTItem", u"查看统计图(&I)", "Ctrl+K", CommandGate::None},
    {Command::WYYDBB, "mnuWYYDBBItemItem", u"所有影碟信息报表(&A)", "Ctrl+F9", CommandGate::Counter},
    {Command::WHYDBB, "mnuWHYDBBItemItem", u"未还影碟信息报表(&W)", "Ctrl+F11", CommandGate::Counter},
    {Command::SYHYBB, "mnuSYHYBBItemItem", u"所有会员信息报表(&N)", "Ctrl+F12", CommandGate::Counter},
    {Command::WHHYBB, "mnuWHHYBBItemItem", u"有影碟未还的会员信息报表(&R)", "Shift+F1", CommandGate::Counter},
    {Command::CD, "mnuCDItem", u"层叠子窗口(&J)", "Ctrl+R", CommandGate::None},
    {Command::ZT, "mnuZTItem", u"主题(&Y)", "Ctrl+H", CommandGate::None},
    {Command::MRYT, "mnuMRYTItem", u"每次一条(&T)", "Ctrl+F6", CommandGate::None},
    {Command::FWWZ, "mnuFWWZItem", u"访问我们的Web站点(&W)", "Ctrl+U", CommandGate::None},
    {Command::GY, "mnuGYItem", u"关于(&A)", "Ctrl+V", CommandGate::None},
    {Command::RMYD, "", u"热门影碟(&R)", "", CommandGate::None},
    {Command::RYGL, "mnuRYGLItem", u"人员管理(&R)", "", CommandGate::Owner},
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
