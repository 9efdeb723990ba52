#pragma once

#include <optional>
#include <string>

namespace ZumeliApplication {

// A channel typed digit by digit: after 1 the display shows "1_.__"; the fourth digit gives the
// channel (1, 2, 3, 4 give 1234) and starts a new entry.
class DigitEntry {
public:
    // Adds a digit (0 to 9); the channel once four digits are in.
    std::optional<int> add(int digit);
    void clear() { m_digits.clear(); }
    bool isEmpty() const { return m_digits.empty(); }
    // The four positions as "dd.dd", "_" for those not yet typed.
    std::string display() const;

private:
    std::string m_digits;
};

} // namespace ZumeliApplication
