#include "gui/editor/data_grid_view.h"

#include <QApplication>
#include <QCoreApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <cmath>

#include "core/editor/cell_commands.h"
#include "core/grid/clipboard_block.h"
#include "core/grid/data_methods.h"
#include "core/model/vexa_mess.h"
#include "gui/editor/cell_painting.h"
#include "gui/editor/grid_model.h"

namespace zendra {
namespace {

constexpr int kCellPadding = 8;     // pixels around a column's characters
constexpr int kRowPadding = 6;      // pixels above and below a row's text
constexpr int kMinColumnWidth = 4;  // so that a column of width 0 can still be seen

// Scrolls one direction of the main view so that a section lies in the part of the
// viewport that the frozen sections do not cover (scrolling is by pixels).
void ensureSectionVisible(const QHeaderView& header, QScrollBar& bar, int section, int frozen,
                          int extent) {
  const int start = header.sectionPosition(section);
  const int size = header.sectionSize(section);
  int value = bar.value();
  if (start < value + frozen) {
    value = start - frozen;
  } else if (start + size > value + extent) {
    // A section wider than the free part shows its start.
    value = std::min(start + size - extent, start - frozen);
  }
  bar.setValue(value);
}

// The length of the first count sections, as laid out without scrolling.
int leadingLength(const QHeaderView& header, int count) {
  if (count <= 0) return 0;
  return header.sectionPosition(count - 1) + header.sectionSize(count - 1);
}

}  // namespace

// Draws the cells with the grid's line colour and edits one cell at a time in a line
// editor. It remembers the editor it has open and the text the cell showed when the
// edit began. The view selects the editor's whole text when it opens, so a character
// typed on a cell replaces its content.
class CellDelegate : public QStyledItemDelegate {
 public:
  CellDelegate(DataGridView& owner, QObject* parent) : QStyledItemDelegate(parent), owner_(owner) {}

  QWidget* openEditor() const { return editor_; }
  QPersistentModelIndex editedIndex() const { return index_; }

  void commitAndClose() {
    if (QWidget* editor = editor_) {
      emit commitData(editor);
      emit closeEditor(editor, NoHint);
    }
  }

  // An edit begun with F2 or a double click keeps the text and puts the cursor behind it.
  void moveCursorToEnd() {
    if (auto* line = qobject_cast<QLineEdit*>(editor_.data())) {
      line->deselect();
      line->end(false);
    }
  }

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem inner(option);
    inner.rect.adjust(0, 0, -1, -1);
    initStyleOption(&inner, index);
    if (!paintPlainCell(painter, inner)) {
      const QWidget* widget = inner.widget;
      QStyle* style = widget ? widget->style() : QApplication::style();
      style->drawControl(QStyle::CE_ItemViewItem, &inner, painter, widget);
    }
    // The right and the bottom line, one pixel wide, as filled rectangles: the same pixels
    // as drawn lines, without a change of pen for every cell.
    const QRect& r = option.rect;
    const QColor colour = lineColour();
    painter->fillRect(QRect(r.right(), r.top(), 1, r.height()), colour);
    painter->fillRect(QRect(r.left(), r.bottom(), r.width(), 1), colour);
  }

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                        const QModelIndex& index) const override {
    auto* editor = new QLineEdit(parent);
    editor->setFrame(false);
    const auto align = index.data(Qt::TextAlignmentRole).value<Qt::Alignment>();
    editor->setAlignment((align & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter);
    // Black on white whatever the cell's colours are.
    QPalette palette = editor->palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    editor->setPalette(palette);
    editor->setAutoFillBackground(true);
    editor_ = editor;
    index_ = index;
    initialised_ = false;
    return editor;
  }

  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    // Only once per editor: later calls come from changes of the cell while it is being
    // edited and would overwrite what the user typed.
    if (editor != editor_ || initialised_) return;
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (!line) return;
    shown_ = index.data(Qt::EditRole).toString();
    line->setText(shown_);
    initialised_ = true;
  }

  void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (!line || editor != editor_) return;
    // An unchanged text leaves the cell as it was, so a number stays a number.
    if (line->text() != shown_) owner_.storeEdit(index, line->text());
  }

  void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                            const QModelIndex&) const override {
    editor->setGeometry(option.rect.adjusted(0, 0, -1, -1));
  }

  void destroyEditor(QWidget* editor, const QModelIndex& index) const override {
    if (editor == editor_) editor_ = nullptr;
    QStyledItemDelegate::destroyEditor(editor, index);
  }

 protected:
  bool eventFilter(QObject* object, QEvent* event) override {
    if (event->type() == QEvent::KeyPress && object == editor_.data()) {
      auto* editor = static_cast<QWidget*>(object);
      switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
          finish(editor, DataGridView::Step::Enter);
          return true;
        case Qt::Key_Tab:
          finish(editor, DataGridView::Step::Right);
          return true;
        case Qt::Key_Backtab:
          finish(editor, DataGridView::Step::Left);
          return true;
        default:
          break;
      }
    }
    return QStyledItemDelegate::eventFilter(object, event);
  }

 private:
  // Stores the text, closes the editor and moves on as the key says, without opening
  // an editor on the next cell.
  void finish(QWidget* editor, DataGridView::Step step) {
    emit commitData(editor);
    emit closeEditor(editor, NoHint);
    owner_.step(step);
  }

  QColor lineColour() const {
    return toQColor(owner_.grid_ ? owner_.grid_->gridLineColour() : kSilver);
  }

  DataGridView& owner_;
  mutable QPointer<QWidget> editor_;
  mutable QPersistentModelIndex index_;
  mutable QString shown_;
  mutable bool initialised_ = false;
};

