#include <gtest/gtest.h>

#include <climits>

#include "image/NumberEdit.h"

TEST(NumberEdit, KeysTurnSilverAndEnterRewritesOrTurnsRed) {
  TNumberEdit e{"  1.50 ", TEditState::White};
  e.KeyDown();
  EXPECT_EQ(e.State, TEditState::Silver);
  EXPECT_TRUE(e.AcceptAndRewrite('.'));
  EXPECT_EQ(e.Text, "1.5");
  EXPECT_EQ(e.State, TEditState::White);

  e.Text = "2,50";
  EXPECT_TRUE(e.AcceptAndRewrite(','));
  EXPECT_EQ(e.Text, "2,5");
  e.Text = "1e3";
  EXPECT_TRUE(e.AcceptAndRewrite('.'));
  EXPECT_EQ(e.Text, "1000");
  e.Text = "0.00001";
  EXPECT_TRUE(e.AcceptAndRewrite('.'));
  EXPECT_EQ(e.Text, "1E-5");

  for (const char* bad : {"abc", "", "1.2.3", "12nm"}) {
    e.Text = bad;
    e.State = TEditState::Silver;
    EXPECT_FALSE(e.AcceptAndRewrite('.')) << bad;
    EXPECT_EQ(e.State, TEditState::Red);
    EXPECT_EQ(e.Text, bad);
  }
}

TEST(NumberEdit, AcceptingWithoutRewriteKeepsTheTypedText) {
  TNumberEdit e{" 2,50", TEditState::Silver};
  const std::optional<double> v = e.AcceptNumber(',');
  ASSERT_TRUE(v.has_value());
  EXPECT_EQ(*v, 2.5);
  EXPECT_EQ(e.Text, " 2,50");
  EXPECT_TRUE(e.IsWhite());
  TNumberEdit word{"x", TEditState::White};
  EXPECT_FALSE(word.AcceptNumber(',').has_value());
  EXPECT_TRUE(word.IsRed());
}

TEST(NumberEdit, IntegersAcceptBlanksAndSignOnly) {
  struct C {
    const char* text;
    int value;
  };
  for (const C c : {C{"12", 12}, C{" 7 ", 7}, C{"-3", -3}, C{"+4", 4}, C{"0", 0},
                    C{"2147483647", INT_MAX}, C{"-2147483648", INT_MIN}}) {
    TNumberEdit e{c.text, TEditState::Silver};
    const std::optional<int> v = e.AcceptInteger();
    ASSERT_TRUE(v.has_value()) << c.text;
    EXPECT_EQ(*v, c.value) << c.text;
    EXPECT_TRUE(e.IsWhite()) << c.text;
    EXPECT_EQ(e.Text, c.text);
  }
  for (const char* bad : {"", " ", "abc", "1.5", "1e3", "12px", "+", "-", "+-1", "0x10",
                          "2147483648", "1 2"}) {
    TNumberEdit e{bad, TEditState::Silver};
    EXPECT_FALSE(e.AcceptInteger().has_value()) << bad;
    EXPECT_TRUE(e.IsRed()) << bad;
    EXPECT_EQ(e.Text, bad);
  }
}
