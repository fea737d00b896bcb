#include "gui/editor/pages/file_text_page.h"

#include "core/format/data_builder.h"
#include "gui/shared/gui_services.h"
#include "core/model/vexa_mess.h"
#include "ui_file_text_page.h"

namespace zendra {

FileTextPage::FileTextPage(EditorContext& editor, QWidget* parent)
    : EditorPage(editor, parent), ui_(std::make_unique<Ui::FileTextPage>()) {
  ui_->setupUi(this);
  ui_->RichTextBox1->setLineWrapMode(QTextEdit::NoWrap);
  ui_->RichTextBox1->setFontFamily("monospace");
}

FileTextPage::~FileTextPage() = default;

void FileTextPage::shown() {
  VexaMess& doc = editor_.document();
  std::string text = make_vqstring(doc, editor_.writeOptions());
  if (doc.MetadataOnly) {
    if (doc.DataSectionRead()) text += "DATA=....";
  } else {
    DataCheck check;
    const std::string data = GetDataMod::BuildDataText(doc, editor_.dataGrid(), check);
    text += check.DataMissing ? std::string("DATA=NOT COMPLETED") : data + ";";
    editor_.refreshDataGrid();  // the build paints faulty cells
  }
  ui_->RichTextBox1->setPlainText(qs(text).remove('\r'));
}

}  // namespace zendra
