// Small pieces shared by the windows.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>
#include <stdexcept>

#include "gui/shared/background_task.h"
#include "gui/shared/gui_services.h"

TEST(GuiServices, PipeFiltersBecomeQtFilters) {
  EXPECT_EQ(zendra::qtFilter("VEXA (*.vq)|*.vq|All Files (*.*)|*.*"),
            "VEXA (*.vq);;All Files (*.*)");
  EXPECT_EQ(zendra::qtFilter("Text-files|*.txt;*.csv|All-files|*.*"),
            "Text-files (*.txt *.csv);;All-files (*.*)");
}

TEST(RunInBackground, QuestionsGoToTheGuiThreadAndWhatTheWorkThrowsReachesTheCaller) {
  zendra::ScriptedPrompt questions;
  questions.script(zendra::Prompt::Answer::Yes);
  zendra::Prompt::Answer answer = zendra::Prompt::Answer::Cancel;
  bool onWorkerThread = false;
  zendra::RunInBackground(nullptr, questions, "Work", [&](zendra::Prompt& prompt) {
    onWorkerThread = QThread::currentThread() != QCoreApplication::instance()->thread();
    prompt.progress(1, 2);
    answer = prompt.ask("Go on?", "Zendra", zendra::Prompt::Buttons::YesNo,
                        zendra::Prompt::Icon::Question);
  });
  EXPECT_TRUE(onWorkerThread);
  EXPECT_EQ(answer, zendra::Prompt::Answer::Yes);
  EXPECT_THROW(zendra::RunInBackground(nullptr, questions, "Work",
                                       [](zendra::Prompt&) { throw std::runtime_error("x"); }),
               std::runtime_error);
}