// One of the four views: the main view, which scrolls and takes the keyboard, or an
// overlay that shows the frozen rows, the frozen columns or their corner and follows
// the main view's scrolling.
class GridTableView : public QTableView {
 public:
  GridTableView(DataGridView& owner, DataGridView::Pane pane, QWidget* parent)
      : QTableView(parent), owner_(owner), pane_(pane) {
    setEditTriggers(DoubleClicked | EditKeyPressed | AnyKeyPressed);
    setSelectionMode(ContiguousSelection);
    setSelectionBehavior(SelectItems);
    setHorizontalScrollMode(ScrollPerPixel);
    setVerticalScrollMode(ScrollPerPixel);
    setShowGrid(false);  // the delegate draws the lines in the grid's colour
    setWordWrap(false);
    setCornerButtonEnabled(false);
    for (QHeaderView* header : {horizontalHeader(), verticalHeader()}) {
      header->hide();
      header->setMinimumSectionSize(0);
      header->setSectionResizeMode(QHeaderView::Fixed);
    }
    if (pane != DataGridView::Pane::Main) {
      setFrameShape(QFrame::NoFrame);
      setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
      setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
      setFocusPolicy(Qt::NoFocus);
      setAutoScroll(false);
    }
  }

  DataGridView::Pane pane() const { return pane_; }
  CellDelegate* cellDelegate() const { return delegate_; }
  void setCellDelegate(CellDelegate* delegate) {
    delegate_ = delegate;
    setItemDelegate(delegate);
  }
  // The cell Tab (forward) or Shift+Tab moves to.
  QModelIndex tabNeighbour(bool forward) {
    return moveCursor(forward ? MoveNext : MovePrevious, Qt::NoModifier);
  }

  void scrollTo(const QModelIndex& index, ScrollHint = EnsureVisible) override {
    // The overlays follow the main view; the main view keeps a cell clear of them.
    if (pane_ != DataGridView::Pane::Main || !index.isValid()) return;
    const int rows = owner_.frozenRows();
    const int cols = owner_.frozenCols();
    if (index.column() >= cols) {
      ensureSectionVisible(*horizontalHeader(), *horizontalScrollBar(), index.column(),
                           leadingLength(*horizontalHeader(), cols), viewport()->width());
    }
    if (index.row() >= rows) {
      ensureSectionVisible(*verticalHeader(), *verticalScrollBar(), index.row(),
                           leadingLength(*verticalHeader(), rows), viewport()->height());
    }
  }

  // Typing on a cell that cannot be edited does nothing (no jump to a matching cell).
  void keyboardSearch(const QString&) override {}

