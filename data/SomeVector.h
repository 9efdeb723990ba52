#pragma once

#include <algorithm>
#include <memory>
#include <vector>

namespace Zumeli {

// The engine's list of owned elements: the lists of channels, people, groups, messages, channel
// events and pictures derive from it. The list owns every element it holds and deletes it when
// the element is removed or the list is cleared or destroyed; pointers it hands out stay valid
// until then, because elements never move in memory when the list grows or is sorted.
template<typename T>
class someVector {
public:
    someVector() = default;
    virtual ~someVector() = default;
    someVector(const someVector&) = delete;
    someVector& operator=(const someVector&) = delete;
    someVector(someVector&&) noexcept = default;
    someVector& operator=(someVector&&) noexcept = default;

    // Takes ownership and returns the element, for chaining.
    T* add(std::unique_ptr<T> element)
    {
        m_elements.push_back(std::move(element));
        return m_elements.back().get();
    }
    T* insertAt(int index, std::unique_ptr<T> element)
    {
        index = std::clamp(index, 0, count());
        return m_elements.insert(m_elements.begin() + index, std::move(element))->get();
    }

    int count() const { return int(m_elements.size()); }
    bool isEmpty() const { return m_elements.empty(); }
    // The element at index, or null outside the list.
    T* at(int index) const { return (index >= 0 && index < count()) ? m_elements[size_t(index)].get() : nullptr; }
    T* operator[](int index) const { return at(index); }
    T* first() const { return at(0); }
    T* last() const { return at(count() - 1); }
    int indexOf(const T* element) const
    {
        for (int i = 0; i < count(); ++i)
            if (m_elements[size_t(i)].get() == element)
                return i;
        return -1;
    }

    // Deletes the element at index; false outside the list.
    bool removeAt(int index)
    {
        if (index < 0 || index >= count())
            return false;
        m_elements.erase(m_elements.begin() + index);
        return true;
    }
    bool remove(const T* element) { return removeAt(indexOf(element)); }
    // Hands the element at index over to the caller and drops it from the list.
    std::unique_ptr<T> takeAt(int index)
    {
        if (index < 0 || index >= count())
            return nullptr;
        std::unique_ptr<T> element = std::move(m_elements[size_t(index)]);
        m_elements.erase(m_elements.begin() + index);
        return element;
    }
    void clear() { m_elements.clear(); }
    void swapAt(int a, int b)
    {
        if (at(a) && at(b))
            std::swap(m_elements[size_t(a)], m_elements[size_t(b)]);
    }

    // Sorts with a "comes before" comparison of two elements, keeping the order of equals.
    template<typename Before>
    void stableSort(Before before)
    {
        std::stable_sort(m_elements.begin(), m_elements.end(),
                         [&](const std::unique_ptr<T>& a, const std::unique_ptr<T>& b) { return before(*a, *b); });
    }

    auto begin() const { return m_elements.begin(); }
    auto end() const { return m_elements.end(); }

private:
    std::vector<std::unique_ptr<T>> m_elements;
};

} // namespace Zumeli
