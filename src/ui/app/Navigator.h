#pragma once

#include "core/access/PassCheck.h"

#include <QString>

class QWidget;

// The gate in front of every command that changes data: refuses a guest (and
// a clerk the owner's commands) with a message. Windows reached from query
// windows call it too.
bool PassGate(Gate gate = Gate::Counter);

// The moves one window makes on another: the windows know only this, never
// each other. Each opens its window in the main window `from` stands in (or
// brings it to the front), behind the guest gate where the window changes
// data; without a main window nothing opens.
class Navigator
{
public:
    // 添加租借信息 with a disc's or a member's number in its box.
    static void rentOut(QWidget* from, const QString& bh);
    static void rentOutToMember(QWidget* from, const QString& hybh);
    // 修改影碟信息 / 删除影碟信息 looking at a disc.
    static void modifyDisc(QWidget* from, const QString& bh);
    static void deleteDisc(QWidget* from, const QString& bh);
    // 修改会员信息 looking at a member (also to top up a prepaid rent that
    // ran short) / 删除会员信息.
    static void modifyMember(QWidget* from, const QString& hybh);
    static void deleteMember(QWidget* from, const QString& hybh);
    // The print preview of a member's statement.
    static void showMemberStatement(QWidget* from, const QString& hybh);
    // 预约管理 with the disc's number filled in.
    static void reserve(QWidget* from, const QString& bh);
    // 丢失损坏登记 of an open rental, in a dialog of its own.
    static void registerLoss(QWidget* from, const QString& zdbh);
    // 打印条码标签 for one disc's or member's card, in a dialog of its own.
    static void printLabel(QWidget* from, bool disc, const QString& number);
    // The member's top-up, in a dialog of its own.
    static void topUpMember(QWidget* from, const QString& hybh);
    // 租借信息查询 showing a member's rentals.
    static void showMemberRentals(QWidget* from, const QString& hybh);
    // 结帐 (walk-in) or 会员还碟 (member), with a rental number in both range
    // boxes when one is given; the rent dialog instead while no rent is set.
    static void settle(QWidget* from, bool walkIn, const QString& zdbh = {});
    // 删除租借信息 prepared for a rental number.
    static void deleteRental(QWidget* from, const QString& zdbh);
    // Asks whether to set the rents per day now, and opens the rent dialog on 是.
    static void offerRentSetting(QWidget* from);
    // 热门影碟 / 新到影碟, modal over `from`.
    static void showPopularDiscs(QWidget* from);
    // The main window `from` stands in, the parent of the windows that float
    // over it (choosers); null without one.
    static QWidget* mainWindowOf(QWidget* from);
};