 protected:
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override {
    // A frozen cell lies under an overlay: the overlay edits it, or the editor would be
    // hidden beneath it.
    if (pane_ == DataGridView::Pane::Main && index.isValid()) {
      if (GridTableView* overlay = owner_.overlayFor(index)) {
        return overlay->edit(index, trigger, event);
      }
    }
    // F2 and a double click keep the text and put the cursor behind it; typing replaces.
    const bool typing = trigger == AnyKeyPressed;
    QWidget* before = delegate_->openEditor();
    const bool opened = QTableView::edit(index, trigger, event);
    QWidget* after = delegate_->openEditor();
    if (opened && after && after != before) {
      if (!typing) delegate_->moveCursorToEnd();
      owner_.editStarted(index);
    }
    return opened;
  }

  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override {
    const bool ours = editor && editor == delegate_->openEditor();
    const QPersistentModelIndex index = delegate_->editedIndex();
    const bool hadFocus = ours && editor->hasFocus();
    QTableView::closeEditor(editor, hint);
    if (!ours) return;
    if (hadFocus && pane_ != DataGridView::Pane::Main)
      owner_.pane(DataGridView::Pane::Main)->setFocus();
    owner_.editEnded(index);
  }

  void keyPressEvent(QKeyEvent* event) override {
    if (pane_ == DataGridView::Pane::Main && state() != EditingState) {
      const auto modifiers = event->modifiers() & ~Qt::KeypadModifier;
      const int key = event->key();
      if (key == Qt::Key_Delete && modifiers == Qt::NoModifier) {
        owner_.deleteKey();
        event->accept();
        return;
      }
      if ((key == Qt::Key_Return || key == Qt::Key_Enter) && modifiers == Qt::NoModifier) {
        owner_.step(DataGridView::Step::Enter);
        event->accept();
        return;
      }
    }
    QTableView::keyPressEvent(event);
  }

  void mousePressEvent(QMouseEvent* event) override {
    // The keyboard stays with the main view when a frozen cell is clicked.
    if (pane_ != DataGridView::Pane::Main) {
      owner_.pane(DataGridView::Pane::Main)->setFocus(Qt::MouseFocusReason);
    }
    QTableView::mousePressEvent(event);
  }

  void wheelEvent(QWheelEvent* event) override {
    if (pane_ == DataGridView::Pane::Main) {
      QTableView::wheelEvent(event);
      return;
    }
    QCoreApplication::sendEvent(owner_.pane(DataGridView::Pane::Main)->viewport(), event);
  }

  bool viewportEvent(QEvent* event) override {
    const bool handled = QTableView::viewportEvent(event);
    if (pane_ == DataGridView::Pane::Main && event->type() == QEvent::Resize) {
      owner_.placeOverlays();
    }
    return handled;
  }

 private:
  DataGridView& owner_;
  DataGridView::Pane pane_;
  CellDelegate* delegate_ = nullptr;
};

DataGridView::DataGridView(QWidget* parent) : QWidget(parent), model_(new GridModel(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* selection = new QItemSelectionModel(model_, this);

  auto* main = new GridTableView(*this, Pane::Main, this);
  layout->addWidget(main);
  setFocusProxy(main);
  views_[0] = main;
  // Created after the main view's viewport, so they lie above it; the corner last.
  views_[1] = new GridTableView(*this, Pane::Top, main);
  views_[2] = new GridTableView(*this, Pane::Left, main);
  views_[3] = new GridTableView(*this, Pane::Corner, main);
  for (std::size_t i = 0; i < views_.size(); ++i) {
    GridTableView* view = views_[i];
    delegates_[i] = new CellDelegate(*this, view);
    view->setCellDelegate(delegates_[i]);
    view->setModel(model_);
    view->setSelectionModel(selection);
    if (view != main) view->hide();
    // Scrolling the main view moves the overlays with it; an overlay that moved on its
    // own is put back.
    for (QScrollBar* bar : {view->horizontalScrollBar(), view->verticalScrollBar()}) {
      connect(bar, &QScrollBar::valueChanged, this, &DataGridView::followScrolling);
      connect(bar, &QScrollBar::rangeChanged, this, &DataGridView::followScrolling);
    }
  }

  connect(selection, &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) { currentToGrid(current); });
  connect(selection, &QItemSelectionModel::selectionChanged, this, [this] { selectionToGrid(); });
}

