// The integer conversion of the Pixels: field.
#include <gtest/gtest.h>

#include "core/Errors.h"
#include "core/IntegerText.h"

using namespace pixtrel;

TEST(IntegerText, AcceptedForms) {
  EXPECT_EQ(ParseInteger("800"), 800);
  EXPECT_EQ(ParseInteger(" 640"), 640);
  EXPECT_EQ(ParseInteger("+12"), 12);
  EXPECT_EQ(ParseInteger("-3"), -3);
  EXPECT_EQ(ParseInteger("$280"), 640);
  EXPECT_EQ(ParseInteger("0x1F"), 31);
  EXPECT_EQ(ParseInteger("x1f"), 31);
  EXPECT_EQ(ParseInteger("X10"), 16);
  EXPECT_EQ(ParseInteger("2147483647"), 2147483647);
  EXPECT_EQ(ParseInteger("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(ParseInteger("007"), 7);
}

TEST(IntegerText, RejectedForms) {
  for (const char* text :
       {"", " ", "640px", "640 ", "6 40", "+", "-", "$", "0x", "-$10", "2147483648", "-2147483649",
        "99999999999999999999", "$100000000", "1.5", "\t5", "0x1G"}) {
    EXPECT_FALSE(ParseInteger(text).has_value()) << '"' << text << '"';
  }
}

TEST(IntegerText, MessageQuotesTheText) {
  try {
    StrToInt("640px");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'640px' is not a valid integer value");
  }
  EXPECT_THROW(StrToInt(""), EConvertError);
}

// The stored settings values' syntax, through the same parser.
TEST(IntegerText, StoredSyntaxTakesASignBeforeHexButNoBareX) {
  EXPECT_EQ(ParseInteger("-$1F", kStoredIntegers), -31);
  EXPECT_EQ(ParseInteger(" +0x10", kStoredIntegers), 16);
  EXPECT_EQ(ParseInteger("42", kStoredIntegers), 42);
  EXPECT_FALSE(ParseInteger("x1F", kStoredIntegers).has_value());
  EXPECT_FALSE(ParseInteger("-$1F").has_value());
  EXPECT_FALSE(ParseInteger("+0x10").has_value());
}
