#pragma once

#include "core/store/Conditions.h"
#include "core/store/Errors.h"

#include "core/store/Money.h"

#include <QString>
#include <QStringList>
#include <optional>

class Shop;

// "男", "女".
const QStringList& Sexes();
// "1" up to the number of member levels set (HYDJ).
QStringList LevelList();

// One member as the windows show it (amounts in their shortest form).
struct Member
{
    QString hybh, hyxm, hyxb, hyzz, lxdh, hydj, zjje, yjje, yjps, rhrq;
};
std::optional<Member> FindMember(Shop& shop, const QString& hybh);

struct NewMember
{
    QString hybh, hyxm, hyxb, hyzz, lxdh, zjje, yjje;
};
enum class NewMemberCheck
{
    Ok,
    NumberInUse,
    BadSex,
    RentNotNumber,
    DepositNotNumber,
    EmptyNumber
};
// The checks in the order they are reported: a number in use first.
NewMemberCheck CheckNewMember(Shop& shop, const NewMember& member);
// Level 0, nothing borrowed, joined today; "男" for an empty sex, "/" for empty texts.
void AddMember(Shop& shop, const NewMember& member);

struct MemberChange
{
    QString hybh, hyxm, hyxb, hyzz, lxdh, zjje, yjje, rhrq;
};
enum class MemberChangeCheck
{
    Ok,
    EmptyNumber,
    RentNotNumber,
    DepositNotNumber,
    EmptyDate,
    BadSex
};
MemberChangeCheck CheckMemberChange(const MemberChange& change);
// False when no member has that number. Level and borrowed count never change here.
bool ModifyMember(Shop& shop, const MemberChange& change);

// A member's top-up: the amount paid, typed (a number above 0 within the
// bound the windows count); nothing when it is not one.
std::optional<Money> ParseTopUp(const QString& typed);
// Adds the amount to the member's prepaid rent with its 预付租金充值 line, in
// one transaction; the prepaid rent after it, or nothing when no member has
// that number. Throws MovrntError (an amount the balance cannot hold says so).
std::optional<Money> TopUp(Shop& shop, const QString& hybh, Money amount);

// The conditions of the member query, in their fixed order.
struct MemberFilter
{
    QString hybh, hyxm, zjje, yjje, yjps, hydj, rhrq, hyxb;
};
enum class MemberFilterCheck
{
    Ok,
    RentNotNumber,
    DepositNotNumber,
    BorrowedNotNumber,
    LevelNotNumber
};
MemberFilterCheck CheckMemberFilter(const MemberFilter& filter);
Conditions MemberConditions(const MemberFilter& filter);
QStringList MemberSortColumns(const QString& heading);
// By entry date, then number; the name after the unique number never changes the order.
inline const QStringList kDefaultMemberSort = {"rhrq", "hybh"};

// The conditions of the member deletion.
struct MemberDeletion
{
    QString hybh, hyxm, hydj, rhrq, hyxb;
};
Conditions MemberDeletionConditions(const MemberDeletion& deletion, const QString& alias = {});
// True when a matching member has a disc out (walk-in rentals never count).
bool AnyMemberWithDiscOut(Shop& shop, const MemberDeletion& deletion);
// Deletes the matching members in one transaction; returns their numbers.
QStringList DeleteMembers(Shop& shop, const MemberDeletion& deletion,
                          const RowsDone& progress = {});
// Deletes every rental of the given members in one transaction.
// `progress` hears the members (or their rentals' members) done; false
// from it deletes nothing.
void DeleteRentalsOfMembers(Shop& shop, const QStringList& numbers, const RowsDone& progress = {});
