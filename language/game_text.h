// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <string>

namespace zorvat {

/** A text that the rules, the files or the music put together in Japanese (UTF-8), in the
    interface's language: each line of a known wording is translated whole, with its number or
    file name and any detail of the sound system's own in brackets carried over; any other line
    stays as it is. In Japanese the text is returned exactly as given. */
QString translatedGameText(const std::string& utf8);

} // namespace zorvat
