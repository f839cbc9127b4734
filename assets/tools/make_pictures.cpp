// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the game's pictures and icon afresh into the folder given on the command line
// (by default the current one). Build the target zorvat_pictures to refresh assets/.
#include "picture_set.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char* argv[])
{
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath());
    for (const zorvat::art::ArtFile& file : zorvat::art::makeAllPictures()) {
        QFile f(out.filePath(file.name));
        out.mkpath(QFileInfo(f).path());
        if (!f.open(QIODevice::WriteOnly) || f.write(file.bytes) != file.bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(f.fileName()));
            return 1;
        }
        std::printf("%s  %lld bytes\n", qPrintable(file.name), static_cast<long long>(file.bytes.size()));
    }
    return 0;
}
