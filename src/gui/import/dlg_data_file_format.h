#pragma once

#include <QDialog>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/import/field_split.h"

class QTableWidget;

namespace Ui {
class dlgDataFileFormat;
}

namespace zendra {

class VexaMess;

// The import wizard "Import data from text-file": the user says how the lines of a text
// file are cut into fields (delimited, with the separator and text delimiter, or fixed
// widths) and which field holds each item of the table's layout: the code of every stub
// variable, the code of every heading variable, then the cell value. The wizard shows
// the file's first lines and previews of the cut fields; it reads the table's variables
// and never changes the table.
//
// Pages: "Select data format", then "Delimiters" or "Field positions", then "Determinate
// field order". Finish is offered on the last page only, once every item has a field of
// its own.
class dlgDataFileFormat : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kSampleLines = 10;

  // bytes: the file's content (any line ends; UTF-8 or Windows-1252, as the reader takes
  // it). The separator and text delimiter start as the reader guesses them from the first
  // line.
  // The decimal point starts as localeDecimal and "Skip first line" unchecked, as in
  // "Import data from textfile".
  dlgDataFileFormat(std::string bytes, const VexaMess& document, QWidget* parent = nullptr,
                    const QString& localeDecimal = ".");
  ~dlgDataFileFormat() override;

  // The user's choice after Finish: the layout (its order has one field per item, 1-based)
  // with the separator and text delimiter. None after Cancel, Escape or the close box.
  const std::optional<TextFileFormat>& format() const { return result_; }
  // The file's decimal point (empty: "." and the user's own both) and whether its first
  // line is skipped, as chosen on the first page.
  std::string decimalPoint() const;
  bool skipFirst() const;

  void reject() override;

 private:
  enum PageIndex { FormatPage = 0, DelimitersPage = 1, FixedPage = 2, OrderPage = 3 };

  // Shows the first page with only "Next" and "Cancel".
  void initier();
  void showPage(int page);
  void next();
  void back();
  void finish();

  bool fixedKind() const;
  // The format the controls describe, without the order.
  TextFileFormat currentFormat() const;
  std::string separator() const;
  // Splits the sample by the current format into the preview of the current page and
  // keeps the fields of the first line for the order page.
  void updatePreview();
  void fillPreview(QTableWidget* table, const TextFileFormat& format, std::string& error);
  void updateRuler();

  void fillFields();
  // Gives the selected item the field at fieldRow (a field holds one item at most).
  void assign(int fieldRow);
  void unassign();
  void showOrder();

  std::unique_ptr<Ui::dlgDataFileFormat> ui_;
  std::vector<std::string> sample_;     // the file's first lines
  std::vector<std::string> items_;      // the layout's items, named from the table
  std::vector<std::int32_t> assigned_;  // per item its 1-based field, 0 for none
  std::vector<std::string> firstLine_;  // the first line's fields under the current format
  std::int32_t fieldCount_ = 0;         // the most fields of a sample line
  std::optional<TextFileFormat> result_;
};

}  // namespace zendra
