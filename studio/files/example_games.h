#pragma once
// The example games a studio offers on its first start with a program folder.

#include <QString>
#include <QStringList>

namespace ludomat {

// The examples folder this copy has: "<prefix>/share/ludomat/exemplos/" when installed, else
// "exemplos/" beside the program (a build tree or a portable copy); empty when there is none.
QString exampleGamesFolder();

// Copies each game of `examplesFolder` into `programFolder` once, so the "Load" page lists them.
// A game folder that is already there is never touched, and a game copied before and since deleted
// by the user does not come back: the names copied are kept in "exemplos.lst". Returns the games
// copied now.
QStringList offerExampleGames(const QString& examplesFolder, const QString& programFolder);

}  // namespace ludomat
