// Runs in a program of its own: the identity counter must be untouched when it starts.
#include <gtest/gtest.h>

#include "core/model/value_and_code.h"
#include "core/model/vexa_mess.h"

TEST(ValueAndCodeUid, FirstValueOfTheProgramHasOneAndEveryNewValueTheNext) {
  zendra::ValueAndCode first;
  EXPECT_EQ(first.UID, 1);
  zendra::VexaMess doc;  // its "*" value is a value too
  EXPECT_EQ(doc.AllVals->UID, 2);
  EXPECT_EQ(zendra::ValueAndCode::create()->UID, 3);
}
