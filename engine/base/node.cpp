#include "engine/base/node.h"

sc_NodeEx::sc_NodeEx(const sc_NodeEx& other) { CopyChildrenFrom(other); }

sc_NodeEx& sc_NodeEx::operator=(const sc_NodeEx& other) {
    if (this != &other) CopyChildrenFrom(other);
    return *this;
}

sc_NodeEx::~sc_NodeEx() { vClear(); }

std::unique_ptr<sc_NodeEx> sc_NodeEx::pNew() const { return std::make_unique<sc_NodeEx>(); }

void sc_NodeEx::vCopyData(const sc_NodeEx*) {}

void sc_NodeEx::vClear() {
    for (auto& child : m_children) child.reset();
    m_children.clear();
    m_children.shrink_to_fit();
    m_pParent = nullptr;
}

void sc_NodeEx::vAdd(const sc_NodeEx* prototype) {
    if (!prototype) return;
    // The copy is made before this node changes, so a prototype that is this
    // node or one of its children is still whole while it is read.
    std::unique_ptr<sc_NodeEx> child = prototype->pNew();
    child->vCopy(prototype);
    child->m_pParent = this;
    m_children.reserve(m_children.size() + 1);
    m_children.push_back(std::move(child));
}

void sc_NodeEx::vDelete(int32_t index) {
    if (index < 0 || index >= lGetCount()) return;
    std::unique_ptr<sc_NodeEx> gone = std::move(m_children[static_cast<size_t>(index)]);
    m_children.erase(m_children.begin() + index);
    gone.reset();
}

void sc_NodeEx::CopyChildrenFrom(const sc_NodeEx& source) {
    std::vector<std::unique_ptr<sc_NodeEx>> copies;
    copies.reserve(source.m_children.size());
    for (const auto& child : source.m_children) {
        std::unique_ptr<sc_NodeEx> c = child->pNew();
        c->vCopy(child.get());
        copies.push_back(std::move(c));
    }
    // The old children go only now: source may be one of them.
    sc_NodeEx* const parent = m_pParent;
    vClear();
    m_pParent = parent;
    m_children = std::move(copies);
}

void sc_NodeEx::vCopy(const sc_NodeEx* source) {
    if (!source || source == this) return;
    // Data first and children last, each built before anything of this node
    // is freed, so a source inside this node's own subtree stays valid.
    vCopyData(source);
    CopyChildrenFrom(*source);
    m_pParent = nullptr;
}

sc_NodeEx* sc_NodeEx::pGetNode(int32_t index) const {
    if (index < 0 || index >= lGetCount()) return nullptr;
    return m_children[static_cast<size_t>(index)].get();
}

sc_NodeEx* sc_NodeEx::pGetRoot() {
    sc_NodeEx* n = this;
    while (n->m_pParent) n = n->m_pParent;
    return n;
}

int32_t sc_NodeEx::lGetDepth() const {
    int32_t depth = 0;
    for (const sc_NodeEx* n = m_pParent; n; n = n->m_pParent) ++depth;
    return depth;
}

int32_t sc_NodeEx::lFind(const sc_NodeEx* node) const {
    if (!node) return -1;
    for (size_t i = 0; i < m_children.size(); ++i)
        if (m_children[i].get() == node) return static_cast<int32_t>(i);
    return -1;
}

bool sc_NodeEx::bIsSameClass(const sc_NodeEx* node) const {
    if (!node) return false;
    if (m_children.empty()) return true;
    const sc_NodeEx& first = *m_children[0];
    return typeid(*node) == typeid(first);
}
