#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// Cuts a fuzz input into fields. A field runs to the next zero byte; Rest()
// takes whatever is left, zero bytes included. A mutation that adds or drops
// a zero byte moves text from one field to the next, which is what a fuzzer
// should explore.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    // The next field, or nothing when no zero byte is left (nothing is taken then).
    std::optional<std::string> Field()
    {
        for (std::size_t i = m_pos; i < m_size; ++i) {
            if (m_data[i] == 0) {
                std::string field(reinterpret_cast<const char*>(m_data + m_pos), i - m_pos);
                m_pos = i + 1;
                return field;
            }
        }
        return std::nullopt;
    }

    // The next byte, or 0 at the end.
    std::uint8_t Byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }

    const std::uint8_t* RestData() const { return m_data + m_pos; }
    std::size_t RestSize() const { return m_size - m_pos; }
    std::string Rest() const { return std::string(reinterpret_cast<const char*>(RestData()), RestSize()); }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};
