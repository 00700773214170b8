#pragma once

// An intrusive doubly linked node. A chain has no head object: its first node
// is the one without a previous node.
class sc_List {
public:
    sc_List() = default;
    sc_List(const sc_List&) = delete;
    sc_List& operator=(const sc_List&) = delete;
    virtual ~sc_List() { m_pPrev = m_pNext = nullptr; }

    // Deletes every node of the chain, this one included.
    void vDeleteAll();
    void vInsertBefore(sc_List* node);
    void vInsertAfter(sc_List* node);
    void vUnlink();
    sc_List* pGetFirst();
    sc_List* pGetLast();
    // Clears the links of every node of the chain; returns the last node.
    sc_List* pUnlinkAll();
    // The first node at or above the new node's address (1), else the last (0).
    int bFindPlace(const sc_List* node, sc_List*& place);
    // Keeps the chain in ascending address order; returns the first node.
    sc_List* pInsertSorted(sc_List* node);
    sc_List* pRemove(sc_List* head);

    sc_List* pGetPrev() const { return m_pPrev; }
    sc_List* pGetNext() const { return m_pNext; }

private:
    sc_List* m_pPrev = nullptr;
    sc_List* m_pNext = nullptr;
};
