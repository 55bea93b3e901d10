// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

#include "chart/pod_array.h"

namespace kolva::chart {
namespace {

using Array = PodArray<int>;
constexpr std::size_t kBlock = Array::kBlockSize;

std::vector<int> Contents(const Array& array) {
  std::vector<int> out;
  for (std::size_t i = 0; i < array.size(); ++i) out.push_back(array[i]);
  return out;
}

void Fill(Array& array, std::vector<int>& model, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    array.push_back(static_cast<int>(i));
    model.push_back(static_cast<int>(i));
  }
}

// Inserts and erases at positions on and around block edges, with the
// array ending just before, on and after an edge, compared with a vector.
struct EditCase {
  std::size_t count;
  std::size_t at;
};

class PodArrayEditTest : public ::testing::TestWithParam<EditCase> {};

TEST_P(PodArrayEditTest, InsertAndEraseMatchAVector) {
  const EditCase& c = GetParam();
  Array array;
  std::vector<int> model;
  Fill(array, model, c.count);
  array.insert(c.at, -1);
  model.insert(model.begin() + static_cast<std::ptrdiff_t>(c.at), -1);
  ASSERT_EQ(Contents(array), model);
  array.insert(c.at, -2);
  model.insert(model.begin() + static_cast<std::ptrdiff_t>(c.at), -2);
  ASSERT_EQ(Contents(array), model);
  array.erase(c.at + 1);
  model.erase(model.begin() + static_cast<std::ptrdiff_t>(c.at) + 1);
  ASSERT_EQ(Contents(array), model);
  if (c.at < model.size()) {
    array.erase(c.at);
    model.erase(model.begin() + static_cast<std::ptrdiff_t>(c.at));
  }
  EXPECT_EQ(Contents(array), model);
}

INSTANTIATE_TEST_SUITE_P(BlockEdges, PodArrayEditTest,
                         ::testing::Values(EditCase{0, 0}, EditCase{5, 0}, EditCase{5, 5},
                                           EditCase{kBlock - 1, 3}, EditCase{kBlock, 0},
                                           EditCase{kBlock, kBlock}, EditCase{kBlock, kBlock - 1},
                                           EditCase{kBlock + 1, kBlock}, EditCase{kBlock + 1, 1},
                                           EditCase{3 * kBlock - 1, 0},
                                           EditCase{3 * kBlock, kBlock + 7},
                                           EditCase{3 * kBlock + 5, 2 * kBlock},
                                           EditCase{3 * kBlock + 5, 3 * kBlock + 5},
                                           EditCase{4 * kBlock, 2 * kBlock - 1}));

TEST(PodArrayTest, RoomStaysBelowOneBlockAndReleaseFreesIt) {
  Array array;
  EXPECT_EQ(array.StorageBytes(), 0u);
  array.push_back(7);
  // A short array takes a small first block, not a whole one.
  EXPECT_LT(array.capacity(), kBlock);
  for (std::size_t n = 2; n <= 10 * kBlock + 3; ++n) {
    array.push_back(static_cast<int>(n));
    ASSERT_LT(array.capacity() - array.size(), kBlock) << n;
  }
  EXPECT_EQ(array[10 * kBlock + 2], static_cast<int>(10 * kBlock + 3));
  EXPECT_EQ(array.back(), static_cast<int>(10 * kBlock + 3));
  EXPECT_GE(array.StorageBytes(), array.size() * sizeof(int));
  array.Fill(4);
  EXPECT_EQ(array[0], 4);
  EXPECT_EQ(array[5 * kBlock], 4);
  EXPECT_EQ(array.back(), 4);
  array.Release();
  EXPECT_TRUE(array.empty());
  EXPECT_EQ(array.capacity(), 0u);
  EXPECT_EQ(array.StorageBytes(), 0u);
  array.push_back(9);  // usable again after the release
  EXPECT_EQ(Contents(array), std::vector<int>{9});
}

// Appending runs, of values (even runs) and of copies of one (odd runs),
// leaves the same contents and storage as pushing the values one by one,
// whatever the runs' sizes against the first block, a block and the table.
TEST(PodArrayTest, AppendGrowsAsPushBackDoes) {
  for (const std::vector<std::size_t>& sizes : std::vector<std::vector<std::size_t>>{
           {15, 1, 1, 0, 17, 1000}, {kBlock - 1, 2, 3 * kBlock + 5}, {1, 40 * kBlock + 1, 3}}) {
    Array bulk, single;
    for (std::size_t r = 0; r < sizes.size(); ++r) {
      std::vector<int> values(sizes[r], -static_cast<int>(r));
      for (std::size_t i = 0; r % 2 == 0 && i < values.size(); ++i) values[i] = static_cast<int>(i);
      r % 2 == 0 ? bulk.append(values.data(), values.size())
                 : bulk.append(values.size(), -static_cast<int>(r));
      for (int v : values) single.push_back(v);
      ASSERT_EQ(Contents(bulk), Contents(single)) << r;
      ASSERT_EQ(bulk.StorageBytes(), single.StorageBytes()) << r;
    }
  }
}

}  // namespace
}  // namespace kolva::chart
