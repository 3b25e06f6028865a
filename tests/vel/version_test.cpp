// The version record: parsing, comparing, printing.
#include <gtest/gtest.h>

#include "vel/version_update.h"

using vel::TRelation;
using vel::TVersionRec;

namespace {

struct ParseCase {
  const char* text;
  TVersionRec expected;
  const char* error;  // the conversion error's message, or nullptr
};

}  // namespace

TEST(VersionRecTest, ParseKeepsThePartsBeforeAFailure) {
  const ParseCase cases[] = {
      {"", {0, 0, 0, 0}, nullptr},
      {"7", {7, 0, 0, 0}, nullptr},
      {"1.1.0.0", {1, 1, 0, 0}, nullptr},
      {"2024-01-10", {2024, 1, 10, 0}, nullptr},
      {"1,5", {1, 5, 0, 0}, nullptr},
      {"1.2.3.4.5", {1, 2, 3, 4}, nullptr},
      {" 3.$A.0x10.-1", {3, 10, 16, 0xFFFFFFFFu}, nullptr},
      {"1.2-3", {1, 0, 0, 0}, "'2-3' is not a valid integer value for Integer type"},
      {"1.2.3.4.x", {1, 2, 3, 4}, "'x' is not a valid integer value for Integer type"},
      {"1.2.", {1, 2, 0, 0}, "'' is not a valid integer value for Integer type"},
      {"1 .2", {0, 0, 0, 0}, "'1 ' is not a valid integer value for Integer type"},
      {"1.2147483648", {1, 0, 0, 0}, "'2147483648' is not a valid integer value for Integer type"},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.text);
    TVersionRec v(9, 9, 9, 9);
    if (c.error) {
      try {
        v.Parse(c.text);
        ADD_FAILURE() << "no error";
      } catch (const vel::EConvertError& e) {
        EXPECT_STREQ(e.what(), c.error);
      }
    } else {
      v.Parse(c.text);
    }
    EXPECT_EQ(v, c.expected);
  }
}

TEST(VersionRecTest, ComparesNumberByNumberAsUnsigned) {
  auto parsed = [](const char* text) {
    TVersionRec v;
    v.Parse(text);
    return v;
  };
  EXPECT_EQ(parsed("2.0.0.0").CompareTo(parsed("1.99.99.99")), TRelation::Bigger);
  EXPECT_EQ(parsed("1.9").CompareTo(parsed("1.10")), TRelation::Smaller);
  EXPECT_EQ(parsed("1.2").CompareTo(parsed("1.2.0.0")), TRelation::Equal);
  EXPECT_EQ(parsed("1.0.0.1").CompareTo(parsed("1.0.0.0")), TRelation::Bigger);
  EXPECT_EQ(TVersionRec(0xFFFFFFFFu, 0, 0, 0).CompareTo(parsed("5")), TRelation::Bigger);
  EXPECT_FALSE(TVersionRec(1, 1, 0, 0).NewerThan(TVersionRec(1, 1, 0, 0)));
  EXPECT_TRUE(TVersionRec(1, 1, 0, 1).NewerThan(TVersionRec(1, 1, 0, 0)));
}

TEST(VersionRecTest, PrintsWithOrWithoutTheBuild) {
  TVersionRec v(1, 1, 0, 7);
  EXPECT_EQ(v.ToString(), "1.1.0");
  EXPECT_EQ(v.ToString(true), "1.1.0.7");
  EXPECT_EQ(v.ToString(',', true), "1,1,0,7");
  EXPECT_EQ(TVersionRec(4294967295u, 0, 10, 0).ToString(), "4294967295.0.10");
  v.Clear();
  EXPECT_EQ(v.ToString(true), "0.0.0.0");
}
