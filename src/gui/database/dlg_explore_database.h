#pragma once

#include <QDialog>
#include <cstdint>
#include <memory>

#include "core/model/dimension_data.h"

class QListWidget;

namespace Ui {
class dlgExploreDatabase;
}

namespace zendra {

class Prompt;
class VexaMess;
class clsAnyDatabase;

// Builds a new variable from a code table of an open database in four pages: the table,
// the field holding codes (or none), the field holding the value texts, and the values
// read for confirmation with the variable's name. Next checks each page's choice and
// stays with a message when it is missing; reading the values again (after Back) replaces
// the earlier ones. Finish needs a name doc does not use yet.
//
// NewDim is made when the dialog opens and records the database, the table and the code
// field it came from; after Cancel (also the close box or Escape) it is none. The dialog
// never changes doc: the caller places NewDim.
class dlgExploreDatabase : public QDialog {
  Q_OBJECT

 public:
  dlgExploreDatabase(clsAnyDatabase& db, const VexaMess& doc, Prompt& prompt,
                     QWidget* parent = nullptr);
  ~dlgExploreDatabase() override;

  DimensionRef NewDim;

  // The page shown, 0 to 3.
  int page() const { return page_; }

  void reject() override;

 private:
  void next();
  void back();
  void finish();
  // Checks the shown page's choice and acts on it; false (the user was told why) keeps
  // the dialog on that page.
  bool takeTable();
  bool takeCodeField();
  bool takeValueField();
  void showPage(int page);
  void message(const char* text);

  std::unique_ptr<Ui::dlgExploreDatabase> ui_;
  clsAnyDatabase& db_;
  const VexaMess& doc_;
  Prompt& prompt_;
  int page_ = 0;
  std::size_t warningsShown_ = 0;  // the database's warnings already told
  std::int32_t codeField_ = -1;  // -1: no codes
  std::int32_t valueField_ = 0;
};

}  // namespace zendra
