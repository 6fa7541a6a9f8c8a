#pragma once
// The example games an installed studio offers on its first start.

#include <QString>
#include <QStringList>

namespace ludomat {

// The examples folder an installed copy ships, "<prefix>/share/ludomat/exemplos/"; empty when the
// program does not run from an installation (a build tree or a portable copy).
QString installedExamplesFolder();

// Copies each game of `examplesFolder` into `programFolder` once, so the "Load" page lists them.
// A game folder that is already there is never touched, and a game copied before and since deleted
// by the user does not come back: the names copied are kept in "exemplos.lst". Returns the games
// copied now.
QStringList offerExampleGames(const QString& examplesFolder, const QString& programFolder);

}  // namespace ludomat