DataGridView::~DataGridView() {
  // Nothing may reach the grid or the document while the views go: their owner may
  // have destroyed them already.
  grid_ = nullptr;
  doc_ = nullptr;
  disconnect(pane(Pane::Main)->selectionModel(), nullptr, this, nullptr);
  for (GridTableView* view : views_) {
    disconnect(view->horizontalScrollBar(), nullptr, this, nullptr);
    disconnect(view->verticalScrollBar(), nullptr, this, nullptr);
  }
  delete pane(Pane::Main);
}

void DataGridView::setGrid(CellGrid* grid, VexaMess* doc) {
  grid_ = grid;
  doc_ = doc;
  model_->setDocument(doc);
  model_->setGrid(grid);
  rebuild();
}

CellGrid* DataGridView::grid() const {
  return grid_;
}

void DataGridView::refresh() {
  model_->reset();
  rebuild();
}

void DataGridView::rebuild() {
  applySizes();
  spanTitle();
  for (GridTableView* view : views_) view->doItemsLayout();
  placeOverlays();
  showCurrentFromGrid();
}

void DataGridView::spanTitle() {
  // The title runs across the empty cells to its right, as a spreadsheet shows a long text.
  int cells = 1;
  if (grid_ && doc_ && doc_->GridCreated) {
    while (cells < grid_->colCount() && grid_->isEmpty(1, cells + 1)) ++cells;
  }
  for (GridTableView* view : views_) {
    view->clearSpans();
    if (cells > 1) view->setSpan(0, 0, 1, cells);
  }
}

void DataGridView::commitEdit() {
  for (CellDelegate* delegate : delegates_) delegate->commitAndClose();
}

bool DataGridView::isEditing() const {
  return std::any_of(delegates_.begin(), delegates_.end(),
                     [](const CellDelegate* d) { return d->openEditor() != nullptr; });
}

QTableView* DataGridView::mainView() const {
  return pane(Pane::Main);
}

int DataGridView::frozenRows() const {
  return grid_ ? std::clamp(grid_->frozenRows(), 0, model_->rowCount()) : 0;
}

int DataGridView::frozenCols() const {
  return grid_ ? std::clamp(grid_->frozenCols(), 0, model_->columnCount()) : 0;
}

GridTableView* DataGridView::overlayFor(const QModelIndex& index) const {
  const bool row = index.row() < frozenRows();
  const bool col = index.column() < frozenCols();
  if (row && col) return pane(Pane::Corner);
  if (row) return pane(Pane::Top);
  if (col) return pane(Pane::Left);
  return nullptr;
}

void DataGridView::applySizes() {
  const QFontMetrics metrics(pane(Pane::Main)->font());
  // A width in characters counts digits, which are wider than the average character of a
  // proportional font: labels of that many characters then fit as well.
  const double charWidth =
      std::max(metrics.averageCharWidth(), metrics.horizontalAdvance(QLatin1Char('0')));
  const auto pixels = [charWidth](float chars) {
    return std::max(kMinColumnWidth,
                    static_cast<int>(std::lround(chars * charWidth)) + kCellPadding);
  };
  const int rowHeight = metrics.height() + kRowPadding;
  const int defaultWidth = pixels(CellGrid::kDefaultColumnWidth);
  // The headers start every section at the default size after a reset; only the columns
  // that differ are set, so a wide grid costs nothing here.
  std::vector<std::pair<int, int>> widths;
  const int cols = model_->columnCount();
  for (int col = 0; col < cols; ++col) {
    const int width = pixels(grid_->columnWidth(col + 1));
    if (width != defaultWidth) widths.emplace_back(col, width);
  }
  for (GridTableView* view : views_) {
    view->verticalHeader()->setDefaultSectionSize(rowHeight);
    view->horizontalHeader()->setDefaultSectionSize(defaultWidth);
    for (const auto& [col, width] : widths) view->horizontalHeader()->resizeSection(col, width);
  }
}

void DataGridView::placeOverlays() {
  GridTableView* main = pane(Pane::Main);
  const QRect area = main->viewport()->geometry();
  const int rows = frozenRows();
  const int cols = frozenCols();
  const int height = std::min(leadingLength(*main->verticalHeader(), rows), area.height());
  const int width = std::min(leadingLength(*main->horizontalHeader(), cols), area.width());
  pane(Pane::Top)->setGeometry(area.x(), area.y(), area.width(), height);
  pane(Pane::Left)->setGeometry(area.x(), area.y(), width, area.height());
  pane(Pane::Corner)->setGeometry(area.x(), area.y(), width, height);
  pane(Pane::Top)->setVisible(rows > 0);
  pane(Pane::Left)->setVisible(cols > 0);
  pane(Pane::Corner)->setVisible(rows > 0 && cols > 0);
  followScrolling();
}

