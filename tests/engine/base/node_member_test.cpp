#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <typeinfo>
#include <vector>

#include "engine/base/file.h"
#include "engine/base/member.h"
#include "engine/base/node.h"
#include "platform/byte_reader.h"
#include "tests/support/reader_checks.h"
#include "tests/support/temp_dir.h"

namespace {

// A game-object-like node: data of its own plus a member value.
class Thing : public sc_NodeEx {
public:
    std::unique_ptr<sc_NodeEx> pNew() const override { return std::make_unique<Thing>(); }
    void vCopyData(const sc_NodeEx* source) override {
        if (!b_IsExactly<Thing>(source)) return;
        const auto* t = static_cast<const Thing*>(source);
        hp = t->hp;
        name.vCopy(&t->name);
    }
    int32_t hp = 0;
    sc_MemberString name;
};

class BigThing : public Thing {
public:
    std::unique_ptr<sc_NodeEx> pNew() const override { return std::make_unique<BigThing>(); }
    void vCopyData(const sc_NodeEx* source) override {
        Thing::vCopyData(source); // copies nothing: the class is not exactly Thing
        if (b_IsExactly<BigThing>(source)) size = static_cast<const BigThing*>(source)->size;
    }
    int32_t size = 0;
};

TEST(Node, AddMakesDistinctDeepCopiesWithParents) {
    sc_NodeEx list;
    Thing proto;
    proto.hp = 5;
    proto.name.vSet("orc");
    for (int i = 0; i < 3; ++i) list.vAdd(&proto);
    ASSERT_EQ(list.lGetCount(), 3);
    auto* a = list.pGetNodeAs<Thing>(0);
    auto* b = list.pGetNodeAs<Thing>(1);
    ASSERT_TRUE(a && b);
    EXPECT_NE(a, b);
    EXPECT_NE(a->name.pGetText(), proto.name.pGetText());
    a->hp = 9;
    a->name.vSet("elf");
    EXPECT_EQ(b->hp, 5);
    EXPECT_STREQ(b->name.pGetText(), "orc");
    EXPECT_EQ(proto.hp, 5);
    EXPECT_EQ(a->pGetParent(), &list);
    EXPECT_EQ(a->lGetDepth(), 1);
    EXPECT_EQ(a->pGetRoot(), &list);
    EXPECT_EQ(list.lFind(b), 1);
    EXPECT_EQ(list.lFind(&proto), -1);
    EXPECT_EQ(list.lFind(nullptr), -1);
    EXPECT_EQ(list.pGetNode(-1), nullptr);
    EXPECT_EQ(list.pGetNode(3), nullptr);

    list.vAdd(nullptr);
    EXPECT_EQ(list.lGetCount(), 3);
}

TEST(Node, DeleteShiftsLaterChildrenAndIgnoresBadIndexes) {
    sc_NodeEx list;
    for (int32_t v : {10, 11, 12}) {
        sc_MemberLong m(v);
        list.vAdd(m);
    }
    list.vDelete(3);
    list.vDelete(-1);
    EXPECT_EQ(list.lGetCount(), 3);
    list.vDelete(0);
    ASSERT_EQ(list.lGetCount(), 2);
    EXPECT_EQ(list.pGetNodeAs<sc_MemberLong>(0)->lGet(), 11);
    EXPECT_EQ(list.pGetNodeAs<sc_MemberLong>(1)->lGet(), 12);
    list.vDelete(1);
    list.vDelete(0);
    EXPECT_EQ(list.lGetCount(), 0);
    EXPECT_EQ(list.pGetNode(0), nullptr);
}

TEST(Node, DeepCopyKeepsShapeAndEachChildsClass) {
    sc_NodeEx root;
    Thing t;
    t.hp = 1;
    BigThing big;
    big.hp = 2;
    big.size = 7;
    big.vAdd(t); // depth 3 below root
    root.vAdd(t);
    root.vAdd(big);

    sc_NodeEx copy;
    copy.vCopy(&root);
    ASSERT_EQ(copy.lGetCount(), 2);
    const sc_NodeEx* c0 = copy.pGetNode(0);
    const sc_NodeEx* c1 = copy.pGetNode(1);
    EXPECT_EQ(typeid(*c0), typeid(Thing));
    EXPECT_EQ(typeid(*c1), typeid(BigThing));
    EXPECT_EQ(static_cast<const BigThing*>(c1)->size, 7);
    // BigThing's data came through its own vCopyData; Thing's part of it is
    // skipped by the exact-class rule.
    EXPECT_EQ(static_cast<const BigThing*>(c1)->hp, 0);
    ASSERT_EQ(c1->lGetCount(), 1);
    const sc_NodeEx& grandchild = *c1->pGetNode(0);
    EXPECT_EQ(typeid(grandchild), typeid(Thing));
    EXPECT_EQ(static_cast<const Thing*>(c1->pGetNode(0))->hp, 1);
    // Copies have no parent links; added children do.
    EXPECT_EQ(c0->pGetParent(), nullptr);
    EXPECT_EQ(c1->pGetNode(0)->pGetParent(), nullptr);
    EXPECT_EQ(root.pGetNode(1)->pGetParent(), &root);

    EXPECT_TRUE(copy.bIsSameClass(&t));
    EXPECT_FALSE(copy.bIsSameClass(&big));
    EXPECT_FALSE(copy.bIsSameClass(nullptr));
    EXPECT_TRUE(sc_NodeEx().bIsSameClass(&big));
}

TEST(Node, CopyFromAnotherClassTakesChildrenButNoData) {
    Thing target;
    target.hp = 3;
    target.vAdd(Thing());
    sc_NodeEx other;
    other.vAdd(sc_MemberLong(4));
    other.vAdd(sc_MemberLong(5));
    target.vCopy(&other);
    EXPECT_EQ(target.hp, 3);
    ASSERT_EQ(target.lGetCount(), 2);
    EXPECT_EQ(target.pGetNodeAs<sc_MemberLong>(1)->lGet(), 5);
    target.vCopy(nullptr);
    EXPECT_EQ(target.lGetCount(), 2);
}

TEST(Node, CopyingOntoItselfOrFromItsOwnSubtreeIsSafe) {
    Thing t;
    t.hp = 8;
    t.name.vSet("self");
    t.vAdd(sc_MemberLong(1));
    t.vCopy(&t);
    EXPECT_EQ(t.hp, 8);
    EXPECT_STREQ(t.name.pGetText(), "self");
    EXPECT_EQ(t.lGetCount(), 1);

    Thing& alias = t;
    t = alias;
    EXPECT_EQ(t.lGetCount(), 1);
    EXPECT_STREQ(t.name.pGetText(), "self");

    // A node copied from its own child: the child is freed only after use.
    sc_NodeEx root;
    sc_NodeEx inner;
    inner.vAdd(sc_MemberLong(6));
    root.vAdd(inner);
    root.vCopy(root.pGetNode(0));
    ASSERT_EQ(root.lGetCount(), 1);
    EXPECT_EQ(root.pGetNodeAs<sc_MemberLong>(0)->lGet(), 6);

    // Adding a node to itself appends a copy of what it was.
    root.vAdd(&root);
    ASSERT_EQ(root.lGetCount(), 2);
    EXPECT_EQ(root.pGetNode(1)->lGetCount(), 1);

    sc_MemberString s("abc");
    s.vCopyData(&s);
    s.vSet(s.pGetText());
    const sc_MemberString& same = s;
    s = same;
    EXPECT_STREQ(s.pGetText(), "abc");
}

TEST(Node, CppCopiesAreDeepAndAssignmentKeepsTheParent) {
    sc_NodeEx list;
    Thing proto;
    proto.name.vSet("a");
    proto.vAdd(sc_MemberLong(2));
    list.vAdd(proto);
    Thing* child = list.pGetNodeAs<Thing>(0);
    Thing other;
    other.name.vSet("b");
    *child = other;
    EXPECT_EQ(child->pGetParent(), &list);
    EXPECT_STREQ(child->name.pGetText(), "b");
    EXPECT_EQ(child->lGetCount(), 0);

    Thing copy(proto);
    EXPECT_EQ(copy.lGetCount(), 1);
    EXPECT_NE(copy.pGetNode(0), proto.pGetNode(0));
    EXPECT_NE(copy.name.pGetText(), proto.name.pGetText());
}

TEST(Member, LongAndPointerCopyRules) {
    sc_MemberLong a(5), zero(0);
    a.vCopyData(&zero);
    EXPECT_EQ(a.lGet(), 0); // 0 is copied too
    a.vSet(9);
    sc_MemberPointer p;
    a.vCopyData(&p); // another class: nothing
    EXPECT_EQ(a.lGet(), 9);

    int target = 0;
    sc_NodeEx holder;
    holder.vAdd(sc_MemberPointer(&target));
    sc_NodeEx copy;
    copy.vCopy(&holder);
    EXPECT_EQ(copy.pGetNodeAs<sc_MemberPointer>(0)->pGet(), &target);
    p.vSet(&target);
    p.vClear();
    EXPECT_EQ(p.pGet(), nullptr);
}

TEST(Member, StringSetAppendAndCopy) {
    sc_MemberString s;
    EXPECT_EQ(s.pGetText(), nullptr);
    s.vSet(nullptr);
    EXPECT_EQ(s.pGetText(), nullptr);
    EXPECT_STREQ(s.pAppend("abc"), "abc");
    EXPECT_STREQ(s.pAppend("de"), "abcde");
    EXPECT_EQ(s.pAppend(nullptr), nullptr);
    EXPECT_STREQ(s.pAppend(s.pGetText()), "abcdeabcde");
    sc_MemberString none;
    EXPECT_EQ(s.pAppendString(&none), nullptr);
    EXPECT_EQ(s.pAppendString(nullptr), nullptr);

    sc_MemberString target("keep");
    target.vCopyData(&none); // a source without text leaves the target's text
    EXPECT_STREQ(target.pGetText(), "keep");
    target.vCopyData(&s);
    EXPECT_STREQ(target.pGetText(), "abcdeabcde");
    sc_MemberString empty("");
    ASSERT_NE(empty.pGetText(), nullptr);
    EXPECT_STREQ(empty.pGetText(), "");
    empty.vClear();
    EXPECT_EQ(empty.pGetText(), nullptr);
}

std::vector<uint8_t> Saved(const sc_MemberString& s) {
    sc_ByteWriter w;
    s.vSave(w);
    return w.Release();
}

TEST(Member, StringRecordsAreByteExact) {
    EXPECT_EQ(Saved(sc_MemberString()), (std::vector<uint8_t>{0, 0, 0, 0}));
    EXPECT_EQ(Saved(sc_MemberString("")), (std::vector<uint8_t>{1, 0, 0, 0, 0}));
    EXPECT_EQ(Saved(sc_MemberString("abc")), (std::vector<uint8_t>{4, 0, 0, 0, 'a', 'b', 'c', 0}));

    for (const char* text : {static_cast<const char*>(nullptr), "", "abc", "\xA4\x40\xA4\x41"}) {
        sc_MemberString s(text);
        const std::vector<uint8_t> bytes = Saved(s);
        sc_ByteReader r(bytes);
        sc_MemberString back("old");
        ASSERT_TRUE(back.bLoad(r));
        EXPECT_TRUE(r.AtEnd());
        if (!text) {
            EXPECT_EQ(back.pGetText(), nullptr);
        } else {
            ASSERT_NE(back.pGetText(), nullptr);
            EXPECT_STREQ(back.pGetText(), text);
        }
    }
}

TEST(Member, StringRecordWithoutTerminatorIsCutWithinItsLength) {
    const std::vector<uint8_t> bytes = {3, 0, 0, 0, 'x', 'y', 'z'};
    sc_ByteReader r(bytes);
    sc_MemberString s;
    ASSERT_TRUE(s.bLoad(r));
    EXPECT_STREQ(s.pGetText(), "xy");
}

// Every prefix of a record shorter than the whole must fail without reading
// past its end (the sanitizer build checks the "without").
TEST(Member, EveryTruncatedPrefixFailsCleanly) {
    const std::vector<uint8_t> whole = Saved(sc_MemberString("abcdefg"));
    krxtest::ExpectEveryPrefixRefused(
        whole,
        [](std::span<const uint8_t> prefix) {
            sc_ByteReader r(prefix);
            sc_MemberString s("old");
            const bool ok = s.bLoad(r);
            EXPECT_EQ(s.pGetText(), nullptr);
            return ok;
        },
        krxtest::Traced::Silent); // a field of a larger record: its reader reports
    // A huge length is refused before anything is allocated.
    const std::vector<uint8_t> huge = {0xFF, 0xFF, 0xFF, 0xFF, 'a', 0};
    sc_ByteReader r(huge);
    sc_MemberString s;
    EXPECT_FALSE(s.bLoad(r));
    EXPECT_EQ(s.pGetText(), nullptr);
}

class MemberFileTest : public ::testing::Test {
protected:
    krxtest::TempDir dir;
    krxtest::ScopedCwd cwd{dir.Path()};
};

TEST_F(MemberFileTest, FileRecordsRoundTripAndPrefixesFail) {
    {
        sc_File f("m.bin", FILE_MODE_CREATE);
        sc_MemberString().vSave(f);
        sc_MemberString("").vSave(f);
        sc_MemberString("abc").vSave(f);
    }
    const std::string bytes = dir.Read("m.bin");
    EXPECT_EQ(bytes, std::string("\0\0\0\0\1\0\0\0\0\4\0\0\0abc\0", 17));
    {
        sc_CreateFileSquentialAccess f("m.bin");
        sc_MemberString a("x"), b, c;
        EXPECT_TRUE(a.bLoad(f));
        EXPECT_TRUE(b.bLoad(f));
        EXPECT_TRUE(c.bLoad(f));
        EXPECT_EQ(a.pGetText(), nullptr);
        EXPECT_STREQ(b.pGetText(), "");
        EXPECT_STREQ(c.pGetText(), "abc");
        sc_MemberString end("x");
        end.vLoad(f); // at the end of the file: no text
        EXPECT_EQ(end.pGetText(), nullptr);
    }
    const std::string record = bytes.substr(9);
    krxtest::ExpectEveryPrefixRefused(
        krxtest::AsBytes(record),
        [&](std::span<const uint8_t> prefix) {
            dir.Write("cut.bin", std::string(prefix.begin(), prefix.end()));
            sc_CreateFileSquentialAccess f("cut.bin");
            sc_MemberString s("old");
            const bool ok = s.bLoad(f);
            EXPECT_EQ(s.pGetText(), nullptr);
            return ok;
        },
        krxtest::Traced::Silent);
    sc_CreateFileSquentialAccess closed("missing.bin");
    sc_MemberString s("old");
    EXPECT_FALSE(s.bLoad(closed));
    EXPECT_EQ(s.pGetText(), nullptr);
}

} // namespace
