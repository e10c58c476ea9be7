#pragma once

#include <optional>
#include <span>
#include <vector>

class MDIMain;

// Every command of the main window's menus; the toolbar and the pop-up menu
// run the same commands.
enum class Command
{
    ZJSZ,   // 影碟租金金额设置
    MMSZ,   // 管理员密码设置
    SJBF,   // 数据备份
    ZJCZFS, // 专家操作方式
    GNCSSZ, // 功能参数设置
    TC,     // 退出
    YDXX,   // 查询影碟信息
    ZJXX,   // 查询租借信息
    HYXX,   // 查询会员信息
    XGYDXX, // 修改影碟信息
    XGHYXX, // 修改会员信息
    SCYDXX, // 删除影碟信息
    SCZJXX, // 删除租借信息
    SCHYXX, // 删除会员信息
    TJYDXX, // 添加影碟信息
    TJZJXX, // 添加租借信息
    TJHYXX, // 添加会员信息
    JRYY,   // 今日营业数据
    LSSJ,   // 历史营业数据
    CKTJT,  // 查看统计图
    WYYDBB, // 所有影碟信息报表
    WHYDBB, // 未还影碟信息报表
    SYHYBB, // 所有会员信息报表
    WHHYBB, // 有影碟未还的会员信息报表
    CD,     // 层叠子窗口
    ZT,     // 帮助主题
    MRYT,   // 每次一条
    FWWZ,   // 访问我们的Web站点
    GY,     // 关于
    RMYD,   // 热门影碟 (pop-up menu only)
    RYGL,   // 人员管理
    TMBQ,   // 打印条码标签
    DSSH,   // 丢失损坏登记
    YYGL,   // 预约管理
    PD,     // 盘点
};

// Who may run a command: anyone, whoever may do the counter's work (not a
// guest), or the owner only.
enum class CommandGate
{
    None,
    Counter,
    Owner
};

// The one table of the commands: what the main window builds its menus,
// toolbar, pop-up menu, shortcuts and gates from, and what each opens.
struct CommandInfo
{
    Command command;
    const char* objectName; // menu item name; empty for the pop-up-only command
    const char16_t* caption;
    const char* shortcut;
    CommandGate gate;
    void (*run)(MDIMain& main); // null: its window is not built, its items stay greyed
};

const CommandInfo& InfoOf(Command command);
std::span<const CommandInfo> AllCommands();

// Where the commands stand. A menu of the menu bar (or, with a parent, a
// submenu of one) and its items in order; an empty item is a separator.
struct MenuLayout
{
    const char* objectName;
    const char16_t* title;
    const char* parent; // null: in the menu bar
    std::vector<std::optional<Command>> items;
};
const std::vector<MenuLayout>& MenuBarLayout();
// The toolbar's buttons, from the left: their own captions and tooltips.
struct ToolButton
{
    Command command;
    const char16_t* caption;
    const char16_t* tooltip;
};
std::span<const ToolButton> ToolButtons();
// The pop-up menu's items, under captions of their own; no command: a separator.
struct PopupItem
{
    const char* objectName;
    const char16_t* caption;
    std::optional<Command> command;
};
std::span<const PopupItem> PopupItems();
