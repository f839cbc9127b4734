// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace zorvat {
class DocumentOpener;
} // namespace zorvat

namespace zorvat::InternetRank {

/** The help document's file name, in the current folder. */
inline constexpr char ReadmeName[] = "readme.htm";

/** Hands `file`, relative to `folder` (empty: the current folder), to the desktop through `opener`.
    More than 32 when it was handed over; a missing document is not handed over at all. */
int ShellOpen(
    DocumentOpener& opener, const QString& file, const QString& parameters, const QString& folder, int showCommand);
/** Opens "intsc.htm" in the user's browser; the result is not examined. */
int OpenRankPage(DocumentOpener& opener);
/** Opens the help document "readme.htm" of the current folder, else the one beside the executable. */
int OpenReadme(DocumentOpener& opener);

} // namespace zorvat::InternetRank
