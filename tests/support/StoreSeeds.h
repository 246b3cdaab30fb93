#pragma once

#include "config/ServerConfig.h"

#include <QList>
#include <QString>
#include <QStringList>

// Stores and map databases laid out in the test's home as Voranth would have left them.
namespace StoreSeeds {

// A configuration with only a name and a mod.
ServerConfig record(const QString& name, const QString& mod = QStringLiteral("baseq3"));
// Adds the configurations to the store in the test's home and saves it.
void seed(const QList<ServerConfig>& records);
void seedNames(const QStringList& names);
// The base game's map database as a scan would leave it, without any game directory:
// q3dm1 (ffa tourney), q3dm17 (ffa), q3ctf1 (ctf) and q3tourney2 (tourney).
void writeBaseGameDatabase();

} // namespace StoreSeeds
