#include "internet_rank.h"

namespace zorvat::InternetRank {

// First draft: nothing is written or opened yet.
void WriteRankPage(std::int32_t, std::int32_t) {}

int OpenRankPage()
{
    return ShellOpen(QStringLiteral("intsc.htm"), QString(), QString(), 5);
}

int OpenReadme()
{
    return ShellOpen(QStringLiteral("readme.htm"), QString(), QString(), 5);
}

int ShellOpen(const QString&, const QString&, const QString&, int)
{
    return 0;
}

void setOpener(Opener) {}

} // namespace zorvat::InternetRank
