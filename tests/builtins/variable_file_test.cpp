#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "builtins/variable_file.h"

namespace rs::builtins {
namespace {

using runtime::Variable;
using Bytes = std::vector<uint8_t>;

struct Store {
    runtime::ValuePool pool{64};
    runtime::VariableTable vars;
    ~Store() { vars.clear(pool); }
    Variable& fresh(int32_t number) { return *vars.add(number); }
};

void word(Bytes& out, int32_t w) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(w) >> (8 * i)));
}

data::FileBuffer bufferOf(const Bytes& bytes) {
    data::FileBuffer b;
    EXPECT_TRUE(data::writeAtPosition(b, bytes));
    b.position = 0;
    return b;
}

std::string text(const runtime::Value* v) {
    return std::string(v->u.s->data.get(), static_cast<size_t>(v->u.s->length));
}

TEST(VariableFile, TheDocumentedArrayLayout) {
    Store s;
    Variable& v = s.fresh(0);
    ASSERT_TRUE(runtime::dimension(s.pool, v, 3, 0));
    v.elements[0] = s.pool.newInteger(1);
    v.elements[1] = s.pool.newReal(2.5f);
    v.elements[2] = s.pool.newString("ab");
    Bytes expected;
    word(expected, 3);
    word(expected, 1);
    word(expected, 1);
    word(expected, 2);
    word(expected, 0x40200000);  // 2.5f
    word(expected, 3);
    word(expected, 3);
    for (char c : {'a', 'b', '\0'}) expected.push_back(static_cast<uint8_t>(c));
    EXPECT_EQ(encodeVariable(v), expected);
}

TEST(VariableFile, EveryElementTypeRoundTrips) {
    Store s;
    Variable& v = s.fresh(0);
    ASSERT_TRUE(runtime::dimension(s.pool, v, -3, 3));  // 3 x 3
    v.elements[0] = s.pool.newInteger(-7);
    v.elements[1] = s.pool.newReal(-0.125f);
    v.elements[2] = s.pool.newStringWithLength(std::string_view("a\0b\0\0", 5), 6);
    v.elements[3] = s.pool.newOfType(runtime::kVarName, 12);
    v.elements[4] = s.pool.newOfType(runtime::kLabel, 345);
    v.elements[5] = s.pool.newOfType(runtime::kLabelDiff, -6);
    v.elements[6] = s.pool.newOfType(runtime::kVoid, 0);
    // 7 stays empty; 8 is a reference to element 0.
    ASSERT_TRUE(runtime::makeReference(s.pool, &v.elements[8], &v.elements[0]));
    Bytes bytes = encodeVariable(v);

    Variable& w = s.fresh(1);
    data::FileBuffer b = bufferOf(bytes);
    ASSERT_EQ(readVariable(s.pool, w, b), VariableReadResult::Ok);
    EXPECT_EQ(b.position, b.size);
    EXPECT_EQ(w.dim, -3);
    EXPECT_EQ(w.rows, 3);
    ASSERT_EQ(w.elements.size(), 9u);
    EXPECT_EQ(w.elements[0]->u.i, -7);
    EXPECT_EQ(w.elements[1]->u.r, -0.125f);
    ASSERT_EQ(w.elements[2]->type, runtime::kString);
    EXPECT_EQ(w.elements[2]->u.s->length, 6);  // the stored length, NULs inside kept
    EXPECT_EQ(text(w.elements[2]), std::string("a\0b\0\0\0", 6));
    EXPECT_EQ(w.elements[3]->type, runtime::kVarName);
    EXPECT_EQ(w.elements[3]->u.i, 12);
    EXPECT_EQ(w.elements[4]->type, runtime::kLabel);
    EXPECT_EQ(w.elements[4]->u.i, 345);
    EXPECT_EQ(w.elements[5]->u.i, -6);
    EXPECT_EQ(w.elements[6]->type, runtime::kVoid);
    EXPECT_EQ(w.elements[7], nullptr);
    // A reference cannot come back from a file: it is a void value.
    EXPECT_EQ(w.elements[8]->type, runtime::kVoid);
    // Saved again, the restored variable gives the same bytes except for the reference.
    Bytes again = encodeVariable(w);
    ASSERT_EQ(again.size(), bytes.size());
    bytes[bytes.size() - 4] = runtime::kVoid;
    EXPECT_EQ(again, bytes);
}

TEST(VariableFile, ScalarsAndOtherTagsFromFiles) {
    Store s;
    Variable& v = s.fresh(0);
    struct Case {
        int32_t tag;
        int32_t expectedType;
    };
    for (Case c :
         {Case{runtime::kConstString, runtime::kVoid}, Case{runtime::kReference2, runtime::kVoid},
          Case{runtime::kReference, runtime::kVoid}}) {
        Bytes file;
        word(file, 0);
        word(file, c.tag);
        data::FileBuffer b = bufferOf(file);
        ASSERT_EQ(readVariable(s.pool, v, b), VariableReadResult::Ok) << c.tag;
        EXPECT_EQ(v.dim, 0);
        EXPECT_EQ(v.elements[0]->type, c.expectedType) << c.tag;
    }
    // A string of stored length 0.
    Bytes file;
    word(file, 0);
    word(file, runtime::kString);
    word(file, 0);
    data::FileBuffer b = bufferOf(file);
    ASSERT_EQ(readVariable(s.pool, v, b), VariableReadResult::Ok);
    EXPECT_EQ(v.elements[0]->u.s->length, 0);
}

