#pragma once

#include <QString>
#include <QStringList>
#include <utility>

// ssjl: the discs customers lost or damaged, one row a rental settled so
// (a rental at most once), with the charge in the ledger's units (Money) and
// the person who took it. Rows are appended, never changed: they are the
// history behind the 赔偿 lines. A disc with a 丢失 row is no longer rented
// out, which the database refuses too.
const std::pair<QString, QStringList>& LossTable();
inline const QString kLost = QStringLiteral("丢失");
inline const QString kDamaged = QStringLiteral("损坏");
// The table, its index and the rule that a lost disc gets no open rental.
QStringList LossSchema(bool server);
// The trigger's name (and, on the file, with _update its twin), which the upgrade keeps.
inline const QString kLostDiscTrigger = QStringLiteral("zjxx_lost_disc");
// The open rentals of lost discs (their numbers): none in a valid shop.
inline const QString kLostDiscsOut =
    QStringLiteral("SELECT r.zdbh FROM zjxx r JOIN ssjl s ON s.bh = r.bh AND s.sslx = '丢失'"
                   " WHERE r.sfyh = '否' LIMIT 1");
