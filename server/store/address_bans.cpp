// SPDX-License-Identifier: GPL-3.0-or-later
#include "address_bans.h"

#include "entry_store.h"

#include <arpa/inet.h>
#include <cstring>

namespace zorvat::rank {

namespace {

constexpr int MappedBits = 96; // an IPv4 address sits in the last 32 bits of ::ffff:0:0/96

bool isMapped(const std::array<std::uint8_t, 16>& bytes)
{
    for (int i = 0; i < 10; ++i) {
        if (bytes[static_cast<std::size_t>(i)] != 0)
            return false;
    }
    return bytes[10] == 0xFF && bytes[11] == 0xFF;
}

} // namespace

std::size_t AddressBans::BytesHash::operator()(const Bytes& bytes) const noexcept
{
    std::uint64_t high = 0;
    std::uint64_t low = 0;
    std::memcpy(&high, bytes.data(), 8);
    std::memcpy(&low, bytes.data() + 8, 8);
    return std::hash<std::uint64_t>()(high * 0x9E3779B97F4A7C15ULL ^ low);
}

bool AddressBans::parse(std::string_view text, Bytes& bytes, int& length)
{
    const std::size_t slash = text.find('/');
    const std::string address(text.substr(0, slash));
    bytes = {};
    int maxLength = 128;
    if (inet_pton(AF_INET, address.c_str(), bytes.data() + 12) == 1) {
        bytes[10] = bytes[11] = 0xFF;
        maxLength = 32;
    } else if (inet_pton(AF_INET6, address.c_str(), bytes.data()) != 1) {
        return false;
    }
    length = maxLength;
    if (slash != std::string_view::npos) {
        const std::string_view digits = text.substr(slash + 1);
        if (digits.empty() || digits.size() > 3)
            return false;
        length = 0;
        for (const char c : digits) {
            if (c < '0' || c > '9')
                return false;
            length = length * 10 + (c - '0');
        }
        if (length > maxLength)
            return false;
    }
    if (maxLength == 32)
        length += MappedBits;
    return true;
}

AddressBans::Bytes AddressBans::masked(Bytes bytes, int length)
{
    for (int bit = length; bit < 128; ++bit)
        bytes[static_cast<std::size_t>(bit / 8)] &= static_cast<std::uint8_t>(~(0x80u >> (bit % 8)));
    return bytes;
}

std::string AddressBans::canonical(std::string_view text)
{
    Bytes bytes;
    int length = 0;
    if (!parse(text, bytes, length)) {
        throw StoreRefusal("not an address or a block of addresses (such as 192.0.2.7, 192.0.2.0/24 or "
                           "2001:db8::/32): "
            + std::string(text));
    }
    bytes = masked(bytes, length);
    char out[INET6_ADDRSTRLEN] = {};
    if (isMapped(bytes) && length >= MappedBits) {
        inet_ntop(AF_INET, bytes.data() + 12, out, sizeof out);
        return length == 128 ? std::string(out) : std::string(out) + "/" + std::to_string(length - MappedBits);
    }
    inet_ntop(AF_INET6, bytes.data(), out, sizeof out);
    return length == 128 ? std::string(out) : std::string(out) + "/" + std::to_string(length);
}

AddressBans::AddressBans(std::vector<Ban> bans)
    : m_bans(std::move(bans))
{
    for (std::size_t i = 0; i < m_bans.size(); ++i) {
        Bytes bytes;
        int length = 0;
        if (parse(m_bans[i].prefix, bytes, length))
            m_blocks[length].emplace(masked(bytes, length), i);
    }
}

const Ban* AddressBans::match(std::string_view address) const
{
    Bytes bytes;
    int length = 0;
    if (m_blocks.empty() || address.find('/') != std::string_view::npos || !parse(address, bytes, length))
        return nullptr;
    for (const auto& [blockLength, blocks] : m_blocks) {
        const auto it = blocks.find(masked(bytes, blockLength));
        if (it != blocks.end())
            return &m_bans[it->second];
    }
    return nullptr;
}

} // namespace zorvat::rank
