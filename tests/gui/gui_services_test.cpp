// Small pieces shared by the windows.
#include <gtest/gtest.h>

#include "gui/gui_services.h"

TEST(GuiServices, PipeFiltersBecomeQtFilters) {
  EXPECT_EQ(zendra::qtFilter("VEXA (*.vq)|*.vq|All Files (*.*)|*.*"),
            "VEXA (*.vq);;All Files (*.*)");
  EXPECT_EQ(zendra::qtFilter("Text-files|*.txt;*.csv|All-files|*.*"),
            "Text-files (*.txt *.csv);;All-files (*.*)");
}
