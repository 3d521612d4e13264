#pragma once
// Takes a fuzzer's bytes apart into the pieces a target needs.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qmo::fuzzing {

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : m_bytes(data, size) {}

    bool Empty() const { return m_position >= m_bytes.size(); }

    std::uint8_t Byte() { return Empty() ? 0 : m_bytes[m_position++]; }

    std::uint16_t Word() { return static_cast<std::uint16_t>(Byte() | Byte() << 8); }

    // Up to `count` bytes, fewer when the input runs out.
    std::vector<std::uint8_t> Bytes(std::size_t count) {
        const std::size_t take = std::min(count, m_bytes.size() - std::min(m_position, m_bytes.size()));
        std::vector<std::uint8_t> out(m_bytes.begin() + static_cast<std::ptrdiff_t>(m_position),
                                      m_bytes.begin() + static_cast<std::ptrdiff_t>(m_position + take));
        m_position += take;
        return out;
    }

    std::string Text(std::size_t count) {
        const std::vector<std::uint8_t> bytes = Bytes(count);
        return std::string(bytes.begin(), bytes.end());
    }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_position = 0;
};

}  // namespace qmo::fuzzing
