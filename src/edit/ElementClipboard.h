#pragma once
// The application clipboard of the page editor: at most one element, the
// one last copied or cut, shared by all open pages. It keeps its own copy,
// so it stays valid after the page it came from is closed.

#include "model/CGraph.h"

#include <optional>

namespace h5 {

class ElementClipboard
{
public:
    bool hasElement() const { return m_element.has_value(); }
    // The held element, or nullptr.
    const CGraph *element() const { return m_element ? &*m_element : nullptr; }
    // Empties the clipboard and puts a copy of `e` into it.
    void put(const CGraph &e) { m_element = e; }
    void clear() { m_element.reset(); }

private:
    std::optional<CGraph> m_element;
};

// The one clipboard of the running application.
ElementClipboard &applicationClipboard();

} // namespace h5
