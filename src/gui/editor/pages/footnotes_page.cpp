#include "gui/editor/pages/footnotes_page.h"

#include "core/editor/field_commands.h"
#include "gui/editor/pages/note_text.h"
#include "gui/shared/app_context.h"
#include "core/model/vexa_mess.h"
#include "ui_footnotes_page.h"

namespace zendra {

FootnotesPage::FootnotesPage(EditorContext& editor, QWidget* parent)
    : EditorPage(editor, parent), ui_(std::make_unique<Ui::FootnotesPage>()) {
  ui_->setupUi(this);
  VexaMess& doc = editor_.document();

  auto setText = [this](std::string& field, const char* what, std::string text,
                        std::uint64_t session) {
    push(std::make_unique<SetTextCommand>(
        what, std::vector<SetTextCommand::Change>{{nullptr, &field, std::move(text)}}, session));
  };
  onTyping(ui_->txtSource, [&doc, setText](const QString& text, std::uint64_t session) {
    setText(doc.Source, "Source", stdString(text), session);
  });
  onTyping(ui_->txtDataBase, [&doc, setText](const QString& text, std::uint64_t session) {
    setText(doc.Database, "Database", stdString(text), session);
  });
  onTyping(ui_->txtNote, [&doc, setText](const QString& text, std::uint64_t session) {
    setText(doc.Note, "Note", noteFromBox(text), session);
  });
  onTyping(ui_->txtNotex, [&doc, setText](const QString& text, std::uint64_t session) {
    setText(doc.Notex, "Notex", noteFromBox(text), session);
  });

  // Clearing a box's check box only hides the box: its text stays in the table and is
  // written, so hiding is no change of the table. Checking shows the text the table holds.
  connect(ui_->chkSource, &QCheckBox::clicked, this, [this, &doc, setText](bool checked) {
    ui_->txtSource->setVisible(checked);
    if (!checked) return;
    // A table without a source takes the default one, as if the user had typed it.
    const std::string text = doc.Source.empty() ? editor_.app().defaultData.Source : doc.Source;
    ui_->txtSource->setText(qs(text));
    if (text != doc.Source) setText(doc.Source, "Source", text, 0);
  });
  connect(ui_->chkDatabase, &QCheckBox::clicked, this, [this, &doc](bool checked) {
    ui_->txtDataBase->setVisible(checked);
    if (checked) ui_->txtDataBase->setText(qs(doc.Database));
  });
  connect(ui_->chkNote, &QCheckBox::clicked, this, [this, &doc](bool checked) {
    ui_->txtNote->setVisible(checked);
    if (checked) {
      const LoadGuard guard(*this);
      ui_->txtNote->setPlainText(noteForBox(doc.Note));
    }
    fitNotes();
  });
  connect(ui_->chkNotex, &QCheckBox::clicked, this, [this, &doc](bool checked) {
    ui_->txtNotex->setVisible(checked);
    if (checked) {
      const LoadGuard guard(*this);
      ui_->txtNotex->setPlainText(noteForBox(doc.Notex));
    }
    fitNotes();
  });
  connect(ui_->chkCopyRight, &QCheckBox::clicked, this, [&doc, setText](bool checked) {
    setText(doc.Copyright, "Copyright", checked ? "YES" : "NO", 0);
  });
}

FootnotesPage::~FootnotesPage() = default;

void FootnotesPage::load() {
  const LoadGuard guard(*this);
  const VexaMess& doc = editor_.document();
  // A box is set only when its text differs, so that its cursor and its text stay where
  // the user left them when the page is filled again (after an undo, or shown again).
  auto fill = [](QLineEdit* box, const std::string& field) {
    if (box->text() != qs(field)) box->setText(qs(field));
  };
  auto fillNote = [](QPlainTextEdit* box, const std::string& field) {
    if (typedText(*box->document()) != noteForBox(field)) box->setPlainText(noteForBox(field));
  };
  ui_->chkSource->setChecked(!doc.Source.empty());
  ui_->txtSource->setVisible(!doc.Source.empty());
  fill(ui_->txtSource, doc.Source);
  ui_->chkDatabase->setChecked(!doc.Database.empty());
  ui_->txtDataBase->setVisible(!doc.Database.empty());
  fill(ui_->txtDataBase, doc.Database);
  // Only "YES" checks the box; a table without COPYRIGHT keeps none until the user clicks.
  ui_->chkCopyRight->setChecked(doc.Copyright == "YES");
  ui_->chkNote->setChecked(!doc.Note.empty());
  ui_->txtNote->setVisible(!doc.Note.empty());
  fillNote(ui_->txtNote, doc.Note);
  ui_->chkNotex->setChecked(!doc.Notex.empty());
  ui_->txtNotex->setVisible(!doc.Notex.empty());
  fillNote(ui_->txtNotex, doc.Notex);
  fitNotes();
}

void FootnotesPage::fitNotes() {
  // Shown note boxes share the page's height; with none shown the page keeps its
  // controls together at the top.
  const bool note = !ui_->txtNote->isHidden();
  const bool notex = !ui_->txtNotex->isHidden();
  ui_->notesLayout->setRowStretch(0, note ? 1 : 0);
  ui_->notesLayout->setRowStretch(1, notex ? 1 : 0);
  ui_->layout->setStretch(1, note || notex ? 1 : 0);
  ui_->layout->setStretch(2, note || notex ? 0 : 1);
}

}  // namespace zendra
