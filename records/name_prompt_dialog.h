#pragma once

#include "name_prompt.h"

namespace zorvat {

// The modal name prompt shown when a score enters the table.
class NamePromptDialog : public NamePrompt {
public:
    std::string askName() override;
};

} // namespace zorvat
