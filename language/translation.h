// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "language_choice.h"

#include <memory>

class QTranslator;

namespace zorvat {

// The game's texts in the player's language for as long as it lives. Japanese, the language
// the texts are written in, needs nothing; English installs the translation built into the
// program.
class Translation {
public:
    explicit Translation(Language language);
    ~Translation();
    Translation(const Translation&) = delete;
    Translation& operator=(const Translation&) = delete;

private:
    std::unique_ptr<QTranslator> m_translator;
};

} // namespace zorvat
