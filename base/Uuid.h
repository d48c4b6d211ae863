#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace moorvane {

class Uuid {
  public:
    Uuid() = default;  // the nil UUID
    static Uuid random();
    // The 36-character hyphenated form, hexadecimal digits in either case.
    static std::optional<Uuid> parse(std::string_view text);
    // Canonical form: upper-case hexadecimal digits.
    std::string text() const;

    const std::array<std::uint8_t, 16>& bytes() const { return bytes_; }
    friend auto operator<=>(const Uuid&, const Uuid&) = default;

  private:
    std::array<std::uint8_t, 16> bytes_{};
};

}  // namespace moorvane

template <>
struct std::hash<moorvane::Uuid> {
    std::size_t operator()(const moorvane::Uuid& id) const noexcept;
};
