#include "gui/editor/recovery_copy.h"

#include <QFileInfo>
#include <QString>
#include <QUndoStack>
#include <algorithm>
#include <memory>

#include "core/model/vexa_mess.h"
#include "gui/shared/gui_services.h"

namespace zendra {
namespace {
int nextWindow = 0;
}

RecoveryCopy::RecoveryCopy(Window& editor, recovery::Session& session)
    : editor_(editor), session_(session), window_(++nextWindow) {
  pause_.setSingleShot(true);
  connect(&pause_, &QTimer::timeout, this, &RecoveryCopy::writeNow);
  QUndoStack* stack = editor_.undoStack();
  connect(stack, &QUndoStack::indexChanged, this, &RecoveryCopy::onChanged);
  connect(stack, &QUndoStack::cleanChanged, this, [this](bool clean) {
    if (clean) {
      removeCopy();
    } else {
      onChanged();
    }
  });
}

RecoveryCopy::~RecoveryCopy() {
  removeCopy();
}

void RecoveryCopy::onChanged() {
  if (!editor_.isChanged()) return;
  if (!firstUnwritten_.isValid()) firstUnwritten_.start();
  // Each change starts the pause again, but never past the longest wait.
  const qint64 left = kLongestWaitMs - firstUnwritten_.elapsed();
  pause_.start(static_cast<int>(std::clamp<qint64>(left, 0, kPauseMs)));
}

void RecoveryCopy::writeNow() {
  pause_.stop();
  if (writing_) {
    again_ = true;
    return;
  }
  firstUnwritten_.invalidate();
  if (!editor_.isChanged()) return;
  std::string error;
  if (!session_.open(error)) return;  // no state folder: the program goes on without copies
  finishWriting();

  VexaMess& doc = editor_.document();
  recovery::CopyInfo info;
  info.originalName = doc.VQfilename;
  info.caption = stdString(editor_.caption());
  info.metadataOnly = doc.MetadataOnly;
  // Taken here, turned into bytes and written there.
  auto snapshot =
      std::make_shared<recovery::Snapshot>(recovery::takeSnapshot(doc, editor_.writeOptions()));
  writing_ = true;
  worker_ = std::thread([this, snapshot, info] {
    std::string failure;
    session_.write(window_, info, recovery::snapshotBytes(*snapshot), failure);
    writing_ = false;
    QMetaObject::invokeMethod(this, &RecoveryCopy::onWritten, Qt::QueuedConnection);
  });
}

void RecoveryCopy::finishWriting() {
  if (worker_.joinable()) worker_.join();
}

void RecoveryCopy::onWritten() {
  finishWriting();
  if (!editor_.isChanged()) {
    // Saved or discarded while the copy was written.
    removeCopy();
  } else if (again_) {
    again_ = false;
    onChanged();
  }
}

void RecoveryCopy::removeCopy() {
  pause_.stop();
  firstUnwritten_.invalidate();
  again_ = false;
  finishWriting();
  session_.remove(window_);
}

}  // namespace zendra
