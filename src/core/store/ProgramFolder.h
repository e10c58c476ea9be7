#pragma once

#include <QString>

// The folder the program keeps its database, pictures and help page in:
// the binary's folder, or the one given with --home.
QString ProgramFolder();
void SetProgramFolder(const QString& folder);

// folder + name with exactly one separator between them, whether or not the
// folder text already ends in one.
QString JoinPath(const QString& folder, const QString& name);
