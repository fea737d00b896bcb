#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <atomic>
#include <thread>

#include "core/format/recovery.h"
#include "core/format/writer.h"

class QString;
class QUndoStack;

namespace zendra {

class VexaMess;

// Keeps the recovery copy of one editor window: after a pause in editing (and at least
// every two minutes while the edits go on) the table is taken on the interface's thread
// (its metadata text and a copy of the grid) and turned into the file's bytes and written
// on a thread of its own. The copy goes when the table is saved or its changes discarded,
// and when the window closes.
class RecoveryCopy : public QObject {
  Q_OBJECT

 public:
  static constexpr int kPauseMs = 5000;
  static constexpr int kLongestWaitMs = 120000;

  // What the copy needs of the editor window it keeps.
  class Window {
   public:
    virtual ~Window() = default;
    virtual QUndoStack* undoStack() const = 0;
    // Steps since the last load or save, or a cell being typed.
    virtual bool isChanged() const = 0;
    virtual VexaMess& document() = 0;
    // The window's name without the modified marker.
    virtual QString caption() const = 0;
    virtual WriteOptions writeOptions() const = 0;
  };

  RecoveryCopy(Window& editor, recovery::Session& session);
  // Waits for a write in progress and removes the copy.
  ~RecoveryCopy() override;

  // Takes the table now and starts writing its copy (once the write in progress ends).
  void writeNow();
  // Waits for the write in progress, if any.
  void finishWriting();
  // The window's number among this program's copies.
  int window() const { return window_; }

 private:
  void onChanged();
  void onWritten();
  void removeCopy();

  Window& editor_;
  recovery::Session& session_;
  int window_;
  QTimer pause_;
  QElapsedTimer firstUnwritten_;  // the oldest change not yet in a copy
  std::thread worker_;
  std::atomic<bool> writing_ = false;
  bool again_ = false;  // changes came while a copy was being written
};

}  // namespace zendra
