// The small windows of the program: the new-table question, the About box, and the
// progress window with the prompt a load talks to.
#include "gui/app/dlg_about.h"
#include "gui/app/dlg_new_keys.h"
#include "gui/shared/frm_progress.h"
#include "support/dialog_steps.h"

using namespace zendra;
using zendra::test::child;

namespace {

// The ways a user leaves a shown window without its buttons. The close box's request
// comes from the window system to the native window, not through QWidget::close().
void closeBox(QWidget& w) {
  QCloseEvent request;
  QCoreApplication::sendEvent(w.windowHandle(), &request);
}
void escape(QWidget& w) {
  QTest::keyClick(&w, Qt::Key_Escape);
}
template <const char* name>
void click(QWidget& w) {
  QTest::mouseClick(child<QPushButton>(w, name), Qt::LeftButton);
}
constexpr char kKeys[] = "cmdKeys", kStandard[] = "cmdStandard", kCancel[] = "cmdCancel";

}  // namespace

TEST(NewKeysDialog, EachButtonSetsBothFieldsAndLeavingOtherwiseIsCancel) {
  struct Case {
    void (*leave)(QWidget&);
    bool withKeys, cancel;
  } cases[] = {{click<kKeys>, true, false},
               {click<kStandard>, false, false},
               {closeBox, false, true}};  // as Cancel and Escape do, through reject()
  for (int i = 0; const Case& c : cases) {
    dlgNewKeys dlg;
    dlg.FileWithKeys = !c.withKeys;  // so that leaving must set both fields
    dlg.cancel = !c.cancel;
    dlg.show();
    c.leave(dlg);
    EXPECT_EQ((std::tuple{dlg.FileWithKeys, dlg.cancel, dlg.isVisible()}),
              (std::tuple{c.withKeys, c.cancel, false}))
        << i++;
  }
}

TEST(AboutDialog, ShowsTheVersionWithTwoAndThreeDigitParts) {
  EXPECT_EQ(versionText(2, 0, 0), "Version 2.00.000");
  dlgAbout dlg;
  EXPECT_EQ(child<QLabel>(dlg, "lblVersion")->text(), "Version 1.02.003");
}

TEST(ProgressWindow, TheBarMovesAHundredTimesPerFileThePromptSeesACancelAndOnlyTheProgramCloses) {
  frmProgress window;
  auto* bar = child<QProgressBar>(window, "ProgressBar1");
  window.setMaximum(1'000'000);
  QSignalSpy moves(bar, &QProgressBar::valueChanged);
  for (qint64 n = 0; n <= 1'000'000; n += 7) window.TestNew(n);
  EXPECT_TRUE(moves.count() >= 95 && moves.count() <= 101) << moves.count();

  // Ten gigabytes do not fit the bar's int range: positions are scaled into it.
  const qint64 big = 10'000'000'000;
  window.setMaximum(big);
  window.TestNew(big / 4);
  EXPECT_NEAR(double(bar->value()) / bar->maximum(), 0.25, 1e-6);
  window.TestNew(big);
  EXPECT_EQ(bar->value(), bar->maximum());

  // The prompt a load talks to: questions go through, and the bar follows the file.
  ScriptedPrompt boxes;
  boxes.script(Prompt::Answer::No);
  ProgressPrompt prompt(window, boxes);
  EXPECT_EQ(prompt.ask("Go on?", "ZENDRA", Prompt::Buttons::YesNo, Prompt::Icon::Question),
            Prompt::Answer::No);
  prompt.progress(500, 1000);
  prompt.progress(5, 1000);  // the same file: no restart, and 5 is below the threshold
  EXPECT_EQ(window.position(), 500);
  prompt.progress(5, 3000);  // a new length starts the bar again
  EXPECT_EQ((std::pair{window.position(), window.maximum()}), (std::pair<qint64, qint64>{5, 3000}));

  // A click waiting in the event queue gets through at the first breath.
  window.show();
  QMetaObject::invokeMethod(child<QPushButton>(window, kCancel), &QPushButton::click,
                            Qt::QueuedConnection);
  EXPECT_FALSE(prompt.cancelled());
  prompt.breathe();
  EXPECT_TRUE(prompt.cancelled());

  // Cancel, Escape and the close box ask to cancel, but the program may close the window.
  for (auto ask : {click<kCancel>, escape, closeBox}) {
    frmProgress asked;
    asked.show();
    ask(asked);
    // Asked, not closed: the load step closes it once the loader stopped.
    EXPECT_EQ((std::pair{asked.cancel, asked.isVisible()}), (std::pair{9999, true}));
  }
  frmProgress finished;
  finished.show();
  finished.close();
  EXPECT_EQ((std::pair{finished.cancel, finished.isVisible()}), (std::pair{0, false}));
}
