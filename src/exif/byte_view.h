// ByteView: a bounded run of bytes (the file's window or one entry's raw value) and the byte-order
// reads over it. Every number the reader takes from a file goes through read_unsigned, which is
// the one place that checks bounds: a read that reaches past the end raises 5 (invalid argument).
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

#include "automation/error.h"

namespace velmo::exif {

static_assert(std::endian::native == std::endian::little, "the two- and four-byte reads take the host's order as little-endian");

enum class ByteOrder { LittleEndian, BigEndian };

class ByteView {
public:
    ByteView() = default;
    explicit ByteView(std::span<const uint8_t> bytes) : bytes_(bytes) { }

    size_t size() const { return bytes_.size(); }
    bool empty() const { return bytes_.empty(); }
    const uint8_t* data() const { return bytes_.data(); }
    uint8_t operator[](size_t pos) const { return bytes_[pos]; }
    std::string_view chars() const { return { reinterpret_cast<const char*>(bytes_.data()), bytes_.size() }; }

    // size bytes from pos, as an unsigned number in the given order; size is 0 to 8.
    uint64_t read_unsigned(size_t pos, size_t size, ByteOrder order) const
    {
        if (pos > bytes_.size() || size > bytes_.size() - pos)
            raise(err::InvalidArgument);
        const uint8_t* at = bytes_.data() + pos;
        const bool swap = order == ByteOrder::BigEndian;
        switch (size) {
        case 1:
            return at[0];
        case 2: {
            uint16_t value;
            std::memcpy(&value, at, 2);
            return swap ? __builtin_bswap16(value) : value;
        }
        case 4: {
            uint32_t value;
            std::memcpy(&value, at, 4);
            return swap ? __builtin_bswap32(value) : value;
        }
        default: {
            uint64_t value = 0;
            if (!swap) {
                for (size_t k = size; k-- > 0;)
                    value = (value << 8) | at[k];
            } else {
                for (size_t k = 0; k < size; ++k)
                    value = (value << 8) | at[k];
            }
            return value;
        }
        }
    }

    // The same read as a two's-complement number; size is 1 to 4.
    int64_t read_signed(size_t pos, size_t size, ByteOrder order) const
    {
        uint64_t value = read_unsigned(pos, size, order);
        if (size == 0)
            return 0;
        uint64_t sign = uint64_t(1) << (8 * size - 1);
        return (value & sign) ? static_cast<int64_t>(value) - static_cast<int64_t>(sign << 1) : static_cast<int64_t>(value);
    }

    // Up to length bytes from pos: fewer when the view ends earlier, none when pos lies beyond it.
    ByteView clipped(uint64_t pos, uint64_t length) const
    {
        if (pos >= bytes_.size())
            return {};
        size_t available = bytes_.size() - static_cast<size_t>(pos);
        return ByteView(bytes_.subspan(static_cast<size_t>(pos), length < available ? static_cast<size_t>(length) : available));
    }

private:
    std::span<const uint8_t> bytes_;
};

}  // namespace velmo::exif
