#include <gtest/gtest.h>

#include "runtime/variables.h"

namespace rs::runtime {
namespace {

struct Tables {
    ValuePool pool{256};
    VariableTable locals;
    VariableTable globals;
    ~Tables() {
        locals.clear(pool);
        globals.clear(pool);
    }
};

TEST(Variables, FindvarPrefersLocalsThenGlobalsThenCreatesALocal) {
    Tables t;
    makeGlobal(t.globals, 5);
    Variable* g = findvar(t.locals, t.globals, 5);
    EXPECT_EQ(g, t.globals.find(5));
    EXPECT_EQ(t.locals.count(), 0);

    Variable* fresh = findvar(t.locals, t.globals, 9);
    EXPECT_EQ(fresh, t.locals.find(9));
    EXPECT_EQ(fresh->dim, 0);
    EXPECT_EQ(fresh->elements.size(), 1u);
    EXPECT_EQ(fresh->elements[0], nullptr);
    // Numbers outside 0..2047 have no variable.
    EXPECT_EQ(findvar(t.locals, t.globals, 2048), nullptr);
    EXPECT_EQ(findvar(t.locals, t.globals, -1), nullptr);
}

TEST(Variables, ALocalShadowsALaterGlobalDeclaration) {
    Tables t;
    Variable* local = findvar(t.locals, t.globals, 7);
    makeGlobal(t.globals, 7);
    EXPECT_EQ(findvar(t.locals, t.globals, 7), local);
    makeGlobal(t.globals, 7);  // twice is once
    EXPECT_EQ(t.globals.count(), 1);
}

TEST(Variables, RedimensioningKeepsWhatFitsAndFreesTheRest) {
    Tables t;
    Variable* v = findvar(t.locals, t.globals, 0);
    ASSERT_TRUE(dimension(t.pool, *v, 5, 0));
    for (int i = 0; i < 5; ++i) v->elements[i] = t.pool.newInteger(i * 10);

    ASSERT_TRUE(dimension(t.pool, *v, 3, 0));
    ASSERT_EQ(v->dim, 3);
    EXPECT_EQ(v->elements[2]->u.i, 20);

    ASSERT_TRUE(dimension(t.pool, *v, 8, 0));
    EXPECT_EQ(v->elements[2]->u.i, 20);
    for (int i = 3; i < 8; ++i) EXPECT_EQ(v->elements[i], nullptr) << i;
}

TEST(Variables, DimensionZeroGivesOneElementAndAScalarBecomesElementZero) {
    Tables t;
    Variable* v = findvar(t.locals, t.globals, 1);
    v->elements[0] = t.pool.newInteger(42);
    ASSERT_TRUE(dimension(t.pool, *v, 0, 0));
    EXPECT_EQ(v->dim, 1);
    ASSERT_EQ(v->elements.size(), 1u);
    EXPECT_EQ(v->elements[0]->u.i, 42);
}

TEST(Variables, TwoDimensionalResizeMovesElementsByCoordinate) {
    Tables t;
    Variable* v = findvar(t.locals, t.globals, 2);
    ASSERT_TRUE(dimension(t.pool, *v, -3, 2));  // 3 wide, 2 rows
    EXPECT_EQ(v->width(), 3);
    EXPECT_EQ(v->rows, 2);
    v->elements[1 * 3 + 2] = t.pool.newInteger(12);  // (2, 1)
    v->elements[0 * 3 + 1] = t.pool.newInteger(1);   // (1, 0)
    ASSERT_TRUE(dimension(t.pool, *v, -2, 3));       // 2 wide, 3 rows: (2, 1) no longer fits
    EXPECT_EQ(v->elements[0 * 2 + 1]->u.i, 1);
    for (size_t i = 0; i < v->elements.size(); ++i) {
        if (i != 1) {
            EXPECT_EQ(v->elements[i], nullptr) << i;
        }
    }
}

TEST(Variables, AbsurdSizesAreRefusedWithoutChange) {
    Tables t;
    Variable* v = findvar(t.locals, t.globals, 3);
    EXPECT_FALSE(dimension(t.pool, *v, -4, 0));
    EXPECT_FALSE(dimension(t.pool, *v, INT32_MIN, 1));
    EXPECT_FALSE(dimension(t.pool, *v, -65536, 65536));
    EXPECT_EQ(v->dim, 0);
}

TEST(Variables, ReferencesAliasAndClear) {
    Tables t;
    Variable* a = findvar(t.locals, t.globals, 0);
    Variable* b = findvar(t.locals, t.globals, 1);
    b->elements[0] = t.pool.newInteger(5);
    ASSERT_TRUE(makeReference(t.pool, &a->elements[0], &b->elements[0]));
    ASSERT_EQ(a->elements[0]->type, kReference);
    EXPECT_EQ(a->elements[0]->u.ref, &b->elements[0]);
    clearReference(&a->elements[0]);
    EXPECT_EQ(a->elements[0]->type, kVoid);
    // Aliasing a slot to itself changes nothing.
    Value* before = b->elements[0];
    ASSERT_TRUE(makeReference(t.pool, &b->elements[0], &b->elements[0]));
    EXPECT_EQ(b->elements[0], before);
}

TEST(Variables, GlobalReferencesIntoFreedLocalsBecomeVoid) {
    Tables t;
    makeGlobal(t.globals, 10);
    Variable* g = t.globals.find(10);
    Variable* local = findvar(t.locals, t.globals, 11);
    local->elements[0] = t.pool.newInteger(1);
    ASSERT_TRUE(makeReference(t.pool, &g->elements[0], &local->elements[0]));
    // A reference kept across a resize still points at a live (emptied) slot.
    ASSERT_TRUE(dimension(t.pool, *local, 4, 0));
    voidReferencesInto(t.globals, t.locals);
    EXPECT_EQ(g->elements[0]->type, kVoid);
}

}  // namespace
}  // namespace rs::runtime
