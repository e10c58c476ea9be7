#pragma once

#include <QString>

// The characters in reverse order.
QString ReverseText(const QString& text);
// Every character moved 3 code points up ("PLUS") or down (any other mode).
// Only used to read passwords stored by the old scrambling.
QString ShiftText(const QString& text, const QString& mode);

// A password is set when the stored value is not empty.
bool PasswordIsSet();
// True when the typed text is the administrator password (case-sensitive).
// A password still stored in the old scrambled form is replaced by a hash
// once it has been typed correctly.
bool CheckPassword(const QString& typed);
// Stores a salted hash of the password; an empty text removes the password.
// False when the store refuses the write.
bool StorePassword(const QString& password);

// The logon mode: "Admin", "Guest", "Clerk" or empty.
QString UserMode();
void SetUserMode(const QString& mode);
// Who logged on: the name the ledger's lines are signed with; empty while
// nobody did (no password set) or for a guest.
QString CurrentPerson();
void SetCurrentPerson(const QString& name);

// Whether a command that changes data may run now: always while no password
// is set, otherwise only for the administrator.
bool GuestGateAllows();
