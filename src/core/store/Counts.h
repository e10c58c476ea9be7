#pragma once

#include <QString>

// Status-bar texts: how many discs (and of each type) and members the shop has.
QString DiscCountText();
QString MemberCountText();
