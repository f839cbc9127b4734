// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace zorvat::art {

// One file of the game's art, exactly as it is committed.
struct ArtFile {
    QString name;
    QByteArray bytes;
    bool exactBytes = true; // false where the file's compression may vary with the library that wrote it
};

/** Every picture file of the game and its icon, drawn afresh. */
std::vector<ArtFile> makeAllPictures();

} // namespace zorvat::art
