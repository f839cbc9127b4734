// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "entry.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zorvat::rank {

// Which ban covers a client address. IPv4 addresses are kept as IPv6 sees them (::ffff:a.b.c.d),
// so that a block of either kind covers the same clients whichever way the server names them.
// Matching costs one hash look-up per distinct block length, so it runs on every post.
class AddressBans {
public:
    explicit AddressBans(std::vector<Ban> bans);

    /** The ban covering `address`, or nullptr (also for a text that is no address). */
    const Ban* match(std::string_view address) const;

    /** The one spelling of an address or block ("192.0.2.7", "192.0.2.0/24", "2001:db8::/32") under
        which it is stored; throws StoreRefusal for a text that is neither. */
    static std::string canonical(std::string_view text);

private:
    using Bytes = std::array<std::uint8_t, 16>;
    struct BytesHash {
        std::size_t operator()(const Bytes& bytes) const noexcept;
    };
    static bool parse(std::string_view text, Bytes& bytes, int& length);
    static Bytes masked(Bytes bytes, int length);

    std::vector<Ban> m_bans;
    // block length (of 128) -> masked address -> index into m_bans; longest blocks first
    std::map<int, std::unordered_map<Bytes, std::size_t, BytesHash>, std::greater<>> m_blocks;
};

} // namespace zorvat::rank
