// SPDX-License-Identifier: GPL-3.0-or-later
#include "error_box.h"

#include "text_codec.h"

#include <QMessageBox>

namespace zorvat {

QString errorBoxText(const std::string& utf8)
{
    std::string text = utf8;
    if (!text.empty()) {
        // Judged on the code page 932 bytes: for a double-byte last character its first
        // byte counts, which always sorts after ".".
        const auto bytes = toCp932(text);
        unsigned char last = static_cast<unsigned char>(text.back());
        if (bytes && !bytes->empty()) {
            std::size_t i = 0;
            std::size_t lastStart = 0;
            while (i < bytes->size()) {
                lastStart = i;
                i += isCp932LeadByte(static_cast<unsigned char>((*bytes)[i])) ? 2 : 1;
            }
            last = static_cast<unsigned char>((*bytes)[lastStart]);
        }
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
