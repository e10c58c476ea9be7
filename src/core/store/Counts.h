#pragma once

#include <QString>

class Shop;

// Status-bar texts: how many discs (and of each type) and members the shop has.
QString DiscCountText(Shop& shop);
QString MemberCountText(Shop& shop);
