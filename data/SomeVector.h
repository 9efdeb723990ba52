#pragma once

#include <algorithm>
#include <memory>
#include <vector>

namespace Zumeli {

// The engine's list of owned elements: the lists of channels, people, groups, messages, channel
// events and pictures derive from it. The list owns every element it holds and deletes it when
// the element is removed or the list is cleared or destroyed; pointers it hands out stay valid
// until then, because elements never move in memory when the list grows or is sorted.
//
// A list that keeps an index beside its elements (by id, by name) overrides the hooks at the
// end: every element that joins and every element that leaves goes through them, whichever
// operation moved it, so the index cannot miss a change.
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
        T* added = m_elements.back().get();
        elementAdded(added);
        return added;
    }
    T* insertAt(int index, std::unique_ptr<T> element)
    {
        index = std::clamp(index, 0, count());
        T* added = m_elements.insert(m_elements.begin() + index, std::move(element))->get();
        elementAdded(added);
        return added;
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
        elementRemoving(m_elements[size_t(index)].get());
        m_elements.erase(m_elements.begin() + index);
        return true;
    }
    // Deletes the first n elements (all of them when n is larger) in one move of the rest.
    void removeFirst(int n)
    {
        n = std::clamp(n, 0, count());
        for (int i = 0; i < n; ++i)
            elementRemoving(m_elements[size_t(i)].get());
        m_elements.erase(m_elements.begin(), m_elements.begin() + n);
    }
    bool remove(const T* element) { return removeAt(indexOf(element)); }
    // Hands the element at index over to the caller and drops it from the list.
    std::unique_ptr<T> takeAt(int index)
    {
        if (index < 0 || index >= count())
            return nullptr;
        elementRemoving(m_elements[size_t(index)].get());
        std::unique_ptr<T> element = std::move(m_elements[size_t(index)]);
        m_elements.erase(m_elements.begin() + index);
        return element;
    }
    void clear()
    {
        m_elements.clear();
        allRemoved();
    }
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

protected:
    // After an element joined the list (at the end, or at an index by insertAt).
    virtual void elementAdded(T*) { }
    // Before one element leaves the list (deleted, or handed to the caller by takeAt).
    virtual void elementRemoving(T*) { }
    // After clear() emptied the list.
    virtual void allRemoved() { }

private:
    std::vector<std::unique_ptr<T>> m_elements;
};

} // namespace Zumeli
