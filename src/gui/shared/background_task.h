#pragma once

#include <QString>
#include <functional>

#include "core/database/any_database.h"
#include "core/model/prompt.h"

class QWidget;

namespace zendra {

// Runs work on a thread of its own while the GUI thread goes on with its event loop, so the
// program never freezes on it. The progress window (captioned caption) shows once the work
// has run for a moment, follows the progress the work reports, and its Cancel makes the
// work's prompt report cancelled at once; meanwhile the window is modal, so nothing else
// can act on what the work uses. Questions the work asks are shown on the GUI thread.
// Returns when the work is over.
void RunInBackground(QWidget* parent, Prompt& questions, const QString& caption,
                     const std::function<void(Prompt&)>& work);

// The same for work on a database (opening it, reading its tables, running a statement):
// the database reports to the background prompt while the work runs, and to its own
// prompt again afterwards.
DbResult RunOnDatabase(QWidget* parent, Prompt& questions, clsAnyDatabase& db,
                       const std::function<DbResult()>& work);

// Shows what the database warned about since the first warning not yet shown (first is
// moved past them): the file may be damaged, and the rows read may be incomplete.
void TellDamage(Prompt& prompt, const clsAnyDatabase& db, std::size_t& first);

}  // namespace zendra
