#pragma once
#include <cstdint>
#include <memory>
#include <typeinfo>
#include <vector>

// The owning tree node under every game object and member value. A node
// never keeps the caller's object: vAdd appends a deep copy that the
// prototype's own class makes through pNew and vCopyData.
//
// Contract for a derived class D:
// - pNew returns a new, blank D (std::make_unique<D>()).
// - vCopyData copies D's own fields (not the children) from a source whose
//   dynamic class is exactly D (b_IsExactly<D>), and does nothing otherwise;
//   member fields that are nodes are copied with their vCopy.
// - The C++ copy constructor and assignment are deep copies too; a class with
//   owning fields writes its own.
class sc_NodeEx {
public:
    sc_NodeEx() = default;
    sc_NodeEx(const sc_NodeEx& other);
    sc_NodeEx& operator=(const sc_NodeEx& other);
    virtual ~sc_NodeEx();

    virtual std::unique_ptr<sc_NodeEx> pNew() const;
    virtual void vCopyData(const sc_NodeEx* source);

    // Deletes the children in index order and drops the parent link. Not
    // virtual: a derived vClear calls it and then resets its own data.
    void vClear();
    void vRemoveAll() { vClear(); }

    // Appends a deep copy of the prototype; null adds nothing.
    void vAdd(const sc_NodeEx* prototype);
    void vAdd(const sc_NodeEx& prototype) { vAdd(&prototype); }
    // Deletes the child at index; later children move down by one.
    void vDelete(int32_t index);
    // Becomes a deep copy of source: children replaced, data copied when the
    // classes match exactly. Null or this node itself changes nothing.
    void vCopy(const sc_NodeEx* source);

    int32_t lGetCount() const { return static_cast<int32_t>(m_children.size()); }
    sc_NodeEx* pGetNode(int32_t index) const;
    template <class T> T* pGetNodeAs(int32_t index) const { return dynamic_cast<T*>(pGetNode(index)); }
    sc_NodeEx* pGetParent() const { return m_pParent; }
    sc_NodeEx* pGetRoot();
    int32_t lGetDepth() const;
    int32_t lFind(const sc_NodeEx* node) const;
    // False for null; true without children; else whether node's class is
    // exactly that of child 0.
    bool bIsSameClass(const sc_NodeEx* node) const;

private:
    void CopyChildrenFrom(const sc_NodeEx& source);

    std::vector<std::unique_ptr<sc_NodeEx>> m_children;
    sc_NodeEx* m_pParent = nullptr; // set by vAdd only; not owning
};

// Exact dynamic class test, the rule of every vCopyData.
template <class T> bool b_IsExactly(const sc_NodeEx* node) { return node && typeid(*node) == typeid(T); }