void DataGridView::followScrolling() {
  GridTableView* main = pane(Pane::Main);
  const int x = main->horizontalScrollBar()->value();
  const int y = main->verticalScrollBar()->value();
  pane(Pane::Top)->horizontalScrollBar()->setValue(x);
  pane(Pane::Top)->verticalScrollBar()->setValue(0);
  pane(Pane::Left)->horizontalScrollBar()->setValue(0);
  pane(Pane::Left)->verticalScrollBar()->setValue(y);
  pane(Pane::Corner)->horizontalScrollBar()->setValue(0);
  pane(Pane::Corner)->verticalScrollBar()->setValue(0);
}

void DataGridView::showCurrentFromGrid() {
  if (!grid_) return;
  // A new layout may have left the current cell on a label, where typing goes nowhere.
  if (doc_) KeepCurrentOnData(*doc_, *grid_);
  const auto wanted = grid_->selection();  // the view's selection replaces it below
  QItemSelectionModel* selection = pane(Pane::Main)->selectionModel();
  const QModelIndex current = model_->index(grid_->currentRow() - 1, grid_->currentCol() - 1);
  if (current.isValid()) {
    selection->setCurrentIndex(current, QItemSelectionModel::ClearAndSelect);
    pane(Pane::Main)->scrollTo(current);
  }
  if (wanted && model_->rowCount() > 0 && model_->columnCount() > 0) {
    const bool wholeCols = wanted->row1 == -1 || wanted->row2 == -1;
    const bool wholeRows = wanted->col1 == -1 || wanted->col2 == -1;
    const int r1 = wholeCols ? 0 : std::max(wanted->row1 - 1, 0);
    const int r2 =
        wholeCols ? model_->rowCount() - 1 : std::min(wanted->row2 - 1, model_->rowCount() - 1);
    const int c1 = wholeRows ? 0 : std::max(wanted->col1 - 1, 0);
    const int c2 = wholeRows ? model_->columnCount() - 1
                             : std::min(wanted->col2 - 1, model_->columnCount() - 1);
    if (r1 <= r2 && c1 <= c2) {
      selection->select(QItemSelection(model_->index(r1, c1), model_->index(r2, c2)),
                        QItemSelectionModel::ClearAndSelect);
    }
  }
}

void DataGridView::storeEdit(const QModelIndex& index, const QString& text) {
  if (!grid_ || !index.isValid()) return;
  const std::int32_t row = index.row() + 1;
  const std::int32_t col = index.column() + 1;
  if (!doc_ || !sink_) {
    // A free work sheet keeps the typed text as it is.
    model_->setData(index, text, Qt::EditRole);
    return;
  }
  // A table's cell edit is a step of its history: the command stores the text, turns a
  // number typed into a number cell and keeps the keys form's empty entry row.
  sink_(std::make_unique<EditCellCommand>(*doc_, *grid_, row, col, text.toStdString()));
  model_->cellsChanged({row, col, row, col});
  model_->growToGrid();
}

void DataGridView::editStarted(const QModelIndex& index) {
  if (!grid_ || !doc_ || !index.isValid()) return;
  // A cell that a check painted as faulty is black on white again while the user
  // corrects it; the next check paints it anew if it is still wrong.
  const std::int32_t row = index.row() + 1;
  const std::int32_t col = index.column() + 1;
  if (grid_->backColour(row, col) || grid_->foreColour(row, col)) {
    grid_->setColours(row, col, kWhite, kBlack);
    model_->cellsChanged({row, col, row, col});
  }
}

void DataGridView::setAlwaysEditing(bool on) {
  alwaysEditing_ = on;
  GridTableView* main = pane(Pane::Main);
  auto triggers = main->editTriggers();
  triggers.setFlag(QAbstractItemView::CurrentChanged, on);
  main->setEditTriggers(triggers);
  if (on) openEditorOnCurrent();
}

