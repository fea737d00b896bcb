#include "core/export/xlsx_export.h"

#include <unistd.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <vector>

#include "core/base/file_io.h"

namespace zendra {
namespace {

struct WorkbookCloser {
  void operator()(lxw_workbook* book) const {
    if (book) workbook_close(book);
  }
};

// The number of value combinations of variables first..last of Dimensions (1-based).
std::int64_t combinations(const VexaMess& doc, std::int32_t first, std::int32_t last) {
  std::int64_t n = 1;
  for (std::int32_t v = first; v <= last; ++v) n *= doc.Dimensions.Item(v)->ValueCode.Count();
  return n;
}

// "0", "0.0", "0.00", ... for the decimals a reader is shown.
std::string numberFormat(const VexaMess& doc) {
  int decimals = doc.Decimaler;
  if (!doc.ShowDecimals.empty()) decimals = std::atoi(doc.ShowDecimals.c_str());
  decimals = std::clamp(decimals, 0, 15);
  return decimals == 0 ? "0" : "0." + std::string(static_cast<std::size_t>(decimals), '0');
}

void metadataSheet(lxw_workbook* book, const VexaMess& doc) {
  lxw_worksheet* sheet = workbook_add_worksheet(book, "Metadata");
  lxw_row_t row = 0;
  auto add = [&](const char* keyword, const std::string& where, const std::string& text) {
    if (text.empty()) return;
    worksheet_write_string(sheet, row, 0, keyword, nullptr);
    if (!where.empty()) worksheet_write_string(sheet, row, 1, where.c_str(), nullptr);
    worksheet_write_string(sheet, row, 2, text.c_str(), nullptr);
    ++row;
  };
  worksheet_write_string(sheet, row, 0, "keyword", nullptr);
  worksheet_write_string(sheet, row, 1, "variable or value", nullptr);
  worksheet_write_string(sheet, row++, 2, "text", nullptr);
  add("MATRIX", "", doc.Matrix);
  add("SUBJECT-AREA", "", doc.SubjectArea);
  add("SUBJECT-CODE", "", doc.SubjectCode);
  add("TITLE", "", doc.Title);
  add("CONTENTS", "", doc.Contents);
  add("SOURCE", "", doc.Source);
  add("DATABASE", "", doc.Database);
  add("COPYRIGHT", "", doc.Copyright);
  add("LANGUAGE", "", doc.Language);
  add("DESCRIPTION", "", doc.Description);
  add("CONTVARIABLE", "", doc.ContVariable);
  add("NOTE", "", doc.Note);
  add("NOTEX", "", doc.Notex);
  if (doc.ContData) {
    add("UNITS", "", doc.ContData->Units);
    add("CONTACT", "", doc.ContData->Contact);
    add("LAST-UPDATED", "", doc.ContData->LastUpdated);
  }
  for (std::int32_t v = 1; v <= doc.Dimensions.Count(); ++v) {
    const auto variable = doc.Dimensions.Item(v);
    add("NOTE", variable->name, variable->Note);
    add("NOTEX", variable->name, variable->Notex);
    for (const auto& value : variable->ValueCode) {
      add("VALUES", variable->name, value->value);
      if (variable->UseCodes) add("CODES", variable->name + " " + value->value, value->code);
      add("VALUENOTE", variable->name + " " + value->value, value->Note);
      add("VALUENOTEX", variable->name + " " + value->value, value->Notex);
      if (value->ContentData) add("UNITS", value->value, value->ContentData->Units);
    }
  }
}

// Builds the workbook in file (a scratch file of its own).
bool buildWorkbook(const VexaMess& doc, const CellGrid& grid, const std::string& file,
                   const std::filesystem::path& path, std::string& error,
                   const std::function<bool()>& keepGoing) {
  lxw_workbook_options options = {};
  options.constant_memory = LXW_TRUE;
  std::unique_ptr<lxw_workbook, WorkbookCloser> book(workbook_new_opt(file.c_str(), &options));
  if (!book) {
    error = "Cannot write " + path.string();
    return false;
  }
  lxw_worksheet* sheet = workbook_add_worksheet(book.get(), "Table");
  lxw_format* header = workbook_add_format(book.get());
  format_set_bold(header);
  format_set_align(header, LXW_ALIGN_CENTER);
  lxw_format* number = workbook_add_format(book.get());
  format_set_num_format(number, numberFormat(doc).c_str());
  lxw_format* symbol = workbook_add_format(book.get());
  format_set_align(symbol, LXW_ALIGN_RIGHT);

  const std::int32_t variables = doc.Dimensions.Count();
  const std::int32_t stubs = doc.FileWithKeys ? doc.DataCol1 - 1 : doc.colStub.Count();
  const std::int32_t headings = variables - stubs;
  const auto dataCols = static_cast<lxw_col_t>(combinations(doc, stubs + 1, variables));
  const auto firstDataCol = static_cast<lxw_col_t>(stubs);

  // The title across the table, then a header row per heading variable.
  lxw_row_t row = 0;
  const std::string title = doc.Title.empty() ? doc.Contents : doc.Title;
  worksheet_write_string(sheet, row++, 0, title.c_str(), nullptr);
  for (std::int32_t h = stubs + 1; h <= variables; ++h) {
    const auto variable = doc.Dimensions.Item(h);
    const std::int64_t span = combinations(doc, h + 1, variables);
    const std::int32_t count = variable->ValueCode.Count();
    if (h == variables) {
      for (std::int32_t s = 1; s <= stubs; ++s) {
        worksheet_write_string(sheet, row, static_cast<lxw_col_t>(s - 1),
                               doc.Dimensions.Item(s)->name.c_str(), header);
      }
    }
    for (lxw_col_t col = 0; col < dataCols; col += static_cast<lxw_col_t>(span)) {
      const auto value =
          variable->ValueCode.Item(static_cast<std::int32_t>((col / span) % count) + 1);
      const lxw_col_t first = firstDataCol + col;
      if (span > 1) {
        worksheet_merge_range(sheet, row, first, row, first + static_cast<lxw_col_t>(span) - 1,
                              value->value.c_str(), header);
      } else {
        worksheet_write_string(sheet, row, first, value->value.c_str(), header);
      }
    }
    ++row;
  }
  if (headings == 0) {
    for (std::int32_t s = 1; s <= stubs; ++s) {
      worksheet_write_string(sheet, row, static_cast<lxw_col_t>(s - 1),
                             doc.Dimensions.Item(s)->name.c_str(), header);
    }
    ++row;
  }
  const lxw_row_t firstDataRow = row;
  worksheet_freeze_panes(sheet, firstDataRow, firstDataCol);

  // The cells, a sheet row per stub combination (or keys row), the stub texts first.
  std::vector<std::int64_t> spans;
  for (std::int32_t s = 1; s <= stubs; ++s) spans.push_back(combinations(doc, s + 1, stubs));
  std::int64_t dataRow = -1;
  std::int64_t asked = 0;
  bool going = true;
  ForEachCell(doc, grid, [&](const ExportCell& cell) {
    std::int64_t col = 0;
    for (std::int32_t v = stubs; v < variables; ++v) {
      col = col * doc.Dimensions.Item(v + 1)->ValueCode.Count() +
            cell.values[static_cast<std::size_t>(v)];
    }
    if (col == 0) {
      ++dataRow;
      row = firstDataRow + static_cast<lxw_row_t>(dataRow);
      for (std::int32_t s = 0; s < stubs; ++s) {
        const auto value = doc.Dimensions.Item(s + 1)->ValueCode.Item(
            cell.values[static_cast<std::size_t>(s)] + 1);
        const std::int64_t span = doc.FileWithKeys ? 1 : spans[static_cast<std::size_t>(s)];
        if (dataRow % span != 0) continue;
        // Without a format the merged area's other cells are not written, which keeps the
        // rows in order as constant-memory mode needs.
        if (span > 1) {
          worksheet_merge_range(sheet, row, static_cast<lxw_col_t>(s),
                                row + static_cast<lxw_row_t>(span) - 1, static_cast<lxw_col_t>(s),
                                value->value.c_str(), nullptr);
        } else {
          worksheet_write_string(sheet, row, static_cast<lxw_col_t>(s), value->value.c_str(),
                                 nullptr);
        }
      }
    }
    const lxw_col_t at = firstDataCol + static_cast<lxw_col_t>(col);
    if (cell.kind == ExportCell::Kind::Number) {
      worksheet_write_number(sheet, row, at, std::strtod(cell.text.c_str(), nullptr), number);
    } else if (cell.kind != ExportCell::Kind::Missing) {
      worksheet_write_string(sheet, row, at, cell.text.c_str(), symbol);
    }
    if (keepGoing && ++asked % 65536 == 0) going = keepGoing();
    return going;
  });
  // The notes below the table.
  row = firstDataRow + static_cast<lxw_row_t>(dataRow + 2);
  for (const std::string* note : {&doc.Note, &doc.Notex}) {
    if (!note->empty()) worksheet_write_string(sheet, row++, 0, note->c_str(), nullptr);
  }
  for (std::int32_t v = 1; v <= variables; ++v) {
    for (const std::string* note :
         {&doc.Dimensions.Item(v)->Note, &doc.Dimensions.Item(v)->Notex}) {
      if (!note->empty()) worksheet_write_string(sheet, row++, 0, note->c_str(), nullptr);
    }
  }
  metadataSheet(book.get(), doc);

  const lxw_error closed = workbook_close(book.release());
  if (!going || closed != LXW_NO_ERROR) {
    error = going ? "Cannot write " + path.string() + ": " + lxw_strerror(closed) : "Cancelled";
    return false;
  }
  return true;
}

}  // namespace

bool WriteXlsx(const VexaMess& doc, const CellGrid& grid, const std::filesystem::path& path,
               std::string& error, const std::function<bool()>& keepGoing) {
  // libxlsxwriter writes to a file name: the workbook is built in a scratch file, then
  // copied to path as every file is written (beside it, then renamed; modes, links and
  // files that are no regular files handled there).
  std::string scratch = (std::filesystem::temp_directory_path() / "zendra-xlsx-XXXXXX").string();
  const int fd = ::mkstemp(scratch.data());
  if (fd < 0) {
    error = describeFileError("Cannot create a temporary file in", scratch, errno);
    return false;
  }
  ::close(fd);
  bool written = buildWorkbook(doc, grid, scratch, path, error, keepGoing);
  if (written) {
    std::ifstream in(scratch, std::ios::binary);
    std::string piece(1 << 20, '\0');
    written = writeFileAtomically(
        path,
        [&](const PieceWriter& write) {
          while (in.read(piece.data(), static_cast<std::streamsize>(piece.size())) ||
                 in.gcount() > 0) {
            if (!write(std::string_view(piece.data(), static_cast<std::size_t>(in.gcount())))) {
              return false;
            }
          }
          return in.eof();
        },
        error);
  }
  ::unlink(scratch.c_str());
  return written;
}

}  // namespace zendra
