// SPDX-License-Identifier: GPL-3.0-or-later
#include "translation.h"

#include <QCoreApplication>
#include <QTranslator>

namespace zorvat {

Translation::Translation(Language language)
{
    if (language == Language::Japanese)
        return;
    m_translator = std::make_unique<QTranslator>();
    // Built into the program, so it is always there; were it not, the game would speak
    // Japanese, as it did before it had a translation.
    if (m_translator->load(QStringLiteral(":/translations/zorvat_en.qm")))
        QCoreApplication::installTranslator(m_translator.get());
    else
        qWarning("The English translation is missing from the program; the game speaks Japanese.");
}

Translation::~Translation()
{
    if (m_translator)
        QCoreApplication::removeTranslator(m_translator.get());
}

} // namespace zorvat
