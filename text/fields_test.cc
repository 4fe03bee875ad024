#include "text/fields.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using TextList = std::vector<std::string>;

TextList Texts(const Fields& fields) {
  TextList texts;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    EXPECT_EQ(std::string(fields[i]).size(), fields.Length(i));
    texts.push_back(fields[i]);
  }
  return texts;
}

// Fields grown one by one, past several reallocations, keep every text
// whole; edits in place, shared and replaced texts, and a new order touch
// only the fields they name.
TEST(Fields, KeepEveryTextThroughGrowthAndEdits) {
  Fields fields;
  TextList expected;
  for (int i = 0; i < 1000; ++i) {
    const std::string text = "f" + std::to_string(i);
    fields.Add(text.data(), text.size());
    expected.push_back(text);
  }
  fields.Extend("+x", 2);
  expected.back() += "+x";
  EXPECT_EQ(expected, Texts(fields));

  fields.Truncate(5);
  fields.Replace(1, "NULL");
  fields.Share(3, 1);
  fields.Mutable(4)[0] = 'g';
  fields.SetLength(2, 1);
  EXPECT_EQ((TextList{"f0", "NULL", "f", "NULL", "g4"}), Texts(fields));
  for (const std::size_t i : {4, 0, 0, 2}) fields.Choose(i);
  fields.Chosen();
  EXPECT_EQ((TextList{"g4", "f0", "f0", "f"}), Texts(fields));
  fields.DropFront(2);
  EXPECT_EQ((TextList{"f0", "f"}), Texts(fields));

  // A cleared set serves the next line; a swap exchanges whole sets.
  Fields other;
  other.Add("a b", 3);
  fields.Clear();
  EXPECT_TRUE(fields.empty());
  fields.Add("", 0);
  fields.Extend("yz", 2);
  fields.Swap(other);
  EXPECT_EQ((TextList{"a b"}), Texts(fields));
  EXPECT_EQ((TextList{"yz"}), Texts(other));
}

}  // namespace
