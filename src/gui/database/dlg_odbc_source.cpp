#include "gui/database/dlg_odbc_source.h"

#include "core/format/reader.h"
#include "core/model/prompt.h"
#include "gui/shared/gui_services.h"
#include "ui_dlg_odbc_source.h"

namespace zendra {

dlgOdbcSource::dlgOdbcSource(const std::vector<odbc::DataSource>& sources,
                             const std::string& connection, Prompt& prompt, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::dlgOdbcSource>()), prompt_(prompt) {
  ui_->setupUi(this);
  for (const odbc::DataSource& source : sources) {
    const QString name = qs(source.name);
    auto* item = new QListWidgetItem(
        source.description.empty() ? name : name + " \u2014 " + qs(source.description),
        ui_->lstDataSources);
    item->setData(Qt::UserRole, name);
  }
  if (sources.empty()) {
    ui_->lblDataSources->setText("No data sources are configured; type a connection string");
    ui_->lstDataSources->setEnabled(false);
  }
  ui_->txtConnection->setText(qs(connection));
  if (sources.empty() || !connection.empty()) ui_->txtConnection->setFocus();

  // Only a line the user selected fills the string: the row the list makes current when it
  // takes the focus is no choice, and would replace the connection shown at first.
  connect(ui_->lstDataSources, &QListWidget::itemSelectionChanged, this, [this] {
    const auto selected = ui_->lstDataSources->selectedItems();
    if (!selected.isEmpty()) {
      ui_->txtConnection->setText("DSN=" + selected.front()->data(Qt::UserRole).toString());
    }
  });
  connect(ui_->lstDataSources, &QListWidget::itemActivated, this, &dlgOdbcSource::accept);
  connect(ui_->cmdOK, &QPushButton::clicked, this, &dlgOdbcSource::accept);
  connect(ui_->cmdCancel, &QPushButton::clicked, this, &dlgOdbcSource::reject);
}

dlgOdbcSource::~dlgOdbcSource() = default;

void dlgOdbcSource::accept() {
  const QString text = ui_->txtConnection->text().trimmed();
  if (text.isEmpty()) {
    prompt_.message("You must choose a data source or type a connection string", kProgramTitle);
    ui_->txtConnection->setFocus();
    return;
  }
  connection = stdString(text);
  password = stdString(ui_->txtPassword->text());
  QDialog::accept();
}

void dlgOdbcSource::reject() {
  connection.clear();
  password.clear();
  QDialog::reject();
}

}  // namespace zendra
