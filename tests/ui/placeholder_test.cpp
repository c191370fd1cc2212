#include <gtest/gtest.h>
TEST(Ui, Starts) { SUCCEED(); }
