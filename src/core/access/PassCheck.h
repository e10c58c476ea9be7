#pragma once

#include <QString>

// The characters in reverse order.
QString ReverseText(const QString& text);
// Every character moved 3 code points up ("PLUS") or down (any other mode).
// Only used to read passwords stored by the old scrambling.
QString ShiftText(const QString& text, const QString& mode);

// A salted hash of the password (Argon2id); empty when it cannot be made.
QString HashPassword(const QString& password);
// Whether `typed` is the password `stored` (a hash, or the old scrambling).
bool PasswordMatches(const QString& stored, const QString& typed);
// Whether `stored` is still the old scrambling, to be replaced by a hash.
bool IsOldScrambling(const QString& stored);

// A password is set when the stored value is not empty (on a file: an
// enabled owner with a password).
bool PasswordIsSet();
// True when the typed text is the administrator password (case-sensitive).
// A password still stored in the old scrambled form is replaced by a hash
// once it has been typed correctly.
bool CheckPassword(const QString& typed);
// Stores a salted hash of the owner's password; an empty text removes the
// password. False when the store refuses the write.
bool StorePassword(const QString& password);

// The logon mode: "Admin", "Guest", "Clerk" or empty.
QString UserMode();
void SetUserMode(const QString& mode);
// Who logged on: the name the ledger's lines are signed with; empty while
// nobody did (no password set) or for a guest.
QString CurrentPerson();
void SetCurrentPerson(const QString& name);

// What a command needs of the one logged on: the counter's work (a clerk
// may), or the owner's.
enum class Gate
{
    Counter,
    Owner
};
// Why a command may not run now; empty when it may: always while no password
// is set, otherwise the owner always, a clerk the counter's work.
QString GateRefusal(Gate gate = Gate::Counter);
bool GuestGateAllows();
