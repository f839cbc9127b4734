// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document_opener.h"
#include "name_prompt.h"
#include "ranking_question.h"

#include <QStringList>

#include <functional>
#include <string>
#include <vector>

namespace zorvat::testing {

// Answers the name prompt with a fixed name and counts how often it was asked.
class FakePrompt : public NamePrompt {
public:
    std::string answer = "New";
    int asked = 0;
    std::function<void()> whileAsking; // runs while the prompt is open

    std::string askName() override
    {
        ++asked;
        if (whileAsking)
            whileAsking();
        return answer;
    }
};

// Answers the ranking question as told and keeps every message it was asked.
class FakeQuestion : public RankingQuestion {
public:
    bool answerYes = false;
    std::vector<std::string> messages;

    bool ask(const std::string& message) override
    {
        messages.push_back(message);
        return answerYes;
    }
};

// A desktop that takes (or refuses) every document and remembers which.
class FakeOpener : public DocumentOpener {
public:
    bool accepts = true;
    QStringList opened;

    bool openDocument(const QString& absolutePath) override
    {
        opened << absolutePath;
        return accepts;
    }
};

} // namespace zorvat::testing
