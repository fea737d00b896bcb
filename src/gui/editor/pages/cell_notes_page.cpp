#include "gui/editor/pages/cell_notes_page.h"

#include <initializer_list>
#include <utility>

#include "core/editor/field_commands.h"
#include "core/editor/note_commands.h"
#include "gui/editor/dialogs/dlg_new_cell_note.h"
#include "gui/editor/pages/note_text.h"
#include "core/format/completeness.h"
#include "gui/shared/app_context.h"
#include "core/model/vexa_mess.h"
#include "ui_cell_notes_page.h"

namespace zendra {

CellNotesPage::CellNotesPage(EditorContext& editor, QWidget* parent)
    : EditorPage(editor, parent), ui_(std::make_unique<Ui::CellNotesPage>()) {
  ui_->setupUi(this);
  connect(ui_->lstCellNotes, &QListWidget::currentRowChanged, this, [this](int row) {
    if (!loading()) showNote(row);
  });
  connect(ui_->cmdCreateCellNote, &QPushButton::clicked, this, &CellNotesPage::createNote);
  connect(ui_->cmdDeleteCellNote, &QPushButton::clicked, this, &CellNotesPage::deleteNote);
  auto bindText = [this](QPlainTextEdit* box, std::string CellNote::*field, const char* name) {
    onTyping(box, [this, field, name](const QString& text, std::uint64_t session) {
      if (!note_) return;
      CellNote& note = *note_;
      push(std::make_unique<SetTextCommand>(
          name, std::vector<SetTextCommand::Change>{{note_, &(note.*field), noteFromBox(text)}},
          session));
    });
  };
  bindText(ui_->txtCellNote, &CellNote::Note, "CellNote");
  bindText(ui_->txtCellNoteX, &CellNote::Notex, "CellNotex");
}

CellNotesPage::~CellNotesPage() = default;

void CellNotesPage::load() {
  const LoadGuard guard(*this);
  const VexaMess& doc = editor_.document();
  ui_->fraCellNotes->setVisible(StructureComplete(doc));
  ui_->lstCellNotes->clear();
  for (const CellNoteRef& note : doc.Cellnotes) ui_->lstCellNotes->addItem(qs(note->Vstr()));
  const std::int32_t position = note_ ? doc.Cellnotes.IndexOf(note_.get()) : -1;
  const int row = position > 0 ? position - 1 : 0;
  if (row < ui_->lstCellNotes->count()) ui_->lstCellNotes->setCurrentRow(row);
  showNote(ui_->lstCellNotes->currentRow());
}

void CellNotesPage::showNote(int row) {
  const LoadGuard guard(*this);
  note_ = row >= 0 ? editor_.document().Cellnotes.Item(row + 1) : nullptr;
  for (QWidget* w :
       std::initializer_list<QWidget*>{ui_->lblCnoteKey, ui_->txtCNoteKey, ui_->lblCnotex,
                                       ui_->txtCellNoteX, ui_->lblCnote, ui_->txtCellNote}) {
    w->setVisible(note_ != nullptr);
  }
  ui_->cmdDeleteCellNote->setEnabled(note_ != nullptr);
  if (!note_) return;
  ui_->txtCNoteKey->setText(qs(note_->Vstr()));
  // A box is set only when its text differs, so that its cursor stays where the user left
  // it when the page is filled again after an undo.
  for (auto [box, text] :
       {std::pair{ui_->txtCellNoteX, &note_->Notex}, std::pair{ui_->txtCellNote, &note_->Note}}) {
    if (typedText(*box->document()) != noteForBox(*text)) box->setPlainText(noteForBox(*text));
  }
}

void CellNotesPage::createNote() {
  AppContext& app = editor_.app();
  dlgNewCellNote dialog(editor_.document(), *app.prompt, this);
  app.runDialog(dialog);
  if (!dialog.note) return;
  push(std::make_unique<AddCellNoteCommand>(editor_.document(), dialog.note));
  // The new note is the one shown: its texts are typed next.
  note_ = dialog.note;
  load();
}

void CellNotesPage::deleteNote() {
  if (!note_) return;
  push(std::make_unique<RemoveCellNoteCommand>(editor_.document(), note_));
  note_.reset();
  load();
}

}  // namespace zendra