void DataGridView::openEditorOnCurrent() {
  GridTableView* main = pane(Pane::Main);
  const QModelIndex current = main->currentIndex();
  if (current.isValid() && !isEditing()) static_cast<QAbstractItemView*>(main)->edit(current);
}

Block DataGridView::selectedBlock() {
  if (!grid_) return {1, 1, 0, 0};
  const QModelIndex current = pane(Pane::Main)->currentIndex();
  if (current.isValid()) grid_->setCurrent(current.row() + 1, current.column() + 1);
  selectionToGrid();
  return grid_->selection().value_or(
      Block{grid_->currentRow(), grid_->currentCol(), grid_->currentRow(), grid_->currentCol()});
}

void DataGridView::pasteText(const std::string& text) {
  if (!grid_) return;
  commitEdit();
  const Block block = selectedBlock();
  const Block written =
      WriteClipboardBlock(*grid_, block.row1, block.col1, ClipboardBlock::parse(text));
  if (!written.empty()) model_->cellsChanged(written);
  if (alwaysEditing_) openEditorOnCurrent();
}

void DataGridView::editEnded(const QModelIndex& index) {
  if (index.isValid()) emit cellEdited(index.row() + 1, index.column() + 1);
}

void DataGridView::setCommandSink(CommandSink sink) {
  sink_ = std::move(sink);
}

void DataGridView::step(Step how) {
  GridTableView* main = pane(Pane::Main);
  const QModelIndex current = main->currentIndex();
  if (!current.isValid()) return;
  QModelIndex next;
  switch (how) {
    case Step::Enter: {
      // To the right; after the last column to the first column the user types into on
      // the next row: the first data column, or the first key column in the keys form.
      if (current.column() + 1 < model_->columnCount()) {
        next = model_->index(current.row(), current.column() + 1);
      } else if (current.row() + 1 < model_->rowCount()) {
        const int first = (doc_ && !doc_->FileWithKeys) ? std::max(doc_->DataCol1, 1) : 1;
        next = model_->index(current.row() + 1, std::min(first, model_->columnCount()) - 1);
      }
      break;
    }
    case Step::Right:
      next = main->tabNeighbour(true);
      break;
    case Step::Left:
      next = main->tabNeighbour(false);
      break;
  }
  if (next.isValid()) {
    main->selectionModel()->setCurrentIndex(next, QItemSelectionModel::ClearAndSelect);
  }
  // In edit mode an editor opens on the cell moved to (or stays on the last cell).
  if (alwaysEditing_) openEditorOnCurrent();
}

void DataGridView::deleteKey() {
  if (!grid_) return;
  const QModelIndex current = pane(Pane::Main)->currentIndex();
  if (current.isValid()) grid_->setCurrent(current.row() + 1, current.column() + 1);
  selectionToGrid();
  Block block = grid_->selection().value_or(
      Block{grid_->currentRow(), grid_->currentCol(), grid_->currentRow(), grid_->currentCol()});
  if (doc_ && sink_) {
    sink_(std::make_unique<ClearCellsCommand>(*doc_, *grid_, block));
  } else {
    ClearSelectionOrCurrent(*grid_);
  }
  model_->cellsChanged(block);
}

void DataGridView::selectionToGrid() {
  if (!grid_) return;
  const QItemSelection selection = pane(Pane::Main)->selectionModel()->selection();
  int top = INT_MAX, left = INT_MAX, bottom = -1, right = -1;
  for (const QItemSelectionRange& range : selection) {
    top = std::min(top, range.top());
    left = std::min(left, range.left());
    bottom = std::max(bottom, range.bottom());
    right = std::max(right, range.right());
  }
  // A single selected cell is the current cell, not a block.
  if (bottom < 0 || (top == bottom && left == right)) {
    grid_->setSelection(std::nullopt);
    return;
  }
  Block block{top + 1, left + 1, bottom + 1, right + 1};
  if (left == 0 && right == model_->columnCount() - 1) block.col1 = block.col2 = -1;
  if (top == 0 && bottom == model_->rowCount() - 1) block.row1 = block.row2 = -1;
  grid_->setSelection(block);
}

void DataGridView::currentToGrid(const QModelIndex& current) {
  if (grid_ && current.isValid()) grid_->setCurrent(current.row() + 1, current.column() + 1);
}

}  // namespace zendra
