#pragma once
// A data call that its timeout ends: the platform's limit-reached error and its text,
// within wide margins of the limit.
#include <gtest/gtest.h>

#include "platform/data/ado.h"
#include "support/stopwatch.h"

template <typename Call>
void ExpectEndedByTimeout(Call call, const char* ifNot, double atLeastSeconds, double atMostSeconds) {
  Stopwatch watch;
  try {
    call();
    ADD_FAILURE() << ifNot;
  } catch (const _com_error& e) {
    EXPECT_EQ(e.Error(), DB_E_ABORTLIMITREACHED);
    EXPECT_STREQ(e.ErrorMessage(), "IDispatch error #3121");
  }
  EXPECT_GT(watch.Seconds(), atLeastSeconds);
  EXPECT_LT(watch.Seconds(), atMostSeconds);
}
