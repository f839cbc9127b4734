// SPDX-License-Identifier: GPL-3.0-or-later
#include "rank_page_file.h"

#include "error.h"
#include "file_writer.h"
#include "rank_page.h"
#include "write_error_text.h"

namespace zorvat::InternetRank {

void WriteRankPage(std::int32_t Score, std::int32_t PlayCount, const RankTarget& target, const FileCalls& calls)
{
    // The current folder may be anybody's, so a link planted under the page's name is replaced,
    // never written through.
    const std::error_code failed = FileWriter(calls).replace(
        RankPageName, rankPageBytes(Score, PlayCount, target.url, target.check), LinkHandling::Replace);
    if (failed)
        throw Error(writeErrorText(failed.value()));
}

} // namespace zorvat::InternetRank
