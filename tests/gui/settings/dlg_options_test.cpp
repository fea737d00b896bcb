// The options dialog: what it shows, what the browse buttons put into the boxes, and what
// OK and Cancel do to the settings file, the default data and the subject areas.
#include "gui/settings/dlg_options.h"
#include "support/dialog_steps.h"

using namespace zendra;
using namespace zendra::test;

namespace {

struct Options : EditorWindowFrame {
  int defaultDataLoads = 0;
  int subjectAreaLoads = 0;

  Options() {
    ctx.defaultData.NewDefaultData.connect([this] { ++defaultDataLoads; });
    ctx.subjectAreas.NewSubjectAreas.connect([this] { ++subjectAreaLoads; });
  }
  std::string path(std::string_view name) const { return (home / name).string(); }
  std::string ini() const { return TempFolder::read(ctx.settings.iniFile()); }

  // Opens the dialog, types into the named boxes, presses OK.
  void run(std::initializer_list<std::pair<const char*, std::string>> typed) {
    dlgOptions dlg(ctx);
    for (const auto& [name, text] : typed) {
      child<QLineEdit>(dlg, name)->setText(QString::fromStdString(text));
    }
    press(dlg, "cmdOK");
  }
};

}  // namespace

TEST(OptionsDialog, BrowsingFillsABoxCancelChangesNothingAndOkWritesAndReloads) {
  Options o;
  VqVexaData& s = o.ctx.settings;
  s.OpenBase = "/in";
  s.VexaBase = "/vexa";
  s.DefaultData = "/office/default.txt";
  dlgOptions dlg(o.ctx);
  // Every folder box takes the same path; the default data box chooses a file.
  const char* rows[][3] = {{"txtOpenVq", "cmdOpenVq", "/in"},
                           {"txtDefaultData", "cmdDefaultData", "/office/default.txt"}};
  for (const auto& [boxName, button, shown] : rows) {
    QLineEdit* box = child<QLineEdit>(dlg, boxName);
    EXPECT_EQ(box->text(), shown);
    o.files.script(QString("/chosen/") + boxName);
    press(dlg, button);
    press(dlg, button);  // the second choice is cancelled: the box keeps the first
    EXPECT_EQ(box->text(), QString("/chosen/") + boxName);
  }
  EXPECT_EQ(o.files.calls[0].request.folder, "/in");  // starts where the box points
  EXPECT_EQ(o.files.calls.back().kind, ScriptedFileChooser::Kind::Open);  // a file, not a folder

  press(dlg, "cmdCancel");
  EXPECT_EQ(s.OpenBase + s.VexaBase + s.DefaultData, "/in/vexa/office/default.txt");
  EXPECT_FALSE(std::filesystem::exists(s.iniFile()));
  EXPECT_EQ(o.defaultDataLoads + o.subjectAreaLoads, 0);

  // OK writes the five keys, reloads the default data only on a new path, and always the
  // subject areas.
  o.home.write("vexa/Amnomr.dat", "Befolkning\tBE\r\n");
  o.home.write("new.txt", "[Constants]\nContact=Anna\n");
  o.home.write("twice.txt", "[Varreg]\nVar1=Region\nVar2=region\n");
  const std::string vexa = o.path("vexa");
  o.ctx.subjectAreas.SubjectFromDB = false;  // loaded before as a file, which fails
  o.ctx.subjectAreas.Load_data(vexa);
  o.ctx.settings.VexaBase = vexa;
  o.ctx.settings.DefaultData = o.path("old.txt");

  o.run({{"txtOpenVq", "/open"}, {"txtSaveVq", "/save"}, {"txtAccesDb", "/mdb"}});
  EXPECT_EQ(o.ini(), "[Catalogues]\nOpenbase=/open\nSavebase=/save\nCurrentbase=" + vexa +
                         "\nMDBBase=/mdb\nDefaultdata=" + o.path("old.txt") + "\n");
  EXPECT_TRUE(o.ctx.subjectAreas.SubjectFromDB);
  EXPECT_EQ(o.defaultDataLoads, 0);  // its path did not change

  // The same folder again: the list is read again all the same.
  o.home.write("vexa/Amnomr.dat", "Arbete\tAM\r\nBoende\tBO\r\n");
  o.run({{"txtDefaultData", o.path("new.txt")}});
  EXPECT_EQ(o.ctx.subjectAreas.SubjectArea.size(), 2u);
  EXPECT_EQ(o.ctx.defaultData.Contact, "Anna");

  // A default data file with a fault is kept, and the user is told why (which faults
  // lose the path is checked in tests/core/settings).
  o.run({{"txtDefaultData", o.path("twice.txt")}});
  EXPECT_EQ(o.prompt.asked.size(), 1u);
  EXPECT_TRUE(o.prompt.asked.back().text.starts_with("ZENDRA003: No default data found\n"));
  EXPECT_TRUE(o.ini().ends_with("Defaultdata=" + o.path("twice.txt") + "\n"));

  // A folder where the settings file belongs: the save fails and says so, and the rest
  // is done all the same.
  std::filesystem::remove(o.ctx.settings.iniFile());
  std::filesystem::create_directories(o.ctx.settings.iniFile());
  o.run({});
  EXPECT_EQ(o.prompt.asked.size(), 2u);
  EXPECT_TRUE(o.prompt.asked.back().text.starts_with("The settings could not be saved:\n"));
  EXPECT_EQ(o.subjectAreaLoads, 4);
}
