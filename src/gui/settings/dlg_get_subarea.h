#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "core/settings/subject_areas.h"

namespace Ui {
class dlgGetSubarea;
}

namespace zendra {

// Picks one subject area of the office's list. Each entry shows its code, a space and
// its name. After the dialog has closed, subtext and subcode hold the chosen name and
// code; both are empty after Cancel (also the close box or Escape) or when nothing was
// chosen.
class dlgGetSubarea : public QDialog {
  Q_OBJECT

 public:
  explicit dlgGetSubarea(const std::vector<SubjArea>& areas, QWidget* parent = nullptr);
  ~dlgGetSubarea() override;

  std::string subtext;
  std::string subcode;

  void reject() override;

 private:
  void choose(int row);

  std::unique_ptr<Ui::dlgGetSubarea> ui_;
  const std::vector<SubjArea>& areas_;
};

}  // namespace zendra
