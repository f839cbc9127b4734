// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rank_page.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace zorvat::InternetRank {

// Hands a document to the desktop; true when the desktop accepted it.
using Opener = std::function<bool(const QString& absolutePath)>;

/** The ranking page's file name, in the current folder. */
inline constexpr char RankPageName[] = "intsc.htm";
/** The help document's file name, in the current folder. */
inline constexpr char ReadmeName[] = "readme.htm";

/** Writes "intsc.htm" into the current folder: the ranking form for this score and game count. */
void WriteRankPage(std::int32_t Score, std::int32_t PlayCount);
/** Opens "intsc.htm" in the user's browser; the result is not examined. */
int OpenRankPage();
/** Opens the help document "readme.htm"; the result is not examined. */
int OpenReadme();
/** Hands `file`, relative to `folder` (empty: the current folder), to the desktop's default handler. */
int ShellOpen(const QString& file, const QString& parameters, const QString& folder, int showCommand);
/** Replaces the desktop opener (tests observe it); an empty one restores the real one. */
void setOpener(Opener opener);

/** The error text for a failed write of the page, chosen from the system's error number. */
std::string writeErrorText(int errnoValue);

} // namespace zorvat::InternetRank
