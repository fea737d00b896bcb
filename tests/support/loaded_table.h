#pragma once

#include <string>

#include "core/format/reader.h"

// A table read the way the editor reads one: the document, its grid and the prompt
// that answered the questions (No, unless the test scripts otherwise).
namespace zendra::test {

inline const std::string kData = ZENDRA_TEST_DATA;

struct Loaded {
  VexaMess doc;
  CellGrid grid;
  ScriptedPrompt prompt{Prompt::Answer::No};
  LoadResult result = LoadResult::CannotRead;
  LoadReport report;

  // Reads a file; a bare file name is one of the fixture files.
  explicit Loaded(const std::string& file, bool metaOnly = false) {
    doc.VQfilename = file.find('/') == std::string::npos ? kData + "/" + file : file;
    doc.SprData = &grid;
    result = Load_From_File(doc, metaOnly, &grid, prompt, false, {}, &report);
    doc.GridHasData = doc.HasData;
  }
  // Reads the bytes of a file.
  struct Text {
    std::string bytes;
  };
  explicit Loaded(Text text, bool metaOnly = false, const LargeTableLimits& limits = {},
                  Prompt::Answer answer = Prompt::Answer::No)
      : prompt(answer) {
    doc.SprData = &grid;
    result =
        Load_From_Text(doc, std::move(text.bytes), metaOnly, &grid, prompt, false, limits, &report);
    doc.GridHasData = doc.HasData;
  }

  // A new table, as File/New makes one: no variables, normal or keys form.
  struct New {
    bool keys = false;
  };
  explicit Loaded(New table) : result(LoadResult::Loaded) {
    doc.SprData = &grid;
    doc.FileWithKeys = table.keys;
  }

  // A cell of the data area, counted from 0.
  std::string cell(std::int32_t r, std::int32_t c) const {
    return grid.text(doc.DataRow1 + r, doc.DataCol1 + c);
  }
  ValueRef value(const char* variable, int position) const {
    return doc.Get_Dimension(variable)->ValueCode.Item(position);
  }
};

}  // namespace zendra::test
