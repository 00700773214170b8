#include "engine/device/list.h"

#include <cstdint>

void sc_List::vDeleteAll() {
    sc_List* node = pGetFirst();
    while (node) {
        sc_List* next = node->m_pNext;
        delete node;
        node = next;
    }
}

void sc_List::vInsertBefore(sc_List* node) {
    if (!node) return;
    if (m_pPrev) m_pPrev->m_pNext = node;
    node->m_pNext = this;
    node->m_pPrev = m_pPrev;
    m_pPrev = node;
}

void sc_List::vInsertAfter(sc_List* node) {
    if (!node) return;
    if (m_pNext) m_pNext->m_pPrev = node;
    node->m_pNext = m_pNext;
    node->m_pPrev = this;
    m_pNext = node;
}

void sc_List::vUnlink() {
    if (m_pPrev) m_pPrev->m_pNext = m_pNext;
    if (m_pNext) m_pNext->m_pPrev = m_pPrev;
    m_pPrev = m_pNext = nullptr;
}

sc_List* sc_List::pGetFirst() {
    sc_List* n = this;
    while (n->m_pPrev) n = n->m_pPrev;
    return n;
}

sc_List* sc_List::pGetLast() {
    sc_List* n = this;
    while (n->m_pNext) n = n->m_pNext;
    return n;
}

sc_List* sc_List::pUnlinkAll() {
    sc_List* n = pGetFirst();
    sc_List* last = n;
    while (n) {
        sc_List* next = n->m_pNext;
        n->m_pPrev = n->m_pNext = nullptr;
        last = n;
        n = next;
    }
    return last;
}

int sc_List::bFindPlace(const sc_List* node, sc_List*& place) {
    const auto key = reinterpret_cast<uintptr_t>(node);
    sc_List* n = pGetFirst();
    for (;;) {
        if (reinterpret_cast<uintptr_t>(n) >= key) {
            place = n;
            return 1;
        }
        if (!n->m_pNext) {
            place = n;
            return 0;
        }
        n = n->m_pNext;
    }
}

sc_List* sc_List::pInsertSorted(sc_List* node) {
    if (!node) return nullptr;
    sc_List* place = nullptr;
    if (bFindPlace(node, place))
        place->vInsertBefore(node);
    else
        place->vInsertAfter(node);
    return node->pGetFirst();
}

sc_List* sc_List::pRemove(sc_List* head) {
    if (!head) head = pGetFirst();
    if (head == this) head = m_pNext;
    vUnlink();
    return head;
}
