#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "engine/device/list.h"

namespace {

int g_deleted = 0;
struct Node : sc_List {
    ~Node() override { ++g_deleted; }
};

std::vector<sc_List*> Walk(sc_List* first) {
    std::vector<sc_List*> out;
    for (sc_List* n = first; n; n = n->pGetNext()) out.push_back(n);
    return out;
}

// Nodes at known, ascending addresses: one block, nodes taken in order.
struct Pool {
    Node nodes[5];
    sc_List* at(int i) { return &nodes[i]; }
};

TEST(List, SortedInsertionKeepsAddressOrder) {
    Pool p;
    sc_List* first = p.at(2);
    first = first->pInsertSorted(p.at(4)); // above all: goes last, first unchanged
    EXPECT_EQ(first, p.at(2));
    first = first->pInsertSorted(p.at(0)); // below all: goes first and is returned
    EXPECT_EQ(first, p.at(0));
    first = first->pInsertSorted(p.at(3));
    first = first->pInsertSorted(p.at(1));
    EXPECT_EQ(Walk(first), (std::vector<sc_List*>{p.at(0), p.at(1), p.at(2), p.at(3), p.at(4)}));
    EXPECT_EQ(p.at(3)->pGetFirst(), p.at(0));
    EXPECT_EQ(p.at(1)->pGetLast(), p.at(4));
    EXPECT_EQ(first->pInsertSorted(nullptr), nullptr);
    p.at(0)->pUnlinkAll();
}

TEST(List, RemoveReturnsTheHeadToKeep) {
    Pool p;
    sc_List* first = p.at(0);
    for (int i = 1; i < 4; ++i) first = first->pInsertSorted(p.at(i));
    EXPECT_EQ(p.at(0)->pRemove(nullptr), p.at(1)); // the first node: its successor
    EXPECT_EQ(p.at(2)->pRemove(nullptr), p.at(1)); // a middle node: the first
    EXPECT_EQ(Walk(p.at(1)), (std::vector<sc_List*>{p.at(1), p.at(3)}));
    EXPECT_EQ(p.at(2)->pGetPrev(), nullptr);
    EXPECT_EQ(p.at(2)->pGetNext(), nullptr);
    EXPECT_EQ(p.at(1)->pUnlinkAll(), p.at(3));
    EXPECT_EQ(p.at(1)->pGetNext(), nullptr);
}

TEST(List, DeleteAllFromAnyNodeDeletesTheWholeChain) {
    g_deleted = 0;
    std::vector<Node*> heap;
    for (int i = 0; i < 4; ++i) heap.push_back(new Node);
    sc_List* first = heap[0];
    for (int i = 1; i < 4; ++i) first = first->pInsertSorted(heap[i]);
    // Call it on the node that sits last in address order.
    sc_List* last = first->pGetLast();
    last->vDeleteAll();
    EXPECT_EQ(g_deleted, 4);
}

TEST(List, InsertBeforeAndAfterRelinkNeighbours) {
    Pool p;
    p.at(1)->vInsertAfter(p.at(3));
    p.at(3)->vInsertBefore(p.at(2));
    p.at(1)->vInsertBefore(p.at(0));
    EXPECT_EQ(Walk(p.at(0)), (std::vector<sc_List*>{p.at(0), p.at(1), p.at(2), p.at(3)}));
    p.at(2)->vUnlink();
    EXPECT_EQ(Walk(p.at(0)), (std::vector<sc_List*>{p.at(0), p.at(1), p.at(3)}));
    p.at(1)->vInsertAfter(nullptr);
    EXPECT_EQ(Walk(p.at(0)).size(), 3u);
    p.at(0)->pUnlinkAll();
}

} // namespace
