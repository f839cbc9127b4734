// SPDX-License-Identifier: GPL-3.0-or-later
#include "fonts.h"

#include <QString>
#include <QStringList>

namespace zorvat {

void installFontSubstitutes()
{
    // Debian knows no alias for the Windows face; without one, Japanese text would fall
    // back to whatever fixed-width face fontconfig picks first.
    const QStringList standIns { QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック"),
        QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP") };
    QFont::insertSubstitutions(QString::fromUtf16(WindowFontFamily), standIns);
    QFont::insertSubstitutions(QStringLiteral("MS PGothic"), standIns);
}

QFont gameFont(int pixelHeight, bool bold)
{
    QFont font(QString::fromUtf16(WindowFontFamily));
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferDefault);
    return font;
}

} // namespace zorvat