TEST(VariableFile, DamagedDataLeavesAnUnassignedScalar) {
    Store s;
    struct Case {
        const char* what;
        Bytes bytes;
    };
    auto of = [](std::initializer_list<int32_t> words) {
        Bytes b;
        for (int32_t w : words) word(b, w);
        return b;
    };
    const Case cases[] = {
        {"nothing at all", {}},
        {"dim larger than the pool", of({65, 1, 1})},
        {"2-D larger than the pool", of({-9, 9, -1})},
        {"2-D without rows", of({-2})},
        {"2-D with no rows", of({-2, 0})},
        {"INT32_MIN width", of({INT32_MIN, 1})},
        {"unknown tag", of({1, 10})},
        {"negative tag", of({1, -2})},
        {"element missing", of({2, 1, 5})},
        {"payload missing", of({1, 1})},
        {"negative string length", of({1, 3, -1})},
        {"string longer than the data", of({1, 3, 100, 0})},
    };
    for (const Case& c : cases) {
        Variable& v = s.fresh(static_cast<int32_t>(&c - cases));
        ASSERT_TRUE(runtime::dimension(s.pool, v, 4, 0));
        v.elements[1] = s.pool.newInteger(5);
        data::FileBuffer b = bufferOf(c.bytes);
        EXPECT_EQ(readVariable(s.pool, v, b), VariableReadResult::Damaged) << c.what;
        EXPECT_EQ(v.dim, 0) << c.what;
        ASSERT_EQ(v.elements.size(), 1u) << c.what;
        EXPECT_EQ(v.elements[0], nullptr) << c.what;
    }
}

TEST(VariableFile, EveryTruncationIsDamagedAndLeaksNoCell) {
    Store s;
    Variable& v = s.fresh(0);
    ASSERT_TRUE(runtime::dimension(s.pool, v, 3, 0));
    v.elements[0] = s.pool.newString("first");
    v.elements[1] = s.pool.newReal(1.0f);
    v.elements[2] = s.pool.newString("third");
    Bytes bytes = encodeVariable(v);
    Variable& w = s.fresh(1);
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        data::FileBuffer b =
            bufferOf(Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut)));
        EXPECT_EQ(readVariable(s.pool, w, b), VariableReadResult::Damaged) << cut;
    }
    // Cells taken for elements read before the damage went back to the pool: the whole pool is
    // still there for a full read.
    for (int i = 0; i < 20; ++i) {
        data::FileBuffer b = bufferOf(bytes);
        ASSERT_EQ(readVariable(s.pool, w, b), VariableReadResult::Ok);
    }
    EXPECT_EQ(text(w.elements[2]), std::string("third\0", 6));
}

TEST(VariableFile, AnExhaustedPoolStopsTheRead) {
    runtime::ValuePool pool(4);
    runtime::Value* held[2] = {pool.newInteger(0), pool.newInteger(1)};
    runtime::VariableTable vars;
    Variable& v = *vars.add(0);
    Bytes file;
    word(file, 3);
    for (int i = 0; i < 3; ++i) {
        word(file, runtime::kInteger);
        word(file, i);
    }
    data::FileBuffer b = bufferOf(file);
    EXPECT_EQ(readVariable(pool, v, b), VariableReadResult::PoolExhausted);
    EXPECT_EQ(v.dim, 0);
    EXPECT_EQ(v.elements[0], nullptr);
    // The two cells taken before the pool ran out went back to it.
    pool.free(held[0]);
    pool.free(held[1]);
    for (int i = 0; i < 4; ++i) EXPECT_NE(pool.alloc(), nullptr) << i;
    vars.clear(pool);
}

TEST(VariableFile, ReferencesIntoTheOldArrayStayValid) {
    Store s;
    Variable& target = s.fresh(0);
    ASSERT_TRUE(runtime::dimension(s.pool, target, 2, 0));
    target.elements[1] = s.pool.newInteger(1);
    Variable& holder = s.fresh(1);
    ASSERT_TRUE(runtime::makeReference(s.pool, &holder.elements[0], &target.elements[1]));
    // Same size: the storage is kept and the reference sees the restored element.
    Bytes same;
    word(same, 2);
    word(same, -1);
    word(same, runtime::kInteger);
    word(same, 99);
    data::FileBuffer b = bufferOf(same);
    ASSERT_EQ(readVariable(s.pool, target, b), VariableReadResult::Ok);
    EXPECT_EQ((*holder.elements[0]->u.ref)->u.i, 99);
    // Another size: the old array is retired, emptied, and the reference points into it safely.
    Bytes scalar;
    word(scalar, 0);
    word(scalar, runtime::kInteger);
    word(scalar, 5);
    b = bufferOf(scalar);
    ASSERT_EQ(readVariable(s.pool, target, b), VariableReadResult::Ok);
    EXPECT_EQ(*holder.elements[0]->u.ref, nullptr);
}

}  // namespace
}  // namespace rs::builtins
