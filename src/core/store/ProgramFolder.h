#pragma once

#include <QString>

// The folder the program keeps its database, pictures and help page in:
// the binary's folder, or the one given with --home.
QString ProgramFolder();
void SetProgramFolder(const QString& folder);

// The program folder when none is given: the binary's own folder for a build
// or a copied folder the program can write; for an installed program (the
// empty database installed in `installed`), or one that cannot write beside
// its binary, `dataFolder`, made on first start with copies of the files in
// `installed` (the empty database, the help page, the tip file). A file
// already there is never replaced. Empty when the data folder cannot be made.
QString DefaultProgramFolder(const QString& binaryFolder, const QString& installed,
                             const QString& dataFolder);

// The help page and the tip file delivered with the program.
inline const QString kHelpPageName = QStringLiteral("感谢您使用凯络影碟出租管理系统.htm");
inline const QString kTipFileName = QStringLiteral("TIPOFDAY.TXT");

// A folder given with --home gets the delivered help page and tip file, from
// `installed` for an installed program or else from beside the binary; a
// file already there is never replaced. The database is never made.
void FurnishHomeFolder(const QString& home, const QString& binaryFolder, const QString& installed);

// The shop's data is its owner's alone: a database file (and a backup of it)
// readable and writable by the owner only, a folder that holds the database
// or the settings open to the owner only. False when the mode cannot be set.
bool KeepPrivate(const QString& path, bool folder);

// folder + name with exactly one separator between them, whether or not the
// folder text already ends in one.
QString JoinPath(const QString& folder, const QString& name);
