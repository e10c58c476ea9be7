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

// folder + name with exactly one separator between them, whether or not the
// folder text already ends in one.
QString JoinPath(const QString& folder, const QString& name);
