// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "error.h"

#include <string>

namespace zorvat::rank {

// A request the ranking cannot take: the text is the short Japanese reason shown to the player,
// the status the HTTP answer that carries it.
class Refusal : public Error {
public:
    Refusal(int status, const std::string& text)
        : Error(text)
        , m_status(status)
    {
    }
    int status() const { return m_status; }

private:
    int m_status;
};

} // namespace zorvat::rank
