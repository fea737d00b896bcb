#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "core/database/odbc_api.h"

namespace Ui {
class dlgOdbcSource;
}

namespace zendra {

class Prompt;

// "Server database (ODBC)": the user picks one of the configured data sources (the line
// fills the connection string with "DSN=name") or types a connection string, and may type
// a password (left empty when the data source's own configuration holds one). OK with no
// connection says so and stays open.
//
// After OK, connection and password hold what was given; after Cancel (also the close box
// or Escape) both are empty. The dialog keeps nothing: the caller hands the password to
// the database object, which holds it in memory only.
class dlgOdbcSource : public QDialog {
  Q_OBJECT

 public:
  // sources: the configured data sources, as odbc::dataSources() lists them. connection:
  // the string shown at first (the open server's, when there is one).
  dlgOdbcSource(const std::vector<odbc::DataSource>& sources, const std::string& connection,
                Prompt& prompt, QWidget* parent = nullptr);
  ~dlgOdbcSource() override;

  std::string connection;
  std::string password;

  void accept() override;
  void reject() override;

 private:
  std::unique_ptr<Ui::dlgOdbcSource> ui_;
  Prompt& prompt_;
};

}  // namespace zendra
