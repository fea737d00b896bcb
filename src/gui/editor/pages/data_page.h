#pragma once

#include <memory>

#include "gui/editor/pages/editor_page.h"

namespace Ui {
class DataPage;
}

namespace zendra {

class DataGridView;

// "&Data": the data grid, or the text that the structure is not complete.
class DataPage : public EditorPage {
 public:
  DataPage(EditorContext& editor, QWidget* parent);
  ~DataPage() override;

  // Lays the grid out when the structure is complete and the grid is not laid out yet,
  // and gives the cells the table's decimals; otherwise shows why there is no grid.
  void shown() override;
  DataGridView* grid() const;

 private:
  std::unique_ptr<Ui::DataPage> ui_;
};

}  // namespace zendra
