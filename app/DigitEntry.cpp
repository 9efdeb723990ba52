#include "app/DigitEntry.h"

namespace ZumeliApplication {

std::optional<int> DigitEntry::add(int digit)
{
    if (digit < 0 || digit > 9)
        return std::nullopt;
    m_digits += char('0' + digit);
    if (m_digits.size() < 4)
        return std::nullopt;
    int channel = std::stoi(m_digits);
    m_digits.clear();
    return channel;
}

std::string DigitEntry::display() const
{
    std::string shown = "__.__";
    for (size_t i = 0; i < m_digits.size() && i < 4; ++i)
        shown[i < 2 ? i : i + 1] = m_digits[i];
    return shown;
}

} // namespace ZumeliApplication
