// Field steps: several fields set and put back in one step, and typing in one box merging
// into one step per session.
#include <gtest/gtest.h>

#include "core/editor/field_commands.h"
#include "core/model/vexa_mess.h"

using namespace zendra;

TEST(SetFieldsCommand, SetsAndPutsBackSeveralFieldsAndMergesOnlyOneSessionOfOneBox) {
  VexaMess doc;
  doc.Description = "Old";
  doc.DescriptionDefault = "YES";
  int recounts = 0;
  SetTextCommand clear("Description",
                       {{nullptr, &doc.Description, ""}, {nullptr, &doc.DescriptionDefault, ""}}, 0,
                       [&] { ++recounts; });
  clear.redo();
  EXPECT_EQ(doc.Description + "|" + doc.DescriptionDefault, "|");
  clear.undo();
  EXPECT_EQ(doc.Description + "|" + doc.DescriptionDefault, "Old|YES");
  EXPECT_EQ(recounts, 2);
  EXPECT_EQ(clear.id(), -1);  // a click is a step of its own

  // Typing "ab" in the matrix box: two edits, one step; another session does not merge.
  const auto session = newTypingSession();
  SetTextCommand a("Typing", {{nullptr, &doc.Matrix, "a"}}, session);
  SetTextCommand ab("Typing", {{nullptr, &doc.Matrix, "ab"}}, session);
  SetTextCommand other("Typing", {{nullptr, &doc.Contents, "x"}}, session);
  SetTextCommand later("Typing", {{nullptr, &doc.Matrix, "abc"}}, newTypingSession());
  a.redo();
  ab.redo();
  EXPECT_EQ(a.id(), ab.id());
  EXPECT_TRUE(a.mergeWith(ab));
  EXPECT_FALSE(a.mergeWith(other));  // another field
  EXPECT_FALSE(a.mergeWith(later));  // the box lost the focus in between
  a.undo();
  EXPECT_EQ(doc.Matrix, "");
  a.redo();
  EXPECT_EQ(doc.Matrix, "ab");

  // A field of a shared object stays alive with the step.
  auto content = std::make_shared<ContentData>();
  SetTextCommand units("Typing", {{content, &content->Units, "persons"}});
  std::weak_ptr<ContentData> watch = content;
  content.reset();
  units.redo();
  units.undo();
  EXPECT_FALSE(watch.expired());
}
