// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>

namespace zorvat {
class DocumentOpener;
} // namespace zorvat

namespace zorvat::InternetRank {

/** The help document's file name: the Japanese page, and in another language the name its
    translation gives. */
//: The file name of the help page in this language, installed beside the program
inline constexpr char ReadmeName[] = QT_TRANSLATE_NOOP("Help", "readme.htm");

/** Hands `file`, relative to `folder` (empty: the current folder), to the desktop through `opener`.
    More than 32 when it was handed over; a missing document is not handed over at all. */
int ShellOpen(
    DocumentOpener& opener, const QString& file, const QString& parameters, const QString& folder, int showCommand);
/** Opens "intsc.htm" in the user's browser; the result is not examined. */
int OpenRankPage(DocumentOpener& opener);
/** Opens the help document in the interface's language from the current folder, else the one beside the
    executable; without one in that language, "readme.htm". */
int OpenReadme(DocumentOpener& opener);

} // namespace zorvat::InternetRank
