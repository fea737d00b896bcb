#pragma once

#include <string>

#include "core/grid/data_methods.h"
#include "core/model/vexa_mess.h"

// A laid-out table of rows x cols number cells (region and sex down, year across), every
// cell holding a pseudo-random number with one decimal, for the benchmarks that write or
// copy whole tables.
struct NumberTable {
  zendra::VexaMess doc;
  zendra::CellGrid grid;
  NumberTable(int rows, int cols) {
    auto add = [this](const char* name, int side, int count) {
      auto v = doc.addDimension(name, side);
      for (int i = 0; i < count; ++i) v->addVal()->value = name + std::to_string(i);
    };
    add("region", 0, rows / 2);
    add("sex", 0, 2);
    add("year", 1, cols);
    doc.Decimaler = 1;
    doc.setSaveDecimals();
    doc.SprData = &grid;
    zendra::CreateGrid(doc, grid, true, false);
    unsigned v = 12345;
    for (int r = 0; r < doc.NumRows; ++r) {
      for (int c = 0; c < doc.NumCols; ++c) {
        v = v * 1103515245u + 12345u;
        grid.setNumber(doc.DataRow1 + r, doc.DataCol1 + c, (v % 1000000) / 10.0, 1);
      }
    }
    doc.GridHasData = true;
  }
};
