#include "gui/app/manual_page.h"

#include "gui/editor/frm_create_vq.h"

namespace zendra {

QString manualPageFor(int editorPage) {
  switch (editorPage) {
    case frmCreateVq::BasicStructure:
      return "pages/basic-structure.html";
    case frmCreateVq::Variables:
      return "pages/variables.html";
    case frmCreateVq::Contents:
      return "pages/contents.html";
    case frmCreateVq::Data:
      return "pages/data.html";
    case frmCreateVq::Footnotes:
      return "pages/footnotes.html";
    case frmCreateVq::ValueNotes:
      return "pages/valuenotes.html";
    case frmCreateVq::CellNotes:
      return "pages/cellnotes.html";
    case frmCreateVq::ActualFile:
      return "pages/actual-file.html";
    case frmCreateVq::Test:
      return "pages/test.html";
    case frmCreateVq::WorkSheet:
      return "pages/worksheet.html";
    default:
      return "index.html";
  }
}

}  // namespace zendra
