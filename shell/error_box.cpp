// SPDX-License-Identifier: GPL-3.0-or-later
#include "error_box.h"

#include "game_text.h"
#include "text_codec.h"

#include <QMessageBox>

namespace zorvat {

QString errorBoxText(const std::string& utf8)
{
    // Translated first: the full stop goes by the last character the player reads.
    std::string text = translatedGameText(utf8).toStdString();
    if (!text.empty()) {
        // Judged on the code page 932 bytes: for a double-byte last character its first
        // byte counts, which always sorts after ".".
        const auto bytes = toCp932(text);
        const unsigned char last
            = static_cast<unsigned char>(bytes && !bytes->empty() ? (*bytes)[lastCp932CharStart(*bytes)] : text.back());
        if (last > '.')
            text += '.';
    }
    return QString::fromStdString(text);
}

void showErrorBox(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Zorvat"), text, QMessageBox::Ok);
    box.exec();
}

} // namespace zorvat
